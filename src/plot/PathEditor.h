#pragma once

#include "DesignSetup.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <map>
#include <optional>
#include <utility>
#include <vector>

class QLabel;
class QLineEdit;
class QListWidget;
class QRadioButton;

namespace dravik {

class TPathProfile;

// A transmission line's or a horn's path as a list the user edits in place:
// each line one segment, from the closed end (or the throat) to the mouth,
// in the window's units. Choosing a line puts its values into the fields
// below; "Apply" puts the fields back into that segment, "Add" appends them
// as a new one. The path stays continuous: a new segment starts with the
// area the last one ends with, and a segment whose end area changes takes
// the next one's start along; a segment moved or removed rejoins those after
// it the same way. A path that cannot be solved is refused with
// the sentence that names its value, and the path stays as it was. Below
// the fields, the mouth's ending and an outline of the path.
class TPathEditor : public QWidget {
    Q_OBJECT
public:
    // `runCommand` runs an edit through the program's command wrapper (its
    // errors shown); `changed` follows every edit that succeeded.
    TPathEditor(std::function<void(const std::function<void()> &)> runCommand,
                std::function<void()> changed, QWidget *parent = nullptr);

    const std::vector<PathSegment> &segments() const { return segments_; }
    Mouth mouth() const { return mouth_; }
    void setPath(const std::vector<PathSegment> &segments, Mouth mouth);
    // The units the list and the fields show; the segments keep cm and cm^2.
    void setUnits(UnitSystem units);
    // For the flares' cut-off frequencies.
    void setSoundSpeed(double metresPerSecond);
    // Where the cone feeds the path (cm from its start) and what to call
    // each place on the outline: {0, "driver"}, or the cone's front and rear.
    void setTaps(std::vector<std::pair<double, QString>> cmAndName);

public slots:
    void AddSegmentButtonClick();
    void ApplySegmentButtonClick();
    void RemoveSegmentButtonClick();
    void SegmentUpButtonClick();
    void SegmentDownButtonClick();

private:
    // What a field was last filled with: while its text is unchanged it
    // stands for that exact value, so nothing drifts through a conversion.
    struct Filled {
        QString text;
        std::optional<double> value;
    };

    Flare chosenFlare() const;
    std::optional<double> fieldValue(const QString &name) const;
    void fill(const QString &name, const std::optional<double> &value);
    PathSegment edited() const;
    void showSegment(const PathSegment &s);
    void showFlareFields();
    void showCaptions();
    void showPath();
    void list(int current);
    void relabel();
    void fillNextStart();
    void replacePath(std::vector<PathSegment> path, int current);
    void changePath(const std::function<void()> &edit);
    int chosenRow() const;

    std::function<void(const std::function<void()> &)> runCommand_;
    std::function<void()> changed_;
    std::vector<PathSegment> segments_;
    Mouth mouth_ = Mouth::BaffledPiston;
    UnitSystem units_ = UnitSystem::Metric;
    double soundSpeed_;
    std::vector<std::pair<double, QString>> taps_;
    QListWidget *list_ = nullptr;
    std::map<Flare, QRadioButton *> flares_;
    std::map<Mouth, QRadioButton *> mouths_;
    std::map<QString, QLineEdit *> fields_;
    std::map<QString, QLabel *> captions_;
    std::map<QString, Filled> filled_;
    TPathProfile *profile_ = nullptr;
    QLabel *volume_ = nullptr;
};

} // namespace dravik
