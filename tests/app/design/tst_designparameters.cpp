#include "DesignParameters.h"
#include "FieldTable.h"
#include "MemoryFieldStore.h"

#include <QTest>

using namespace dravik;
using dravik::test::MemoryFieldStore;

Q_DECLARE_METATYPE(std::function<void(dravik::DesignParameters &)>)

class TestDesignParameters : public QObject {
    Q_OBJECT
private slots:
    // Each setter writes its own fields, formatted "%.2f", and no other.
    void settersWriteTheirFields_data() {
        QTest::addColumn<std::function<void(DesignParameters &)>>("set");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QString>("text");
        using Set = std::function<void(DesignParameters &)>;
        const auto row = [](const char *name, Set set, QStringList fields,
                            const char *text = "-0.13") {
            QTest::newRow(name) << set << fields << QString::fromLatin1(text);
        };
        row(
            "SetVb", [](DesignParameters &dp) { dp.SetVb(240); },
            {"EVb", "ESVb", "EVb2", "EFinalVb", "EVb_Vent_PG"}, "240.00");
        row(
            "SetFb", [](DesignParameters &dp) { dp.SetFb(22); }, {"EFb", "ESFr"}, "22.00");
        row(
            "SetNumOfDrivers", [](DesignParameters &dp) { dp.SetNumOfDrivers(3); },
            {"ENumOfDrivers"}, "3");
        row("SetAlfa", [](DesignParameters &dp) { dp.SetAlfa(-0.125); }, {"EAlfa"});
        row("SetFfs", [](DesignParameters &dp) { dp.SetFfs(-0.125); }, {"Effs"});
        row("SetSd", [](DesignParameters &dp) { dp.SetSd(-0.125); }, {"ESd"});
        row("SetPeakSPL", [](DesignParameters &dp) { dp.SetPeakSPL(-0.125); }, {"EPeakSPL"});
        row("SetPar", [](DesignParameters &dp) { dp.SetPar(-0.125); }, {"EPar"});
        row("SetPer", [](DesignParameters &dp) { dp.SetPer(-0.125); }, {"EPer"});
        row("SetSPL", [](DesignParameters &dp) { dp.SetSPL(-0.125); }, {"ESPL"});
        row("SetSPL100W", [](DesignParameters &dp) { dp.SetSPL100W(-0.125); }, {"ESPL100W"});
        row("Set3dB", [](DesignParameters &dp) { dp.Set3dB(-0.125); }, {"E3dB"});
        row("SetRecPwr", [](DesignParameters &dp) { dp.SetRecPwr(-0.125); }, {"ERecPwr"});
        row("SetRecPwrResult", [](DesignParameters &dp) { dp.SetRecPwrResult(-0.125); },
            {"ERecPwrResult"});
        row("SetVentLength", [](DesignParameters &dp) { dp.SetVentLength(-0.125); },
            {"EVentLength"});
        row("SetMinVentArea", [](DesignParameters &dp) { dp.SetMinVentArea(-0.125); },
            {"EMinVentArea"});
    }
    void settersWriteTheirFields() {
        QFETCH(std::function<void(DesignParameters &)>, set);
        QFETCH(QStringList, fields);
        QFETCH(QString, text);
        MemoryFieldStore store;
        DesignParameters dp(store);
        set(dp);
        for (const FieldSpec &f : mainWindowFields()) {
            const QString name = QLatin1String(f.name);
            const QString expected =
                fields.contains(name) ? text : QString::fromUtf8(f.defaultText);
            QVERIFY2(store.text(name) == expected, qPrintable(name));
        }
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
