#include "Program.h"
#include "ToolkitMessages.h"
#include "UserDialogs.h"
#include "mainprg2.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[]) {
    dravik::keepToolkitNoticesQuiet();
    QApplication app(argc, argv);
    // The desktop entry's id; the icon theme knows the icon as "dravik".
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.dravik"));
    app.setWindowIcon(QIcon::fromTheme(QStringLiteral("dravik")));
    // Closing the main window ends the program, whatever else is open.
    app.setQuitOnLastWindowClosed(false);
    dravik::DesktopDialogs dialogs;
    dravik::Program program(dialogs);
    QObject::connect(&program.main(), &dravik::Tdrvik::quitRequested, &app, &QApplication::quit);
    program.start();
    return app.exec();
}
