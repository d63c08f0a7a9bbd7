// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: LicenseRef-proprietary

#pragma once

#include "util/widgets/Dialogs.h"

// The system's own dialogs: the program's message box, the platform's open
// dialog and folder picker.
class SystemDialogs : public Dialogs
{
public:
    void Message(QWidget* owner, const QString& text, const QString& details) override;
    QStringList OpenFiles(QWidget* owner, const OpenDialogSettings& settings) override;
    QString PickFolder(QWidget* owner, const QString& prompt, const QString& startFolder) override;
};
