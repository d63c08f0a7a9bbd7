// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "WorkCopy.h"

#include "util/Main.h"
#include "util/Platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

WorkCopy::WorkCopy(const QString& applicationFolder)
    : m_applicationFolder(applicationFolder)
{
}

WorkCopy::~WorkCopy() = default;

namespace {

// The application folder takes the work copy only where the user keeps files
// of their own: a build folder, or a folder they copied the program into. An
// installed program's folder never does, whoever runs it: neither one the
// system keeps, nor another user's, nor one made read-only.
bool takesWorkCopy(const QString& applicationFolder)
{
    return !Platform::isSystemFolder(applicationFolder) && Platform::folderIsUsersOwn(applicationFolder)
           && Main::folderIsWritable(applicationFolder);
}

} // namespace

QString WorkCopy::folder() const
{
    if (takesWorkCopy(m_applicationFolder))
        return m_applicationFolder;
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    QDir().mkpath(cache);
    return cache;
}

namespace {

// Enough for one instance per core of a large machine, or for many machines
// whose instances share one home folder.
constexpr int kNames = 256;

QString name(int n)
{
    return n == 1 ? QStringLiteral("current.pdf") : QStringLiteral("current-%1.pdf").arg(n);
}

} // namespace

bool WorkCopy::isWorkCopyName(const QString& path) const
{
    const QFileInfo info(path);
    const QString workFolder = QFileInfo(folder()).canonicalFilePath();
    if (workFolder.isEmpty() || info.canonicalPath() != workFolder)
        return false;
    for (int n = 1; n <= kNames; ++n)
        if (info.fileName() == name(n))
            return true;
    return false;
}

bool WorkCopy::acquire(const QSet<QString>& spare)
{
    release();
    const QString workFolder = folder();
    for (int n = 1; n <= kNames; ++n) {
        const QString path = workFolder + Platform::separator() + name(n);
        const QString real = QFileInfo(path).canonicalFilePath();
        if (!real.isEmpty() && spare.contains(real))
            continue;
        auto lock = std::make_unique<QLockFile>(path + QStringLiteral(".lock"));
        lock->setStaleLockTime(0);
        if (lock->tryLock(0)) {
            m_lock = std::move(lock);
            m_path = path;
            return true;
        }
    }
    return false;
}

bool WorkCopy::fill(const QString& source, const std::function<bool()>& keepGoing)
{
    Main::DeleteQuietly(m_path);
    QFile in(source);
    QFile out(m_path);
    if (m_path.isEmpty() || !in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    constexpr qint64 kPiece = 1024 * 1024;
    QByteArray piece(kPiece, Qt::Uninitialized);
    bool ok = true;
    for (;;) {
        const qint64 got = in.read(piece.data(), kPiece);
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        if (out.write(piece.constData(), got) != got) {
            ok = false;
            break;
        }
        if (keepGoing && !keepGoing()) {
            ok = false;
            break;
        }
    }
    ok = ok && out.flush();
    if (!ok) {
        out.close();
        out.remove();
    }
    return ok;
}

void WorkCopy::release()
{
    m_lock.reset();
    m_path.clear();
}
