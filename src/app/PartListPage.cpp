// The main window's pages "Part list" and "Other": box dimensions and panel sizes.
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

QWidget *Tdrvik::buildPartListPage() {
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("PG_List"));
    auto *outer = new QGridLayout(page);

    QGroupBox *calc2 = group(QStringLiteral("Enclosure Dimension Calculator 2"));
    auto *c2 = grid(calc2);
    c2->addWidget(label(QStringLiteral("Ratio")), 0, 0);
    c2->addWidget(field(Field::ERatioL), 0, 1);
    c2->addWidget(field(Field::ERatioW), 0, 2);
    c2->addWidget(field(Field::ERatioH), 0, 3);
    addField(c2, 1, 0, Field::EWoodThickness, QStringLiteral(" Wood Thickness"),
             QStringLiteral("mm"));
    addField(c2, 2, 0, Field::EVb2, QStringLiteral("Vb"));
    addField(c2, 3, 0, Field::ELength, QStringLiteral("Lenght"), QStringLiteral("cm"));
    addField(c2, 4, 0, Field::EWidth, QStringLiteral(" Width"), QStringLiteral("cm"));
    addField(c2, 5, 0, Field::EHeight, QStringLiteral("Height"), QStringLiteral("cm"));
    addField(c2, 6, 0, Field::EEstimatedWeight, QStringLiteral(" Weight"), QStringLiteral("kg"));
    c2->addWidget(button("CalcDimensions2Button", QStringLiteral("Calc Dimensions")), 7, 0, 1, 3);
    outer->addWidget(calc2, 0, 0, 2, 1);

    QGroupBox *calc1 = group(QStringLiteral("Dimension calculator 1"));
    auto *c1 = grid(calc1);
    c1->addWidget(label(QStringLiteral("Front Baffle dimensions (mm)")), 0, 0, 1, 2);
    addField(c1, 1, 0, Field::EFrontWidth, QStringLiteral(" Width"));
    addField(c1, 2, 0, Field::EFrontHeight, QStringLiteral("Height"));
    addField(c1, 3, 0, Field::EBracing, QStringLiteral("% of volume for bracing"),
             QStringLiteral("%"));
    QPushButton *calc = button("BCalcDimensions1", QStringLiteral("Calculate dimensions"));
    connect(calc, &QPushButton::clicked, this, &Tdrvik::BCalcDimensions1Click);
    c1->addWidget(calc, 4, 0, 1, 3);
    outer->addWidget(calc1, 0, 1);

    QGroupBox *general = group(QStringLiteral("General"));
    auto *g = grid(general);
    addField(g, 0, 0, Field::EMaterialThickness, QStringLiteral("Material Thickness"),
             QStringLiteral("mm"));
    addField(g, 1, 0, Field::EMinMaterialThickness,
             QStringLiteral("Recommended minimum material thickness"), QStringLiteral("mm"));
    addField(g, 2, 0, Field::EFinalVb, QStringLiteral("Box volume"), QStringLiteral("l"));
    outer->addWidget(general, 1, 1);

    QGroupBox *results = group(QStringLiteral("Results"));
    auto *r = grid(results);
    r->addWidget(label(QStringLiteral(" Width")), 0, 1);
    r->addWidget(label(QStringLiteral("Height")), 0, 2);
    r->addWidget(label(QStringLiteral("Quantity")), 0, 3);
    const struct {
        const char *caption;
        Field w, h, qty;
    } panels[] = {
        {"Front baffle & rear wall (mm)", Field::ECalcFrontWidth, Field::ECalcFrontHeight,
         Field::EQty1},
        {"Top & bottom wall (mm)", Field::ECalcTBWidth, Field::ECalcTBHeight, Field::EQty2},
        {"Side walls (mm)", Field::ECalcSideWidth, Field::ECalcSideHeight, Field::EQty3}};
    int row = 1;
    for (const auto &p : panels) {
        r->addWidget(label(QString::fromLatin1(p.caption)), row, 0);
        r->addWidget(field(p.w), row, 1);
        r->addWidget(field(p.h), row, 2);
        r->addWidget(field(p.qty), row++, 3);
    }
    r->addWidget(label(QStringLiteral(" Width")), row, 1);
    r->addWidget(label(QStringLiteral("Height")), row, 2);
    r->addWidget(label(QStringLiteral("Length")), row++, 3);
    r->addWidget(label(QStringLiteral("Box outer dimensions")), row, 0);
    r->addWidget(field(Field::E_OW), row, 1);
    r->addWidget(field(Field::E_OH), row, 2);
    r->addWidget(field(Field::E_OL), row++, 3);
    r->addWidget(label(QStringLiteral("Part list")), row++, 0);
    r->addWidget(listBox(List::ListBox4), row, 0, 1, 4);
    r->setRowStretch(row, 1);
    outer->addWidget(results, 2, 0, 1, 2);
    outer->setRowStretch(2, 1);
    return page;
}

QWidget *Tdrvik::buildOtherPage() {
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("Other"));
    return page;
}

} // namespace dravik
