// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "extract/ExtractHost.h"

#include <QFile>
#include <QString>

// A tab-separated list of the JPEG files a run saved, one line each as it is
// saved, after a heading line: file name, source PDF, page, index in the PDF
// (the extractor's number, from 0), width, height, kind, and whether it was
// kept as it was or encoded. A value that is not known is left empty. Where
// "/" separates folders, a tab, line end or backslash in a path is written
// \t, \n or \\; Windows paths hold no tab or line end, and keep their
// backslashes as they are.
class Manifest
{
public:
    // False, with why() saying why, when the file cannot be written. "-" is
    // standard output.
    bool open(const QString& path);
    const QString why() const { return m_file.errorString(); }
    void add(const ExtractHost::SavedImage& image);

    static QByteArray heading();
    static QByteArray line(const ExtractHost::SavedImage& image);

private:
    QFile m_file;
};
