#include "sourcelist/OpenDialogSelection.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {
QString Sep()
{
    return QString(QDir::separator());
}
} // namespace

class TestOpenDialogSelection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void openDialogAnswers_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QStringList>("rows");
        const QChar nul(0);
        const QString s = Sep();
        QTest::newRow("one file") << s + "docs" + s + "a b.pdf" << QStringList{s + "docs" + s + "a b.pdf"};
        QTest::newRow("three files") << s + "docs" + nul + "c.pdf" + nul + "a.pdf" + nul + "b.pdf"
                                     << QStringList{s + "docs" + s + "c.pdf", s + "docs" + s + "a.pdf", s + "docs" + s + "b.pdf"};
        QTest::newRow("root folder") << s + nul + "a.pdf" + nul + "b.pdf" << QStringList{s + "a.pdf", s + "b.pdf"};
        QTest::newRow("doubled at the front") << s + s + "server" + s + "share" + nul + "a.pdf" + nul + "b.pdf"
                                              << QStringList{s + "server" + s + "share" + s + "a.pdf", s + "server" + s + "share" + s + "b.pdf"};
        QTest::newRow("cancel") << QString() << QStringList{};
    }
    void openDialogAnswers()
    {
        QFETCH(QString, answer);
        QFETCH(QStringList, rows);
        QCOMPARE(OpenDialogSelection::Rows(answer), rows);
    }

    void composeAsTheDialogAnswers()
    {
        QTemporaryDir dir;
        const QString a = dir.filePath(QStringLiteral("a.pdf"));
        const QString b = dir.filePath(QStringLiteral("b.pdf"));
        QCOMPARE(OpenDialogSelection::Compose({a}), QDir::toNativeSeparators(a));
        QCOMPARE(OpenDialogSelection::Rows(OpenDialogSelection::Compose({a, b})),
                 (QStringList{QDir::toNativeSeparators(a), QDir::toNativeSeparators(b)}));
        QCOMPARE(OpenDialogSelection::Compose({}), QString());
    }
};

QTEST_GUILESS_MAIN(TestOpenDialogSelection)
#include "tst_OpenDialogSelection.moc"
