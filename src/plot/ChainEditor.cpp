#include "ChainEditor.h"

#include "EditedList.h"

#include "DesignReader.h"
#include "Fp.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <cmath>

namespace dravik {

namespace {

bool IsPass(FilterType t) {
    return t == FilterType::HighPass || t == FilterType::LowPass;
}
bool IsShaping(FilterType t) {
    return t == FilterType::Peaking || t == FilterType::LowShelf || t == FilterType::HighShelf;
}

// The editor's fields: object name, caption, starting text, the filter's
// value it holds (none: the order, a whole number) and the filter types
// that use it.
struct FieldRow {
    const char *name;
    const char *caption;
    const char *start;
    double FilterStage::*value;
    bool (*usedBy)(FilterType);
};
const FieldRow Fields[] = {
    {"EFilterOrder", "Order:", "4", nullptr, IsPass},
    {"EFilterFrequency", "f / f0 (Hz):", "18", &FilterStage::frequencyHz,
     [](FilterType t) { return t != FilterType::Gain; }},
    {"EFilterQ", "Q / Q0:", "0.7071", &FilterStage::q,
     [](FilterType t) { return IsPass(t) || t == FilterType::LinkwitzTransform || IsShaping(t); }},
    {"EFilterGain", "Gain (dB):", "0", &FilterStage::gainDb,
     [](FilterType t) { return IsShaping(t) || t == FilterType::Gain; }},
    {"EFilterFp", "fp (Hz):", "25", &FilterStage::fpHz,
     [](FilterType t) { return t == FilterType::LinkwitzTransform; }},
    {"EFilterQp", "Qp:", "0.7071", &FilterStage::qp,
     [](FilterType t) { return t == FilterType::LinkwitzTransform; }},
};

const char *TypeChoiceName(FilterType type) {
    switch (type) {
    case FilterType::HighPass:
        return "HighPassChoice";
    case FilterType::LowPass:
        return "LowPassChoice";
    case FilterType::LinkwitzTransform:
        return "LinkwitzTransformChoice";
    case FilterType::Peaking:
        return "PeakingChoice";
    case FilterType::LowShelf:
        return "LowShelfChoice";
    case FilterType::HighShelf:
        return "HighShelfChoice";
    case FilterType::Gain:
        return "GainChoice";
    }
    return "";
}

const char *AlignmentChoiceName(FilterAlignment a) {
    switch (a) {
    case FilterAlignment::Butterworth:
        return "ButterworthChoice";
    case FilterAlignment::LinkwitzRiley:
        return "LinkwitzRileyChoice";
    case FilterAlignment::Bessel:
        return "BesselChoice";
    case FilterAlignment::Q:
        return "QAlignmentChoice";
    }
    return "";
}

QString Text(double v) {
    return WindowValueText(v);
}

} // namespace

TChainEditor::TChainEditor(std::function<void(const std::function<void()> &)> runCommand,
                           std::function<void()> changed, QWidget *parent)
    : QWidget(parent), runCommand_(std::move(runCommand)), changed_(std::move(changed)) {
    setObjectName(QStringLiteral("ChainEditor"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    // The list, its commands, then the filter being edited.
    list_ = AddEditedList(
        this, layout, "ChainList",
        {{"AddFilterButton", "Add", [this] { AddFilterButtonClick(); }},
         {"ApplyFilterButton", "Apply", [this] { ApplyFilterButtonClick(); }},
         {"RemoveFilterButton", "Remove", [this] { RemoveFilterButtonClick(); }},
         {"FilterUpButton", "Up", [this] { FilterUpButtonClick(); }},
         {"FilterDownButton", "Down", [this] { FilterDownButtonClick(); }}},
        QStringLiteral("Filters before the amplifier, in order; a tick turns one on or off."));

    auto *typeGroup = new QWidget;
    auto *typeLayout = new QGridLayout(typeGroup);
    typeLayout->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < FilterTypeCount; ++i) {
        const auto type = static_cast<FilterType>(i);
        auto *b = new QRadioButton(QLatin1String(FilterTypeCaption(type)));
        b->setObjectName(QLatin1String(TypeChoiceName(type)));
        typeLayout->addWidget(b, i / 3, i % 3);
        types_[type] = b;
        connect(b, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                showTypeFields();
        });
    }
    layout->addWidget(typeGroup);

    auto *alignmentGroup = new QWidget;
    auto *alignmentLayout = new QGridLayout(alignmentGroup);
    alignmentLayout->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < FilterAlignmentCount; ++i) {
        const auto a = static_cast<FilterAlignment>(i);
        auto *b = new QRadioButton(QLatin1String(FilterAlignmentCaption(a)));
        b->setObjectName(QLatin1String(AlignmentChoiceName(a)));
        alignmentLayout->addWidget(b, i / 2, i % 2);
        alignments_[a] = b;
    }
    layout->addWidget(alignmentGroup);
    // The values two to a line.
    auto *values = new QGridLayout;
    int index = 0;
    for (const FieldRow &f : Fields) {
        auto *caption = new QLabel(QLatin1String(f.caption));
        caption->setTextFormat(Qt::PlainText);
        auto *edit = new QLineEdit(QLatin1String(f.start));
        edit->setObjectName(QLatin1String(f.name));
        edit->setFixedWidth(55);
        caption->setBuddy(edit);
        values->addWidget(caption, index / 2, 2 * (index % 2));
        values->addWidget(edit, index / 2, 2 * (index % 2) + 1);
        fields_[QLatin1String(f.name)] = edit;
        ++index;
    }
    values->setColumnStretch(4, 1);
    layout->addLayout(values);

    types_[FilterType::HighPass]->setChecked(true);
    alignments_[FilterAlignment::Butterworth]->setChecked(true);

    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && static_cast<size_t>(row) < filters_.size())
            showFilter(filters_[static_cast<size_t>(row)]);
    });
    // A tick turns a filter on or off at once: it is an edit of the chain.
    connect(list_, &QListWidget::itemChanged, this, [this](QListWidgetItem *item) {
        const auto row = static_cast<size_t>(list_->row(item));
        const bool on = item->checkState() == Qt::Checked;
        if (row < filters_.size() && filters_[row].enabled != on) {
            filters_[row].enabled = on;
            changed_();
        }
    });
}

void TChainEditor::setFilters(const std::vector<FilterStage> &filters) {
    filters_ = filters;
    list(filters_.empty() ? -1 : 0);
}

void TChainEditor::list(int current) {
    {
        const QSignalBlocker quiet(list_);
        list_->clear();
        for (const FilterStage &f : filters_) {
            auto *item = new QListWidgetItem(FilterText(f));
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(f.enabled ? Qt::Checked : Qt::Unchecked);
            list_->addItem(item);
        }
    }
    list_->setCurrentRow(current);
}

void TChainEditor::showFilter(const FilterStage &f) {
    types_.at(f.type)->setChecked(true);
    alignments_.at(f.alignment)->setChecked(true);
    for (const FieldRow &row : Fields)
        fields_.at(QLatin1String(row.name))
            ->setText(row.value ? Text(f.*row.value) : QString::number(f.order));
    showTypeFields();
}

// Only the fields a type uses can be typed into.
void TChainEditor::showTypeFields() {
    FilterType type = FilterType::HighPass;
    for (const auto &[t, b] : types_)
        if (b->isChecked())
            type = t;
    for (const auto &[a, b] : alignments_)
        b->setEnabled(IsPass(type));
    for (const FieldRow &row : Fields)
        fields_.at(QLatin1String(row.name))->setEnabled(row.usedBy(type));
}

// The filter the fields describe; one that cannot be used is refused with
// the sentence that names its value.
FilterStage TChainEditor::edited(int position) const {
    FilterStage f;
    for (const auto &[t, b] : types_)
        if (b->isChecked())
            f.type = t;
    for (const auto &[a, b] : alignments_)
        if (b->isChecked())
            f.alignment = a;
    for (const FieldRow &row : Fields) {
        const double v =
            ParseWindowValue(fields_.at(QLatin1String(row.name))->text()).value_or(std::nan(""));
        if (row.value)
            f.*row.value = v;
        else
            f.order = v >= 0.0 && v <= 99.0 && v == std::floor(v) ? int(v) : 0;
    }
    // Values a type does not use keep their defaults, so they never refuse it.
    const FilterStage plain;
    for (const FieldRow &row : Fields)
        if (!row.usedBy(f.type)) {
            if (row.value)
                f.*row.value = plain.*row.value;
            else
                f.order = plain.order;
        }
    if (!IsPass(f.type))
        f.alignment = plain.alignment;
    else if (f.alignment != FilterAlignment::Q)
        f.q = plain.q;
    if (const std::optional<QString> fault = FilterFault(f, position))
        throw DravikError(*fault);
    return f;
}

void TChainEditor::changeChain(const std::function<void()> &edit) {
    RunListEdit(runCommand_, changed_, edit);
}

void TChainEditor::AddFilterButtonClick() {
    changeChain([this] {
        if (filters_.size() >= static_cast<size_t>(MaxFilters))
            throw DravikError(
                QStringLiteral("The signal chain holds at most %1 filters.").arg(MaxFilters));
        filters_.push_back(edited(static_cast<int>(filters_.size()) + 1));
        list(static_cast<int>(filters_.size()) - 1);
    });
}

void TChainEditor::ApplyFilterButtonClick() {
    changeChain([this] {
        const int row = list_->currentRow();
        if (row < 0 || static_cast<size_t>(row) >= filters_.size())
            throw DravikError(QStringLiteral("Choose the filter to change in the list first."));
        FilterStage f = edited(row + 1);
        f.enabled = filters_[static_cast<size_t>(row)].enabled;
        filters_[static_cast<size_t>(row)] = f;
        list(row);
    });
}

void TChainEditor::RemoveFilterButtonClick() {
    const int row = list_->currentRow();
    if (row < 0 || static_cast<size_t>(row) >= filters_.size())
        return;
    filters_.erase(filters_.begin() + row);
    list(std::min(row, static_cast<int>(filters_.size()) - 1));
    changed_();
}

void TChainEditor::FilterUpButtonClick() {
    const int row = list_->currentRow();
    if (row <= 0 || static_cast<size_t>(row) >= filters_.size())
        return;
    std::swap(filters_[static_cast<size_t>(row)], filters_[static_cast<size_t>(row) - 1]);
    list(row - 1);
    changed_();
}

void TChainEditor::FilterDownButtonClick() {
    const int row = list_->currentRow();
    if (row < 0 || static_cast<size_t>(row) + 1 >= filters_.size())
        return;
    std::swap(filters_[static_cast<size_t>(row)], filters_[static_cast<size_t>(row) + 1]);
    list(row + 1);
    changed_();
}

} // namespace dravik
