// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QChar>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

class QFile;

// The few places where the operating system shows through. Everything else in
// Orvalin is written against Qt alone.
namespace Platform {

// The one path separator of this platform: "/" here, "\" on Windows.
QChar separator();
inline QString separatorString()
{
    return QString(separator());
}
// True for a character that separates folders in typed text: the platform's
// own, or "/", which Windows takes as well.
inline bool isSeparator(QChar c)
{
    return c == separator() || c == QLatin1Char('/');
}

// The short (8.3) form of an existing path as the file system reports it; the
// empty string when the platform cannot give one.
QString shortPathName(const QString& path);

// The default output folder: the root of C: on Windows, the home folder elsewhere.
QString defaultOutputFolder();

// True when text names a place from the top of a file system: "/..." here;
// "C:\..." or "\\server\share..." on Windows, where "C:out" and "\out" are
// still relative (to the current folder of drive C:, to the current drive).
bool isFullPath(const QString& text);

// True for a Windows network path, "\\server\share...", whose two leading
// separators belong together; never elsewhere.
bool isNetworkPath(const QString& path);

// Puts the names found in one folder in the order a listing shows: on
// Windows as the directory search yields them (its file systems keep names
// in an order of their own); elsewhere, where that order means nothing, in
// natural order.
void orderListing(QStringList& names);

// True when the folder is the running user's own and its owner has not made
// it read-only. Where folders have no owners to speak of, every folder counts
// as the user's.
bool folderIsUsersOwn(const QString& folder);

// True when the folder lies where the system keeps installed software: below
// /usr, /opt and the like here, below the program and system folders on
// Windows, the user's own program folder (where per-user installations go)
// included.
bool isSystemFolder(const QString& folder);

// The executable name of a companion tool: "pdfimages" here, "pdfimages.exe" on Windows.
QString executableName(const QString& baseName);

// Marks a file or folder as hidden. A name that begins with "." is hidden
// already here; Windows needs the attribute.
void hideFile(const QString& path);

// Renames the file from to the name to, replacing the file there in one step
// (no moment without a file at to); both lie on one file system. False, with
// nothing changed, when it cannot be done.
bool replaceFile(const QString& from, const QString& to);

// True when the error channel of this process is a terminal that a person
// reads; the same for its standard output.
bool standardErrorIsTerminal();
bool standardOutputIsTerminal();

// Which of the standard streams were closed when the program started (as
// "2>&-" closes one). Each is then opened on the null device, so that no file
// the program opens later takes its number and receives what was meant for
// the stream. Called first thing, before Qt opens anything.
struct ClosedStreams {
    bool input = false;
    bool output = false;
    bool error = false;
};
ClosedStreams fillClosedStandardStreams();

// The current folder as a full path. Empty, with why saying why ("was
// removed"), when relative paths cannot be taken from it: it was removed, it
// lies deeper than a path may be long, or its path is not text (see
// PathBytes). Never "/" in its place.
QString currentFolder(QString* why);

// A name in a folder that is no text (see PathBytes), as its bytes.
struct RawName {
    QByteArray bytes;
    bool folder = false; // a folder, or a link to one
};
// The folders in a folder as its listing gives them, in no particular order:
// hidden ones left out (on Windows those with the system attribute too),
// links to folders included and named in links as well. The entries whose
// names are no text, folders and files alike, are given apart; none where
// names are text by nature (Windows keeps them in UTF-16). Nothing when the
// folder cannot be read.
struct FolderListing {
    QStringList folders;
    QSet<QString> links;
    QList<RawName> noText;
};
FolderListing listFolders(const QString& folder);
// The width of that terminal in characters; 0 when it is not known.
int terminalColumns();

// True when the platform cannot open path for its length alone: a name of
// more than 255 characters (bytes here), or a path longer than the platform
// allows.
bool pathTooLong(const QString& path);

// Gives the file at existing a second name, link, in a folder of the same
// file system; false where that fails or the platform has no such links.
bool hardLink(const QString& existing, const QString& link);

// The same, saying why not: Taken when something is there by that name
// (the link is never made over it), NoLinks where the platform or the file
// system makes no such links, Failed otherwise with why set.
enum class LinkResult { Made, Taken, NoLinks, Failed };
LinkResult makeHardLink(const QString& existing, const QString& link, QString* why = nullptr);

// True when both paths name one and the same file.
bool sameFile(const QString& a, const QString& b);

// Makes the file open in to, empty and open for writing, a clone of the
// file open in from: both share their blocks until one is written, so the
// copy costs next to nothing. False, with to untouched, where the file
// system cannot (only btrfs, XFS and the like can).
bool cloneFile(QFile& from, QFile& to);

// Opens path for reading only when it is a plain file and path itself is no
// link: a folder another program may write can hold a link to a user's file,
// or a pipe that would keep the reader waiting for ever. links, when given,
// is how many names the file has. False, with file closed, otherwise.
bool openPlainFile(QFile& file, const QString& path, int* links = nullptr);

} // namespace Platform
