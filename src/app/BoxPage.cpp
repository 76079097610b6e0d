// The main window's page "Box": the vented and sealed box optimizers and the results list.
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

QWidget *Tdrvik::buildBoxPage() {
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("PG_Box"));
    auto *outer = new QGridLayout(page);

    QGroupBox *vented = group(QStringLiteral("Vented Enclosure Optimizer"));
    auto *v = grid(vented);
    addField(v, 0, 0, Field::EVb, QStringLiteral("Box Total Volume Vb"));
    addField(v, 1, 0, Field::EFb, QStringLiteral("Resonant Frequency Fb"));
    addField(v, 2, 0, Field::ETargetFb, QStringLiteral("Target tuning frequency\nfor optimizer"));
    addField(v, 3, 0, Field::ETargetDbmag, QStringLiteral("Target dbmag for\noptimizer"));
    v->addWidget(label(QStringLiteral("Alignments")), 4, 0, 1, 2);
    struct Cmd {
        const char *name;
        const char *caption;
        void (Tdrvik::*handler)();
    };
    const Cmd cmds[] = {
        {"SBB4Button", "Calculate SBB4 alignment", &Tdrvik::SBB4ButtonClick},
        {"Button26", "Calculate SC4 alignment", &Tdrvik::Button26Click},
        {"SQB3Button", "Calculate SQB3 alignment", nullptr},
        {"CALCULATEIDEALButton", "Calculate Ideal Alignment", &Tdrvik::CALCULATEIDEALButtonClick},
        {"CALCULATEMAXIMALLYFLATButton", "Calculate Maximally Flat Alignment",
         &Tdrvik::CALCULATEMAXIMALLYFLATButtonClick},
        {"Button1", "Calculate from Vb and Fb", &Tdrvik::Button1Click},
        {"Button25", "Optimize for subwoofer use", &Tdrvik::Button25Click},
    };
    int row = 5;
    for (const Cmd &c : cmds) {
        QPushButton *b = button(c.name, QString::fromLatin1(c.caption));
        if (c.handler)
            connect(b, &QPushButton::clicked, this, c.handler);
        v->addWidget(b, row++, 0, 1, 2);
    }
    v->setRowStretch(row, 1);
    outer->addWidget(vented, 0, 0, 3, 1);

    QGroupBox *general = group(QStringLiteral("General"));
    auto *gg = grid(general);
    addField(gg, 0, 0, Field::ENumOfDrivers, QStringLiteral("Number of Drivers"));
    gg->addWidget(button("ShowPlotButton", QStringLiteral("Show Plot")), 1, 0);
    gg->addWidget(button("ShowDataPointsButton", QStringLiteral("Show Data Points")), 1, 1);
    outer->addWidget(general, 0, 1);

    QGroupBox *sealed = group(QStringLiteral("Sealed Box Optimizer"));
    auto *s = grid(sealed);
    addField(s, 0, 0, Field::ESVb, QStringLiteral("Box Volume Vb"));
    addField(s, 1, 0, Field::ESQtot, QStringLiteral("Box's Q-value Qtot"));
    addField(s, 2, 0, Field::ETargetF3, QStringLiteral("Target F3"));
    addField(s, 3, 0, Field::ESFr, QStringLiteral("Calculated Resonant\nFreq Fr"));
    QPushButton *qtot = button("Button2", QStringLiteral("Calculate Box from Qtot"));
    connect(qtot, &QPushButton::clicked, this, &Tdrvik::Button2Click);
    s->addWidget(qtot, 4, 0, 1, 2);
    s->addWidget(button("CalcFbButton", QStringLiteral("Calculate Fb")), 5, 0);
    s->addWidget(button("OptimizeF3Button", QStringLiteral("Optimize for -3 dB frequency")), 5, 1);
    outer->addWidget(sealed, 1, 1);

    QGroupBox *bandpass = group(QStringLiteral("Bandpass Optimizer"));
    bandpass->setObjectName(QStringLiteral("BandpassGroup"));
    bandpass->setMinimumHeight(24);
    outer->addWidget(bandpass, 2, 1);

    QGroupBox *results = group(QStringLiteral("Results"));
    auto *r = new QVBoxLayout(results);
    r->setContentsMargins(6, 4, 6, 4);
    r->setSpacing(2);
    r->addWidget(field(Field::ELastGenerated));
    r->addWidget(listBox(List::ListBox2), 1);
    r->addWidget(label(QStringLiteral("Guru's Comments")));
    r->addWidget(field(Field::EWizard1));
    results->setMinimumWidth(180);
    outer->addWidget(results, 0, 2, 3, 1);
    outer->setColumnStretch(2, 1);
    outer->setRowStretch(2, 1);
    return page;
}

} // namespace dravik
