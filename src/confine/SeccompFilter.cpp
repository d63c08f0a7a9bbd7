// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SeccompFilter.h"

#include <QByteArray>

#include <memory>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>
#ifdef ORVALIN_HAVE_SECCOMP
#include <seccomp.h>
#endif
#endif

namespace SeccompFilter {

#if defined(Q_OS_LINUX) && defined(ORVALIN_HAVE_SECCOMP)
namespace {

struct Filter {
    std::vector<sock_filter> code;
    sock_fprog program{};
};

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

// Calls newer than the system's headers, by the numbers every architecture
// shares from 424 on; a kernel that lacks them refuses them anyway.
constexpr int kFchmodat2 = 452;
constexpr int kSetxattrat = 463;
constexpr int kRemovexattrat = 466;

struct Refusal {
    int call;
    int error;
};

// Refused to every confined program.
const Refusal kRefused[] = {
    // Sockets, and what makes sockets or paths of its own.
    {SCMP_SYS(socket), EACCES},
    {SCMP_SYS(io_uring_setup), ENOSYS},
    {SCMP_SYS(io_uring_enter), ENOSYS},
    {SCMP_SYS(io_uring_register), ENOSYS},
    // Path truncation escapes Landlock before ABI 3.
    {SCMP_SYS(truncate), EACCES},
    // Permissions, owners, times and extended attributes.
    {SCMP_SYS(chmod), EPERM},
    {SCMP_SYS(fchmod), EPERM},
    {SCMP_SYS(fchmodat), EPERM},
    {kFchmodat2, EPERM},
    {SCMP_SYS(chown), EPERM},
    {SCMP_SYS(fchown), EPERM},
    {SCMP_SYS(lchown), EPERM},
    {SCMP_SYS(fchownat), EPERM},
    {SCMP_SYS(utime), EPERM},
    {SCMP_SYS(utimes), EPERM},
    {SCMP_SYS(futimesat), EPERM},
    {SCMP_SYS(utimensat), EPERM},
    {SCMP_SYS(setxattr), EPERM},
    {SCMP_SYS(lsetxattr), EPERM},
    {SCMP_SYS(fsetxattr), EPERM},
    {kSetxattrat, EPERM},
    {SCMP_SYS(removexattr), EPERM},
    {SCMP_SYS(lremovexattr), EPERM},
    {SCMP_SYS(fremovexattr), EPERM},
    {kRemovexattrat, EPERM},
    // SysV IPC and POSIX message queues reach other processes by number.
    {SCMP_SYS(shmget), EPERM},
    {SCMP_SYS(shmat), EPERM},
    {SCMP_SYS(shmdt), EPERM},
    {SCMP_SYS(shmctl), EPERM},
    {SCMP_SYS(msgget), EPERM},
    {SCMP_SYS(msgsnd), EPERM},
    {SCMP_SYS(msgrcv), EPERM},
    {SCMP_SYS(msgctl), EPERM},
    {SCMP_SYS(semget), EPERM},
    {SCMP_SYS(semop), EPERM},
    {SCMP_SYS(semtimedop), EPERM},
    {SCMP_SYS(semctl), EPERM},
    {SCMP_SYS(ipc), EPERM},
    {SCMP_SYS(mq_open), EPERM},
    {SCMP_SYS(mq_unlink), EPERM},
    {SCMP_SYS(mq_timedsend), EPERM},
    {SCMP_SYS(mq_timedreceive), EPERM},
    {SCMP_SYS(mq_notify), EPERM},
    {SCMP_SYS(mq_getsetattr), EPERM},
    // Watching what happens to the user's files.
    {SCMP_SYS(inotify_init), EPERM},
    {SCMP_SYS(inotify_init1), EPERM},
    {SCMP_SYS(fanotify_init), EPERM},
    // Other processes, their memory and their descriptors.
    {SCMP_SYS(ptrace), EPERM},
    {SCMP_SYS(process_vm_readv), EPERM},
    {SCMP_SYS(process_vm_writev), EPERM},
    {SCMP_SYS(pidfd_getfd), EPERM},
    {SCMP_SYS(kcmp), EPERM},
    // New namespaces would leave the rules behind them.
    {SCMP_SYS(unshare), EPERM},
    {SCMP_SYS(setns), EPERM},
    // Running code that never was a file.
    {SCMP_SYS(memfd_create), EPERM},
    // Kernel interfaces no image program needs.
    {SCMP_SYS(keyctl), EPERM},
    {SCMP_SYS(add_key), EPERM},
    {SCMP_SYS(request_key), EPERM},
    {SCMP_SYS(bpf), EPERM},
    {SCMP_SYS(perf_event_open), EPERM},
    {SCMP_SYS(userfaultfd), EPERM},
};

// Refused to a program that starts none of its own: clone3 as unknown, so
// that the C library falls back to clone for its threads.
const Refusal kNoProcesses[] = {
    {SCMP_SYS(fork), EPERM},
    {SCMP_SYS(vfork), EPERM},
    {SCMP_SYS(clone3), ENOSYS},
};

bool add(scmp_filter_ctx context, const Refusal& refusal, unsigned count = 0, const scmp_arg_cmp* compare = nullptr)
{
    // A call this architecture does not have needs no rule.
    if (refusal.call < 0)
        return true;
    return seccomp_rule_add_array(context, SCMP_ACT_ERRNO(unsigned(refusal.error)), refusal.call, count, compare) == 0;
}

std::unique_ptr<Filter> make(Kind kind)
{
    if (prctl(PR_GET_SECCOMP, 0, 0, 0, 0) < 0)
        return nullptr;
    scmp_filter_ctx context = seccomp_init(SCMP_ACT_ALLOW);
    if (!context)
        return nullptr;
    // A tree of comparisons rather than a chain: the kernel runs the filter
    // for every call number as it is applied, at every start.
    seccomp_attr_set(context, SCMP_FLTATR_CTL_OPTIMIZE, 2);
    bool ok = true;
    for (const Refusal& refusal : kRefused)
        ok = ok && add(context, refusal);
    // Arguments of type int are compared in their low 32 bits alone, as the
    // kernel reads them.
    constexpr scmp_datum_t kInt = 0xffffffffU;
    for (const unsigned long request : {TIOCSTI, TIOCLINUX}) {
        const scmp_arg_cmp typed = SCMP_A1(SCMP_CMP_MASKED_EQ, kInt, request);
        ok = ok && add(context, {SCMP_SYS(ioctl), EPERM}, 1, &typed);
    }
    const scmp_arg_cmp deathSignal = SCMP_A0(SCMP_CMP_MASKED_EQ, kInt, PR_SET_PDEATHSIG);
    ok = ok && add(context, {SCMP_SYS(prctl), EPERM}, 1, &deathSignal);
    if (kind == Kind::SingleProcess) {
        for (const Refusal& refusal : kNoProcesses)
            ok = ok && add(context, refusal);
        // clone makes threads as well as processes: only a new process,
        // one without CLONE_THREAD, is refused.
        const scmp_arg_cmp process = SCMP_A0(SCMP_CMP_MASKED_EQ, CLONE_THREAD, 0);
        ok = ok && add(context, {SCMP_SYS(clone), EPERM}, 1, &process);
    }
    const QByteArray bytes = ok ? exported(context) : QByteArray();
    seccomp_release(context);
    if (bytes.isEmpty() || bytes.size() % qsizetype(sizeof(sock_filter)) != 0)
        return nullptr;
    auto made = std::make_unique<Filter>();
    made->code.resize(size_t(bytes.size()) / sizeof(sock_filter));
    std::memcpy(made->code.data(), bytes.constData(), size_t(bytes.size()));
    made->program.len = static_cast<unsigned short>(made->code.size());
    made->program.filter = made->code.data();
    return made;
}

} // namespace

const void* program(Kind kind)
{
    static const std::unique_ptr<Filter> single = make(Kind::SingleProcess);
    static const std::unique_ptr<Filter> tree = make(Kind::ProcessTree);
    const std::unique_ptr<Filter>& filter = kind == Kind::SingleProcess ? single : tree;
    return filter ? &filter->program : nullptr;
}

bool offered()
{
    return program(Kind::SingleProcess) && program(Kind::ProcessTree);
}

bool install(const void* program)
{
    return syscall(SYS_seccomp, SECCOMP_SET_MODE_FILTER, 0, program) == 0;
}

#else

bool offered()
{
    return false;
}

const void* program(Kind)
{
    return nullptr;
}

bool install(const void*)
{
    return false;
}

#endif

} // namespace SeccompFilter
