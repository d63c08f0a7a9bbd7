#pragma once

#include <QString>

// The window caption and the caption of every message box.
inline QString AppTitle()
{
    return QStringLiteral("Orvalin");
}
