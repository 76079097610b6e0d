#include "BenchSession.h"

#include "ListBox.h"
#include "Program.h"
#include "mainprg2.h"

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTabWidget>

#include <stdexcept>

namespace dravik::bench {

namespace {

template <typename T> T *find(QWidget *root, const QString &name) {
    T *found = root->findChild<T *>(name);
    if (!found)
        throw std::runtime_error("no control named " + name.toStdString());
    return found;
}

} // namespace

WorkDir::WorkDir(const QString &shippedDir) : previous_(QDir::currentPath()) {
    if (!dir_.isValid())
        return;
    const QDir shipped(shippedDir);
    const QStringList files = shipped.entryList(QDir::Files);
    if (files.isEmpty())
        return;
    for (const QString &f : files)
        if (!QFile::copy(shipped.filePath(f), dir_.filePath(f)))
            return;
    valid_ = QDir::setCurrent(dir_.path());
}

WorkDir::~WorkDir() {
    QDir::setCurrent(previous_);
}

Session::Session(BenchDialogs &dialogs) : program_(std::make_unique<Program>(dialogs)) {
    program_->start();
    settle();
}

Session::~Session() = default;

void Session::click(const char *button) {
    find<QAbstractButton>(&program_->main(), QLatin1String(button))->click();
}

void Session::clickIn(const QString &window, const char *button) {
    QWidget *w = program_->window(window);
    if (!w)
        throw std::runtime_error("no window named " + window.toStdString());
    find<QAbstractButton>(w, QLatin1String(button))->click();
}

void Session::trigger(const char *menuItem) {
    find<QAction>(&program_->main(), QLatin1String(menuItem))->trigger();
}

void Session::setText(const char *field, const QString &text) {
    find<QLineEdit>(&program_->main(), QLatin1String(field))->setText(text);
}

QString Session::text(const char *field) const {
    return find<QLineEdit>(&program_->main(), QLatin1String(field))->text();
}

int Session::lineCount(const QString &window, const char *list) const {
    QWidget *w = program_->window(window);
    if (!w)
        throw std::runtime_error("no window named " + window.toStdString());
    return find<ListBox>(w, QLatin1String(list))->lines()->count();
}

void Session::showPage(const char *page) {
    auto *pages = find<QTabWidget>(&program_->main(), QStringLiteral("Valitsin"));
    pages->setCurrentWidget(find<QWidget>(pages, QLatin1String(page)));
}

void settle() {
    // Events posted while the first pass runs (a repaint requested by a
    // layout change, say) are handled by the second.
    for (int pass = 0; pass < 2; ++pass) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

double timed(const std::function<void()> &action) {
    QElapsedTimer clock;
    clock.start();
    action();
    settle();
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

long long residentKiB(const char *key) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    // Files of /proc report no size, so read to the end rather than ask atEnd().
    const QByteArray wanted(key);
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(wanted))
            return line.mid(wanted.size()).simplified().split(' ').value(0).toLongLong();
    return -1;
}

} // namespace dravik::bench
