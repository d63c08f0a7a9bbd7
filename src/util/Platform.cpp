// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Platform.h"

#include "NaturalOrder.h"
#include "PathBytes.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

#ifdef Q_OS_WIN
#include <io.h>
#include <qt_windows.h>
#include <vector>
#else
#include <cerrno>
#include <climits>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace Platform {

QChar separator()
{
    return QDir::separator();
}

QString shortPathName(const QString& path)
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

QString defaultOutputFolder()
{
#ifdef Q_OS_WIN
    return QStringLiteral("C:\\");
#else
    QString home = QDir::homePath();
    if (!home.endsWith(separator()))
        home += separator();
    return home;
#endif
}

bool isFullPath(const QString& text)
{
#ifdef Q_OS_WIN
    const bool drive = text.size() >= 3 && text.at(0).isLetter() && text.at(0).unicode() < 128
                       && text.at(1) == QLatin1Char(':') && isSeparator(text.at(2));
    if (drive)
        return true;
    // A network path needs its server and its share: "\\server\share".
    if (!isNetworkPath(text))
        return false;
    qsizetype share = 2;
    while (share < text.size() && !isSeparator(text.at(share)))
        ++share;
    return share + 1 < text.size() && !isSeparator(text.at(share + 1));
#else
    return text.startsWith(QLatin1Char('/'));
#endif
}

bool isNetworkPath(const QString& path)
{
#ifdef Q_OS_WIN
    return path.size() >= 3 && isSeparator(path.at(0)) && isSeparator(path.at(1)) && !isSeparator(path.at(2));
#else
    Q_UNUSED(path);
    return false;
#endif
}

void orderListing(QStringList& names)
{
#ifdef Q_OS_WIN
    Q_UNUSED(names);
#else
    NaturalOrder::sort(names);
#endif
}

void hideFile(const QString& path)
{
#ifdef Q_OS_WIN
    const std::wstring wide = QDir::toNativeSeparators(path).toStdWString();
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        SetFileAttributesW(wide.c_str(), attributes | FILE_ATTRIBUTE_HIDDEN);
#else
    Q_UNUSED(path);
#endif
}

bool replaceFile(const QString& from, const QString& to)
{
#ifdef Q_OS_WIN
    return MoveFileExW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(from).utf16()),
                       reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(to).utf16()),
                       MOVEFILE_REPLACE_EXISTING)
           != 0;
#else
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
#endif
}

namespace {

bool isTerminal(FILE* stream)
{
#ifdef Q_OS_WIN
    return _isatty(_fileno(stream)) != 0;
#else
    return ::isatty(::fileno(stream)) == 1;
#endif
}

} // namespace

bool standardErrorIsTerminal()
{
    return isTerminal(stderr);
}

bool standardOutputIsTerminal()
{
    return isTerminal(stdout);
}

ClosedStreams fillClosedStandardStreams()
{
    ClosedStreams closed;
#ifdef Q_OS_UNIX
    bool* const flags[] = {&closed.input, &closed.output, &closed.error};
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        *flags[fd] = true;
        // The lowest free number, which is this one: those below are open.
        ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
    }
#endif
    return closed;
}

QString currentFolder(QString* why)
{
#ifdef Q_OS_WIN
    const QString current = QDir::currentPath();
    if (current.isEmpty())
        *why = QStringLiteral("cannot be read");
    return QDir::toNativeSeparators(current);
#else
    // A path longer than PATH_MAX could not be opened anyway.
    char buffer[PATH_MAX];
    if (!::getcwd(buffer, sizeof buffer)) {
        const int error = errno;
        if (error == ENOENT)
            *why = QStringLiteral("was removed");
        else if (error == ERANGE || error == ENAMETOOLONG)
            *why = QStringLiteral("lies deeper than a path may be long (PATH_MAX)");
        else
            *why = QStringLiteral("cannot be read (%1)").arg(qt_error_string(error));
        return QString();
    }
    const QByteArray bytes(buffer);
    if (!PathBytes::isText(bytes)) {
        *why = QStringLiteral("%1 is not valid UTF-8").arg(PathBytes::escaped(bytes));
        return QString();
    }
    return QFile::decodeName(bytes);
#endif
}

FolderListing listFolders(const QString& folder)
{
    FolderListing listing;
#ifdef Q_OS_UNIX
    // Read here as bytes: Qt's own listing leaves out, without a word, every
    // name that is no text.
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return listing;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        bool isFolder = entry->d_type == DT_DIR;
        bool isLink = entry->d_type == DT_LNK;
        struct stat status {
        };
        if (entry->d_type == DT_UNKNOWN && ::fstatat(::dirfd(dir), entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0) {
            isFolder = S_ISDIR(status.st_mode);
            isLink = S_ISLNK(status.st_mode);
        }
        if (isLink)
            isFolder = ::fstatat(::dirfd(dir), entry->d_name, &status, 0) == 0 && S_ISDIR(status.st_mode);
        // Most names are ASCII, which is text whatever else holds.
        const bool text =
            std::all_of(name.cbegin(), name.cend(), [](char c) { return uchar(c) < 0x80; }) || PathBytes::isText(name);
        if (!text) {
            listing.noText.append({name, isFolder});
        } else if (isFolder && !name.startsWith('.')) {
            listing.folders.append(QFile::decodeName(name));
            if (isLink)
                listing.links.insert(listing.folders.constLast());
        }
    }
    ::closedir(dir);
#else
    // Hidden folders are left out because QDir::Hidden is not asked for;
    // on Windows the same holds for folders with the system attribute.
    QDirIterator it(folder, QDir::Dirs | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        listing.folders.append(it.fileName());
        if (it.fileInfo().isSymLink() || it.fileInfo().isJunction())
            listing.links.insert(it.fileName());
    }
#endif
    return listing;
}

int terminalColumns()
{
#ifdef Q_OS_WIN
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info))
        return info.srWindow.Right - info.srWindow.Left + 1;
    return 0;
#else
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0)
        return size.ws_col;
    return 0;
#endif
}

bool pathTooLong(const QString& path)
{
#ifdef Q_OS_WIN
    constexpr qsizetype kMaxPath = 32767;
    const auto length = [](const QString& text) { return text.size(); };
#else
    constexpr qsizetype kMaxPath = 4095;
    const auto length = [](const QString& text) { return QFile::encodeName(text).size(); };
#endif
    if (length(path) > kMaxPath)
        return true;
    for (const QString& name : QDir::fromNativeSeparators(path).split(QLatin1Char('/')))
        if (length(name) > 255)
            return true;
    return false;
}

bool hardLink(const QString& existing, const QString& link)
{
    return makeHardLink(existing, link) == LinkResult::Made;
}

LinkResult makeHardLink(const QString& existing, const QString& link, QString* why)
{
#ifdef Q_OS_WIN
    // Windows keeps no notes of claimed files; see StaleWork.
    Q_UNUSED(existing);
    Q_UNUSED(link);
    Q_UNUSED(why);
    return LinkResult::NoLinks;
#else
    if (::link(QFile::encodeName(existing).constData(), QFile::encodeName(link).constData()) == 0)
        return LinkResult::Made;
    const int error = errno;
    if (error == EEXIST)
        return LinkResult::Taken;
    // FAT and some network file systems keep one name a file.
    if (error == EPERM || error == EOPNOTSUPP || error == EXDEV || error == EMLINK)
        return LinkResult::NoLinks;
    if (why)
        *why = qt_error_string(error);
    return LinkResult::Failed;
#endif
}

bool sameFile(const QString& a, const QString& b)
{
#ifdef Q_OS_WIN
    Q_UNUSED(a);
    Q_UNUSED(b);
    return false;
#else
    struct stat first {
    };
    struct stat second {
    };
    return ::stat(QFile::encodeName(a).constData(), &first) == 0
           && ::stat(QFile::encodeName(b).constData(), &second) == 0 && first.st_dev == second.st_dev
           && first.st_ino == second.st_ino;
#endif
}

QString executableName(const QString& baseName)
{
#ifdef Q_OS_WIN
    return baseName + QStringLiteral(".exe");
#else
    return baseName;
#endif
}

bool folderIsUsersOwn(const QString& folder)
{
#ifdef Q_OS_WIN
    Q_UNUSED(folder);
    return true;
#else
    struct stat status {
    };
    if (::stat(QFile::encodeName(folder).constData(), &status) != 0)
        return false;
    // The owner's write bit counts even for the superuser, who could write
    // into the folder regardless.
    return status.st_uid == ::getuid() && (status.st_mode & S_IWUSR);
#endif
}

bool isSystemFolder(const QString& folder)
{
    const QFileInfo info(folder);
    const QString path = QDir::cleanPath(info.exists() ? info.canonicalFilePath() : info.absoluteFilePath());
#ifdef Q_OS_WIN
    QStringList roots;
    for (const char* variable : {"ProgramFiles", "ProgramFiles(x86)", "ProgramW6432", "SystemRoot"}) {
        const QString root = qEnvironmentVariable(variable);
        if (!root.isEmpty())
            roots.append(QDir::cleanPath(QDir::fromNativeSeparators(root)));
    }
    const QString local = qEnvironmentVariable("LOCALAPPDATA");
    if (!local.isEmpty())
        roots.append(QDir::cleanPath(QDir::fromNativeSeparators(local) + QStringLiteral("/Programs")));
    const Qt::CaseSensitivity sensitivity = Qt::CaseInsensitive;
#else
#ifdef Q_OS_MACOS
    const QStringList roots{QStringLiteral("/Applications"), QStringLiteral("/System"), QStringLiteral("/Library"),
                            QStringLiteral("/usr"), QStringLiteral("/opt")};
#else
    const QStringList roots{QStringLiteral("/usr"),   QStringLiteral("/opt"),    QStringLiteral("/bin"),
                            QStringLiteral("/sbin"),  QStringLiteral("/lib"),    QStringLiteral("/lib32"),
                            QStringLiteral("/lib64"), QStringLiteral("/libx32"), QStringLiteral("/etc"),
                            QStringLiteral("/snap"),  QStringLiteral("/app"),    QStringLiteral("/nix/store")};
#endif
    const Qt::CaseSensitivity sensitivity = Qt::CaseSensitive;
#endif
    for (const QString& root : roots)
        if (path.compare(root, sensitivity) == 0 || path.startsWith(root + QLatin1Char('/'), sensitivity))
            return true;
    return false;
}

bool cloneFile(QFile& from, QFile& to)
{
#ifdef Q_OS_LINUX
    // FICLONE from linux/fs.h, which the C library's headers may lack.
    constexpr unsigned long kClone = 0x40049409;
    return ::ioctl(to.handle(), kClone, from.handle()) == 0;
#else
    Q_UNUSED(from);
    Q_UNUSED(to);
    return false;
#endif
}

bool openPlainFile(QFile& file, const QString& path, int* links)
{
#ifdef Q_OS_WIN
    // Windows opens no pipe by a file's path, and its links are no concern
    // of a folder only Orvalin and its programs write.
    file.setFileName(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return false;
    if (links)
        *links = 1;
    return true;
#else
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return false;
    struct stat status {
    };
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)
        || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    if (links)
        *links = int(status.st_nlink);
    return true;
#endif
}

} // namespace Platform
