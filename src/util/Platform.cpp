#include "Platform.h"

#include <QDir>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#include <vector>
#endif

namespace Platform {

QChar Separator()
{
    return QDir::separator();
}

QString ShortPathName(const QString& path)
{
#ifdef Q_OS_WIN
    // First ask with a buffer of 1,024 characters; when the platform says it
    // needs more, ask once more with a buffer one larger than that.
    const std::wstring wide = path.toStdWString();
    std::vector<wchar_t> buffer(1024, L' ');
    DWORD n = GetShortPathNameW(wide.c_str(), buffer.data(), DWORD(buffer.size()));
    if (n > buffer.size()) {
        buffer.assign(n + 1, L' ');
        n = GetShortPathNameW(wide.c_str(), buffer.data(), DWORD(buffer.size()));
    }
    if (n == 0 || n > buffer.size())
        return QString();
    return QString::fromWCharArray(buffer.data(), int(n));
#else
    // No short names here: an existing path is its own short form.
    return QFileInfo::exists(path) ? path : QString();
#endif
}

QString DefaultOutputFolder()
{
#ifdef Q_OS_WIN
    return QStringLiteral("C:\\");
#else
    QString home = QDir::homePath();
    if (!home.endsWith(Separator()))
        home += Separator();
    return home;
#endif
}

QString ExecutableName(const QString& baseName)
{
#ifdef Q_OS_WIN
    return baseName + QStringLiteral(".exe");
#else
    return baseName;
#endif
}

} // namespace Platform
