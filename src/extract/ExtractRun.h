#pragma once

#include "ExtractHost.h"
#include "ToolLocator.h"

#include <QString>
#include <QStringList>

// "Extract!": every PDF of the source list goes through the image extractor,
// and every image it writes through the JPEG encoder, into numbered JPEG files
// in the output folder.
class ExtractRun
{
public:
    ExtractRun(ExtractHost& host, ToolLocator tools);

    // How many encoders may run at once (1: one image after the other); as
    // many as the machine has cores unless set.
    void SetParallelEncoders(int count) { m_parallelEncoders = count < 1 ? 1 : count; }
    int ParallelEncoders() const { return m_parallelEncoders; }

    // The whole run, from the busy pointer to the final message. A call made
    // while a run is in progress (from an event handled during a wait) does
    // nothing.
    void ExtractAll();

    bool IsRunning() const { return m_running; }

    // The problems of the last run, one line each, as shown after "Done.".
    const QStringList& Problems() const { return m_problems; }

    // The final message for a list of problems.
    static QString FinalMessage(const QStringList& problems);

    // A path handed to a program as an argument: one that would begin with "-"
    // is written with a leading "./" so it can never be taken for an option.
    static QString SafeArgument(const QString& path);

    // What the extractor's failure means in words a user understands.
    static QString DescribeExtractorFailure(int exitCode, const QByteArray& errorOutput);

private:
    // Works through one row; returns the problem, or the empty string.
    QString ExtractOne(int row, const QString& workCopy);
    // Converts the listed images; returns how many failed.
    int EncodeImages(const QString& imageFolder, const QStringList& images, const QString& encoder);

    ExtractHost& m_host;
    ToolLocator m_tools;
    int m_parallelEncoders;
    bool m_running = false;
    QStringList m_problems;
};
