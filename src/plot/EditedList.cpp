#include "EditedList.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace dravik {

QListWidget *AddEditedList(QWidget *owner, QVBoxLayout *layout, const char *listName,
                           const std::vector<ListCommand> &commands, const QString &hint) {
    auto *list = new QListWidget;
    list->setObjectName(QLatin1String(listName));
    list->setMaximumHeight(110);
    layout->addWidget(list);
    auto *buttonRow = new QHBoxLayout;
    for (const ListCommand &c : commands) {
        auto *b = new QPushButton(QLatin1String(c.caption));
        b->setObjectName(QLatin1String(c.objectName));
        QObject::connect(b, &QPushButton::clicked, owner, c.run);
        buttonRow->addWidget(b);
    }
    layout->addLayout(buttonRow);
    auto *text = new QLabel(hint);
    text->setTextFormat(Qt::PlainText);
    text->setWordWrap(true);
    layout->addWidget(text);
    return list;
}

void RunListEdit(const std::function<void(const std::function<void()> &)> &runCommand,
                 const std::function<void()> &changed, const std::function<void()> &edit) {
    bool done = false;
    runCommand([&] {
        edit();
        done = true;
    });
    if (done)
        changed();
}

} // namespace dravik
