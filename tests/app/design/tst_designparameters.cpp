#include "DesignParameters.h"
#include "FieldTable.h"
#include "MemoryFieldStore.h"

#include <QTest>

using namespace dravik;
using dravik::test::MemoryFieldStore;

class TestDesignParameters : public QObject {
    Q_OBJECT
private slots:
    void setVbWritesAllFiveCopies() {
        MemoryFieldStore store;
        DesignParameters dp(store);
        dp.SetVb(240);
        for (const char *f : {"EVb", "ESVb", "EVb2", "EFinalVb", "EVb_Vent_PG"})
            QCOMPARE(store.text(QLatin1String(f)), QStringLiteral("240.00"));
        QCOMPARE(dp.GetVb(), 240.0);
        QCOMPARE(store.writes(QStringLiteral("EVb")), 1);
    }

    void setFbWritesTuningAndSealedResult() {
        MemoryFieldStore store;
        DesignParameters dp(store);
        dp.SetFb(22);
        QCOMPARE(store.text(QStringLiteral("EFb")), QStringLiteral("22.00"));
        QCOMPARE(store.text(QStringLiteral("ESFr")), QStringLiteral("22.00"));
        QCOMPARE(store.writes(QStringLiteral("ETargetFb")), 0);
    }

    void numberOfDriversIsWholeNumber() {
        MemoryFieldStore store;
        DesignParameters dp(store);
        store.setText(QStringLiteral("ENumOfDrivers"), QStringLiteral("2"));
        dp.SetNumOfDrivers(1);
        QCOMPARE(store.text(QStringLiteral("ENumOfDrivers")), QStringLiteral("1"));
    }

    void settersFormatTwoDecimals_data() {
        QTest::addColumn<QString>("field");
        QTest::newRow("EAlfa") << "EAlfa";
        QTest::newRow("Effs") << "Effs";
        QTest::newRow("ESd") << "ESd";
        QTest::newRow("EPeakSPL") << "EPeakSPL";
        QTest::newRow("EPar") << "EPar";
        QTest::newRow("EPer") << "EPer";
        QTest::newRow("ESPL") << "ESPL";
        QTest::newRow("ESPL100W") << "ESPL100W";
        QTest::newRow("E3dB") << "E3dB";
        QTest::newRow("ERecPwr") << "ERecPwr";
        QTest::newRow("ERecPwrResult") << "ERecPwrResult";
        QTest::newRow("EVentLength") << "EVentLength";
        QTest::newRow("EMinVentArea") << "EMinVentArea";
    }
    void settersFormatTwoDecimals() {
        QFETCH(QString, field);
        MemoryFieldStore store;
        DesignParameters dp(store);
        const QHash<QString, std::function<void(double)>> setters = {
            {"EAlfa", [&](double v) { dp.SetAlfa(v); }},
            {"Effs", [&](double v) { dp.SetFfs(v); }},
            {"ESd", [&](double v) { dp.SetSd(v); }},
            {"EPeakSPL", [&](double v) { dp.SetPeakSPL(v); }},
            {"EPar", [&](double v) { dp.SetPar(v); }},
            {"EPer", [&](double v) { dp.SetPer(v); }},
            {"ESPL", [&](double v) { dp.SetSPL(v); }},
            {"ESPL100W", [&](double v) { dp.SetSPL100W(v); }},
            {"E3dB", [&](double v) { dp.Set3dB(v); }},
            {"ERecPwr", [&](double v) { dp.SetRecPwr(v); }},
            {"ERecPwrResult", [&](double v) { dp.SetRecPwrResult(v); }},
            {"EVentLength", [&](double v) { dp.SetVentLength(v); }},
            {"EMinVentArea", [&](double v) { dp.SetMinVentArea(v); }},
        };
        setters.value(field)(-0.125);
        QCOMPARE(store.text(field), QStringLiteral("-0.13"));
        QCOMPARE(store.writes(field), 1);
    }

    void gettersParseFieldText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("default") << "0.38" << 0.38;
        QTest::newRow("spaces before") << "  0.38" << 0.38;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("spaces only") << "   " << 0.0;
        QTest::newRow("exponent") << "3.29E1" << 32.9;
        QTest::newRow("question mark") << "?" << 0.0;
    }
    void gettersParseFieldText() {
        QFETCH(QString, text);
        QFETCH(double, expected);
        MemoryFieldStore store;
        DesignParameters dp(store);
        store.setText(QStringLiteral("EQts"), text);
        QCOMPARE(dp.GetQts(), expected);
    }

    void gettersReadAfresh() {
        MemoryFieldStore store;
        DesignParameters dp(store);
        QCOMPARE(dp.GetFs(), 32.9);
        store.setText(QStringLiteral("EFs"), QStringLiteral("40"));
        QCOMPARE(dp.GetFs(), 40.0);
        dp.SetVb(100);
        QCOMPARE(dp.GetVb(), 100.0);
    }

    void defaultsReadAsDesigned() {
        MemoryFieldStore store;
        DesignParameters dp(store);
        QCOMPARE(dp.GetQts(), 0.38);
        QCOMPARE(dp.GetQes(), 0.46);
        QCOMPARE(dp.GetVas(), 226.0);
        QCOMPARE(dp.GetXmax(), 14.3);
        QCOMPARE(dp.GetDiam(), 485.0);
        QCOMPARE(dp.GetPEmax(), 600.0);
        QCOMPARE(dp.GetSens(), 100.0);
        QCOMPARE(dp.GetVb(), 240.0);
        QCOMPARE(dp.GetFb(), 22.0);
        QCOMPARE(dp.GetSQtot(), 0.6);
        QCOMPARE(dp.GetVentDiam(), 152.0);
        QCOMPARE(store.text(QStringLiteral("ESPLRef")), QStringLiteral("ESPLRef"));
    }

    void fieldTableHasUniqueNames() {
        QSet<QString> names;
        for (const FieldSpec &f : mainWindowFields())
            names.insert(QLatin1String(f.name));
        for (const ListSpec &l : mainWindowLists())
            names.insert(QLatin1String(l.name));
        for (const CheckSpec &c : mainWindowChecks())
            names.insert(QLatin1String(c.name));
        QCOMPARE(names.size(), qsizetype(mainWindowFields().size() + mainWindowLists().size() +
                                         mainWindowChecks().size()));
    }
};

QTEST_GUILESS_MAIN(TestDesignParameters)
#include "tst_designparameters.moc"
