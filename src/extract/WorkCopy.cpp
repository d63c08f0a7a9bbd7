#include "WorkCopy.h"

#include "util/Main.h"
#include "util/Platform.h"

#include <QDir>
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
bool TakesWorkCopy(const QString& applicationFolder)
{
    return !Platform::IsSystemFolder(applicationFolder) && Platform::FolderIsUsersOwn(applicationFolder)
           && Main::FolderIsWritable(applicationFolder);
}

} // namespace

QString WorkCopy::Folder() const
{
    if (TakesWorkCopy(m_applicationFolder))
        return m_applicationFolder;
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    QDir().mkpath(cache);
    return cache;
}

bool WorkCopy::Acquire()
{
    Release();
    const QString folder = Folder();
    for (int n = 1; n <= 32; ++n) {
        const QString name = n == 1 ? QStringLiteral("current.pdf") : QStringLiteral("current-%1.pdf").arg(n);
        const QString path = folder + Platform::Separator() + name;
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

void WorkCopy::Release()
{
    m_lock.reset();
    m_path.clear();
}
