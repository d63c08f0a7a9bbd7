// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Writes a test PDF with one image of each kind a scan or an office program
// holds (colour, grey, JPEG, black and white) to the path given, for checks
// that run the program itself, such as the installer's under Wine.
//   maketestpdf PATH
#include "TestPdf.h"

#include <QCoreApplication>
#include <QStringList>

int main(int argc, char* argv[])
{
    const QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 2)
        return 2;
    using TestPdf::Kind;
    return TestPdf::write(
               arguments.at(1),
               {{Kind::Rgb, 64, 48, 1}, {Kind::Gray, 40, 30, 2}, {Kind::Jpeg, 80, 60, 3}, {Kind::Mono, 96, 64, 4}})
               ? 0
               : 1;
}
