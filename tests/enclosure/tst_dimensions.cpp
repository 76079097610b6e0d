#include "CalcTestSupport.h"
#include "Dimensions.h"

#include <QTest>

using namespace dravik;
using namespace dravik::test;

namespace {
const char *const ResultFields[] = {"ECalcFrontWidth",
                                    "ECalcFrontHeight",
                                    "ECalcTBWidth",
                                    "ECalcTBHeight",
                                    "ECalcSideWidth",
                                    "ECalcSideHeight",
                                    "E_OW",
                                    "E_OH",
                                    "E_OL"};
} // namespace

class TestDimensions : public QObject {
    Q_OBJECT
private slots:
    void dimensions_data() {
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("height");
        QTest::addColumn<QString>("thickness");
        QTest::addColumn<QString>("bracing");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("vent");
        QTest::addColumn<QStringList>("results"); // in the order of ResultFields
        QTest::newRow("150 l with a 6.09 l vent")
            << "650"
            << "700"
            << "25"
            << "10"
            << "150"
            << "6.09" << QStringList{"650.00", "700.00", "650.00", "438.69", "438.69",
                                     "650.00", "650.00", "700.00", "488.69"};
        QTest::newRow("empty box")
            << "650"
            << "700"
            << "25"
            << "10"
            << "0"
            << "0" << QStringList{"650.00", "700.00", "650.00", "0.00", "0.00",
                                  "650.00", "650.00", "700.00", "50.00"};
        // 156.09 l / 39 dm2 and 306.09 l / 39 dm2.
        QTest::newRow("no bracing")
            << "650"
            << "700"
            << "25"
            << "0"
            << "150"
            << "6.09" << QStringList{"650.00", "700.00", "650.00", "400.23", "400.23",
                                     "650.00", "650.00", "700.00", "450.23"};
        QTest::newRow("bracing doubles the box")
            << "650"
            << "700"
            << "25"
            << "100"
            << "150"
            << "6.09" << QStringList{"650.00", "700.00", "650.00", "784.85", "784.85",
                                     "650.00", "650.00", "700.00", "834.85"};
        // Inner width 40 - 50 mm: 171.09 l / (-0.1 x 6.5 dm2).
        QTest::newRow("inner width negative")
            << "40"
            << "700"
            << "25"
            << "10"
            << "150"
            << "6.09" << QStringList{"40.00",  "700.00", "40.00",  "-26321.54", "-26321.54",
                                     "650.00", "40.00",  "700.00", "-26271.54"};
        // 100 l in 4 x 5 dm inside: 5 dm deep.
        QTest::newRow("thin walls")
            << "402"
            << "502"
            << "1"
            << "0"
            << "100"
            << "0" << QStringList{"402.00", "502.00", "402.00", "500.00", "500.00",
                                  "500.00", "402.00", "502.00", "502.00"};
    }
    void dimensions() {
        QFETCH(QString, width);
        QFETCH(QString, height);
        QFETCH(QString, thickness);
        QFETCH(QString, bracing);
        QFETCH(QString, box);
        QFETCH(QString, vent);
        QFETCH(QStringList, results);
        CalcFixture t;
        t.set("EFrontWidth", width);
        t.set("EFrontHeight", height);
        t.set("EMaterialThickness", thickness);
        t.set("EBracing", bracing);
        t.set("EFinalVb", box);
        t.set("ECalcVentOuterVolume", vent);
        t.set("EVb", QStringLiteral("999")); // only EFinalVb counts
        ComputeDimensions(t.dp);
        QStringList written;
        for (const char *f : ResultFields)
            written << t.text(f);
        QCOMPARE(written, results);
    }

    void zeroInnerSectionFails_data() {
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("height");
        QTest::newRow("width twice the wall") << "50"
                                              << "700";
        QTest::newRow("height twice the wall") << "650"
                                               << "50";
    }
    void zeroInnerSectionFails() {
        QFETCH(QString, width);
        QFETCH(QString, height);
        CalcFixture t;
        t.set("EFrontWidth", width);
        t.set("EFrontHeight", height);
        t.set("EFinalVb", QStringLiteral("150"));
        QCOMPARE(FailureOf([&] { ComputeDimensions(t.dp); }), DivisionByZero);
        for (const char *f : ResultFields)
            QCOMPARE(t.writes(f), 0);
    }

    void otherPartListFieldsStayAsTheyAre() {
        CalcFixture t;
        t.set("EFinalVb", QStringLiteral("150"));
        ComputeDimensions(t.dp);
        for (const char *f :
             {"EMinMaterialThickness", "EQty1", "EQty2", "EQty3", "ERatioL", "EWoodThickness",
              "EVb2", "ELength", "EWidth", "EHeight", "EEstimatedWeight", "EFinalVb"})
            QCOMPARE(t.writes(f), f == QLatin1String("EFinalVb") ? 1 : 0);
        QVERIFY(t.lines("ListBox4").isEmpty());
        for (const char *f : ResultFields)
            QCOMPARE(t.writes(f), 1);
    }
};

QTEST_GUILESS_MAIN(TestDimensions)
#include "tst_dimensions.moc"
