#include "AlignmentTables.h"
#include "Alignments.h"
#include "Analysis.h"
#include "ClosedBox.h"
#include "CurveFormats.h"
#include "DesignModel.h"
#include "DesignParameters.h"
#include "DesignReader.h"
#include "DriverDatabase.h"
#include "MemoryFieldStore.h"
#include "NumberText.h"
#include "ResponseArrays.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <memory>

using namespace dravik;
using namespace dravik::test;

Q_DECLARE_METATYPE(dravik::BoxKind)

namespace {

constexpr double Pi = 3.14159265358979323846;

std::vector<double> WholeHertz(int low, int high) {
    std::vector<double> f;
    for (int hz = low; hz <= high; ++hz)
        f.push_back(hz);
    return f;
}

std::vector<double> Steps(double low, double high, double step) {
    std::vector<double> f;
    for (double x = low; x <= high; x += step)
        f.push_back(x);
    return f;
}

size_t IndexOfMin(const std::vector<double> &v) {
    return static_cast<size_t>(std::min_element(v.begin(), v.end()) - v.begin());
}
size_t IndexOfMax(const std::vector<double> &v) {
    return static_cast<size_t>(std::max_element(v.begin(), v.end()) - v.begin());
}

} // namespace

class TestDesignModel : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString startDir_;
    std::unique_ptr<MemoryFieldStore> main_;
    std::unique_ptr<Responses> responses_;

    // Loads record `index` of the shipped database into the main fields
    // (-1 keeps the start-up driver) and sizes the box of `kind` with the
    // program's own commands.
    void design(int index, BoxKind kind) {
        main_ = std::make_unique<MemoryFieldStore>();
        responses_ = std::make_unique<Responses>();
        if (index >= 0) {
            MemoryFieldStore dialog = MemoryFieldStore::databaseDialog();
            ListDrivers(dialog);
            dialog.select(List::DriverEntries, index);
            LoadButtonClick(*main_, dialog);
        }
        // The charts take Qes and Qms; the commands take Qts. Where the three
        // agree, both draw one response.
        const double qes = ParseFieldText(main_->text(Field::EQes));
        const double qms = ParseFieldText(main_->text(Field::EQms));
        if (qes > 0.0 && qms > 0.0)
            main_->setText(Field::EQts, QString::number(qes * qms / (qes + qms), 'g', 17));
        DesignParameters dp(*main_);
        if (kind == BoxKind::Vented) {
            // The SBB4 box for the driver, then the same box "from Vb and Fb".
            AlignmentTables tables;
            InitializeAlignmentTables(tables);
            ComputeSBB4Alignment(dp, *responses_, tables, {});
            CalculateFromVbAndFb(dp, *responses_);
        } else
            ComputeClosedBox(dp, *responses_);
    }
    DesignCurves curves(BoxKind kind, const std::vector<double> &f, double power = 100.0) {
        return ComputeDesignCurves(ReadDriverParameters(*main_), ReadBoxParameters(*main_, kind),
                                   power, f);
    }

private slots:
    // Every input measures a quantity with a unit to show and an SI unit:
    // a unit shown has one in SI, and no row is left without. The
    // quantities of a few inputs whose unit a builder must not misread.
    void everyInputHasAQuantity_data() {
        QTest::addColumn<int>("input");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<double>("toSi");
        QTest::newRow("Vb in litres") << int(ModelInput::Vb) << "l" << 1e-3;
        QTest::newRow("radiator area in cm^2") << int(ModelInput::RadiatorArea) << "cm^2" << 1e-4;
        QTest::newRow("Le in mH") << int(ModelInput::Le) << "mH" << 1e-3;
        QTest::newRow("room length in m") << int(ModelInput::RoomLength) << "m" << 1.0;
    }
    void everyInputHasAQuantity() {
        QFETCH(int, input);
        QFETCH(QString, shown);
        QFETCH(double, toSi);
        for (const InputRow &row : DesignInputRows()) {
            const QuantityUnits &u = UnitsOf(row.quantity);
            QVERIFY(u.toSi > 0.0 && u.quantity == row.quantity);
            QCOMPARE(*u.si == '\0', *u.shown == '\0');
        }
        const QuantityUnits &u = UnitsOf(DesignInputRow(ModelInput(input)).quantity);
        QCOMPARE(QLatin1String(u.shown), shown);
        QCOMPARE(u.toSi, toSi);
    }

    void initTestCase() {
        startDir_ = QDir::currentPath();
        QDir::setCurrent(dir_.path());
        for (const char *name : {"spk.db", "spkdb.hdr"})
            QVERIFY(QFile::copy(QStringLiteral(DRAVIK_SHIPPED_DIR "/") + name, name));
    }
    void cleanupTestCase() { QDir::setCurrent(startDir_); }

    void designs_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<BoxKind>("kind");
        for (int index : {-1, 0, 57, 250, 300, 330}) {
            const QByteArray name = QByteArray::number(index);
            QTest::newRow(name + " vented") << index << BoxKind::Vented;
            QTest::newRow(name + " closed") << index << BoxKind::Closed;
        }
    }

    // The charts' normalised response is the one the plot window draws.
    void designs() {
        QFETCH(int, index);
        QFETCH(BoxKind, kind);
        design(index, kind);
        const DesignCurves c = curves(kind, WholeHertz(10, 250));
        QVERIFY(c.has(Chart::Spl) && c.has(Chart::Excursion) && c.has(Chart::Limits));
        QCOMPARE(c.has(Chart::PortVelocity), kind == BoxKind::Vented);
        for (size_t i = 0; i < c.frequencies.size(); ++i) {
            const double plotted = responses_->SystemResponse[10 + i];
            if (std::fabs(c.responseDb[i] - plotted) > 0.01)
                QFAIL(qPrintable(QStringLiteral("%1 Hz: %2 dB, plotted %3 dB")
                                     .arg(c.frequencies[i])
                                     .arg(c.responseDb[i])
                                     .arg(plotted)));
        }

        // Driven at its maximum power, the design reaches one limit and
        // passes none: the cone at Xmax or the coil at PEmax.
        const DriverParameters limits = ReadDriverParameters(*main_);
        for (double f : {12.0, 20.0, 31.5, 63.0, 125.0}) {
            const DesignCurves at = curves(kind, {f});
            const double most = at.maxPowerW[0];
            const DesignCurves there = curves(kind, {f}, most);
            const double x = there.excursionMm[0] / *limits.xmaxMm;
            const double p = most / *limits.peMaxW;
            QVERIFY2(x <= 1.0 + 1e-9 && p <= 1.0 + 1e-9, qPrintable(QString::number(f)));
            QVERIFY2(std::fabs(std::max(x, p) - 1.0) < 1e-9, qPrintable(QString::number(f)));
            QVERIFY(std::fabs(there.splDb[0] - at.maxSplDb[0]) < 1e-9);
        }

        // Group delay is minus the derivative of the phase by angular frequency.
        for (double f : {15.0, 25.0, 40.0, 80.0, 160.0}) {
            const double d = f * 1e-4;
            const DesignCurves p = curves(kind, {f - d, f, f + d});
            const double phase = (p.splPhaseDeg[2] - p.splPhaseDeg[0]) * Pi / 180.0;
            const double numeric = -phase / (2.0 * Pi * 2.0 * d) * 1e3;
            QVERIFY2(std::fabs(p.groupDelayMs[1] - numeric) <= 1e-4 * std::fabs(numeric) + 1e-6,
                     qPrintable(QString::number(f)));
        }

        const DriverParameters driver = ReadDriverParameters(*main_);
        const BoxParameters box = ReadBoxParameters(*main_, kind);
        if (kind == BoxKind::Vented) {
            // The vent does the work at its tuning: the cone moves least there.
            const double fb = *box.fbHz;
            const std::vector<double> near = Steps(0.5 * fb, 1.3 * fb, 0.01);
            const DesignCurves c3 = ComputeDesignCurves(driver, box, 100.0, near);
            const double least = near[IndexOfMin(c3.excursionMm)];
            QVERIFY2(std::fabs(least - fb) <= 0.03 * fb,
                     qPrintable(QStringLiteral("%1 Hz against Fb %2 Hz").arg(least).arg(fb)));
        } else {
            // The closed box's impedance peaks at Fc = Fs sqrt(1 + Vas/Vb).
            const double fc = *driver.fs * std::sqrt(1.0 + *driver.vasLitres / *box.vbLitres);
            const std::vector<double> fine = Steps(5.0, 400.0, 0.01);
            const DesignCurves c2 = ComputeDesignCurves(driver, box, 100.0, fine);
            QVERIFY(c2.has(Chart::Impedance));
            const double peak = fine[IndexOfMax(c2.impedanceOhm)];
            QVERIFY2(std::fabs(peak - fc) <= 0.011,
                     qPrintable(QStringLiteral("%1 Hz against Fc %2 Hz").arg(peak).arg(fc)));
        }
        // Far above resonance the impedance falls to Re, and the excursion
        // scales with the square root of the power.
        const DesignCurves high = curves(kind, {20000.0});
        QVERIFY(high.has(Chart::Impedance));
        QVERIFY(std::fabs(high.impedanceOhm[0] - *driver.re) < 0.01 * *driver.re);
        const DesignCurves four = curves(kind, {30.0}, 400.0);
        const DesignCurves one = curves(kind, {30.0}, 100.0);
        QVERIFY(std::fabs(four.excursionMm[0] / one.excursionMm[0] - 2.0) < 1e-9);
    }

    // Whatever the fields hold, the charts are computed or name what they lack.
    void badInputs_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<BoxKind>("kind");
        QTest::addColumn<QString>("sentence"); // a chart's sentence, or empty when all draw
        QTest::newRow("Re unknown")
            << "ERe"
            << "?" << BoxKind::Vented << "Impedance needs Re (Driver page).";
        // Qms follows from Qts and Qes when its field is empty.
        QTest::newRow("Qms empty") << "EQms"
                                   << "" << BoxKind::Vented << "";
        QTest::newRow("Vb zero") << "EVb"
                                 << "0" << BoxKind::Closed << "Group delay needs Vb (Box page).";
        QTest::newRow("Fb negative")
            << "EFb"
            << "-22" << BoxKind::Vented << "Group delay needs Fb (Box page).";
        QTest::newRow("Fs not a number")
            << "EFs"
            << "nan" << BoxKind::Vented << "Group delay needs Fs (Driver page).";
        QTest::newRow("vent diameter missing")
            << "EVentDiam"
            << "x" << BoxKind::Vented << "Port air velocity needs the vent diameter (Vent page).";
        QTest::newRow("piston diameter missing")
            << "EEffPDiam"
            << "?" << BoxKind::Vented
            << "Cone excursion needs the effective piston diameter (Driver page).";
        QTest::newRow("Xmax missing")
            << "EXmax"
            << "0" << BoxKind::Vented << "Maximum SPL and power needs Xmax (Driver page).";
        QTest::newRow("Qts above Qes") << "EQts"
                                       << "0.9" << BoxKind::Vented << "";
        QTest::newRow("Fb far out") << "EFb"
                                    << "1e6" << BoxKind::Vented << "";
        QTest::newRow("huge Vas") << "EVas"
                                  << "1e300" << BoxKind::Vented
                                  << "Group delay needs Vas (Driver page).";
        QTest::newRow("tiny Vb") << "EVb"
                                 << "1e-300" << BoxKind::Vented
                                 << "Group delay needs Vb (Box page).";
        QTest::newRow("denormal Xmax")
            << "EXmax"
            << "4e-320" << BoxKind::Vented << "Maximum SPL and power needs Xmax (Driver page).";
    }
    void badInputs() {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(BoxKind, kind);
        QFETCH(QString, sentence);
        MemoryFieldStore store;
        store.setText(field, text);
        const DesignCurves c =
            ComputeDesignCurves(ReadDriverParameters(store), ReadBoxParameters(store, kind), 600.0,
                                ChartFrequencies(ExportPointsPerOctave));
        QStringList sentences;
        // The room's chart applies to a room only: no design here has one.
        for (int i = 0; i < ChartCount; ++i)
            if (!c.has(static_cast<Chart>(i)) && static_cast<Chart>(i) != Chart::Room)
                sentences << MissingInputsSentence(static_cast<Chart>(i), c.missing[i]);
        if (sentence.isEmpty())
            QVERIFY2(sentences.isEmpty(), qPrintable(sentences.join(" | ")));
        else
            QVERIFY2(sentences.contains(sentence), qPrintable(sentences.join(" | ")));
        // Every line of the export still has its fourteen cells.
        for (const QString &line : ExportLines(ExportFormat::Csv, c, QString()))
            if (!line.startsWith('#'))
                QCOMPARE(line.count(','), 13);
    }

    void missingSentenceNamesEveryField() {
        const ModelInputs both = Bit(ModelInput::Re) | Bit(ModelInput::Qms) | Bit(ModelInput::Vb);
        QCOMPARE(MissingInputsSentence(Chart::Impedance, both),
                 QStringLiteral("Impedance needs Qms and Re (Driver page) and Vb (Box page)."));
        const ModelInputs window =
            Bit(ModelInput::RadiatorArea) | Bit(ModelInput::Fs) | Bit(ModelInput::DriverCount);
        QCOMPARE(MissingInputsSentence(Chart::Spl, window),
                 QStringLiteral("SPL needs Fs (Driver page) and the radiator's area and a count "
                                "of drivers that can be mounted and wired so (this window)."));
    }

    // The CSV export: its header, at least 24 rows an octave from 5 Hz to
    // 1 kHz, and empty cells where a value does not apply.
    // Every shipped driver in its SBB4 box and in the closed box of Qtot 0.6:
    // each chart is computed with finite values, or says what it lacks.
    void everyShippedDriver() {
        MemoryFieldStore dialog = MemoryFieldStore::databaseDialog();
        ListDrivers(dialog);
        const int records = dialog.lineCount(List::DriverEntries);
        QVERIFY(records > 400);
        const std::vector<double> f = ChartFrequencies(ExportPointsPerOctave);
        int withoutImpedance = 0;
        for (int index = 0; index < records; ++index) {
            for (BoxKind kind : {BoxKind::Vented, BoxKind::Closed}) {
                design(index, kind);
                const DesignCurves c =
                    curves(kind, f, ReadDriverParameters(*main_).peMaxW.value_or(1.0));
                // The impedance is drawn exactly when the driver gives Re and
                // a Qms (its own, or from Qts and Qes) and the box could be
                // sized (a closed box cannot when Qts reaches Qtot).
                const DriverParameters d = ReadDriverParameters(*main_);
                const bool known =
                    d.re && EffectiveQms(d) && ReadBoxParameters(*main_, kind).vbLitres;
                QVERIFY2(
                    c.has(Chart::Impedance) == known,
                    qPrintable(MissingInputsSentence(Chart::Impedance, c.lacks(Chart::Impedance))));
                withoutImpedance += known ? 0 : 1;
                if (!known)
                    QVERIFY(MissingInputsSentence(Chart::Impedance, c.lacks(Chart::Impedance))
                                .startsWith(QStringLiteral("Impedance needs ")));
                for (const auto *values : {&c.splDb, &c.excursionMm, &c.portVelocity,
                                           &c.impedanceOhm, &c.groupDelayMs, &c.maxSplDb})
                    for (double v : *values)
                        QVERIFY2(std::isfinite(v), qPrintable(QString::number(index)));
            }
        }
        // The shipped database has drivers without Re: the sentence is seen.
        QVERIFY(withoutImpedance > 0);
    }

    void csvExport() {
        MemoryFieldStore store;
        store.setText("ERe", "?");
        const DesignCurves c = ComputeDesignCurves(ReadDriverParameters(store),
                                                   ReadBoxParameters(store, BoxKind::Closed), 600.0,
                                                   ChartFrequencies(ExportPointsPerOctave));
        QStringList lines = ExportLines(ExportFormat::Csv, c, QStringLiteral("a design"));
        QCOMPARE(lines.takeFirst(), QStringLiteral("# a design"));
        QCOMPARE(lines.front(), QStringLiteral("frequency_hz,spl_db,excursion_mm,port_velocity_ms,"
                                               "impedance_ohm,impedance_phase_deg,group_delay_ms,"
                                               "max_spl_db,max_power_w,radiator_excursion_mm,"
                                               "rear_port_velocity_ms,limit,chain_db,space_db"));
        QVERIFY(lines.size() - 1 >= 24 * std::log2(1000.0 / 5.0));
        QCOMPARE(lines[1].section(',', 0, 0), QStringLiteral("5"));
        QCOMPARE(lines.back().section(',', 0, 0), QStringLiteral("1000"));
        const QStringList cells = lines[100].split(',');
        QVERIFY(cells[3].isEmpty() && cells[4].isEmpty() && cells[5].isEmpty());
        QVERIFY(!cells[1].isEmpty() && !cells[2].isEmpty() && !cells[8].isEmpty());
        QVERIFY(cells[9].isEmpty() && cells[10].isEmpty());
        QVERIFY(cells[11] == QStringLiteral("thermal") || cells[11] == QStringLiteral("excursion"));
        QCOMPARE(cells[12], QStringLiteral("0"));
        QCOMPARE(cells[13], QStringLiteral("0"));
        QVERIFY(!cells[1].contains(QLatin1Char('e')));
        QCOMPARE(ExportFormatOf("a/b.CSV"), std::optional<ExportFormat>(ExportFormat::Csv));
        QCOMPARE(ExportFormatOf("b.svg"), std::optional<ExportFormat>(ExportFormat::Svg));
        QCOMPARE(ExportFormatOf("a.csv/b"), std::optional<ExportFormat>());
    }

    // A label or a driver's name from a setup file stays on its comment line:
    // each control character (a line break too) becomes a blank, so no
    // made-up row stands before the CSV header.
    void commentLinesStayOneLine_data() {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("first");
        QTest::newRow("CSV, LF") << int(ExportFormat::Csv) << "A\n5,9"
                                 << "# A 5,9";
        QTest::newRow("CSV, CR LF, TAB, ESC") << int(ExportFormat::Csv) << "\r\n\t\x1b"
                                              << "#     ";
        QTest::newRow("CSV, U+2028") << int(ExportFormat::Csv) << "a\u2028b"
                                     << "# a b";
        QTest::newRow("ZMA, CR") << int(ExportFormat::Zma) << "a\rb"
                                 << "* a b";
    }
    void commentLinesStayOneLine() {
        QFETCH(int, format);
        QFETCH(QString, title);
        QFETCH(QString, first);
        MemoryFieldStore store;
        const DesignCurves c = ComputeDesignCurves(ReadDriverParameters(store),
                                                   ReadBoxParameters(store, BoxKind::Vented), 600.0,
                                                   ChartFrequencies(ExportPointsPerOctave));
        const QStringList lines = ExportLines(ExportFormat(format), c, title, {title});
        QCOMPARE(lines.front(), first);
        const bool csv = format == int(ExportFormat::Csv);
        QVERIFY(csv ? lines[1].startsWith(QLatin1String("frequency_hz")) : lines[2] == first);
    }

    // FRD and ZMA read back as the model's figures: comment lines first,
    // each beginning with "*", then three numbers a line, the frequency
    // rising, at least 48 an octave.
    void crossoverFormats_data() {
        QTest::addColumn<int>("format");
        QTest::newRow("FRD") << int(ExportFormat::Frd);
        QTest::newRow("ZMA") << int(ExportFormat::Zma);
    }
    void crossoverFormats() {
        QFETCH(int, format);
        const auto f = static_cast<ExportFormat>(format);
        MemoryFieldStore store;
        const DesignCurves c = ComputeDesignCurves(ReadDriverParameters(store),
                                                   ReadBoxParameters(store, BoxKind::Vented), 600.0,
                                                   ChartFrequencies(ExportPointsPerOctave));
        const QStringList lines = ExportLines(f, c, QStringLiteral("a design"));
        const bool zma = f == ExportFormat::Zma;
        const std::vector<double> &magnitude = zma ? c.impedanceOhm : c.splDb;
        const std::vector<double> &phase = zma ? c.impedancePhaseDeg : c.splPhaseDeg;
        qsizetype i = 0;
        while (i < lines.size() && lines[i].startsWith('*'))
            ++i;
        QVERIFY(i >= 1 && lines[0] == QStringLiteral("* a design"));
        QCOMPARE(size_t(lines.size() - i), c.frequencies.size());
        double previous = 0.0;
        for (size_t row = 0; i < lines.size(); ++i, ++row) {
            const QStringList cells = lines[i].split(' ');
            QCOMPARE(cells.size(), 3);
            bool ok[3];
            const double v[3] = {cells[0].toDouble(&ok[0]), cells[1].toDouble(&ok[1]),
                                 cells[2].toDouble(&ok[2])};
            QVERIFY(ok[0] && ok[1] && ok[2]);
            QVERIFY(v[0] > previous);
            previous = v[0];
            QVERIFY(std::fabs(v[1] - magnitude[row]) <= 1e-6 * std::fabs(magnitude[row]));
            QVERIFY(std::fabs(v[2] - phase[row]) <= 1e-6 * std::fabs(phase[row]) + 1e-9);
        }
        QVERIFY(c.frequencies.size() - 1 >= 48 * std::log2(1000.0 / 5.0));

        // Without Re the impedance cannot be exported; the sentence names the field.
        store.setText("ERe", "?");
        const DesignCurves noRe = ComputeDesignCurves(
            ReadDriverParameters(store), ReadBoxParameters(store, BoxKind::Vented), 600.0,
            ChartFrequencies(ExportPointsPerOctave));
        QCOMPARE(ExportRefusal(f, noRe).value_or(QString()),
                 zma ? QStringLiteral("Impedance needs Re (Driver page).") : QString());
    }
};

QTEST_GUILESS_MAIN(TestDesignModel)
#include "tst_designmodel.moc"
