#include "ScriptRunner.h"

#include "Dialogs.h"
#include "Fp.h"
#include "ListBox.h"
#include "OutpFrm.h"
#include "Program.h"
#include "TextFile.h"
#include "mainprg2.h"

#include <QAbstractButton>
#include <QAction>
#include <QBuffer>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QRadioButton>
#include <QTabWidget>
#include <QTextEdit>

#include <algorithm>
#include <limits>
#include <new>

namespace dravik {

void ScriptDialogs::showError(QWidget *, const QString &reportText) {
    out_ << "error: " << reportText << '\n';
}

std::optional<QString> ScriptDialogs::openFile(QWidget *, const QString &) {
    if (answers_.empty())
        return std::nullopt;
    const QString answer = answers_.front();
    answers_.pop_front();
    if (answer.isNull())
        return std::nullopt;
    return answer;
}

ScriptRunner::ScriptRunner(Program &program, ScriptDialogs &dialogs, QTextStream &out,
                           QTextStream &err)
    : program_(program), dialogs_(dialogs), out_(out), err_(err) {
    QObject::connect(&program_.main(), &Tdrvik::quitRequested, [this] { quit_ = true; });
}

namespace {
constexpr qint64 ReadChunk = 64 * 1024;
}

ScriptStream::ScriptStream(QIODevice &device, const QString &name, qint64 maxBytes)
    : device_(device), name_(name), maxBytes_(maxBytes),
      lines_([this](QByteArray &chunk) { return readChunk(chunk); }) {}

bool ScriptStream::readChunk(QByteArray &chunk) {
    if (ended_)
        return false;
    // One byte past the limit tells a script of exactly maxBytes from a longer one.
    const qint64 want = std::min<qint64>(ReadChunk, maxBytes_ + 1 - bytesRead_);
    chunk.resize(want);
    const qint64 got = device_.read(chunk.data(), want);
    if (got < 0) {
        ended_ = true;
        throw Failure{QStringLiteral("cannot read \"") + name_ + QLatin1Char('"')};
    }
    chunk.resize(got);
    bytesRead_ += got;
    if (bytesRead_ > maxBytes_) {
        ended_ = true;
        throw Failure{QLatin1Char('"') + name_ + QStringLiteral("\" is larger than 64 MB")};
    }
    if (got == 0)
        ended_ = true;
    return got > 0;
}

bool ScriptStream::next(QString &line) {
    return lines_.next(line);
}

QStringList ScriptRunner::splitLines(const QByteArray &script) {
    QByteArray copy = script;
    QBuffer device(&copy);
    device.open(QIODevice::ReadOnly);
    ScriptStream stream(device, QString(), std::numeric_limits<qint64>::max() - 1);
    QStringList lines;
    QString line;
    while (stream.next(line))
        lines << line;
    return lines;
}

bool ScriptRunner::runLine(const QString &line, int number, int &status) {
    const QString trimmed = line.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#')))
        return true;
    try {
        execute(line);
    } catch (const ScriptError &e) {
        out_.flush();
        err_ << "script error: line " << number << ": " << e.why << '\n';
        err_.flush();
        status = 2;
        return false;
    } catch (const std::bad_alloc &) {
        // As a command that runs out of memory: reported, and the script goes on.
        dialogs_.showError(nullptr, reportText(QLatin1String(msg::OutOfMemory)));
    }
    QCoreApplication::processEvents();
    out_.flush();
    if (out_.status() != QTextStream::Ok) {
        err_ << "dravik-script: the output could not be written (line " << number << ").\n";
        err_.flush();
        status = 2;
        return false;
    }
    return true;
}

int ScriptRunner::run(ScriptStream &script) {
    int status = 0;
    QString line;
    for (int number = 1; !quit_; ++number) {
        try {
            if (!script.next(line))
                break;
        } catch (const ScriptStream::Failure &e) {
            out_.flush();
            err_ << "script error: line 0: " << e.why << '\n';
            err_.flush();
            return 2;
        }
        if (!runLine(line, number, status))
            return status;
    }
    out_.flush();
    return status;
}

int ScriptRunner::run(const QStringList &lines) {
    int status = 0;
    for (int i = 0; i < lines.size() && !quit_; ++i)
        if (!runLine(lines[i], i + 1, status))
            return status;
    out_.flush();
    return status;
}

void ScriptRunner::execute(const QString &rawLine) {
    QString line = rawLine;
    while (!line.isEmpty() &&
           (line.front() == QLatin1Char(' ') || line.front() == QLatin1Char('\t')))
        line.remove(0, 1);
    const qsizetype blank = line.indexOf(QLatin1Char(' '));
    const QString verb = blank < 0 ? line : line.left(blank);
    const QString rest = blank < 0 ? QString() : line.mid(blank + 1);
    const auto &all = verbs();
    const auto found = std::find_if(all.begin(), all.end(),
                                    [&](const Verb &v) { return verb == QLatin1String(v.name); });
    if (found == all.end())
        throw ScriptError{QStringLiteral("unknown verb \"") + verb + QLatin1Char('"')};
    const auto handler = found->handler;
    (this->*handler)(rest);
}

const std::vector<ScriptRunner::Verb> &ScriptRunner::verbs() {
    static const std::vector<Verb> all = {
        {"set", "NAME TEXT", "replace the whole text of field NAME with TEXT, as typing would",
         &ScriptRunner::set},
        {"click", "NAME", "click the button, tool button or menu item NAME", &ScriptRunner::click},
        {"check", "NAME on|off", "tick or untick the check box NAME", &ScriptRunner::check},
        {"choose", "NAME", "select the radio button NAME", &ScriptRunner::choose},
        {"select", "NAME N", "make entry N (from 0; -1: none) the selected one of list NAME",
         &ScriptRunner::select},
        {"page", "NAME", "bring page NAME of the main window (or a tab of a window) to the front",
         &ScriptRunner::page},
        {"opendir", "PATH", "double-click directory PATH in the File page's directory list",
         &ScriptRunner::opendir},
        {"pickfile", "[NAME]", "double-click NAME in the File page's file list (none: no file)",
         &ScriptRunner::pickfile},
        {"answer", "[PATH]", "the next file dialog returns PATH (none: it is cancelled)",
         &ScriptRunner::answer},
        {"print", "NAME", "print NAME=VALUE: a field's text, on/off, visible/hidden, a page",
         &ScriptRunner::print},
        {"caption", "NAME", "print NAME=CAPTION of window NAME", &ScriptRunner::caption},
        {"list", "NAME", "print \"NAME: N lines\" and the lines of list box NAME",
         &ScriptRunner::list},
        {"grab", "NAME FILE", "save a PNG picture of window NAME (OutputForm.Image1: the plot)",
         &ScriptRunner::grab},
    };
    return all;
}

QStringList ScriptRunner::args(const QString &rest, int count, const QString &verb) {
    const QStringList parts = rest.isEmpty() ? QStringList() : rest.split(QLatin1Char(' '));
    if (parts.size() != count || parts.contains(QString()))
        throw ScriptError{
            verb + QStringLiteral(" takes ") + QString::number(count) +
            (count == 1 ? QStringLiteral(" argument") : QStringLiteral(" arguments"))};
    return parts;
}

QWidget *ScriptRunner::windowOf(const QString &name) const {
    return program_.window(name);
}

QObject *ScriptRunner::resolve(const QString &name) const {
    QWidget *window = &program_.main();
    QString child = name;
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0) {
        window = windowOf(name.left(dot));
        if (!window)
            throw ScriptError{QStringLiteral("unknown window \"") + name.left(dot) +
                              QLatin1Char('"')};
        child = name.mid(dot + 1);
    }
    if (child.isEmpty())
        throw ScriptError{QStringLiteral("unknown name \"") + name + QLatin1Char('"')};
    const QList<QObject *> found = window->findChildren<QObject *>(child);
    if (found.size() > 1)
        throw ScriptError{QStringLiteral("ambiguous name \"") + name + QLatin1Char('"')};
    if (found.size() == 1)
        return found.front();
    if (dot < 0)
        if (QWidget *w = windowOf(child))
            return w;
    throw ScriptError{QStringLiteral("unknown name \"") + name + QLatin1Char('"')};
}

void ScriptRunner::set(const QString &rest) {
    if (rest.isEmpty())
        throw ScriptError{QStringLiteral("set takes a name and a text")};
    const qsizetype blank = rest.indexOf(QLatin1Char(' '));
    const QString name = blank < 0 ? rest : rest.left(blank);
    const QString text = blank < 0 ? QString() : rest.mid(blank + 1);
    QObject *target = resolve(name);
    if (auto *edit = qobject_cast<QLineEdit *>(target)) {
        edit->setText(text);
        edit->setCursorPosition(0);
    } else if (auto *box = qobject_cast<TextBox *>(target)) {
        box->setLimitedText(text); // cut at its limit, as typing would be
    } else if (auto *rich = qobject_cast<QTextEdit *>(target)) {
        rich->setPlainText(text);
    } else {
        throw ScriptError{name + QStringLiteral(" is not a text field")};
    }
}

void ScriptRunner::click(const QString &rest) {
    const QString name = args(rest, 1, QStringLiteral("click")).front();
    QObject *target = resolve(name);
    if (auto *button = qobject_cast<QAbstractButton *>(target))
        button->click();
    else if (auto *action = qobject_cast<QAction *>(target))
        action->trigger();
    else
        throw ScriptError{name + QStringLiteral(" cannot be clicked")};
}

void ScriptRunner::check(const QString &rest) {
    const QStringList a = args(rest, 2, QStringLiteral("check"));
    auto *box = qobject_cast<QCheckBox *>(resolve(a[0]));
    if (!box)
        throw ScriptError{a[0] + QStringLiteral(" is not a check box")};
    if (a[1] != QLatin1String("on") && a[1] != QLatin1String("off"))
        throw ScriptError{QStringLiteral("check takes on or off")};
    box->setChecked(a[1] == QLatin1String("on"));
}

void ScriptRunner::choose(const QString &rest) {
    const QString name = args(rest, 1, QStringLiteral("choose")).front();
    auto *radio = qobject_cast<QRadioButton *>(resolve(name));
    if (!radio)
        throw ScriptError{name + QStringLiteral(" is not a radio button")};
    radio->setChecked(true);
}

void ScriptRunner::select(const QString &rest) {
    const QStringList a = args(rest, 2, QStringLiteral("select"));
    bool ok = false;
    const int index = a[1].toInt(&ok);
    if (!ok || index < -1)
        throw ScriptError{QStringLiteral("select takes an entry number or -1")};
    QObject *target = resolve(a[0]);
    // An entry the list does not have is an error, not a silent "none": a
    // batch would go on with the entry selected before.
    const auto mustHave = [&](int count) {
        if (index >= count)
            throw ScriptError{a[0] + QStringLiteral(" has ") + QString::number(count) +
                              (count == 1 ? QStringLiteral(" entry") : QStringLiteral(" entries")) +
                              QStringLiteral(", no entry ") + QString::number(index)};
    };
    if (auto *box = qobject_cast<ListBox *>(target)) {
        mustHave(box->lines()->count());
        box->selectLine(index);
    } else if (auto *widget = qobject_cast<QListWidget *>(target)) {
        mustHave(widget->count());
        widget->clearSelection();
        widget->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
        if (index < 0)
            widget->clearSelection();
    } else {
        throw ScriptError{a[0] + QStringLiteral(" is not a list box")};
    }
}

void ScriptRunner::page(const QString &rest) {
    const QString name = args(rest, 1, QStringLiteral("page")).front();
    auto *pages = program_.main().findChild<QTabWidget *>(QStringLiteral("Valitsin"));
    auto *target = qobject_cast<QWidget *>(resolve(name));
    // A page of another window's page control, such as a tab of the design
    // charts, is brought to front the same way.
    if (target && pages->indexOf(target) < 0)
        for (QWidget *up = target->parentWidget(); up; up = up->parentWidget())
            if (auto *other = qobject_cast<QTabWidget *>(up);
                other && other->indexOf(target) >= 0) {
                pages = other;
                break;
            }
    if (!target || pages->indexOf(target) < 0) {
        // Named in its own window: what is not a tab there, such as the SPL
        // chart above the design charts' tabs, is refused as that.
        if (target && target->window() != &program_.main())
            throw ScriptError{name + QStringLiteral(" is not a tab of ") +
                              target->window()->objectName()};
        throw ScriptError{name + QStringLiteral(" is not a page of Valitsin")};
    }
    pages->setCurrentWidget(target);
}

void ScriptRunner::opendir(const QString &rest) {
    if (rest.isEmpty())
        throw ScriptError{QStringLiteral("opendir takes a path")};
    // Relative to the current directory; one that has no name any more (it
    // was deleted) leaves a relative path as it is, to be looked up there.
    const bool unnamed = QDir::currentPath().isEmpty();
    program_.main().openDirectory(
        unnamed || QDir::isAbsolutePath(rest) ? rest : QDir::current().absoluteFilePath(rest));
}

void ScriptRunner::pickfile(const QString &rest) {
    QListWidget *files = program_.main().fileList();
    files->clearSelection();
    files->setCurrentItem(nullptr);
    if (!rest.isEmpty()) {
        const QList<QListWidgetItem *> found = files->findItems(rest, Qt::MatchExactly);
        if (found.isEmpty())
            throw ScriptError{QStringLiteral("no file \"") + rest +
                              QStringLiteral("\" in the file list")};
        files->setCurrentItem(found.front(), QItemSelectionModel::ClearAndSelect);
    }
    program_.main().LFileClick();
}

void ScriptRunner::answer(const QString &rest) {
    dialogs_.prepareAnswer(rest.isEmpty() ? QString() : rest);
}

void ScriptRunner::print(const QString &rest) {
    const QString name = args(rest, 1, QStringLiteral("print")).front();
    QObject *target = resolve(name);
    QString value;
    if (auto *edit = qobject_cast<QLineEdit *>(target))
        value = edit->text();
    else if (auto *rich = qobject_cast<QTextEdit *>(target))
        value = rich->toPlainText();
    else if (auto *label = qobject_cast<QLabel *>(target))
        value = label->text();
    else if (auto *button = qobject_cast<QAbstractButton *>(target);
             button && button->isCheckable())
        value = button->isChecked() ? QStringLiteral("on") : QStringLiteral("off");
    else if (auto *pages = qobject_cast<QTabWidget *>(target))
        value = pages->currentWidget()->objectName();
    else if (auto *w = qobject_cast<QWidget *>(target); w && program_.windows().contains(w))
        value = w->isVisible() ? QStringLiteral("visible") : QStringLiteral("hidden");
    else
        throw ScriptError{name + QStringLiteral(" has no value to print")};
    out_ << name << '=' << value << '\n';
}

void ScriptRunner::caption(const QString &rest) {
    const QString name = args(rest, 1, QStringLiteral("caption")).front();
    auto *w = qobject_cast<QWidget *>(resolve(name));
    if (!w || !program_.windows().contains(w))
        throw ScriptError{name + QStringLiteral(" is not a window")};
    out_ << name << '=' << w->windowTitle() << '\n';
}

void ScriptRunner::list(const QString &rest) {
    const QString name = args(rest, 1, QStringLiteral("list")).front();
    QObject *target = resolve(name);
    QStringList lines;
    if (auto *box = qobject_cast<ListBox *>(target)) {
        const LineListModel *m = box->lines();
        lines.reserve(m->count());
        for (int i = 0; i < m->count(); ++i)
            lines << m->lineAt(i);
    } else if (auto *widget = qobject_cast<QListWidget *>(target)) {
        for (int i = 0; i < widget->count(); ++i)
            lines << widget->item(i)->text();
    } else {
        throw ScriptError{name + QStringLiteral(" is not a list box")};
    }
    out_ << name << ": " << lines.size() << " lines\n";
    for (const QString &l : lines)
        out_ << l << '\n';
}

void ScriptRunner::grab(const QString &rest) {
    const qsizetype blank = rest.indexOf(QLatin1Char(' '));
    if (blank <= 0 || blank + 1 >= rest.size())
        throw ScriptError{QStringLiteral("grab takes a name and a file")};
    const QString name = rest.left(blank);
    const QString file = rest.mid(blank + 1);
    auto *w = qobject_cast<QWidget *>(resolve(name));
    if (!w)
        throw ScriptError{name + QStringLiteral(" is not a window")};
    // The plot's picture is saved as the bitmap itself, pixel for pixel.
    const bool plotPicture =
        w->objectName() == QLatin1String("Image1") && w->window() == &program_.plot();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    const bool encoded =
        plotPicture ? program_.plot().image().save(&buffer, "PNG") : w->grab().save(&buffer, "PNG");
    if (!encoded)
        throw ScriptError{QStringLiteral("cannot write \"") + file + QLatin1Char('"')};
    // Written whole through a temporary file beside it, or not at all: a
    // failure, also on the last flush, leaves no cut picture under the name.
    try {
        TextWriter writer(file);
        writer.writeBytes(png);
        writer.commit();
    } catch (const DravikError &e) {
        throw ScriptError{QStringLiteral("cannot write \"") + file + QStringLiteral("\": ") +
                          reportText(e.message())};
    }
}

} // namespace dravik
