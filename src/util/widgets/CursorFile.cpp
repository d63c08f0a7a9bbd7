// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "CursorFile.h"

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
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
QList<Picture> picturesIn(const QByteArray& data)
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

bool load(const QString& path, QCursor* cursor, qreal devicePixelRatio)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray data = file.readAll();
    QList<Picture> pictures = picturesIn(data);
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
    // The file gives the hot spot in the picture's own pixels; a cursor takes
    // it in device-independent ones. Qt's X11 plugin (6.4) is the exception:
    // it lays the hot spot onto the picture's pixels unscaled, so at 2x the
    // pointer would act 12 pixels left of and above the finger's tip.
    const qreal ratio = qreal(chosen->image.width()) / base;
    const qreal hotSpotScale = QGuiApplication::platformName() == QLatin1String("xcb") ? 1.0 : ratio;
    QPixmap pixmap = QPixmap::fromImage(chosen->image);
    pixmap.setDevicePixelRatio(ratio);
    *cursor = QCursor(pixmap, qRound(chosen->hotSpot.x() / hotSpotScale), qRound(chosen->hotSpot.y() / hotSpotScale));
    return true;
}

} // namespace CursorFile
