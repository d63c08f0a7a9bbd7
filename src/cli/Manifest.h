// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "extract/ExtractHost.h"

#include <QFileDevice>
#include <QString>

#include <memory>

// A tab-separated list of the JPEG files a run saved, one line each as it is
// saved, after a heading line: file name, source PDF, page, index in the PDF
// (the extractor's number, from 0), width, height, kind, and whether it was
// kept as it was or encoded. A value that is not known is left empty. Where
// "/" separates folders, a tab, line end or backslash in a path is written
// \t, \n or \\; Windows paths hold no tab or line end, and keep their
// backslashes as they are.
//
// A manifest file is written whole or not at all: into a temporary file
// beside it, which takes its name at commit. It only ever replaces an earlier
// manifest, known by its heading line.
class Manifest
{
public:
    Manifest();
    ~Manifest();

    // False, with why() saying why, when the file cannot be written. "-" is
    // standard output.
    bool open(const QString& path);
    const QString& why() const { return m_why; }
    bool toStandardOutput() const { return m_path == QLatin1String("-"); }
    // False, with why() saying why, when the line could not be written whole
    // (a full disk, a closed pipe); nothing more is written then.
    bool add(const ExtractHost::SavedImage& image);
    // The manifest file takes its name: false, with why() saying why and
    // nothing left of it, when it cannot be written whole or a file that is
    // no manifest took its name meanwhile.
    bool commit();
    // Nothing of the manifest file stays.
    void discard();

    // True when the file at path begins with the heading line.
    static bool isManifest(const QString& path);
    static QByteArray heading();
    static QByteArray line(const ExtractHost::SavedImage& image);

private:
    bool fail();

    QString m_path;
    std::unique_ptr<QFileDevice> m_file;
    QString m_why;
};
