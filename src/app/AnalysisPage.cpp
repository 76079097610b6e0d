// The main window's page "Analysis": the box analyzer's result fields and data point lists.
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

namespace {
constexpr List DatapointLists[] = {List::Datapoints1, List::Datapoints2, List::Datapoints3,
                                   List::Datapoints4, List::Datapoints5};
} // namespace

QWidget *Tdrvik::buildAnalysisPage() {
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("PG_Analysis"));
    auto *outer = new QVBoxLayout(page);
    QGroupBox *analyzer = group(QStringLiteral("Box Analyzer"));
    analyzer->setObjectName(QStringLiteral("AnalysisFields"));
    QPalette silver = analyzer->palette();
    silver.setColor(QPalette::Base, QColor(192, 192, 192));
    analyzer->setPalette(silver);
    outer->addWidget(analyzer);
    auto *g = grid(analyzer);
    addField(g, 0, 0, Field::EAlfa, QStringLiteral("Alfa"));
    addField(g, 1, 0, Field::Effs, QStringLiteral("ffs"));
    addField(g, 2, 0, Field::ESd, QStringLiteral("Sd"));
    const Field results[] = {Field::EPeakSPL, Field::EPar,   Field::EPer,    Field::ESPL,
                             Field::ESPL100W, Field::E3dB,   Field::ERecPwr, Field::ERecPwrResult,
                             Field::EdBmag25, Field::ESPLRef};
    int i = 0;
    for (Field result : results) {
        g->addWidget(field(result), i % 5, 2 + i / 5);
        ++i;
    }
    auto *lists = new QHBoxLayout;
    lists->setSpacing(4);
    for (int k = 1; k <= 5; ++k) {
        auto *list = listBox(DatapointLists[k - 1]);
        list->setPalette(palette()); // the lists stay light grey; only the fields are silver
        lists->addWidget(list);
    }
    g->addLayout(lists, 5, 0, 1, 4);
    g->setRowStretch(5, 1);
    return page;
}

} // namespace dravik
