#include "DesignSetup.h"
#include "Enclosures.h"
#include "FilterStages.h"
#include "Fp.h"
#include "SetupFile.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <limits>

#include <sys/stat.h>

using namespace dravik;
using dravik::test::errorOf;
using dravik::test::readAll;
using dravik::test::writeBytes;

Q_DECLARE_METATYPE(dravik::DesignSetup)

namespace {

const QString NotRead = QStringLiteral("The design setup was not read: ");
const QString NotWritten = QStringLiteral("The design setup was not written: ");

// The Fane Colossus 18 XB of the program's examples.
DesignSetup fane() {
    DesignSetup s;
    s.label = QStringLiteral("Fane Colossus 18 XB, vented 240 l / 22 Hz");
    s.manufacturer = QStringLiteral("Fane");
    s.model = QStringLiteral("Colossus 18 XB");
    s.driver.fs = 32.9;
    s.driver.qts = 0.38;
    s.driver.qes = 0.46;
    s.driver.qms = 2.28;
    s.driver.vasLitres = 226.0;
    s.driver.re = 6.5;
    s.driver.leMh = 0.0;
    s.driver.sd = 0.16403;
    s.driver.xmaxMm = 14.3;
    s.driver.peMaxW = 600.0;
    s.enclosure.kind = BoxKind::Vented;
    s.enclosure.vbLitres = 240.0;
    s.enclosure.fbHz = 22.0;
    s.enclosure.ventCount = 1.0;
    s.enclosure.ventDiameterMm = 152.0;
    s.drive.powerW = 600.0;
    return s;
}

PathSegment segment(Flare flare, double cm, double startCm2, double endCm2) {
    PathSegment p;
    p.flare = flare;
    p.lengthCm = cm;
    p.startAreaCm2 = startCm2;
    p.endAreaCm2 = endCm2;
    return p;
}

// A design of each kind, with the values its kind uses and the others left
// at their defaults (which a file of that kind does not hold).
DesignSetup ofKind(BoxKind kind) {
    DesignSetup s = fane();
    BoxParameters &b = s.enclosure;
    b = BoxParameters();
    b.kind = kind;
    switch (kind) {
    case BoxKind::Closed:
        b.vbLitres = 180.0;
        break;
    case BoxKind::Vented:
        b = fane().enclosure;
        break;
    case BoxKind::PassiveRadiator:
        b.vbLitres = 20.0;
        b.leakageQ = 10.0;
        b.radiatorCount = 2.0;
        b.radiatorAreaCm2 = 133.0;
        b.radiatorMassG = 30.0;
        b.radiatorAddedMassG = 9.46;
        b.radiatorComplianceMmPerN = 0.8;
        b.radiatorQms = 6.5;
        b.radiatorXmaxMm = 12.0;
        break;
    case BoxKind::Bandpass4:
        b.vbLitres = 28.54;
        b.frontVolumeLitres = 31.36;
        b.fbHz = 63.67;
        b.ventCount = 2.0;
        b.ventDiameterMm = 75.0;
        b.leakageQ.reset();
        break;
    case BoxKind::Bandpass6:
        b.vbLitres = 40.0;
        b.rearTuningHz = 35.0;
        b.rearVentCount = 1.0;
        b.rearVentDiameterMm = 100.0;
        b.frontVolumeLitres = 30.0;
        b.fbHz = 80.0;
        b.ventCount = 3.0;
        b.ventDiameterMm = 68.5;
        b.ventQ = 25.0;
        break;
    case BoxKind::TransmissionLine: {
        // Every flare, a fill, and the driver between two segments.
        PathSegment filled = segment(Flare::Conical, 40.0, 600.0, 450.0);
        filled.fillResistivity = 4500.0;
        b.segments = {segment(Flare::Uniform, 35.5, 600.0, 600.0), filled,
                      segment(Flare::Parabolic, 120.0, 450.0, 300.0),
                      segment(Flare::Exponential, 60.0, 300.0, 380.25)};
        b.driverAtCm = 35.5;
        break;
    }
    case BoxKind::TappedHorn: {
        PathSegment hyperbolic = segment(Flare::HyperbolicExponential, 150.0, 900.0, 3000.0);
        hyperbolic.t = 0.6;
        b.segments = {segment(Flare::Conical, 30.0, 300.0, 400.0),
                      segment(Flare::Exponential, 100.0, 400.0, 900.0), hyperbolic};
        b.frontAtCm = 30.0;
        b.rearAtCm = 130.0;
        break;
    }
    case BoxKind::FrontLoadedHorn:
        b.vbLitres = 45.0;
        b.throatVolumeLitres = 2.5;
        b.segments = {segment(Flare::Exponential, 180.0, 250.0, 5000.0)};
        b.mouth = Mouth::Open;
        break;
    }
    return s;
}

// A filter of frequency, Q and gain (peaking, shelf); a high-pass or
// low-pass; a Linkwitz transform; a gain.
FilterStage filter(FilterType type, double hz, double q, double gainDb = 0.0) {
    return test::Shaping(type, hz, q, gainDb);
}
FilterStage pass(FilterType type, FilterAlignment alignment, int order, double hz,
                 double q = FilterStage::DefaultShelfQ) {
    FilterStage f = filter(type, hz, q);
    f.alignment = alignment;
    f.order = order;
    return f;
}
FilterStage transform(double f0, double q0, double fp, double qp) {
    FilterStage f = filter(FilterType::LinkwitzTransform, f0, q0);
    f.fpHz = fp;
    f.qp = qp;
    return f;
}
FilterStage gain(double db, bool enabled = true) {
    FilterStage f;
    f.type = FilterType::Gain;
    f.gainDb = db;
    f.enabled = enabled;
    return f;
}

ListeningSpace space(SpaceKind kind) {
    ListeningSpace s;
    s.kind = kind;
    return s;
}
ListeningSpace car(std::optional<double> cornerHz, std::optional<double> lengthM, double slope,
                   double maxGainDb = 40.0) {
    ListeningSpace s = space(SpaceKind::Car);
    s.cabin = {lengthM.has_value(), cornerHz, lengthM, slope, maxGainDb};
    return s;
}
// A living room, the box in a front corner on the floor.
ListeningSpace room() {
    ListeningSpace s = space(SpaceKind::Room);
    s.room = {5.2, 4.1, 2.4, 0.35, {0.3, 0.3, 0.0}, {3.1, 2.05, 1.1}};
    return s;
}

// The Fane design with an amplifier, a signal chain and a listening space.
DesignSetup with(std::vector<FilterStage> chain, ListeningSpace environment = {},
                 AmplifierParameters amplifier = {}) {
    DesignSetup s = fane();
    s.filters = std::move(chain);
    s.environment = environment;
    s.amplifier = amplifier;
    return s;
}

// The keys of a document in the order they stand, with their nesting:
// "enclosure.radiator.mass_g".
QStringList keyOrder(const QByteArray &json) {
    QStringList keys, path;
    const QRegularExpression key(QStringLiteral("^( *)\"([a-z_0-9]+)\": (\\{)?"));
    for (const QByteArray &line : json.split('\n')) {
        const QRegularExpressionMatch m = key.match(QString::fromUtf8(line));
        if (!m.hasMatch())
            continue;
        const int depth = int(m.captured(1).size()) / 2 - 1;
        path = path.mid(0, depth);
        keys << (path + QStringList{m.captured(2)}).join(QLatin1Char('.'));
        if (!m.captured(3).isEmpty())
            path << m.captured(2);
    }
    return keys;
}

// The layout of a setup document as it is published, every key on a line of
// its own, and the filters left empty.
const char *const Layout = R"({
  "format": "dravik-design-setup",
  "version": 1,
  "label": "Fane Colossus 18 XB, vented 240 l / 22 Hz",

  "air": { "density_kg_m3": 1.18, "sound_speed_m_s": 345.0 },

  "driver": {
    "manufacturer": "Fane", "model": "Colossus 18 XB",
    "fs_hz": 32.9,
    "qes": 0.46,
    "qms": 2.28,
    "qts": 0.38,
    "vas_l": 226.0,
    "re_ohm": 6.5,
    "le_mh": 0.0,
    "sd_cm2": 1640.3,
    "xmax_mm": 14.3,
    "pe_max_w": 600.0
  },

  "drivers": { "count": 1, "mounting": "normal", "wiring": "parallel" },

  "enclosure": {
    "kind": "vented",
    "volume_l": 240.0,
    "tuning_hz": 22.0,
    "vent_count": 1,
    "vent_diameter_mm": 152.0,
    "leakage_q": 7.0,
    "vent_q": null
  },

  "drive": { "power_w": 600.0, "source_resistance_ohm": 0.0 },

  "amplifier": { "rated_power_w": null, "rated_load_ohm": null, "current_limit_a": null },

  "filters": [],

  "environment": { "kind": "half-space" }
}
)";

const char *const PublishedFilter =
    R"([
    { "type": "high-pass", "alignment": "butterworth", "order": 4, "frequency_hz": 18.0, "enabled": true }
  ])";

const char *const Radiator = R"("enclosure": {
    "kind": "passive-radiator",
    "volume_l": 20,
    "radiator": {
      "count": 1,
      "sd_cm2": 133,
      "mass_g": 30,
      "compliance_mm_per_n": 0.8,
      "qms": 6
    }
  })";

// The layout with one piece of text replaced; the piece must be there.
QByteArray edited(const QString &from, const QString &to) {
    const QString layout = QString::fromUtf8(Layout);
    if (!layout.contains(from))
        qFatal("the layout holds no \"%s\"", qPrintable(from));
    return QString(layout).replace(from, to).toUtf8();
}

const QString VentedEnclosure = QStringLiteral(R"("enclosure": {
    "kind": "vented",
    "volume_l": 240.0,
    "tuning_hz": 22.0,
    "vent_count": 1,
    "vent_diameter_mm": 152.0,
    "leakage_q": 7.0,
    "vent_q": null
  })");

QByteArray withEnclosure(const QString &enclosure) {
    return edited(VentedEnclosure, enclosure);
}

QByteArray withFilters(const QString &list) {
    return edited("\"filters\": []", "\"filters\": [" + list + ']');
}
QByteArray withEnvironment(const QString &object) {
    return edited(R"("environment": { "kind": "half-space" })", "\"environment\": " + object);
}
QByteArray withAmplifier(const QString &object) {
    return edited(R"({ "rated_power_w": null, "rated_load_ohm": null, "current_limit_a": null })",
                  object);
}

// A filter, a car and a room as a file may hold them, and one piece of
// them replaced (the piece must be there).
const char *const Butterworth =
    R"({"type": "high-pass", "alignment": "butterworth", "order": 4, "frequency_hz": 18})";
const char *const Peaking = R"({"type": "peaking", "frequency_hz": 45, "q": 2.5, "gain_db": -3})";
const char *const Car = R"({"kind": "car", "corner_hz": 40, "slope_db_per_octave": 12})";
const char *const Room = R"({"kind": "room", "length_m": 5, "width_m": 4, "height_m": 2.5, )"
                         R"("reverberation_s": 0.4, "source_m": [0.3, 0.3, 0], )"
                         R"("listener_m": [3, 2, 1.1]})";
QString spoilt(const QString &sample, const QString &from, const QString &to) {
    if (!sample.contains(from))
        qFatal("the sample holds no \"%s\"", qPrintable(from));
    return QString(sample).replace(from, to);
}

} // namespace

class TestSetupFile : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private slots:
    void init() {
        QVERIFY(dir_.isValid());
        QVERIFY(QDir::setCurrent(dir_.path()));
    }
    void cleanup() { test::emptyDirectory(dir_.path()); }

    // Every kind, arrangement, form of the air and of the drive, and texts
    // of every sort come back as they were, and a second save is the same
    // bytes.
    void roundTrip_data() {
        QTest::addColumn<DesignSetup>("setup");
        QTest::newRow("closed") << ofKind(BoxKind::Closed);
        QTest::newRow("vented") << ofKind(BoxKind::Vented);
        QTest::newRow("passive radiator") << ofKind(BoxKind::PassiveRadiator);
        QTest::newRow("bandpass-4") << ofKind(BoxKind::Bandpass4);
        QTest::newRow("bandpass-6") << ofKind(BoxKind::Bandpass6);
        QTest::newRow("transmission line, every flare") << ofKind(BoxKind::TransmissionLine);
        QTest::newRow("tapped horn") << ofKind(BoxKind::TappedHorn);
        QTest::newRow("front-loaded horn, open mouth") << ofKind(BoxKind::FrontLoadedHorn);
        {
            DesignSetup s = ofKind(BoxKind::Vented);
            s.enclosure.leakageQ.reset();
            s.enclosure.ventQ = 12.5;
            QTest::newRow("vented, no leak, vent loss") << s;
        }
        {
            DesignSetup s = ofKind(BoxKind::PassiveRadiator);
            s.enclosure.radiatorXmaxMm.reset();
            s.enclosure.radiatorAddedMassG = 0.0;
            s.enclosure.leakageQ.reset();
            QTest::newRow("radiator without Xmax, lossless") << s;
        }
        const struct {
            int count;
            Mounting mounting;
            Wiring wiring;
        } arrangements[] = {
            {1, Mounting::Normal, Wiring::Series},
            {2, Mounting::Normal, Wiring::Parallel},
            {3, Mounting::Normal, Wiring::Series},
            {5, Mounting::Normal, Wiring::Parallel},
            {7, Mounting::Normal, Wiring::Series},
            {8, Mounting::Normal, Wiring::Parallel},
            {2, Mounting::Isobaric, Wiring::Parallel},
            {2, Mounting::Isobaric, Wiring::Series},
            {6, Mounting::Isobaric, Wiring::Series},
            {4, Mounting::Normal, Wiring::SeriesParallel},
            {6, Mounting::Normal, Wiring::SeriesParallel},
            {8, Mounting::Isobaric, Wiring::SeriesParallel},
            {4, Mounting::Isobaric, Wiring::SeriesParallel},
        };
        for (const auto &a : arrangements) {
            DesignSetup s = ofKind(BoxKind::Bandpass6);
            s.drivers = {a.count, a.mounting, a.wiring};
            QTest::addRow("%d drivers, %s, wiring %d", a.count,
                          a.mounting == Mounting::Isobaric ? "isobaric" : "normal", int(a.wiring))
                << s;
        }
        for (CoilsGivenFor givenFor :
             {CoilsGivenFor::OneCoil, CoilsGivenFor::Series, CoilsGivenFor::Parallel})
            for (CoilJoin join : {CoilJoin::Series, CoilJoin::Parallel, CoilJoin::OneCoil}) {
                DesignSetup s = ofKind(BoxKind::Vented);
                s.driver.coils = {2, givenFor};
                s.drivers = {4, Mounting::Normal, Wiring::SeriesParallel, join};
                QTest::addRow("two coils for %d, joined %d", int(givenFor), int(join)) << s;
            }
        {
            DesignSetup s = ofKind(BoxKind::Bandpass4);
            s.units = UnitSystem::Us;
            QTest::newRow("shown in US units") << s;
        }
        {
            DesignSetup s = ofKind(BoxKind::Vented);
            s.enclosure.ventEndCorrection = 0.85;
            QTest::newRow("vents of two flanged ends") << s;
        }
        {
            DesignSetup s = ofKind(BoxKind::Bandpass6);
            s.enclosure.rearVentEndCorrection = 0.614;
            QTest::newRow("rear vents of two free ends") << s;
        }
        {
            DesignSetup s = ofKind(BoxKind::Vented);
            s.enclosure.ventSlotWidthMm = 330.2;
            s.enclosure.ventSlotHeightMm = 82.55;
            s.enclosure.ventSharedWalls = 3.0;
            SetSlotVentDiameters(s.enclosure);
            QTest::newRow("a slot vent in a corner") << s;
        }
        {
            DesignSetup s = ofKind(BoxKind::Bandpass6);
            s.enclosure.rearVentSlotWidthMm = 200.0;
            s.enclosure.rearVentSlotHeightMm = 40.0;
            SetSlotVentDiameters(s.enclosure);
            QTest::newRow("bandpass-6, a rear slot") << s;
        }
        {
            DesignSetup s = ofKind(BoxKind::Bandpass4);
            s.enclosure.ventsAsDucts = true;
            QTest::newRow("vents as ducts") << s;
        }
        {
            DesignSetup s = ofKind(BoxKind::Vented);
            s.construction.outsideMm = {863.6, std::nullopt, 457.2};
            s.construction.wallMm = 19.05;
            s.construction.driverDisplacementLitres = 3.5;
            s.construction.bracingLitres = 1.0;
            QTest::newRow("built, its height solved") << s;
        }
        {
            DesignSetup s = ofKind(BoxKind::Closed);
            s.air.density = 1.2047;
            s.air.soundSpeed = 343.21;
            QTest::newRow("typed air") << s;
        }
        {
            DesignSetup s = ofKind(BoxKind::Vented);
            s.air = AirFromConditions({21.0, 101325.0, 30.0});
            QTest::newRow("air from conditions") << s;
        }
        {
            DesignSetup s = ofKind(BoxKind::Bandpass4);
            s.air = AirFromConditions({-12.5, 87000.0, 0.0});
            QTest::newRow("cold dry thin air") << s;
        }
        {
            DesignSetup s = ofKind(BoxKind::Vented);
            s.drive.given = DriveParameters::Given::Voltage;
            s.drive.voltageV = 28.28;
            // The file holds the one value given; the power reads as its default.
            s.drive.powerW = DriveParameters().powerW;
            s.drive.sourceResistanceOhm = 0.15;
            QTest::newRow("voltage and source resistance") << s;
        }
        {
            DesignSetup s = ofKind(BoxKind::Vented);
            s.drive.powerW = 1234.5;
            s.drive.sourceResistanceOhm = 0.0;
            QTest::newRow("power, no source resistance") << s;
        }
        {
            DesignSetup s = ofKind(BoxKind::Closed);
            s.label = QString::fromUtf8(
                          "\"Q\" \\ back\nline\ttab \xc3\xbc \xe2\x80\x94 \xf0\x9f\x94\x8a") +
                      QChar(0) + QChar(0x1f) + QChar(0xdc00) + QStringLiteral(" end");
            s.manufacturer.clear();
            s.model = QStringLiteral("/slash/ and \u00e9");
            QTest::newRow("texts of every sort") << s;
        }
        {
            DesignSetup s = ofKind(BoxKind::Vented);
            s.driver.qts.reset();
            s.driver.leMh = 3.25;
            s.driver.sd = 0.0123456789;
            QTest::newRow("qts left to qes and qms, inductance, fine Sd") << s;
        }
        {
            DesignSetup s = ofKind(BoxKind::Vented);
            s.driver.qms.reset();
            s.driver.fs = 1e-9;
            s.enclosure.vbLitres = 1e308;
            QTest::newRow("qms left to qts and qes, extreme numbers") << s;
        }
        {
            DesignSetup s = ofKind(BoxKind::Closed);
            s.driver.fs = std::numeric_limits<double>::denorm_min();
            QTest::newRow("the smallest positive number") << s;
        }

        // Coil models with their own terms (one without the driver's Le),
        // and the creep either way, alone too.
        {
            DesignSetup s = ofKind(BoxKind::Closed);
            s.driver.voiceCoil.model = InductanceModel::Wright;
            s.driver.voiceCoil.krm = 0.0041, s.driver.voiceCoil.erm = 0.72;
            s.driver.voiceCoil.kxm = 0.0213, s.driver.voiceCoil.exm = 0.655;
            s.driver.leMh = 0.0;
            QTest::newRow("Wright's coil") << s;
            s.driver.voiceCoil = {};
            s.driver.voiceCoil.model = InductanceModel::SemiInductance;
            s.driver.voiceCoil.lebMh = 0.15, s.driver.voiceCoil.semiLeMh = 2.5;
            s.driver.voiceCoil.rssOhm = 12.0, s.driver.voiceCoil.ke = 0.061;
            s.driver.creep = -0.01;
            QTest::newRow("semi-inductance, creep the other way") << s;
            s = ofKind(BoxKind::Vented);
            s.driver.creep = 0.1;
            QTest::newRow("creep alone") << s;
        }

        QTest::newRow("amplifier rating") << with({}, {}, {1200.0, 4.0, std::nullopt});
        QTest::newRow("rating and current limit") << with({}, {}, {2500.0, 2.7, 35.5});
        QTest::newRow("current limit alone") << with({}, {}, {std::nullopt, std::nullopt, 20.0});
        using T = FilterType;
        using A = FilterAlignment;
        QTest::newRow("Butterworth") << with({pass(T::HighPass, A::Butterworth, 4, 18.0)});
        QTest::newRow("Butterworth 1st order, fine frequency")
            << with({pass(T::LowPass, A::Butterworth, 1, 80.12345678)});
        QTest::newRow("Linkwitz-Riley") << with({pass(T::LowPass, A::LinkwitzRiley, 8, 90.0)});
        QTest::newRow("Bessel") << with({pass(T::HighPass, A::Bessel, 3, 15.5)});
        QTest::newRow("chosen Q") << with({pass(T::HighPass, A::Q, 2, 22.0, 1.2)});
        QTest::newRow("Linkwitz transform") << with({transform(32.9, 0.38, 20.0, 0.5)});
        QTest::newRow("peaking") << with({filter(T::Peaking, 45.0, 4.3, -6.5)});
        QTest::newRow("low shelf") << with({filter(T::LowShelf, 30.0, 0.7071, 6.0)});
        QTest::newRow("high shelf") << with({filter(T::HighShelf, 100.0, 0.5, -12.0)});
        QTest::newRow("gain, turned off") << with({gain(-3.25, false)});
        QTest::newRow("eight filters, amplifier, room")
            << with({pass(T::HighPass, A::LinkwitzRiley, 2, 12.0), pass(T::LowPass, A::Q, 2, 20.0),
                     transform(40.0, 0.7, 25.0, 0.6), filter(T::Peaking, 63.0, 8.0, 3.0),
                     filter(T::LowShelf, 25.0, 0.8, -2.0), filter(T::HighShelf, 150.0, 0.6, -20.0),
                     gain(-120.0), pass(T::LowPass, A::Butterworth, 5, 100000.0)},
                    room(), {600.0, 8.0, 12.0});
        for (const SpaceKind kind :
             {SpaceKind::FullSpace, SpaceKind::QuarterSpace, SpaceKind::EighthSpace})
            QTest::addRow("%s", SpaceKindName(kind)) << with({}, space(kind));
        QTest::newRow("car by its corner") << with({}, car(40.0, std::nullopt, 12.0));
        QTest::newRow("car by its length") << with({}, car(std::nullopt, 2.85, 10.5, 24.0));
        ListeningSpace corners = room();
        corners.room.sourceM = {5.2, 4.1, 2.4};
        corners.room.listenerM = {0.0, 0.0, 0.0};
        QTest::newRow("room, box and listener in far corners") << with({}, corners);
    }
    void roundTrip() {
        QFETCH(DesignSetup, setup);
        const QByteArray json = SerializeDesignSetup(setup);
        QVERIFY(json.endsWith("}\n"));
        QVERIFY(!json.contains('\r'));
        QCOMPARE(json, SerializeDesignSetup(setup));
        // Version 2 only where the design needs it, its keys after the first
        // version's of the same object.
        const bool dual = setup.driver.coils.dual();
        const bool ownCorrection = setup.enclosure.ventEndCorrection != 0.732 ||
                                   setup.enclosure.rearVentEndCorrection != 0.732;
        const bool slot = setup.enclosure.ventSlotWidthMm || setup.enclosure.rearVentSlotWidthMm;
        const bool coilModel = setup.driver.voiceCoil.model != InductanceModel::Plain;
        const bool second = dual || setup.units == UnitSystem::Us || setup.construction.given() ||
                            ownCorrection || slot || setup.enclosure.ventsAsDucts ||
                            !setup.enclosure.segments.empty() || coilModel ||
                            setup.driver.creep != 0.0;
        // The coil and the creep after the coils, in every file of version 2.
        QCOMPARE(json.contains(QByteArray("\n    },\n    \"voice_coil\": {\n      \"model\": \"")),
                 second);
        QCOMPARE(json.contains("\n    \"creep\": "), second);
        QCOMPARE(json.contains("\"vents_as_ducts\": true\n  },"), setup.enclosure.ventsAsDucts);
        // A slot's keys in place of the diameter, before the end correction.
        QCOMPARE(json.contains("\"vent_shape\": \"slot\",\n    \"vent_width_mm\": 330.2,\n    "
                               "\"vent_height_mm\": 82.55,\n    \"vent_shared_walls\": 3,\n    "
                               "\"vent_end_correction\""),
                 setup.enclosure.ventSlotWidthMm == 330.2);
        QCOMPARE(json.contains("\"rear_vent_shape\": \"slot\""),
                 bool(setup.enclosure.rearVentSlotWidthMm));
        if (slot)
            QVERIFY(!json.contains(setup.enclosure.ventSlotWidthMm ? "\"vent_diameter_mm\""
                                                                   : "\"rear_vent_diameter_mm\""));
        QCOMPARE(json.contains("\"vent_end_correction\": 0.85,\n    \"vents_as_ducts\": false\n"),
                 setup.enclosure.ventEndCorrection == 0.85);
        QCOMPARE(json.contains("\"rear_vent_end_correction\": 0.614,\n    "
                               "\"front_vent_end_correction\": 0.732,\n    \"vents_as_ducts\""),
                 setup.enclosure.rearVentEndCorrection == 0.614);
        QCOMPARE(json.contains("\n  \"version\": 2,\n"), second);
        QCOMPARE(json.contains("\n  \"version\": 1,\n"), !second);
        QCOMPARE(json.contains(setup.units == UnitSystem::Us ? "  },\n  \"units\": \"us\""
                                                             : "  },\n  \"units\": \"metric\""),
                 second);
        QCOMPARE(json.contains("\n  \"construction\": {\n    \"outside_mm\": ["),
                 setup.construction.given());
        QCOMPARE(json.contains(QByteArray("\n    \"coils\": {\n      \"count\": 2,\n      "
                                          "\"parameters_for\": \"")),
                 dual);
        QCOMPARE(json.contains("\"coil_wiring\": \""), dual);
        if (dual)
            QVERIFY(json.indexOf("\"coils\"") > json.indexOf("\"pe_max_w\"") &&
                    json.indexOf("\"coil_wiring\"") > json.indexOf("\"wiring\""));
        const DesignSetup back = ParseDesignSetup(json);
        QVERIFY(back == setup);
        QCOMPARE(SerializeDesignSetup(back), json);

        WriteSetupFile(QStringLiteral("a.dvsetup"), setup);
        QCOMPARE(readAll(QStringLiteral("a.dvsetup")), json);
        QVERIFY(ReadSetupFile(QStringLiteral("a.dvsetup")) == setup);
    }

    // A value the file cannot hold is not lost in silence: the round trip
    // would notice each member the writer or reader mixes up.
    void roundTripSeesEveryMember() {
        const DesignSetup setup = ofKind(BoxKind::Bandpass6);
        DesignSetup changed = setup;
        changed.enclosure.rearVentDiameterMm = 101.0;
        QVERIFY(ParseDesignSetup(SerializeDesignSetup(changed)) != setup);
        QVERIFY(ParseDesignSetup(SerializeDesignSetup(changed)) == changed);
    }

    // The keys stand in the published order, each level indented by two
    // spaces; the parts a later version fills in are written empty.
    void keysInPublishedOrder() {
        DesignSetup s = ofKind(BoxKind::PassiveRadiator);
        s.air = AirFromConditions({20.0, 101325.0, 30.0});
        const QStringList expected = {"format",
                                      "version",
                                      "label",
                                      "air",
                                      "air.temperature_c",
                                      "air.pressure_pa",
                                      "air.relative_humidity_percent",
                                      "driver",
                                      "driver.manufacturer",
                                      "driver.model",
                                      "driver.fs_hz",
                                      "driver.qes",
                                      "driver.qms",
                                      "driver.qts",
                                      "driver.vas_l",
                                      "driver.re_ohm",
                                      "driver.le_mh",
                                      "driver.sd_cm2",
                                      "driver.xmax_mm",
                                      "driver.pe_max_w",
                                      "drivers",
                                      "drivers.count",
                                      "drivers.mounting",
                                      "drivers.wiring",
                                      "enclosure",
                                      "enclosure.kind",
                                      "enclosure.volume_l",
                                      "enclosure.leakage_q",
                                      "enclosure.radiator",
                                      "enclosure.radiator.count",
                                      "enclosure.radiator.sd_cm2",
                                      "enclosure.radiator.mass_g",
                                      "enclosure.radiator.added_mass_g",
                                      "enclosure.radiator.compliance_mm_per_n",
                                      "enclosure.radiator.qms",
                                      "enclosure.radiator.xmax_mm",
                                      "drive",
                                      "drive.power_w",
                                      "drive.source_resistance_ohm",
                                      "amplifier",
                                      "amplifier.rated_power_w",
                                      "amplifier.rated_load_ohm",
                                      "amplifier.current_limit_a",
                                      "filters",
                                      "environment",
                                      "environment.kind"};
        const QByteArray json = SerializeDesignSetup(s);
        QCOMPARE(keyOrder(json), expected);
        QVERIFY(json.startsWith("{\n  \"format\": \"dravik-design-setup\",\n  \"version\": 1,\n"));
        QVERIFY(json.contains("\n  \"filters\": [],\n"));
        QVERIFY(json.contains("\n    \"sd_cm2\": 1640.3,\n"));
        QVERIFY(json.contains("\n  \"amplifier\": {\n    \"rated_power_w\": null,\n"));
    }

    // The amplifier, the filters and the environment as written: the keys in
    // the published order, one a line.
    void partsAsWritten_data() {
        QTest::addColumn<DesignSetup>("setup");
        QTest::addColumn<QByteArray>("tail");
        FilterStage shelf = filter(FilterType::LowShelf, 30.0, 0.7071, 6.0);
        shelf.enabled = false;
        QTest::newRow("amplifier, filters, room")
            << with({pass(FilterType::HighPass, FilterAlignment::Q, 2, 18.0, 0.5),
                     transform(32.9, 0.38, 20.0, 0.5), shelf},
                    room(), {2500.0, 2.0, 1.0 / 3.0})
            << QByteArray(R"(  "amplifier": {
    "rated_power_w": 2500,
    "rated_load_ohm": 2,
    "current_limit_a": 0.3333333333
  },
  "filters": [
    {
      "type": "high-pass",
      "alignment": "q",
      "order": 2,
      "frequency_hz": 18,
      "q": 0.5,
      "enabled": true
    },
    {
      "type": "linkwitz-transform",
      "f0_hz": 32.9,
      "q0": 0.38,
      "fp_hz": 20,
      "qp": 0.5,
      "enabled": true
    },
    {
      "type": "low-shelf",
      "frequency_hz": 30,
      "q": 0.7071,
      "gain_db": 6,
      "enabled": false
    }
  ],
  "environment": {
    "kind": "room",
    "length_m": 5.2,
    "width_m": 4.1,
    "height_m": 2.4,
    "reverberation_s": 0.35,
    "source_m": [0.3, 0.3, 0],
    "listener_m": [3.1, 2.05, 1.1]
  }
}
)");
        QTest::newRow("car by its length")
            << with({}, car(std::nullopt, 2.8, 12.0)) << QByteArray(R"(  "environment": {
    "kind": "car",
    "cabin_length_m": 2.8,
    "slope_db_per_octave": 12,
    "max_gain_db": 40
  }
}
)");
    }
    void partsAsWritten() {
        QFETCH(DesignSetup, setup);
        QFETCH(QByteArray, tail);
        const QByteArray json = SerializeDesignSetup(setup);
        QVERIFY2(json.endsWith(tail), json.constData());
    }

    // Numbers are written with a point whatever the user's locale, and with
    // at most 10 significant digits.
    void numbersIgnoreTheLocale() {
        const QByteArray plain = SerializeDesignSetup(ofKind(BoxKind::Bandpass4));
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const QByteArray german = SerializeDesignSetup(ofKind(BoxKind::Bandpass4));
        QLocale::setDefault(QLocale::c());
        QCOMPARE(german, plain);
        QVERIFY(plain.contains("\"front_volume_l\": 31.36,"));
        DesignSetup s = fane();
        s.driver.fs = 1.0 / 3.0;
        QVERIFY(SerializeDesignSetup(s).contains("\"fs_hz\": 0.3333333333,"));
    }

    // The published layout reads as the values it shows, its filter too.
    void publishedLayoutReads() {
        const DesignSetup s = ParseDesignSetup(Layout);
        QVERIFY(s == fane());
        QCOMPARE(s.label, fane().label);
        QCOMPARE(s.driver.sd, std::optional<double>(0.16403));
        QCOMPARE(s.air.density, 1.18);
        QCOMPARE(s.air.soundSpeed, 345.0);
        QVERIFY(!s.air.conditions);
        QCOMPARE(s.enclosure.leakageQ, std::optional<double>(7.0));
        QVERIFY(!s.enclosure.ventQ);
        QCOMPARE(s.drive.given, DriveParameters::Given::Power);
        QCOMPARE(s.drive.powerW, std::optional<double>(600.0));
        QVERIFY(ParseDesignSetup(edited("[]", PublishedFilter)) ==
                with({pass(FilterType::HighPass, FilterAlignment::Butterworth, 4, 18.0)}));
    }

    // The amplifier's, a filter's and a car's keys left out take their
    // defaults.
    void partsTakeTheirDefaults_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<DesignSetup>("setup");
        QTest::newRow("amplifier without keys") << withAmplifier("{}") << fane();
        QTest::newRow("shelf without Q, filter without enabled")
            << withFilters(R"({"type": "high-shelf", "frequency_hz": 80, "gain_db": -4})")
            << with({filter(FilterType::HighShelf, 80.0, 0.7071, -4.0)});
        QTest::newRow("car without most gain")
            << withEnvironment(Car) << with({}, car(40.0, std::nullopt, 12.0, 40.0));
    }
    void partsTakeTheirDefaults() {
        QFETCH(QByteArray, json);
        QFETCH(DesignSetup, setup);
        QVERIFY(ParseDesignSetup(json) == setup);
    }

    // Keys left out take their defaults.
    void absentKeysTakeTheirDefaults() {
        const DesignSetup s = ParseDesignSetup(R"({"format": "dravik-design-setup", "version": 1,
            "driver": {"manufacturer": "", "model": "", "fs_hz": 30, "qes": 0.5, "qms": null,
                       "qts": 0.4, "vas_l": 100, "re_ohm": 4, "sd_cm2": 500, "xmax_mm": 10,
                       "pe_max_w": 300},
            "enclosure": {"kind": "vented", "volume_l": 100, "tuning_hz": 30, "vent_count": 2,
                          "vent_diameter_mm": 100},
            "drive": {"voltage_v": 20}})");
        QCOMPARE(s.label, QString());
        QVERIFY(s.air == AirProperties());
        QCOMPARE(s.air.density, 1.18);
        QVERIFY(s.drivers == DriverArrangement());
        QCOMPARE(s.drivers.count, 1);
        QCOMPARE(s.driver.leMh, std::optional<double>(0.0));
        QCOMPARE(s.enclosure.leakageQ, std::optional<double>(7.0));
        QVERIFY(!s.enclosure.ventQ);
        QCOMPARE(s.drive.given, DriveParameters::Given::Voltage);
        QCOMPARE(s.drive.voltageV, std::optional<double>(20.0));
        QCOMPARE(s.drive.sourceResistanceOhm, std::optional<double>(0.0));

        const DesignSetup r = ParseDesignSetup(withEnclosure(Radiator));
        QCOMPARE(r.enclosure.radiatorAddedMassG, std::optional<double>(0.0));
        QVERIFY(!r.enclosure.radiatorXmaxMm);
        QCOMPARE(r.enclosure.leakageQ, std::optional<double>(7.0));
    }

    // Air from conditions is derived as the program derives it.
    void airFromConditions() {
        const DesignSetup s = ParseDesignSetup(edited(
            R"({ "density_kg_m3": 1.18, "sound_speed_m_s": 345.0 })",
            R"({ "temperature_c": 20, "pressure_pa": 101325, "relative_humidity_percent": 30 })"));
        QVERIFY(s.air.conditions);
        QCOMPARE(s.air.conditions->temperatureC, 20.0);
        QVERIFY(std::abs(s.air.density - 1.20095) < 5e-6);
        QVERIFY(std::abs(s.air.soundSpeed - 343.684) < 5e-4);
    }

    // Every refusal names the key path.
    void refusals_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("report");
        const auto row = [](const char *name, const QByteArray &json, const QString &why) {
            QTest::newRow(name) << json << NotRead + why;
        };
        const QString dvDesign = QStringLiteral("\"format\": \"dravik-design-setup\"");
        row("another format", edited(dvDesign, "\"format\": \"dravik-design\""),
            "format: must be \"dravik-design-setup\": this is not a design setup");
        row("format missing", edited(dvDesign + ",", ""), "format: is missing");
        row("format a number", edited(dvDesign, "\"format\": 1"),
            "format: must be \"dravik-design-setup\": this is not a design setup");
        row("higher version", edited("\"version\": 1", "\"version\": 3"),
            "version: this program reads versions 1 and 2; this file is version 3");
        row("version 0", edited("\"version\": 1", "\"version\": 0"), "version: must be 1 or 2");
        row("version 1.5", edited("\"version\": 1", "\"version\": 1.5"), "version: must be 1 or 2");
        // A dual-coil driver's keys: only in version 2, and only as they fit.
        const QByteArray pe = "\"pe_max_w\": 600.0";
        const auto dual = [&](const char *coils, const char *wiring = nullptr) {
            QByteArray json = edited("\"version\": 1", "\"version\": 2");
            json.replace(pe, pe + ", \"coils\": " + coils);
            if (wiring)
                json.replace("\"wiring\": \"parallel\"",
                             QByteArray("\"wiring\": \"parallel\", \"coil_wiring\": ") + wiring);
            return json;
        };
        row("coils in a file of version 1",
            edited(pe, pe + ", \"coils\": {\"count\": 2, \"parameters_for\": \"series\"}"),
            "driver.coils: is a key of version 2; this file is version 1");
        row("an end correction in a file of version 1",
            edited("\"vent_q\": null", "\"vent_q\": null, \"vent_end_correction\": 0.85"),
            "enclosure.vent_end_correction: is a key of version 2; this file is version 1");
        row("units in a file of version 1",
            edited("\"version\": 1,", "\"version\": 1, \"units\": \"us\","),
            "units: is a key of version 2; this file is version 1");
        row("units misspelt", edited("\"version\": 1,", "\"version\": 2, \"units\": \"imperial\","),
            "units: must be \"metric\" or \"us\"");
        // The box as built: refused as the box's own rules refuse it.
        const auto built = [&](const char *construction) {
            QByteArray json = edited("\"version\": 1", "\"version\": 2");
            json.replace("\"filters\": []",
                         QByteArray("\"filters\": [], \"construction\": ") + construction);
            return json;
        };
        row("construction in a file of version 1",
            edited("\"filters\": []",
                   "\"filters\": [], \"construction\": {\"outside_mm\": [1, 2, 3], "
                   "\"wall_mm\": 1}"),
            "construction: is a key of version 2; this file is version 1");
        row("outside not three numbers", built(R"({"outside_mm": [800, 500], "wall_mm": 19})"),
            "construction.outside_mm: must be an array [width, height, depth]");
        row("a wall of half the depth", built(R"({"outside_mm": [800, 500, 38], "wall_mm": 19})"),
            "construction.wall_mm: must be less than half of every outside dimension");
        row("two dimensions to solve", built(R"({"outside_mm": [800, null, null], "wall_mm": 19})"),
            "construction.outside_mm: give at least two of the width, height and depth");
        row("bracing beyond the box",
            built(R"({"outside_mm": [200, 200, 200], "wall_mm": 19, "bracing_l": 10})"),
            "construction.bracing_l: the drivers, the vents and the bracing take 17.05 l, more "
            "than the 4.25 l inside"); // 162 mm cubed, the file's two vents 7.05 l
        row("a negative displacement",
            built(R"({"outside_mm": [800, 500, 600], "wall_mm": 19, "driver_displacement_l": -1})"),
            "construction.driver_displacement_l: must be a number of 0 or more");
        // A slot's keys: only in version 2, in place of the diameter.
        const auto slot = [&](const char *keys, bool withDiameter = false) {
            QByteArray json = edited("\"version\": 1", "\"version\": 2");
            if (!withDiameter)
                json.replace("\"vent_diameter_mm\": 152.0,", "");
            json.replace("\"vent_q\": null", QByteArray("\"vent_q\": null, ") + keys);
            return json;
        };
        row("a slot with a diameter",
            slot(R"("vent_shape": "slot", "vent_width_mm": 300, "vent_height_mm": 50)", true),
            "enclosure.vent_diameter_mm: is for round vents; a slot takes its width and height");
        row("a slot without its height", slot(R"("vent_shape": "slot", "vent_width_mm": 300)"),
            "enclosure.vent_height_mm: is missing");
        row("four walls shared",
            slot(R"("vent_shape": "slot", "vent_width_mm": 300, "vent_height_mm": 50, )"
                 R"("vent_shared_walls": 4)"),
            "enclosure.vent_shared_walls: must be 0, 1, 2 or 3");
        row("vents as ducts in a file of version 1",
            edited("\"vent_q\": null", "\"vent_q\": null, \"vents_as_ducts\": true"),
            "enclosure.vents_as_ducts: is a key of version 2; this file is version 1");
        row("a round vent's width", slot(R"("vent_width_mm": 300)", true),
            "enclosure.vent_width_mm: is for a slot vent; give vent_shape: \"slot\"");
        const auto coil = [&](const char *keys) {
            QByteArray json = edited("\"version\": 1", "\"version\": 2");
            json.replace(pe, pe + ", " + keys);
            return json;
        };
        row("a voice coil in a file of version 1",
            edited(pe, pe + ", \"voice_coil\": {\"model\": \"le\"}"),
            "driver.voice_coil: is a key of version 2; this file is version 1");
        row("an unknown coil model", coil(R"("voice_coil": {"model": "eddy"})"),
            "driver.voice_coil.model: must be \"le\", \"le-r2-l2\", \"wright\" or "
            "\"semi-inductance\"");
        row("another model's term",
            coil(R"("voice_coil": {"model": "wright", "krm": 0.004, "erm": 0.7, "kxm": 0.02, )"
                 R"("exm": 0.66, "r2_ohm": 3})"),
            "driver.voice_coil.r2_ohm: is an unknown key of the \"wright\" model");
        row("Le beside Wright's coil",
            coil(R"("voice_coil": {"model": "wright", "krm": 0.004, "erm": 0.7, "kxm": 0.02, )"
                 R"("exm": 0.66})")
                .replace("\"le_mh\": 0.0", "\"le_mh\": 0.5"),
            "driver.le_mh: must be 0 with the \"wright\" voice coil (driver.voice_coil)");
        row("creep as a string", coil(R"("creep": "some")"),
            "driver.creep: must be a number, not a string");
        row("three coils", dual(R"({"count": 3, "parameters_for": "series"})"),
            "driver.coils.count: must be 1 or 2");
        row("two coils given for nothing", dual(R"({"count": 2})"),
            "driver.coils.parameters_for: is missing");
        row("one coil given for two", dual(R"({"count": 1, "parameters_for": "series"})"),
            "driver.coils.parameters_for: must be \"one-coil\" for a driver of one coil");
        row("coil wiring of one coil", dual(R"({"count": 1})", "\"series\""),
            "drivers.coil_wiring: is only for drivers of two coils (driver.coils)");
        row("coil wiring misspelt",
            dual(R"({"count": 2, "parameters_for": "one-coil"})", "\"both\""),
            "drivers.coil_wiring: must be \"series\", \"parallel\" or \"one-coil\"");
        row("version as a string", edited("\"version\": 1", "\"version\": \"1\""),
            "version: must be a number, not a string");
        row("version missing", edited("\"version\": 1,", ""), "version: is missing");
        row("unknown key", edited("\"version\": 1,", "\"version\": 1, \"colour\": \"red\","),
            "colour: is an unknown key");
        row("key given twice",
            edited("\"tuning_hz\": 22.0", "\"tuning_hz\": 22.0, \"tuning_hz\": 30"),
            "enclosure.tuning_hz: is given twice");
        row("key given twice, once escaped",
            edited("\"tuning_hz\": 22.0", "\"tuning_hz\": 22.0, \"\\u0074uning_hz\": 30"),
            "enclosure.tuning_hz: is given twice");
        row("section given twice", edited("\"filters\": []", "\"drive\": {}, \"filters\": []"),
            "drive: is given twice");
        row("same key in two objects is fine, twice in the second is not",
            edited("\"kind\": \"half-space\"", "\"kind\": \"half-space\", \"kind\": \"room\""),
            "environment.kind: is given twice");
        row("like keys in objects of an array",
            edited("\"label\": \"Fane Colossus 18 XB, vented 240 l / 22 Hz\"",
                   "\"label\": [{\"a\": 1}, {\"a\": \"{\\\"a\\\": 2,\"}]"),
            "label: must be a string, not an array");
        row("key twice in an object of an array",
            edited("\"label\": \"Fane Colossus 18 XB, vented 240 l / 22 Hz\"",
                   "\"label\": [0, {\"a\": 1, \"a\": 2}]"),
            "label[1].a: is given twice");
        row("misspelt tuning", edited("\"tuning_hz\"", "\"tunning_hz\""),
            "enclosure.tunning_hz: is an unknown key for a \"vented\" enclosure");
        row("tuning of a closed box",
            withEnclosure(R"("enclosure": {"kind": "closed", "volume_l": 50, "tuning_hz": 30})"),
            "enclosure.tuning_hz: is an unknown key for a \"closed\" enclosure");
        row("radiator of a vented box",
            edited("\"vent_q\": null", "\"vent_q\": null, \"radiator\": {}"),
            "enclosure.radiator: is an unknown key for a \"vented\" enclosure");
        row("unknown driver key", edited("\"fs_hz\"", "\"fs\": 1, \"fs_hz\""),
            "driver.fs: is an unknown key");
        row("unknown drivers key", edited("\"count\": 1", "\"count\": 1, \"polarity\": 1"),
            "drivers.polarity: is an unknown key");
        row("driver renamed", edited("\"driver\": {", "\"speaker\": {"),
            "speaker: is an unknown key");
        row("driver missing", R"({"format": "dravik-design-setup", "version": 1})",
            "driver: is missing");
        row("required number missing", edited("\"fs_hz\": 32.9,", ""), "driver.fs_hz: is missing");
        row("model missing", edited("\"model\": \"Colossus 18 XB\",", ""),
            "driver.model: is missing");
        row("enclosure kind missing", edited("\"kind\": \"vented\",", ""),
            "enclosure.kind: is missing");
        row("vent diameter missing", edited("\"vent_diameter_mm\": 152.0,", ""),
            "enclosure.vent_diameter_mm: is missing");
        row("number as a string", edited("\"fs_hz\": 32.9", "\"fs_hz\": \"32.9\""),
            "driver.fs_hz: must be a positive number, not a string");
        row("count as a string", edited("\"count\": 1", "\"count\": \"1\""),
            "drivers.count: must be a whole number from 1 to 8");
        row("count true", edited("\"count\": 1", "\"count\": true"),
            "drivers.count: must be a whole number from 1 to 8");
        row("air an array",
            edited(R"({ "density_kg_m3": 1.18, "sound_speed_m_s": 345.0 })", "[1.18, 345]"),
            "air: must be an object, not an array");
        row("label a number",
            edited("\"label\": \"Fane Colossus 18 XB, vented 240 l / 22 Hz\"", "\"label\": 5"),
            "label: must be a string, not a number");
        row("manufacturer null", edited("\"manufacturer\": \"Fane\"", "\"manufacturer\": null"),
            "driver.manufacturer: must be a string, not null");
        row("document an array", "[1, 2]", "it is not one JSON object");
        row("fs null", edited("\"fs_hz\": 32.9", "\"fs_hz\": null"),
            "driver.fs_hz: must be a positive number, not null");
        row("fs an object", edited("\"fs_hz\": 32.9", "\"fs_hz\": {}"),
            "driver.fs_hz: must be a positive number, not an object");
        row("le null", edited("\"le_mh\": 0.0", "\"le_mh\": null"),
            "driver.le_mh: must be a number of 0 or more, not null");
        row("rs null", edited("\"source_resistance_ohm\": 0.0", "\"source_resistance_ohm\": null"),
            "drive.source_resistance_ohm: must be a number of 0 or more, not null");
        row("leakage false", edited("\"leakage_q\": 7.0", "\"leakage_q\": false"),
            "enclosure.leakage_q: must be a positive number or null, not false");
        row("qts and qms null",
            edited("\"qms\": 2.28,\n    \"qts\": 0.38", "\"qms\": null,\n    \"qts\": null"),
            "driver.qms: may be null only when qts is given");
        row("qes null", edited("\"qes\": 0.46", "\"qes\": null"),
            "driver.qes: must be a positive number, not null");
        row("fs zero", edited("\"fs_hz\": 32.9", "\"fs_hz\": 0"),
            "driver.fs_hz: must be a positive number");
        row("fs negative", edited("\"fs_hz\": 32.9", "\"fs_hz\": -32.9"),
            "driver.fs_hz: must be a positive number");
        // What opens can be saved: a number that the design's own unit
        // (m^2 for sd_cm2) cannot hold at the file's precision is refused.
        const QString keepsDigits =
            QStringLiteral(" that keeps its 10 significant digits in the design's own unit");
        row("sd the smallest number", edited("\"sd_cm2\": 1640.3", "\"sd_cm2\": 5e-324"),
            "driver.sd_cm2: must be a positive number" + keepsDigits);
        row("sd losing digits", edited("\"sd_cm2\": 1640.3", "\"sd_cm2\": 1.234567891e-316"),
            "driver.sd_cm2: must be a positive number" + keepsDigits);
        row("le negative", edited("\"le_mh\": 0.0", "\"le_mh\": -0.1"),
            "driver.le_mh: must be a number of 0 or more");
        row("rs negative",
            edited("\"source_resistance_ohm\": 0.0", "\"source_resistance_ohm\": -1"),
            "drive.source_resistance_ohm: must be a number of 0 or more");
        row("volume beyond the largest double",
            edited("\"volume_l\": 240.0", "\"volume_l\": 1.7976931348623157e308"),
            "enclosure.volume_l: must be a positive number");
        row("leakage zero", edited("\"leakage_q\": 7.0", "\"leakage_q\": 0"),
            "enclosure.leakage_q: must be a positive number or null");
        row("vent q negative", edited("\"vent_q\": null", "\"vent_q\": -3"),
            "enclosure.vent_q: must be a positive number or null");
        row("half a vent", edited("\"vent_count\": 1", "\"vent_count\": 1.5"),
            "enclosure.vent_count: must be a whole number of 1 or more");
        row("no vent", edited("\"vent_count\": 1", "\"vent_count\": 0"),
            "enclosure.vent_count: must be a whole number of 1 or more");
        row("no drivers", edited("\"count\": 1", "\"count\": 0"),
            "drivers.count: must be a whole number from 1 to 8");
        row("nine drivers", edited("\"count\": 1", "\"count\": 9"),
            "drivers.count: must be a whole number from 1 to 8");
        row("two and a half drivers", edited("\"count\": 1", "\"count\": 2.5"),
            "drivers.count: must be a whole number from 1 to 8");
        row("odd isobaric",
            edited("\"count\": 1, \"mounting\": \"normal\"",
                   "\"count\": 3, \"mounting\": \"isobaric\""),
            "drivers.count: must be even for isobaric mounting");
        row("series-parallel of two",
            edited("\"count\": 1, \"mounting\": \"normal\", \"wiring\": \"parallel\"",
                   "\"count\": 2, \"mounting\": \"normal\", \"wiring\": \"series-parallel\""),
            "drivers.count: must be even and at least 4 for series-parallel wiring");
        row("series-parallel of five",
            edited("\"count\": 1, \"mounting\": \"normal\", \"wiring\": \"parallel\"",
                   "\"count\": 5, \"mounting\": \"normal\", \"wiring\": \"series-parallel\""),
            "drivers.count: must be even and at least 4 for series-parallel wiring");
        row("unknown mounting", edited("\"normal\"", "\"stacked\""),
            "drivers.mounting: must be \"normal\" or \"isobaric\"");
        row("unknown wiring", edited("\"parallel\"", "\"Parallel\""),
            "drivers.wiring: must be \"parallel\", \"series\" or \"series-parallel\"");
        row("unknown kind", edited("\"kind\": \"vented\"", "\"kind\": \"horn\""),
            "enclosure.kind: must be \"vented\", \"closed\", \"passive-radiator\", "
            "\"bandpass-4\", \"bandpass-6\", \"transmission-line\", \"tapped-horn\" or "
            "\"front-loaded-horn\"");
        // A line's path: refused where the circuit could not solve it.
        const auto line = [](const char *from, const char *to) {
            QByteArray json = SerializeDesignSetup(ofKind(BoxKind::TransmissionLine));
            if (!json.contains(from))
                qFatal("the line holds no \"%s\"", from);
            return json.replace(from, to);
        };
        row("a driver off the segments' ends",
            line("\"driver_at_cm\": 35.5", "\"driver_at_cm\": 50"),
            "enclosure.driver_at_cm: must be at the path's start or between two segments (0 cm, "
            "35.5 cm, 75.5 cm, 195.5 cm)");
        row("a driver at the mouth", line("\"driver_at_cm\": 35.5", "\"driver_at_cm\": 255.5"),
            "enclosure.driver_at_cm: must be at the path's start or between two segments (0 cm, "
            "35.5 cm, 75.5 cm, 195.5 cm)");
        row("a negative area", line("\"end_area_cm2\": 300", "\"end_area_cm2\": -300"),
            "enclosure.segments[2].end_area_cm2: must be a positive number");
        row("a segment not joining the one before",
            line("\"start_area_cm2\": 300", "\"start_area_cm2\": 310"),
            "enclosure.segments[3].start_area_cm2: must be the area the segment before ends with");
        row("T of a flare that has none",
            line("\"flare\": \"parabolic\",", "\"flare\": \"parabolic\", \"t\": 0.5,"),
            "enclosure.segments[2].t: is an unknown key for a \"parabolic\" segment");
        {
            QByteArray json = SerializeDesignSetup(ofKind(BoxKind::TappedHorn));
            json.replace("\"t\": 0.6", "\"t\": 1.5");
            row("T above 1", json, "enclosure.segments[2].t: must be a number from 0 to 1");
            QByteArray more = SerializeDesignSetup(ofKind(BoxKind::FrontLoadedHorn));
            const QByteArray one = "{\n        \"flare\": \"exponential\",\n        \"length_cm\": "
                                   "180,\n        \"start_area_cm2\": 250,\n        "
                                   "\"end_area_cm2\": 5000\n      }";
            QByteArray seventeen = one;
            for (int i = 1; i < 17; ++i)
                seventeen += ", " + one;
            row("a 17th segment", more.replace(one, seventeen),
                "enclosure.segments: must hold 1 to 16 segments, not 17");
        }
        row("a line in a file of version 1",
            edited("\"kind\": \"vented\"", "\"kind\": \"transmission-line\""),
            "enclosure.kind: \"transmission-line\" is a kind of version 2; this file is version 1");
        row("radiator mass zero",
            withEnclosure(QString(Radiator).replace("\"mass_g\": 30", "\"mass_g\": 0")),
            "enclosure.radiator.mass_g: must be a positive number");
        row("radiator added mass null",
            withEnclosure(QString(Radiator).replace("\"mass_g\": 30", "\"mass_g\": 30, "
                                                                      "\"added_mass_g\": null")),
            "enclosure.radiator.added_mass_g: must be a number of 0 or more, not null");
        row("radiator added mass negative",
            withEnclosure(QString(Radiator).replace("\"mass_g\": 30", "\"mass_g\": 30, "
                                                                      "\"added_mass_g\": -1")),
            "enclosure.radiator.added_mass_g: must be a number of 0 or more");
        row("half a radiator",
            withEnclosure(QString(Radiator).replace("\"count\": 1", "\"count\": 0.5")),
            "enclosure.radiator.count: must be a whole number of 1 or more");
        row("radiator unknown key",
            withEnclosure(QString(Radiator).replace("\"qms\": 6", "\"qms\": 6, \"vas_l\": 3")),
            "enclosure.radiator.vas_l: is an unknown key");
        row("radiator missing",
            withEnclosure(R"("enclosure": {"kind": "passive-radiator", "volume_l": 20})"),
            "enclosure.radiator: is missing");
        row("radiator null",
            withEnclosure(
                R"("enclosure": {"kind": "passive-radiator", "volume_l": 20, "radiator": null})"),
            "enclosure.radiator: must be an object, not null");
        row("bandpass-6 without rear tuning",
            withEnclosure(R"("enclosure": {"kind": "bandpass-6", "rear_volume_l": 40,
                "rear_vent_count": 1, "rear_vent_diameter_mm": 100, "front_volume_l": 30,
                "front_tuning_hz": 80, "front_vent_count": 1, "front_vent_diameter_mm": 80})"),
            "enclosure.rear_tuning_hz: is missing");
        row("bandpass-4 with a plain volume",
            withEnclosure(R"("enclosure": {"kind": "bandpass-4", "volume_l": 40})"),
            "enclosure.volume_l: is an unknown key for a \"bandpass-4\" enclosure");
        row("air of both forms",
            edited("\"density_kg_m3\": 1.18", "\"density_kg_m3\": 1.18, \"temperature_c\": 20"),
            "air: give either density_kg_m3 and sound_speed_m_s or the conditions, not both");
        row("air without speed", edited(", \"sound_speed_m_s\": 345.0", ""),
            "air.sound_speed_m_s: is missing");
        row("air conditions incomplete",
            edited(R"({ "density_kg_m3": 1.18, "sound_speed_m_s": 345.0 })",
                   R"({ "temperature_c": 20, "pressure_pa": 101325 })"),
            "air.relative_humidity_percent: is missing");
        row("humidity above 100",
            edited(
                R"({ "density_kg_m3": 1.18, "sound_speed_m_s": 345.0 })",
                R"({ "temperature_c": 20, "pressure_pa": 101325, "relative_humidity_percent": 101 })"),
            "air.relative_humidity_percent: must be a number from 0 to 100");
        row("temperature far below freezing",
            edited(
                R"({ "density_kg_m3": 1.18, "sound_speed_m_s": 345.0 })",
                R"({ "temperature_c": -300, "pressure_pa": 101325, "relative_humidity_percent": 50 })"),
            "air.temperature_c: must be a number from -100 to 100");
        row("more vapour than air",
            edited(
                R"({ "density_kg_m3": 1.18, "sound_speed_m_s": 345.0 })",
                R"({ "temperature_c": 100, "pressure_pa": 1000, "relative_humidity_percent": 100 })"),
            "air: these conditions give no positive air density");
        row("density zero", edited("\"density_kg_m3\": 1.18", "\"density_kg_m3\": 0"),
            "air.density_kg_m3: must be a positive number");
        row("power and voltage",
            edited("\"power_w\": 600.0", "\"power_w\": 600.0, \"voltage_v\": 20"),
            "drive.voltage_v: cannot be given together with power_w");
        row("neither power nor voltage", edited("\"power_w\": 600.0, ", ""),
            "drive.power_w: is missing (give power_w or voltage_v)");
        row("power null", edited("\"power_w\": 600.0", "\"power_w\": null"),
            "drive.power_w: must be a positive number, not null");
        row("voltage zero", edited("\"power_w\": 600.0", "\"voltage_v\": 0"),
            "drive.voltage_v: must be a positive number");
        row("drive missing", edited("\"drive\"", "\"driving\""), "driving: is an unknown key");
        row("amplifier power alone", edited("\"rated_power_w\": null", "\"rated_power_w\": 1000"),
            "amplifier.rated_load_ohm: must be given with rated_power_w");
        row("amplifier load alone", withAmplifier(R"({"rated_load_ohm": 4})"),
            "amplifier.rated_power_w: must be given with rated_load_ohm");
        row("current limit as a string", withAmplifier(R"({"current_limit_a": "20"})"),
            "amplifier.current_limit_a: must be a positive number or null, not a string");
        row("amplifier unknown key",
            edited("\"current_limit_a\": null", "\"current_limit_a\": null, \"class\": null"),
            "amplifier.class: is an unknown key");
        row("amplifier null",
            edited(R"({ "rated_power_w": null, "rated_load_ohm": null, "current_limit_a": null })",
                   "null"),
            "amplifier: must be an object, not null");
        row("filters an object", edited("\"filters\": []", "\"filters\": {}"),
            "filters: must be an array, not an object");
        row("a room of one length",
            edited("\"kind\": \"half-space\"", "\"kind\": \"room\", \"length_m\": 5"),
            "environment.width_m: is missing");
        row("half space with a key",
            edited("\"kind\": \"half-space\"", "\"kind\": \"half-space\", \"corner_hz\": 40"),
            "environment.corner_hz: is an unknown key for a \"half-space\" environment");
        row("environment without kind", edited("\"kind\": \"half-space\"", ""),
            "environment.kind: is missing");
        row("environment kind a number", edited("\"kind\": \"half-space\"", "\"kind\": 2"),
            "environment.kind: must be \"full-space\", \"half-space\", \"quarter-space\", "
            "\"eighth-space\", \"car\" or \"room\"");
        row("quarter space with a room's key",
            withEnvironment(R"({"kind": "quarter-space", "length_m": 5})"),
            "environment.length_m: is an unknown key for a \"quarter-space\" environment");
        row("corner and cabin length",
            withEnvironment(spoilt(Car, "40", "40, \"cabin_length_m\": 3")),
            "environment.cabin_length_m: cannot be given together with corner_hz");
        row("neither corner nor cabin length",
            withEnvironment(spoilt(Car, "\"corner_hz\": 40, ", "")),
            "environment.corner_hz: is missing (give corner_hz or cabin_length_m)");
        row("corner of 2 kHz", withEnvironment(spoilt(Car, "40", "2000")),
            "environment: the cabin's corner frequency must be from 1 to 1000 Hz");
        row("cabin length as a string",
            withEnvironment(spoilt(Car, "\"corner_hz\": 40", "\"cabin_length_m\": \"3\"")),
            "environment.cabin_length_m: must be a positive number, not a string");
        row("most gain null", withEnvironment(spoilt(Car, "12", "12, \"max_gain_db\": null")),
            "environment.max_gain_db: must be a positive number, not null");
        row("car with a room's key", withEnvironment(spoilt(Car, "12", "12, \"width_m\": 2")),
            "environment.width_m: is an unknown key for a \"car\" environment");
        row("room of zero length", withEnvironment(spoilt(Room, ": 5", ": 0")),
            "environment.length_m: must be a positive number");
        row("negative reverberation", withEnvironment(spoilt(Room, "0.4", "-0.4")),
            "environment.reverberation_s: must be a positive number");
        row("reverberation of 0.1 ms", withEnvironment(spoilt(Room, "0.4", "1e-4")),
            "environment: the room's reverberation time T60 must be above 0 s and at most 100 s");
        row("listener outside the room", withEnvironment(spoilt(Room, "1.1]", "2.6]")),
            "environment: the listener must be inside the room");
        row("box at two numbers", withEnvironment(spoilt(Room, "0.3, 0]", "0.3]")),
            "environment.source_m[2]: is missing: a point is [x, y, z]");
        row("listener at four numbers", withEnvironment(spoilt(Room, "1.1]", "1.1, 0]")),
            "environment.listener_m[3]: is one too many: a point is [x, y, z]");
        row("listener's y as a string", withEnvironment(spoilt(Room, "3, 2,", "3, \"2\",")),
            "environment.listener_m[1]: must be a number of 0 or more, not a string");
        row("box as an object", withEnvironment(spoilt(Room, "[0.3, 0.3, 0]", "{}")),
            "environment.source_m: must be an array [x, y, z], not an object");

        row("nine filters", withFilters(QStringList(9, Peaking).join(", ")),
            "filters: must hold at most 8 filters, not 9");
        row("order 9", withFilters(Peaking + QString(", ") + spoilt(Butterworth, "4", "9")),
            "filters[1].order: must be a whole number from 1 to 8");
        row("order 2.5", withFilters(spoilt(Butterworth, "4", "2.5")),
            "filters[0].order: must be a whole number from 1 to 8");
        row("Linkwitz-Riley of order 3",
            withFilters(spoilt(Butterworth, "\"butterworth\", \"order\": 4",
                               "\"linkwitz-riley\", \"order\": 3")),
            "filters[0]: a Linkwitz-Riley filter's order must be 2, 4, 6 or 8");
        row("chosen Q without q", withFilters(spoilt(Butterworth, "\"butterworth\"", "\"q\"")),
            "filters[0].q: is missing");
        row("q of a Butterworth high-pass", withFilters(spoilt(Butterworth, "18", "18, \"q\": 1")),
            "filters[0].q: is an unknown key for a \"high-pass\" filter of alignment "
            "\"butterworth\"");
        row("unknown alignment", withFilters(spoilt(Butterworth, "butterworth", "chebyshev")),
            "filters[0].alignment: must be \"butterworth\", \"linkwitz-riley\", \"bessel\" or "
            "\"q\"");
        row("frequency zero", withFilters(spoilt(Butterworth, "18", "0")),
            "filters[0].frequency_hz: must be a positive number");
        row("frequency as a string", withFilters(spoilt(Butterworth, "18", "\"NaN\"")),
            "filters[0].frequency_hz: must be a positive number, not a string");
        row("frequency of 200 kHz", withFilters(spoilt(Butterworth, "18", "2e5")),
            "filters[0]: the corner frequency must be above 0 Hz and at most 100000 Hz");
        row("q of 0", withFilters(spoilt(Peaking, "2.5", "0")),
            "filters[0].q: must be a positive number");
        row("gain 1e308", withFilters(spoilt(Peaking, "-3", "1e308")),
            "filters[0]: the gain must be from -120 to 120 dB");
        row("gain as a string", withFilters(spoilt(Peaking, "-3", "\"-3\"")),
            "filters[0].gain_db: must be a number, not a string");
        row("transform by a pass filter's names",
            withFilters(R"({"type": "linkwitz-transform", "frequency_hz": 30, "q0": 0.4})"),
            "filters[0].frequency_hz: is an unknown key for a \"linkwitz-transform\" filter");
        row("unknown key in a filter", withFilters(spoilt(Peaking, "-3", "-3, \"slope\": 1")),
            "filters[0].slope: is an unknown key for a \"peaking\" filter");
        row("enabled as a string", withFilters(spoilt(Peaking, "-3", "-3, \"enabled\": \"true\"")),
            "filters[0].enabled: must be true or false, not a string");
        row("unknown type", withFilters(spoilt(Peaking, "peaking", "band-pass")),
            "filters[0].type: must be \"high-pass\", \"low-pass\", \"linkwitz-transform\", "
            "\"peaking\", \"low-shelf\", \"high-shelf\" or \"gain\"");
        row("filter as a number", withFilters(Peaking + QString(", 18")),
            "filters[1]: must be an object, not a number");
    }
    void refusals() {
        QFETCH(QByteArray, json);
        QFETCH(QString, report);
        QCOMPARE(errorOf([&] { ParseDesignSetup(json); }), report);
        // The same from a file, with its name.
        writeBytes(QStringLiteral("bad.dvsetup"), json);
        QString fromFile = report;
        fromFile.replace(NotRead, QStringLiteral("The setup file bad.dvsetup was not read: "));
        QCOMPARE(errorOf([] { ReadSetupFile(QStringLiteral("bad.dvsetup")); }), fromFile);
    }

    // A value allowed to be zero is read as zero.
    void zeroWhereAllowed() {
        QByteArray json = edited("\"le_mh\": 0.0", "\"le_mh\": -0.0");
        const DesignSetup s = ParseDesignSetup(json);
        QCOMPARE(s.driver.leMh, std::optional<double>(0.0));
        QVERIFY(!std::signbit(*s.driver.leMh));
        const DesignSetup r = ParseDesignSetup(withEnclosure(
            QString(Radiator).replace("\"mass_g\": 30", "\"mass_g\": 30, \"added_mass_g\": 0")));
        QCOMPARE(r.enclosure.radiatorAddedMassG, std::optional<double>(0.0));
    }

    // Invalid JSON is refused with the place where it breaks.
    void invalidJsonSaysWhere_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("where");
        QTest::newRow("missing comma")
            << edited("\"version\": 1,", "\"version\": 1") << "line 4, column 4 (byte 55)";
        QTest::newRow("NaN") << edited("32.9", "NaN") << "line 10, column";
        QTest::newRow("1e999") << edited("32.9", "1e999") << "line 10, column";
        QTest::newRow("empty") << QByteArray() << "line 1, column 1 (byte 0)";
        QTest::newRow("bad UTF-8")
            << QByteArray(Layout).replace("Fane\"", "Fa\xff\"") << "line 9, column";
    }
    void invalidJsonSaysWhere() {
        QFETCH(QByteArray, json);
        QFETCH(QString, where);
        const QString m = errorOf([&] { ParseDesignSetup(json); });
        QVERIFY2(m.startsWith(NotRead + "it is not valid JSON ("), qPrintable(m));
        QVERIFY2(m.contains(" at " + where), qPrintable(m));
    }

    // A file cut at any byte before its end is refused, and never crashes.
    void truncatedFilesAreRefused_data() {
        QTest::addColumn<DesignSetup>("s");
        DesignSetup s = ofKind(BoxKind::PassiveRadiator);
        s.label = QString::fromUtf8("\xc3\xbc\xf0\x9f\x94\x8a \"cut\"");
        QTest::newRow("radiator") << s;
        QTest::newRow("amplifier, filters, room")
            << with({pass(FilterType::HighPass, FilterAlignment::Q, 2, 20.0, 0.8), gain(3.0)},
                    room(), {1000.0, 4.0, 25.0});
    }
    void truncatedFilesAreRefused() {
        QFETCH(DesignSetup, s);
        const QByteArray json = SerializeDesignSetup(s);
        const qsizetype end = json.lastIndexOf('}');
        for (qsizetype n = 0; n <= end; ++n) {
            const QString m = errorOf([&] { ParseDesignSetup(json.left(n)); });
            QVERIFY2(m.startsWith(NotRead), qPrintable(QString::number(n) + ": " + m));
        }
        QVERIFY(ParseDesignSetup(json.left(end + 1)) == s);
    }

    // Deep nesting, numbers out of every range: refused, never a crash.
    void hostileInputsAreRefused_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("start");
        const QByteArray deep = QByteArray(10000, '[') + QByteArray(10000, ']');
        QTest::newRow("10,000 nested arrays") << deep << NotRead + "it is not valid JSON (";
        QTest::newRow("10,000 nested arrays as the label")
            << edited("\"Fane Colossus 18 XB, vented 240 l / 22 Hz\"", QString::fromLatin1(deep))
            << NotRead + "it is not valid JSON (";
        QTest::newRow("10,000 nested objects")
            << QByteArray("{\"a\":").repeated(10000) + "1" + QByteArray(10000, '}')
            << NotRead + "it is not valid JSON (";
        QTest::newRow("nested label within the limit")
            << edited("\"Fane Colossus 18 XB, vented 240 l / 22 Hz\"",
                      QString(500, '[') + QString(500, ']'))
            << NotRead + "label: must be a string, not an array";
        QTest::newRow("1e999") << edited("240.0", "1e999") << NotRead + "it is not valid JSON (";
        QTest::newRow("-1e999") << edited("240.0", "-1e999") << NotRead + "it is not valid JSON (";
        QTest::newRow("1e-999") << edited("240.0", "1e-999") << NotRead + "it is not valid JSON (";

        QTest::newRow("Infinity") << edited("240.0", "Infinity")
                                  << NotRead + "it is not valid JSON (";
        QTest::newRow("string NaN")
            << edited("240.0", "\"NaN\"")
            << NotRead + "enclosure.volume_l: must be a positive number, not a string";
        QTest::newRow("huge count")
            << edited("\"count\": 1", "\"count\": 1e308")
            << NotRead + "drivers.count: must be a whole number from 1 to 8";
        QTest::newRow("version 1e308")
            << edited("\"version\": 1", "\"version\": 1e308")
            << NotRead +
                   "version: this program reads versions 1 and 2; this file is version 1e+308";
        QTest::newRow("NUL bytes") << QByteArray(64, '\0') << NotRead + "it is not valid JSON (";
        QTest::newRow("garbage after the object")
            << QByteArray(Layout) + "{}" << NotRead + "it is not valid JSON (";
    }
    void hostileInputsAreRefused() {
        QFETCH(QByteArray, json);
        QFETCH(QString, start);
        const QString m = errorOf([&] { ParseDesignSetup(json); });
        QVERIFY2(m.startsWith(start), qPrintable(m));
    }

    // At most 1 MiB is read: one byte more is refused without being parsed.
    void sizeLimit_data() {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QString>("report");
        QTest::newRow("1 MiB") << qint64(1024 * 1024) << QString();
        QTest::newRow("1 MiB + 1")
            << qint64(1024 * 1024 + 1)
            << QStringLiteral("The setup file big.dvsetup was not read: it is larger than 1 MiB");
        QTest::newRow("2 GB")
            << qint64(2) * 1024 * 1024 * 1024
            << QStringLiteral("The setup file big.dvsetup was not read: it is larger than 1 MiB");
    }
    void sizeLimit() {
        QFETCH(qint64, size);
        QFETCH(QString, report);
        // The layout, then blanks up to the size: valid JSON however long.
        writeBytes(QStringLiteral("big.dvsetup"), Layout);
        QFile f(QStringLiteral("big.dvsetup"));
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.seek(f.size()));
        const qint64 blanks = std::min<qint64>(size, SetupFileMaxBytes + 1) - f.size();
        QCOMPARE(f.write(QByteArray(blanks, ' ')), blanks);
        QVERIFY(f.resize(size)); // a hole beyond 1 MiB + 1: NUL bytes
        f.close();
        QCOMPARE(errorOf([] { ReadSetupFile(QStringLiteral("big.dvsetup")); }), report);
    }

    // Names that are not regular files are refused with the program's file
    // messages.
    void notARegularFile_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("report");
        QTest::newRow("directory") << "directory" << QString(msg::IsDirectory);
        QTest::newRow("named pipe") << "fifo" << QString(msg::NotRegularFile);
        QTest::newRow("/dev/zero") << "zero" << QString(msg::NotRegularFile);
        QTest::newRow("link to /dev/zero") << "link" << QString(msg::NotRegularFile);
        QTest::newRow("no such file") << "missing" << QString(msg::FileNotFound);
        QTest::newRow("NUL in the name") << "nul" << QString(msg::InvalidFileName);
    }
    void notARegularFile() {
        QFETCH(QString, kind);
        QFETCH(QString, report);
        QString path = QStringLiteral("x.dvsetup");
        if (kind == "directory")
            QVERIFY(QDir().mkdir(path));
        else if (kind == "fifo")
            QCOMPARE(::mkfifo("x.dvsetup", 0644), 0);
        else if (kind == "zero")
            path = QStringLiteral("/dev/zero");
        else if (kind == "link")
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
        else if (kind == "nul")
            path = QStringLiteral("x") + QChar(0) + QStringLiteral(".dvsetup");
        QCOMPARE(errorOf([&] { ReadSetupFile(path); }), report);
        if (kind != "zero")
            QCOMPARE(errorOf([&] { WriteSetupFile(path, fane()); }),
                     report == QString(msg::FileNotFound) ? QString() : report);
    }

    // A design the file cannot hold faithfully is refused with a sentence
    // naming the value, and nothing is written.
    void unwritableDesigns_data() {
        QTest::addColumn<DesignSetup>("setup");
        QTest::addColumn<QString>("why");
        DesignSetup s = fane();
        s.driver.fs.reset();
        QTest::newRow("no Fs") << s << "it needs Fs (Driver page)";
        s = fane();
        s.driver.sd = -0.1;
        QTest::newRow("negative Sd") << s
                                     << "the effective piston diameter (Driver page) must be a "
                                        "positive number";
        s = fane();
        s.driver.xmaxMm = std::nan("");
        QTest::newRow("Xmax not a number") << s << "Xmax (Driver page) must be a positive number";
        s = fane();
        s.driver.qts.reset();
        s.driver.qms.reset();
        QTest::newRow("neither Qts nor Qms") << s << "it needs Qts or Qms (Driver page)";
        s = fane();
        s.driver.leMh.reset();
        QTest::newRow("no Le") << s << "it needs Le (this window)";
        s = fane();
        s.enclosure.ventCount = 1.5;
        QTest::newRow("half a vent")
            << s << "the number of vents (Vent page) must be a whole number of 1 or more";
        s = ofKind(BoxKind::PassiveRadiator);
        s.enclosure.radiatorMassG = 0.0;
        QTest::newRow("radiator without mass")
            << s << "the radiator's moving mass (this window) must be a positive number";
        s = ofKind(BoxKind::Bandpass6);
        s.enclosure.rearTuningHz.reset();
        QTest::newRow("no rear tuning") << s << "it needs the rear chamber's tuning (this window)";
        s = fane();
        s.drivers = {3, Mounting::Isobaric, Wiring::Parallel};
        QTest::newRow("odd isobaric")
            << s << "the number of drivers must be even for isobaric mounting";
        s = fane();
        s.drivers = {9, Mounting::Normal, Wiring::Parallel};
        QTest::newRow("nine drivers")
            << s << "the number of drivers must be a whole number from 1 to 8";
        s = fane();
        s.drive.given = DriveParameters::Given::Voltage;
        QTest::newRow("voltage not given")
            << s << "it needs a drive voltage above 0 V (this window)";
        s = fane();
        s.drive.powerW = std::numeric_limits<double>::infinity();
        QTest::newRow("infinite power")
            << s << "an input power above 0 W (this window) must be a positive number";
        s = fane();
        s.drive.sourceResistanceOhm = -0.5;
        QTest::newRow("negative Rs")
            << s << "the source resistance (this window) must be a number of 0 or more";
        s = fane();
        s.air.density = 0.0;
        QTest::newRow("no air density")
            << s << "the air density (this window) must be a positive number";
        s = fane();
        s.air = AirFromConditions({20.0, 101325.0, 120.0});
        QTest::newRow("humidity above 100")
            << s << "the relative humidity (this window) must be a number from 0 to 100";
        s = fane();
        s.air = AirFromConditions({100.0, 1000.0, 100.0});
        QTest::newRow("more vapour than air")
            << s << "the air conditions give no positive air density";
        s = fane();
        s.enclosure.vbLitres = 1.7976931348623157e308;
        QTest::newRow("Vb rounds beyond the largest double")
            << s << "Vb (Box page) must be a positive number";

        QTest::newRow("rated power without load")
            << with({}, {}, {1000.0, std::nullopt, std::nullopt})
            << "it needs the amplifier's rated load (this window) with the amplifier's rated power";
        QTest::newRow("current limit zero")
            << with({}, {}, {1000.0, 4.0, 0.0})
            << "the amplifier's current limit (this window) must be a positive number";
        QTest::newRow("nine filters") << with(std::vector<FilterStage>(9, gain(1.0)))
                                      << "the signal chain holds at most 8 filters";
        QTest::newRow("frequency not a number")
            << with(
                   {gain(1.0), pass(FilterType::LowPass, FilterAlignment::Bessel, 2, std::nan(""))})
            << "filter 2: the corner frequency must be above 0 Hz and at most 100000 Hz";
        ListeningSpace cabin = car(40.0, std::nullopt, 12.0);
        cabin.cabin.cornerFromLength = true;
        QTest::newRow("cabin by a length not given")
            << with({}, cabin) << "the cabin's length must be from 0.1 m to 1000 m";
        QTest::newRow("cabin of no slope")
            << with({}, car(40.0, std::nullopt, 0.0))
            << "the cabin's slope must be above 0 and at most 48 dB per octave";
        ListeningSpace outside = room();
        outside.room.listenerM[1] = 4.5;
        QTest::newRow("listener outside the room")
            << with({}, outside) << "the listener must be inside the room";
    }
    void unwritableDesigns() {
        QFETCH(DesignSetup, setup);
        QFETCH(QString, why);
        QCOMPARE(errorOf([&] { SerializeDesignSetup(setup); }), NotWritten + why);
        // An existing file stays as it was; a new one is not made.
        writeBytes(QStringLiteral("old.dvsetup"), "old");
        QCOMPARE(errorOf([&] { WriteSetupFile(QStringLiteral("old.dvsetup"), setup); }),
                 QStringLiteral("The setup file old.dvsetup was not written: ") + why);
        QCOMPARE(errorOf([&] { WriteSetupFile(QStringLiteral("new.dvsetup"), setup); }),
                 QStringLiteral("The setup file new.dvsetup was not written: ") + why);
        QCOMPARE(readAll(QStringLiteral("old.dvsetup")), QByteArray("old"));
        QCOMPARE(
            QDir().entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
            QStringList{"old.dvsetup"});
    }

    // A save replaces a file whole; a failed save leaves it as it was.
    void saveReplacesWholeFiles() {
        writeBytes(QStringLiteral("s.dvsetup"), QByteArray(5000, 'x'));
        WriteSetupFile(QStringLiteral("s.dvsetup"), ofKind(BoxKind::Closed));
        QCOMPARE(readAll(QStringLiteral("s.dvsetup")),
                 SerializeDesignSetup(ofKind(BoxKind::Closed)));
        QVERIFY(QFile::setPermissions(QStringLiteral("s.dvsetup"), QFile::ReadOwner));
        QCOMPARE(errorOf([] { WriteSetupFile(QStringLiteral("s.dvsetup"), fane()); }),
                 QString(msg::FileAccessDenied));
        QCOMPARE(readAll(QStringLiteral("s.dvsetup")),
                 SerializeDesignSetup(ofKind(BoxKind::Closed)));
        QCOMPARE(errorOf([] { WriteSetupFile(QStringLiteral("nowhere/s.dvsetup"), fane()); }),
                 QString(msg::PathNotFound));
    }
};

QTEST_GUILESS_MAIN(TestSetupFile)
#include "tst_setupfile.moc"
