#include "extract/WorkCopy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
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

    // An installed program never writes into its own folder, whoever runs
    // it; a build folder or a hand-copied one of the user's still does.
    void applicationFolderOrCache_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("inApplicationFolder");
        QTest::newRow("the user's own writable folder") << "own" << true;
        QTest::newRow("a read-only folder") << "read-only" << false;
        QTest::newRow("another user's folder") << "other" << false;
        QTest::newRow("a system folder") << "system" << false;
    }
    void applicationFolderOrCache()
    {
        QFETCH(QString, kind);
        QFETCH(bool, inApplicationFolder);
        QStandardPaths::setTestModeEnabled(true);
        QTemporaryDir parent;
        const QString made = parent.filePath(QStringLiteral("app"));
        QVERIFY(QDir().mkdir(made));
        const auto restore = qScopeGuard([&made] { QFile::setPermissions(made, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner); });
        QString app = made;
        if (kind == QLatin1String("read-only")) {
            QVERIFY(QFile::setPermissions(app, QFile::ReadOwner | QFile::ExeOwner));
        } else if (kind == QLatin1String("other")) {
            // Root hands the folder to nobody; anyone else takes the temporary
            // folder, which the superuser owns.
            const uint me = QFileInfo(app).ownerId();
            if (me == 0)
                QCOMPARE(QProcess::execute(QStringLiteral("chown"), {QStringLiteral("65534"), app}), 0);
            else
                app = QDir::tempPath();
            if (QFileInfo(app).ownerId() == me)
                QSKIP("no folder of another user at hand");
        } else if (kind == QLatin1String("system")) {
#ifdef Q_OS_WIN
            app = qEnvironmentVariable("SystemRoot");
#else
            app = QStringLiteral("/usr/bin");
#endif
        }
        const QString folder = WorkCopy(app).Folder();
        QCOMPARE(QFileInfo(folder).canonicalFilePath() == QFileInfo(app).canonicalFilePath(), inApplicationFolder);
        QVERIFY(QFileInfo(folder).isDir());
    }
};

QTEST_GUILESS_MAIN(TestWorkCopy)
#include "tst_WorkCopy.moc"
