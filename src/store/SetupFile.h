#pragma once

#include "DesignSetup.h"

#include <QByteArray>
#include <QString>

namespace dravik {

// Design setup files (.dvsetup): the whole design of the charts as one JSON
// object, "format": "dravik-design-setup", "version": 1 or 2. A design that
// needs nothing of version 2 (dual-coil drivers, US units) is written as version 1,
// so files of version 1 re-save byte for byte; a key of version 2 in a file
// of version 1 is refused.
//
// The reader is strict: every key it does not know, every value of the wrong
// type or out of its range, a number written as a string, null where a value
// is needed and invalid JSON are refused with DravikError, whose text names
// the key path ("enclosure.radiator.mass_g: must be a positive number"). Each
// number is taken at the precision the writer keeps (10 significant digits),
// so what is read is exactly what a save writes back.
//
// The writer puts the keys in a fixed order, two spaces an indent level,
// numbers with up to 10 significant digits and a final newline: two saves of
// one design are byte-identical. A design it cannot write so that the reader
// gives the same design back (a value missing or out of range) is refused
// with a sentence naming the value, and nothing is written.
//
// The amplifier's rating is a pair (power and load, or neither); each limit
// may be null. The filters are a list of at most 8, each with the keys of
// its type (and, for a high-pass or low-pass, its alignment). The
// environment has the keys of its kind: none for an ideal space, a car's
// corner or cabin length (the one its design uses), slope and most gain, a
// room's size, reverberation time and the box's and the listener's points
// as [x, y, z]. A filter or space the model cannot use is refused with the
// model's own reason, by the reader under the key path of the filter
// ("filters[2]") or "environment". Left out, they are no amplifier limit,
// no filter and half space, which the writer writes as nulls, [] and
// "half-space".

inline constexpr const char *SetupFileFormat = "dravik-design-setup";
inline constexpr int SetupFileVersion = 2; // the highest read and written
inline constexpr qint64 SetupFileMaxBytes = 1024 * 1024;

// The design in a setup document. Refusals begin "The design setup was not
// read: ".
DesignSetup ParseDesignSetup(const QByteArray &json);

// The setup document of a design. Refusals begin "The design setup was not
// written: ".
QByteArray SerializeDesignSetup(const DesignSetup &setup);

// Reads a setup file of at most 1 MiB. A name that is not a regular file is
// refused with the program's file messages, anything else with "The setup
// file NAME was not read: " and why (NAME without its directory).
DesignSetup ReadSetupFile(const QString &path);

// Writes the setup file through a temporary file beside it, put in place
// only when complete. A design the file cannot hold is refused with "The
// setup file NAME was not written: " and why, before anything is written;
// so is an existing file beside which no temporary file can be made (it is
// never written over in place).
void WriteSetupFile(const QString &path, const DesignSetup &setup);

} // namespace dravik
