#include "CursorFile.h"

#include <QFile>
#include <QPixmap>
#include <QtEndian>

namespace CursorFile {

bool Load(const QString& path, QCursor* cursor)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray data = file.readAll();
    QPixmap picture;
    if (!picture.loadFromData(data, "ICO") && !picture.loadFromData(data))
        return false;

    int hotX = picture.width() / 2;
    int hotY = picture.height() / 2;
    // Header: reserved, type (2 for a cursor), count; the first directory
    // entry's planes and bit-count fields hold the hot spot in a cursor file.
    if (data.size() >= 6 + 16 && qFromLittleEndian<quint16>(data.constData() + 2) == 2) {
        hotX = qFromLittleEndian<quint16>(data.constData() + 6 + 4);
        hotY = qFromLittleEndian<quint16>(data.constData() + 6 + 6);
    }
    *cursor = QCursor(picture, hotX, hotY);
    return true;
}

} // namespace CursorFile
