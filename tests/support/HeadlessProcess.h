// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: LicenseRef-proprietary

#pragma once

#include "TestFiles.h"

#include <QDir>
#include <QProcess>
#include <QStringList>
#include <QTest>

// An extraction run in a process of its own (the headlessextract program),
// for tests that end it from outside.
class HeadlessProcess
{
public:
    HeadlessProcess(const QString& applicationFolder, const QString& outputFolder, const QStringList& rows)
    {
        m_process.start(qEnvironmentVariable("ORVALIN_HEADLESS"), QStringList{applicationFolder, outputFolder} + rows);
    }
    ~HeadlessProcess()
    {
        m_process.kill();
        m_process.waitForFinished();
    }
    HeadlessProcess(const HeadlessProcess&) = delete;
    HeadlessProcess& operator=(const HeadlessProcess&) = delete;

    QProcess& process() { return m_process; }

    // Waits until the run is under way in folder: its work folder is there
    // and at least jpegs JPEG files have been claimed besides the others.
    [[nodiscard]] bool waitUntilBusy(const QString& folder, int others, int jpegs)
    {
        return QTest::qWaitFor(
            [&] {
                return !TestFiles::workFolders(folder).isEmpty()
                       && QDir(folder).entryList({QStringLiteral("*.jpg")}, QDir::Files).size() >= others + jpegs;
            },
            60000);
    }

private:
    QProcess m_process;
};
