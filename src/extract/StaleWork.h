// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "util/Platform.h"

#include <QSet>
#include <QString>

#include <memory>

class QLockFile;

// What a run killed outright (SIGKILL, a crash, a power loss) leaves in an
// output folder: its hidden work folder, and the JPEG files it had claimed
// and not finished, empty or cut short. While a run lives it marks both as
// its own: its work folder holds a lock file naming its process, and a hard
// link to every JPEG file it has claimed and not finished yet. The next run
// into the folder removes what no living process owns; every other file
// there, the user's above all, stays as it is.
class StaleWork
{
public:
    // Marks workFolder as this process's own for as long as the lock lives;
    // nothing when no lock can be made there.
    static std::unique_ptr<QLockFile> own(const QString& workFolder);

    // Notes in workFolder that the JPEG file at jpeg is claimed and not
    // finished; forget takes the note back.
    static void note(const QString& workFolder, const QString& jpeg);
    static void forget(const QString& workFolder, const QString& jpeg);
    // Claims jpeg as the second name of its note, made first in workFolder:
    // a run killed at any moment leaves no claimed file without its note.
    // Taken when jpeg is there already; NoLinks where the file system makes
    // no such links, and the claim must be made without a note first.
    static Platform::LinkResult claimNoted(const QString& workFolder, const QString& jpeg, QString* why);

    // Removes the work folders in folder that no living process owns, and
    // the JPEG files noted in them that are still empty or cut short. A work
    // folder without a lock is removed only once it is a minute old: a run
    // locks its folder a moment after making it. Returns how many work
    // folders went.
    static int clear(const QString& folder);

    // clear, once per folder for this object: a run clears each folder it
    // writes into before its first work folder there.
    void clearOnce(const QString& folder);

private:
    QSet<QString> m_cleared;
};
