#include "outptw.h"

#include <QLabel>
#include <QStatusBar>
#include <QVBoxLayout>

namespace dravik {

TOutputW::TOutputW(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("OutputW"));
    setWindowTitle(QStringLiteral("Frequency Response plotter"));
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(841, 561);

    auto *picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setMinimumSize(817, 481);

    auto *status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("StatusBar1"));
    status->setSizeGripEnabled(false);
    auto *statusText = new QLabel(QStringLiteral("Frequency Response"), status);
    statusText->setObjectName(QStringLiteral("StatusText"));
    status->addWidget(statusText, 1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(picture, 1);
    layout->addWidget(status);
}

} // namespace dravik
