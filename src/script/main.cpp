// dravik-script: the real program's windows, offscreen, driven by a script.
#include "Program.h"
#include "ScriptRunner.h"

#include <QApplication>
#include <QFile>

#include <cstdio>

int main(int argc, char *argv[]) {
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

    const QStringList args = app.arguments();
    if (args.size() != 2) {
        errStream << "usage: dravik-script SCRIPT_FILE   (or - for standard input)\n";
        return 2;
    }
    QFile script;
    const bool opened = args[1] == QLatin1String("-")
                            ? script.open(stdin, QIODevice::ReadOnly)
                            : (script.setFileName(args[1]), script.open(QIODevice::ReadOnly));
    if (!opened) {
        errStream << "script error: line 0: cannot read \"" << args[1] << "\"\n";
        return 2;
    }
    // A script is read whole; past this size it is not a script but, say,
    // /dev/zero given by mistake, and reading it would never end.
    constexpr qint64 MaxScriptBytes = 64 * 1024 * 1024;
    const QByteArray text = script.read(MaxScriptBytes + 1);
    if (text.size() > MaxScriptBytes) {
        errStream << "script error: line 0: \"" << args[1] << "\" is larger than 64 MB\n";
        return 2;
    }
    const QStringList lines = dravik::ScriptRunner::splitLines(text);

    dravik::ScriptDialogs dialogs(outStream);
    dravik::Program program(dialogs);
    program.start();
    QCoreApplication::processEvents();
    dravik::ScriptRunner runner(program, dialogs, outStream, errStream);
    const int status = runner.run(lines);
    outStream.flush();
    errStream.flush();
    return status;
}
