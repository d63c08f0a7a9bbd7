// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QList>
#include <QMetaObject>
#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <memory>

class QLockFile;

// Where the extractor writes the images of one PDF: a folder of its own in
// the run's fresh hidden work folder inside the image folder. Nothing it
// writes can meet a user's file or another run's, and an image leaves it by
// a rename on the same file system. The work folder itself, where the run
// keeps its lock, the notes of its claims and the copies the encoder reads,
// is out of the extractor's reach. Both go away, with all that is still in
// them, when this object does, or at remove().
//
// The extractor writes its images one after another as the prefix, "-", a
// number from 000 on and ".ppm" (".pbm" for black and white, ".pgm" for
// grey, ".jpg" for a JPEG image it was asked to write as it is), and closes
// each before it opens the next. So an image is finished once the next one
// exists or the extractor has ended, and it is whole: as long as its own
// header says, or for a JPEG file, whole by WholeJpeg's rule. No file still
// being written is ever handed on, and nothing is taken that the extractor
// does not write: a file of a kind it was not asked for, one that is no plain
// file, or one with a second name.
class ExtractorOutput
{
public:
    explicit ExtractorOutput(const QString& imageFolder);
    ~ExtractorOutput();

    // False when no folder could be made in the image folder, or it could
    // not be marked as this run's (see StaleWork).
    bool isValid() const { return m_dir.isValid() && m_owner && m_extractorFolderMade; }
    // The run's work folder, ending with a separator.
    QString folder() const;
    // The extractor's folder inside it, ending with a separator.
    QString extractorFolder() const;
    // The root of the names the extractor writes.
    QString prefix() const;
    // On: the extractor was asked to write JPEG images as they are, and its
    // ".jpg" files are taken; off, they are refused.
    void setTakesJpeg(bool takes) { m_takesJpeg = takes; }

    // Calls changed whenever a file appears in the folder. False when the
    // system gives no such notice: then images are only known to be finished
    // once the extractor has ended.
    bool watch(std::function<void()> changed);
    // No more notices: the extractor has ended.
    void unwatch();

    // What became of the image the extractor writes next, in its order.
    struct Image {
        enum Kind {
            Finished, // whole and closed: path is ready to be handed on
            CutShort, // the extractor is done with it, but it is not whole
            Refused,  // not an image the extractor writes: never handed on
            NotYet,   // not there yet, or still being written
            NoMore,   // the extractor has ended and wrote no more
        };
        Kind kind = NoMore;
        QString path;
        int number = -1; // the extractor's number of the image
        int width = 0;   // of a whole image, as its header or frame says
        int height = 0;
    };
    // Looks only at the names the extractor writes next; once it has ended,
    // the folder is listed once for images after a number it passed over.
    // Finished and CutShort move on to the image after.
    Image nextImage(bool extractorEnded);

    // True when the image at path is whole (see above).
    static bool isWhole(const QString& path);

    void remove();

private:
    struct Shape {
        enum Kind { Whole, CutShort, Refused };
        Kind kind = Refused;
        int width = 0;
        int height = 0;
    };
    static Shape examine(const QString& path, bool takesJpeg);

    // The path of image number n, whatever its kind, or empty.
    QString find(int n) const;

    QTemporaryDir m_dir;
    std::unique_ptr<QLockFile> m_owner; // goes before the folder does
    bool m_extractorFolderMade = false;
    bool m_takesJpeg = false;
    QString m_watched; // the folder watched, while it is
    QMetaObject::Connection m_notices;
    int m_next = 0;
    bool m_swept = false;
    QList<int> m_passedOver; // numbers found beyond a gap, once the extractor ended
};
