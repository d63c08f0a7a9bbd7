// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ChoicesMenu.h"

#include "AppTitle.h"

#include <QAction>
#include <QSettings>

#include <memory>

namespace {

std::unique_ptr<QSettings> settingsAt(const QString& file)
{
    if (file.isEmpty())
        return std::make_unique<QSettings>(appTitle(), appTitle());
    return std::make_unique<QSettings>(file, QSettings::IniFormat);
}

const char* const kGroup = "Extract";

} // namespace

ChoicesMenu::ChoicesMenu(const QString& settingsFile, QWidget* parent)
    : QMenu(parent)
    , m_settingsFile(settingsFile)
{
    setObjectName(QStringLiteral("choicesMenu"));
    setTitle(QStringLiteral("Extract!"));
    keepJpeg = addChoice(QStringLiteral("Keep JPEG images as they are"), "keepJpeg");
    noMasks = addChoice(QStringLiteral("Leave out masks"), "noMasks");
    noTiny = addChoice(QStringLiteral("Leave out tiny images"), "noTiny");
    noRepeats = addChoice(QStringLiteral("Leave out repeats"), "noRepeats");
    keepJpeg->setToolTip(QStringLiteral("JPEG images in a PDF are saved bit for bit, not encoded once more."));
    noMasks->setToolTip(QStringLiteral("Soft masks and masks, the transparency of other images, are not saved."));
    noTiny->setToolTip(QStringLiteral("Images under 8 pixels wide or high, such as rules and dots, are not saved."));
    noRepeats->setToolTip(QStringLiteral("An image that a PDF shows more than once is saved once."));
    setToolTipsVisible(true);
}

QAction* ChoicesMenu::addChoice(const QString& text, const char* key)
{
    QAction* action = addAction(text);
    action->setObjectName(QString::fromLatin1(key));
    action->setCheckable(true);
    const std::unique_ptr<QSettings> settings = settingsAt(m_settingsFile);
    action->setChecked(
        settings->value(QStringLiteral("%1/%2").arg(QLatin1String(kGroup), QLatin1String(key)), false).toBool());
    connect(action, &QAction::toggled, this, [this] {
        save();
        Q_EMIT choicesChanged();
    });
    return action;
}

void ChoicesMenu::save() const
{
    const std::unique_ptr<QSettings> settings = settingsAt(m_settingsFile);
    settings->beginGroup(QLatin1String(kGroup));
    for (const QAction* action : {keepJpeg, noMasks, noTiny, noRepeats})
        settings->setValue(action->objectName(), action->isChecked());
}

ExtractChoices ChoicesMenu::choices() const
{
    return {keepJpeg->isChecked(), noMasks->isChecked(), noTiny->isChecked(), noRepeats->isChecked()};
}

QString ChoicesMenu::summary() const
{
    QStringList on;
    for (const QAction* action : {keepJpeg, noMasks, noTiny, noRepeats})
        if (action->isChecked())
            on.append(action->text());
    return on.join(QLatin1Char('\n'));
}
