#pragma once

#include "UserDialogs.h"

#include <QStringList>
#include <QTextStream>

#include <deque>
#include <optional>
#include <vector>

class QObject;
class QWidget;

namespace dravik {

class Program;

// Answers the program's modal questions while a script runs: an error report
// becomes the output line "error: TEXT", and a file dialog returns what the
// script prepared with "answer" (or is cancelled).
class ScriptDialogs : public UserDialogs {
public:
    explicit ScriptDialogs(QTextStream &out) : out_(out) {}
    void showError(QWidget *parent, const QString &reportText) override;
    std::optional<QString> openFile(QWidget *parent, const QString &pipeFilter) override;
    // The next file dialog's answer; a null text cancels it.
    void prepareAnswer(const QString &answer) { answers_.push_back(answer); }

private:
    QTextStream &out_;
    std::deque<QString> answers_;
};

// Works through a script of commands against the real windows of a program,
// pressing the same buttons and typing into the same fields a person would.
class ScriptRunner {
public:
    ScriptRunner(Program &program, ScriptDialogs &dialogs, QTextStream &out, QTextStream &err);

    // Runs the script's lines; returns the exit status (0, or 2 after a script error).
    int run(const QStringList &lines);

    // The lines of a script text: LF, CR LF (and a lone CR) end a line.
    static QStringList splitLines(const QByteArray &script);

    // The verbs a script may use, in the order --help lists them.
    struct Verb {
        const char *name;
        const char *arguments; // as the usage shows them
        const char *summary;   // one line
        void (ScriptRunner::*handler)(const QString &rest);
    };
    static const std::vector<Verb> &verbs();

private:
    struct ScriptError {
        QString why;
    };

    void execute(const QString &line);
    QObject *resolve(const QString &name) const;
    QWidget *windowOf(const QString &name) const;
    static QStringList args(const QString &rest, int count, const QString &verb);

    void set(const QString &rest);
    void click(const QString &rest);
    void check(const QString &rest);
    void choose(const QString &rest);
    void select(const QString &rest);
    void page(const QString &rest);
    void opendir(const QString &rest);
    void pickfile(const QString &rest);
    void answer(const QString &rest);
    void print(const QString &rest);
    void caption(const QString &rest);
    void list(const QString &rest);
    void grab(const QString &rest);

    Program &program_;
    ScriptDialogs &dialogs_;
    QTextStream &out_;
    QTextStream &err_;
    bool quit_ = false;
};

} // namespace dravik
