// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ChoicesMenu.h"

#include "AppTitle.h"

#include <QAction>
#include <QActionGroup>
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
const char* const kMasksKey = "masks";

} // namespace

ChoicesMenu::ChoicesMenu(const QString& settingsFile, QWidget* parent)
    : QMenu(parent)
    , m_settingsFile(settingsFile)
{
    setObjectName(QStringLiteral("choicesMenu"));
    setTitle(QStringLiteral("Extract!"));
    keepJpeg = addChoice(QStringLiteral("Keep JPEG images as they are"), "keepJpeg");
    addSeparator();
    // The older setting was one choice, on or off.
    const std::unique_ptr<QSettings> settings = settingsAt(m_settingsFile);
    const QString masks =
        settings
            ->value(QStringLiteral("%1/%2").arg(QLatin1String(kGroup), QLatin1String(kMasksKey)),
                    settings->value(QStringLiteral("%1/noMasks").arg(QLatin1String(kGroup)), false).toBool()
                        ? QStringLiteral("leave-out")
                        : QStringLiteral("save"))
            .toString();
    auto* group = new QActionGroup(this);
    saveMasks = addMasksItem(QStringLiteral("Save masks as images"), "save", masks, group);
    noMasks = addMasksItem(QStringLiteral("Leave out masks"), "leave-out", masks, group);
    applyMasks = addMasksItem(QStringLiteral("Apply masks to their images"), "apply", masks, group);
    if (!group->checkedAction())
        saveMasks->setChecked(true);
    addSeparator();
    noTiny = addChoice(QStringLiteral("Leave out tiny images"), "noTiny");
    noRepeats = addChoice(QStringLiteral("Leave out repeats"), "noRepeats");
    keepJpeg->setToolTip(QStringLiteral("JPEG images in a PDF are saved bit for bit, not encoded once more."));
    saveMasks->setToolTip(QStringLiteral("Soft masks and masks, the transparency of other images, are saved as "
                                         "images of their own."));
    noMasks->setToolTip(QStringLiteral("Soft masks and masks, the transparency of other images, are not saved."));
    applyMasks->setToolTip(QStringLiteral("An image with a soft mask or mask is saved as it looks on a white page, "
                                          "and the mask is not saved. A JPEG image with a mask is encoded once more, "
                                          "not kept as it is."));
    noTiny->setToolTip(QStringLiteral("Images under 8 pixels wide or high, such as rules and dots, are not saved."));
    noRepeats->setToolTip(QStringLiteral("An image that a PDF shows more than once is saved once, and so is an "
                                         "image the same as one saved before in the run."));
    setToolTipsVisible(true);
}

QAction* ChoicesMenu::addMasksItem(const QString& text, const char* word, const QString& saved, QActionGroup* group)
{
    QAction* action = addAction(text);
    action->setObjectName(QStringLiteral("masks-%1").arg(QLatin1String(word)));
    action->setData(QString::fromLatin1(word));
    action->setCheckable(true);
    action->setActionGroup(group);
    action->setChecked(saved == QLatin1String(word));
    // Of the two toggles a change makes, the one that checks saves.
    connect(action, &QAction::toggled, this, [this](bool checked) {
        if (!checked)
            return;
        save();
        Q_EMIT choicesChanged();
    });
    return action;
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
    for (const QAction* action : {keepJpeg, noTiny, noRepeats})
        settings->setValue(action->objectName(), action->isChecked());
    for (const QAction* action : {saveMasks, noMasks, applyMasks})
        if (action->isChecked())
            settings->setValue(QLatin1String(kMasksKey), action->data());
    settings->remove(QStringLiteral("noMasks"));
}

ExtractChoices ChoicesMenu::choices() const
{
    ExtractChoices choices;
    choices.keepJpeg = keepJpeg->isChecked();
    choices.noMasks = noMasks->isChecked();
    choices.applyMasks = applyMasks->isChecked();
    choices.noTiny = noTiny->isChecked();
    choices.noRepeats = noRepeats->isChecked();
    return choices;
}

QString ChoicesMenu::summary() const
{
    // Saving masks as images is what a run does unless told otherwise.
    QStringList on;
    for (const QAction* action : {keepJpeg, noMasks, applyMasks, noTiny, noRepeats})
        if (action->isChecked())
            on.append(action->text());
    return on.join(QLatin1Char('\n'));
}
