// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

// Finds a companion program: in the application folder first, then on PATH.
class ToolLocator
{
public:
    // searchPath false: look in the application folder only (tests point it at
    // an empty folder to see a tool go missing).
    ToolLocator(QString applicationFolder, bool searchPath = true);

    // The full path of the program baseName ("pdfimages", "cjpeg"; ".exe" is
    // added on Windows), or the empty string when it is nowhere to be found.
    QString find(const QString& baseName) const;

    // The extractor and the encoder, both looked for before either runs:
    // images extracted for an encoder that is not there would only be thrown
    // away. problem names the first that is missing.
    struct Tools {
        QString extractor;
        QString encoder;
        QString problem;
    };
    Tools findTools() const;

    const QString& applicationFolder() const { return m_applicationFolder; }

private:
    QString m_applicationFolder;
    bool m_searchPath;
};
