// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// How the open dialog is set up, as a property sheet: FileName, Flags,
// DialogTitle, Filter, InitDir. CommonDialog adds ShowOpen to it.
struct OpenDialogSettings {
    static constexpr unsigned kReadOnly = 0x1;
    static constexpr unsigned kAllowMultiselect = 0x200;
    static constexpr unsigned kExplorer = 0x80000;
    static constexpr unsigned kLongNames = 0x200000;

    QString FileName;
    unsigned Flags = 0;
    QString DialogTitle;
    QString Filter;          // "Description|pattern|...", as pairs
    QString InitDir;         // the folder the dialog starts in
    int MaxFileSize = 30000; // characters one answer may hold
};

// Every dialog the program shows goes through this one seam: the message
// boxes, the open dialog and the folder picker. The window is handed the
// system's own (SystemDialogs) unless its options name others; the tests hand
// it scripted answers.
class Dialogs
{
public:
    virtual ~Dialogs() = default;

    // A message box with OK alone; details, when given, can be unfolded.
    virtual void message(QWidget* owner, const QString& text, const QString& details) = 0;
    // The open dialog set up as settings says: the chosen paths, none for a cancel.
    virtual QStringList openFiles(QWidget* owner, const OpenDialogSettings& settings) = 0;
    // The folder picker with prompt as its title, starting in startFolder: the
    // chosen folder's full path, or the empty string for a cancel.
    virtual QString pickFolder(QWidget* owner, const QString& prompt, const QString& startFolder) = 0;
};
