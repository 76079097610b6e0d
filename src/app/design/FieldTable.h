#pragma once

#include <vector>

namespace dravik {

// One text field of a window: object name, start text, whether only code writes it.
struct FieldSpec {
    const char *name;
    const char *defaultText;
    bool readOnly;
};

// Every text field of the main window with its start text.
const std::vector<FieldSpec> &mainWindowFields();
// The list boxes of the main window (all start empty).
const std::vector<const char *> &mainWindowLists();

// The check boxes of the main window with their start state.
struct CheckSpec {
    const char *name;
    bool checked;
};
const std::vector<CheckSpec> &mainWindowChecks();

} // namespace dravik
