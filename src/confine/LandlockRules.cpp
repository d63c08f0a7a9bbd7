// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "LandlockRules.h"

#include <QFile>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <vector>
#endif

namespace LandlockRules {

#ifdef Q_OS_LINUX
namespace {

// Landlock's interface as the kernel defines it. The system's headers may
// be older than the kernel that runs the program, so nothing is taken from
// them: a kernel takes the parts it knows and says which ABI it has.
constexpr quint64 kExecute = 1ULL << 0;
constexpr quint64 kWriteFile = 1ULL << 1;
constexpr quint64 kReadFile = 1ULL << 2;
constexpr quint64 kReadDir = 1ULL << 3;
constexpr quint64 kRemoveFile = 1ULL << 5;
constexpr quint64 kMakeReg = 1ULL << 8;
constexpr quint64 kTruncate = 1ULL << 14;               // ABI 3
constexpr quint64 kIoctlDev = 1ULL << 15;               // ABI 5
constexpr quint64 kBindTcp = 1ULL << 0;                 // ABI 4, network
constexpr quint64 kConnectTcp = 1ULL << 1;              // ABI 4, network
constexpr quint64 kScopeAbstractUnixSocket = 1ULL << 0; // ABI 6
constexpr quint64 kScopeSignal = 1ULL << 1;             // ABI 6
constexpr quint64 kFileRights = kExecute | kWriteFile | kReadFile | kTruncate | kIoctlDev;
constexpr quint64 kRead = kReadFile | kReadDir;
constexpr quint64 kWrite = kRead | kWriteFile | kTruncate | kMakeReg | kRemoveFile;
constexpr unsigned kCreateRulesetVersion = 1U << 0;
constexpr int kRulePathBeneath = 1;

#ifdef SYS_landlock_create_ruleset
constexpr long kCreateRuleset = SYS_landlock_create_ruleset;
constexpr long kAddRule = SYS_landlock_add_rule;
constexpr long kRestrictSelf = SYS_landlock_restrict_self;
#else
// The same numbers on every architecture.
constexpr long kCreateRuleset = 444;
constexpr long kAddRule = 445;
constexpr long kRestrictSelf = 446;
#endif

struct RulesetAttr {
    quint64 handledFs = 0;
    quint64 handledNet = 0; // ABI 4
    quint64 scoped = 0;     // ABI 6
};

struct [[gnu::packed]] PathBeneathAttr {
    quint64 allowed = 0;
    qint32 parentFd = -1;
};

// Every right over files this ABI knows: all are refused but those granted.
quint64 fileSystemRights(int abi)
{
    quint64 rights = (1ULL << 13) - 1; // ABI 1: executing to making links
    if (abi >= 2)
        rights |= 1ULL << 13; // moving and linking between folders
    if (abi >= 3)
        rights |= kTruncate;
    if (abi >= 5)
        rights |= kIoctlDev;
    return rights;
}

// What programs and their libraries read of the system: the libraries and
// their data, the loader's cache and the time zone. Nothing of the users'.
const char* const kSystemReads[] = {
    "/usr", "/lib", "/lib32", "/lib64", "/libx32", "/etc/ld.so.cache", "/etc/ld.so.preload", "/etc/localtime",
};

// Those of them that are there, opened once for every program to come: a
// program's start is to cost as little as can be.
struct SystemRead {
    int fd;
    bool folder;
    const char* path;
};

const std::vector<SystemRead>& systemReads()
{
    static const std::vector<SystemRead> reads = [] {
        std::vector<SystemRead> open;
        for (const char* path : kSystemReads) {
            const int fd = ::open(path, O_PATH | O_CLOEXEC);
            struct stat status {
            };
            if (fd >= 0 && ::fstat(fd, &status) == 0)
                open.push_back({fd, S_ISDIR(status.st_mode), path});
            else if (fd >= 0)
                ::close(fd);
        }
        return open;
    }();
    return reads;
}

class Ruleset
{
public:
    Ruleset(int abi, QString* problem)
        : m_abi(abi)
        , m_problem(problem)
    {
        RulesetAttr attr;
        attr.handledFs = fileSystemRights(abi);
        // Handled and never granted: no TCP at all, no abstract socket and
        // no signal beyond the program's own.
        attr.handledNet = abi >= 4 ? kBindTcp | kConnectTcp : 0;
        attr.scoped = abi >= 6 ? kScopeAbstractUnixSocket | kScopeSignal : 0;
        const size_t size = abi >= 6 ? sizeof(attr) : abi >= 4 ? 2 * sizeof(quint64) : sizeof(quint64);
        m_fd = int(syscall(kCreateRuleset, &attr, size, 0));
        if (m_fd < 0)
            *m_problem = QStringLiteral("Landlock refused the rules: %1").arg(qt_error_string(errno));
    }
    ~Ruleset()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Ruleset(const Ruleset&) = delete;
    Ruleset& operator=(const Ruleset&) = delete;

    bool isValid() const { return m_fd >= 0; }
    int take()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }

    // Grants rights beneath path, or on path itself when it is no folder.
    bool allow(const QByteArray& path, quint64 rights)
    {
        const int fd = ::open(path.constData(), O_PATH | O_CLOEXEC);
        if (fd < 0) {
            *m_problem = QStringLiteral("%1 cannot be opened: %2").arg(QFile::decodeName(path), qt_error_string(errno));
            return false;
        }
        struct stat status {
        };
        const bool ok = ::fstat(fd, &status) == 0 && allow(fd, S_ISDIR(status.st_mode), rights, path);
        ::close(fd);
        return ok;
    }

    // The same for the file or folder open at fd.
    bool allow(int fd, bool folder, quint64 rights, const QByteArray& path)
    {
        PathBeneathAttr rule;
        rule.allowed = (folder ? rights : rights & kFileRights) & fileSystemRights(m_abi);
        rule.parentFd = fd;
        if (syscall(kAddRule, m_fd, kRulePathBeneath, &rule, 0) == 0)
            return true;
        *m_problem =
            QStringLiteral("Landlock refused a rule for %1: %2").arg(QFile::decodeName(path), qt_error_string(errno));
        return false;
    }

private:
    int m_abi;
    QString* m_problem;
    int m_fd = -1;
};

} // namespace

int abi()
{
    static const int version = [] {
        const long v = syscall(kCreateRuleset, nullptr, 0, kCreateRulesetVersion);
        return v > 0 ? int(v) : 0;
    }();
    return version;
}

int ruleset(int abi, const Places& places, QString* problem)
{
    Ruleset rules(abi, problem);
    bool ok = rules.isValid();
    for (const SystemRead& read : systemReads())
        ok = ok && rules.allow(read.fd, read.folder, kRead, read.path);
    for (const QByteArray& path : places.reads)
        ok = ok && rules.allow(path, kRead);
    // Write rights never include running what was written.
    for (const QByteArray& path : places.writes)
        ok = ok && rules.allow(path, kWrite);
    for (const QByteArray& path : places.executes)
        ok = ok && rules.allow(path, kRead | kExecute);
    return ok ? rules.take() : -1;
}

bool restrictSelf(int ruleset)
{
    return syscall(kRestrictSelf, ruleset, 0) == 0;
}

#else

int abi()
{
    return 0;
}

int ruleset(int, const Places&, QString* problem)
{
    *problem = QStringLiteral("Landlock is a Linux interface");
    return -1;
}

bool restrictSelf(int)
{
    return false;
}

#endif

} // namespace LandlockRules
