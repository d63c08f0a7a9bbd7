#include "extract/WorkCopy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

class TestWorkCopy : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void twoInstancesNeverShareAWorkCopy()
    {
        QTemporaryDir app;
        WorkCopy first(app.path());
        WorkCopy second(app.path());
        QVERIFY(first.Acquire());
        QVERIFY(second.Acquire());
        QVERIFY(first.Path() != second.Path());
        QCOMPARE(QFileInfo(first.Path()).fileName(), QStringLiteral("current.pdf"));
        first.Release();
        WorkCopy third(app.path());
        QVERIFY(third.Acquire());
        QCOMPARE(QFileInfo(third.Path()).fileName(), QStringLiteral("current.pdf"));
    }

    void unwritableApplicationFolderUsesTheCache()
    {
        QTemporaryDir parent;
        const QString app = parent.filePath(QStringLiteral("app"));
        QVERIFY(QDir().mkdir(app));
        QFile::setPermissions(app, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        WorkCopy copy(app);
        QVERIFY(copy.Acquire());
        const bool writable = QFileInfo(copy.Path()).absolutePath() == QFileInfo(app).absoluteFilePath();
        QFile::setPermissions(app, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        if (writable)
            QSKIP("running with rights that write into any folder");
        QVERIFY(!copy.Path().startsWith(app));
    }
};

QTEST_GUILESS_MAIN(TestWorkCopy)
#include "tst_WorkCopy.moc"
