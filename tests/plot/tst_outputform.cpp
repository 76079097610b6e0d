#include "CrossoverArrays.h"
#include "MemoryFieldStore.h"
#include "OutpFrm.h"
#include "PlotSettings.h"
#include "PlotTestSupport.h"
#include "ResponseArrays.h"
#include "outptw.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QStatusBar>
#include <QTest>

#include <QToolBar>
#include <QToolButton>
#include <memory>

using namespace dravik;

namespace {
// The plot settings, responses and crossover these tests draw from.
PlotSettings plotSettings;
const auto ownResponses = std::make_unique<Responses>();
Responses &responses = *ownResponses;
Crossover crossover;
} // namespace
using namespace plottest;
using dravik::test::MemoryFieldStore;

namespace {

QToolButton *button(QWidget &window, const char *name) {
    return window.findChild<QToolButton *>(QLatin1String(name));
}

const QString StartCaption =
    QStringLiteral("Frequency Response Plotter: Frequency response of Fane Colossus 18 XB. - "
                   "subwoofer enclosure designer, version 2.0");

} // namespace

class TestOutputForm : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { InitializePlotSettings(plotSettings, ButtonFace); }
    void init() {
        responses = Responses{};
        crossover = Crossover{};
    }

    void createdHiddenWithItsLayout() {
        MemoryFieldStore fields;
        TOutputForm form(fields, nullptr, plotSettings, responses, crossover);
        QCOMPARE(form.objectName(), QStringLiteral("OutputForm"));
        QCOMPARE(form.windowTitle(), QStringLiteral("Output Window"));
        QCOMPARE(form.size(), QSize(841, 561));
        QVERIFY(!form.isVisible());
        QVERIFY(form.isWindow());
        QCOMPARE(form.image().size(), QSize(817, 481));

        const struct {
            const char *name;
            const char *caption;
        } buttons[] = {{"ToolButton1", "Close Plot Window"},
                       {"ToolButton2", "Show Designer"},
                       {"ToolButton4", "Refresh"}};
        QToolBar *toolBar = form.findChild<QToolBar *>();
        QVERIFY(toolBar);
        QList<QWidget *> order; // the tool bar's items left to right
        for (QAction *action : toolBar->actions())
            order.append(toolBar->widgetForAction(action));
        QCOMPARE(order.size(), 4);
        for (int i = 0; i < 3; ++i) {
            QToolButton *tb = button(form, buttons[i].name);
            QVERIFY2(tb, buttons[i].name);
            QCOMPARE(tb->text(), QString::fromUtf8(buttons[i].caption));
            QCOMPARE(tb->toolButtonStyle(), Qt::ToolButtonTextOnly);
            QVERIFY(tb->autoRaise());
            QCOMPARE(tb->size(), QSize(96, 30));
            QCOMPARE(order[i < 2 ? i : 3], tb);
        }
        QCOMPARE(order[2]->objectName(), QStringLiteral("ToolButton3"));
        QCOMPARE(order[2]->width(), 8);

        QWidget *picture = form.findChild<QWidget *>(QStringLiteral("Image1"));
        QVERIFY(picture);
        QCOMPARE(picture->geometry(), QRect(0, 32, 817, 481));
        QVERIFY(form.findChild<QStatusBar *>());
    }

    void showPlotShowsAndPaints() {
        MemoryFieldStore fields;
        TOutputForm form(fields, nullptr, plotSettings, responses, crossover);
        form.showPlot();
        QVERIFY(form.isVisible());
        QCOMPARE(form.windowTitle(), StartCaption);
        for (int x = 0; x < X(300); ++x)
            QCOMPARE(form.image().pixel(x, 50), Curve);
        QCOMPARE(form.palette().color(QPalette::Window), ButtonFace);
    }

    void showingPaints() {
        MemoryFieldStore fields;
        fields.setText(QStringLiteral("EModel"), QStringLiteral("%2"));
        TOutputForm form(fields, nullptr, plotSettings, responses, crossover);
        form.show();
        QVERIFY(form.windowTitle().startsWith(
            QStringLiteral("Frequency Response Plotter: Frequency response of Fane %2.")));
        QCOMPARE(form.image().pixel(X(16), 200), Marker);
    }

    void pictureShowsTheBitmap() {
        MemoryFieldStore fields;
        TOutputForm form(fields, nullptr, plotSettings, responses, crossover);
        form.showPlot();
        QWidget *picture = form.findChild<QWidget *>(QStringLiteral("Image1"));
        QCOMPARE(picture->grab().toImage().convertToFormat(QImage::Format_RGB32), form.image());
    }

    void closePlotWindowHides() {
        MemoryFieldStore fields;
        auto *form = new TOutputForm(fields, nullptr, plotSettings, responses, crossover);
        QPointer<TOutputForm> alive(form);
        form->showPlot();
        button(*form, "ToolButton1")->click();
        QVERIFY(!form->isVisible());
        QCoreApplication::processEvents();
        QVERIFY(alive);
        form->showPlot();
        QVERIFY(form->isVisible());
        delete form;
    }

    void closingOnlyHides() {
        MemoryFieldStore fields;
        auto *form = new TOutputForm(fields, nullptr, plotSettings, responses, crossover);
        QPointer<TOutputForm> alive(form);
        form->showPlot();
        QVERIFY(form->close());
        QCoreApplication::processEvents();
        QVERIFY(alive);
        QVERIFY(!form->isVisible());
        QVERIFY(!form->testAttribute(Qt::WA_QuitOnClose));
        form->showPlot();
        QVERIFY(form->isVisible());
        delete form;
    }

    void showDesignerShowsTheMainWindow() {
        MemoryFieldStore fields;
        QWidget mainWindow;
        TOutputForm form(fields, &mainWindow, plotSettings, responses, crossover);
        form.showPlot();
        QVERIFY(!mainWindow.isVisible());
        button(form, "ToolButton2")->click();
        QVERIFY(mainWindow.isVisible());
        QVERIFY(form.isVisible());
    }

    // Between repaints the picture keeps its last drawing, even when the
    // arrays change; Refresh redraws from them.
    void refreshRedrawsFromTheArrays() {
        MemoryFieldStore fields;
        fields.setChecked(QStringLiteral("ChkCrossEnabled"), false);
        TOutputForm form(fields, nullptr, plotSettings, responses, crossover);
        form.showPlot();
        QCoreApplication::processEvents(); // activation repaints too
        const QImage before = form.image();
        for (double &v : responses.SystemResponse)
            v = -2;
        QCoreApplication::processEvents();
        QCOMPARE(form.image(), before);
        button(form, "ToolButton4")->click();
        QVERIFY(form.image() != before);
        QCOMPARE(form.image().pixel(X(50), 81), Curve);
    }

    void refreshReadsTheFields() {
        MemoryFieldStore fields;
        TOutputForm form(fields, nullptr, plotSettings, responses, crossover);
        form.showPlot();
        fields.setText(QStringLiteral("EManufacturer"), QStringLiteral("%s"));
        QCOMPARE(form.windowTitle(), StartCaption);
        form.ToolButton4Click();
        QVERIFY(form.windowTitle().contains(QStringLiteral("response of %s Colossus")));
    }

    void crossoverResponseIsPlottedWhenEnabled() {
        MemoryFieldStore fields; // "Crossover Enabled" starts ticked
        for (double &v : crossover.CrossoverResponse)
            v = -2;
        TOutputForm form(fields, nullptr, plotSettings, responses, crossover);
        form.showPlot();
        QCOMPARE(form.image().pixel(X(50), 81), Curve);
        fields.setChecked(QStringLiteral("ChkCrossEnabled"), false);
        form.FormPaint();
        QCOMPARE(form.image().pixel(X(50), 50), Curve);
    }

    void activationRepaints() {
        MemoryFieldStore fields;
        fields.setChecked(QStringLiteral("ChkCrossEnabled"), false);
        QWidget other;
        TOutputForm form(fields, nullptr, plotSettings, responses, crossover);
        form.showPlot();
        other.show();
        QApplication::setActiveWindow(&other);
        for (double &v : responses.SystemResponse)
            v = -2;
        QCOMPARE(form.image().pixel(X(50), 81), Grid);
        QApplication::setActiveWindow(&form);
        QTRY_VERIFY(form.isActiveWindow());
        QCOMPARE(form.image().pixel(X(50), 81), Curve);
    }

    void scaleFactorsChangeNothing() {
        MemoryFieldStore fields;
        TOutputForm form(fields, nullptr, plotSettings, responses, crossover);
        form.showPlot();
        const QImage reference = form.image();
        plotSettings.PlotXScale = 3;
        plotSettings.PlotYScale = 3;
        form.ToolButton4Click();
        QCOMPARE(form.image(), reference);
    }

    void secondResponseWindow() {
        TOutputW window;
        QCOMPARE(window.objectName(), QStringLiteral("OutputW"));
        QCOMPARE(window.windowTitle(), QStringLiteral("Frequency Response plotter"));
        QVERIFY(!window.isVisible());
        QVERIFY(window.isWindow());
        QVERIFY(window.findChild<QWidget *>(QStringLiteral("Image1")));
        QStatusBar *status = window.findChild<QStatusBar *>();
        QVERIFY(status);
        bool found = false;
        for (QLabel *label : status->findChildren<QLabel *>())
            found = found || label->text() == QStringLiteral("Frequency Response");
        QVERIFY(found);
    }
};

QTEST_MAIN(TestOutputForm)
#include "tst_outputform.moc"
