#include "Application.h"
#include "Program.h"
#include "ToolkitMessages.h"
#include "UserDialogs.h"
#include "mainprg2.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>

int main(int argc, char *argv[]) {
    // Dravik takes no options; the toolkit's own ("-platform", "-stylesheet",
    // ...) are not honoured either: the platform comes from QT_QPA_PLATFORM.
    if (argc > 1) {
        std::fprintf(stderr, "usage: dravik\n"
                             "Dravik takes no arguments; it works in the directory it is "
                             "started in.\n");
        return 2;
    }
    dravik::keepToolkitNoticesQuiet();
    int toolkitArgc = 1;
    char programName[] = "dravik";
    char *toolkitArgv[] = {argc > 0 && argv[0] ? argv[0] : programName, nullptr};
    dravik::Application app(toolkitArgc, toolkitArgv);
    // The desktop entry's id; the icon theme knows the icon as "dravik".
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.dravik"));
    app.setWindowIcon(QIcon::fromTheme(QStringLiteral("dravik")));
    // Closing the main window ends the program, whatever else is open.
    app.setQuitOnLastWindowClosed(false);
    dravik::DesktopDialogs dialogs;
    // The user's own choices, kept in their settings between runs.
    dravik::Program program(dialogs, dravik::ChoicesInSettings());
    QObject::connect(&program.main(), &dravik::Tdrvik::quitRequested, &app, &QApplication::quit);
    program.start();
    return app.exec();
}
