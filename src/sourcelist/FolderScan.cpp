#include "FolderScan.h"

#include "util/AddFolder.h"
#include "util/NaturalOrder.h"
#include "util/Platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

#include <memory>

FolderScan::FolderScan(std::function<void()> yield)
    : m_yield(std::move(yield))
{
}

std::function<void()> FolderScan::EventLoopYield()
{
    auto sinceYield = std::make_shared<QElapsedTimer>();
    sinceYield->start();
    return [sinceYield] {
        if (sinceYield->elapsed() >= 5) {
            QCoreApplication::processEvents();
            sinceYield->restart();
        }
    };
}

void FolderScan::Yield()
{
    if (m_yield)
        m_yield();
}

void FolderScan::CollectSubfolders(QStringList& list, bool recurse)
{
    for (const QString& folder : std::as_const(list))
        m_visited.insert(QFileInfo(folder).canonicalFilePath());

    QStringList found;
    for (const QString& folder : std::as_const(list)) {
        // Hidden folders are left out because QDir::Hidden is not asked for;
        // on Windows the same holds for folders with the system attribute.
        QStringList names = QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::NoSort);
        Yield();
        NaturalOrder::Sort(names);
        for (const QString& name : std::as_const(names)) {
            Yield();
            const QString path = folder + name;
            const QString canonical = QFileInfo(path).canonicalFilePath();
            // A link back up the tree, or a second way to a folder already
            // found, would make the scan go round or list files twice.
            if (canonical.isEmpty() || m_visited.contains(canonical))
                continue;
            m_visited.insert(canonical);
            found.append(path + Platform::Separator());
        }
    }

    if (!found.isEmpty() && recurse)
        CollectSubfolders(found, true);

    for (const QString& folder : std::as_const(found)) {
        Yield();
        list.append(folder);
    }
}

QStringList FolderScan::PdfFilesInTree(const QString& folder)
{
    m_visited.clear();
    QStringList folders{folder + Platform::Separator()};
    CollectSubfolders(folders, true);

    QStringList rows;
    for (const QString& entry : std::as_const(folders)) {
        const QString f = entry.left(entry.size() - 1);
        for (const QString& name : AddFolder::ListFiles(f, QStringLiteral("*.pdf")))
            if (!name.startsWith(QLatin1Char('~')))
                rows.append(f + Platform::Separator() + name);
    }
    return rows;
}
