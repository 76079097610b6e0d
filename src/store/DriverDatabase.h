#pragma once

#include "FieldStore.h"

#include <QByteArray>
#include <QStringList>

#include <vector>

namespace dravik {

// The driver database in the current directory: "spk.db" holds three header
// lines and then one record of 31 lines per driver ("<begin_element>", the
// record's index, the 28 DriverFields, "<end_element>"); "spkdb.hdr" holds the
// index of the last record (-1 for an empty database). Records are found by
// position only. Both files must exist; neither is ever created.
//
// The index file holds a whole number, blanks allowed around it, an empty
// line reading 0. Anything else, or a number outside -1 to MaxLastIndex, is
// refused as a damaged header and nothing is read or written.

inline const char *const DamagedDatabaseHeader = "Driver database header is damaged";
// spk.db does not hold what the header announces where that matters: a line
// longer than any field can be, or, before a record is added, a length other
// than exactly its header lines and LastIndex + 1 records.
inline const char *const DamagedDatabase = "Driver database is damaged";
inline const char *const DatabaseFull = "Driver database is full";
// The chosen entry of the driver list no longer names the record at its place.
inline const char *const StaleDriverList = "The driver list is out of date. List the drivers again";

// The largest index of a last record; a database holds at most one more record.
constexpr int MaxLastIndex = 1000000;
// The longest line either file may hold, in bytes: a field holds at most
// 32,767 characters, which UTF-8 writes in at most 98,301 bytes. A header line
// may have blanks before its number up to this length.
constexpr int MaxDatabaseLineBytes = 128 * 1024;
// Records that a header announces but that lie wholly past the end of spk.db
// are listed as blank entries, at most this many of them.
constexpr int MaxMissingRecordsListed = 1000;

// The 28 fields of a record, in record order.
const std::vector<Field> &DriverFields();

// One record as it stands in spk.db: "<begin_element>", the index, the 28
// field texts in record order, "<end_element>", each line ended by CR LF.
QByteArray DriverRecordBytes(int index, const QStringList &fields);

// Adding and listing hold an exclusive lock (flock) on spk.db itself, so two
// programs working in one directory add one after the other; the lock needs
// no file of its own and no write permission.
//
// An add that was stopped (killed, the machine switched off) after its
// record was written but before spkdb.hdr counted it leaves exactly one
// whole record after record LastIndex, with LastIndex + 1 on its index line.
// The next add or listing counts that record in spkdb.hdr and goes on.

// Appends the Driver page's fields as the next record, then counts it in
// spkdb.hdr. The record is complete in spk.db before the header changes; if
// either write fails spk.db is cut back to its old length, so the two files
// stay as they were. A spk.db that does not end exactly after record
// LastIndex (or after the one uncounted record of a stopped add) is refused
// as damaged before anything is written: a record added there would not be
// where the readers count.
void AddDriver(const FieldStore &main);

// Fills the database dialog: the driver list gets "<index line> <manufacturer>
// <model>" and its comment list the comments of each record, the index field ends at "0".
// Both lists are cleared first. The uncounted record of a stopped add is
// counted and listed; where spkdb.hdr cannot be written it is left unlisted.
void ListDrivers(FieldStore &dialog);

// "Load Selected Driver": the selected entry of the driver list goes into the
// index field and that record is loaded. With no entry selected nothing happens.
// The record must still be the one the entry shows (its index, manufacturer
// and model lines form the entry's very text): where the database changed
// since the listing, StaleDriverList is raised and nothing is changed.
void LoadButtonClick(FieldStore &main, FieldStore &dialog);

// One record of spk.db as a batch reads it, by its position.
struct DriverRecord {
    enum class State {
        Whole,   // the record stands where the header says, markers and index in place
        Damaged, // its markers or index line are not where they belong
        Missing, // spkdb.hdr counts it but spk.db ends before it
        Cut      // it could not be read (a line longer than any field can be, a
                 // read error: readError says which); nothing after it is read
    };
    int index = 0;
    State state = State::Whole;
    // The 28 field texts in record order (empty past the end of spk.db); for
    // a damaged record only where its first two lines are in place.
    QStringList fields;
    QString readError;
};

// Every record spkdb.hdr counts, in order, read in one pass under the lock
// of a listing, with the header read exactly as the other commands read it
// (a damaged header raises DamagedDatabaseHeader). Records wholly past the
// end of spk.db come as Missing, at most MaxMissingRecordsListed of them, as
// the listing shows them; the uncounted record of a stopped add is left out.
std::vector<DriverRecord> ReadDriverRecords();

// Copies the record whose index the dialog's index field holds into the
// Driver page. An index
// that is not a whole number, below 0 or above the last record loads nothing;
// a record past the end of spk.db loads 28 empty texts.
void LoadDriver(FieldStore &main, const FieldStore &dialog);

} // namespace dravik
