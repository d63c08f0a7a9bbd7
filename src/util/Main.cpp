// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Main.h"

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

bool folderIsWritable(const QString& folder)
{
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return false;
    QString path = folder;
    if (!path.endsWith(QDir::separator()) && !path.endsWith(QLatin1Char('/')))
        path += QDir::separator();
    QTemporaryFile probe(path + QStringLiteral(".orvalin-probe-XXXXXX"));
    return probe.open();
}

QString prepareFolder(const QString& folder)
{
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder))
        return QStringLiteral("the output folder %1 could not be created").arg(folder);
    if (!folderIsWritable(folder))
        return QStringLiteral("the output folder %1 is not writable").arg(folder);
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
