#pragma once

#include <array>
#include <optional>

namespace dravik {

// A tabulated vented-box alignment, indexed by the driver's Qts. Each column
// has room for 101 rows; rows 0 to 20 are used, the rest stay 0. SBB4 is tuned
// to Fs and has no h column (left 0).
struct AlignmentTable {
    std::array<double, 101> Qts;  // row key
    std::array<double, 101> alfa; // Vas / Vb
    std::array<double, 101> h;    // Fb / Fs
    std::array<double, 101> ffs;  // F3 / Fs
};

// The two tabulated alignments of a program.
struct AlignmentTables {
    AlignmentTable SBB4Table{}; // Qts 0.20 to 0.40
    AlignmentTable SC4Table{};  // Qts 0.25 to 0.45
};

// Fills both tables; run once when the main window is created.
void InitializeAlignmentTables(AlignmentTables &tables);

// The row whose key has the same whole hundredths as qts (truncated toward
// zero: 0.387 and 0.38 give the 0.38 row, 0.295 the 0.29 row), or no row
// for a Qts outside the table, zero, negative or not a number.
std::optional<int> FindAlignmentRow(const AlignmentTable &table, double qts);

} // namespace dravik
