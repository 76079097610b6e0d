#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <memory>

class QWidget;

namespace dravik {

class Tdrvik;
class TOutputW;
class TGETDRIVERForm;
class TOutputForm;
class TAboutForm;
class TOptionsForm;
class TCreateNewProjectForm;
class TFVentFSel;
class TChartsForm;
class TMeasureForm;
class UserDialogs;
struct ProgramState;

// Choices the program keeps from one run to the next (the design charts'
// system of units). The desktop program keeps them in the user's settings;
// the script runner keeps none, so that every script starts alike.
struct RememberedChoices {
    std::function<QString(const QString &key)> read;
    std::function<void(const QString &key, const QString &value)> write;
};
// Choices kept in the user's settings of the desktop program, or in the
// settings file given (tests keep their own).
RememberedChoices ChoicesInSettings(const QString &settingsFile = QString());

// The whole program: every window, created once in a fixed order and kept
// until the end. Both the desktop program and the script runner start here.
class Program {
public:
    explicit Program(UserDialogs &dialogs, RememberedChoices remembered = {});
    ~Program();

    // Shows the main window centred with the page "Part list" in front.
    void start();

    Tdrvik &main() const { return *main_; }
    // What the program has computed: its responses, crossover, tables, plot settings.
    ProgramState &state() const { return *state_; }
    TOutputForm &plot() const { return *plot_; }
    TGETDRIVERForm &database() const { return *database_; }
    TChartsForm &charts() const { return *charts_; }
    TMeasureForm &measure() const { return *measure_; }
    // All windows in creation order.
    QList<QWidget *> windows() const;
    QWidget *window(const QString &objectName) const;

private:
    std::unique_ptr<ProgramState> state_;
    std::unique_ptr<Tdrvik> main_;
    std::unique_ptr<TOutputW> outputW_;
    std::unique_ptr<TGETDRIVERForm> database_;
    std::unique_ptr<TOutputForm> plot_;
    std::unique_ptr<TAboutForm> about_;
    std::unique_ptr<TOptionsForm> options_;
    std::unique_ptr<TCreateNewProjectForm> newProject_;
    std::unique_ptr<TFVentFSel> ventFrequency_;
    std::unique_ptr<TChartsForm> charts_;
    std::unique_ptr<TMeasureForm> measure_;
};

} // namespace dravik
