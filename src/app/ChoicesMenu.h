// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "extract/ExtractChoices.h"

#include <QMenu>
#include <QString>

class QAction;
class QActionGroup;

// The menu of Extract!: what a run keeps as it is and leaves out. The
// choices are kept in the settings file from one start to the next.
class ChoicesMenu : public QMenu
{
    Q_OBJECT

public:
    // settingsFile: where the choices are kept; empty: the user's own
    // settings of the program.
    explicit ChoicesMenu(const QString& settingsFile, QWidget* parent = nullptr);

    ExtractChoices choices() const;
    // The choices that are on, one a line, for the button's tooltip; empty
    // when none is.
    QString summary() const;

    QAction* keepJpeg = nullptr;
    // What becomes of masks: one of three, the first at first.
    QAction* saveMasks = nullptr;
    QAction* noMasks = nullptr;
    QAction* applyMasks = nullptr;
    QAction* noTiny = nullptr;
    QAction* noRepeats = nullptr;

Q_SIGNALS:
    void choicesChanged();

private:
    QAction* addChoice(const QString& text, const char* key);
    // One of the mask items, checked when the settings name it.
    QAction* addMasksItem(const QString& text, const char* word, const QString& saved, QActionGroup* group);
    void save() const;

    QString m_settingsFile;
};
