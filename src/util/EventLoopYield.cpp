// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "EventLoopYield.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <memory>

std::function<void()> eventLoopYield()
{
    auto sinceYield = std::make_shared<QElapsedTimer>();
    sinceYield->start();
    return [sinceYield] {
        if (sinceYield->elapsed() >= 5) {
            QCoreApplication::processEvents();
            sinceYield->restart();
        }
    };
}
