// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QHash>
#include <QSet>
#include <QString>

// The numbers of the JPEG files a run writes: 1.jpg, 2.jpg, ... A number is
// taken by creating its JPEG file, empty and exclusively, so the test and the
// claim are one step: two runs, or two instances, writing into one folder
// never take the same number, and no file already there is ever replaced.
// The search in a folder goes on from the last number claimed there instead
// of starting at 1 for every image, so a folder that already holds thousands
// of JPEG files is passed over once, not once per image.
class ImageNumbers
{
public:
    ImageNumbers() = default;
    ImageNumbers(const ImageNumbers&) = delete;
    ImageNumbers& operator=(const ImageNumbers&) = delete;
    // Claims that were never finished are given up.
    ~ImageNumbers();

    // Claims the next free number in folder (which ends with a separator) and
    // returns the path of its JPEG file, which now exists and is this run's;
    // the empty string when no file can be made there, and why() says why.
    QString claim(const QString& folder);
    // The system's word for the last claim that failed.
    const QString& why() const { return m_why; }

    // The claimed JPEG at path is finished: kept when it was made, removed
    // when it was not.
    void finish(const QString& path, bool made);

    // Removes every claimed JPEG that is not finished yet.
    void giveUpPending();

    // Where claims are noted until they are finished, so that those of a
    // killed run can be told from the user's files (see StaleWork); empty:
    // nowhere. A claim stays noted where it was noted when it was made.
    void setNotes(const QString& workFolder) { m_notes = workFolder; }

private:
    QHash<QString, qint64> m_next;     // folder -> the number to try next
    QHash<QString, QString> m_pending; // claimed -> the work folder that notes it
    QSet<QString> m_noLinks;           // folders on file systems that make no links
    QString m_why;
    QString m_notes;
};
