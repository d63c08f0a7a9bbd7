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
// user's files or network to whoever made the PDF.
//
// Confined, a program reads only the system's own files (libraries and their
// data) and the places it is given to read, writes only in the places it is
// given to write, starts no other program, opens no socket, gains no
// privileges, gets a share of the machine's memory and leaves no core dump.
// What the system does not offer is left out; offered() says what it offers.
// Every program started here, confined or not, also ends when the process
// that started it ends, however that ends.
//
// A value: a run keeps one and gives each of its commands a copy with the
// command's own places added.
class Confinement
{
public:
    // What this system offers to confine a program with.
    struct Offer {
        int landlockAbi = 0;       // files by Landlock, and TCP from 4 on; 0: none
        bool socketFilter = false; // sockets refused by a seccomp filter
        bool limits = false;       // no new privileges, a memory limit, no core dumps
    };
    // What the running system offers; asked once.
    static Offer offered();
    // The offer in a few words, such as "files and TCP by Landlock (ABI 7); ...".
    static QString describe(const Offer& offer);
    // The most memory a confined program may take up: a quarter of the
    // machine's, but at least 1 GiB. 0 where there is no such limit.
    static quint64 memoryLimit();

    // Programs run as they are.
    Confinement() = default;
    // Everything the system offers.
    static Confinement full();

    bool isOn() const { return m_on; }
    // At most the Landlock of this ABI: the confinement an older kernel
    // gives (0: none). For tests and measurements.
    Confinement withLandlockAtMost(int abi) const;
    Confinement withoutSocketFilter() const;
    // The same with more places: files and folders it may read; folders it
    // may create, change and remove files in, and files it may write.
    Confinement reading(const QStringList& paths) const;
    Confinement writing(const QStringList& paths) const;

    // What of the system's offer these settings put in force.
    Offer inForce() const;

    class Prepared;
    // Makes the confinement of program ready for its start. Nothing, with
    // problem set, when it cannot be made ready: the program must then not
    // run at all.
    std::unique_ptr<Prepared> prepare(const QString& program, QString* problem) const;

private:
    // The Landlock rules of program, made ready: a file descriptor, or -1
    // with problem set.
    int ruleset(int abi, const QString& program, QString* problem) const;

    bool m_on = false;
    int m_landlockAtMost = INT_MAX;
    bool m_socketFilter = true;
    QStringList m_reads;
    QStringList m_writes;
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

    // Applies it in the child of process's next start.
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
    long long m_parent = 0;         // the process id of the starting process
    int m_ruleset = -1;             // the Landlock rules, for the child
    int m_report[2] = {-1, -1};     // the child's word when it fails
    const void* m_filter = nullptr; // the seccomp program, made once
    quint64 m_memory = 0;
};
