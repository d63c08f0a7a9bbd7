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

// Marks a file or folder as hidden. A name that begins with "." is hidden
// already here; Windows needs the attribute.
void HideFile(const QString& path);

// True when the platform cannot open path for its length alone: a name of
// more than 255 characters (bytes here), or a path longer than the platform
// allows.
bool PathTooLong(const QString& path);

} // namespace Platform
