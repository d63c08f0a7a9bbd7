// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "extract/ExtractHost.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// The window as far as the extraction run sees it, with everything it is
// told kept for the tests and the benchmark to look at.
class HeadlessHost : public ExtractHost
{
public:
    QStringList rows;
    QString outputFolder;
    QList<int> progress;
    QList<Pointer> pointers;
    QStringList messages;
    QStringList details;
    int saved = 0;                    // JPEG files saved
    std::function<void()> onProgress; // called at every progress step
    std::function<void()> onMessage;  // called while a message is "shown"

    int sourceCount() const override { return int(rows.size()); }
    QString sourceText(int row) const override { return rows.value(row - 1); }
    QString outputFolderText() const override { return outputFolder; }
    void setProgress(int percent) override
    {
        progress.append(percent);
        if (onProgress)
            onProgress();
    }
    void setMousePointer(Pointer pointer) override { pointers.append(pointer); }
    void imageSaved(const SavedImage&) override { ++saved; }
    void showMessage(const QString& text, const QString& detail = QString()) override
    {
        messages.append(text);
        details.append(detail);
        if (onMessage)
            onMessage();
    }
};
