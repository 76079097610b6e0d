#pragma once

#include "DesignSetup.h"

#include <QByteArray>
#include <QString>

namespace dravik {

// Design setup files (.dvsetup): the whole design of the charts as one JSON
// object, "format": "dravik-design-setup", "version": 1.
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
// The amplifier, the filters and the environment are read and written only
// with their empty values (no amplifier limit, no filter, half space).

inline constexpr const char *SetupFileFormat = "dravik-design-setup";
inline constexpr int SetupFileVersion = 1;
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
// setup file NAME was not written: " and why, before anything is written.
void WriteSetupFile(const QString &path, const DesignSetup &setup);

} // namespace dravik
