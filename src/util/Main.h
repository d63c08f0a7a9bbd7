#pragma once

#include <QString>

namespace Main {

// True when something can be found at path; never throws, false for "".
bool FileExists(const QString& path);

// Deletes the file at path; a failure of any kind is ignored.
void DeleteQuietly(const QString& path);

// The start-up chance: n = floor(r * 100) + 1 for a draw 0 <= r < 1; the home
// page is due when n is 7, one start in a hundred.
bool HomePageDue(double draw);

// A draw 0 <= r < 1 from a generator seeded with the seconds since midnight.
double DrawFromTimer();

} // namespace Main
