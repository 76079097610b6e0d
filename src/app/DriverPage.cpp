// The main window's page "Driver": the driver's Thiele-Small parameters.
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

QWidget *Tdrvik::buildDriverPage() {
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("PG_Driver"));
    auto *outer = new QVBoxLayout(page);
    QGroupBox *ts = group(QStringLiteral("Thiele-Small Parameters"));
    outer->addWidget(ts);
    auto *g = grid(ts);
    struct Row {
        Field field;
        const char *caption;
    };
    const Row col0[] = {{Field::EManufacturer, "Manufacturer"},
                        {Field::EModel, "Model"},
                        {Field::EComments, "Comments"},
                        {Field::EDiam, "Diameter"},
                        {Field::EImpedance, "Rated Impedance"},
                        {Field::ESens, "Sensitivity"},
                        {Field::EEffPDiam, "Effective Piston\nDiameter"},
                        {Field::EMaxExcursionBeforeDamage, "Maximum Excursion\nBefore Damage"},
                        {Field::EMinImpedance, "Minimum Impedance"},
                        {Field::EMagnetW, "Magnet Assembly Weight"}};
    const Row col1[] = {{Field::EBl, "BL factor"}, {Field::EVd, "Vd"},   {Field::EFs, "Fs"},
                        {Field::ERe, "Re"},        {Field::EQts, "Qts"}, {Field::EQms, "Qms"},
                        {Field::EQes, "Qes"},      {Field::EVas, "Vas"}, {Field::EXmax, "Xmax"},
                        {Field::EPEmax, "PEmax"}};
    const Row col2[] = {{Field::ECms, "Cms"},
                        {Field::EMms, "Mms"},
                        {Field::ERms, "Rms"},
                        {Field::EWeight, " Weight"},
                        {Field::EConeMaterial, "Cone\nmaterial"},
                        {Field::EPictureFile, "Picture\nfile"},
                        {Field::ECalcSens, "Calculated\nSensitivity"}};
    int row = 0;
    for (const Row &r : col0)
        addField(g, row++, 0, r.field, QString::fromLatin1(r.caption));
    row = 0;
    for (const Row &r : col1)
        addField(g, row++, 2, r.field, QString::fromLatin1(r.caption));
    row = 0;
    for (const Row &r : col2)
        addField(g, row++, 4, r.field, QString::fromLatin1(r.caption));
    auto *driverPicture = new QLabel;
    driverPicture->setObjectName(QStringLiteral("DriverPicture"));
    driverPicture->setFrameShape(QFrame::StyledPanel);
    g->addWidget(driverPicture, 7, 4, 3, 2);
    g->addWidget(label(QStringLiteral("Recommended Enclosure")), 10, 0);
    g->addWidget(field(Field::ERecommendedEnclType), 10, 1, 1, 5);
    g->addWidget(label(QStringLiteral("Other Information")), 11, 0);
    g->addWidget(field(Field::EOtherInformation), 11, 1, 1, 5);
    g->setColumnStretch(1, 3);
    g->setColumnStretch(3, 1);
    g->setColumnStretch(5, 2);

    auto *buttons = new QGridLayout;
    buttons->addWidget(button("CalcQtsButton", QStringLiteral("Calculate Qts from Qes and Qms")), 0,
                       0);
    buttons->addWidget(button("CalcSensButton",
                              QStringLiteral("Calculate sensitivity from Thiele-Small parameters")),
                       0, 1, 1, 2);
    QPushButton *get = button("GETDRIVERButton", QStringLiteral("Get Driver"));
    connect(get, &QPushButton::clicked, this, &Tdrvik::GETDRIVERButtonClick);
    buttons->addWidget(get, 1, 0);
    QPushButton *add = button("ADDDRIVERButton", QStringLiteral("Add Driver"));
    connect(add, &QPushButton::clicked, this, &Tdrvik::ADDDRIVERButtonClick);
    buttons->addWidget(add, 1, 1);
    buttons->addWidget(button("RestoreButton", QStringLiteral("Restore")), 1, 2);
    buttons->addWidget(button("StoreButton", QStringLiteral("Store")), 2, 0);
    QPushButton *pic = button("Button21", QStringLiteral("Select Picture from file"));
    connect(pic, &QPushButton::clicked, this, &Tdrvik::Button21Click);
    buttons->addWidget(pic, 2, 1);
    outer->addLayout(buttons);
    outer->addStretch(1);
    return page;
}

} // namespace dravik
