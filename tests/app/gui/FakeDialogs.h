#pragma once

#include "UserDialogs.h"

#include <QStringList>

#include <deque>

// Answers the program's modal dialogs in tests: errors are recorded, file
// dialogs return the prepared answers (or are cancelled).
class FakeDialogs : public dravik::UserDialogs {
public:
    void showError(QWidget *, const QString &reportText) override { errors << reportText; }
    std::optional<QString> openFile(QWidget *, const QString &filter) override {
        filters << filter;
        if (answers.empty())
            return std::nullopt;
        const QString a = answers.front();
        answers.pop_front();
        if (a.isNull())
            return std::nullopt;
        return a;
    }
    QStringList errors;
    QStringList filters;
    std::deque<QString> answers; // a null text cancels
};
