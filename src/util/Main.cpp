// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Main.h"

#include "Platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QTime>

#include <cmath>
#include <random>

namespace Main {

bool FileExists(const QString& path)
{
    return !path.isEmpty() && QFileInfo::exists(path);
}

bool folderIsWritable(const QString& folder, QString* why)
{
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return false;
    QString path = folder;
    if (!path.endsWith(QDir::separator()) && !path.endsWith(QLatin1Char('/')))
        path += QDir::separator();
    QTemporaryFile probe(path + QStringLiteral(".orvalin-probe-XXXXXX"));
    if (probe.open())
        return true;
    if (why)
        *why = probe.errorString();
    return false;
}

namespace {

// Why folder, which is not there, could not be made: the system's word, found
// where the making failed, at the deepest folder above it that exists.
QString whyNotMade(const QString& folder)
{
    if (Platform::pathTooLong(folder))
        return QStringLiteral("the path is too long");
    QFileInfo above(QDir::cleanPath(folder));
    while (!above.exists() && !above.isRoot() && above.absolutePath() != above.absoluteFilePath())
        above = QFileInfo(above.absolutePath());
    if (above.exists() && !above.isDir())
        return QStringLiteral("%1 is a file").arg(QDir::toNativeSeparators(above.absoluteFilePath()));
    QString why;
    if (!folderIsWritable(above.absoluteFilePath(), &why) && !why.isEmpty())
        return why;
    return QStringLiteral("the system gave no reason");
}

} // namespace

QString prepareFolder(const QString& folder)
{
    const QFileInfo info(QDir::cleanPath(folder));
    if (info.exists() && !info.isDir())
        return QStringLiteral("the output folder %1 is a file").arg(folder);
    if (!info.isDir() && !QDir().mkpath(folder))
        return QStringLiteral("the output folder %1 could not be created (%2)").arg(folder, whyNotMade(folder));
    if (QString why; !folderIsWritable(folder, &why))
        return QStringLiteral("the output folder %1 is not writable (%2)").arg(folder, why);
    return QString();
}

void DeleteQuietly(const QString& path)
{
    if (!path.isEmpty())
        QFile::remove(path);
}

bool homePageDue(double draw)
{
    const int n = int(std::floor(draw * 100.0)) + 1;
    return n == 7;
}

double drawFromTimer()
{
    const auto seconds = unsigned(QTime::currentTime().msecsSinceStartOfDay() / 1000);
    std::mt19937 generator(seconds);
    return std::uniform_real_distribution<double>(0.0, 1.0)(generator);
}

} // namespace Main
