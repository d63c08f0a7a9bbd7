// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "ExtractChoices.h"
#include "confine/Confinement.h"

#include <QString>

// How a run of "Extract!" goes, as ExtractRun was set up for it.
struct ExtractSettings {
    int parallelEncoders = 1;
    bool pipelined = true;
    bool readList = true;
    ExtractChoices choices;
    Confinement confinement; // how the run's programs are confined
    QString confinementNote; // a line for the final message when they ran unconfined by the environment's word
    bool removeWorkCopy = false;
    bool workCopyInOutputFolder = false; // see ExtractRun::setWorkCopyInOutputFolder
    int timeLimit = 0;                   // seconds a PDF's programs may run; 0: no limit
    bool repeatsByContent = true;        // see ExtractRun::setRepeatsByContent
    bool listForRecord = false;          // see ExtractRun::setListForRecord
};
