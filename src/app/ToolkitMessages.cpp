#include "ToolkitMessages.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace dravik {

namespace {

QtMessageHandler toolkitHandler = nullptr;

// Notices of the toolkit's default category that only describe the platform.
constexpr const char *PlatformNotices[] = {
    "QStandardPaths: ",
    "This plugin does not support ",
    "Warning: Ignoring XDG_SESSION_TYPE",
};

bool isPlatformNotice(QtMsgType type, const QMessageLogContext &context, const QString &text) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        return false;
    if (context.category && qstrncmp(context.category, "qt.", 3) == 0)
        return true;
    for (const char *notice : PlatformNotices)
        if (text.startsWith(QLatin1String(notice)))
            return true;
    return false;
}

void filterMessage(QtMsgType type, const QMessageLogContext &context, const QString &text) {
    if (isPlatformNotice(type, context, text))
        return;
    toolkitHandler(type, context, text);
}

} // namespace

void keepToolkitNoticesQuiet() {
    const QByteArray wanted = qgetenv("DRAVIK_QT_MESSAGES");
    if (!wanted.isEmpty() && wanted != "0")
        return;
    toolkitHandler = qInstallMessageHandler(filterMessage);
}

} // namespace dravik
