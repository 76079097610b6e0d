#pragma once

#include "MeasureRules.h"

#include <QWidget>

#include <functional>
#include <map>
#include <optional>
#include <utility>
#include <vector>

class QCheckBox;
class QLineEdit;
class QRadioButton;
class QChart;
class QChartView;
class QLineSeries;
class QLogValueAxis;
class QValueAxis;

namespace dravik {

// "Measure Driver": Thiele-Small parameters from impedance measurements.
// The user opens the free-air curve and, if made, the curves with added
// masses or in a closed test box, types what the curves need besides, and
// presses "Fit"; the figures show in read-only fields beside the fitted
// curve over the measured one. Nothing leaves the window until "Use these
// parameters". Closing only hides it.
class TMeasureForm : public QWidget {
    Q_OBJECT
public:
    // How the window reaches the rest of the program: the command wrapper
    // that reports the program's errors, the file dialog, and where the
    // figures go when the user takes them.
    struct Hooks {
        std::function<void(const std::function<void()> &)> runCommand;
        std::function<std::optional<QString>(const QString &pipeFilter)> chooseOpenFile;
        std::function<void(const MeasuredDriver &)> useParameters;
    };

    explicit TMeasureForm(Hooks hooks, QWidget *parent = nullptr);
    ~TMeasureForm() override;

    // The last report of "Fit", empty before the first.
    const std::optional<MeasureReport> &report() const { return report_; }

public slots:
    void FreeAirButtonClick();
    void AddedMass1ButtonClick();
    void AddedMass2ButtonClick();
    void TestBoxButtonClick();
    void FitButtonClick();
    void UseButtonClick();

private:
    // Which curve a file button opens.
    enum Slot { FreeAir, AddedMass1, AddedMass2, TestBox, SlotCount };

    QWidget *buildInputs();
    QWidget *buildResults();
    void openCurve(Slot slot);
    MeasureInputs inputs() const;
    void showReport();
    void buildChart();
    void drawCurves();
    void showFileName(Slot slot, const QString &path);

    Hooks hooks_;
    std::optional<ImpedanceCurve> curves_[SlotCount];
    QLineEdit *fileFields_[SlotCount] = {};
    QLineEdit *addedMass1_ = nullptr;
    QLineEdit *addedMass2_ = nullptr;
    QLineEdit *testBoxVolume_ = nullptr;
    QLineEdit *dcResistance_ = nullptr;
    QLineEdit *sd_ = nullptr;
    QLineEdit *effectiveDiameter_ = nullptr;
    std::vector<std::pair<QRadioButton *, std::optional<InductanceModel>>> modelChoices_;
    QCheckBox *creep_ = nullptr;
    QLineEdit *fitFrom_ = nullptr;
    QLineEdit *fitTo_ = nullptr;
    QLineEdit *status_ = nullptr;
    std::map<QString, QLineEdit *> results_;
    // The chart keeps its axes and its two curves from the start; a drawing
    // only gives them new points and ranges.
    QChart *chart_ = nullptr;
    QChartView *chartView_ = nullptr;
    QLogValueAxis *xAxis_ = nullptr;
    QLogValueAxis *yAxis_ = nullptr;
    QValueAxis *phaseAxis_ = nullptr;
    QLineSeries *measured_ = nullptr;
    QLineSeries *fitted_ = nullptr;
    QLineSeries *measuredPhase_ = nullptr;
    QLineSeries *fittedPhase_ = nullptr;
    std::optional<MeasureReport> report_;
};

// The type filter of the impedance file dialogs.
inline const char *const ImpedanceFileFilter =
    "Impedance files (*.zma)|*.zma|Text files (*.txt)|*.txt|All files (*)|*";

} // namespace dravik
