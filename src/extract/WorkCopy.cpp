// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "WorkCopy.h"

#include "StaleWork.h"
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

bool WorkCopy::placeIn(const QString& folder)
{
    release();
    m_owner.reset();
    // The same name as the run's work folders, which is what the next run
    // looks for.
    m_own = std::make_unique<QTemporaryDir>(folder + QStringLiteral(".orvalin-XXXXXX"));
    if (m_own->isValid()) {
        Platform::hideFile(m_own->path());
        m_owner = StaleWork::own(m_own->path());
    }
    if (m_owner)
        return true;
    m_why = m_own->isValid() ? QStringLiteral("its work folder could not be locked") : m_own->errorString();
    m_own.reset();
    return false;
}

QString WorkCopy::folder() const
{
    if (m_own)
        return QDir::toNativeSeparators(m_own->path());
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
    m_why.clear();
    if (m_path.isEmpty())
        return false;
    return copy(source, m_path, keepGoing, &m_why);
}

bool WorkCopy::copy(const QString& source, const QString& target, const std::function<bool()>& keepGoing, QString* why)
{
    QFile in(source);
    QFile out(target);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        if (why)
            *why = in.isOpen() ? out.errorString() : in.errorString();
        return false;
    }
    if (Platform::cloneFile(in, out))
        return true;
    constexpr qint64 kPiece = 1024 * 1024;
    QByteArray piece(kPiece, Qt::Uninitialized);
    QString failed;
    bool ok = true;
    for (;;) {
        const qint64 got = in.read(piece.data(), kPiece);
        if (got <= 0) {
            ok = got == 0;
            if (!ok)
                failed = in.errorString();
            break;
        }
        if (out.write(piece.constData(), got) != got) {
            ok = false;
            failed = out.errorString();
            break;
        }
        if (keepGoing && !keepGoing()) {
            ok = false;
            break;
        }
    }
    if (ok && !out.flush()) {
        ok = false;
        failed = out.errorString();
    }
    if (!ok) {
        out.close();
        out.remove();
        if (why)
            *why = failed;
    }
    return ok;
}

void WorkCopy::release()
{
    m_lock.reset();
    m_path.clear();
}
