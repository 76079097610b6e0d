#include "Fp.h"
#include "TestFiles.h"
#include "TextFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace dravik;

using dravik::test::errorOf;
using dravik::test::readAll;
using dravik::test::writeBytes;

namespace {

// Leaves a Unix domain socket at `path` (bound, then closed: the name stays).
bool makeSocket(const QString &path) {
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address{};
    if (name.size() >= static_cast<qsizetype>(sizeof address.sun_path))
        return false;
    address.sun_family = AF_UNIX;
    std::copy(name.begin(), name.end(), address.sun_path);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    const bool bound =
        ::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
    ::close(fd);
    return bound;
}

} // namespace

class TestTextFile : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QString path(const char *name) { return dir_.filePath(QLatin1String(name)); }

private slots:
    void readsEveryLineEnd_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("CR LF") << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"};
        QTest::newRow("LF") << QByteArray("a\nb\n") << QStringList{"a", "b"};
        QTest::newRow("CR") << QByteArray("a\rb\r") << QStringList{"a", "b"};
        QTest::newRow("mixed") << QByteArray("a\rb\nc\r\nd") << QStringList{"a", "b", "c", "d"};
        QTest::newRow("empty lines") << QByteArray("\r\n\n\r") << QStringList{"", "", ""};
        QTest::newRow("no end on last") << QByteArray("x") << QStringList{"x"};
        QTest::newRow("empty file") << QByteArray() << QStringList{};
        QTest::newRow("NUL kept") << QByteArray("a\0b\n", 4)
                                  << QStringList{QString("a") + QChar(0) + "b"};
        QTest::newRow("UTF-8") << QByteArray("Sk\xc3\xa5n\r\n")
                               << QStringList{QString::fromUtf8("Sk\xc3\xa5n")};
    }
    void readsEveryLineEnd() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        writeBytes(path("in.txt"), bytes);
        TextReader reader(path("in.txt"));
        QStringList got;
        QString line;
        while (reader.readLine(line))
            got << line;
        QCOMPARE(got, lines);
        QCOMPARE(reader.readLineOrEmpty(), QString());
    }

    void crLfAcrossChunkBoundary() {
        QByteArray bytes(64 * 1024 - 1, 'a');
        bytes += "\r\nb\r\n";
        writeBytes(path("chunk.txt"), bytes);
        TextReader reader(path("chunk.txt"));
        QString line;
        QVERIFY(reader.readLine(line));
        QCOMPARE(line.size(), 64 * 1024 - 1);
        QVERIFY(reader.readLine(line));
        QCOMPARE(line, QStringLiteral("b"));
        QVERIFY(!reader.readLine(line));
    }

    // The splitter itself, whatever the chunks: a CR LF split across two
    // chunks is one line end, an empty chunk in between changes nothing.
    void splitterAcrossChunks_data() {
        QTest::addColumn<QStringList>("chunks");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("CR | LF") << QStringList{"a\r", "\nb"} << QStringList{"a", "b"};
        QTest::newRow("CR | CR LF") << QStringList{"a\r", "\r\nb"} << QStringList{"a", "", "b"};
        QTest::newRow("line over three chunks")
            << QStringList{"ab", "cd", "ef\n"} << QStringList{"abcdef"};
        QTest::newRow("CR at the very end") << QStringList{"a\r"} << QStringList{"a"};
        QTest::newRow("LF alone after CR chunk")
            << QStringList{"\r", "\n", "\n"} << QStringList{"", ""};
        QTest::newRow("no chunks") << QStringList{} << QStringList{};
    }
    void splitterAcrossChunks() {
        QFETCH(QStringList, chunks);
        QFETCH(QStringList, lines);
        qsizetype at = 0;
        LineSplitter splitter([&](QByteArray &chunk) {
            if (at >= chunks.size())
                return false;
            chunk = chunks[at++].toUtf8();
            return true;
        });
        QStringList got;
        QString line;
        while (splitter.next(line))
            got << line;
        QCOMPARE(got, lines);
        QVERIFY(!splitter.next(line));
    }

    // A refill that fails raises through the splitter, and reading goes on
    // from where the next refill starts.
    void splitterPassesFailuresOn() {
        int calls = 0;
        LineSplitter splitter([&](QByteArray &chunk) {
            ++calls;
            if (calls == 2)
                throw std::runtime_error("read failed");
            if (calls > 3)
                return false;
            chunk = calls == 1 ? QByteArray("one\ntw") : QByteArray("three\n");
            return true;
        });
        QString line;
        QVERIFY(splitter.next(line));
        QCOMPARE(line, QStringLiteral("one"));
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, splitter.next(line));
        QVERIFY(splitter.next(line));
        QCOMPARE(line, QStringLiteral("three"));
        QVERIFY(!splitter.next(line));
    }

    void longLineIsCut() {
        QByteArray bytes(300000, 'z');
        bytes += "\nnext\n";
        writeBytes(path("long.txt"), bytes);
        TextReader reader(path("long.txt"), 1000);
        QString line;
        QVERIFY(reader.readLine(line));
        QCOMPARE(line.size(), 1000);
        QVERIFY(reader.readLine(line));
        QCOMPARE(line, QStringLiteral("next"));
    }

    void openErrors() {
        QCOMPARE(errorOf([&] { TextReader r(path("missing.txt")); }),
                 QStringLiteral("File not found"));
        QCOMPARE(errorOf([&] { TextReader r(path("nodir/x.txt")); }),
                 QStringLiteral("Path not found"));
        QCOMPARE(errorOf([&] { TextReader r(dir_.path()); }),
                 QStringLiteral("File name is a directory"));
        QCOMPARE(errorOf([&] { TextWriter w(path("nodir/x.txt")); }),
                 QStringLiteral("Path not found"));
        QCOMPARE(errorOf([&] { TextWriter w(dir_.path()); }),
                 QStringLiteral("File name is a directory"));
    }

    // What is not a regular file, or a link to nothing, is named for what it
    // is, not refused as if it were forbidden.
    void specialFileErrors_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("forWriting");
        QTest::addColumn<QString>("error");
        QTest::newRow("read a socket") << "socket" << false << "Not a regular file";
        QTest::newRow("write a socket") << "socket" << true << "Not a regular file";
        QTest::newRow("update a socket") << "socket update" << true << "Not a regular file";
        QTest::newRow("read a link into a missing folder")
            << "dangling" << false << "Path not found";
        QTest::newRow("write a link into a missing folder")
            << "dangling" << true << "Path not found";
        QTest::newRow("write a link to a link into a missing folder")
            << "dangling twice" << true << "Path not found";
        QTest::newRow("write a link that loops") << "loop" << true << "Path not found";
        QTest::newRow("read a link that loops") << "loop" << false << "Path not found";
    }
    void specialFileErrors() {
        QFETCH(QString, kind);
        QFETCH(bool, forWriting);
        QFETCH(QString, error);
        const QString p = path("special");
        QFile::remove(p);
        QFile::remove(path("special2"));
        if (kind.startsWith(QLatin1String("socket")))
            QVERIFY(makeSocket(p));
        else if (kind == QLatin1String("dangling"))
            QVERIFY(QFile::link(path("nowhere/target.csv"), p));
        else if (kind == QLatin1String("dangling twice")) {
            QVERIFY(QFile::link(path("nowhere/target.csv"), path("special2")));
            QVERIFY(QFile::link(path("special2"), p));
        } else {
            QVERIFY(QFile::link(p, path("special2")));
            QVERIFY(QFile::link(path("special2"), p));
        }
        if (kind == QLatin1String("socket update")) {
            QFile file(p);
            QCOMPARE(errorOf([&] { openExistingForUpdate(file); }), error);
        } else if (forWriting) {
            QCOMPARE(errorOf([&] {
                         TextWriter w(p);
                         w.writeLine("x");
                         w.commit();
                     }),
                     error);
        } else {
            QCOMPARE(errorOf([&] { TextReader r(p); }), error);
        }
        QVERIFY(!QFileInfo::exists(path("nowhere")));
        QFile::remove(p);
        QFile::remove(path("special2"));
    }

    // A link to a file that is not there yet, in a folder that is: the file
    // is written there, as the name promises.
    void linkToNewFileInExistingFolder() {
        const QString p = path("link.csv");
        QVERIFY(QFile::link(path("real.csv"), p));
        TextWriter w(p);
        w.writeLine("x");
        w.commit();
        QCOMPARE(readAll(p), QByteArray("x\r\n"));
    }

    void writerUsesCrLfAndReplacesOnlyOnCommit() {
        const QString p = path("out.txt");
        writeBytes(p, "old\r\n");
        {
            TextWriter w(p);
            w.writeLine(QStringLiteral("one"));
            w.writeLine("two");
            // Not committed: the old file stays as it was.
        }
        QFile f(p);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("old\r\n"));
        f.close();
        TextWriter w(p);
        w.writeLine(QStringLiteral("one"));
        w.writeLine("two");
        w.commit();
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("one\r\ntwo\r\n"));
    }

    void readOnlyFileIsRefused() {
        const QString p = path("ro.txt");
        writeBytes(p, "keep\r\n");
        QFile::setPermissions(p, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
        QCOMPARE(errorOf([&] { TextWriter w(p); }), QStringLiteral("File access denied"));
        QFile f(p);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("keep\r\n"));
    }

    void oneLineReplacesBreaks() {
        QCOMPARE(oneLine(QStringLiteral("a\r\nb\rc\nd")), QStringLiteral("a  b c d"));
        QCOMPARE(oneLine(QStringLiteral("plain")), QStringLiteral("plain"));
    }
};

QTEST_GUILESS_MAIN(TestTextFile)
#include "tst_textfile.moc"
