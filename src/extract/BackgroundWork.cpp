// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "BackgroundWork.h"

#include <QEventLoop>
#include <QThread>

#include <memory>

namespace BackgroundWork {

bool run(const std::function<bool(const std::atomic_bool& stop)>& work, Shell32::Stopper* stopper)
{
    if (stopper && stopper->stopped())
        return false;
    std::atomic_bool stop{false};
    bool result = false;
    QEventLoop loop;
    const std::unique_ptr<QThread> thread(QThread::create([&] { result = work(stop); }));
    // Queued to this thread: even an end that comes before the loop runs
    // reaches it.
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    const Shell32::Stopper::Hook hook(stopper, [&] {
        stop = true;
        thread->wait();
        loop.quit();
    });
    thread->start();
    loop.exec();
    thread->wait();
    return result && !stop;
}

bool run(qint64 bytes, const std::function<bool(const std::atomic_bool& stop)>& work, Shell32::Stopper* stopper)
{
    if (bytes > kInPlaceBytes)
        return run(work, stopper);
    if (stopper && stopper->stopped())
        return false;
    return work(std::atomic_bool{false});
}

} // namespace BackgroundWork
