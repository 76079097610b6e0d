// The main window's page "File": the design file's directory and name, and what double-clicks in
// its lists do.
#include "ListBox.h"
#include "PageWidgets.h"
#include "mainprg2.h"

#include "Fp.h"
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

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QStorageInfo>

namespace dravik {

using namespace widgets;

QWidget *Tdrvik::buildFilePage() {
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("PG_File"));
    auto *outer = new QVBoxLayout(page);
    QGroupBox *selector = group(QStringLiteral("FILE SELECTOR"));
    selector->setObjectName(QStringLiteral("FileSelectorGroup"));
    outer->addWidget(selector);

    // The cabinet picture sits behind the controls, unscaled from the group's corner.
    QLabel *cabinet = picture(QStringLiteral("CabinetPicture"), cabinetPicture(300, 260));
    cabinet->setParent(selector);
    cabinet->move(0, 0);
    cabinet->lower();

    auto *g = grid(selector);
    g->setContentsMargins(310, 16, 8, 8);
    auto *buttons = new QHBoxLayout;
    QPushButton *newButton = button("Button12", QStringLiteral("New"));
    connect(newButton, &QPushButton::clicked, this, &Tdrvik::Button12Click);
    buttons->addWidget(newButton);
    buttons->addWidget(button("OpenButton", QStringLiteral("Open")));
    QPushButton *save = button("Button17", QStringLiteral("Save"));
    connect(save, &QPushButton::clicked, this, &Tdrvik::Button17Click);
    buttons->addWidget(save);
    buttons->addWidget(button("SaveAsButton", QStringLiteral("Save As")));
    g->addLayout(buttons, 0, 0, 1, 2);

    driveBox_ = new QComboBox;
    driveBox_->setObjectName(QStringLiteral("DriveComboBox1"));
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes())
        driveBox_->addItem(volume.rootPath());
    g->addWidget(driveBox_, 1, 0);
    auto *types = new QComboBox;
    types->setObjectName(QStringLiteral("FilterComboBox1"));
    types->addItem(QStringLiteral("Design Files"), QStringLiteral("*.dgn"));
    types->addItem(QStringLiteral("All Files"), QStringLiteral("*.*"));
    g->addWidget(types, 1, 1);

    dirList_ = new QListWidget;
    dirList_->setObjectName(QStringLiteral("DirectoryListBox1"));
    dirList_->setFrameShape(QFrame::NoFrame);
    connect(dirList_, &QListWidget::itemDoubleClicked, this, &Tdrvik::LDirClick);
    g->addWidget(dirList_, 2, 0);
    fileList_ = new QListWidget;
    fileList_->setObjectName(QStringLiteral("FileListBox1"));
    fileList_->setFrameShape(QFrame::NoFrame);
    connect(fileList_, &QListWidget::itemDoubleClicked, this, [this] { LFileClick(); });
    g->addWidget(fileList_, 2, 1);
    g->addWidget(field(Field::EDesignFilePath), 3, 0);
    g->addWidget(field(Field::EDesignFile), 3, 1);
    g->setRowStretch(2, 1);
    refreshFilePage();
    return page;
}

void Tdrvik::LFileClick() {
    runCommand([this] {
        QListWidgetItem *item = fileList_->currentItem();
        const bool selected = item && item->isSelected();
        design_->setText(Field::EDesignFile,
                         selected ? QFileInfo(item->data(Qt::UserRole).toString()).fileName()
                                  : QString());
    });
}

void Tdrvik::LDirClick(QListWidgetItem *item) {
    if (item)
        openDirectory(item->data(Qt::UserRole).toString());
}

void Tdrvik::openDirectory(const QString &path) {
    runCommand([this, path] {
        const QFileInfo info(path);
        if (!info.isDir())
            fail(msg::PathNotFound);
        if (!QDir::setCurrent(info.absoluteFilePath()))
            fail(msg::FileAccessDenied);
        design_->setText(Field::EDesignFilePath, QDir::currentPath());
        refreshFilePage();
    });
}

// The directory list shows the path from the root down to the current
// directory, then its subdirectories; the file list the "*.dgn" files there.
void Tdrvik::refreshFilePage() {
    const QDir current = QDir::current();
    dirList_->clear();
    QStringList ancestors;
    for (QDir d = current;;) {
        ancestors.prepend(d.absolutePath());
        if (!d.cdUp())
            break;
    }
    int depth = 0;
    for (const QString &a : ancestors) {
        const QString name = depth == 0 ? a : QFileInfo(a).fileName();
        auto *item = new QListWidgetItem(QString(depth * 2, QLatin1Char(' ')) + name);
        item->setData(Qt::UserRole, a);
        dirList_->addItem(item);
        ++depth;
    }
    for (const QFileInfo &sub :
         current.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase)) {
        auto *item = new QListWidgetItem(QString(depth * 2, QLatin1Char(' ')) + sub.fileName());
        item->setData(Qt::UserRole, sub.absoluteFilePath());
        dirList_->addItem(item);
    }
    fileList_->clear();
    for (const QFileInfo &f : current.entryInfoList({QStringLiteral("*.dgn")}, QDir::Files,
                                                    QDir::Name | QDir::IgnoreCase)) {
        auto *item = new QListWidgetItem(f.fileName());
        item->setData(Qt::UserRole, f.absoluteFilePath());
        fileList_->addItem(item);
    }
}

} // namespace dravik
