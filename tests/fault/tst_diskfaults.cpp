// The disk failing under the program: each command that writes or reads a
// file is run through its real control while the file, its directory or the
// whole file system refuses. Every case checks the exact error report, that
// the design in the window and every older file survive, that the driver
// database stays consistent, and that the next command works once the fault
// is gone.
#include "DiskFaults.h"

#include "ListBox.h"
#include "Program.h"
#include "UserDialogs.h"
#include "mainprg2.h"

#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace dravik;
using faults::contents;
using faults::listing;

namespace {

enum Fault {
    ReadOnlyDirectory, // the working directory on a read-only file system
    ReadOnlyFile,      // the file carries no write permission bit
    DirectoryInPlace,  // a directory stands where the file should be
    MissingDirectory,  // the file's directory does not exist
    MissingFile,       // the file does not exist
    FullDisk,          // the file system has no free block left
    UnreadableFile,    // the file cannot be read by the user
};

const QString Filler = QStringLiteral("filler");

QMap<QString, QString> fieldTexts(QWidget *window) {
    QMap<QString, QString> texts;
    for (QLineEdit *e : window->findChildren<QLineEdit *>())
        texts.insert(e->objectName(), e->text());
    return texts;
}

QStringList listLines(QWidget *window, const char *name) {
    auto *box = window->findChild<ListBox *>(QLatin1String(name));
    QStringList lines;
    for (int i = 0; box && i < box->lines()->count(); ++i)
        lines << box->lines()->lineAt(i);
    return lines;
}

// Error reports are recorded; a file dialog is answered only where a test
// sets the answer.
class RecordingDialogs : public UserDialogs {
public:
    void showError(QWidget *, const QString &reportText) override { errors << reportText; }
    std::optional<QString> openFile(QWidget *, const QString &) override { return answer; }
    QStringList errors;
    std::optional<QString> answer;
};

} // namespace

class TestDiskFaults : public QObject {
    Q_OBJECT

    RecordingDialogs dialogs_;
    std::unique_ptr<Program> program_;
    std::unique_ptr<QTemporaryDir> tmp_;
    std::unique_ptr<faults::TmpfsMount> mount_;
    QString work_;
    QString startDir_;

    Tdrvik &main() { return program_->main(); }
    QString path(const QString &name) const { return QDir(work_).filePath(name); }

    void click(const char *name) {
        auto *button = main().findChild<QAbstractButton *>(QLatin1String(name));
        QVERIFY2(button, name);
        button->click();
    }
    void trigger(const char *name) {
        auto *action = main().findChild<QAction *>(QLatin1String(name));
        QVERIFY2(action, name);
        action->trigger();
    }
    void setText(const char *name, const QString &text) {
        main().findChild<QLineEdit *>(QLatin1String(name))->setText(text);
    }
    QString text(const char *name) {
        return main().findChild<QLineEdit *>(QLatin1String(name))->text();
    }
    QStringList reports() {
        const QStringList r = dialogs_.errors;
        dialogs_.errors.clear();
        return r;
    }

    // A working directory holding the named shipped files, on a tmpfs of
    // `mountSize` when one is given; the program started there. False with a
    // skip reason when the fault cannot be staged on this machine.
    bool prepare(const QStringList &shippedFiles, const QString &mountSize, QString &skip) {
        work_ = tmp_->filePath(QStringLiteral("work"));
        if (!QDir().mkpath(work_)) {
            skip = QStringLiteral("cannot create the working directory");
            return false;
        }
        if (!mountSize.isEmpty()) {
            if (!faults::runningAsRoot()) {
                skip = QStringLiteral("needs root to mount a small tmpfs (not running as root)");
                return false;
            }
            mount_ = std::make_unique<faults::TmpfsMount>();
            if (!mount_->mount(work_, mountSize)) {
                skip = mount_->why() + QStringLiteral(" (a container without mount rights?)");
                return false;
            }
        }
        // The unprivileged user of the unreadable-file cases must reach the directory.
        QFile::setPermissions(tmp_->path(), QFileDevice::Permissions(0x7777));
        QFile::setPermissions(work_, QFileDevice::Permissions(0x7777));
        const QDir shipped(QStringLiteral(DRAVIK_SHIPPED_DIR));
        for (const QString &f : shippedFiles)
            if (!QFile::copy(shipped.filePath(f), path(f))) {
                skip = QStringLiteral("cannot copy ") + f;
                return false;
            }
        QDir::setCurrent(work_);
        program_ = std::make_unique<Program>(dialogs_);
        program_->start();
        return true;
    }

    // Turns the fault on (true) or off again (false) for `name`.
    bool stage(Fault fault, const QString &name, bool on) {
        const QString target = path(name);
        switch (fault) {
        case ReadOnlyDirectory:
            if (mount_)
                return mount_->setReadOnly(on);
            return QFile::setPermissions(work_, on ? QFileDevice::Permissions(0x5555)
                                                   : QFileDevice::Permissions(0x7777));
        case ReadOnlyFile:
            return QFile::setPermissions(target, on ? QFileDevice::Permissions(0x4444)
                                                    : QFileDevice::Permissions(0x6644));
        case DirectoryInPlace:
            if (!on)
                return QDir(target).removeRecursively();
            return QDir().mkpath(target) &&
                   QFile(target + QStringLiteral("/inside")).open(QIODevice::WriteOnly);
        case MissingDirectory:
            return on ? !QFileInfo::exists(QFileInfo(target).absolutePath())
                      : QDir().mkpath(QFileInfo(target).absolutePath());
        case MissingFile:
            if (on)
                return QFile::rename(target, target + QStringLiteral(".away"));
            return QFile::rename(target + QStringLiteral(".away"), target);
        case FullDisk:
            return on ? faults::fillUp(work_) : QFile::remove(path(Filler));
        case UnreadableFile:
            return QFile::setPermissions(target, on ? QFileDevice::Permissions()
                                                    : QFileDevice::Permissions(0x6644));
        }
        return false;
    }

    // Runs `command` as the user that the fault needs: an unreadable file is
    // only unreadable to someone other than root.
    static bool runAs(Fault fault, const std::function<void()> &command) {
        if (fault != UnreadableFile) {
            command();
            return true;
        }
        faults::UnprivilegedUser user;
        if (!user.ok())
            return false;
        command();
        return true;
    }

    // Why an unreadable file cannot be staged here, or nothing when it can.
    QString unreadableSkip(Fault fault) const {
        if (fault != UnreadableFile || faults::unprivilegedUserCanWork(work_))
            return QString();
        return QStringLiteral("root cannot act as the unprivileged user \"nobody\" in ") + work_;
    }

    // A read-only directory is a read-only file system: a directory that is
    // merely not writable still lets an existing file be overwritten in place
    // (see writesInPlaceWhereNoTemporaryFileCanBeMade).
    static QString mountFor(Fault fault, const QString &fullDiskSize) {
        if (fault == FullDisk)
            return fullDiskSize;
        if (fault == ReadOnlyDirectory)
            return QStringLiteral("1m");
        return QString();
    }

private slots:
    void initTestCase() { startDir_ = QDir::currentPath(); }

    void init() {
        dialogs_.errors.clear();
        dialogs_.answer.reset();
        tmp_ = std::make_unique<QTemporaryDir>();
        QVERIFY(tmp_->isValid());
    }

    void cleanup() {
        program_.reset();
        QDir::setCurrent(startDir_);
        if (mount_)
            mount_->unmount();
        mount_.reset();
        // Back to permissions that let the temporary directory be removed.
        if (!work_.isEmpty())
            QFile::setPermissions(work_, QFileDevice::Permissions(0x7777));
        tmp_.reset();
        work_.clear();
    }

    // ------------------------------------------------------------- Save

    void saveFails_data() {
        QTest::addColumn<int>("fault");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<bool>("oldFile");
        QTest::addColumn<QString>("report");
        QTest::newRow("directory read-only")
            << int(ReadOnlyDirectory) << "design.dgn" << true << "File access denied.";
        QTest::newRow("design file read-only")
            << int(ReadOnlyFile) << "design.dgn" << true << "File access denied.";
        QTest::newRow("directory where the file should be")
            << int(DirectoryInPlace) << "design.dgn" << false << "File name is a directory.";
        QTest::newRow("missing directory")
            << int(MissingDirectory) << "nowhere/design.dgn" << false << "Path not found.";
        QTest::newRow("full file system") << int(FullDisk) << "design.dgn" << true << "Disk full.";
    }

    void saveFails() {
        QFETCH(int, fault);
        QFETCH(QString, fileName);
        QFETCH(bool, oldFile);
        QFETCH(QString, report);
        const Fault f = Fault(fault);
        QString skip;
        if (!prepare({}, mountFor(f, QStringLiteral("64k")), skip))
            QSKIP(qPrintable(skip));

        // The design saved once before: the old file that must survive.
        setText("EDesignFile", fileName);
        if (oldFile) {
            click("Button17");
            QCOMPARE(reports(), QStringList());
        }
        const QByteArray oldBytes = contents(path(fileName));
        QCOMPARE(oldBytes.isNull(), !oldFile);

        // New work in the window, and what its save should hold, written elsewhere.
        click("Button1");
        QCOMPARE(text("EdBmag25"), QStringLiteral("-7.37"));
        const QString reference = tmp_->filePath(QStringLiteral("reference"));
        QVERIFY(QDir().mkpath(QFileInfo(QDir(reference).filePath(fileName)).absolutePath()));
        QDir::setCurrent(reference);
        click("Button17");
        QDir::setCurrent(work_);
        const QByteArray wanted = contents(QDir(reference).filePath(fileName));
        QVERIFY(!wanted.isEmpty());
        QVERIFY(wanted != oldBytes);
        const QMap<QString, QString> fields = fieldTexts(&main());

        QVERIFY2(stage(f, fileName, true), "cannot stage the fault");
        const QStringList before = listing(work_);
        click("Button17");
        QCOMPARE(reports(), QStringList{report});

        // Nothing lost: the old file, the directory and the window as they were.
        QCOMPARE(contents(path(fileName)), oldBytes);
        QCOMPARE(listing(work_), before);
        QCOMPARE(fieldTexts(&main()), fields);
        if (f == DirectoryInPlace)
            QVERIFY(QFileInfo::exists(path(fileName + QStringLiteral("/inside"))));
        if (f == MissingDirectory)
            QVERIFY(!QFileInfo::exists(QFileInfo(path(fileName)).absolutePath()));

        // The fault gone, the same command saves the design the window holds.
        QVERIFY2(stage(f, fileName, false), "cannot undo the fault");
        click("Button17");
        QCOMPARE(reports(), QStringList());
        QCOMPARE(contents(path(fileName)), wanted);
        click("Button1");
        QCOMPARE(reports(), QStringList());
        QCOMPARE(text("ESPL100W"), QStringLiteral("112.63"));
    }

    // A failed save leaves no temporary file behind on a full disk either,
    // and the space it took is given back.
    void fullDiskSaveLeavesNoTemporaryFile() {
        QString skip;
        if (!prepare({}, QStringLiteral("64k"), skip))
            QSKIP(qPrintable(skip));
        QVERIFY(faults::fillUp(work_));
        setText("EDesignFile", QStringLiteral("new.dgn"));
        click("Button17");
        QCOMPARE(reports(), QStringList{"Disk full."});
        QCOMPARE(listing(work_), QStringList{Filler});
        QVERIFY(QFile::remove(path(Filler)));
        click("Button17");
        QCOMPARE(reports(), QStringList());
        QCOMPARE(listing(work_), QStringList{"new.dgn"});
    }

    // The directory opened in the File page disappears (a removed stick, a
    // directory deleted by another program): every file command reports it,
    // and opening another directory lets the work go on there.
    void workingDirectoryRemoved() {
        QString skip;
        if (!prepare({}, QString(), skip))
            QSKIP(qPrintable(skip));
        const QString gone = path(QStringLiteral("gone"));
        QVERIFY(QDir().mkpath(gone));
        for (const char *f : {"spk.db", "spkdb.hdr", "HP2C16C.FLT"})
            QVERIFY(QFile::copy(QDir(QStringLiteral(DRAVIK_SHIPPED_DIR)).filePath(QLatin1String(f)),
                                QDir(gone).filePath(QLatin1String(f))));
        main().openDirectory(gone);
        QCOMPARE(reports(), QStringList());
        click("Button1");
        setText("EDesignFile", QStringLiteral("design.dgn"));
        const QMap<QString, QString> fields = fieldTexts(&main());
        QVERIFY(QDir(gone).removeRecursively());

        // Writing names the directory's state or the refusal; reading finds nothing.
        click("Button17");
        const QStringList saveReport = reports();
        QCOMPARE(saveReport.size(), 1);
        QVERIFY2(saveReport.front() == "Path not found." ||
                     saveReport.front() == "File access denied.",
                 qPrintable(saveReport.front()));
        click("GETDRIVERButton");
        QCOMPARE(reports(), QStringList{"File not found."});
        click("ADDDRIVERButton");
        QCOMPARE(reports(), QStringList{"File not found."});
        click("BUTTONQuorvel100");
        QCOMPARE(reports(), QStringList{"File not found."});
        QCOMPARE(fieldTexts(&main()), fields);

        // Another directory opened, the same design is saved and the database found.
        for (const char *f : {"spk.db", "spkdb.hdr"})
            QVERIFY(QFile::copy(QDir(QStringLiteral(DRAVIK_SHIPPED_DIR)).filePath(QLatin1String(f)),
                                path(QLatin1String(f))));
        main().openDirectory(work_);
        click("Button17");
        click("GETDRIVERButton");
        QCOMPARE(reports(), QStringList());
        QVERIFY(contents(path(QStringLiteral("design.dgn"))).size() > 0);
        QCOMPARE(listLines(program_->window("GETDRIVERForm"), "ListBox1").size(),
                 contents(path(QStringLiteral("spkdb.hdr"))).trimmed().toInt() + 1);
    }

    // ------------------------------------------------------------- in place

    // A directory of another user, readable by all, holding files everyone may
    // write: no temporary file can be made beside them, so each command
    // overwrites its file in place and works as anywhere else.
    void writesInPlaceWhereNoTemporaryFileCanBeMade_data() {
        QTest::addColumn<QString>("command");
        QTest::newRow("Save") << "Button17";
        QTest::newRow("Add Driver") << "ADDDRIVERButton";
        QTest::newRow("Quorvel 100 Hz") << "BUTTONQuorvel100";
    }
    void writesInPlaceWhereNoTemporaryFileCanBeMade() {
        QFETCH(QString, command);
        if (!faults::runningAsRoot())
            QSKIP("needs root to give the directory to another user");
        QString skip;
        const QStringList files = {"spk.db", "spkdb.hdr", "HP2C16C.FLT", "LP1C60B.FLT",
                                   "LP2C100B.FLT"};
        if (!prepare(files, QString(), skip))
            QSKIP(qPrintable(skip));
        setText("EDesignFile", QStringLiteral("design.dgn"));
        click("Button1");
        click("Button17");
        click("BUTTONQuorvel100");
        QCOMPARE(reports(), QStringList());
        // What the command writes when it can write anywhere.
        const QString reference = tmp_->filePath(QStringLiteral("reference"));
        QVERIFY(QDir().mkpath(reference));
        for (const QString &f : QDir(work_).entryList(QDir::Files))
            QVERIFY(QFile::copy(path(f), QDir(reference).filePath(f)));
        setText("EComments", QStringLiteral("written in place"));
        click("Button2"); // a closed box, so the design file changes too
        QDir::setCurrent(reference);
        click(qPrintable(command));
        QDir::setCurrent(work_);
        QCOMPARE(reports(), QStringList());

        for (const QString &f : QDir(work_).entryList(QDir::Files))
            QVERIFY(QFile::setPermissions(path(f), QFileDevice::Permissions(0x6666)));
        QVERIFY(QFile::setPermissions(work_, QFileDevice::Permissions(0x7555)));
        const QStringList before = listing(work_);
        {
            faults::UnprivilegedUser nobody;
            QVERIFY(nobody.ok());
            click(qPrintable(command));
        }
        QCOMPARE(reports(), QStringList());
        QCOMPARE(listing(work_), before); // no temporary file left, none made elsewhere
        for (const QString &f : before)
            QVERIFY2(contents(path(f)) == contents(QDir(reference).filePath(f)), qPrintable(f));
    }

    // ------------------------------------------------------------- charts window

    // An export or a setup saved onto an existing file in a directory the
    // user may not write (on a full disk, too): no temporary file can be made
    // beside it, and writing it in place could leave it cut short. Refused;
    // the old file stays whole and nothing else appears.
    void chartsWindowNeverWritesInPlace_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("fullDisk");
        QTest::addColumn<QString>("report");
        const QString denied = QStringLiteral("File access denied.");
        QTest::newRow("CSV") << "charts.csv"
                             << "ExportButton" << false << denied;
        QTest::newRow("CSV, full disk") << "charts.csv"
                                        << "ExportButton" << true << denied;
        QTest::newRow("FRD, full disk") << "charts.frd"
                                        << "ExportButton" << true << denied;
        QTest::newRow("PNG, full disk") << "charts.png"
                                        << "ExportButton" << true << denied;
        const QString setupRefused = QStringLiteral(
            "The setup file design.dvsetup was not written: no temporary file can be made "
            "beside it, and it is not written over in place.");
        QTest::newRow("setup") << "design.dvsetup"
                               << "SaveSetupButton" << false << setupRefused;
        QTest::newRow("setup, full disk") << "design.dvsetup"
                                          << "SaveSetupButton" << true << setupRefused;
    }
    void chartsWindowNeverWritesInPlace() {
        QFETCH(QString, fileName);
        QFETCH(QString, button);
        QFETCH(bool, fullDisk);
        QFETCH(QString, report);
        if (!faults::runningAsRoot())
            QSKIP("needs root to give the directory to another user");
        QString skip;
        if (!prepare({}, fullDisk ? QStringLiteral("512k") : QString(), skip))
            QSKIP(qPrintable(skip));
        trigger("DesignCharts1");
        QWidget *charts = program_->window(QStringLiteral("ChartsForm"));
        QVERIFY(charts);
        auto *command = charts->findChild<QAbstractButton *>(button);
        QVERIFY(command);
        dialogs_.answer = path(fileName);
        command->click();
        QCOMPARE(reports(), QStringList());
        const QByteArray old = contents(path(fileName));
        QVERIFY(old.size() > 500);

        click("Button2"); // a closed box: another file to write
        QVERIFY(QFile::setPermissions(path(fileName), QFileDevice::Permissions(0x6666)));
        if (fullDisk)
            QVERIFY(faults::fillUp(work_));
        QVERIFY(QFile::setPermissions(work_, QFileDevice::Permissions(0x7555)));
        const QStringList before = listing(work_);
        {
            faults::UnprivilegedUser nobody;
            QVERIFY(nobody.ok());
            command->click();
        }
        QCOMPARE(reports(), QStringList{report});
        QCOMPARE(contents(path(fileName)), old);
        QCOMPARE(listing(work_), before);

        // Room again and a directory that may be written: the file is written.
        QVERIFY(QFile::setPermissions(work_, QFileDevice::Permissions(0x7777)));
        if (fullDisk)
            QVERIFY(QFile::remove(path(Filler)));
        command->click();
        QCOMPARE(reports(), QStringList());
        QVERIFY(contents(path(fileName)) != old);
        QVERIFY(contents(path(fileName)).size() > 500);
    }

    // ------------------------------------------------------------- Add Driver

    void addDriverFails_data() {
        QTest::addColumn<int>("fault");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("comments"); // long comments make a record of several blocks
        QTest::addColumn<QString>("report");
        const QString shortText = QStringLiteral("a short comment");
        const QString longText(6000, QLatin1Char('c'));
        QTest::newRow("database directory read-only")
            << int(ReadOnlyDirectory) << "spk.db" << shortText << "File access denied.";
        QTest::newRow("records file read-only")
            << int(ReadOnlyFile) << "spk.db" << shortText << "File access denied.";
        QTest::newRow("header file read-only")
            << int(ReadOnlyFile) << "spkdb.hdr" << shortText << "File access denied.";
        QTest::newRow("directory where the records file should be")
            << int(DirectoryInPlace) << "spk.db" << shortText << "File name is a directory.";
        QTest::newRow("records file missing")
            << int(MissingFile) << "spk.db" << shortText << "File not found.";
        QTest::newRow("header file missing")
            << int(MissingFile) << "spkdb.hdr" << shortText << "File not found.";
        QTest::newRow("records file unreadable")
            << int(UnreadableFile) << "spk.db" << shortText << "File access denied.";
        // The record needs new blocks: appending it fails.
        QTest::newRow("full file system, record does not fit")
            << int(FullDisk) << "spk.db" << longText << "Disk full.";
        // The record fits into the last block of spk.db, the new header does
        // not: the record already written must be taken back.
        QTest::newRow("full file system, header does not fit")
            << int(FullDisk) << "spkdb.hdr" << shortText << "Disk full.";
    }

    void addDriverFails() {
        QFETCH(int, fault);
        QFETCH(QString, file);
        QFETCH(QString, comments);
        QFETCH(QString, report);
        const Fault f = Fault(fault);
        QString skip;
        if (!prepare({"spk.db", "spkdb.hdr"}, mountFor(f, QStringLiteral("256k")), skip))
            QSKIP(qPrintable(skip));
        if (const QString why = unreadableSkip(f); !why.isEmpty())
            QSKIP(qPrintable(why));
        setText("EComments", comments);
        setText("EModel", QStringLiteral("Fault Test 15"));
        const QByteArray records = contents(path(QStringLiteral("spk.db")));
        const QByteArray header = contents(path(QStringLiteral("spkdb.hdr")));
        const int lastIndex = faults::headerIndex(work_);
        QCOMPARE(faults::recordCount(work_), lastIndex + 1);
        const QMap<QString, QString> fields = fieldTexts(&main());

        if (f == DirectoryInPlace)
            QVERIFY(QFile::rename(path(file), path(file + QStringLiteral(".away"))));
        QVERIFY2(stage(f, file, true), "cannot stage the fault");
        QVERIFY(runAs(f, [&] { click("ADDDRIVERButton"); }));
        QCOMPARE(reports(), QStringList{report});

        // Both files exactly as they were, so still consistent.
        QVERIFY2(stage(f, file, false), "cannot undo the fault");
        if (f == DirectoryInPlace)
            QVERIFY(QFile::rename(path(file + QStringLiteral(".away")), path(file)));
        QCOMPARE(contents(path(QStringLiteral("spk.db"))), records);
        QCOMPARE(contents(path(QStringLiteral("spkdb.hdr"))), header);
        QCOMPARE(faults::recordCount(work_), faults::headerIndex(work_) + 1);
        QCOMPARE(fieldTexts(&main()), fields);
        QVERIFY(!QFileInfo::exists(path(Filler)));

        // The fault gone, the driver is added once and can be listed.
        click("ADDDRIVERButton");
        QCOMPARE(reports(), QStringList());
        QCOMPARE(faults::headerIndex(work_), lastIndex + 1);
        QCOMPARE(faults::recordCount(work_), lastIndex + 2);
        click("GETDRIVERButton");
        QCOMPARE(reports(), QStringList());
        const QStringList entries = listLines(program_->window("GETDRIVERForm"), "ListBox1");
        QCOMPARE(entries.size(), lastIndex + 2);
        QCOMPARE(entries.last(),
                 QString::number(lastIndex + 1) + QStringLiteral(" Fane Fault Test 15"));
    }

    // ------------------------------------------------------------- Get Driver

    void getDriverFails_data() {
        QTest::addColumn<int>("fault");
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("menu");
        QTest::addColumn<QString>("report");
        QTest::newRow("records file unreadable")
            << int(UnreadableFile) << "spk.db" << false << "File access denied.";
        QTest::newRow("header file unreadable")
            << int(UnreadableFile) << "spkdb.hdr" << true << "File access denied.";
        QTest::newRow("records file missing")
            << int(MissingFile) << "spk.db" << false << "File not found.";
        QTest::newRow("header file missing")
            << int(MissingFile) << "spkdb.hdr" << true << "File not found.";
        QTest::newRow("directory where the records file should be")
            << int(DirectoryInPlace) << "spk.db" << false << "File name is a directory.";
    }

    void getDriverFails() {
        QFETCH(int, fault);
        QFETCH(QString, file);
        QFETCH(bool, menu);
        QFETCH(QString, report);
        const Fault f = Fault(fault);
        QString skip;
        if (!prepare({"spk.db", "spkdb.hdr"}, QString(), skip))
            QSKIP(qPrintable(skip));
        if (const QString why = unreadableSkip(f); !why.isEmpty())
            QSKIP(qPrintable(why));
        QWidget *dialog = program_->window("GETDRIVERForm");
        auto getDriver = [&] { menu ? trigger("SelectDriver1") : click("GETDRIVERButton"); };

        getDriver();
        QCOMPARE(reports(), QStringList());
        const QStringList entries = listLines(dialog, "ListBox1");
        QCOMPARE(entries.size(), faults::headerIndex(work_) + 1);
        dialog->close();
        const QByteArray records = contents(path(QStringLiteral("spk.db")));
        const QByteArray header = contents(path(QStringLiteral("spkdb.hdr")));
        const QMap<QString, QString> fields = fieldTexts(&main());

        if (f == DirectoryInPlace)
            QVERIFY(QFile::rename(path(file), path(file + QStringLiteral(".away"))));
        QVERIFY2(stage(f, file, true), "cannot stage the fault");
        QVERIFY2(runAs(f, getDriver), "cannot act as an unprivileged user");
        QCOMPARE(reports(), QStringList{report});
        // The dialog was shown with its lists emptied before the read failed.
        QVERIFY(dialog->isVisible());
        QCOMPARE(listLines(dialog, "ListBox1"), QStringList());
        QCOMPARE(fieldTexts(&main()), fields);

        QVERIFY2(stage(f, file, false), "cannot undo the fault");
        if (f == DirectoryInPlace)
            QVERIFY(QFile::rename(path(file + QStringLiteral(".away")), path(file)));
        QCOMPARE(contents(path(QStringLiteral("spk.db"))), records);
        QCOMPARE(contents(path(QStringLiteral("spkdb.hdr"))), header);
        getDriver();
        QCOMPARE(reports(), QStringList());
        QCOMPARE(listLines(dialog, "ListBox1"), entries);
    }

    // ------------------------------------------------------------- presets

    void presetFails_data() {
        QTest::addColumn<int>("fault");
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("menu");
        QTest::addColumn<bool>("slotsBeforeWritten"); // test0.log and test1.log rewritten
        QTest::addColumn<QString>("report");
        QTest::newRow("filter file missing")
            << int(MissingFile) << "LP2C100B.FLT" << false << true << "File not found.";
        QTest::newRow("filter file unreadable")
            << int(UnreadableFile) << "LP2C100B.FLT" << true << true << "File access denied.";
        QTest::newRow("directory where the filter file should be")
            << int(DirectoryInPlace) << "LP2C100B.FLT" << false << true
            << "File name is a directory.";
        QTest::newRow("directory read-only, no test log can be written")
            << int(ReadOnlyDirectory) << "test0.log" << true << false << "File access denied.";
        QTest::newRow("full file system, no test log can be written")
            << int(FullDisk) << "test0.log" << false << false << "Disk full.";
    }

    void presetFails() {
        QFETCH(int, fault);
        QFETCH(QString, file);
        QFETCH(bool, menu);
        QFETCH(bool, slotsBeforeWritten);
        QFETCH(QString, report);
        const Fault f = Fault(fault);
        QString skip;
        const QStringList filters = {"HP2C16C.FLT", "LP1C60B.FLT", "LP2C100B.FLT", "H3C19C12.FLT",
                                     "LP2C40B.FLT"};
        if (!prepare(filters, mountFor(f, QStringLiteral("512k")), skip))
            QSKIP(qPrintable(skip));
        if (const QString why = unreadableSkip(f); !why.isEmpty())
            QSKIP(qPrintable(why));
        auto quorvel100 = [&] { menu ? trigger("Quorvel100Hz1") : click("BUTTONQuorvel100"); };

        // Quorvel 100 Hz once (all four test logs), then Pelmo 100/1 in the list.
        quorvel100();
        QCOMPARE(reports(), QStringList());
        const QStringList quorvelLines = listLines(&main(), "ListBox1");
        QCOMPARE(quorvelLines.size(), 1001);
        click("BUTTONPelmo100_1");
        QCOMPARE(reports(), QStringList());
        const QStringList pelmoLines = listLines(&main(), "ListBox1");
        QCOMPARE(pelmoLines.size(), 1001);
        QVERIFY(pelmoLines != quorvelLines);
        QMap<QString, QByteArray> logs;
        for (const char *log : {"test0.log", "test1.log", "test2.log", "test3.log"})
            logs.insert(QLatin1String(log), contents(path(QLatin1String(log))));
        const QMap<QString, QString> fields = fieldTexts(&main());

        if (f == DirectoryInPlace)
            QVERIFY(QFile::rename(path(file), path(file + QStringLiteral(".away"))));
        QVERIFY2(stage(f, file, true), "cannot stage the fault");
        const QStringList before = listing(work_);
        QVERIFY2(runAs(f, quorvel100), "cannot act as an unprivileged user");
        QCOMPARE(reports(), QStringList{report});

        // The list still shows the previous crossover; the logs of the slots
        // the preset did not reach are as they were.
        QCOMPARE(listLines(&main(), "ListBox1"), pelmoLines);
        QCOMPARE(fieldTexts(&main()), fields);
        for (auto it = logs.cbegin(); it != logs.cend(); ++it) {
            const bool reached =
                slotsBeforeWritten && (it.key() == "test0.log" || it.key() == "test1.log");
            if (!reached)
                QVERIFY2(contents(path(it.key())) == it.value(), qPrintable(it.key()));
        }
        QCOMPARE(listing(work_), before); // no half-written log left beside the others

        QVERIFY2(stage(f, file, false), "cannot undo the fault");
        if (f == DirectoryInPlace)
            QVERIFY(QFile::rename(path(file + QStringLiteral(".away")), path(file)));
        quorvel100();
        QCOMPARE(reports(), QStringList());
        QCOMPARE(listLines(&main(), "ListBox1"), quorvelLines);
        click("Button1");
        QCOMPARE(reports(), QStringList());
        QCOMPARE(text("ERecPwrResult"), QStringLiteral("117.40"));
    }
};

QTEST_MAIN(TestDiskFaults)
#include "tst_diskfaults.moc"
