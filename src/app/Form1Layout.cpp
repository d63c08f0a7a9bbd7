// SPDX-FileCopyrightText: 2026 Orvalin developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Form1Layout.h"

namespace Form1Layout {

// Command1 lies left of the client area: it is never seen and only holds a tab stop.
const std::array<Control, 10> kControls{{
    {"ListView1", QRect(120, 120, 6735, 1575), "PDF File(s)",
     "The PDF files to extract, in the order they are worked through. Drop files here to add them; "
     "double-click a file to remove it; drag a file to move it."},
    {"Check1", QRect(120, 1800, 2175, 1095), nullptr, "Adds PDF files chosen in a dialog to the list."},
    {"Check4", QRect(2400, 1800, 2175, 1095), nullptr,
     "Adds every PDF file of a folder and its subfolders to the list."},
    {"Check2", QRect(4680, 1800, 2175, 1095), nullptr,
     "Saves the images of every PDF file in the list as numbered JPEG files in the output folder. "
     "Its menu holds what is kept as it is and what is left out."},
    {"Text1", QRect(2880, 3000, 3495, 285), nullptr, "The folder that the JPEG files are saved in."},
    {"Check5", QRect(6480, 3000, 325, 285), "Choose output folder",
     "Opens a folder picker to choose the output folder."},
    {"Check3", QRect(6000, 3360, 855, 375), nullptr, "Tells how the images come out of a PDF file."},
    {"Command1", QRect(-720, 2640, 615, 495), nullptr, "Has no action."},
    {"ProgressBar1", QRect(120, 3360, 5775, 375), "Progress", "How far the extraction has come through the list."},
    {"Label1", QRect(240, 3030, 2535, 255), nullptr, "Names the output folder box."},
}};

} // namespace Form1Layout
