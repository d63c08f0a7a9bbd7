// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QStringList>

#include <climits>
#include <memory>

class QProcess;

// What an external program may do once it runs: a PDF from anywhere is
// parsed by a program written in C++, and a flaw in it must not hand the
// user's files, processes or network to whoever made the PDF.
//
// Confined, a program reads only the system's own files (libraries and their
// data) and the places it is given to read, writes only in the places it is
// given to write, runs nothing but itself, opens no socket, changes no
// file's permissions, owner, times or attributes, reaches no other process,
// gains no privileges and holds no capabilities, gets a share of the
// machine's memory and a largest file, sees only a small fixed environment
// and leaves no core dump; and nothing it starts outlives it (see
// ProcessContainment). What the system does not offer is left out;
// offered() says what it offers. Every program started here, confined or
// not, ends when the process that started it ends, however that ends, and
// inherits no descriptor but its standard input, output and error.
//
// A value: a run keeps one and gives each of its commands a copy with the
// command's own places added. The mechanisms each have a file of their own:
// LandlockRules, SeccompFilter, ChildLimits, ProcessContainment, and
// ProgramFile for what a program file needs to run.
class Confinement
{
public:
    // What this system offers to confine a program with.
    struct Offer {
        int landlockAbi = 0;           // files by Landlock, TCP from 4 on, signals from 6 on; 0: none
        bool systemCallFilter = false; // sockets, metadata, IPC and more refused by seccomp
        bool limits = false;           // no new privileges or capabilities, memory, file size, no core dumps
        bool processTrees = false;     // a script's programs contained in a PID namespace
    };
    // What the running system offers; asked once.
    static Offer offered();
    // The offer in a few words, with what it leaves open, such as "files by
    // Landlock (ABI 2); ...; signals to other processes not fenced off".
    static QString describe(const Offer& offer);
    // The most memory a confined program may take up: a quarter of the
    // machine's, but at least 1 GiB. 0 where there is no such limit.
    static quint64 memoryLimit();
    // The largest file a confined program may write unless told otherwise:
    // far beyond any image an extractor writes, far below a full disk.
    static constexpr quint64 kFileSizeCap = quint64(2) << 30;
    // How many processes a confined script may have at once.
    static constexpr int kScriptProcesses = 64;

    // Programs run as they are.
    Confinement() = default;
    // Everything the system offers.
    static Confinement full();

    bool isOn() const { return m_on; }
    // At most the Landlock of this ABI: the confinement an older kernel
    // gives (0: none). For tests and measurements.
    Confinement withLandlockAtMost(int abi) const;
    Confinement withoutSystemCallFilter() const;
    // The same with more places: files and folders it may read; folders it
    // may create, change and remove files in, and files it may write.
    Confinement reading(const QStringList& paths) const;
    Confinement writing(const QStringList& paths) const;
    // The folder its work goes on in, which it gets as HOME.
    Confinement inWorkFolder(const QString& folder) const;
    // The largest file it may write, in bytes (kFileSizeCap unless set).
    Confinement withFileSizeLimit(quint64 bytes) const;

    // What of the system's offer these settings put in force.
    Offer inForce() const;

    class Prepared;
    // Makes the confinement of program ready for its start. Nothing, with
    // problem set, when it cannot be made ready: the program must then not
    // run at all.
    std::unique_ptr<Prepared> prepare(const QString& program, QString* problem) const;

private:
    bool m_on = false;
    int m_landlockAtMost = INT_MAX;
    bool m_systemCallFilter = true;
    QStringList m_reads;
    QStringList m_writes;
    QString m_workFolder;
    quint64 m_fileSize = kFileSizeCap;
};

// One program's confinement, ready to be applied in the child process
// between its start and the program's own first instruction. Everything
// that may fail or allocate is done before the start; the child only makes
// system calls.
class Confinement::Prepared
{
public:
    ~Prepared();
    Prepared(const Prepared&) = delete;
    Prepared& operator=(const Prepared&) = delete;

    // Applies it in the child of process's next start, and gives the
    // program its environment.
    void install(QProcess& process);
    // To be called once the start has returned: what only the child needed
    // is let go of.
    void started();
    // Once the program has ended: why the child could not confine itself
    // (it then ran nothing), or the empty string.
    QString childProblem();

private:
    friend class Confinement;
    Prepared() = default;
    void applyInChild() const;

    bool m_on = false;
    bool m_ownTree = false;         // a script: its own PID namespace
    long long m_parent = 0;         // the process id of the starting process
    int m_ruleset = -1;             // the Landlock rules, for the child
    int m_report[2] = {-1, -1};     // the child's word when it fails
    const void* m_filter = nullptr; // the seccomp program, made once
    quint64 m_memory = 0;
    quint64 m_fileSize = 0;
    QStringList m_environment;
};
