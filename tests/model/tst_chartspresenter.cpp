// The charts window's rules without its widgets: where the design comes
// from, what follows what, when curves and overlays are computed again.
#include "ChartsPresenter.h"
#include "Construction.h"
#include "DesignReader.h"
#include "Enclosures.h"
#include "Fp.h"
#include "MemoryFieldStore.h"
#include "StartUpDesign.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

#include <cmath>
#include <map>

using namespace dravik;
using namespace dravik::test;

Q_DECLARE_METATYPE(dravik::BoxKind)

namespace {

std::map<QString, QString> StartTexts() {
    std::map<QString, QString> texts = {{"ELeakageQ", "7"}, {"EVentQ", ""}, {"EPower", ""}};
    for (const char *field :
         {control::DriverCount, control::AirDensity, control::SoundSpeed, control::Temperature,
          control::Pressure, control::Humidity, FieldOf(ModelInput::Le), FieldOf(ModelInput::Creep),
          FieldOf(ModelInput::SourceResistance), FieldOf(ModelInput::Voltage)})
        texts[QLatin1String(field)] = WindowStartText(QLatin1String(field));
    return texts;
}

// The window's fields as a map of texts, with the texts the window starts
// with.
struct FakeWindow {
    std::map<QString, QString> texts = StartTexts();
    WindowControls controls;

    FakeWindow() {
        controls.text = [this](const char *name) {
            const auto it = texts.find(QLatin1String(name));
            return it == texts.end() ? QString() : it->second;
        };
    }
    void take(const std::vector<std::pair<QString, QString>> &values) {
        for (const auto &[name, text] : values)
            texts[name] = text;
    }
};

std::function<QString(Field)> Fields(const MemoryFieldStore &store) {
    return [&store](Field f) { return store.text(f); };
}

DesignSetup Bandpass6Design() {
    DesignSetup s;
    s.label = QStringLiteral("a 6th-order box");
    s.manufacturer = QStringLiteral("Maker");
    s.model = QStringLiteral("Woofer");
    s.air = AirFromConditions({24.0, 99000.0, 40.0});
    s.driver.fs = 28.0;
    s.driver.qes = 0.5;
    s.driver.qms = 4.0;
    s.driver.qts = 0.444;
    s.driver.vasLitres = 90.0;
    s.driver.re = 3.2;
    s.driver.leMh = 1.5;
    s.driver.sd = 0.05;
    s.driver.xmaxMm = 12.0;
    s.driver.peMaxW = 500.0;
    s.drivers = {4, Mounting::Isobaric, Wiring::SeriesParallel};
    s.enclosure.kind = BoxKind::Bandpass6;
    s.enclosure.vbLitres = 60.0;
    s.enclosure.rearTuningHz = 30.0;
    s.enclosure.rearVentCount = 2.0;
    s.enclosure.rearVentDiameterMm = 80.0;
    s.enclosure.frontVolumeLitres = 40.0;
    s.enclosure.fbHz = 70.0;
    s.enclosure.ventCount = 1.0;
    s.enclosure.ventDiameterMm = 100.0;
    s.enclosure.leakageQ.reset();
    s.enclosure.ventQ = 30.0;
    s.drive.given = DriveParameters::Given::Voltage;
    s.drive.voltageV = 12.5;
    s.drive.sourceResistanceOhm = 0.25;
    return s;
}

} // namespace

class TestChartsPresenter : public QObject {
    Q_OBJECT

private slots:
    // The power follows the drivers' rated power until the user types one.
    void powerFollowsRating() {
        MemoryFieldStore main;
        FakeWindow w;
        ChartsPresenter p;
        DesignSetup d = p.design(Fields(main), w.controls);
        QCOMPARE(p.followRatedPower(QString(), d), QStringLiteral("600"));
        w.texts["EDriverCount"] = "2";
        d = p.design(Fields(main), w.controls);
        QCOMPARE(p.followRatedPower(QStringLiteral("600"), d), QStringLiteral("1200"));
        main.setText("EPEmax", "?");
        d = p.design(Fields(main), w.controls);
        QCOMPARE(p.followRatedPower(QStringLiteral("1200"), d), QStringLiteral("1"));
        // Once the user types a power of their own, it stays.
        main.setText("EPEmax", "300");
        QCOMPARE(p.followRatedPower(QStringLiteral("450"), d), QStringLiteral("450"));
    }

    // A setup file is the design until the next command of the main window;
    // the window's own fields are read on top of it.
    void designSource() {
        MemoryFieldStore main;
        FakeWindow w;
        ChartsPresenter p;
        QCOMPARE(p.source(), DesignSource::MainWindow);
        QCOMPARE(*p.design(Fields(main), w.controls).driver.fs, 32.9);
        const DesignSetup file = Bandpass6Design();
        p.openSetup(file, QStringLiteral("six.dvsetup"));
        w.take(ControlTexts(file));
        w.controls.kind = file.enclosure.kind;
        w.controls.mounting = file.drivers.mounting;
        w.controls.wiring = file.drivers.wiring;
        w.controls.drive = file.drive.given;
        w.controls.airFromConditions = true;
        QVERIFY(p.sourceText().contains(QStringLiteral("six.dvsetup")));
        // The window shows exactly the file's design.
        QCOMPARE(p.design(Fields(main), w.controls), file);
        w.texts["EBp6FrontTuning"] = "65";
        QCOMPARE(*p.design(Fields(main), w.controls).enclosure.fbHz, 65.0);
        p.mainWindowCommandFinished();
        QCOMPARE(p.source(), DesignSource::MainWindow);
        const DesignSetup back = p.design(Fields(main), w.controls);
        QCOMPARE(*back.driver.fs, 32.9);
        QCOMPARE(DriverName(back), QStringLiteral("Fane Colossus 18 XB"));
    }

    // The tests' start-up design is the program's: the main window's
    // fields at start-up hold the same driver. The window's own fields start
    // with the program's own design: its air, one driver, no source
    // resistance, and the conditions of that air.
    void startUpFixtureIsTheProgramsStartUp() {
        const MemoryFieldStore main;
        FakeWindow w;
        const DesignSetup start = ChartsPresenter().design(Fields(main), w.controls);
        const DesignSetup program;
        QCOMPARE(start.air.density, program.air.density);
        QCOMPARE(start.air.soundSpeed, program.air.soundSpeed);
        QCOMPARE(start.drivers.count, program.drivers.count);
        QCOMPARE(start.drive.sourceResistanceOhm, program.drive.sourceResistanceOhm);
        w.controls.airFromConditions = true;
        const AirConditions c = *ChartsPresenter().design(Fields(main), w.controls).air.conditions;
        QCOMPARE(c.temperatureC, AirConditions().temperatureC);
        QCOMPARE(c.pressurePa, AirConditions().pressurePa);
        QCOMPARE(c.relativeHumidityPercent, AirConditions().relativeHumidityPercent);
        const DriverParameters read = ReadDriverParameters(Fields(main));
        const DriverParameters fixture = test::StartUpDriver();
        for (auto member : {&DriverParameters::fs, &DriverParameters::qes, &DriverParameters::qms,
                            &DriverParameters::vasLitres, &DriverParameters::re,
                            &DriverParameters::xmaxMm, &DriverParameters::peMaxW})
            QCOMPARE(read.*member, fixture.*member);
        QVERIFY(std::fabs(*read.sd / *fixture.sd - 1.0) < 1e-3);
    }

    // Curves are computed only when the design changes; the overlays
    // follow the drive shown, each through its own source resistance.
    void recomputation() {
        MemoryFieldStore main;
        FakeWindow w;
        w.texts["EPower"] = "100";
        ChartsPresenter p;
        const DesignSetup d = p.design(Fields(main), w.controls);
        QVERIFY(p.update(d, QStringLiteral("17")));
        QVERIFY(!p.update(d, QStringLiteral("17")));
        QVERIFY(p.update(d, QStringLiteral("20")));
        DesignSetup other = Bandpass6Design();
        other.drive.sourceResistanceOhm = 0.5;
        QVERIFY(p.addOverlay(QStringLiteral("six"), other).isEmpty());
        const int generation = p.overlayGeneration();
        const double before = p.overlays().all().front().curves.splDb[100];
        w.texts["EPower"] = "400";
        QVERIFY(p.update(p.design(Fields(main), w.controls), QStringLiteral("20")));
        QVERIFY(p.overlayGeneration() > generation);
        const Overlay &o = p.overlays().all().front();
        QCOMPARE(*o.setup.drive.powerW, 400.0);
        QCOMPARE(*o.setup.drive.sourceResistanceOhm, 0.5);
        // Four times the power through a source resistance: 6 dB more.
        QVERIFY(std::fabs(o.curves.splDb[100] - before - 6.0206) < 1e-3);
        for (int i = 0; i < OverlaySet::MaxOverlays - 1; ++i)
            p.addOverlay(QStringLiteral("more"), other);
        QVERIFY(p.addOverlay(QStringLiteral("one too many"), other)
                    .startsWith(QStringLiteral("The charts keep 8 overlays: the oldest, six, ")));
    }

    // A megabyte of title from a setup file is cut on entry: nothing that
    // lists, notes or draws an overlay ever lays out more.
    void hugeOverlayTitlesAreCutOnEntry() {
        ChartsPresenter p;
        p.addOverlay(QString(1000000, QLatin1Char('L')), Bandpass6Design());
        QVERIFY(p.overlays().label(0).size() < 2 * OverlaySet::MaxTitleLength);
        QVERIFY(p.overlays().label(0).contains(QChar(0x2026)));
    }

    // Every kind's starting values, for a shipped driver of the main window,
    // give a design every chart of that kind can draw.
    void startingValues_data() {
        QTest::addColumn<BoxKind>("kind");
        for (const EnclosureKind &k : EnclosureKinds())
            if (!k.followsMainWindow)
                QTest::newRow(k.setupName) << k.kind;
    }
    void startingValues() {
        QFETCH(BoxKind, kind);
        MemoryFieldStore main;
        main.setText("EVb", "240");
        main.setText("EFb", "22");
        main.setText("EVentDiam", "152");
        main.setText("ENumOfVents", "1");
        FakeWindow w;
        w.texts["EPower"] = "600";
        ChartsPresenter p;
        DesignSetup current = p.design(Fields(main), w.controls);
        ReadMainWindowDesign(Fields(main), current);
        const auto texts = StartingTexts(kind, current);
        QVERIFY(!texts.empty());
        w.take(texts);
        w.controls.kind = kind;
        if (const std::optional<BoxParameters> box = StartingBox(kind, current)) {
            w.controls.segments = box->segments; // the window's path editor takes it
            w.controls.mouth = box->mouth;
        }
        const DesignCurves c =
            ComputeDesignCurves(p.design(Fields(main), w.controls), ChartsPresenter::Frequencies());
        for (Chart chart :
             {Chart::Spl, Chart::Excursion, Chart::Impedance, Chart::GroupDelay, Chart::Limits})
            QVERIFY2(c.has(chart), qPrintable(MissingInputsSentence(chart, c.lacks(chart))));
        QCOMPARE(c.has(Chart::PortVelocity), kind != BoxKind::PassiveRadiator);
        if (kind == BoxKind::PassiveRadiator) {
            // The radiator tunes the box near the main window's Fb.
            const DesignSetup d = p.design(Fields(main), w.controls);
            QVERIFY(std::fabs(TuningOfRadiators(d.enclosure, d.air).fb - 22.0) < 1.0);
        }
    }

    // Vent lengths that tune the chamber as the charts' circuit does, in the
    // design's air, less the end correction 0.732 D (one flanged end, one
    // free): D 10 cm, 50 l, Fb 35 Hz, c 344 m/s gives 38.44 - 7.32 = 31.12 cm.
    void ventLength_data() {
        QTest::addColumn<double>("litres");
        QTest::addColumn<double>("tuning");
        QTest::addColumn<double>("vents");
        QTest::addColumn<double>("diameter");
        QTest::addColumn<double>("soundSpeed");
        QTest::addColumn<QString>("text");
        QTest::newRow("D 10 cm, 50 l, 35 Hz, c 344")
            << 50.0 << 35.0 << 1.0 << 100.0 << 344.0
            << "Vent 31.12 cm long (first pipe resonance 447.5 Hz).";
        // Two free ends move less air beyond them: the vent is cut longer.
        QTest::newRow("two free ends") << 50.0 << 35.0 << 1.0 << 100.0 << 344.0
                                       << "Vent 32.30 cm long (first pipe resonance 447.5 Hz).";
        QTest::newRow("the same in inches")
            << 50.0 << 35.0 << 1.0 << 100.0 << 344.0
            << "Vent 12.25 in long (first pipe resonance 447.5 Hz).";
        QTest::newRow("two vents, in inches") << 240.0 << 22.0 << 2.0 << 152.0 << 345.0
                                              << "Each vent 32.70 in long (first pipe resonance "
                                                 "183.1 Hz): longer than the chamber is "
                                                 "deep (24.5 in for a cube); "
                                                 "it does not fit.";
        QTest::newRow("the start-up box, c 345")
            << 240.0 << 22.0 << 1.0 << 152.0 << 345.0
            << "Vent 35.97 cm long (first pipe resonance 366.3 Hz).";
        QTest::newRow("20 l, 60 Hz, 50 mm")
            << 20.0 << 60.0 << 1.0 << 50.0 << 343.0
            << "Vent 4.47 cm long (first pipe resonance 2110.3 Hz).";
        QTest::newRow("two vents") << 240.0 << 22.0 << 2.0 << 152.0 << 345.0
                                   << "Each vent 83.07 cm long (first pipe resonance 183.1 "
                                      "Hz): longer than the chamber is deep (62 cm for a "
                                      "cube); it does not fit.";
        QTest::newRow("too narrow") << 5000.0 << 22.0 << 1.0 << 152.0 << 345.0
                                    << "Vent -8.87 cm long (first pipe resonance 7630.4 Hz): a "
                                       "vent this narrow cannot tune so high; choose a wider one.";
    }
    void ventLength() {
        QFETCH(double, litres);
        QFETCH(double, tuning);
        QFETCH(double, vents);
        QFETCH(double, diameter);
        QFETCH(double, soundSpeed);
        QFETCH(QString, text);
        const bool us = QTest::currentDataTag() == QByteArray("the same in inches") ||
                        QTest::currentDataTag() == QByteArray("two vents, in inches");
        const double e = QTest::currentDataTag() == QByteArray("two free ends") ? 0.614 : 0.732;
        DesignSetup s;
        s.enclosure.ventEndCorrection = e;
        s.units = us ? UnitSystem::Us : UnitSystem::Metric;
        s.enclosure.vbLitres = litres;
        s.enclosure.fbHz = tuning;
        s.enclosure.ventCount = vents;
        s.enclosure.ventDiameterMm = diameter;
        s.air.soundSpeed = soundSpeed;
        QCOMPARE(VentLengthText(s), text);
        // A vent cut to it tunes the box where the design says: its mass
        // rho (L + 0.732 D) / S resonates with the chamber at Fb, to the
        // 0.1 cm shown (each of several vents carries its share).
        const double cm =
            text.section(QLatin1Char(' '), vents == 1.0 ? 1 : 2, vents == 1.0 ? 1 : 2).toDouble() *
            (us ? 2.54 : 1.0);
        const double d = diameter / 1000.0, area = M_PI * d * d / 4.0;
        const double mass = (cm / 100.0 + e * d) / (vents * area);             // over rho
        const double compliance = litres / 1000.0 / (soundSpeed * soundSpeed); // times rho
        if (cm > 0.0)
            QVERIFY2(std::fabs(1.0 / (2.0 * M_PI * std::sqrt(mass * compliance)) / tuning - 1.0) <
                         0.005,
                     qPrintable(text));
        // The pipe of the vent's effective length resonates at c / (2 Leff).
        const double pipe =
            text.section(QStringLiteral("resonance "), 1).section(' ', 0, 0).toDouble();
        const double effective = cm / 100.0 + e * d;
        QVERIFY2(std::fabs(pipe * 2.0 * effective / soundSpeed - 1.0) < 0.002, qPrintable(text));
        s.enclosure.kind = BoxKind::Closed;
        QVERIFY(VentLengthText(s).isEmpty());
    }

    // The radiators' helper, through the presenter: a tuning above the
    // highest they reach is refused naming it, and no field changes; a
    // tuning that needs more than twice a radiator's mass says so. The
    // mass put into the field tunes the box where it was asked to.
    void radiatorHelperSaysWhatItsAnswerIsWorth_data() {
        QTest::addColumn<double>("tuning"); // 0: the highest reachable
        QTest::addColumn<bool>("refused");
        QTest::addColumn<bool>("warned");
        QTest::newRow("the highest reachable") << 0.0 << false << false;
        QTest::newRow("above it") << 80.0 << true << false;
        QTest::newRow("a little below it") << -2.0 << false << false;
        QTest::newRow("far below it") << 12.0 << false << true;
    }
    void radiatorHelperSaysWhatItsAnswerIsWorth() {
        QFETCH(double, tuning);
        QFETCH(bool, refused);
        QFETCH(bool, warned);
        DesignSetup design = test::StartUpVented();
        BoxParameters &box = design.enclosure;
        box.kind = BoxKind::PassiveRadiator;
        box.vbLitres = 60.0;
        box.radiatorCount = 1.0;
        box.radiatorAreaCm2 = 500.0;
        box.radiatorMassG = 36.0;
        box.radiatorAddedMassG = 0.0;
        box.radiatorComplianceMmPerN = 0.5;
        box.radiatorQms = 5.0;
        const double highest = TuningOfRadiators(box, design.air).fb;
        QVERIFY(highest > 20.0 && highest < 80.0);
        const double asked = tuning <= 0.0 ? highest + tuning : tuning;
        ChartsPresenter p;
        QSignalSpy fields(&p, &ChartsPresenter::fieldTextChanged);
        QSignalSpy notices(&p, &ChartsPresenter::helperNoticeChanged);
        QString refusal;
        try {
            p.tuneRadiators(design, QString::number(asked, 'g', 17));
        } catch (const DravikError &e) {
            refusal = QString::fromUtf8(e.what());
        }
        QCOMPARE(!refusal.isEmpty(), refused);
        if (refused) {
            QVERIFY2(refusal.contains(QString::number(highest, 'f', 1) + QStringLiteral(" Hz")),
                     qPrintable(refusal));
            QCOMPARE(fields.count(), 0);
            QCOMPARE(notices.count(), 1); // the last answer's word is gone
            return;
        }
        QCOMPARE(fields.count(), 1);
        QCOMPARE(fields.front().at(0).toString(), QStringLiteral("EPrAddedMass"));
        QCOMPARE(!notices.back().at(0).toString().isEmpty(), warned);
        box.radiatorAddedMassG = fields.front().at(1).toString().toDouble();
        QVERIFY(std::fabs(TuningOfRadiators(box, design.air).fb / asked - 1.0) < 1e-4);
    }

    // The bandpass helper, through the presenter: the box of the closed
    // forms (the front chamber (2 S Qts)^2 Vas) into its three fields; for
    // a driver of high Qts a box far larger than its Vas, said so; an S
    // that is no number refused, no field changed.
    void bandpassHelper_data() {
        QTest::addColumn<double>("qts");
        QTest::addColumn<QString>("s");
        QTest::addColumn<int>("outcome"); // 0 plain, 1 warned, 2 refused
        QTest::newRow("Qts 0.3, S 0.7") << 0.3 << "0.7" << 0;
        QTest::newRow("Qts 0.58, S 0.7") << 0.58 << "0.7" << 0;
        QTest::newRow("Qts 0.58, S 0.8") << 0.58 << "0.8" << 1;
        QTest::newRow("S not a number") << 0.3 << "abc" << 2;
    }
    void bandpassHelper() {
        QFETCH(double, qts);
        QFETCH(QString, s);
        QFETCH(int, outcome);
        DesignSetup design;
        design.driver.fs = 30.0;
        design.driver.vasLitres = 100.0;
        design.driver.qms = 5.0;
        design.driver.qes = qts * 5.0 / (5.0 - qts); // so that they make this Qts
        ChartsPresenter p;
        QSignalSpy fields(&p, &ChartsPresenter::fieldTextChanged);
        QSignalSpy notices(&p, &ChartsPresenter::helperNoticeChanged);
        bool refused = false;
        try {
            p.designBandpass(design, s, QStringLiteral("0"));
        } catch (const DravikError &) {
            refused = true;
        }
        QCOMPARE(refused, outcome == 2);
        if (refused) {
            QCOMPARE(fields.count(), 0);
            return;
        }
        QCOMPARE(fields.count(), 3);
        std::map<QString, double> set;
        for (const QList<QVariant> &f : fields)
            set[f.at(0).toString()] = f.at(1).toString().toDouble();
        const double front = std::pow(2.0 * s.toDouble() * qts, 2.0) * 100.0;
        QVERIFY(std::fabs(set.at(QStringLiteral("EBp4FrontVolume")) - front) <= 0.005);
        QCOMPARE(!notices.back().at(0).toString().isEmpty(), outcome == 1);
    }

    // The overlay commands: each change of the set is signalled once, with
    // the overlay notice (the oldest dropped at the ninth); a command on a
    // row that is not there, or that changes nothing, is no change.
    void overlayCommands_data() {
        QTest::addColumn<QString>("commands");
        QTest::addColumn<int>("changes");
        QTest::addColumn<int>("overlays");
        QTest::addColumn<int>("visible");
        QTest::addColumn<bool>("dropped");
        QTest::newRow("pin") << "add" << 1 << 1 << 1 << false;
        QTest::newRow("pin, remove") << "add remove0" << 2 << 0 << 0 << false;
        QTest::newRow("remove a row not there") << "add remove3 remove-1" << 1 << 1 << 1 << false;
        QTest::newRow("hide") << "add add toggle1" << 3 << 2 << 1 << false;
        QTest::newRow("hide, show") << "add toggle0 toggle0" << 3 << 1 << 1 << false;
        QTest::newRow("show the shown") << "add show0" << 1 << 1 << 1 << false;
        QTest::newRow("clear") << "add add clear" << 3 << 0 << 0 << false;
        QTest::newRow("a ninth drops the oldest")
            << "add add add add add add add add add" << 9 << 8 << 8 << true;
    }
    void overlayCommands() {
        QFETCH(QString, commands);
        QFETCH(int, changes);
        QFETCH(int, overlays);
        QFETCH(int, visible);
        QFETCH(bool, dropped);
        ChartsPresenter p;
        QSignalSpy changed(&p, &ChartsPresenter::overlaysChanged);
        QSignalSpy notices(&p, &ChartsPresenter::overlayNoticeChanged);
        const int generation = p.overlayGeneration();
        for (const QString &c : commands.split(QLatin1Char(' '))) {
            const int row = c.right(c.size() - c.indexOf(QRegularExpression("-?[0-9]"))).toInt();
            if (c == QLatin1String("add"))
                p.addOverlay(QStringLiteral("design"), Bandpass6Design());
            else if (c.startsWith(QLatin1String("remove")))
                p.removeOverlay(row);
            else if (c.startsWith(QLatin1String("toggle")))
                p.toggleOverlay(row);
            else if (c.startsWith(QLatin1String("show")))
                p.setOverlayVisible(row, true);
            else if (c == QLatin1String("clear"))
                p.clearOverlays();
        }
        QCOMPARE(changed.count(), changes);
        QCOMPARE(p.overlayGeneration() - generation, changes);
        QCOMPARE(int(p.overlays().all().size()), overlays);
        int shown = 0;
        for (const Overlay &o : p.overlays().all())
            shown += o.visible ? 1 : 0;
        QCOMPARE(shown, visible);
        const QString last = notices.isEmpty() ? QString() : notices.back().at(0).toString();
        QCOMPARE(last.startsWith(QStringLiteral("The charts keep 8 overlays")), dropped);
    }

    // What an amplifier sees: the wired coils' DC resistance and the least
    // impedance in the band.
    // Every field with a unit, typed in metric units, shown in US units and
    // back: the design keeps its number exactly and the field shows what
    // was typed; a number typed in US units is its metric number.
    void unitsRoundTripEveryField_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<double>("usTyped");
        QTest::addColumn<double>("ownOfUsTyped");
        for (const InputRow &row : DesignInputRows()) {
            if (row.page != InputPage::ThisWindow)
                continue;
            const double scale = ShownUnitOf(row.quantity, UnitSystem::Us).scale;
            if (qstrcmp(ShownUnitOf(row.quantity, UnitSystem::Us).text,
                        UnitsOf(row.quantity).shown) != 0)
                QTest::newRow(row.field) << QString::fromLatin1(row.field) << 2.5 << 2.5 * scale;
        }
        // Closed forms of the units: 2.5 ft^3 is 70.79211648 l, 1 in is
        // 25.4 mm, 68 F is 20 C, 29.92 inHg is 101320.75888 Pa.
        QTest::newRow("a volume, 2.5 ft^3") << "EPrVolume" << 2.5 << 70.79211648;
        QTest::newRow("a length, 1 in") << "EPrXmax" << 1.0 << 25.4;
        QTest::newRow("an area, 10 in^2") << "EPrArea" << 10.0 << 64.516;
        QTest::newRow("a room, 20 ft") << "ERoomLength" << 20.0 << 6.096;
        QTest::newRow("temperature, 68 F") << QString(control::Temperature) << 68.0 << 20.0;
        QTest::newRow("pressure, 29.92 inHg")
            << QString(control::Pressure) << 29.92 << 101320.75888;
    }
    void unitsRoundTripEveryField() {
        QFETCH(QString, field);
        QFETCH(double, usTyped);
        QFETCH(double, ownOfUsTyped);
        FakeWindow w;
        ChartsPresenter p;
        QObject::connect(&p, &ChartsPresenter::fieldTextChanged,
                         [&w](const QString &f, const QString &text) { w.texts[f] = text; });
        const auto text = [&w](const char *name) { return w.controls.text(name); };
        const QString typed = QStringLiteral("123.4567");
        w.texts[field] = typed;
        p.setUnits(UnitSystem::Us, text);
        QCOMPARE(p.units(), UnitSystem::Us);
        QVERIFY(w.texts[field] != typed);
        QCOMPARE(*p.ownValue(field, w.texts[field]), 123.4567);
        p.setUnits(UnitSystem::Metric, text);
        QCOMPARE(w.texts[field], typed);
        QCOMPARE(*p.ownValue(field, w.texts[field]), 123.4567);

        p.setUnits(UnitSystem::Us, text);
        w.texts[field] = WindowValueText(usTyped);
        QVERIFY(std::fabs(*p.ownValue(field, w.texts[field]) / ownOfUsTyped - 1.0) < 1e-12);
        // A design's number shown in US units is the number typed there.
        QCOMPARE(p.shownText(field, QString::number(ownOfUsTyped, 'g', 17)),
                 WindowValueText(usTyped));
        // The caption names the unit shown.
        for (const InputRow &row : DesignInputRows())
            if (field == QLatin1String(row.field))
                QVERIFY(FieldCaption(row, UnitSystem::Us)
                            .endsWith(QStringLiteral(" (") +
                                      ShownUnitOf(row.quantity, UnitSystem::Us).text +
                                      QStringLiteral("):")));
        // Switching with a field empty or not a number leaves it as it is.
        w.texts[field] = QStringLiteral("abc");
        p.setUnits(UnitSystem::Metric, text);
        QCOMPARE(w.texts[field], QStringLiteral("abc"));
    }

    // "Use net volume" makes the box as built the design's: its net volume
    // is then the volume its vents are cut for, for a window field, the main
    // window's Vb, and a bandpass box's rear chamber beside its front one.
    void useNetVolume_data() {
        QTest::addColumn<BoxKind>("kind");
        QTest::addColumn<QString>("field");
        QTest::addColumn<bool>("mainWindow");
        QTest::newRow("vented: the main window's Vb") << BoxKind::Vented << "EVb" << true;
        QTest::newRow("passive radiator") << BoxKind::PassiveRadiator << "EPrVolume" << false;
        QTest::newRow("bandpass-4: the rear chamber")
            << BoxKind::Bandpass4 << "EBp4RearVolume" << false;
    }
    void useNetVolume() {
        QFETCH(BoxKind, kind);
        QFETCH(QString, field);
        QFETCH(bool, mainWindow);
        FakeWindow w;
        ChartsPresenter p;
        MemoryFieldStore store;
        w.controls.kind = kind;
        w.take(StartingTexts(kind, p.design(Fields(store), w.controls)));
        w.texts["EOutsideWidth"] = "700";
        w.texts["EOutsideHeight"] = "600";
        w.texts["EOutsideDepth"] = "650";
        w.texts["EWallThickness"] = "18";
        w.texts["EDriverDisplacement"] = "4";
        // A slot vent, where the box has vents: its area tunes and displaces.
        w.texts["EVentSlotWidth"] = "250";
        w.texts["EVentSlotHeight"] = "50";
        w.texts["EVentSharedWalls"] = "1";
        QSignalSpy texts(&p, &ChartsPresenter::fieldTextChanged);
        const auto main = p.useNetVolume(p.design(Fields(store), w.controls));
        QCOMPARE(bool(main), mainWindow);
        QCOMPARE(texts.count(), mainWindow ? 0 : 1);
        if (main) {
            QCOMPARE(main->first, field);
            store.setText(field.toLatin1().constData(), main->second);
        } else {
            QCOMPARE(texts.at(0).at(0).toString(), field);
            w.texts[field] = texts.at(0).at(1).toString();
        }
        const DesignSetup used = p.design(Fields(store), w.controls);
        const BuiltBox box = *BuildBox(used);
        QVERIFY(std::fabs(box.netLitres / *DesignVolumeLitres(used) - 1.0) < 1e-8);
        if (KindOf(kind).hasVentLoss) {
            QVERIFY(std::fabs(M_PI / 4.0 * std::pow(*used.enclosure.ventDiameterMm, 2) - 12500.0) <
                    1e-9);
            QCOMPARE(box.panels.back().name, QStringLiteral("slot vent side"));
        }
        // Without a box to build there is nothing to use.
        for (const char *f : {"EOutsideWidth", "EOutsideHeight", "EOutsideDepth", "EWallThickness",
                              "EDriverDisplacement"})
            w.texts[f].clear();
        QVERIFY_THROWS_EXCEPTION(DravikError, p.useNetVolume(p.design(Fields(store), w.controls)));
    }

    void amplifierLoad() {
        DesignSetup s;
        s.driver = ReadDriverParameters(MemoryFieldStore());
        s.enclosure.vbLitres = 240.0;
        s.enclosure.fbHz = 22.0;
        s.enclosure.ventCount = 1.0;
        s.enclosure.ventDiameterMm = 152.0;
        s.drivers = {2, Mounting::Normal, Wiring::Parallel};
        const DesignCurves c = ComputeDesignCurves(s, ChartsPresenter::Frequencies());
        const QString text = AmplifierLoadText(c);
        QVERIFY2(text.startsWith(QStringLiteral("DC 3.25 ohm, least ")), qPrintable(text));
        QVERIFY(*c.minimumImpedanceOhm >= 3.25 && *c.minimumImpedanceOhm < 4.0);
        s.drive.powerW = 1e308;
        QVERIFY(DriveVoltageText(ComputeDesignCurves(s, {20.0})).isEmpty());
    }

    // A setup file with an amplifier, a chain and a space is shown exactly
    // as the file says; a space chosen in the window leaves the file's other
    // space's values unread.
    void systemShownExactly_data() {
        QTest::addColumn<int>("space");
        QTest::addColumn<bool>("fromLength");
        QTest::newRow("car by its corner") << int(SpaceKind::Car) << false;
        QTest::newRow("car by its length") << int(SpaceKind::Car) << true;
        QTest::newRow("room") << int(SpaceKind::Room) << false;
        QTest::newRow("quarter space") << int(SpaceKind::QuarterSpace) << false;
    }
    void systemShownExactly() {
        QFETCH(int, space);
        QFETCH(bool, fromLength);
        DesignSetup file = Bandpass6Design();
        file.amplifier.ratedPowerW = 800.0;
        file.amplifier.ratedLoadOhm = 2.0;
        FilterStage highPass;
        highPass.order = 4;
        highPass.frequencyHz = 18.0;
        FilterStage shelf;
        shelf.type = FilterType::LowShelf;
        shelf.gainDb = 4.0;
        shelf.enabled = false;
        file.filters = {highPass, shelf};
        file.environment.kind = static_cast<SpaceKind>(space);
        if (file.environment.kind == SpaceKind::Car) {
            file.environment.cabin.cornerFromLength = fromLength;
            (fromLength ? file.environment.cabin.lengthM : file.environment.cabin.cornerHz) =
                fromLength ? 2.4 : 70.0;
            file.environment.cabin.slopeDbPerOctave = 12.0;
        }
        if (file.environment.kind == SpaceKind::Room)
            file.environment.room = RoomOfPreset(RoomPresets()[2]);
        MemoryFieldStore main;
        FakeWindow w;
        ChartsPresenter p;
        p.openSetup(file, QStringLiteral("system.dvsetup"));
        w.take(ControlTexts(file));
        w.controls.kind = file.enclosure.kind;
        w.controls.mounting = file.drivers.mounting;
        w.controls.wiring = file.drivers.wiring;
        w.controls.drive = file.drive.given;
        w.controls.airFromConditions = true;
        w.controls.space = file.environment.kind;
        w.controls.cabinCornerFromLength = fromLength;
        w.controls.filters = file.filters;
        QCOMPARE(p.design(Fields(main), w.controls), file);
        QCOMPARE(AmplifierLimitText(file), QStringLiteral("Clips at 40.00 V RMS."));
        // Half space chosen: the file's cabin or room stays as it was, unread.
        w.texts["ECabinSlope"] = "bad";
        w.texts["ERoomLength"] = "bad";
        w.controls.space = SpaceKind::HalfSpace;
        const DesignSetup half = p.design(Fields(main), w.controls);
        QCOMPARE(half.environment.kind, SpaceKind::HalfSpace);
        QCOMPARE(half.environment.cabin.slopeDbPerOctave, file.environment.cabin.slopeDbPerOctave);
        QCOMPARE(half.environment.room.lengthM, file.environment.room.lengthM);
        // An empty rating is no amplifier; a typed one that is no number is named.
        w.texts["EAmpRatedPower"] = "";
        w.texts["EAmpRatedLoad"] = "";
        QVERIFY(!p.design(Fields(main), w.controls).amplifier.hasRating());
        w.texts["EAmpRatedPower"] = "lots";
        w.texts["EAmpRatedLoad"] = "4";
        const DesignCurves c =
            ComputeDesignCurves(p.design(Fields(main), w.controls), ChartsPresenter::Frequencies());
        QCOMPARE(c.lacks(Chart::Limits).inputs, Bit(ModelInput::AmpRatedPower));
        QVERIFY(c.has(Chart::Spl));
    }

    // The presets fill every field of their space; the placement view finds
    // the position of least variation among nine.
    void presetsAndPlacement() {
        for (const RoomPreset &preset : RoomPresets()) {
            FakeWindow w;
            w.take(RoomPresetTexts(preset));
            w.controls.space = SpaceKind::Room;
            MemoryFieldStore main;
            const DesignSetup d = ChartsPresenter().design(Fields(main), w.controls);
            QCOMPARE(d.environment.room.lengthM, RoomOfPreset(preset).lengthM);
            QCOMPARE(d.environment.room.listenerM, RoomOfPreset(preset).listenerM);
            QVERIFY2(!SpaceFault(d.environment), preset.name);
        }
        for (const CabinPreset &preset : CabinPresets()) {
            FakeWindow w;
            w.take(CabinPresetTexts(preset));
            w.controls.space = SpaceKind::Car;
            w.controls.cabinCornerFromLength = true;
            MemoryFieldStore main;
            const DesignSetup d = ChartsPresenter().design(Fields(main), w.controls);
            QCOMPARE(*d.environment.cabin.lengthM, preset.lengthM);
            QVERIFY2(!SpaceFault(d.environment), preset.name);
        }
        FakeWindow w;
        w.take(RoomPresetTexts(RoomPresets()[1]));
        w.controls.space = SpaceKind::Room;
        w.texts["EPower"] = "100";
        MemoryFieldStore main;
        const DesignSetup d = ChartsPresenter().design(Fields(main), w.controls);
        const std::vector<PlacementFigure> figures = PlacementFigures(d, 30.0, 80.0);
        QCOMPARE(figures.size(), size_t(9));
        const int best = BestPlacement(figures);
        QVERIFY(best >= 0);
        for (const PlacementFigure &f : figures)
            QVERIFY(*f.variationDb >= *figures[size_t(best)].variationDb);
        // Each place's figure is the whole design computed with the box there.
        for (const PlacementFigure &f : figures) {
            std::vector<double> band;
            for (double hz : ChartsPresenter::Frequencies())
                if (hz >= 30.0 && hz <= 80.0)
                    band.push_back(hz);
            const std::optional<double> whole =
                LevelVariationDb(ComputeDesignCurvesAt(d, f.m, band), 30.0, 80.0);
            QVERIFY2(std::fabs(*whole - *f.variationDb) < 1e-9, qPrintable(f.name));
        }
        QVERIFY(PlacementText(figures[0]).startsWith(QStringLiteral("front left: ")));
        QVERIFY(PlacementText(figures[0]).endsWith(QStringLiteral(" dB")));
        // Not a room, or a band without a frequency: no figures.
        w.controls.space = SpaceKind::Car;
        QVERIFY(
            PlacementFigures(ChartsPresenter().design(Fields(main), w.controls), 30, 80).empty());
        QCOMPARE(BestPlacement(PlacementFigures(d, 2000.0, 3000.0)), -1);
        // A click on a place puts the box there, as the grid gives it, and
        // the grid's sentence names the best place; outside a room nothing.
        ChartsPresenter room;
        QSignalSpy fields(&room, &ChartsPresenter::fieldTextChanged);
        QVERIFY(!room.placeBox(4));
        room.update(d, QString());
        QVERIFY(room.placeBox(8) && !room.placeBox(9));
        QCOMPARE(fields.count(), 2);
        const GridPosition back = PlacementGrid(d.environment.room)[8];
        QCOMPARE(fields[0].at(1).toString(), WindowValueText(back.m[0]));
        QCOMPARE(fields[1].at(1).toString(), WindowValueText(back.m[1]));
        const PlacementView view =
            PlacementViewOf(room.shown(), QStringLiteral("30"), QStringLiteral("80"));
        QCOMPARE(view.best, best);
        QVERIFY(view.note.contains(figures[size_t(best)].name));
        QVERIFY(PlacementViewOf(room.shown(), QStringLiteral("80"), QStringLiteral("30"))
                    .note.startsWith(QStringLiteral("Choose Room")));
    }
};

QTEST_GUILESS_MAIN(TestChartsPresenter)
#include "tst_chartspresenter.moc"
