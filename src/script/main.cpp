// dravik-script: the real program's windows, offscreen, driven by a script.
#include "Product.h"
#include "Program.h"
#include "ScriptRunner.h"
#include "ToolkitMessages.h"

#include <QApplication>
#include <QFile>

namespace {

constexpr int UsageError = 2;

// A script is read whole; past this size it is not a script but, say,
// /dev/zero given by mistake, and reading it would never end.
constexpr qint64 MaxScriptBytes = 64 * 1024 * 1024;

void printUsage(QTextStream &out) {
    out << "usage: dravik-script [--] SCRIPT   run the commands of the file SCRIPT\n"
           "       dravik-script -            read the script from standard input\n"
           "       dravik-script --help | --version\n"
           "\n"
           "Starts Dravik's windows offscreen in the current directory and works\n"
           "through the script, one command a line (blank lines and # comments are\n"
           "skipped). NAME is a control's object name, WINDOW.NAME one of another\n"
           "window.\n"
           "\n"
           "Commands:\n";
    for (const dravik::ScriptRunner::Verb &v : dravik::ScriptRunner::verbs())
        out << "  "
            << QString::fromLatin1("%1 %2")
                   .arg(QLatin1String(v.name))
                   .arg(QLatin1String(v.arguments))
                   .leftJustified(22)
            << ' ' << v.summary << '\n';
    out << "\n"
           "Output: NAME=VALUE lines; \"error: TEXT\" where Dravik would show an error\n"
           "message box (the script goes on).\n"
           "\n"
           "Exit status: 0 when the script ran to its end (error reports included),\n"
           "2 for a script error (\"script error: line N: WHY\" on standard error) or\n"
           "a usage error.\n"
           "\n"
           "Environment: DRAVIK_QT_MESSAGES=1 lets the toolkit's own notices through\n"
           "to standard error.\n";
}

// The script's file name or "-" from the arguments left after Qt took its
// own, or a usage error: "--help" and "--version" are answered here.
std::optional<QString> scriptArgument(const QStringList &args, QTextStream &out, QTextStream &err,
                                      int &status) {
    QStringList operands;
    bool options = true;
    for (const QString &a : args.mid(1)) {
        if (options && a == QLatin1String("--")) {
            options = false;
        } else if (options && (a == QLatin1String("--help") || a == QLatin1String("-h"))) {
            printUsage(out);
            status = 0;
            return std::nullopt;
        } else if (options && a == QLatin1String("--version")) {
            out << "dravik-script " << DRAVIK_VERSION << '\n';
            status = 0;
            return std::nullopt;
        } else if (options && a.startsWith(QLatin1Char('-')) && a != QLatin1String("-")) {
            err << "dravik-script: unknown option \"" << a << "\"\n"
                << "Try \"dravik-script --help\".\n";
            status = UsageError;
            return std::nullopt;
        } else {
            operands << a;
        }
    }
    if (operands.size() != 1) {
        err << (operands.isEmpty() ? "dravik-script: no script given\n"
                                   : "dravik-script: only one script can be run at a time\n")
            << "usage: dravik-script [--] SCRIPT   (or - for standard input)\n";
        status = UsageError;
        return std::nullopt;
    }
    return operands.front();
}

} // namespace

int main(int argc, char *argv[]) {
    dravik::keepToolkitNoticesQuiet();
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);

    QFile out;
    QFile err;
    out.open(stdout, QIODevice::WriteOnly);
    err.open(stderr, QIODevice::WriteOnly);
    QTextStream outStream(&out);
    QTextStream errStream(&err);

    int status = 0;
    const std::optional<QString> name =
        scriptArgument(app.arguments(), outStream, errStream, status);
    if (!name)
        return status;
    QFile script;
    const bool opened = *name == QLatin1String("-")
                            ? script.open(stdin, QIODevice::ReadOnly)
                            : (script.setFileName(*name), script.open(QIODevice::ReadOnly));
    if (!opened) {
        errStream << "script error: line 0: cannot read \"" << *name << "\"\n";
        return UsageError;
    }
    const QByteArray text = script.read(MaxScriptBytes + 1);
    if (text.size() > MaxScriptBytes) {
        errStream << "script error: line 0: \"" << *name << "\" is larger than 64 MB\n";
        return UsageError;
    }
    const QStringList lines = dravik::ScriptRunner::splitLines(text);

    dravik::ScriptDialogs dialogs(outStream);
    dravik::Program program(dialogs);
    program.start();
    QCoreApplication::processEvents();
    dravik::ScriptRunner runner(program, dialogs, outStream, errStream);
    const int result = runner.run(lines);
    outStream.flush();
    errStream.flush();
    return result;
}
