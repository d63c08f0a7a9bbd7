#pragma once

#include <QChar>
#include <QString>

// The few places where the operating system shows through. Everything else in
// Orvalin is written against Qt alone.
namespace Platform {

// The one path separator of this platform: "/" here, "\" on Windows.
QChar Separator();
inline QString SeparatorString() { return QString(Separator()); }

// The short (8.3) form of an existing path as the file system reports it; the
// empty string when the platform cannot give one.
QString ShortPathName(const QString& path);

// The default output folder: the root of C: on Windows, the home folder elsewhere.
QString DefaultOutputFolder();

// The executable name of a companion tool: "pdfimages" here, "pdfimages.exe" on Windows.
QString ExecutableName(const QString& baseName);

} // namespace Platform
