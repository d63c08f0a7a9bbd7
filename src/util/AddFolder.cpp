#include "AddFolder.h"

#include "NaturalOrder.h"
#include "Platform.h"

#include <QDir>

namespace AddFolder {

QStringList ListFiles(const QString& folder, const QString& pattern)
{
    QString path = folder;
    if (!path.endsWith(Platform::Separator()))
        path += Platform::Separator();

    QDir::Filters filters = QDir::Files | QDir::Hidden;
#ifdef Q_OS_WIN
    // Files with the system attribute count as files there; on other systems
    // "system" means sockets and devices, which are never wanted.
    filters |= QDir::System;
#endif
    // Without QDir::CaseSensitive the name filter ignores letter case.
    QStringList names = QDir(path).entryList(QStringList{pattern}, filters, QDir::NoSort);
    NaturalOrder::Sort(names);
    return names;
}

} // namespace AddFolder
