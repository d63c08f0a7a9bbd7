// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "util/OutputFolder.h"

#include <QDir>
#include <QTest>

class TestOutputFolder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void whatTheTextMeans_data()
    {
        // "/" stands for the separator, "~" for the home folder.
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("problem");
        const QString full = QStringLiteral("the output folder must be a full path");
        QTest::newRow("as picked") << "/out/"
                                   << "/out/"
                                   << "";
        QTest::newRow("no final separator") << "/out"
                                            << "/out/"
                                            << "";
        QTest::newRow("trailing white space") << "/out/  \t"
                                              << "/out/"
                                              << "";
        QTest::newRow("inner spaces stay") << "/my out"
                                           << "/my out/"
                                           << "";
        QTest::newRow("doubled separators") << "//out//x"
                                            << "/out/x/"
                                            << "";
        QTest::newRow("home") << "~"
                              << "~/"
                              << "";
        QTest::newRow("below home") << "~/photos"
                                    << "~/photos/"
                                    << "";
        QTest::newRow("relative") << "photos"
                                  << "" << full;
        QTest::newRow("leading space") << " /out"
                                       << "" << full;
        QTest::newRow("another user's home") << "~bob/x"
                                             << "" << full;
        QTest::newRow("resource path") << ":/out"
                                       << "" << full;
        QTest::newRow("empty") << ""
                               << ""
                               << "no output folder is given";
        QTest::newRow("white space only") << "  "
                                          << ""
                                          << "no output folder is given";
#ifdef Q_OS_WIN
        // As typed on Windows: a network path keeps its leading pair, and
        // text that leans on a current folder or drive is refused.
        QTest::newRow("network path") << "\\\\server\\share\\\\out"
                                      << "\\\\server\\share\\out\\"
                                      << "";
        QTest::newRow("server without share") << "\\\\server"
                                              << "" << full;
        QTest::newRow("drive-relative") << "C:out"
                                        << "" << full;
        QTest::newRow("drive alone") << "C:"
                                     << "" << full;
        QTest::newRow("current drive's root") << "\\out"
                                              << "" << full;
        QTest::newRow("forward slashes") << "D:/out//x"
                                         << "D:\\out\\x\\"
                                         << "";
#endif
    }
    void whatTheTextMeans()
    {
        QFETCH(QString, text);
        QFETCH(QString, folder);
        QFETCH(QString, problem);
        const auto onThisPlatform = [](QString path) {
#ifdef Q_OS_WIN
            if (path.startsWith(QLatin1Char('/')))
                path.prepend(QStringLiteral("C:"));
#endif
            return QDir::toNativeSeparators(path);
        };
        const OutputFolder::Resolved resolved = OutputFolder::resolve(onThisPlatform(text));
        QCOMPARE(resolved.problem, problem);
        QCOMPARE(resolved.folder,
                 folder.isEmpty() ? QString() : onThisPlatform(folder.replace(QLatin1Char('~'), QDir::homePath())));
    }
};

QTEST_GUILESS_MAIN(TestOutputFolder)
#include "tst_OutputFolder.moc"
