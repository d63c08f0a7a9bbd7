#include "CommonDialog.h"

#include "sourcelist/OpenDialogSelection.h"

#include <QFileDialog>
#include <QQueue>

namespace {
QQueue<QStringList>& Selections()
{
    static QQueue<QStringList> selections;
    return selections;
}
CommonDialog& LastShown()
{
    static CommonDialog last;
    return last;
}

// "PDF Files (*.pdf)|*.pdf|" becomes the filter "PDF Files (*.pdf)".
QString QtFilter(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts.at(i);
        const QString patterns = QString(parts.at(i + 1)).replace(QLatin1Char(';'), QLatin1Char(' '));
        if (!description.contains(QLatin1Char('(')))
            description += QStringLiteral(" (%1)").arg(patterns);
        filters.append(description);
    }
    return filters.join(QStringLiteral(";;"));
}
} // namespace

CommonDialog::CommonDialog(QWidget* owner)
    : m_owner(owner)
{
}

bool CommonDialog::ShowOpen()
{
    LastShown() = *this;
    QStringList chosen;
    if (!Selections().isEmpty()) {
        chosen = Selections().dequeue();
    } else if (Flags & kAllowMultiselect) {
        chosen = QFileDialog::getOpenFileNames(m_owner, DialogTitle, InitDir, QtFilter(Filter));
    } else {
        const QString one = QFileDialog::getOpenFileName(m_owner, DialogTitle, InitDir, QtFilter(Filter));
        if (!one.isEmpty())
            chosen.append(one);
    }
    const QString answer = OpenDialogSelection::Compose(chosen);
    if (answer.size() > MaxFileSize) {
        FileName.clear();
        return false;
    }
    FileName = answer;
    return true;
}

void CommonDialog::SetNextSelectionForTests(const QStringList& paths)
{
    Selections().enqueue(paths);
}

const CommonDialog& CommonDialog::LastShownForTests()
{
    return LastShown();
}
