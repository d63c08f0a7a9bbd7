#include "OpenDialogSelection.h"

#include "util/Platform.h"
#include "util/Trim1.h"

#include <QDir>
#include <QFileInfo>

namespace OpenDialogSelection {

QStringList Rows(const QString& fileName)
{
    if (fileName.isEmpty())
        return {};
    const QStringList parts = fileName.split(QChar(0));
    if (parts.size() == 1)
        return parts;
    QStringList rows;
    for (qsizetype i = 1; i < parts.size(); ++i)
        rows.append(Trim1::CollapseDoubledSeparators(parts.at(0) + Platform::Separator() + parts.at(i)));
    return rows;
}

QString Compose(const QStringList& chosenPaths)
{
    if (chosenPaths.isEmpty())
        return QString();
    if (chosenPaths.size() == 1)
        return QDir::toNativeSeparators(chosenPaths.constFirst());
    QString answer = QDir::toNativeSeparators(QFileInfo(chosenPaths.constFirst()).absolutePath());
    for (const QString& path : chosenPaths)
        answer += QChar(0) + QFileInfo(path).fileName();
    return answer;
}

} // namespace OpenDialogSelection
