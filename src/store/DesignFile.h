#pragma once

#include "CrossoverArrays.h"
#include "FieldStore.h"
#include "ResponseArrays.h"

#include <QString>

#include <map>

namespace dravik {

// Refusal of a save without a file name.
inline const char *const EmptyDesignFileName = "No design file name given";

// Writes the whole design (the fields, CrossoverResponse and SystemResponse at
// 0 to 1000 Hz) as a 4137-line text file named exactly by the field
// EDesignFile, relative to the current directory. The file is written
// beside its final place and put there only when complete, so a failed save
// leaves the previous design file as it was. A line break inside a field's
// text is written as a blank, so every field stays on its own line.
void WriteDesignFile(const FieldStore &main, const Responses &responses,
                     const Crossover &crossover);

// A design file read back: the text of every field it records.
struct SavedDesign {
    QString fileName; // without its directory
    std::map<Field, QString> texts;
    // The field's text, or an empty text for a field the file does not record.
    QString text(Field field) const;
};

// The bounds of a design file that Dravik wrote: 4137 lines, none longer
// than a field's text can make it, 16 MB in all.
constexpr size_t DesignFileLines = 4137;
constexpr qsizetype DesignFileMaxLineBytes = 128 * 1024;
constexpr qint64 DesignFileMaxBytes = 16 * 1024 * 1024;

// Reads a design file by its fixed line layout. Anything else is refused
// with DravikError: "This is not a Dravik design file: " and what is wrong
// (its size, a line too long, its line count, the first fixed line that
// differs); a name that is not a regular file as any other data file.
SavedDesign ReadDesignFile(const QString &path);

} // namespace dravik
