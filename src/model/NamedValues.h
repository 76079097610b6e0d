#pragma once

#include <QString>

#include <cstddef>
#include <optional>

namespace dravik {

// A choice as the setup file names it ("high-pass") and as the window shows
// it ("High-pass"), in a table of every choice of its kind.
template <class Value> struct NamedValue {
    Value value;
    const char *name;
    const char *caption;
};

template <class Value, std::size_t N>
const NamedValue<Value> *RowOf(const NamedValue<Value> (&rows)[N], Value value) {
    for (const NamedValue<Value> &row : rows)
        if (row.value == value)
            return &row;
    return nullptr;
}

template <class Value, std::size_t N>
const char *NameOf(const NamedValue<Value> (&rows)[N], Value value) {
    const NamedValue<Value> *row = RowOf(rows, value);
    return row ? row->name : "";
}

template <class Value, std::size_t N>
const char *CaptionOf(const NamedValue<Value> (&rows)[N], Value value) {
    const NamedValue<Value> *row = RowOf(rows, value);
    return row ? row->caption : "";
}

template <class Value, std::size_t N>
std::optional<Value> ValueNamed(const NamedValue<Value> (&rows)[N], const QString &name) {
    for (const NamedValue<Value> &row : rows)
        if (name == QLatin1String(row.name))
            return row.value;
    return std::nullopt;
}

} // namespace dravik
