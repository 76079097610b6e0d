#include "DriverRanking.h"

#include "AlignmentTables.h"
#include "Alignments.h"
#include "Analysis.h"
#include "CurveFormats.h"
#include "DesignModel.h"
#include "DesignReader.h"
#include "Fp.h"
#include "MainFields.h"
#include "NumberText.h"

#include <QRegularExpression>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <thread>

namespace dravik {

namespace {

struct TableColumn {
    const char *name;
    bool text;     // always quoted
    bool rankable; // holds numbers
};

const TableColumn Columns[RankColumnCount] = {
    {"rank", false, false},
    {"index", false, false},
    {"maker", true, false},
    {"model", true, false},
    {"qts", false, true},
    {"fs_hz", false, true},
    {"vas_l", false, true},
    {"sbb4_alignment", true, false},
    {"sbb4_vb_l", false, true},
    {"sbb4_fb_hz", false, true},
    {"sbb4_f3_hz", false, true},
    {"level_25hz_db", false, true},
    {"spl_100w_25hz_db", false, true},
    {"sc4_alignment", true, false},
    {"sc4_vb_l", false, true},
    {"sc4_fb_hz", false, true},
    {"sc4_f3_hz", false, true},
    {"smallest_box_l", false, true},
    {"power_w", false, true},
    {"sbb4_max_spl_20hz_db", false, true},
    {"sbb4_max_spl_25hz_db", false, true},
    {"sbb4_excursion_20hz_mm", false, true},
    {"sbb4_vent_peak_ms", false, true},
    {"opt_max_spl_20hz_db", false, true},
    {"opt_max_spl_25hz_db", false, true},
    {"opt_excursion_20hz_mm", false, true},
    {"opt_vent_peak_ms", false, true},
    {"over_budget", true, false},
    {"problem", true, false},
};

const TableColumn &ColumnOf(RankColumn column) {
    return Columns[static_cast<int>(column)];
}

const QString FlatAlignmentLine = QStringLiteral("Flat alignment calculated.");

// The two decimals the table gives every figure of the charts, as "%.2f"
// does (the C library's rounding of the double, not the fields' own).
QString twoDecimals(double value) {
    char text[512];
    std::snprintf(text, sizeof text, "%.2f", value);
    return QString::fromLatin1(text);
}

// A value of the charts as their CSV export writes it (seven significant
// digits), read back: the figures are taken from what a user would see in
// the exported file. None where the export leaves the cell empty.
std::optional<double> exported(const std::vector<double> &values, size_t i) {
    if (i >= values.size() || !std::isfinite(values[i]))
        return std::nullopt;
    // The C library reads the digits back exactly as the toolkit would,
    // without its locale checks.
    return std::strtod(QString::number(values[i], 'g', 7).toLatin1().constData(), nullptr);
}

const std::vector<double> &chartFrequencies() {
    static const std::vector<double> f = ChartFrequencies(ExportPointsPerOctave);
    return f;
}

// The frequency column of the export, the same for every design.
const std::vector<double> &exportedFrequencies() {
    static const std::vector<double> column = [] {
        std::vector<double> c;
        for (size_t i = 0; i < chartFrequencies().size(); ++i)
            c.push_back(*exported(chartFrequencies(), i));
        return c;
    }();
    return column;
}

// One curve at frequency f, between the two exported rows around it,
// interpolated in log frequency; empty where either row has no value or f
// lies beyond the last row.
QString valueAt(const std::vector<double> &curve, double f) {
    const std::vector<double> &frequencies = exportedFrequencies();
    for (size_t k = 1; k < frequencies.size(); ++k) {
        const double f1 = frequencies[k];
        if (f1 < f)
            continue;
        const double f0 = frequencies[k - 1];
        const std::optional<double> v0 = exported(curve, k - 1), v1 = exported(curve, k);
        if (!v0 || !v1)
            return QString();
        const double t = std::log(f / f0) / std::log(f1 / f0);
        return twoDecimals(*v0 + t * (*v1 - *v0));
    }
    return QString();
}

// The highest value of a curve over all exported rows, empty if it has none.
// Rounding to the export's digits never changes which value is highest, so
// the highest is found first and then rounded.
QString highest(const std::vector<double> &curve) {
    std::optional<size_t> peak;
    for (size_t k = 0; k < curve.size(); ++k)
        if (std::isfinite(curve[k]) && (!peak || curve[k] > curve[*peak]))
            peak = k;
    return peak ? twoDecimals(*exported(curve, *peak)) : QString();
}

// The design charts' figures of the vented box in the fields at `powerW`:
// the maximum level at 20 and 25 Hz, the excursion at 20 Hz and the highest
// vent velocity.
QStringList chartFigures(const FieldStore &fields, double powerW) {
    const DesignCurves curves =
        ComputeDesignCurves(ReadDriverParameters(fields),
                            ReadBoxParameters(fields, BoxKind::Vented), powerW, chartFrequencies());
    return {valueAt(curves.maxSplDb, 20.0), valueAt(curves.maxSplDb, 25.0),
            valueAt(curves.excursionMm, 20.0), highest(curves.portVelocity)};
}

// The charts' input power follows the driver's PEmax, as the window's does
// until the user types one: PEmax in whole watts, or 1 W without one.
QString chartsPowerText(const FieldStore &fields) {
    const DriverParameters driver = ReadDriverParameters(fields);
    return driver.peMaxW ? FormatFieldValue(*driver.peMaxW, 0) : QStringLiteral("1");
}

bool hasFlatAlignmentLine(const MainFields &fields) {
    return fields.lines(List::ListBox2).contains(FlatAlignmentLine);
}

bool isBlank(const QStringList &fields) {
    return std::all_of(fields.begin(), fields.end(),
                       [](const QString &f) { return f.trimmed().isEmpty(); });
}

// Why a record cannot be used, or nothing.
std::optional<QString> recordProblem(const DriverRecord &record) {
    switch (record.state) {
    case DriverRecord::State::Whole:
        break;
    case DriverRecord::State::Damaged:
        return QStringLiteral("damaged record: its lines are not where spk.db must hold them");
    case DriverRecord::State::Missing:
        return QStringLiteral("missing record: spk.db ends before it");
    case DriverRecord::State::Cut:
        return QStringLiteral("unreadable record: ") + reportText(record.readError);
    }
    if (isBlank(record.fields))
        return QStringLiteral("blank record");
    return std::nullopt;
}

// A command failed: what the program would have reported, named by its button.
struct CommandFailed {
    QString why;
};

void runCommand(const char *caption, const std::function<void()> &command) {
    try {
        command();
    } catch (const DravikError &e) {
        throw CommandFailed{QLatin1String(caption) + QStringLiteral(": ") +
                            reportText(e.message())};
    }
}

RankRow emptyRow(int index) {
    RankRow row;
    row.index = index;
    for (int i = 0; i < RankColumnCount; ++i)
        row.cells << QString();
    row.cells[static_cast<int>(RankColumn::Index)] = FormatInteger(index);
    return row;
}

void setCell(RankRow &row, RankColumn column, const QString &text) {
    row.cells[static_cast<int>(column)] = text;
}

void setCells(RankRow &row, RankColumn first, const QStringList &texts) {
    for (qsizetype i = 0; i < texts.size(); ++i)
        row.cells[static_cast<int>(first) + static_cast<int>(i)] = texts[i];
}

// A cell's value for ranking: the number it begins with, as a general
// numeric sort reads it; none for an empty cell or one that begins with no
// number (or NaN).
std::optional<double> sortValue(const QString &cell) {
    const QByteArray bytes = cell.toUtf8();
    char *end = nullptr;
    const double v = std::strtod(bytes.constData(), &end);
    if (end == bytes.constData() || std::isnan(v))
        return std::nullopt;
    return v;
}

// Whether a goes before b: the better value first, and a value before none,
// in either direction, so that a driver without the figure is never ranked
// above one that has it.
bool ranksBefore(const std::optional<double> &a, const std::optional<double> &b, bool ascending) {
    if (!a || !b)
        return a && !b;
    return ascending ? *a < *b : *a > *b;
}

// The box the ranked column is about, and its volume column.
struct BudgetBox {
    const char *name;
    RankColumn volume;
};

BudgetBox budgetBox(RankColumn by) {
    const QString name = RankColumnName(by);
    if (name.startsWith(QLatin1String("opt_")) || by == RankColumn::SmallestBox)
        return {"optimiser", RankColumn::SmallestBox};
    if (name.startsWith(QLatin1String("sc4_")))
        return {"SC4", RankColumn::Sc4Vb};
    return {"SBB4", RankColumn::Sbb4Vb};
}

// The reason a computed driver's box breaks the budget, or nothing.
QString overBudget(const RankRow &row, const RankOptions &options) {
    const BudgetBox box = budgetBox(options.by);
    const QString volume = row.cell(box.volume);
    if (options.maxBoxLitres <= 0.0 || volume.isEmpty())
        return QString();
    const double litres = std::strtod(volume.toUtf8().constData(), nullptr);
    if (!(litres > options.maxBoxLitres))
        return QString();
    char text[600];
    std::snprintf(text, sizeof text, "%s box %.0f l > %g l", box.name, litres,
                  options.maxBoxLitres);
    return QString::fromLatin1(text);
}

// A spreadsheet opening the table runs a cell that begins with one of these
// as a formula: a maker named "=HYPERLINK(...)" in a database from elsewhere
// would be a link, or worse, rather than a name.
bool startsLikeFormula(const QString &cell) {
    if (cell.isEmpty())
        return false;
    const QChar c = cell.front();
    return c == QLatin1Char('=') || c == QLatin1Char('+') || c == QLatin1Char('-') ||
           c == QLatin1Char('@') || c == QLatin1Char('\t') || c == QLatin1Char('\r');
}

// A figure as the spreadsheet should read it: "-9", "1.5e3".
bool isNumber(const QString &cell) {
    static const QRegularExpression number(
        QStringLiteral("^[-+]?([0-9]+([.][0-9]*)?|[.][0-9]+)([eE][-+]?[0-9]+)?$"));
    return number.match(cell).hasMatch();
}

// What the table writes for a cell: a text a spreadsheet would run has a
// single quote put before it, which the spreadsheet shows as text; a number
// (a negative figure among them) stays a number.
QString neutralised(const QString &cell, bool textColumn) {
    if (!startsLikeFormula(cell) || (!textColumn && isNumber(cell)))
        return cell;
    return QLatin1Char('\'') + cell;
}

bool needsQuotes(const QString &cell) {
    for (const QChar c : cell)
        if (c == QLatin1Char(',') || c == QLatin1Char('"') || c == QLatin1Char('\r') ||
            c == QLatin1Char('\n'))
            return true;
    return false;
}

} // namespace

QString RankColumnName(RankColumn column) {
    return QLatin1String(ColumnOf(column).name);
}

std::optional<RankColumn> RankableColumn(const QString &name) {
    for (int i = 0; i < RankColumnCount; ++i)
        if (Columns[i].rankable && name == QLatin1String(Columns[i].name))
            return RankColumn(i);
    return std::nullopt;
}

bool RankRow::computed() const {
    return cell(RankColumn::Problem).isEmpty();
}

struct DriverRanker::State {
    AlignmentTables tables;
    Responses responses;
};

DriverRanker::DriverRanker(const RankOptions &options) : options_(options), state_(new State) {
    InitializeAlignmentTables(state_->tables);
}

DriverRanker::~DriverRanker() {
    delete state_;
}

RankRow DriverRanker::row(const DriverRecord &record) {
    RankRow row = emptyRow(record.index);
    if (record.fields.size() >= 2) {
        setCell(row, RankColumn::Maker, record.fields[0]);
        setCell(row, RankColumn::Model, record.fields[1]);
    }
    if (const std::optional<QString> problem = recordProblem(record)) {
        setCell(row, RankColumn::Problem, *problem);
        return row;
    }

    MainFields fields;
    fields.setText(Field::ETargetFb, options_.targetFb);
    fields.setText(Field::ETargetDbmag, options_.targetDb);
    if (options_.vents)
        fields.setText(Field::ENumOfVents, *options_.vents);
    if (options_.ventDiameter)
        fields.setText(Field::EVentDiam, *options_.ventDiameter);
    const std::vector<Field> &driverFields = DriverFields();
    for (size_t i = 0; i < driverFields.size(); ++i)
        fields.setText(driverFields[i], record.fields[static_cast<qsizetype>(i)]);

    DesignParameters dp(fields);
    Responses &r = state_->responses;
    const AlignmentTables &tables = state_->tables;
    const auto box = [&fields] {
        return QStringList{fields.text(Field::EVb), fields.text(Field::EFb),
                           fields.text(Field::E3dB)};
    };
    try {
        setCells(row, RankColumn::Qts,
                 {fields.text(Field::EQts), fields.text(Field::EFs), fields.text(Field::EVas)});
        runCommand("Calculate SBB4 alignment",
                   [&] { ComputeSBB4Alignment(dp, r, tables, PlotRepaint()); });
        setCell(row, RankColumn::Sbb4Alignment,
                hasFlatAlignmentLine(fields) ? QStringLiteral("flat") : QStringLiteral("SBB4"));
        setCells(row, RankColumn::Sbb4Vb, box());
        runCommand("Calculate from Vb and Fb", [&] { CalculateFromVbAndFb(dp, r); });
        setCells(row, RankColumn::Level25Hz,
                 {fields.text(Field::EdBmag25), fields.text(Field::ESPL100W)});
        const QString power = chartsPowerText(fields);
        setCells(row, RankColumn::Sbb4MaxSpl20Hz, chartFigures(fields, ParseFieldText(power)));
        runCommand("Calculate SC4 alignment",
                   [&] { ComputeSC4Alignment(dp, r, tables, PlotRepaint()); });
        setCell(row, RankColumn::Sc4Alignment,
                hasFlatAlignmentLine(fields) ? QStringLiteral("flat") : QStringLiteral("SC4"));
        setCells(row, RankColumn::Sc4Vb, box());
        runCommand("Optimize for subwoofer use", [&] { RunSubwooferOptimizer(dp, r); });
        setCell(row, RankColumn::SmallestBox, fields.text(Field::EVb));
        setCells(row, RankColumn::OptMaxSpl20Hz, chartFigures(fields, ParseFieldText(power)));
        setCell(row, RankColumn::Power, power);
    } catch (const CommandFailed &failed) {
        RankRow refused = emptyRow(record.index);
        setCell(refused, RankColumn::Maker, row.cell(RankColumn::Maker));
        setCell(refused, RankColumn::Model, row.cell(RankColumn::Model));
        setCell(refused, RankColumn::Problem, failed.why);
        return refused;
    }
    return row;
}

std::vector<RankRow> ComputeRows(const std::vector<DriverRecord> &records,
                                 const RankOptions &options, int jobs) {
    std::vector<RankRow> rows(records.size());
    std::atomic<size_t> next{0};
    const auto work = [&] {
        DriverRanker ranker(options);
        for (size_t i = next++; i < records.size(); i = next++)
            rows[i] = ranker.row(records[i]);
    };
    const int threads = std::clamp(jobs, 1, static_cast<int>(std::max<size_t>(records.size(), 1)));
    std::vector<std::thread> others;
    for (int i = 1; i < threads; ++i)
        others.emplace_back(work);
    work();
    for (std::thread &t : others)
        t.join();
    return rows;
}

void RankRows(std::vector<RankRow> &rows, const RankOptions &options) {
    for (RankRow &row : rows)
        if (row.computed())
            setCell(row, RankColumn::OverBudget, overBudget(row, options));
    // 0: within the budget, 1: over it, 2: not computed.
    const auto group = [](const RankRow &row) {
        return !row.computed() ? 2 : row.cell(RankColumn::OverBudget).isEmpty() ? 0 : 1;
    };
    std::vector<std::optional<double>> keys;
    keys.reserve(rows.size());
    for (const RankRow &row : rows)
        keys.push_back(sortValue(row.cell(options.by)));
    std::vector<size_t> order(rows.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const int ga = group(rows[a]), gb = group(rows[b]);
        if (ga != gb)
            return ga < gb;
        if (ga == 2)
            return false; // database order
        return ranksBefore(keys[a], keys[b], options.ascending);
    });
    std::vector<RankRow> ranked;
    ranked.reserve(rows.size());
    for (size_t i = 0; i < order.size(); ++i) {
        RankRow &row = rows[order[i]];
        setCell(row, RankColumn::Rank,
                row.computed() ? FormatInteger(static_cast<long long>(i) + 1) : QString());
        ranked.push_back(std::move(row));
    }
    rows = std::move(ranked);
}

QString QuotedCsvField(const QString &text) {
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QByteArray RankTableCsv(const std::vector<RankRow> &rows) {
    QByteArray csv;
    QStringList header;
    for (const TableColumn &c : Columns)
        header << QLatin1String(c.name);
    csv += header.join(QLatin1Char(',')).toUtf8() + "\r\n";
    for (const RankRow &row : rows) {
        QString line;
        for (int i = 0; i < RankColumnCount; ++i) {
            if (i > 0)
                line += QLatin1Char(',');
            const QString cell = neutralised(row.cells[i], Columns[i].text);
            const bool quoted = Columns[i].text || cell != row.cells[i] || needsQuotes(cell);
            line += quoted ? QuotedCsvField(cell) : cell;
        }
        csv += line.toUtf8() + "\r\n";
    }
    return csv;
}

} // namespace dravik
