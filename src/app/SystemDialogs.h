// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "util/widgets/Dialogs.h"

// The system's own dialogs: the program's message box, the platform's open
// dialog and folder picker.
class SystemDialogs : public Dialogs
{
public:
    void message(QWidget* owner, const QString& text, const QString& details) override;
    QStringList openFiles(QWidget* owner, const OpenDialogSettings& settings) override;
    QString pickFolder(QWidget* owner, const QString& prompt, const QString& startFolder) override;
};
