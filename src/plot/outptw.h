#pragma once

#include <QWidget>

namespace dravik {

// A second response window with a picture area and a status line. It is
// created with the other windows but no command shows it.
class TOutputW : public QWidget {
    Q_OBJECT
public:
    explicit TOutputW(QWidget *parent = nullptr);
};

} // namespace dravik
