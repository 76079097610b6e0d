// The path editor driven as a script drives it: fields typed, choices and
// buttons clicked. The path stays continuous, a refusal is the sentence the
// window shows and leaves the path as it was, and US units convert only
// what is typed.
#include "Fp.h"
#include "PathEditor.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace dravik;

namespace {

// The editor behind a command wrapper that keeps what it refused, and a
// count of the edits it reported.
struct Editor {
    QStringList refusals;
    int changes = 0;
    TPathEditor widget{[this](const std::function<void()> &edit) {
                           try {
                               edit();
                           } catch (const DravikError &e) {
                               refusals << e.message();
                           }
                       },
                       [this] { ++changes; }};

    template <class W> W *child(const char *name) {
        return widget.findChild<W *>(QString::fromLatin1(name));
    }
    void set(const char *field, const char *text) {
        child<QLineEdit>(field)->setText(QString::fromLatin1(text));
    }
    QString text(const char *field) { return child<QLineEdit>(field)->text(); }
    void click(const char *button) { child<QPushButton>(button)->click(); }
    void choose(const char *choice) { child<QRadioButton>(choice)->click(); }
    void select(int row) { child<QListWidget>("SegmentTable")->setCurrentRow(row); }
    QString line(int row) { return child<QListWidget>("SegmentTable")->item(row)->text(); }
    // Types a segment's flare, length and end area and adds it.
    void add(const char *flare, const char *length, const char *end) {
        choose(flare);
        set("ESegmentLength", length);
        set("ESegmentEndArea", end);
        click("AddSegmentButton");
    }
};

PathSegment Segment(Flare flare, double length, double start, double end) {
    return {flare, length, start, end, 1.0, std::nullopt};
}

// A conical throat, an exponential flare and a uniform end: 225 cm.
const std::vector<PathSegment> ThreeSegments = {Segment(Flare::Conical, 100, 100, 400),
                                                Segment(Flare::Exponential, 75, 400, 2400),
                                                Segment(Flare::Uniform, 50, 2400, 2400)};

} // namespace

class TestPathEditor : public QObject {
    Q_OBJECT
private slots:
    void addJoinsEachSegmentToTheLast() {
        Editor e;
        e.set("ESegmentStartArea", "100");
        e.add("ConicalFlareChoice", "100", "400");
        e.add("ExponentialFlareChoice", "75", "2400");
        QCOMPARE(e.text("ESegmentStartArea"), QStringLiteral("2400"));
        e.add("UniformFlareChoice", "50", "9999"); // a uniform segment keeps its start area
        QVERIFY(e.refusals.isEmpty());
        QCOMPARE(e.widget.segments(), ThreeSegments);
        QCOMPARE(e.changes, 3);
        QVERIFY(e.line(1).startsWith(QStringLiteral("2. exponential, 75 cm, 400 to 2400 cm^2, "
                                                    "cut-off ")));
        QVERIFY(
            e.child<QLabel>("PathVolumeLabel")->text().endsWith(QStringLiteral(" 225 cm long.")));
    }

    void applyTakesTheNextStartAlong() {
        Editor e;
        e.widget.setPath(ThreeSegments, Mouth::BaffledPiston);
        e.select(0);
        e.set("ESegmentEndArea", "500");
        e.click("ApplySegmentButton");
        const std::vector<PathSegment> joined = {Segment(Flare::Conical, 100, 100, 500),
                                                 Segment(Flare::Exponential, 75, 500, 2400),
                                                 Segment(Flare::Uniform, 50, 2400, 2400)};
        QCOMPARE(e.widget.segments(), joined);
        // A uniform segment after it keeps its one area: its end follows too.
        e.select(1);
        e.set("ESegmentEndArea", "3000");
        e.click("ApplySegmentButton");
        QCOMPARE(e.widget.segments()[2], Segment(Flare::Uniform, 50, 3000, 3000));
        QCOMPARE(e.changes, 2);
    }

    void refusalsLeaveThePath_data() {
        QTest::addColumn<int>("segments");
        QTest::addColumn<QString>("flare");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("fault");
        const QString add = QStringLiteral("AddSegmentButton");
        QTest::newRow("T above 1")
            << 3 << "HyperbolicFlareChoice"
            << "ESegmentT"
            << "1.5" << add << "enclosure.segments[3].t: must be from 0 to 1.";
        QTest::newRow("a 17th segment")
            << 16 << "ConicalFlareChoice"
            << "ESegmentLength"
            << "10" << add << "enclosure.segments: at most 16 segments.";
        QTest::newRow("a start off the path") << 3 << "ExponentialFlareChoice"
                                              << "ESegmentStartArea"
                                              << "300"
                                              << "ApplySegmentButton"
                                              << "enclosure.segments[1].start_area_cm2: must be "
                                                 "the area the segment before ends with.";
    }
    void refusalsLeaveThePath() {
        QFETCH(int, segments);
        QFETCH(QString, flare);
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, button);
        QFETCH(QString, fault);
        std::vector<PathSegment> path = ThreeSegments;
        path.resize(size_t(segments), ThreeSegments.back());
        Editor e;
        e.widget.setPath(path, Mouth::BaffledPiston);
        e.select(1);
        e.widget.findChild<QRadioButton *>(flare)->click();
        e.widget.findChild<QLineEdit *>(field)->setText(typed);
        e.widget.findChild<QPushButton *>(button)->click();
        QCOMPARE(e.refusals, QStringList{fault});
        QCOMPARE(e.widget.segments(), path);
        QCOMPARE(e.changes, 0);
    }

    void usUnitsConvertOnlyWhatIsTyped() {
        Editor e;
        e.widget.setUnits(UnitSystem::Us);
        e.set("ESegmentStartArea", "10");
        e.add("ConicalFlareChoice", "10", "20");
        e.add("ParabolicFlareChoice", "29.5", "1000");
        QCOMPARE(e.widget.segments()[0].lengthCm, 25.4);
        QCOMPARE(e.widget.segments()[0].startAreaCm2, 64.516);
        QCOMPARE(e.line(0), QStringLiteral("1. conical, 10 in, 10 to 20 in^2"));
        QCOMPARE(e.text("ESegmentStartArea"), QStringLiteral("1000"));
        // Figures typed in centimetres, shown in inches: applied as they are
        // shown, the segments stay exactly as they were.
        e.widget.setPath(ThreeSegments, Mouth::BaffledPiston);
        e.widget.setUnits(UnitSystem::Metric);
        e.widget.setUnits(UnitSystem::Us);
        for (int row : {0, 1, 2}) {
            e.select(row);
            e.click("ApplySegmentButton");
        }
        QVERIFY(e.refusals.isEmpty());
        QCOMPARE(e.widget.segments(), ThreeSegments);
        QVERIFY(e.child<QLabel>("PathVolumeLabel")->text().contains(QStringLiteral("ft^3")));
    }

    // Each step and the edits counted after it: refused and empty moves count none.
    void changedFollowsEachEdit() {
        Editor e;
        e.widget.setPath(ThreeSegments, Mouth::BaffledPiston);
        const struct {
            std::function<void()> step;
            int changes;
        } steps[] = {
            {[&] { e.add("ConicalFlareChoice", "20", "3000"); }, 1},
            {[&] { e.add("ConicalFlareChoice", "-1", "3000"); }, 1},
            {[&] {
                 e.select(0);
                 e.click("SegmentUpButton");
             },
             1},
            {[&] { e.click("SegmentDownButton"); }, 2},
            {[&] { e.click("ApplySegmentButton"); }, 3},
            {[&] { e.click("RemoveSegmentButton"); }, 4},
            {[&] { e.choose("OpenMouthChoice"); }, 5},
            {[&] { e.choose("OpenMouthChoice"); }, 5},
        };
        for (const auto &s : steps) {
            s.step();
            QCOMPARE(e.changes, s.changes);
        }
        QCOMPARE(e.widget.segments().size(), size_t(3));
        QCOMPARE(e.widget.mouth(), Mouth::Open);
    }

    // A path a file gave that cannot be solved shows no outline and no size.
    void aFaultyPathDrawsNothing() {
        Editor e;
        e.widget.setPath({Segment(Flare::Exponential, 0, 100, 400)}, Mouth::Open);
        QVERIFY(!e.widget.grab().isNull());
        QVERIFY(e.child<QLabel>("PathVolumeLabel")->text().isEmpty());
    }
};

QTEST_MAIN(TestPathEditor)
#include "tst_patheditor.moc"
