// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "extract/ExtractHost.h"

#include <QCursor>
#include <QWidget>

#include <functional>
#include <memory>

class AddFilesFlow;
class ChoicesMenu;
class Dialogs;
class ExtractRun;
class FolderScanFlow;
class OutputFolderBox;
class PushCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class SourceListView;

// What the main window takes from outside; the defaults are those of the
// real program, tests replace what they need to drive.
struct Form1Options {
    QString applicationFolder;    // default: the executable's folder
    std::function<double()> draw; // the start-up chance's draw, 0 <= r < 1
    QString homePage;             // default: the address the build was given
    std::function<void(const QString&)> openHomePage;
    std::function<void()> endProcess; // default: ends the process at once
    bool searchPathForTools = true;   // look for the tools on PATH too
    Dialogs* dialogs = nullptr;       // default: the system's own
    QString settingsFile;             // where Extract!'s choices are kept; default: the user's settings
};

// The main window.
class Form1 : public QWidget, public ExtractHost
{
    Q_OBJECT

public:
    explicit Form1(Form1Options options = {});
    ~Form1() override;

    // The controls, by their names.
    SourceListView* ListView1 = nullptr;
    PushCheckBox* Check1 = nullptr; // "Add PDF File(s)"
    PushCheckBox* Check2 = nullptr; // "Extract!"
    PushCheckBox* Check3 = nullptr; // "Help"
    PushCheckBox* Check4 = nullptr; // "Add All PDF File(s) In Folder"
    PushCheckBox* Check5 = nullptr; // "..."
    OutputFolderBox* Text1 = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* Command1 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    // Extract!'s menu: right-click, or the menu key while it has the focus.
    ChoicesMenu* choicesMenu = nullptr;

    Pointer MousePointer() const { return m_mousePointer; }
    void setMousePointer(Pointer pointer) override;
    bool hasMouseIcon() const { return m_hasMouseIcon; }

    static QString helpText();

    // The handlers.
    void Form_Load();
    void Form_Unload();
    void Form_MouseMove();
    void Check1_Click();
    void Check2_Click();
    void Check3_Click();
    void Check4_Click();
    void Check5_Click();
    void CheckN_MouseMove();
    void Text1_GotFocus();

    // ExtractHost
    int sourceCount() const override;
    QString sourceText(int row) const override;
    QString outputFolderText() const override;
    void setProgress(int percent) override;
    void showMessage(const QString& text, const QString& details = QString()) override;

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void setUpControls();
    // Geometry and spoken names from the layout table.
    void placeControls();
    void connectControls();
    void CentreForm();
    // Runs a button's action once per press: the guard of every button.
    void guarded(PushCheckBox* box, const std::function<void()>& action);
    // Hands the menu's choices to the run and names them on Extract!.
    void applyChoices();

    Form1Options m_options;
    QString m_applicationFolder;
    Pointer m_mousePointer = Pointer::Default;
    bool m_hasMouseIcon = false;
    QCursor m_mouseIcon;
    bool m_shownOnce = false;
    std::unique_ptr<Dialogs> m_systemDialogs; // when the options name none
    Dialogs* m_dialogs = nullptr;
    std::unique_ptr<ExtractRun> m_extractRun;
    std::unique_ptr<AddFilesFlow> m_addFiles;
    std::unique_ptr<FolderScanFlow> m_folderScan;
};
