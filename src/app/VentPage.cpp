// The main window's page "Vent": the vent calculators and their results.
#include "ListBox.h"
#include "PageWidgets.h"
#include "mainprg2.h"

#include "Pictures.h"
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

QWidget *Tdrvik::buildVentPage() {
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("PG_Vent"));
    auto *outer = new QGridLayout(page);

    QGroupBox *general = group(QStringLiteral("General"));
    auto *g = grid(general);
    addField(g, 0, 0, Field::ENumOfVents, QStringLiteral("Number of Vents"));
    // The figure is the smallest vent diameter that keeps the air speed low.
    addField(g, 1, 0, Field::EMinVentArea, QStringLiteral("Recommended Minimum Vent Diameter"));
    addField(g, 2, 0, Field::EVb_Vent_PG, QStringLiteral("Box volume"), QStringLiteral("liters"));
    outer->addWidget(general, 0, 0);

    QGroupBox *circular = group(QStringLiteral("Circular Vent Calculator"));
    auto *c = grid(circular);
    addField(c, 0, 0, Field::EVentDiam, QStringLiteral("Vent Inner Diameter"),
             QStringLiteral("mm"));
    c->addWidget(field(Field::EVent_k), 1, 1);
    addField(c, 2, 0, Field::EVentMaterialThickness, QStringLiteral("Vent material thickness"),
             QStringLiteral("mm"));
    c->addWidget(picture(QStringLiteral("VentDiameterPicture"), ventDiameterPicture(120, 80)), 0, 3,
                 4, 1);
    c->addWidget(button("CalcCircularVentButton", QStringLiteral("Calculate Vent Length")), 3, 0, 1,
                 3);
    outer->addWidget(circular, 1, 0);

    QGroupBox *rect = group(QStringLiteral("Rectangular Vent Calculator"));
    auto *rc = grid(rect);
    addField(rc, 0, 0, Field::EVentWidth, QStringLiteral("Vent Width"), QStringLiteral("mm"));
    addField(rc, 1, 0, Field::EVentHeight, QStringLiteral("Vent Height"), QStringLiteral("mm"));
    rc->addWidget(button("CalcRectVentButton", QStringLiteral("Calculate Vent Length")), 2, 0, 1,
                  3);
    outer->addWidget(rect, 2, 0);

    QGroupBox *results = group(QStringLiteral("Results"));
    auto *r = grid(results);
    addField(r, 0, 0, Field::EVentLength, QStringLiteral("Vent Length"), QStringLiteral("mm"));
    addField(r, 1, 0, Field::ECalcVentArea, QStringLiteral("Vent Area"));
    addField(r, 2, 0, Field::ECalcVentInnerVolume, QStringLiteral("Vent Inner Volume"),
             QStringLiteral("liters"));
    addField(r, 3, 0, Field::ECalcVentOuterVolume, QStringLiteral("Vent Outer Volume"),
             QStringLiteral("liters"));
    r->addWidget(picture(QStringLiteral("VentLengthPicture"), ventLengthPicture(200, 70)), 4, 0, 1,
                 3);
    r->addWidget(label(QStringLiteral("Other Information")), 5, 0, 1, 3);
    r->addWidget(listBox(List::LVent), 6, 0, 1, 3);
    outer->addWidget(results, 0, 1, 3, 1);
    outer->setColumnStretch(1, 1);
    return page;
}

} // namespace dravik
