#include "AlignmentTables.h"

#include "Fp.h"

#include <cmath>

namespace dravik {

namespace {

constexpr int UsedRows = 21;

struct Sbb4Row {
    double qts, alfa, ffs;
};
struct Sc4Row {
    double qts, alfa, h, ffs;
};

constexpr Sbb4Row Sbb4Rows[UsedRows] = {
    {0.20, 5.9, 3.4}, {0.21, 5.3, 3.2}, {0.22, 4.8, 3.0}, {0.23, 4.4, 2.8}, {0.24, 4.0, 2.6},
    {0.25, 3.7, 2.4}, {0.26, 3.4, 2.3}, {0.27, 3.2, 2.2}, {0.28, 2.9, 2.0}, {0.29, 2.7, 1.9},
    {0.30, 2.5, 1.8}, {0.31, 2.4, 1.7}, {0.32, 2.2, 1.6}, {0.33, 2.1, 1.5}, {0.34, 2.0, 1.4},
    {0.35, 1.8, 1.4}, {0.36, 1.7, 1.3}, {0.37, 1.6, 1.3}, {0.38, 1.5, 1.2}, {0.39, 1.5, 1.2},
    {0.40, 1.4, 1.1},
};

constexpr Sc4Row Sc4Rows[UsedRows] = {
    {0.25, 3.8961, 1.0338, 2.3949}, {0.26, 3.6755, 1.0534, 2.2282}, {0.27, 3.4551, 1.0703, 2.0784},
    {0.28, 3.2360, 1.0842, 1.9439}, {0.29, 3.0193, 1.0951, 1.8229}, {0.30, 2.8062, 1.1028, 1.7137},
    {0.31, 2.5977, 1.1073, 1.6149}, {0.32, 2.3952, 1.1086, 1.5251}, {0.33, 2.1997, 1.1065, 1.4431},
    {0.34, 2.0125, 1.1012, 1.3679}, {0.35, 1.8347, 1.0926, 1.2986}, {0.36, 1.6672, 1.0810, 1.2345},
    {0.37, 1.5109, 1.0667, 1.1751}, {0.38, 1.3665, 1.0498, 1.1200}, {0.39, 1.2343, 1.0309, 1.0689},
    {0.40, 1.1146, 1.0103, 1.0215}, {0.41, 1.0070, 0.9886, 0.9777}, {0.42, 0.9113, 0.9662, 0.9373},
    {0.43, 0.8266, 0.9436, 0.9001}, {0.44, 0.7521, 0.9212, 0.8660}, {0.45, 0.6868, 0.8992, 0.8348},
};

// Qts in whole hundredths, truncated toward zero. The product is first rounded
// to nine decimals so that a Qts typed with two decimals gives exactly those
// hundredths (0.29 x 100 is 28.999999999999996 in binary). The range is
// settled before anything becomes an integer: zero, negative, NaN and
// absurdly large values have no hundredths that any key could match.
std::optional<int> WholeHundredths(double qts) {
    if (!(qts > 0.0 && qts < 1e6))
        return std::nullopt;
    const double hundredths = std::round(qts * 100.0 * 1e9) / 1e9;
    return fp::truncToInt(hundredths);
}

} // namespace

void InitializeAlignmentTables(AlignmentTables &tables) {
    AlignmentTable &sbb4 = tables.SBB4Table;
    AlignmentTable &sc4 = tables.SC4Table;
    sbb4 = AlignmentTable{};
    sc4 = AlignmentTable{};
    for (int i = 0; i < UsedRows; ++i) {
        sbb4.Qts[i] = Sbb4Rows[i].qts;
        sbb4.alfa[i] = Sbb4Rows[i].alfa;
        sbb4.ffs[i] = Sbb4Rows[i].ffs;
        sc4.Qts[i] = Sc4Rows[i].qts;
        sc4.alfa[i] = Sc4Rows[i].alfa;
        sc4.h[i] = Sc4Rows[i].h;
        sc4.ffs[i] = Sc4Rows[i].ffs;
    }
}

std::optional<int> FindAlignmentRow(const AlignmentTable &table, double qts) {
    const std::optional<int> wanted = WholeHundredths(qts);
    if (!wanted)
        return std::nullopt;
    for (int row = 0; row < UsedRows; ++row) {
        if (WholeHundredths(table.Qts[row]) == wanted)
            return row;
    }
    return std::nullopt;
}

} // namespace dravik
