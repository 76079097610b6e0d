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
        auto a = answers.front();
        answers.pop_front();
        return a;
    }
    QStringList errors;
    QStringList filters;
    std::deque<std::optional<QString>> answers;
};
