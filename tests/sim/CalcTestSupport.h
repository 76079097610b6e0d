#pragma once

#include "DesignParameters.h"
#include "Fp.h"
#include "MemoryFieldStore.h"
#include "NumberText.h"
#include "ResponseArrays.h"

#include <QStringList>

#include <cmath>
#include <memory>
#include <utility>

namespace dravik::test {

// A program at its start state: every field at its default text, empty
// lists, its own zeroed response arrays with the quiet flag clear.
struct CalcFixture {
    MemoryFieldStore store;
    DesignParameters dp{store};
    std::unique_ptr<Responses> responses = std::make_unique<Responses>();
    Responses &r = *responses;

    QString text(const char *field) const { return store.text(QString::fromLatin1(field)); }
    void set(const char *field, const QString &value) {
        store.setText(QString::fromLatin1(field), value);
    }
    int writes(const char *field) const { return store.writes(QString::fromLatin1(field)); }
    const QStringList &lines(const char *list) const {
        return store.lines(QString::fromLatin1(list));
    }
    void addLine(const char *list, const QString &line) {
        store.addLine(QString::fromLatin1(list), line);
    }
};

// The message of the DravikError that f throws, or an empty text when it
// completes.
template <typename F> QString FailureOf(F &&f) {
    try {
        std::forward<F>(f)();
    } catch (const DravikError &e) {
        return e.message();
    }
    return QString();
}

inline const QString DivisionByZero = QStringLiteral("Floating point division by zero");
inline const QString InvalidOperation = QStringLiteral("Invalid floating point operation");

// Writes a value nobody computes into elements of every response array, so a
// test can tell what a calculation left alone.
constexpr double Untouched = 12345.0;
inline void MarkResponseArrays(Responses &r) {
    for (ResponseArray *a :
         {&r.SystemResponse, &r.ExcursionLimitSpl, &r.ThermalLimitSpl, &r.ExcursionLimitPower})
        a->fill(Untouched);
}

// The per-frequency list line "%.0f Hz: %.2f dB".
inline QString PointLine(int hz, double value) {
    return FormatInteger(hz) + QStringLiteral(" Hz: ") + FormatFieldValue(value) +
           QStringLiteral(" dB");
}

// Index of the line for hz in a list of the 10 to 250 Hz points.
inline int PointIndex(int hz) {
    return hz - 10;
}

} // namespace dravik::test
