#include "UserDialogs.h"

#include "Product.h"

#include <QFileDialog>
#include <QMessageBox>

namespace dravik {

UserDialogs::~UserDialogs() = default;

void DesktopDialogs::showError(QWidget *parent, const QString &reportText) {
    QMessageBox box(QMessageBox::Critical, QString::fromLatin1(ApplicationTitle), reportText,
                    QMessageBox::Ok, parent);
    // A message may quote a file's or a driver's name: text, never markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

std::optional<QString> DesktopDialogs::openFile(QWidget *parent, const QString &pipeFilter) {
    const QString path =
        QFileDialog::getOpenFileName(parent, QString(), QString(), qtFileFilter(pipeFilter));
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

std::optional<QString> DesktopDialogs::saveFile(QWidget *parent, const QString &pipeFilter) {
    const QString path =
        QFileDialog::getSaveFileName(parent, QString(), QString(), qtFileFilter(pipeFilter));
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

QString qtFileFilter(const QString &pipeFilter) {
    const QStringList parts = pipeFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        const QString patterns = QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '));
        const qsizetype open = description.indexOf(QLatin1Char('('));
        if (open >= 0)
            description = description.left(open).trimmed();
        filters << description + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}

} // namespace dravik
