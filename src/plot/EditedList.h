#pragma once

#include <QString>

#include <functional>
#include <vector>

class QListWidget;
class QVBoxLayout;
class QWidget;

namespace dravik {

// The top of the side panel's list editors (the signal chain, a line's or
// a horn's path): the list of items, edited in place, the row of its
// commands under it, and a line that says what the list holds. A column
// narrow enough for the side panel.
struct ListCommand {
    const char *objectName;
    const char *caption;
    std::function<void()> run;
};
QListWidget *AddEditedList(QWidget *owner, QVBoxLayout *layout, const char *listName,
                           const std::vector<ListCommand> &commands, const QString &hint);

// An edit of such a list run through the window's command wrapper, which
// shows its refusal; `changed` follows only an edit that went through.
void RunListEdit(const std::function<void(const std::function<void()> &)> &runCommand,
                 const std::function<void()> &changed, const std::function<void()> &edit);

} // namespace dravik
