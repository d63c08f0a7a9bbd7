#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// Where the extractor writes the images of one PDF: a fresh hidden folder of
// its own inside the image folder. Nothing it writes can meet a user's file
// or another run's, and an image leaves it by a rename on the same file
// system. The folder goes away, with all that is still in it, when this
// object does, or at Remove.
class ExtractorOutput
{
public:
    explicit ExtractorOutput(const QString& imageFolder);

    // False when no folder could be made in the image folder.
    bool IsValid() const { return m_dir.isValid(); }
    // The folder, ending with a separator.
    QString Folder() const;
    // The root of the names the extractor writes: it adds "-000.ppm",
    // "-001.pbm", ... in the order of the images in the PDF.
    QString Prefix() const;

    // The full paths of the images the extractor wrote, in its order.
    QStringList Images() const;
    // True when the image at path is as long as its own header says: an image
    // cut short (a full disk, an extractor that died) is not.
    static bool IsWhole(const QString& path);

    void Remove();

private:
    QTemporaryDir m_dir;
};
