#include "Fp.h"
#include "MeasureForm.h"
#include "SyntheticImpedance.h"
#include "TestFiles.h"

#include <QChart>
#include <QChartView>
#include <QGraphicsScene>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

using namespace dravik;
using namespace dravik::test;

namespace {

// A woofer with a lossy coil, as the Measure Driver window gets it from a file.
ElectricalModel woofer(double extraMassShare = 0.0) {
    ElectricalModel m;
    m.inductance = InductanceModel::Lossy;
    m.re = 6.0;
    m.le = 0.8e-3;
    m.r2 = 4.0;
    m.l2 = 1.2e-3;
    m.fs = 28.0 / std::sqrt(1.0 + extraMassShare);
    m.qms = 6.0;
    m.qes = 0.45;
    return m;
}

void writeCurve(const QString &path, const ImpedanceCurve &c) {
    writeBytes(path, ZmaLines(c).join(QLatin1Char('\n')).toUtf8() + '\n');
}

} // namespace

class TestMeasureForm : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    std::unique_ptr<TMeasureForm> form_;
    QString answer_; // what the file dialog returns
    QStringList errors_;
    int uses_ = 0;

    QString file(const QString &name) const { return dir_.filePath(name); }
    QLineEdit *field(const char *name) const {
        auto *edit = form_->findChild<QLineEdit *>(QLatin1String(name));
        if (!edit)
            qFatal("no field %s", name);
        return edit;
    }
    QChartView *view() const {
        return form_->findChild<QChartView *>(QStringLiteral("ImpedanceView"));
    }
    // Everything the chart draws, and what the window owns.
    qsizetype drawnItems() const { return view()->scene()->items().size(); }
    qsizetype ownedObjects() const { return form_->findChildren<QObject *>().size(); }

private slots:
    void initTestCase() {
        const std::vector<double> hz = LogGrid(10.0, 20000.0, 300);
        writeCurve(file("free_air.zma"), SyntheticCurve(woofer(), hz));
        writeCurve(file("mass.zma"), SyntheticCurve(woofer(0.15), hz));
        ImpedanceCurve noise;
        NormalNoise n(5);
        for (double f : hz) {
            noise.hz.push_back(f);
            noise.z.push_back(std::polar(3.0 + 57.0 * std::fabs(std::tanh(n.next())),
                                         std::tanh(n.next()) * 3.14159265358979323846 / 3.0));
        }
        writeCurve(file("noise.zma"), noise);
    }

    void init() {
        TMeasureForm::Hooks hooks;
        hooks.runCommand = [this](const std::function<void()> &command) {
            try {
                command();
            } catch (const DravikError &e) {
                errors_ << e.message();
            }
        };
        hooks.chooseOpenFile = [this](const QString &) { return std::optional<QString>(answer_); };
        hooks.useParameters = [this](const MeasuredDriver &) { ++uses_; };
        form_ = std::make_unique<TMeasureForm>(hooks);
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
        errors_.clear();
        uses_ = 0;
    }
    void cleanup() { form_.reset(); }

    void sameChartAfterManyCommands_data();
    void sameChartAfterManyCommands();
    void fileNameStartsInSight_data();
    void fileNameStartsInSight();
    void useRefuses_data();
    void useRefuses();
};

void TestMeasureForm::sameChartAfterManyCommands_data() {
    QTest::addColumn<bool>("fit");
    QTest::addColumn<int>("times");
    QTest::newRow("opened twice") << false << 2;
    QTest::newRow("opened 50 times") << false << 50;
    QTest::newRow("fitted twice") << true << 2;
    QTest::newRow("fitted 50 times") << true << 50;
}

// The thousandth command draws what the first drew and owns what it owned:
// one pair of axes, the two curves, no more items in the chart's scene.
void TestMeasureForm::sameChartAfterManyCommands() {
    QFETCH(bool, fit);
    QFETCH(int, times);
    answer_ = file("free_air.zma");
    const auto command = [&] {
        if (fit)
            form_->FitButtonClick();
        else
            form_->FreeAirButtonClick();
        QCoreApplication::processEvents();
    };
    form_->FreeAirButtonClick();
    command();
    const qsizetype items = drawnItems(), objects = ownedObjects();
    for (int i = 1; i < times; ++i)
        command();
    QCOMPARE(drawnItems(), items);
    QCOMPARE(ownedObjects(), objects);
    QCOMPARE(view()->chart()->axes(Qt::Horizontal).size(), 1);
    QCOMPARE(view()->chart()->axes(Qt::Vertical).size(), 1);
    QCOMPARE(view()->chart()->series().size(), 2);
    QVERIFY(errors_.isEmpty());
}

void TestMeasureForm::fileNameStartsInSight_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("short") << "free_air.zma";
    QTest::newRow("longer than the field")
        << "free_air_woofer_A_after_48_hours_of_break_in_at_20_degrees.zma";
}

// The start of the name tells measurements apart; the tooltip holds the path.
void TestMeasureForm::fileNameStartsInSight() {
    QFETCH(QString, name);
    QVERIFY(QFile::copy(file("free_air.zma"), file(name)) || QFile::exists(file(name)));
    answer_ = file(name);
    form_->FreeAirButtonClick();
    QLineEdit *shown = field("EFreeAirFile");
    QCOMPARE(shown->text(), name);
    // A field scrolls to keep its cursor in sight: at 0, the first letter is.
    QCOMPARE(shown->cursorPosition(), 0);
    QCOMPARE(shown->toolTip(), QDir::toNativeSeparators(file(name)));
}

void TestMeasureForm::useRefuses_data() {
    QTest::addColumn<QString>("curve");
    QTest::addColumn<QString>("sdCm2");
    QTest::addColumn<QString>("grams");
    QTest::addColumn<QString>("refusal"); // the start of the error; empty: used
    QTest::newRow("the woofer") << "free_air.zma"
                                << "500"
                                << "10"
                                << "";
    QTest::newRow("noise") << "noise.zma"
                           << ""
                           << ""
                           << "Use these parameters refuses this fit: the fit ";
    QTest::newRow("Sd 1e300") << "free_air.zma"
                              << "1e300"
                              << "10"
                              << "Use these parameters refuses Vas: it would read INF";
    QTest::newRow("mass 1e300 g") << "free_air.zma"
                                  << "500"
                                  << "1e300"
                                  << "Use these parameters refuses Vas: it would read 0.00";
}

// What no driver has, or the Driver page cannot show, goes nowhere: the
// refusal comes through the window's command, the hook is never called.
void TestMeasureForm::useRefuses() {
    QFETCH(QString, curve);
    QFETCH(QString, sdCm2);
    QFETCH(QString, grams);
    QFETCH(QString, refusal);
    answer_ = file(curve);
    form_->FreeAirButtonClick();
    answer_ = file("mass.zma");
    form_->AddedMass1ButtonClick();
    field("EAddedMass1")->setText(grams);
    field("ESd")->setText(sdCm2);
    form_->FitButtonClick();
    QVERIFY(errors_.isEmpty());
    form_->UseButtonClick();
    QCOMPARE(uses_, refusal.isEmpty() ? 1 : 0);
    QCOMPARE(errors_.size(), refusal.isEmpty() ? 0 : 1);
    if (!refusal.isEmpty())
        QVERIFY2(errors_.front().startsWith(refusal), qPrintable(errors_.front()));
    QCOMPARE(field("EFitStatus")->text().startsWith(QStringLiteral("Fitted in ")),
             curve != QLatin1String("noise.zma"));
}

QTEST_MAIN(TestMeasureForm)
#include "tst_measureform.moc"
