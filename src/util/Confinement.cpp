// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Confinement.h"

#include <QFile>
#include <QHash>
#include <QMutex>
#include <QProcess>

#ifdef Q_OS_LINUX
#include <elf.h>
#include <fcntl.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <vector>
#ifdef ORVALIN_HAVE_SECCOMP
#include <seccomp.h>
#endif
#endif

#ifdef Q_OS_LINUX
namespace {

// Landlock's interface as the kernel defines it. The system's headers may
// be older than the kernel that runs the program, so nothing is taken from
// them: a kernel takes the parts it knows and says which ABI it has.
namespace landlock {

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

int abi()
{
    const long version = syscall(kCreateRuleset, nullptr, 0, kCreateRulesetVersion);
    return version > 0 ? int(version) : 0;
}

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

} // namespace landlock

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
        landlock::RulesetAttr attr;
        attr.handledFs = landlock::fileSystemRights(abi);
        // Handled and never granted: no TCP at all, no abstract socket and
        // no signal beyond the program's own.
        attr.handledNet = abi >= 4 ? landlock::kBindTcp | landlock::kConnectTcp : 0;
        attr.scoped = abi >= 6 ? landlock::kScopeAbstractUnixSocket | landlock::kScopeSignal : 0;
        const size_t size = abi >= 6 ? sizeof(attr) : abi >= 4 ? 2 * sizeof(quint64) : sizeof(quint64);
        m_fd = int(syscall(landlock::kCreateRuleset, &attr, size, 0));
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
        landlock::PathBeneathAttr rule;
        rule.allowed = (folder ? rights : rights & landlock::kFileRights) & landlock::fileSystemRights(m_abi);
        rule.parentFd = fd;
        if (syscall(landlock::kAddRule, m_fd, landlock::kRulePathBeneath, &rule, 0) == 0)
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

// The loader that an executable file names (PT_INTERP), which is executed
// with it; empty for one that needs none. False for a file that is no
// executable of this system: a script would need a shell.
bool loaderOf(const QString& program, QByteArray* loader)
{
    QFile file(program);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(sizeof(Elf64_Ehdr));
    if (head.size() < EI_NIDENT || !head.startsWith(ELFMAG))
        return false;
    const auto readHeaders = [&](auto fileHeader, auto programHeader) {
        using FileHeader = decltype(fileHeader);
        using ProgramHeader = decltype(programHeader);
        if (head.size() < qsizetype(sizeof(FileHeader)))
            return false;
        std::memcpy(&fileHeader, head.constData(), sizeof(FileHeader));
        for (int i = 0; i < fileHeader.e_phnum; ++i) {
            if (!file.seek(qint64(fileHeader.e_phoff) + qint64(i) * fileHeader.e_phentsize)
                || file.read(reinterpret_cast<char*>(&programHeader), sizeof(ProgramHeader))
                       != qint64(sizeof(ProgramHeader)))
                return false;
            if (programHeader.p_type != PT_INTERP)
                continue;
            if (programHeader.p_filesz > PATH_MAX || !file.seek(qint64(programHeader.p_offset)))
                return false;
            *loader = file.read(qint64(programHeader.p_filesz));
            const qsizetype end = loader->indexOf('\0');
            if (end >= 0)
                loader->truncate(end);
            return !loader->isEmpty();
        }
        return true;
    };
    loader->clear();
    if (head.at(EI_CLASS) == ELFCLASS64)
        return readHeaders(Elf64_Ehdr{}, Elf64_Phdr{});
    if (head.at(EI_CLASS) == ELFCLASS32)
        return readHeaders(Elf32_Ehdr{}, Elf32_Phdr{});
    return false;
}

// loaderOf, remembered for each program for as long as its file stays the
// same one.
bool knownLoaderOf(const QString& program, QByteArray* loader)
{
    struct Known {
        dev_t device;
        ino_t inode;
        timespec modified;
        bool executable;
        QByteArray loader;
    };
    static QMutex mutex;
    static QHash<QString, Known> known;
    struct stat status {
    };
    if (::stat(QFile::encodeName(program).constData(), &status) != 0)
        return loaderOf(program, loader);
    const QMutexLocker lock(&mutex);
    const auto it = known.constFind(program);
    if (it != known.cend() && it->device == status.st_dev && it->inode == status.st_ino
        && it->modified.tv_sec == status.st_mtim.tv_sec && it->modified.tv_nsec == status.st_mtim.tv_nsec) {
        *loader = it->loader;
        return it->executable;
    }
    const bool executable = loaderOf(program, loader);
    known.insert(program, {status.st_dev, status.st_ino, status.st_mtim, executable, *loader});
    return executable;
}

// The seccomp program that refuses sockets of every kind (Landlock knows
// TCP at most, and a Unix socket reaches the session's bus, which starts
// programs of its own) and the few calls that would go round the rest:
// io_uring makes sockets of its own, and path truncation escapes Landlock
// before ABI 3. Kernel interfaces no image program needs (keyrings, other
// processes' memory, eBPF) are refused too. Made once, in this process.
struct SocketFilter {
    std::vector<sock_filter> code;
    sock_fprog program{};
};

#ifdef ORVALIN_HAVE_SECCOMP
// The program of a filter as the kernel takes it; empty when it cannot be
// had. libseccomp writes it to a file descriptor only.
QByteArray exported(scmp_filter_ctx context)
{
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0)
        return {};
    bool ok = seccomp_export_bpf(context, pipe[1]) == 0;
    ::close(pipe[1]);
    QByteArray bytes;
    char buffer[4096];
    for (ssize_t n; ok && (n = ::read(pipe[0], buffer, sizeof(buffer))) != 0;) {
        if (n < 0 && errno != EINTR)
            ok = false;
        else if (n > 0)
            bytes.append(buffer, n);
    }
    ::close(pipe[0]);
    return ok ? bytes : QByteArray();
}
#endif

const SocketFilter* socketFilter()
{
#ifdef ORVALIN_HAVE_SECCOMP
    static const std::unique_ptr<SocketFilter> filter = []() -> std::unique_ptr<SocketFilter> {
        if (prctl(PR_GET_SECCOMP, 0, 0, 0, 0) < 0)
            return nullptr;
        scmp_filter_ctx context = seccomp_init(SCMP_ACT_ALLOW);
        if (!context)
            return nullptr;
        const struct {
            int call;
            int error;
        } refused[] = {
            {SCMP_SYS(socket), EACCES},          {SCMP_SYS(io_uring_setup), ENOSYS},
            {SCMP_SYS(io_uring_enter), ENOSYS},  {SCMP_SYS(io_uring_register), ENOSYS},
            {SCMP_SYS(truncate), EACCES},        {SCMP_SYS(ptrace), EPERM},
            {SCMP_SYS(process_vm_readv), EPERM}, {SCMP_SYS(process_vm_writev), EPERM},
            {SCMP_SYS(keyctl), EPERM},           {SCMP_SYS(add_key), EPERM},
            {SCMP_SYS(request_key), EPERM},      {SCMP_SYS(bpf), EPERM},
            {SCMP_SYS(perf_event_open), EPERM},  {SCMP_SYS(userfaultfd), EPERM},
        };
        // A tree of comparisons rather than a chain: the kernel runs the
        // filter for every call number as it is applied, at every start.
        seccomp_attr_set(context, SCMP_FLTATR_CTL_OPTIMIZE, 2);
        bool ok = true;
        for (const auto& rule : refused)
            ok = ok && seccomp_rule_add(context, SCMP_ACT_ERRNO(unsigned(rule.error)), rule.call, 0) == 0;
        const QByteArray bytes = ok ? exported(context) : QByteArray();
        seccomp_release(context);
        if (bytes.isEmpty() || bytes.size() % qsizetype(sizeof(sock_filter)) != 0)
            return nullptr;
        auto made = std::make_unique<SocketFilter>();
        made->code.resize(size_t(bytes.size()) / sizeof(sock_filter));
        std::memcpy(made->code.data(), bytes.constData(), size_t(bytes.size()));
        made->program.len = static_cast<unsigned short>(made->code.size());
        made->program.filter = made->code.data();
        return made;
    }();
    return filter.get();
#else
    return nullptr;
#endif
}

// The steps the child takes, as it reports a failure.
enum class Step : int { Parent = 1, NoNewPrivileges, CoreDumps, Memory, Landlock, SocketFilter };

struct Report {
    Step step;
    int error;
};

QString stepName(Step step)
{
    switch (step) {
    case Step::Parent:
        return QStringLiteral("tying its life to Orvalin's");
    case Step::NoNewPrivileges:
        return QStringLiteral("refusing it new privileges");
    case Step::CoreDumps:
        return QStringLiteral("turning off core dumps");
    case Step::Memory:
        return QStringLiteral("limiting its memory");
    case Step::Landlock:
        return QStringLiteral("applying the Landlock rules");
    case Step::SocketFilter:
        return QStringLiteral("applying the socket filter");
    }
    return QString();
}

} // namespace
#endif

Confinement::Offer Confinement::offered()
{
    static const Offer offer = [] {
        Offer o;
#ifdef Q_OS_LINUX
        o.landlockAbi = landlock::abi();
        o.socketFilter = socketFilter() != nullptr;
        o.limits = true;
#endif
        return o;
    }();
    return offer;
}

quint64 Confinement::memoryLimit()
{
#ifdef Q_OS_LINUX
    static const quint64 limit = [] {
        const long pages = sysconf(_SC_PHYS_PAGES);
        const long pageSize = sysconf(_SC_PAGESIZE);
        const quint64 machine = pages > 0 && pageSize > 0 ? quint64(pages) * quint64(pageSize) : 0;
        return qMax(machine / 4, quint64(1) << 30);
    }();
    return limit;
#else
    return 0;
#endif
}

QString Confinement::describe(const Offer& offer)
{
    QStringList parts;
    if (offer.landlockAbi >= 4)
        parts.append(QStringLiteral("files and TCP by Landlock (ABI %1)").arg(offer.landlockAbi));
    else if (offer.landlockAbi > 0)
        parts.append(QStringLiteral("files by Landlock (ABI %1)").arg(offer.landlockAbi));
    else
        parts.append(QStringLiteral("files not confined (no Landlock)"));
    if (offer.socketFilter)
        parts.append(QStringLiteral("every socket refused by seccomp"));
    if (offer.limits)
        parts.append(QStringLiteral("no new privileges, at most %1 GiB of memory, no core dumps")
                         .arg(double(memoryLimit()) / double(1ULL << 30), 0, 'f', 1));
    return parts.join(QStringLiteral("; "));
}

Confinement Confinement::full()
{
    Confinement confinement;
    confinement.m_on = true;
    return confinement;
}

Confinement Confinement::withLandlockAtMost(int abi) const
{
    Confinement confinement = *this;
    confinement.m_landlockAtMost = abi;
    return confinement;
}

Confinement Confinement::withoutSocketFilter() const
{
    Confinement confinement = *this;
    confinement.m_socketFilter = false;
    return confinement;
}

Confinement Confinement::reading(const QStringList& paths) const
{
    Confinement confinement = *this;
    confinement.m_reads += paths;
    return confinement;
}

Confinement Confinement::writing(const QStringList& paths) const
{
    Confinement confinement = *this;
    confinement.m_writes += paths;
    return confinement;
}

Confinement::Offer Confinement::inForce() const
{
    if (!m_on)
        return {};
    Offer offer = offered();
    offer.landlockAbi = qMin(offer.landlockAbi, m_landlockAtMost);
    offer.socketFilter = offer.socketFilter && m_socketFilter;
    return offer;
}

#ifdef Q_OS_LINUX
int Confinement::ruleset(int abi, const QString& program, QString* problem) const
{
    using namespace landlock;
    Ruleset rules(abi, problem);
    bool ok = rules.isValid();
    for (const SystemRead& read : systemReads())
        ok = ok && rules.allow(read.fd, read.folder, kReadFile | kReadDir, read.path);
    QByteArray loader;
    if (ok && !knownLoaderOf(program, &loader)) {
        *problem = QStringLiteral("%1 is not a program of this system").arg(program);
        ok = false;
    }
    // The program itself and its loader are all it may execute.
    ok = ok && rules.allow(QFile::encodeName(program), kReadFile | kExecute);
    ok = ok && (loader.isEmpty() || rules.allow(loader, kReadFile | kExecute));
    for (const QString& path : m_reads)
        ok = ok && rules.allow(QFile::encodeName(path), kReadFile | kReadDir);
    for (const QString& path : m_writes)
        ok = ok
             && rules.allow(QFile::encodeName(path),
                            kReadFile | kReadDir | kWriteFile | kTruncate | kMakeReg | kRemoveFile);
    return ok ? rules.take() : -1;
}
#endif

std::unique_ptr<Confinement::Prepared> Confinement::prepare(const QString& program, QString* problem) const
{
    std::unique_ptr<Prepared> prepared(new Prepared);
#ifdef Q_OS_LINUX
    prepared->m_parent = ::getpid();
    if (!m_on)
        return prepared;
    prepared->m_on = true;
    const Offer offer = inForce();
    if (offer.landlockAbi > 0) {
        prepared->m_ruleset = ruleset(offer.landlockAbi, program, problem);
        if (prepared->m_ruleset < 0)
            return nullptr;
    }
    if (offer.socketFilter)
        prepared->m_filter = &socketFilter()->program;
    if (offer.limits) {
        rlimit current{};
        ::getrlimit(RLIMIT_AS, &current);
        prepared->m_memory = qMin<quint64>(memoryLimit(), current.rlim_max);
    }
    if (::pipe2(prepared->m_report, O_CLOEXEC | O_NONBLOCK) != 0) {
        *problem = QStringLiteral("no pipe for the program's report: %1").arg(qt_error_string(errno));
        return nullptr;
    }
#else
    Q_UNUSED(program);
    Q_UNUSED(problem);
#endif
    return prepared;
}

Confinement::Prepared::~Prepared()
{
#ifdef Q_OS_LINUX
    for (int fd : {m_ruleset, m_report[0], m_report[1]})
        if (fd >= 0)
            ::close(fd);
#endif
}

void Confinement::Prepared::install(QProcess& process)
{
#ifdef Q_OS_LINUX
    process.setChildProcessModifier([this] { applyInChild(); });
#else
    Q_UNUSED(process);
#endif
}

void Confinement::Prepared::started()
{
#ifdef Q_OS_LINUX
    for (int* fd : {&m_ruleset, &m_report[1]}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
#endif
}

QString Confinement::Prepared::childProblem()
{
#ifdef Q_OS_LINUX
    if (m_report[0] < 0)
        return QString();
    Report report{};
    const ssize_t n = ::read(m_report[0], &report, sizeof(report));
    ::close(m_report[0]);
    m_report[0] = -1;
    if (n != ssize_t(sizeof(report)))
        return QString();
    return QStringLiteral("%1 failed: %2").arg(stepName(report.step), qt_error_string(report.error));
#else
    return QString();
#endif
}

// Runs in the child between fork and exec, where only system calls are
// safe: nothing here allocates, locks or throws.
void Confinement::Prepared::applyInChild() const
{
#ifdef Q_OS_LINUX
    const auto fail = [this](Step step, int error) {
        const Report report{step, error};
        if (m_report[1] >= 0 && ::write(m_report[1], &report, sizeof(report)) < 0)
            ::_exit(126);
        ::_exit(127);
    };
    // Killed with us, even when we are killed outright; and never started
    // at all when we are gone already.
    if (::prctl(PR_SET_PDEATHSIG, SIGKILL, 0, 0, 0) != 0)
        fail(Step::Parent, errno);
    if (::getppid() != m_parent)
        ::_exit(127);
    if (!m_on)
        return;
    if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0)
        fail(Step::NoNewPrivileges, errno);
    const rlimit noCore{0, 0};
    if (::setrlimit(RLIMIT_CORE, &noCore) != 0)
        fail(Step::CoreDumps, errno);
    if (m_memory > 0) {
        const rlimit memory{m_memory, m_memory};
        if (::setrlimit(RLIMIT_AS, &memory) != 0)
            fail(Step::Memory, errno);
    }
    if (m_ruleset >= 0 && syscall(landlock::kRestrictSelf, m_ruleset, 0) != 0)
        fail(Step::Landlock, errno);
    if (m_filter && syscall(SYS_seccomp, SECCOMP_SET_MODE_FILTER, 0, m_filter) != 0)
        fail(Step::SocketFilter, errno);
#endif
}
