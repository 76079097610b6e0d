#pragma once

#include "DriverDatabase.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace dravik {

// dravik-rank: every driver of the database through the same design
// questions, ranked, as a CSV table. For each record it loads the driver as
// "Load Selected Driver" does and runs, on fields in memory:
//   - "Calculate SBB4 alignment" (a driver whose Qts lies outside the table
//     gets the maximally flat box tuned to Fs: "sbb4_alignment" says "flat");
//   - "Calculate from Vb and Fb" on that box: the levels at 25 Hz;
//   - the design charts' figures of that box at the driver's PEmax;
//   - "Calculate SC4 alignment", likewise with its own alignment column;
//   - "Optimize for subwoofer use": the smallest box tuned to the target Fb
//     reaching the target level at 20 Hz, and the charts' figures of it.
// A record that cannot be read, or whose driver a command refuses, gets a
// row with its index, its name where readable, no figures and the reason in
// "problem"; such rows come after every computed driver.

// The table's columns, in order.
enum class RankColumn {
    Rank,
    Index,
    Maker,
    Model,
    Qts,
    Fs,
    Vas,
    Sbb4Alignment,
    Sbb4Vb,
    Sbb4Fb,
    Sbb4F3,
    Level25Hz,
    Spl100W25Hz,
    Sc4Alignment,
    Sc4Vb,
    Sc4Fb,
    Sc4F3,
    SmallestBox,
    Power,
    Sbb4MaxSpl20Hz,
    Sbb4MaxSpl25Hz,
    Sbb4Excursion20Hz,
    Sbb4VentPeak,
    OptMaxSpl20Hz,
    OptMaxSpl25Hz,
    OptExcursion20Hz,
    OptVentPeak,
    OverBudget,
    Problem,
    Count
};
inline constexpr int RankColumnCount = static_cast<int>(RankColumn::Count);

// The column's name in the table's header line ("spl_100w_25hz_db").
QString RankColumnName(RankColumn column);
// The column of that name that holds numbers, so that a table can be ranked
// by it; none for the rank, index, names, alignments, budget and problem.
std::optional<RankColumn> RankableColumn(const QString &name);

struct RankOptions {
    RankColumn by = RankColumn::Spl100W25Hz;
    bool ascending = false;
    // Typed into the Box and Vent pages' fields as given, as a user would.
    QString targetFb = QStringLiteral("22");
    QString targetDb = QStringLiteral("-9");
    std::optional<QString> vents;
    std::optional<QString> ventDiameter;
    // Litres; 0: no budget.
    double maxBoxLitres = 200.0;
};

// One driver's row: a text per column (the rank is set by RankRows).
struct RankRow {
    int index = 0;
    QStringList cells;
    bool computed() const;
    QString cell(RankColumn column) const { return cells[static_cast<int>(column)]; }
};

// Runs the questions on one record. Fields a command writes start from the
// program's start texts for every driver, so no driver sees another's.
class DriverRanker {
public:
    explicit DriverRanker(const RankOptions &options);
    ~DriverRanker();
    DriverRanker(const DriverRanker &) = delete;
    DriverRanker &operator=(const DriverRanker &) = delete;

    RankRow row(const DriverRecord &record);

private:
    struct State;
    RankOptions options_;
    State *state_;
};

// The rows of all records, in database order, computed by `jobs` threads
// side by side (each with its own fields and responses: drivers share
// nothing, so the rows are the same for any number of threads).
std::vector<RankRow> ComputeRows(const std::vector<DriverRecord> &records,
                                 const RankOptions &options, int jobs);

// Orders the rows: computed drivers within the budget, ranked by the column
// asked for (rows whose value is not a number after those that have one, in
// database order); then those over the budget, with the reason in
// "over_budget", ranked the same way; then the rows with a problem, in
// database order and without a rank.
void RankRows(std::vector<RankRow> &rows, const RankOptions &options);

// The table as RFC 4180 CSV: the header line, then one line per row, each
// ended by CR LF. Text columns are always quoted; any other cell is quoted
// where it holds a comma, a double quote, a CR or an LF. A text that begins
// with =, +, -, @, a tab or a CR (which a spreadsheet would run as a formula)
// is written with a single quote before it, inside its quotes; a number in a
// column of figures is written as it is, a negative one too.
QByteArray RankTableCsv(const std::vector<RankRow> &rows);
// One field as RFC 4180 writes it: in double quotes, each quote doubled.
QString QuotedCsvField(const QString &text);

} // namespace dravik
