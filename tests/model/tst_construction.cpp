// The box as built: gross and net volume, a solved dimension, the vents to
// cut and the panels, against closed forms and the builder's own checks.
#include "Construction.h"
#include "Enclosures.h"
#include "StartUpDesign.h"

#include <QTest>

#include <cmath>

using namespace dravik;

namespace {

constexpr double Inch = 25.4;              // mm
constexpr double CubicFoot = 28.316846592; // l

DesignSetup Built(BoxKind kind, double w, double h, double d, double wall) {
    DesignSetup s = test::StartUpVented(50.0, 35.0);
    s.enclosure.kind = kind;
    s.enclosure.ventDiameterMm = 100.0;
    s.enclosure.frontVolumeLitres = 30.0;
    s.air.soundSpeed = 344.0;
    s.construction.outsideMm = {w, h, d};
    s.construction.wallMm = wall;
    return s;
}

} // namespace

class TestConstruction : public QObject {
    Q_OBJECT

private slots:
    // 34 x 13 x 18 inches outside, 3/4-inch walls: 32.5 x 11.5 x 16.5
    // inches inside, 3.5688 cubic feet.
    void grossVolumeOfTheCarAudioBox() {
        DesignSetup s = Built(BoxKind::Closed, 34 * Inch, 13 * Inch, 18 * Inch, 0.75 * Inch);
        const std::optional<BuiltBox> box = BuildBox(s);
        QVERIFY(box && box->fault.isEmpty());
        QVERIFY(std::fabs(box->grossLitres / CubicFoot - 3.5688) < 5e-5);
        QVERIFY(std::fabs(box->grossLitres - 101.057) < 5e-4);
        QCOMPARE(box->netLitres, box->grossLitres); // nothing in it
    }

    // A 10 cm vent in 50 l tuned to 35 Hz, c 344 m/s: effective 38.44 cm,
    // cut to 31.12 cm, its first pipe resonance 447.5 Hz.
    void ventCutForItsTuning() {
        const CutVent v = CutVentOf(1.0, RoundVentSection(100.0), 50.0, 35.0, 344.0);
        QVERIFY(std::fabs(v.effectiveMm - 384.4) < 0.05);
        QVERIFY(std::fabs(v.physicalMm - 311.2) < 0.05);
        QVERIFY(std::fabs(v.pipeResonanceHz - 447.5) < 0.05);
        // The tube's outer diameter, 6 mm more, times its length.
        QVERIFY(std::fabs(v.displacementLitres - M_PI / 4.0 * 0.106 * 0.106 * v.physicalMm) <
                1e-12);
        // Two flanged ends take 0.85 diameters off; the pipe stays as long.
        const CutVent flanged = CutVentOf(1.0, RoundVentSection(100.0), 50.0, 35.0, 344.0, 0.85);
        QVERIFY(std::fabs(flanged.physicalMm - (v.effectiveMm - 85.0)) < 1e-9);
        QCOMPARE(flanged.pipeResonanceHz, v.pipeResonanceHz);
    }

    // A slot's own walls with 0 to 3 of its sides the box's: its outside
    // less its inside is the wood of its panels, for any length; the
    // car-audio slot, 13 x 3.25 in in a corner of three walls and 30 in
    // long, takes 0.903 cubic feet of a 3/4-inch box.
    void slotWallsAndDisplacement_data() {
        QTest::addColumn<int>("shared");
        QTest::addColumn<int>("widthPanels");
        QTest::addColumn<int>("heightPanels");
        QTest::newRow("free standing") << 0 << 2 << 2;
        QTest::newRow("on the floor") << 1 << 1 << 2;
        QTest::newRow("in a corner") << 2 << 1 << 1;
        QTest::newRow("between three walls") << 3 << 1 << 0;
    }
    void slotWallsAndDisplacement() {
        QFETCH(int, shared);
        QFETCH(int, widthPanels);
        QFETCH(int, heightPanels);
        const double w = 13 * Inch, h = 3.25 * Inch, t = 0.75 * Inch, length = 30 * Inch;
        const VentSection slot = SlotVentSection(w, h, shared, t);
        QCOMPARE(slot.areaMm2, w * h);
        QVERIFY(std::fabs(M_PI / 4.0 * slot.diameterMm * slot.diameterMm - w * h) < 1e-9);
        const std::vector<Panel> panels = SlotWallPanels(w, h, shared, t, length, 2, "");
        double wood = 0.0;
        for (const Panel &p : panels) {
            QCOMPARE(p.heightMm, length);
            wood += p.count * p.widthMm * p.thicknessMm;
        }
        QCOMPARE(panels.front().count, 2 * widthPanels);
        QCOMPARE(panels.front().widthMm, w + heightPanels * t);
        QCOMPARE(panels.size() > 1 ? panels.back().count : 0, 2 * heightPanels);
        QVERIFY(std::fabs(2.0 * (slot.outerAreaMm2 - w * h) - wood) < 1e-6);
        if (shared == 3)
            QVERIFY(std::fabs(slot.outerAreaMm2 * length * 1e-6 / CubicFoot - 0.903) < 5e-4);
    }

    // Any one outside dimension left out is solved so that the net volume
    // is the design's, for every kind and what stands in the box.
    void solvedDimensionHoldsTheDesignsVolume_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("missing");
        for (BoxKind kind :
             {BoxKind::Closed, BoxKind::Vented, BoxKind::Bandpass4, BoxKind::Bandpass6})
            for (int missing = 0; missing < 3; ++missing)
                QTest::addRow("kind %d, dimension %d", int(kind), missing) << int(kind) << missing;
    }
    void solvedDimensionHoldsTheDesignsVolume() {
        QFETCH(int, kind);
        QFETCH(int, missing);
        DesignSetup s = Built(BoxKind(kind), 500.0, 400.0, 450.0, 18.0);
        s.drivers.count = 2;
        s.construction.driverDisplacementLitres = 2.5;
        s.construction.bracingLitres = 1.0;
        s.construction.outsideMm[size_t(missing)].reset();
        const std::optional<BuiltBox> box = BuildBox(s);
        QVERIFY(box);
        QVERIFY2(box->fault.isEmpty(), qPrintable(box->fault));
        QCOMPARE(box->solved, missing);
        QVERIFY(std::fabs(box->netLitres - *DesignVolumeLitres(s)) < 1e-9);
        // Net is gross less each thing in the box, the vents by their cut.
        double vents = 0.0;
        for (const CutVent &v : box->vents)
            vents += v.displacementLitres;
        const double w = box->outsideMm[0] - 36.0, h = box->outsideMm[1] - 36.0;
        const double divider =
            s.enclosure.kind == BoxKind::Bandpass4 || s.enclosure.kind == BoxKind::Bandpass6
                ? w * h * 18.0 * 1e-6
                : 0.0;
        QVERIFY(std::fabs(box->grossLitres - 5.0 - 1.0 - vents - divider - box->netLitres) < 1e-9);
    }

    // The panels and the inside fill the outside exactly: nothing cut twice,
    // nothing missing.
    void panelsFillTheOutside_data() {
        QTest::addColumn<int>("kind");
        QTest::newRow("closed") << int(BoxKind::Closed);
        QTest::newRow("bandpass, with its divider") << int(BoxKind::Bandpass4);
    }
    void panelsFillTheOutside() {
        QFETCH(int, kind);
        const DesignSetup s = Built(BoxKind(kind), 863.6, 330.2, 457.2, 19.05);
        const BuiltBox box = *BuildBox(s);
        double wood = 0.0;
        for (const Panel &p : box.panels)
            wood += p.count * p.widthMm * p.heightMm * p.thicknessMm * 1e-6;
        const bool divider = BoxKind(kind) == BoxKind::Bandpass4;
        const double dividerLitres =
            divider ? box.panels.back().widthMm * box.panels.back().heightMm * 19.05 * 1e-6 : 0.0;
        QVERIFY(std::fabs(wood - dividerLitres + box.grossLitres - 863.6 * 330.2 * 457.2 * 1e-6) <
                1e-9);
        QCOMPARE(int(box.panels.size()), divider ? 4 : 3);
    }

    // Cut dimensions as a saw's rule reads them: millimetres to the tenth,
    // inches to the nearest sixteenth.
    void cutDimensions_data() {
        QTest::addColumn<double>("mm");
        QTest::addColumn<bool>("us");
        QTest::addColumn<QString>("text");
        QTest::newRow("34 in") << 863.6 << true << "34 in";
        QTest::newRow("3/4 in") << 19.05 << true << "3/4 in";
        QTest::newRow("32 1/2 in") << 825.5 << true << "32 1/2 in";
        QTest::newRow("a sixteenth") << 25.4 / 16.0 << true << "1/16 in";
        QTest::newRow("nearest sixteenth") << 100.0 << true << "3 15/16 in"; // 3.937 in
        QTest::newRow("metric") << 825.5 << false << "825.5 mm";
    }
    void cutDimensions() {
        QFETCH(double, mm);
        QFETCH(bool, us);
        QFETCH(QString, text);
        QCOMPARE(CutDimensionText(mm, us ? UnitSystem::Us : UnitSystem::Metric), text);
    }

    // The cut sheet's CSV: its comment lines before the header, a line per
    // panel whose dimensions are the panels'.
    void cutSheetCsv() {
        const DesignSetup s = Built(BoxKind::Bandpass4, 800.0, 500.0, 600.0, 19.0);
        const BuiltBox box = *BuildBox(s);
        const QStringList lines = CutSheetCsvLines(box, QStringLiteral("a box\nwith a newline"));
        QCOMPARE(lines.size(), 3 + int(box.panels.size()));
        QVERIFY(lines[0].startsWith('#') && lines[1].startsWith('#'));
        QVERIFY(!lines[0].contains('\n'));
        QCOMPARE(lines[2], QStringLiteral("panel,count,width_mm,height_mm,thickness_mm"));
        QCOMPARE(lines[3], QStringLiteral("front/back,2,800.00,500.00,19.00"));
        QCOMPARE(lines.last(), QStringLiteral("divider,1,762.00,462.00,19.00"));
    }

    // What cannot be built is refused naming the key, and builds nothing.
    void refusals_data() {
        QTest::addColumn<QVariantList>("outside"); // width, height, depth; invalid: left out
        QTest::addColumn<double>("wall");
        QTest::addColumn<double>("drivers");
        QTest::addColumn<QString>("fault");
        QTest::newRow("a wall of half a dimension")
            << QVariantList{500.0, 400.0, 36.0} << 18.0 << 0.0
            << "construction.wall_mm: must be less than half of every outside dimension";
        QTest::newRow("two dimensions left out")
            << QVariantList{500.0, QVariant(), QVariant()} << 18.0 << 0.0
            << "construction.outside_mm: give at least two of the width, height and depth";
        QTest::newRow("a negative displacement")
            << QVariantList{500.0, 400.0, 450.0} << 18.0 << -1.0
            << "construction.driver_displacement_l: must be zero or more";
        QTest::newRow("drivers larger than the box")
            << QVariantList{200.0, 200.0, 200.0} << 18.0 << 20.0
            << "construction.driver_displacement_l: the drivers, the vents and the bracing take "
               "20.00 l, more than the 4.41 l inside"; // 164 mm cubed
        QTest::newRow("a negative wall") << QVariantList{500.0, 400.0, 450.0} << -3.0 << 0.0
                                         << "construction.wall_mm: must be a positive number";
        QTest::newRow("a slot wider than the box")
            << QVariantList{400.0, 400.0, 450.0} << 18.0 << 0.0
            << "enclosure.vent_width_mm: a slot wider than the box's inside (364.00 mm) does "
               "not fit";
        QTest::newRow("a slot sharing four walls")
            << QVariantList{500.0, 400.0, 450.0} << 18.0 << 0.0
            << "enclosure.vent_shared_walls: must be 0, 1, 2 or 3";
    }
    void refusals() {
        QFETCH(QVariantList, outside);
        QFETCH(double, wall);
        QFETCH(double, drivers);
        QFETCH(QString, fault);
        const bool slot = fault.startsWith("enclosure.");
        DesignSetup s = Built(slot ? BoxKind::Vented : BoxKind::Closed, 0, 0, 0, wall);
        if (slot) {
            s.enclosure.ventSlotWidthMm = 380.0;
            s.enclosure.ventSlotHeightMm = 30.0;
            s.enclosure.ventSharedWalls = fault.contains("walls") ? 4.0 : 2.0;
        }
        for (int i = 0; i < 3; ++i)
            s.construction.outsideMm[size_t(i)] =
                outside[i].isValid() ? std::optional<double>(outside[i].toDouble()) : std::nullopt;
        s.construction.driverDisplacementLitres = drivers;
        const std::optional<BuiltBox> box = BuildBox(s);
        QVERIFY(box);
        QCOMPARE(box->fault, fault);
        QVERIFY(box->panels.empty());
        // Without any of it, there is no construction to refuse.
        QVERIFY(!BuildBox(test::StartUpVented()));
    }
};

QTEST_GUILESS_MAIN(TestConstruction)
#include "tst_construction.moc"
