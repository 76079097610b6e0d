#include "Fp.h"
#include "TestFiles.h"
#include "TextFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace dravik;

using dravik::test::errorOf;
using dravik::test::readAll;
using dravik::test::writeBytes;

namespace {} // namespace

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
