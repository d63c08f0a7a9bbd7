// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "util/Sha256.h"

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QTest>

class TestSha256 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The digest of every length around the block and padding edges, given
    // at once or in pieces, is Qt's.
    void sameAsQt_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("piece"); // bytes a call; 0: all at once
        for (int length : {0, 1, 55, 56, 63, 64, 65, 119, 120, 1000, (1 << 20) + 7})
            for (int piece : {0, 1, 63, 64, 1000})
                if (piece == 0 || length < 5000 || piece == 1000)
                    QTest::addRow("%d bytes, pieces of %d", length, piece) << length << piece;
    }
    void sameAsQt()
    {
        if (!Sha256::accelerated())
            QSKIP("this processor has no SHA instructions");
        QFETCH(int, length);
        QFETCH(int, piece);
        QByteArray data(length, Qt::Uninitialized);
        QRandomGenerator generator{quint32(length)};
        for (char& byte : data)
            byte = char(generator.bounded(256));
        Sha256 hash;
        if (piece == 0)
            hash.addData(data);
        for (qsizetype at = 0; piece > 0 && at < data.size(); at += piece)
            hash.addData(QByteArrayView(data).sliced(at, qMin<qsizetype>(piece, data.size() - at)));
        QCOMPARE(hash.result().toHex(), QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex());
    }
};

QTEST_GUILESS_MAIN(TestSha256)
#include "tst_Sha256.moc"
