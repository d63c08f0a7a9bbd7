// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Draws the button pictures and the two pointer files of Orvalin, each for
// screens at 1x and at 2x: the pictures drawn anew at twice the size, not
// enlarged, so that they stay sharp on high-density screens.
// Usage: make_artwork OUTPUT_FOLDER

#include <QByteArray>
#include <QDataStream>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>

namespace {

// Every picture is drawn on a 32 by 32 grid; scale 2 draws the same shapes
// on 64 by 64 pixels.
QImage canvas(int scale)
{
    QImage image(32 * scale, 32 * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void prepare(QPainter& p, int scale)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
}

QImage addPdf(int scale)
{
    QImage image = canvas(scale);
    QPainter p(&image);
    prepare(p, scale);
    // The page with its corner turned down.
    QPainterPath page;
    page.moveTo(5.5, 1.5);
    page.lineTo(19.5, 1.5);
    page.lineTo(25.5, 7.5);
    page.lineTo(25.5, 28.5);
    page.lineTo(5.5, 28.5);
    page.closeSubpath();
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(Qt::white);
    p.drawPath(page);
    QPainterPath corner;
    corner.moveTo(19.5, 1.5);
    corner.lineTo(19.5, 7.5);
    corner.lineTo(25.5, 7.5);
    p.setBrush(QColor(220, 220, 220));
    p.drawPath(corner);
    // A red band with the letters of the format.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 30, 30));
    p.drawRect(QRectF(7, 10, 14, 6));
    p.setPen(Qt::white);
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(6);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRectF(7, 10, 14, 6), Qt::AlignCenter, QStringLiteral("PDF"));
    // Lines of text.
    p.setPen(QPen(QColor(150, 150, 150), 1));
    for (int y = 19; y <= 25; y += 3)
        p.drawLine(QPointF(8, y + 0.5), QPointF(18, y + 0.5));
    // The red plus sign.
    p.setPen(QPen(QColor(120, 0, 0), 1));
    p.setBrush(QColor(230, 20, 20));
    QPainterPath plus;
    plus.addRect(QRectF(23, 16, 4, 14));
    plus.addRect(QRectF(18, 21, 14, 4));
    plus.setFillRule(Qt::WindingFill);
    p.drawPath(plus.simplified());
    return image;
}

QImage folderPicture(int scale)
{
    QImage image = canvas(scale);
    QPainter p(&image);
    prepare(p, scale);
    const QColor edge(150, 110, 10);
    // The back of the folder with its tab.
    QPainterPath back;
    back.moveTo(2.5, 7.5);
    back.lineTo(11.5, 7.5);
    back.lineTo(13.5, 10.5);
    back.lineTo(27.5, 10.5);
    back.lineTo(27.5, 27.5);
    back.lineTo(2.5, 27.5);
    back.closeSubpath();
    p.setPen(QPen(edge, 1));
    p.setBrush(QColor(230, 180, 40));
    p.drawPath(back);
    // Papers sticking out.
    p.setPen(QPen(QColor(120, 120, 120), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(6.5, 5.5, 15, 16));
    p.setBrush(QColor(245, 245, 235));
    p.drawRect(QRectF(9.5, 3.5, 15, 16));
    p.setPen(QPen(QColor(170, 170, 170), 1));
    for (int y = 7; y <= 15; y += 3)
        p.drawLine(QPointF(12, y + 0.5), QPointF(22, y + 0.5));
    // The open front flap.
    QPainterPath front;
    front.moveTo(1.5, 14.5);
    front.lineTo(25.5, 14.5);
    front.lineTo(30.5, 27.5);
    front.lineTo(5.5, 27.5);
    front.closeSubpath();
    p.setPen(QPen(edge, 1));
    QLinearGradient shade(0, 14, 0, 28);
    shade.setColorAt(0, QColor(255, 220, 90));
    shade.setColorAt(1, QColor(240, 185, 40));
    p.setBrush(shade);
    p.drawPath(front);
    return image;
}

QImage palettePicture(int scale)
{
    QImage image = canvas(scale);
    QPainter p(&image);
    prepare(p, scale);
    // The palette board with its thumb hole.
    QPainterPath board;
    board.addEllipse(QRectF(1.5, 5.5, 27, 21));
    QPainterPath hole;
    hole.addEllipse(QRectF(6, 17, 6, 5));
    board = board.subtracted(hole);
    p.setPen(QPen(QColor(110, 70, 30), 1));
    p.setBrush(QColor(215, 170, 110));
    p.drawPath(board);
    // Paint spots.
    const QList<QPair<QPointF, QColor>> spots = {
        {{8, 11}, QColor(220, 30, 30)},  {{14, 9}, QColor(250, 200, 20)},  {{20, 10}, QColor(40, 160, 50)},
        {{24, 15}, QColor(30, 90, 220)}, {{19, 21}, QColor(150, 50, 180)},
    };
    p.setPen(Qt::NoPen);
    for (const auto& spot : spots) {
        p.setBrush(spot.second);
        p.drawEllipse(spot.first, 2.6, 2.3);
    }
    // The brush, lying across the board.
    p.setPen(QPen(QColor(90, 50, 20), 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(30, 2), QPointF(17, 17));
    p.setPen(QPen(QColor(170, 170, 180), 2.6, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(17.8, 16.1), QPointF(15.8, 18.4));
    p.setPen(QPen(QColor(30, 90, 220), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(15.5, 18.8), QPointF(13.2, 21.6));
    return image;
}

// A pointing hand: the index finger's tip is the hot spot.
constexpr QPoint kHandHotSpot(12, 2);
QImage hand(int scale)
{
    QImage image = canvas(scale);
    QPainter p(&image);
    prepare(p, scale);
    QPainterPath hand;
    hand.addRoundedRect(QRectF(10, 2, 5, 16), 2.5, 2.5);      // index finger
    hand.addRoundedRect(QRectF(15, 10, 4.5, 10), 2.2, 2.2);   // middle
    hand.addRoundedRect(QRectF(19.5, 11, 4.5, 10), 2.2, 2.2); // ring
    hand.addRoundedRect(QRectF(24, 12.5, 4, 9), 2, 2);        // little
    hand.addRoundedRect(QRectF(10, 14, 18, 12), 4, 4);        // palm
    QPainterPath thumb;
    thumb.moveTo(11, 17);
    thumb.lineTo(6, 13);
    thumb.cubicTo(3, 11, 1.5, 15, 4, 17.5);
    thumb.lineTo(10.5, 24);
    thumb.closeSubpath();
    hand = hand.united(thumb).simplified();
    QPainterPath cuff;
    cuff.addRect(QRectF(11, 26, 16, 5));
    p.setPen(QPen(Qt::black, 1.2));
    p.setBrush(Qt::white);
    p.drawPath(hand);
    p.setBrush(QColor(60, 60, 60));
    p.drawPath(cuff);
    return image;
}

// Rows being moved: a row between arrows pointing up and down.
QImage dragPicture(int scale)
{
    QImage image = canvas(scale);
    QPainter p(&image);
    prepare(p, scale);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(255, 255, 255));
    p.drawRect(QRectF(5.5, 12.5, 21, 7));
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.drawLine(QPointF(8, 16), QPointF(23, 16));
    p.setPen(QPen(Qt::white, 1));
    p.setBrush(Qt::black);
    QPolygonF up{{16, 1}, {22, 8}, {18.5, 8}, {18.5, 11}, {13.5, 11}, {13.5, 8}, {10, 8}};
    QPolygonF down{{16, 31}, {22, 24}, {18.5, 24}, {18.5, 21}, {13.5, 21}, {13.5, 24}, {10, 24}};
    p.drawPolygon(up);
    p.drawPolygon(down);
    return image;
}

// Pictures of one subject in several sizes as an icon (type 1) or cursor
// (type 2) file: a directory entry for each, then each as a 32-bit
// device-independent bitmap followed by its transparency mask. A cursor's hot
// spot, given on the 32 by 32 grid, is scaled to each picture.
QByteArray iconFile(const QList<QImage>& pictures, int type, QPoint hotSpot = {})
{
    QList<QByteArray> bitmaps;
    for (const QImage& picture : pictures) {
        const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
        const int w = image.width();
        const int h = image.height();
        const int maskRow = ((w + 31) / 32) * 4;
        QByteArray bitmap;
        QDataStream dib(&bitmap, QIODevice::WriteOnly);
        dib.setByteOrder(QDataStream::LittleEndian);
        dib << quint32(40) << qint32(w) << qint32(h * 2) << quint16(1) << quint16(32) << quint32(0)
            << quint32(w * h * 4 + maskRow * h) << qint32(0) << qint32(0) << quint32(0) << quint32(0);
        for (int y = h - 1; y >= 0; --y) {
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < w; ++x)
                dib << quint8(qBlue(line[x])) << quint8(qGreen(line[x])) << quint8(qRed(line[x]))
                    << quint8(qAlpha(line[x]));
        }
        for (int y = h - 1; y >= 0; --y) {
            QByteArray row(maskRow, 0);
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < w; ++x)
                if (qAlpha(line[x]) < 128)
                    row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
            dib.writeRawData(row.constData(), int(row.size()));
        }
        bitmaps.append(bitmap);
    }

    QByteArray file;
    QDataStream out(&file, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint16(0) << quint16(type) << quint16(pictures.size());
    quint32 offset = quint32(6 + 16 * pictures.size());
    for (qsizetype i = 0; i < pictures.size(); ++i) {
        const int w = pictures.at(i).width();
        const int h = pictures.at(i).height();
        out << quint8(w) << quint8(h) << quint8(0) << quint8(0);
        if (type == 2)
            out << quint16(hotSpot.x() * w / 32) << quint16(hotSpot.y() * h / 32);
        else
            out << quint16(1) << quint16(32);
        out << quint32(bitmaps.at(i).size()) << offset;
        offset += quint32(bitmaps.at(i).size());
    }
    for (const QByteArray& bitmap : std::as_const(bitmaps))
        out.writeRawData(bitmap.constData(), int(bitmap.size()));
    return file;
}

bool write(const QString& path, const QByteArray& data)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_artwork OUTPUT_FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]) + QLatin1Char('/');
    bool ok = true;
    // Qt picks name@2x.png for screens at twice the density.
    const QList<std::pair<const char*, QImage (*)(int)>> pictures{
        {"add-pdf", &addPdf}, {"folder", &folderPicture}, {"palette", &palettePicture}};
    for (const auto& [name, draw] : pictures) {
        ok = draw(1).save(folder + QLatin1String(name) + QStringLiteral(".png")) && ok;
        ok = draw(2).save(folder + QLatin1String(name) + QStringLiteral("@2x.png")) && ok;
    }
    ok = write(folder + QStringLiteral("HAND-M.CUR"), iconFile({hand(1), hand(2)}, 2, kHandHotSpot)) && ok;
    ok = write(folder + QStringLiteral("drag.ico"), iconFile({dragPicture(1), dragPicture(2)}, 1)) && ok;
    return ok ? 0 : 1;
}
