#include "PathEditor.h"

#include "EditedList.h"

#include "DesignInputs.h"
#include "DesignReader.h"
#include "Fp.h"
#include "Paths.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPolygonF>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace dravik {

// The path's outline: its equivalent radius sqrt(S / pi) along its length,
// mirrored about the axis, the closed end at the left and the mouth at the
// right, with the segment boundaries and the places the cone feeds it.
class TPathProfile : public QWidget {
public:
    // Points are (cm along the path, equivalent radius in cm).
    struct Shape {
        std::vector<QPointF> outline;
        std::vector<QPointF> boundaries;
        std::vector<std::pair<double, QString>> taps;
    };

    TPathProfile() {
        setObjectName(QStringLiteral("PathProfile"));
        setMinimumSize(200, 90);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }
    QSize sizeHint() const override { return {300, 90}; }
    void setShape(Shape shape) {
        shape_ = std::move(shape);
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    Shape shape_;
};

namespace {

constexpr int ProfileSamples = 200;

struct FlareRow {
    Flare flare;
    const char *choice;
    const char *caption;
    const char *name; // in a line of the list, as the setup file names it
};
const FlareRow Flares[] = {
    {Flare::Uniform, "UniformFlareChoice", "Uniform", "uniform"},
    {Flare::Conical, "ConicalFlareChoice", "Conical", "conical"},
    {Flare::Exponential, "ExponentialFlareChoice", "Exponential", "exponential"},
    {Flare::Parabolic, "ParabolicFlareChoice", "Parabolic", "parabolic"},
    {Flare::HyperbolicExponential, "HyperbolicFlareChoice", "Hyperbolic-exp.",
     "hyperbolic-exponential"},
};

const FlareRow &FlareOf(Flare flare) {
    for (const FlareRow &f : Flares)
        if (f.flare == flare)
            return f;
    return Flares[0];
}

// The editor's fields: object name, caption, what the value measures (its
// unit follows the window's system) or a unit of its own, and the segment's
// value it holds (none: the fill, which may be left empty).
struct FieldRow {
    const char *name;
    const char *caption;
    Quantity quantity;
    const char *ownUnit;
    double PathSegment::*value;
};
const FieldRow Fields[] = {
    {"ESegmentLength", "Length", Quantity::PathLength, "", &PathSegment::lengthCm},
    {"ESegmentStartArea", "Start area", Quantity::Area, "", &PathSegment::startAreaCm2},
    {"ESegmentEndArea", "End area", Quantity::Area, "", &PathSegment::endAreaCm2},
    {"ESegmentT", "T", Quantity::None, "", &PathSegment::t},
    {"ESegmentFill", "Fill", Quantity::None, "Pa s/m^2", nullptr},
};

// The row of a field, by its object name.
const FieldRow &RowOf(const QString &name) {
    for (const FieldRow &row : Fields)
        if (name == QLatin1String(row.name))
            return row;
    return Fields[0];
}

const QString StartField = QStringLiteral("ESegmentStartArea");
const QString TField = QStringLiteral("ESegmentT");

QString UnitText(const FieldRow &row, UnitSystem units) {
    return row.quantity == Quantity::None ? QLatin1String(row.ownUnit)
                                          : QLatin1String(ShownUnitOf(row.quantity, units).text);
}

QString Caption(const FieldRow &row, UnitSystem units) {
    const QString unit = UnitText(row, units);
    return unit.isEmpty() ? QStringLiteral("%1:").arg(QLatin1String(row.caption))
                          : QStringLiteral("%1 (%2):").arg(QLatin1String(row.caption), unit);
}

// A figure in a line: four significant digits, never an exponent.
QString Figure(double v) {
    if (!std::isfinite(v) || v == 0.0)
        return QString::number(v);
    const int decimals = 3 - static_cast<int>(std::floor(std::log10(std::fabs(v))));
    if (decimals < 0) {
        const double step = std::pow(10.0, -decimals);
        return QString::number(std::round(v / step) * step, 'f', 0);
    }
    QString text = QString::number(v, 'f', std::min(decimals, 15));
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    return text;
}

QString Shown(double own, Quantity quantity, UnitSystem units) {
    return Figure(ToShownUnit(own, quantity, units));
}

QString UnitOf(Quantity quantity, UnitSystem units) {
    return QLatin1String(ShownUnitOf(quantity, units).text);
}

QString SegmentLine(const PathSegment &s, int number, UnitSystem units, double soundSpeed) {
    const QString areaUnit = UnitOf(Quantity::Area, units);
    QStringList parts{
        QStringLiteral("%1. %2").arg(number).arg(QLatin1String(FlareOf(s.flare).name))};
    if (s.flare == Flare::HyperbolicExponential)
        parts << QStringLiteral("T ") + Figure(s.t);
    parts << Shown(s.lengthCm, Quantity::PathLength, units) + QLatin1Char(' ') +
                 UnitOf(Quantity::PathLength, units);
    if (s.flare == Flare::Uniform)
        parts << Shown(s.startAreaCm2, Quantity::Area, units) + QLatin1Char(' ') + areaUnit;
    else
        parts << QStringLiteral("%1 to %2 %3")
                     .arg(Shown(s.startAreaCm2, Quantity::Area, units),
                          Shown(s.endAreaCm2, Quantity::Area, units), areaUnit);
    const std::optional<double> cutoff = PathSegmentCutoffHz(s, soundSpeed);
    if (cutoff && std::isfinite(*cutoff) && *cutoff > 0.0)
        parts << QStringLiteral("cut-off %1 Hz").arg(Figure(*cutoff));
    if (s.fillResistivity)
        parts << QStringLiteral("filled, %1 Pa s/m^2").arg(Figure(*s.fillResistivity));
    return parts.join(QStringLiteral(", "));
}

// A box of the one kind without taps, so that only the segments are checked.
BoxParameters PathBox(const std::vector<PathSegment> &segments) {
    BoxParameters box;
    box.kind = BoxKind::FrontLoadedHorn;
    box.segments = segments;
    return box;
}

bool Usable(const BoxParameters &box) {
    return PathFault(box).isEmpty();
}

QString PathSizeText(const std::vector<PathSegment> &segments, UnitSystem units) {
    const BoxParameters box = PathBox(segments);
    if (!Usable(box))
        return QString();
    return QStringLiteral("Path %1 %2, %3 %4 long.")
        .arg(Shown(PathVolumeLitres(box), Quantity::Volume, units), UnitOf(Quantity::Volume, units),
             Shown(PathLengthCm(box), Quantity::PathLength, units),
             UnitOf(Quantity::PathLength, units));
}

double RadiusAt(const std::vector<DuctSegment> &ducts, const std::vector<double> &at, double cm) {
    size_t i = 0;
    while (i + 1 < ducts.size() && cm > at[i + 1])
        ++i;
    const double m2 = SegmentAreaAt(ducts[i], (cm - at[i]) * 1e-2);
    return std::sqrt(m2 * 1e4 / acoustics::PiFull);
}

TPathProfile::Shape ProfileShape(const std::vector<PathSegment> &segments,
                                 const std::vector<std::pair<double, QString>> &taps) {
    const BoxParameters box = PathBox(segments);
    if (!Usable(box))
        return {};
    const std::vector<DuctSegment> ducts = DuctSegmentsOf(box);
    const std::vector<double> at = SegmentBoundariesCm(box);
    TPathProfile::Shape shape;
    for (int i = 0; i < ProfileSamples; ++i) {
        const double cm = at.back() * i / (ProfileSamples - 1);
        shape.outline.emplace_back(cm, RadiusAt(ducts, at, cm));
    }
    for (double cm : at)
        shape.boundaries.emplace_back(cm, RadiusAt(ducts, at, cm));
    shape.taps = taps;
    return shape;
}

// The path stays continuous: from `from` on, each segment starts with the
// area the one before it ends with, and a uniform one keeps that area.
void Rejoin(std::vector<PathSegment> &path, size_t from) {
    for (size_t i = std::max<size_t>(from, 1); i < path.size(); ++i) {
        path[i].startAreaCm2 = path[i - 1].endAreaCm2;
        if (path[i].flare == Flare::Uniform)
            path[i].endAreaCm2 = path[i].startAreaCm2;
    }
}

// A path that cannot be solved is refused with the sentence naming its value.
void CheckPath(const std::vector<PathSegment> &path) {
    if (path.empty())
        return;
    const QString fault = PathFault(PathBox(path));
    if (!fault.isEmpty())
        throw DravikError(fault + QLatin1Char('.'));
}

QRadioButton *Choice(const char *name, const char *caption) {
    auto *b = new QRadioButton(QLatin1String(caption));
    b->setObjectName(QLatin1String(name));
    return b;
}

} // namespace

void TPathProfile::paintEvent(QPaintEvent *) {
    const std::vector<QPointF> &outline = shape_.outline;
    if (outline.size() < 2)
        return;
    const double length = outline.back().x();
    double widest = 0.0;
    for (const QPointF &p : outline)
        widest = std::max(widest, p.y());
    if (!(length > 0.0) || !(widest > 0.0) || !std::isfinite(length) || !std::isfinite(widest))
        return;

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QFontMetrics metrics = painter.fontMetrics();
    const QString mouth = QStringLiteral("mouth");
    // Room above for the taps' names, to the right for the mouth's.
    const QRectF area =
        QRectF(rect()).adjusted(2, metrics.height() + 2, -metrics.horizontalAdvance(mouth) - 6, -2);
    const auto place = [&](const QPointF &p, int side) {
        return QPointF(area.left() + p.x() / length * area.width(),
                       area.center().y() + side * p.y() / widest * area.height() / 2.0);
    };
    QPolygonF upper, lower;
    for (const QPointF &p : outline) {
        upper << place(p, -1);
        lower << place(p, 1);
    }
    QPolygonF inside = upper;
    for (auto p = lower.crbegin(); p != lower.crend(); ++p)
        inside << *p;
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette().color(QPalette::Midlight));
    painter.drawPolygon(inside);

    // The walls and the closed end; the mouth is left open.
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1.5));
    painter.drawPolyline(upper);
    painter.drawPolyline(lower);
    painter.drawLine(upper.first(), lower.first());
    painter.setPen(QPen(palette().color(QPalette::Mid), 0));
    for (const QPointF &b : shape_.boundaries)
        painter.drawLine(place(b, -1), place(b, 1));

    painter.setPen(QPen(palette().color(QPalette::Highlight), 1.5));
    for (const auto &[cm, name] : shape_.taps) {
        if (!(cm >= 0.0 && cm <= length))
            continue;
        const double x = place(QPointF(cm, 0.0), 0).x();
        painter.drawLine(QPointF(x, area.top() - 2), QPointF(x, area.center().y()));
        const double textX = std::min(x + 2.0, width() - metrics.horizontalAdvance(name) - 1.0);
        painter.drawText(QPointF(std::max(textX, 0.0), area.top() - 3), name);
    }
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(
        QRectF(area.right() + 4, area.top(), width() - area.right() - 4, area.height()),
        Qt::AlignLeft | Qt::AlignVCenter, mouth);
}

TPathEditor::TPathEditor(std::function<void(const std::function<void()> &)> runCommand,
                         std::function<void()> changed, QWidget *parent)
    : QWidget(parent), runCommand_(std::move(runCommand)), changed_(std::move(changed)),
      soundSpeed_(acoustics::SoundSpeed) {
    setObjectName(QStringLiteral("PathEditor"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    // The list, its commands, the segment being edited, the mouth, then the
    // outline.
    list_ = AddEditedList(
        this, layout, "SegmentTable",
        {{"AddSegmentButton", "Add", [this] { AddSegmentButtonClick(); }},
         {"ApplySegmentButton", "Apply", [this] { ApplySegmentButtonClick(); }},
         {"RemoveSegmentButton", "Remove", [this] { RemoveSegmentButtonClick(); }},
         {"SegmentUpButton", "Up", [this] { SegmentUpButtonClick(); }},
         {"SegmentDownButton", "Down", [this] { SegmentDownButtonClick(); }}},
        QStringLiteral("Segments from the closed end (or the throat) to the mouth; each starts "
                       "where the one before ends."));

    auto *flareGroup = new QWidget;
    auto *flareLayout = new QGridLayout(flareGroup);
    flareLayout->setContentsMargins(0, 0, 0, 0);
    int index = 0;
    for (const FlareRow &f : Flares) {
        QRadioButton *b = Choice(f.choice, f.caption);
        flareLayout->addWidget(b, index / 3, index % 3);
        flares_[f.flare] = b;
        connect(b, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                showFlareFields();
        });
        ++index;
    }
    layout->addWidget(flareGroup);

    // The values two to a line.
    auto *values = new QGridLayout;
    index = 0;
    for (const FieldRow &f : Fields) {
        auto *caption = new QLabel;
        caption->setTextFormat(Qt::PlainText);
        auto *edit = new QLineEdit;
        edit->setObjectName(QLatin1String(f.name));
        edit->setFixedWidth(55);
        caption->setBuddy(edit);
        values->addWidget(caption, index / 2, 2 * (index % 2));
        values->addWidget(edit, index / 2, 2 * (index % 2) + 1);
        fields_[QLatin1String(f.name)] = edit;
        captions_[QLatin1String(f.name)] = caption;
        ++index;
    }
    values->setColumnStretch(4, 1);
    layout->addLayout(values);
    fill(TField, PathSegment().t);

    // The mouth's ending is an edit of its own, at once.
    auto *mouthRow = new QHBoxLayout;
    mouthRow->addWidget(new QLabel(QStringLiteral("Mouth:")));
    const std::pair<Mouth, QRadioButton *> mouths[] = {
        {Mouth::BaffledPiston, Choice("BaffledMouthChoice", "Baffled piston")},
        {Mouth::Open, Choice("OpenMouthChoice", "Open")},
    };
    for (const auto &[m, b] : mouths) {
        mouthRow->addWidget(b);
        mouths_[m] = b;
        connect(b, &QRadioButton::toggled, this, [this, m = m](bool on) {
            if (on && mouth_ != m) {
                mouth_ = m;
                changed_();
            }
        });
    }
    mouthRow->addStretch(1);
    layout->addLayout(mouthRow);

    profile_ = new TPathProfile;
    layout->addWidget(profile_);
    volume_ = new QLabel;
    volume_->setObjectName(QStringLiteral("PathVolumeLabel"));
    volume_->setTextFormat(Qt::PlainText);
    layout->addWidget(volume_);

    flares_[Flare::Uniform]->setChecked(true);
    mouths_[Mouth::BaffledPiston]->setChecked(true);
    showCaptions();

    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && static_cast<size_t>(row) < segments_.size())
            showSegment(segments_[static_cast<size_t>(row)]);
    });
}

void TPathEditor::setPath(const std::vector<PathSegment> &segments, Mouth mouth) {
    segments_ = segments;
    mouth_ = mouth;
    {
        const QSignalBlocker quiet(mouths_.at(mouth));
        mouths_.at(mouth)->setChecked(true);
    }
    list(segments_.empty() ? -1 : 0);
    if (segments_.empty())
        fillNextStart();
}

void TPathEditor::setUnits(UnitSystem units) {
    // What the fields stand for now, then the same values in the new units.
    std::map<QString, std::optional<double>> values;
    for (const FieldRow &row : Fields)
        values[QLatin1String(row.name)] = fieldValue(QLatin1String(row.name));
    units_ = units;
    for (const auto &[name, value] : values)
        if (value && std::isfinite(*value))
            fill(name, value);
    showCaptions();
    relabel();
}

void TPathEditor::setSoundSpeed(double metresPerSecond) {
    soundSpeed_ = metresPerSecond;
    relabel();
}

void TPathEditor::setTaps(std::vector<std::pair<double, QString>> cmAndName) {
    taps_ = std::move(cmAndName);
    showPath();
}

Flare TPathEditor::chosenFlare() const {
    for (const auto &[flare, b] : flares_)
        if (b->isChecked())
            return flare;
    return Flare::Uniform;
}

// A field's value in the segments' own units: empty when nothing is typed,
// not a number when what is typed is none.
std::optional<double> TPathEditor::fieldValue(const QString &name) const {
    const QString text = fields_.at(name)->text();
    const auto filled = filled_.find(name);
    if (filled != filled_.end() && filled->second.text == text)
        return filled->second.value;
    const std::optional<double> typed = ParseWindowValue(text);
    const Quantity quantity = RowOf(name).quantity;
    if (typed && quantity != Quantity::None)
        return FromShownUnit(*typed, quantity, units_);
    return typed;
}

void TPathEditor::fill(const QString &name, const std::optional<double> &value) {
    const Quantity quantity = RowOf(name).quantity;
    const QString text = !value ? QString()
                         : quantity == Quantity::None
                             ? WindowValueText(value)
                             : WindowValueText(ToShownUnit(*value, quantity, units_));
    fields_.at(name)->setText(text);
    filled_[name] = {text, value};
}

// The segment the fields describe, before it is joined to the path.
PathSegment TPathEditor::edited() const {
    PathSegment s;
    s.flare = chosenFlare();
    for (const FieldRow &row : Fields) {
        const std::optional<double> v = fieldValue(QLatin1String(row.name));
        if (row.value)
            s.*row.value = v.value_or(std::nan(""));
        else
            s.fillResistivity = v;
    }
    // T means nothing to the other flares; its default never refuses them.
    if (s.flare != Flare::HyperbolicExponential)
        s.t = PathSegment().t;
    if (s.flare == Flare::Uniform)
        s.endAreaCm2 = s.startAreaCm2;
    return s;
}

void TPathEditor::showSegment(const PathSegment &s) {
    flares_.at(s.flare)->setChecked(true);
    for (const FieldRow &row : Fields)
        fill(QLatin1String(row.name),
             row.value ? std::optional<double>(s.*row.value) : s.fillResistivity);
    showFlareFields();
}

// Only the hyperbolic-exponential flare has a T to type.
void TPathEditor::showFlareFields() {
    fields_.at(TField)->setEnabled(chosenFlare() == Flare::HyperbolicExponential);
}

void TPathEditor::showCaptions() {
    for (const FieldRow &row : Fields)
        captions_.at(QLatin1String(row.name))->setText(Caption(row, units_));
}

void TPathEditor::showPath() {
    profile_->setShape(ProfileShape(segments_, taps_));
    volume_->setText(PathSizeText(segments_, units_));
}

void TPathEditor::list(int current) {
    {
        const QSignalBlocker quiet(list_);
        list_->clear();
        int number = 1;
        for (const PathSegment &s : segments_)
            list_->addItem(SegmentLine(s, number++, units_, soundSpeed_));
        list_->setCurrentRow(-1);
    }
    list_->setCurrentRow(current);
    showPath();
}

// The lines in new units or at a new speed of sound, the fields left as
// they are.
void TPathEditor::relabel() {
    for (int i = 0; i < list_->count() && static_cast<size_t>(i) < segments_.size(); ++i)
        list_->item(i)->setText(
            SegmentLine(segments_[static_cast<size_t>(i)], i + 1, units_, soundSpeed_));
    showPath();
}

// The next segment starts where the path ends, so a user types only the rest.
void TPathEditor::fillNextStart() {
    if (!segments_.empty())
        fill(StartField, segments_.back().endAreaCm2);
}

int TPathEditor::chosenRow() const {
    const int row = list_->currentRow();
    return row >= 0 && static_cast<size_t>(row) < segments_.size() ? row : -1;
}

// A new path replaces the old one only when it can be solved.
void TPathEditor::replacePath(std::vector<PathSegment> path, int current) {
    CheckPath(path);
    segments_ = std::move(path);
    list(current);
}

void TPathEditor::changePath(const std::function<void()> &edit) {
    RunListEdit(runCommand_, changed_, edit);
}

// A new segment goes after the last, starting with the area it ends with;
// no line stays chosen, and the fields are ready for the one after it.
void TPathEditor::AddSegmentButtonClick() {
    changePath([this] {
        std::vector<PathSegment> path = segments_;
        path.push_back(edited());
        Rejoin(path, path.size() - 1);
        replacePath(std::move(path), -1);
        fillNextStart();
    });
}

void TPathEditor::ApplySegmentButtonClick() {
    changePath([this] {
        const int row = chosenRow();
        if (row < 0)
            throw DravikError(QStringLiteral("Choose the segment to change in the list first."));
        std::vector<PathSegment> path = segments_;
        path[static_cast<size_t>(row)] = edited();
        Rejoin(path, static_cast<size_t>(row) + 1);
        replacePath(std::move(path), row);
    });
}

void TPathEditor::RemoveSegmentButtonClick() {
    const int row = chosenRow();
    if (row < 0)
        return;
    changePath([this, row] {
        std::vector<PathSegment> path = segments_;
        path.erase(path.begin() + row);
        Rejoin(path, static_cast<size_t>(row));
        const int current = std::min(row, static_cast<int>(path.size()) - 1);
        replacePath(std::move(path), current);
    });
}

void TPathEditor::SegmentUpButtonClick() {
    const int row = chosenRow();
    if (row <= 0)
        return;
    changePath([this, row] {
        std::vector<PathSegment> path = segments_;
        std::swap(path[static_cast<size_t>(row)], path[static_cast<size_t>(row) - 1]);
        Rejoin(path, static_cast<size_t>(row) - 1);
        replacePath(std::move(path), row - 1);
    });
}

void TPathEditor::SegmentDownButtonClick() {
    const int row = chosenRow();
    if (row < 0 || static_cast<size_t>(row) + 1 >= segments_.size())
        return;
    changePath([this, row] {
        std::vector<PathSegment> path = segments_;
        std::swap(path[static_cast<size_t>(row)], path[static_cast<size_t>(row) + 1]);
        Rejoin(path, static_cast<size_t>(row));
        replacePath(std::move(path), row + 1);
    });
}

} // namespace dravik
