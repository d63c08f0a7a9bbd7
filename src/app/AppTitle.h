// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QGuiApplication>
#include <QString>

// The window caption and the caption of every message box.
inline QString appTitle()
{
    return QStringLiteral("Orvalin");
}

// The application's id: the name of its desktop entry, icon and metainfo.
inline QString appId()
{
    return QStringLiteral("org.orvalin.Orvalin");
}

// Names the running application: its title, which is also its windows' class,
// and the desktop entry that the desktop matches its windows to.
inline void nameApplication()
{
    QGuiApplication::setApplicationName(appTitle());
    QGuiApplication::setDesktopFileName(appId());
}
