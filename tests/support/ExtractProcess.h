// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "TestFiles.h"

#include <QDir>
#include <QProcess>
#include <QStringList>
#include <QTest>

// An extraction run of the command line, orvalin-extract, in a process of its
// own: for tests that end it from outside.
class ExtractProcess
{
public:
    ExtractProcess(const QString& outputFolder, const QStringList& pdfs)
    {
        m_process.start(qEnvironmentVariable("ORVALIN_EXTRACT"),
                        QStringList{QStringLiteral("--quiet"), QStringLiteral("-o"), outputFolder} + pdfs);
    }
    ~ExtractProcess()
    {
        m_process.kill();
        m_process.waitForFinished();
    }
    ExtractProcess(const ExtractProcess&) = delete;
    ExtractProcess& operator=(const ExtractProcess&) = delete;

    QProcess& process() { return m_process; }

    // Waits until the run is under way in folder: its work folder is there
    // and at least jpegs JPEG files of its own are claimed.
    [[nodiscard]] bool waitUntilBusy(const QString& folder, int jpegs)
    {
        const qsizetype before = QDir(folder).entryList({QStringLiteral("*.jpg")}, QDir::Files).size();
        return QTest::qWaitFor(
            [&] {
                return !TestFiles::workFolders(folder).isEmpty()
                       && QDir(folder).entryList({QStringLiteral("*.jpg")}, QDir::Files).size() >= before + jpegs;
            },
            60000);
    }

private:
    QProcess m_process;
};
