#pragma once

#include "DriverImpedance.h"

#include <QString>

#include <vector>

namespace dravik {

// A measured impedance: frequencies rising, each with its complex impedance.
struct ImpedanceCurve {
    std::vector<double> hz;
    std::vector<Impedance> z;

    size_t size() const { return hz.size(); }
};

// Impedance files (.zma) as measurement programs and jigs write them: one
// point a line, frequency (Hz), magnitude (ohm) and phase (degrees),
// separated by blanks, tabs or commas. Lines that are empty or begin with
// "*", ";" or "#" are comments. Any other line refuses the whole file with
// its line number, as do a frequency that is not above the one before, a
// frequency or magnitude that is not a positive number and a phase that is
// not a number. The file is opened as every data file of the program is (a
// directory, a named pipe or a device is refused before anything is read).
inline constexpr qint64 MaxImpedanceFileBytes = 16 * 1024 * 1024;
inline constexpr qsizetype MaxImpedanceLineBytes = 1024;
inline constexpr int MaxImpedancePoints = 65536;
// A fit of the seven parameters of the lossy model needs more points than
// that, and a resonance needs some on both sides.
inline constexpr int MinImpedancePoints = 16;

namespace msg {
inline const char *const ImpedanceFileTooLarge = "The impedance file is larger than 16 MB";
inline const char *const TooManyImpedancePoints = "The impedance file holds more than 65536 points";
inline const char *const TooFewImpedancePoints = "The impedance file holds fewer than 16 points";
} // namespace msg

// "Line 7 of the impedance file is not a frequency, a magnitude and a phase"
QString ImpedanceLineRefusal(int line);
// "Line 7 of the impedance file holds a value out of range"
QString ImpedanceValueRefusal(int line);
// "Line 7 of the impedance file: the frequency does not rise"
QString ImpedanceOrderRefusal(int line);

// Reads the file; raises DravikError with one of the messages above or the
// file's own error.
ImpedanceCurve ReadImpedanceFile(const QString &path);

// The same rules over lines already in memory (line numbers from 1).
ImpedanceCurve ParseImpedanceLines(const QStringList &lines);

} // namespace dravik
