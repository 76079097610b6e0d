// dravik-rank: every driver of a driver database through the same design
// questions, ranked, as a CSV table (see dravik-rank(1)).

#include "DriverRanking.h"
#include "Fp.h"
#include "TextFile.h"
#include "Version.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <thread>

namespace dravik {
namespace {

const char *const Usage = "Usage: dravik-rank [options] [DATABASE_DIR]\n"
                          "  DATABASE_DIR     folder holding spk.db and spkdb.hdr (default: .)\n"
                          "  --by COLUMN      column to rank by (default spl_100w_25hz_db)\n"
                          "  --ascending      smallest first (default: largest first)\n"
                          "  --target-fb HZ   optimiser tuning (default 22)\n"
                          "  --target-db DB   optimiser target level at 20 Hz (default -9)\n"
                          "  --max-box LITRES box-size budget (default 200; 0: none)\n"
                          "  --vents N        number of vents for the vent velocity\n"
                          "  --vent-diam MM   inner diameter of each vent for the vent velocity\n"
                          "  --output FILE    write the table to FILE instead of standard output\n"
                          "  --jobs N         threads to compute with (default: one per core)\n"
                          "  --version        print the version and exit\n"
                          "  -h, --help       print this help and exit\n";

void say(const QString &text) {
    std::fputs(text.toLocal8Bit().constData(), stderr);
}

// One thread per core, at most 16.
int defaultJobs() {
    return static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 16u));
}

struct CommandLine {
    RankOptions options;
    QString database = QStringLiteral(".");
    std::optional<QString> output;
    int jobs = defaultJobs();
};

// A refusal of the command line: the sentence and the exit status.
struct Refusal {
    QString why;
    int status;
};

// What a numeric option takes: digits with at most one point (and a leading
// minus where negative numbers make sense), within its bounds. The value is
// then used as typed, so a field gets the very text the user gave; a value
// the design cannot use is refused here, not turned into rows of problems
// or silently empty columns.
struct NumberRule {
    const char *needs; // "--jobs needs ..."
    double least;
    bool leastIncluded;
    double most;
    bool whole;
};

const NumberRule JobsRule = {"a number of threads from 1 to 64", 1.0, true, 64.0, true};
const NumberRule MaxBoxRule = {"a number of litres (0: no budget)", 0.0, true, HUGE_VAL, false};
const NumberRule TargetFbRule = {"a tuning in hertz above 0", 0.0, false, HUGE_VAL, false};
const NumberRule TargetDbRule = {"a level in dB", -HUGE_VAL, false, HUGE_VAL, false};
const NumberRule VentsRule = {"a whole number of vents of 1 or more", 1.0, true, HUGE_VAL, true};
const NumberRule VentDiamRule = {"a diameter in millimetres above 0", 0.0, false, HUGE_VAL, false};

bool followsRule(const QString &text, const NumberRule &rule) {
    static const QRegularExpression unsignedNumber(QStringLiteral("^[0-9]+([.][0-9]*)?$"));
    static const QRegularExpression signedNumber(QStringLiteral("^-?[0-9]+([.][0-9]*)?$"));
    const bool negativeAllowed = rule.least < 0.0;
    if (!(negativeAllowed ? signedNumber : unsignedNumber).match(text).hasMatch())
        return false;
    bool ok = false;
    const double x = text.toDouble(&ok);
    const bool aboveLeast = rule.leastIncluded ? x >= rule.least : x > rule.least;
    return ok && std::isfinite(x) && aboveLeast && x <= rule.most &&
           (!rule.whole || x == std::floor(x));
}

// The option's value as typed, or its refusal: "--jobs needs a number of
// threads from 1 to 64".
QString checkedNumber(const QString &option, const QString &text, const NumberRule &rule) {
    if (!followsRule(text, rule))
        throw Refusal{option + QStringLiteral(" needs ") + QLatin1String(rule.needs), 2};
    return text;
}

CommandLine parse(const QStringList &args, bool &stop) {
    CommandLine c;
    stop = false;
    QString by = RankColumnName(c.options.by);
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        const auto value = [&]() -> QString {
            if (i + 1 >= args.size())
                throw Refusal{a + QStringLiteral(" needs a value"), 2};
            return args[++i];
        };
        if (a == QLatin1String("--by"))
            by = value();
        else if (a == QLatin1String("--ascending"))
            c.options.ascending = true;
        else if (a == QLatin1String("--target-fb"))
            c.options.targetFb = checkedNumber(a, value(), TargetFbRule);
        else if (a == QLatin1String("--target-db"))
            c.options.targetDb = checkedNumber(a, value(), TargetDbRule);
        else if (a == QLatin1String("--max-box"))
            c.options.maxBoxLitres = checkedNumber(a, value(), MaxBoxRule).toDouble();
        else if (a == QLatin1String("--vents"))
            c.options.vents = checkedNumber(a, value(), VentsRule);
        else if (a == QLatin1String("--vent-diam"))
            c.options.ventDiameter = checkedNumber(a, value(), VentDiamRule);
        else if (a == QLatin1String("--output"))
            c.output = value();
        else if (a == QLatin1String("--jobs"))
            c.jobs = static_cast<int>(checkedNumber(a, value(), JobsRule).toDouble());
        else if (a == QLatin1String("-h") || a == QLatin1String("--help")) {
            std::fputs(Usage, stdout);
            stop = true;
            return c;
        } else if (a == QLatin1String("--version")) {
            std::printf("dravik-rank %s\n", DRAVIK_VERSION);
            stop = true;
            return c;
        } else if (a.startsWith(QLatin1Char('-')) && a != QLatin1String("-"))
            throw Refusal{QStringLiteral("unknown option ") + a + QLatin1Char('\n') +
                              QLatin1String(Usage),
                          2};
        else
            c.database = a;
    }
    const std::optional<RankColumn> column = RankableColumn(by);
    if (!column)
        throw Refusal{QStringLiteral("cannot rank by \"") + by +
                          QStringLiteral("\"; a numeric column is needed"),
                      2};
    c.options.by = *column;
    return c;
}

std::vector<RankRow> rankDatabase(const RankOptions &options, int jobs) {
    std::vector<RankRow> rows = ComputeRows(ReadDriverRecords(), options, jobs);
    RankRows(rows, options);
    return rows;
}

void writeTable(const QByteArray &csv, const std::optional<QString> &output) {
    if (!output) {
        if (std::fwrite(csv.constData(), 1, static_cast<size_t>(csv.size()), stdout) !=
                static_cast<size_t>(csv.size()) ||
            std::fflush(stdout) != 0)
            throw Refusal{QStringLiteral("the table could not be written"), 1};
        return;
    }
    try {
        TextWriter writer(*output);
        writer.writeBytes(csv);
        writer.commit();
    } catch (const DravikError &e) {
        throw Refusal{QStringLiteral("cannot write \"") + *output + QStringLiteral("\": ") +
                          reportText(e.message()),
                      1};
    }
}

int run(const QStringList &args) {
    try {
        bool stop = false;
        CommandLine c = parse(args, stop);
        if (stop)
            return 0;
        // The output is named from where the program was started; the
        // database is read by bare name in its own folder.
        if (c.output)
            c.output = QFileInfo(*c.output).absoluteFilePath();
        const QDir dir(c.database);
        if (!QFileInfo(dir.filePath(QStringLiteral("spk.db"))).exists() ||
            !QFileInfo(dir.filePath(QStringLiteral("spkdb.hdr"))).exists() ||
            !QDir::setCurrent(c.database))
            throw Refusal{QStringLiteral("no spk.db and spkdb.hdr in ") + c.database, 1};
        std::vector<RankRow> rows;
        try {
            rows = rankDatabase(c.options, c.jobs);
        } catch (const DravikError &e) {
            throw Refusal{reportText(e.message()), 1};
        }
        writeTable(RankTableCsv(rows), c.output);
        return 0;
    } catch (const Refusal &r) {
        say(QStringLiteral("dravik-rank: ") + r.why + QLatin1Char('\n'));
        return r.status;
    }
}

} // namespace
} // namespace dravik

int main(int argc, char *argv[]) {
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return dravik::run(args);
}
