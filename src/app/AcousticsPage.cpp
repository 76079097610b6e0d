// The main window's page "Acoustical Environment": the room acoustics choices.
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

QWidget *Tdrvik::buildAcousticsPage() {
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("PG_Acoustics"));
    auto *outer = new QGridLayout(page);
    QGroupBox *room = group(QStringLiteral("Room Acoustics"));
    auto *rl = new QVBoxLayout(room);
    rl->addWidget(checkBox(Check::EnableAcoustics,
                           QStringLiteral("Acoustical Environment Simulation Enabled")));
    outer->addWidget(room, 0, 0, 1, 2);

    QGroupBox *envs = group(QStringLiteral("Simulated Acoustical Environments"));
    auto *el = new QVBoxLayout(envs);
    el->setSpacing(1);
    const char *environments[] = {"Car",
                                  "Small Room",
                                  "Medium Room",
                                  "Large Room",
                                  "Small Movie Theater",
                                  "Medium Movie Theater",
                                  "Large Cinema",
                                  "Hall",
                                  "Outdoors"};
    int n = 1;
    for (const char *e : environments) {
        el->addWidget(radio(QStringLiteral("EnvironmentRadio") + QString::number(n),
                            QString::fromLatin1(e), n == 2));
        ++n;
    }
    outer->addWidget(envs, 1, 0, 2, 1);

    QGroupBox *placement = group(QStringLiteral("Subwoofer Placement"));
    auto *pl = grid(placement);
    const char *top[] = {"L", "C", "R"};
    for (int i = 0; i < 9; ++i) {
        const QString caption = i < 3 ? QString::fromLatin1(top[i]) : QString();
        pl->addWidget(
            radio(QStringLiteral("PlacementRadio") + QString::number(i + 1), caption, i == 1),
            i / 3, i % 3);
    }
    outer->addWidget(placement, 1, 1);

    QGroupBox *listening = group(QStringLiteral("Listening position"));
    auto *ll = grid(listening);
    ll->addWidget(radio(QStringLiteral("ListeningRadio1"), QString()), 0, 1);
    for (int i = 0; i < 12; ++i)
        ll->addWidget(
            radio(QStringLiteral("ListeningRadio") + QString::number(i + 2), QString(), i == 4),
            1 + i / 3, i % 3);
    outer->addWidget(listening, 2, 1);

    QGroupBox *roomType = group(QStringLiteral("Room type"));
    roomType->setObjectName(QStringLiteral("RoomTypeGroup"));
    roomType->setMinimumHeight(40);
    outer->addWidget(roomType, 1, 2);
    outer->addWidget(button("UpdatePlotButton", QStringLiteral("Update Plot")), 3, 0);
    outer->setRowStretch(4, 1);
    outer->setColumnStretch(2, 1);
    return page;
}

} // namespace dravik
