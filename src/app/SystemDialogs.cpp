// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SystemDialogs.h"

#include "MessageBox.h"

#include <QDir>
#include <QFileDialog>

namespace {

// "PDF Files (*.pdf)|*.pdf|" becomes the filter "PDF Files (*.pdf)".
QString qtFilter(const QString& filter)
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

void SystemDialogs::message(QWidget* owner, const QString& text, const QString& details)
{
    MessageBox::show(owner, text, details);
}

QStringList SystemDialogs::openFiles(QWidget* owner, const OpenDialogSettings& settings)
{
    const QString filter = qtFilter(settings.Filter);
    if (settings.Flags & OpenDialogSettings::kAllowMultiselect)
        return QFileDialog::getOpenFileNames(owner, settings.DialogTitle, settings.InitDir, filter);
    const QString one = QFileDialog::getOpenFileName(owner, settings.DialogTitle, settings.InitDir, filter);
    return one.isEmpty() ? QStringList() : QStringList{one};
}

QString SystemDialogs::pickFolder(QWidget* owner, const QString& prompt, const QString& startFolder)
{
    const QString chosen = QFileDialog::getExistingDirectory(owner, prompt, startFolder, QFileDialog::ShowDirsOnly);
    return QDir::toNativeSeparators(chosen);
}
