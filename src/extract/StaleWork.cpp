// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "StaleWork.h"

#include "WholeJpeg.h"
#include "util/Platform.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRegularExpression>

namespace {

const QString kOwner = QStringLiteral(".owner");
const QString kNote = QStringLiteral("claimed-");
constexpr qint64 kUnlockedGraceSeconds = 60;

QString notePath(const QString& workFolder, const QString& jpeg)
{
    return QDir(workFolder).filePath(kNote + QFileInfo(jpeg).fileName());
}

// True for a JPEG file that a killed run left begun: empty, or not whole by
// the same rule by which the run takes every JPEG file.
bool unfinished(const QString& jpeg)
{
    QFile file;
    return Platform::openPlainFile(file, jpeg) && WholeJpeg::examine(file).kind != WholeJpeg::Verdict::Whole;
}

} // namespace

std::unique_ptr<QLockFile> StaleWork::own(const QString& workFolder)
{
    auto lock = std::make_unique<QLockFile>(QDir(workFolder).filePath(kOwner));
    lock->setStaleLockTime(0); // stale only once its process is gone
    if (!lock->tryLock(0))
        return nullptr;
    return lock;
}

void StaleWork::note(const QString& workFolder, const QString& jpeg)
{
    Platform::hardLink(jpeg, notePath(workFolder, jpeg));
}

void StaleWork::forget(const QString& workFolder, const QString& jpeg)
{
    QFile::remove(notePath(workFolder, jpeg));
}

Platform::LinkResult StaleWork::claimNoted(const QString& workFolder, const QString& jpeg, QString* why)
{
    const QString notePlace = notePath(workFolder, jpeg);
    QFile note(notePlace);
    // A note left by an earlier claim of this run for a number it gave up.
    QFile::remove(notePlace);
    if (!note.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        if (why)
            *why = note.errorString();
        return Platform::LinkResult::Failed;
    }
    note.close();
    const Platform::LinkResult result = Platform::makeHardLink(notePlace, jpeg, why);
    if (result != Platform::LinkResult::Made)
        QFile::remove(notePlace);
    return result;
}

int StaleWork::clear(const QString& folder)
{
    static const QRegularExpression workName(QStringLiteral("^\\.orvalin-[A-Za-z0-9]{6}$"));
    const QDir dir(folder);
    int removed = 0;
    for (const QString& name : dir.entryList({QStringLiteral(".orvalin-*")}, QDir::Dirs | QDir::Hidden)) {
        if (!workName.match(name).hasMatch())
            continue;
        const QString work = dir.filePath(name);
        QLockFile owner(QDir(work).filePath(kOwner));
        owner.setStaleLockTime(0);
        if (!QFileInfo::exists(owner.fileName())
            && QFileInfo(work).lastModified().secsTo(QDateTime::currentDateTime()) < kUnlockedGraceSeconds)
            continue;
        if (!owner.tryLock(0))
            continue; // a living run's
        for (const QString& noted : QDir(work).entryList({kNote + QLatin1Char('*')}, QDir::Files | QDir::Hidden)) {
            const QString jpeg = dir.filePath(noted.mid(kNote.size()));
            if (Platform::sameFile(QDir(work).filePath(noted), jpeg) && unfinished(jpeg))
                QFile::remove(jpeg);
        }
        owner.unlock();
        if (QDir(work).removeRecursively())
            ++removed;
    }
    return removed;
}

void StaleWork::clearOnce(const QString& folder)
{
    if (m_cleared.contains(folder))
        return;
    m_cleared.insert(folder);
    clear(folder);
}
