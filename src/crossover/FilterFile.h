#pragma once

#include "CrossoverArrays.h"
#include "FieldStore.h"

#include <QString>

namespace dravik {

// Filter response files (".FLT"): any leading lines, a line of exactly "{",
// then pairs of lines (a frequency in whole hertz, a level in dB), and a line
// of exactly "}". Only the first 28192 lines of a file and its first 8194
// points are read, each line up to 4096 bytes (the rest of a longer line is
// skipped), and never more bytes than those lines can hold.
//
// Reading a file into a slot does not interpolate: each point except the last
// writes the entries from its own frequency up to the next point's frequency
// with a running value that starts at its level and grows by its level over
// its frequency before each entry. Entries the file does not reach keep their
// values. Every read leaves "test<slot>.log" with the slot's 1001 levels.
//
// Beyond the format's limits the reader stays inside the slot: entries below
// 0 Hz or above 1001 Hz are never written, a frequency outside the 32-bit
// range starts no run, a missing end marker means "use what was read", and
// an unpaired last line is ignored. A frequency line is blanks, an optional
// sign and digits; a level line is a number as a field holds one; any other
// text (even a trailing blank) reads as 0, like an empty line.
void LoadFilterFile(Crossover &crossover, int slot, const QString &fileName);

// Entries 0 to 1000 of all four slots and of CrossoverResponse to 0 dB.
void ClearCrossover(Crossover &crossover);

// CrossoverResponse = slot 0 + slot 1 (levels in dB add when filters cascade).
void CombineTwoFilters(Crossover &crossover);
// CrossoverResponse = slot 0 + slot 1 + slot 2 + slot 3, added in that order.
void CombineFourFilters(Crossover &crossover);

// Refills the Crossover page's list "ListBox1": "<hertz> Hz : <level> dB"
// for 0 to 1000 Hz.
void ShowCrossoverResponse(const Crossover &crossover, FieldStore &main);

} // namespace dravik
