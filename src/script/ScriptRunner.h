#pragma once

#include "TextFile.h"
#include "UserDialogs.h"

#include <QStringList>
#include <QTextStream>

#include <deque>
#include <optional>
#include <vector>

class QIODevice;
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

// A script's lines, read one at a time from an open device as they are needed,
// so a long script costs no more memory than its longest line. LF, CR LF and a
// lone CR end a line; a last line without a line end counts, an empty one
// after the last line end does not. Each line is decoded as UTF-8.
class ScriptStream {
public:
    // The script cannot be read on: `why` says so, for "script error: line 0".
    struct Failure {
        QString why;
    };

    // `name` is the script's name as the user gave it; more than maxBytes bytes
    // in all is a failure, seen when reading reaches it.
    ScriptStream(QIODevice &device, const QString &name, qint64 maxBytes);

    // The next line without its line end; false after the last one.
    bool next(QString &line);

private:
    bool readChunk(QByteArray &chunk);

    QIODevice &device_;
    QString name_;
    qint64 maxBytes_;
    qint64 bytesRead_ = 0;
    bool ended_ = false;
    LineSplitter lines_;
};

// Works through a script of commands against the real windows of a program,
// pressing the same buttons and typing into the same fields a person would.
class ScriptRunner {
public:
    ScriptRunner(Program &program, ScriptDialogs &dialogs, QTextStream &out, QTextStream &err);

    // Runs the script's lines; returns the exit status: 0, or 2 after a script
    // error, or when the output could not be written.
    int run(ScriptStream &script);
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

    // Runs one line; false when the script has to stop with `status`.
    bool runLine(const QString &line, int number, int &status);
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
