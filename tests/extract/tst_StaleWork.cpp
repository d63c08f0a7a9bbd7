// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ExtractProcess.h"
#include "TestFiles.h"
#include "TestPdf.h"
#include "extract/StaleWork.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QLockFile>
#include <QTemporaryDir>
#include <QTest>

#include <signal.h>
#include <sys/time.h>

namespace {

bool write(const QString& path, const QByteArray& data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

bool makeOld(const QString& path)
{
    const timeval twoMinutesAgo[2] = {{::time(nullptr) - 120, 0}, {::time(nullptr) - 120, 0}};
    return ::utimes(QFile::encodeName(path).constData(), twoMinutesAgo) == 0;
}

} // namespace

class TestStaleWork : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Only what a run that is gone left is taken: never a living run's, a
    // folder made a moment ago, or a file of the user's.
    void clearTakesOnlyWhatIsLeftOver()
    {
        QTemporaryDir out;
        const QDir folder(out.path());
        for (const char* name : {".orvalin-live01", ".orvalin-young1", ".orvalin-old001", ".orvalin-mine"})
            QVERIFY(folder.mkdir(QLatin1String(name)));
        const auto claim = [&](const char* work, const char* jpeg, const QByteArray& data) {
            const QString path = folder.filePath(QLatin1String(jpeg));
            QVERIFY(write(path, data));
            StaleWork::note(folder.filePath(QLatin1String(work)), path);
        };
        const std::unique_ptr<QLockFile> living = StaleWork::own(folder.filePath(QStringLiteral(".orvalin-live01")));
        QVERIFY(living);
        claim(".orvalin-live01", "1.jpg", {});
        claim(".orvalin-young1", "2.jpg", {});
        claim(".orvalin-old001", "3.jpg", {});
        const QByteArray whole = TestPdf::jpegData({TestPdf::Kind::Jpeg, 8, 8, 1});
        claim(".orvalin-old001", "4.jpg", whole.chopped(2));
        claim(".orvalin-old001", "5.jpg", whole);
        claim(".orvalin-old001", "6.jpg", {});
        // The user put a file of their own in the place of a claimed one.
        QVERIFY(QFile::remove(folder.filePath(QStringLiteral("6.jpg"))));
        QVERIFY(write(folder.filePath(QStringLiteral("6.jpg")), {}));
        QVERIFY(write(folder.filePath(QStringLiteral("7.jpg")), {}));
        QVERIFY(makeOld(folder.filePath(QStringLiteral(".orvalin-old001"))));

        QCOMPARE(StaleWork::clear(out.path()), 1);
        QCOMPARE(TestFiles::leftovers(out.path()), (QStringList{".orvalin-live01", ".orvalin-mine", ".orvalin-young1",
                                                                "1.jpg", "2.jpg", "5.jpg", "6.jpg", "7.jpg"}));
    }

    // A run killed outright leaves its work folder and unfinished JPEG files;
    // the next run into the folder removes them and keeps everything else.
    void killedRunIsClearedByTheNext()
    {
        QTemporaryDir docs;
        QTemporaryDir out;
        const QString pdf = docs.filePath(QStringLiteral("big.pdf"));
        // Black-and-white A4 pages: each is made grey after its JPEG file is
        // claimed and before its encoder starts, long enough to be caught.
        QList<TestPdf::Image> images;
        for (int i = 0; i < 8; ++i)
            images.append({TestPdf::Kind::Mono, 2480, 3508, i});
        QVERIFY(TestPdf::write(pdf, images));
        const QString small = docs.filePath(QStringLiteral("small.pdf"));
        QVERIFY(TestPdf::write(small, {{TestPdf::Kind::Rgb, 16, 16, 1}, {TestPdf::Kind::Gray, 17, 17, 2}}));
        const QByteArray mine("mine");
        QVERIFY(write(out.filePath(QStringLiteral("1.jpg")), mine));
        QVERIFY(write(out.filePath(QStringLiteral("40.jpg")), {})); // empty, and the user's

        // Killed while a JPEG file is begun, not done (the user's two files
        // count as unfinished too). An encoder may just finish between the
        // look and the kill; then the next run is killed in its place.
        QStringList unfinished;
        for (int attempt = 0; attempt < 5 && unfinished.size() <= 2; ++attempt) {
            ExtractProcess killed(out.path(), {pdf});
            // Each claim is noted a moment after its file is made: the kill
            // waits for the note.
            const auto notes = [&out] {
                qsizetype count = 0;
                for (const QString& work : TestFiles::workFolders(out.path()))
                    count += QDir(out.filePath(work))
                                 .entryList({QStringLiteral("claimed-*")}, QDir::Files | QDir::Hidden)
                                 .size();
                return count;
            };
            QVERIFY(QTest::qWaitFor(
                [&] {
                    const qsizetype begun = TestFiles::unfinishedJpegs(out.path()).size();
                    return begun > 2 && notes() == begun - 2;
                },
                60000));
            ::kill(pid_t(killed.process().processId()), SIGKILL);
            QVERIFY(killed.process().waitForFinished());
            unfinished = TestFiles::unfinishedJpegs(out.path());
        }
        // The PDF's work folder, and the one that holds the work copy.
        QCOMPARE(TestFiles::workFolders(out.path()).size(), 2);
        QVERIFY2(unfinished.size() > 2, qPrintable(unfinished.join(' ')));

        ExtractProcess next(out.path(), {small});
        QVERIFY(next.process().waitForFinished(60000));
        QCOMPARE(next.process().exitCode(), 0);
        QCOMPARE(TestFiles::workFolders(out.path()), QStringList{});
        QCOMPARE(TestFiles::unfinishedJpegs(out.path()), (QStringList{"1.jpg", "40.jpg"}));
        QCOMPARE(TestFiles::contents(out.filePath(QStringLiteral("1.jpg"))), mine);
        // Whatever the killed run finished stays, whole.
        for (const QString& name : QDir(out.path()).entryList({QStringLiteral("*.jpg")}, QDir::Files))
            if (name != QLatin1String("1.jpg") && name != QLatin1String("40.jpg"))
                QVERIFY2(QImageReader(out.filePath(name)).canRead(), qPrintable(name));
    }
};

QTEST_MAIN(TestStaleWork)
#include "tst_StaleWork.moc"
