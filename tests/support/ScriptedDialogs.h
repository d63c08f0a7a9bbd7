// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "util/widgets/Dialogs.h"

#include <QList>
#include <QString>
#include <QStringList>

// Dialogs that answer from scripts instead of showing anything, and keep what
// they were asked. An answer list that has run out answers like a cancel.
class ScriptedDialogs : public Dialogs
{
public:
    QStringList messages;                // every message's text, in order
    QList<QStringList> openAnswers;      // the open dialog's next answers
    QStringList folderAnswers;           // the folder picker's next answers
    OpenDialogSettings lastOpen;         // how the open dialog was last set up
    QString lastPrompt;                  // the folder picker's last title
    QString lastStart;                   // and the folder it last started in
    Dialogs* showMessagesWith = nullptr; // when set, messages are shown by it

    void message(QWidget* owner, const QString& text, const QString& details) override
    {
        if (showMessagesWith)
            showMessagesWith->message(owner, text, details);
        else
            messages.append(text);
    }
    QStringList openFiles(QWidget*, const OpenDialogSettings& settings) override
    {
        lastOpen = settings;
        return openAnswers.isEmpty() ? QStringList() : openAnswers.takeFirst();
    }
    QString pickFolder(QWidget*, const QString& prompt, const QString& startFolder) override
    {
        lastPrompt = prompt;
        lastStart = startFolder;
        return folderAnswers.isEmpty() ? QString() : folderAnswers.takeFirst();
    }
};
