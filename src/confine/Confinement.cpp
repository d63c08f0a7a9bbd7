// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Confinement.h"

#include "ChildLimits.h"
#include "LandlockRules.h"
#include "ProcessContainment.h"
#include "ProgramFile.h"
#include "SeccompFilter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace {

QString gibibytes(quint64 bytes)
{
    return QString::number(double(bytes) / double(1ULL << 30), 'f', 1);
}

} // namespace

#ifdef Q_OS_LINUX
namespace {

// The steps the child takes, as it reports a failure.
enum class Step : int {
    Parent = 1,
    Descriptors,
    Containment,
    NoNewPrivileges,
    Limits,
    Capabilities,
    Landlock,
    SystemCallFilter,
};

struct Report {
    Step step;
    int error;
};

QString stepName(Step step)
{
    switch (step) {
    case Step::Parent:
        return QStringLiteral("tying its life to Orvalin's");
    case Step::Descriptors:
        return QStringLiteral("closing the descriptors it inherited");
    case Step::Containment:
        return QStringLiteral("giving it a PID namespace of its own");
    case Step::NoNewPrivileges:
        return QStringLiteral("refusing it new privileges");
    case Step::Limits:
        return QStringLiteral("limiting its memory, file size and processes");
    case Step::Capabilities:
        return QStringLiteral("dropping its capabilities");
    case Step::Landlock:
        return QStringLiteral("applying the Landlock rules");
    case Step::SystemCallFilter:
        return QStringLiteral("applying the system-call filter");
    }
    return QString();
}

// What of Orvalin's environment a confined program gets: where programs are,
// how to write dates and numbers, and the time zone. Nothing else: no token,
// no session bus, no display. The loader's own search path goes along too:
// tools installed in a prefix of their own may need it to find their
// libraries.
bool passedOn(const QString& name)
{
    return name == QLatin1String("PATH") || name == QLatin1String("LANG") || name == QLatin1String("LANGUAGE")
           || name == QLatin1String("TZ") || name.startsWith(QLatin1String("LC_"))
           || name == QLatin1String("LD_LIBRARY_PATH");
}

// A folder a confined program may be given to read beyond its own places:
// never the top of the file system, nor the home folder or one that holds
// it, which would hand it every file of the user's.
bool mayBeRead(const QString& folder)
{
    const QString real = QFileInfo(folder).canonicalFilePath();
    if (real.isEmpty() || !QFileInfo(real).isDir())
        return false;
    const QString home = QFileInfo(QDir::homePath()).canonicalFilePath();
    return real != QLatin1String("/") && real != home && !home.startsWith(real + QLatin1Char('/'));
}

// Where a tool lives with what it needs: the folder above the bin folder
// that holds it (its prefix, as installations lay themselves out), or else
// its own folder; for the path as given and as the links lead.
QStringList prefixesOf(const QString& program)
{
    QStringList prefixes;
    for (const QString& path : {program, QFileInfo(program).canonicalFilePath()}) {
        const QFileInfo folder(QFileInfo(path).absolutePath());
        const QString prefix = folder.fileName() == QLatin1String("bin") ? folder.absolutePath() : folder.filePath();
        if (!path.isEmpty() && !prefixes.contains(prefix))
            prefixes.append(prefix);
    }
    return prefixes;
}

// The folders whose programs a script may run besides its tool's prefix.
const char* const kSystemPrograms[] = {"/usr", "/bin", "/sbin", "/lib", "/lib32", "/lib64", "/libx32"};

} // namespace
#endif

Confinement::Offer Confinement::offered()
{
    static const Offer offer = [] {
        Offer o;
#ifdef Q_OS_LINUX
        o.landlockAbi = LandlockRules::abi();
        o.systemCallFilter = SeccompFilter::offered();
        o.limits = true;
        o.processTrees = ProcessContainment::treesOffered();
#endif
        return o;
    }();
    return offer;
}

quint64 Confinement::memoryLimit()
{
    return ChildLimits::memoryLimit();
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
    if (offer.systemCallFilter)
        parts.append(QStringLiteral("every socket, file permissions, owners, times and attributes, IPC, watching "
                                    "files and typing into terminals refused by seccomp; the tools start no "
                                    "process"));
    if (offer.limits)
        parts.append(QStringLiteral("no new privileges and no capabilities, no inherited descriptors, a small "
                                    "environment, at most %1 GiB of memory and %2 GiB a file, no core dumps")
                         .arg(gibibytes(memoryLimit()), gibibytes(kFileSizeCap)));
    if (offer.limits)
        parts.append(offer.processTrees ? QStringLiteral("scripts and what they start in a PID namespace of their own")
                                        : QStringLiteral("no PID namespaces, so scripts cannot run confined"));
    if (offer.landlockAbi > 0 && offer.landlockAbi < 6)
        parts.append(QStringLiteral("signals to other processes not fenced off (Landlock ABI 6 does)"));
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

Confinement Confinement::withoutSystemCallFilter() const
{
    Confinement confinement = *this;
    confinement.m_systemCallFilter = false;
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

Confinement Confinement::inWorkFolder(const QString& folder) const
{
    Confinement confinement = *this;
    confinement.m_workFolder = folder;
    return confinement;
}

Confinement Confinement::withFileSizeLimit(quint64 bytes) const
{
    Confinement confinement = *this;
    confinement.m_fileSize = qMin(bytes, kFileSizeCap);
    return confinement;
}

Confinement::Offer Confinement::inForce() const
{
    if (!m_on)
        return {};
    Offer offer = offered();
    offer.landlockAbi = qMin(offer.landlockAbi, m_landlockAtMost);
    offer.systemCallFilter = offer.systemCallFilter && m_systemCallFilter;
    return offer;
}

std::unique_ptr<Confinement::Prepared> Confinement::prepare(const QString& program, QString* problem) const
{
    std::unique_ptr<Prepared> prepared(new Prepared);
#ifdef Q_OS_LINUX
    prepared->m_parent = ::getpid();
    if (!m_on)
        return prepared;
    prepared->m_on = true;
    const Offer offer = inForce();
    const ProgramFile file = ProgramFile::of(program);
    LandlockRules::Places places;
    places.executes.append(QFile::encodeName(program));
    // Tools kept where users keep them read what they brought along.
    const QStringList prefixes = prefixesOf(program);
    for (const QString& prefix : prefixes)
        if (mayBeRead(prefix))
            places.reads.append(QFile::encodeName(prefix));
    for (const QByteArray& folder : file.libraryFolders)
        if (mayBeRead(QFile::decodeName(folder)))
            places.reads.append(folder);
    switch (file.kind) {
    case ProgramFile::Kind::Native:
        // The program itself and its loader are all it may run.
        if (!file.loader.isEmpty())
            places.executes.append(file.loader);
        break;
    case ProgramFile::Kind::Script:
        if (!offer.processTrees) {
            *problem = QStringLiteral("%1 is a script, and this system keeps an ordinary user from containing the "
                                      "programs a script starts (no PID namespaces)")
                           .arg(program);
            return nullptr;
        }
        prepared->m_ownTree = true;
        // Its interpreter, and the programs of the system and of its prefix.
        places.executes.append(file.interpreter);
        for (const char* folder : kSystemPrograms)
            if (QFileInfo(QLatin1String(folder)).isDir())
                places.executes.append(folder);
        for (const QString& prefix : prefixes)
            if (mayBeRead(prefix))
                places.executes.append(QFile::encodeName(prefix));
        break;
    case ProgramFile::Kind::Other:
        *problem = QStringLiteral("%1 is not a program of this system").arg(program);
        return nullptr;
    }
    if (offer.landlockAbi > 0) {
        for (const QString& path : m_reads)
            places.reads.append(QFile::encodeName(path));
        for (const QString& path : m_writes)
            places.writes.append(QFile::encodeName(path));
        prepared->m_ruleset = LandlockRules::ruleset(offer.landlockAbi, places, problem);
        if (prepared->m_ruleset < 0)
            return nullptr;
    }
    if (offer.systemCallFilter)
        prepared->m_filter = SeccompFilter::program(prepared->m_ownTree ? SeccompFilter::Kind::ProcessTree
                                                                        : SeccompFilter::Kind::SingleProcess);
    if (offer.limits) {
        rlimit current{};
        ::getrlimit(RLIMIT_AS, &current);
        prepared->m_memory = qMin<quint64>(memoryLimit(), current.rlim_max);
        ::getrlimit(RLIMIT_FSIZE, &current);
        prepared->m_fileSize = qMin<quint64>(m_fileSize, current.rlim_max);
    }
    const QProcessEnvironment mine = QProcessEnvironment::systemEnvironment();
    for (const QString& name : mine.keys())
        if (passedOn(name))
            prepared->m_environment.append(name + QLatin1Char('=') + mine.value(name));
    if (!m_workFolder.isEmpty())
        prepared->m_environment.append(QStringLiteral("HOME=") + m_workFolder);
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
    if (m_on)
        process.setEnvironment(m_environment);
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
    const auto check = [&fail](Step step, int error) {
        if (error != 0)
            fail(step, error);
    };
    // Killed with us, even when we are killed outright; and never started
    // at all when we are gone already.
    check(Step::Parent, ProcessContainment::tieToParent(m_parent));
    check(Step::Descriptors, ChildLimits::closeInheritedDescriptors());
    if (!m_on)
        return;
    if (m_ownTree)
        check(Step::Containment, ProcessContainment::enterOwnTree());
    check(Step::NoNewPrivileges, ChildLimits::refuseNewPrivileges());
    check(Step::Limits,
          ChildLimits::applyLimits({m_memory, m_fileSize, m_ownTree ? Confinement::kScriptProcesses : 0}));
    check(Step::Capabilities, ChildLimits::dropCapabilities());
    if (m_ruleset >= 0 && !LandlockRules::restrictSelf(m_ruleset))
        fail(Step::Landlock, errno);
    if (m_filter && !SeccompFilter::install(m_filter))
        fail(Step::SystemCallFilter, errno);
#endif
}
