#include "CursorFile.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPixmap>
#include <QtEndian>

#include <algorithm>

namespace CursorFile {

namespace {

struct Picture {
    QImage image;
    QPoint hotSpot;
};

// Every picture of an icon or cursor file. The header holds reserved, type
// (2 for a cursor) and count; a cursor's directory entries hold each
// picture's hot spot where an icon's hold planes and bit count.
QList<Picture> Pictures(const QByteArray& data)
{
    QList<Picture> pictures;
    QBuffer buffer;
    buffer.setData(data);
    QImageReader reader(&buffer, "ICO");
    const int count = reader.imageCount();
    const bool cursor = data.size() >= 6 && qFromLittleEndian<quint16>(data.constData() + 2) == 2;
    for (int i = 0; i < count && reader.jumpToImage(i); ++i) {
        Picture picture{reader.read(), {}};
        if (picture.image.isNull())
            continue;
        const qsizetype entry = 6 + 16 * qsizetype(i);
        if (cursor && data.size() >= entry + 16)
            picture.hotSpot = QPoint(qFromLittleEndian<quint16>(data.constData() + entry + 4),
                                     qFromLittleEndian<quint16>(data.constData() + entry + 6));
        else
            picture.hotSpot = QPoint(picture.image.width() / 2, picture.image.height() / 2);
        pictures.append(picture);
    }
    return pictures;
}

} // namespace

bool Load(const QString& path, QCursor* cursor, qreal devicePixelRatio)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray data = file.readAll();
    QList<Picture> pictures = Pictures(data);
    if (pictures.isEmpty()) {
        QImage image;
        if (!image.loadFromData(data))
            return false;
        pictures.append({image, QPoint(image.width() / 2, image.height() / 2)});
    }

    std::sort(pictures.begin(), pictures.end(),
              [](const Picture& a, const Picture& b) { return a.image.width() < b.image.width(); });
    const int base = pictures.constFirst().image.width();
    const Picture* chosen = &pictures.constLast();
    for (const Picture& picture : std::as_const(pictures))
        if (picture.image.width() >= base * devicePixelRatio) {
            chosen = &picture;
            break;
        }
    // The hot spot is given in the picture's own pixels, the cursor takes it
    // in the screen's device-independent ones.
    const qreal ratio = qreal(chosen->image.width()) / base;
    QPixmap pixmap = QPixmap::fromImage(chosen->image);
    pixmap.setDevicePixelRatio(ratio);
    *cursor = QCursor(pixmap, qRound(chosen->hotSpot.x() / ratio), qRound(chosen->hotSpot.y() / ratio));
    return true;
}

} // namespace CursorFile
