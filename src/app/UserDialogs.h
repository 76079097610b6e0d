#pragma once

#include <QString>

#include <optional>

class QWidget;

namespace dravik {

// The program's modal questions to the user. The desktop answers them with
// real dialogs; the script runner and the tests answer them without anyone
// at the screen.
class UserDialogs {
public:
    virtual ~UserDialogs();

    // The error message box: error icon, one OK button, the application's title.
    virtual void showError(QWidget *parent, const QString &reportText) = 0;

    // A file-open dialog; the filter is in the "Description|pattern;pattern|..."
    // form. Returns the chosen file's full path, or nothing when cancelled.
    virtual std::optional<QString> openFile(QWidget *parent, const QString &pipeFilter) = 0;

    // A file-save dialog, in the same form. Where no one is at the screen it
    // takes the same prepared answers as the open dialog.
    virtual std::optional<QString> saveFile(QWidget *parent, const QString &pipeFilter) {
        return openFile(parent, pipeFilter);
    }
};

// The type filter of the picture file dialogs (driver picture, background picture).
inline const char *const PictureFilter =
    "All (*.bmp;*.ico;*.emf;*.wmf)|*.bmp;*.ico;*.emf;*.wmf|Bitmaps (*.bmp)|*.bmp|Icons "
    "(*.ico)|*.ico|Enhanced Metafiles (*.emf)|*.emf|Metafiles (*.wmf)|*.wmf";

// Real dialogs on the desktop.
class DesktopDialogs : public UserDialogs {
public:
    void showError(QWidget *parent, const QString &reportText) override;
    std::optional<QString> openFile(QWidget *parent, const QString &pipeFilter) override;
    std::optional<QString> saveFile(QWidget *parent, const QString &pipeFilter) override;
};

// "All (*.bmp;*.ico)|*.bmp;*.ico|Icons (*.ico)|*.ico" -> Qt's
// "All (*.bmp *.ico);;Icons (*.ico)": the description, with the pattern list
// of its pair in brackets when the description does not already show it.
QString qtFileFilter(const QString &pipeFilter);

} // namespace dravik
