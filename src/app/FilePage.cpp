// The main window's page "File": the design file's directory and name, and what double-clicks in
// its lists do.
#include "ListBox.h"
#include "PageWidgets.h"
#include "mainprg2.h"

#include "Fp.h"
#include "Pictures.h"
#include "TextFile.h"
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

#include <climits>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dravik {

using namespace widgets;

namespace {

// The path of the directory open as `fd`, when the file system can name it:
// the name must lead back to that very directory.
QString pathOf(int fd) {
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    QByteArray target(PATH_MAX, '\0');
    const ssize_t n = ::readlink(link, target.data(), static_cast<size_t>(target.size()));
    if (n <= 0 || n >= target.size() || target[0] != '/')
        return QString();
    target.truncate(n);
    struct stat named {};
    struct stat open {};
    if (::stat(target.constData(), &named) != 0 || ::fstat(fd, &open) != 0 ||
        named.st_dev != open.st_dev || named.st_ino != open.st_ino)
        return QString();
    return QFile::decodeName(target);
}

// The nearest directory above the current one that still has a name: for a
// current directory that was deleted, or whose path is too long to be named.
QString nearestNamedAncestor() {
    int fd = ::open(".", O_PATH | O_DIRECTORY | O_CLOEXEC);
    // A path too long to name holds at most PATH_MAX / 2 levels more than one that can be.
    for (int level = 0; fd >= 0 && level <= PATH_MAX / 2; ++level) {
        const int parent = ::openat(fd, "..", O_PATH | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        fd = parent;
        if (fd < 0)
            break;
        const QString path = pathOf(fd);
        if (!path.isEmpty()) {
            ::close(fd);
            return path;
        }
    }
    if (fd >= 0)
        ::close(fd);
    return QStringLiteral("/");
}

} // namespace

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
    if (item && item->data(Qt::UserRole).isValid())
        openDirectory(item->data(Qt::UserRole).toString());
}

void Tdrvik::openDirectory(const QString &path) {
    runCommand([this, path] {
        const QFileInfo info(path);
        if (!info.isDir())
            fail(msg::PathNotFound);
        // A relative path in a current directory without a name is taken from
        // where the program is, not made absolute against an empty path (that
        // would resolve it against the root).
        const bool unnamed = info.isRelative() && QDir::currentPath().isEmpty();
        if (!QDir::setCurrent(unnamed ? path : info.absoluteFilePath()))
            fail(msg::FileAccessDenied);
        design_->setText(Field::EDesignFilePath, QDir::currentPath());
        refreshFilePage();
    });
}

// The directory list shows the path from the root down to the current
// directory, then its subdirectories; the file list the "*.dgn" files there.
// A current directory that has no name any more (deleted, or with a path too
// long to name) is shown as its nearest named ancestor's path and a note.
void Tdrvik::refreshFilePage() {
    const bool named = !QDir::currentPath().isEmpty();
    const QDir current = named ? QDir::current() : QDir(nearestNamedAncestor());
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
    fileList_->clear();
    if (!named) {
        // A line that opens nothing: double-clicking it does nothing.
        dirList_->addItem(QString(depth * 2, QLatin1Char(' ')) +
                          (currentDirectoryDeleted()
                               ? QStringLiteral("(the working directory was deleted)")
                               : QStringLiteral("(the working directory's path is too long)")));
        return;
    }
    for (const QFileInfo &sub :
         current.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase)) {
        auto *item = new QListWidgetItem(QString(depth * 2, QLatin1Char(' ')) + sub.fileName());
        item->setData(Qt::UserRole, sub.absoluteFilePath());
        dirList_->addItem(item);
    }
    for (const QFileInfo &f : current.entryInfoList({QStringLiteral("*.dgn")}, QDir::Files,
                                                    QDir::Name | QDir::IgnoreCase)) {
        auto *item = new QListWidgetItem(f.fileName());
        item->setData(Qt::UserRole, f.absoluteFilePath());
        fileList_->addItem(item);
    }
}

} // namespace dravik
