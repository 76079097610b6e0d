// The main window's page "Crossover": the crossover list, designer, presets, builder and preview.
#include "ListBox.h"
#include "PageWidgets.h"
#include "mainprg2.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace dravik {

using namespace widgets;

QWidget *Tdrvik::buildCrossoverPage() {
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("PG_Crossover"));
    auto *outer = new QGridLayout(page);
    auto *left = new QVBoxLayout;
    left->addWidget(label(QStringLiteral("Crossover dBmag")));
    auto *list = listBox(List::ListBox1);
    // Every vented calculation adds its 241 lines here: the lines of the last
    // 1,000 calculations are kept, older ones give way.
    list->lines()->setMaxLines(CrossoverListMaxLines);
    list->setMinimumWidth(170);
    left->addWidget(list, 1);
    outer->addLayout(left, 0, 0, 3, 1);

    QGroupBox *designer = group(QStringLiteral("Crossover Designer"));
    auto *d = grid(designer);
    const struct {
        Field field;
        const char *caption;
        const char *select;
    } designerFields[] = {{Field::Edit36, "Filter Order", "SelectOrderButton"},
                          {Field::Edit37, "Pass band cutoff", "SelectCutoffButton"},
                          {Field::Edit38, "Pass band ripple", "SelectRippleButton"}};
    int row = 0;
    for (const auto &f : designerFields) {
        addField(d, row, 0, f.field, QString::fromLatin1(f.caption));
        d->addWidget(button(f.select, QStringLiteral("Select")), row++, 2);
    }
    d->addWidget(radio(QStringLiteral("RadioButton1"), QStringLiteral("High Pass")), row, 0);
    d->addWidget(radio(QStringLiteral("RadioButton2"), QStringLiteral("Low Pass")), row++, 1);
    d->addWidget(button("DesignerSaveButton", QStringLiteral("Save to File")), row, 0);
    d->addWidget(button("DesignerCalculateButton", QStringLiteral("Calculate")), row, 1);
    d->addWidget(checkBox(Check::ChkCrossEnabled, QStringLiteral("Crossover Enabled")), row, 2);
    d->setColumnStretch(1, 1);
    outer->addWidget(designer, 0, 1);

    QGroupBox *selector = group(QStringLiteral("Crossover Selector"));
    auto *sl = new QVBoxLayout(selector);
    sl->setContentsMargins(6, 4, 6, 4);
    sl->setSpacing(2);
    const struct {
        const char *name;
        const char *caption;
        void (Tdrvik::*handler)();
    } presets[] = {
        {"BUTTONQuorvel100", "Quorvel 100 Hz", &Tdrvik::BUTTONQuorvel100Click},
        {"BUTTONQuorvel80", "Quorvel 80 Hz", &Tdrvik::BUTTONQuorvel80Click},
        {"BUTTONQuorvel70", "Quorvel 70 Hz", &Tdrvik::BUTTONQuorvel70Click},
        {"BUTTONPelmo100_1", "Pelmo 100/1", &Tdrvik::BUTTONPelmo100_1Click},
    };
    for (const auto &p : presets) {
        QPushButton *b = button(p.name, QString::fromLatin1(p.caption));
        connect(b, &QPushButton::clicked, this, p.handler);
        sl->addWidget(b);
    }
    outer->addWidget(selector, 0, 2);

    QGroupBox *builder = group(QStringLiteral("Crossover Builder"));
    auto *b = grid(builder);
    const Field files[] = {Field::Edit32, Field::Edit33, Field::Edit34, Field::Edit35};
    const char *selects[] = {"SelectFile1Button", "SelectFile2Button", "SelectFile3Button",
                             "SelectFile4Button"};
    const Check checks[] = {Check::CrossFile1Check, Check::CrossFile2Check, Check::CrossFile3Check,
                            Check::CrossFile4Check};
    for (int i = 0; i < 4; ++i) {
        addField(b, i, 0, files[i], QStringLiteral("File ") + QString::number(i + 1));
        b->addWidget(button(selects[i], QStringLiteral("Select")), i, 2);
        b->addWidget(checkBox(checks[i], QStringLiteral("Enabled")), i, 3);
    }
    b->addWidget(button("BuilderSaveButton", QStringLiteral("Save to File")), 4, 0);
    b->addWidget(button("BuilderCalculateButton", QStringLiteral("Calculate")), 4, 1);
    outer->addWidget(builder, 1, 1, 1, 2);

    QGroupBox *preview = group(QStringLiteral("Preview"));
    auto *p = grid(preview);
    auto *area = new QLabel(QStringLiteral("Simulated Frequency Response"));
    area->setObjectName(QStringLiteral("PreviewPicture"));
    area->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    area->setFrameShape(QFrame::StyledPanel);
    area->setMinimumHeight(60);
    p->addWidget(area, 0, 0, 1, 3);
    p->addWidget(label(QStringLiteral("10 Hz")), 1, 0, Qt::AlignLeft);
    p->addWidget(label(QStringLiteral("1 kHz")), 1, 2, Qt::AlignRight);
    p->addWidget(button("PreviewUpdateButton", QStringLiteral("Update")), 2, 1);
    outer->addWidget(preview, 2, 1, 1, 2);
    outer->setColumnStretch(1, 1);
    return page;
}

} // namespace dravik
