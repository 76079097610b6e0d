// dravik-script: the real program's windows, offscreen, driven by a script.
#include "Application.h"
#include "Product.h"
#include "Program.h"
#include "ScriptRunner.h"
#include "ToolkitMessages.h"

#include <QApplication>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int UsageError = 2;

// A script is read line by line as it runs; past this size it is not a
// script but, say, /dev/zero given by mistake, and reading it would never end.
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

// The script's file name or "-" from the command line, or a usage error:
// "--help" and "--version" are answered here. The toolkit sees none of the
// arguments, so its own options ("-platform", "-stylesheet", ...) are unknown
// options here like any other.
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

bool isOpen(int fd) {
    return ::fcntl(fd, F_GETFD) != -1 || errno != EBADF;
}

// Puts /dev/null on the closed descriptor fd, so that nothing else (the
// toolkit's own event descriptor, say) takes its number.
bool fillWithNull(int fd, int access) {
    const int null = ::open("/dev/null", access | O_CLOEXEC);
    if (null < 0)
        return false;
    if (null == fd) {
        ::fcntl(fd, F_SETFD, 0);
        return true;
    }
    const bool moved = ::dup2(null, fd) == fd;
    ::close(null);
    return moved;
}

// Dravik's own message on standard error, with no toolkit around yet.
int refuse(const char *message) {
    std::fprintf(stderr, "dravik-script: %s\n", message);
    return UsageError;
}

} // namespace

int main(int argc, char *argv[]) {
    // Standard error closed: messages go nowhere rather than into a file that
    // happens to get descriptor 2. Standard output closed: the results would be
    // lost, so nothing runs.
    if (!isOpen(STDERR_FILENO) && !fillWithNull(STDERR_FILENO, O_WRONLY))
        return UsageError;
    if (!isOpen(STDOUT_FILENO))
        return refuse("standard output is closed.");

    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    int status = 0;
    std::optional<QString> name;
    {
        QFile out;
        QFile err;
        out.open(stdout, QIODevice::WriteOnly);
        err.open(stderr, QIODevice::WriteOnly);
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        name = scriptArgument(args, outStream, errStream, status);
        outStream.flush();
        if (!name && outStream.status() != QTextStream::Ok) {
            errStream << "dravik-script: standard output could not be written.\n";
            status = UsageError;
        }
    }
    if (!name)
        return std::fflush(stdout) == 0 || status != 0 ? status : UsageError;
    const bool fromStdin = *name == QLatin1String("-");
    if (!isOpen(STDIN_FILENO)) {
        if (fromStdin)
            return refuse("standard input is closed.");
        if (!fillWithNull(STDIN_FILENO, O_RDONLY))
            return refuse("standard input is closed.");
    }

    dravik::keepToolkitNoticesQuiet();
    // An empty QT_QPA_PLATFORM requests no platform, as an unset one.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The toolkit gets the program's name only: no argument is its option.
    int toolkitArgc = 1;
    char programName[] = "dravik-script";
    char *toolkitArgv[] = {argc > 0 && argv[0] ? argv[0] : programName, nullptr};
    dravik::Application app(toolkitArgc, toolkitArgv);
    app.setQuitOnLastWindowClosed(false);

    QFile out;
    QFile err;
    out.open(stdout, QIODevice::WriteOnly);
    err.open(stderr, QIODevice::WriteOnly);
    QTextStream outStream(&out);
    QTextStream errStream(&err);

    QFile script;
    const bool opened = fromStdin ? script.open(stdin, QIODevice::ReadOnly)
                                  : (script.setFileName(*name), script.open(QIODevice::ReadOnly));
    if (!opened) {
        errStream << "script error: line 0: cannot read \"" << *name << "\"\n";
        return UsageError;
    }
    // A file known to be too large is refused before anything runs.
    if (!script.isSequential() && script.size() - script.pos() > MaxScriptBytes) {
        errStream << "script error: line 0: \"" << *name << "\" is larger than 64 MB\n";
        return UsageError;
    }
    dravik::ScriptStream lines(script, *name, MaxScriptBytes);

    dravik::ScriptDialogs dialogs(outStream);
    dravik::Program program(dialogs);
    program.start();
    QCoreApplication::processEvents();
    dravik::ScriptRunner runner(program, dialogs, outStream, errStream);
    int result = runner.run(lines);
    outStream.flush();
    const bool written = outStream.status() == QTextStream::Ok && out.flush() &&
                         std::fflush(stdout) == 0 && !std::ferror(stdout);
    if (!written && result == 0) {
        errStream << "dravik-script: standard output could not be written.\n";
        result = UsageError;
    }
    errStream.flush();
    return result;
}
