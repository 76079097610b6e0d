#pragma once

#include "UserDialogs.h"

#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>

namespace dravik {
class Program;
}

namespace dravik::bench {

// Answers the program's modal questions without anyone at the screen. Error
// reports are kept: a measured command must not end in one, or the figure
// would be that of the error path.
class BenchDialogs : public UserDialogs {
public:
    void showError(QWidget *, const QString &reportText) override { errors << reportText; }
    std::optional<QString> openFile(QWidget *, const QString &) override { return fileAnswer; }
    QStringList errors;
    std::optional<QString> fileAnswer; // what every file dialog answers; none cancels
};

// A fresh temporary directory holding copies of the shipped data files; it is
// the process's current directory while it lives, as the program opens every
// data file by bare name.
class WorkDir {
public:
    explicit WorkDir(const QString &shippedDir);
    ~WorkDir();
    WorkDir(const WorkDir &) = delete;
    WorkDir &operator=(const WorkDir &) = delete;

    bool isValid() const { return valid_; }
    QString filePath(const QString &name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
    QString previous_;
    bool valid_ = false;
};

// The whole program created and started, its controls reached by object name
// as a person reaches them: buttons clicked, menu items triggered.
class Session {
public:
    explicit Session(BenchDialogs &dialogs);
    ~Session();

    Program &program() { return *program_; }

    void click(const char *button);
    void clickIn(const QString &window, const char *button);
    void trigger(const char *menuItem);
    void setText(const char *field, const QString &text);
    QString text(const char *field) const;
    int lineCount(const QString &window, const char *list) const;
    void showPage(const char *page);

private:
    std::unique_ptr<Program> program_;
};

// Lets the event loop finish what a command left behind it: repaints,
// layout, list updates, window exposure.
void settle();

// Milliseconds that `action` followed by settle() takes.
double timed(const std::function<void()> &action);

// The resident memory of this process (VmRSS of /proc/self/status), in KiB;
// with "VmHWM:" its peak so far.
long long residentKiB(const char *key = "VmRSS:");

} // namespace dravik::bench
