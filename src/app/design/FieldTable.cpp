#include "FieldTable.h"

#include <array>
#include <cstddef>

namespace dravik {

namespace {

constexpr int FieldCount = static_cast<int>(Field::Count);
constexpr int ListCount = static_cast<int>(List::Count);
constexpr int CheckCount = static_cast<int>(Check::Count);

const std::array<FieldSpec, FieldCount> Fields = {{
#define DRAVIK_FIELD_SPEC(name, text, readOnly) {Field::name, #name, text, readOnly, Window::Main},
    DRAVIK_MAIN_WINDOW_FIELDS(DRAVIK_FIELD_SPEC)
#undef DRAVIK_FIELD_SPEC
        {Field::DatabaseIndex, "Edit1", "Edit1", false, Window::Database},
}};

const std::array<ListSpec, ListCount> Lists = {{
#define DRAVIK_LIST_SPEC(name) {List::name, #name, Window::Main},
    DRAVIK_MAIN_WINDOW_LISTS(DRAVIK_LIST_SPEC)
#undef DRAVIK_LIST_SPEC
        {List::DriverEntries, "ListBox1", Window::Database},
    {List::DriverComments, "ListBox2", Window::Database},
}};

const std::array<CheckSpec, CheckCount> Checks = {{
#define DRAVIK_CHECK_SPEC(name, checked) {Check::name, #name, checked},
    DRAVIK_MAIN_WINDOW_CHECKS(DRAVIK_CHECK_SPEC)
#undef DRAVIK_CHECK_SPEC
}};

template <typename Entry, std::size_t N>
std::vector<Entry> ofMainWindow(const std::array<Entry, N> &all) {
    std::vector<Entry> main;
    for (const Entry &s : all)
        if (s.window == Window::Main)
            main.push_back(s);
    return main;
}

} // namespace

const FieldSpec &tableEntry(Field field) {
    return Fields.at(static_cast<std::size_t>(field));
}
const ListSpec &tableEntry(List list) {
    return Lists.at(static_cast<std::size_t>(list));
}
const CheckSpec &tableEntry(Check check) {
    return Checks.at(static_cast<std::size_t>(check));
}

const std::vector<FieldSpec> &mainWindowFields() {
    static const std::vector<FieldSpec> fields = ofMainWindow(Fields);
    return fields;
}

std::optional<Field> mainWindowField(const QString &objectName) {
    for (const FieldSpec &f : mainWindowFields())
        if (objectName == QLatin1String(f.name))
            return f.id;
    return std::nullopt;
}

const std::vector<ListSpec> &mainWindowLists() {
    static const std::vector<ListSpec> lists = ofMainWindow(Lists);
    return lists;
}

const std::vector<CheckSpec> &mainWindowChecks() {
    static const std::vector<CheckSpec> checks(Checks.begin(), Checks.end());
    return checks;
}

} // namespace dravik
