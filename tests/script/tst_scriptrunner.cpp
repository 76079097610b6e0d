#include "Program.h"
#include "ScriptRunner.h"
#include "mainprg2.h"

#include <QBuffer>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

using namespace dravik;

class TestScriptRunner : public QObject {
    Q_OBJECT

    struct Run {
        int status;
        QString out;
        QString err;
    };

    // Runs a script against a fresh program; `prepare` may change its windows first.
    Run run(const QByteArray &script, const std::function<void(Program &)> &prepare = {}) {
        QString out, err;
        QTextStream outStream(&out), errStream(&err);
        ScriptDialogs dialogs(outStream);
        Program program(dialogs);
        program.start();
        if (prepare)
            prepare(program);
        ScriptRunner runner(program, dialogs, outStream, errStream);
        const int status = runner.run(ScriptRunner::splitLines(script));
        outStream.flush();
        errStream.flush();
        return {status, out, err};
    }

private slots:
    void splitLines_data() {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("LF") << QByteArray("a\nb\n") << QStringList{"a", "b"};
        QTest::newRow("CR LF") << QByteArray("set EVb 1\r\nb\r\n") << QStringList{"set EVb 1", "b"};
        QTest::newRow("no final end") << QByteArray("a\nb") << QStringList{"a", "b"};
        QTest::newRow("blank line kept") << QByteArray("a\n\nb\n") << QStringList{"a", "", "b"};
        QTest::newRow("lone CR") << QByteArray("a\rb\r\r\nc\r") << QStringList{"a", "b", "", "c"};
        // The script is read in pieces of 64 KiB: a CR LF across the seam is one line end.
        const QByteArray longLine(65535, 'x');
        QTest::newRow("CR LF across a read") << longLine + "\r\nb\n" << QStringList{longLine, "b"};
    }
    void splitLines() {
        QFETCH(QByteArray, script);
        QFETCH(QStringList, lines);
        QCOMPARE(ScriptRunner::splitLines(script), lines);
    }

    // The script is read as it runs, not first as a whole: the first line of a
    // long script comes after one piece of it, and a script past the limit
    // fails when reading reaches the limit.
    void scriptIsReadAsItRuns() {
        QByteArray text;
        for (int i = 0; i < 200000; ++i)
            text += "# a comment line of the script\n";
        QBuffer device(&text);
        device.open(QIODevice::ReadOnly);
        ScriptStream stream(device, QStringLiteral("s.dvs"), text.size());
        QString line;
        QVERIFY(stream.next(line));
        QCOMPARE(line, QStringLiteral("# a comment line of the script"));
        QVERIFY(device.pos() <= 64 * 1024 + 1);
        int count = 1;
        while (stream.next(line))
            ++count;
        QCOMPARE(count, 200000);

        device.seek(0);
        ScriptStream small(device, QStringLiteral("s.dvs"), 1000);
        try {
            while (small.next(line)) {
            }
            QFAIL("a script past the limit was read to its end");
        } catch (const ScriptStream::Failure &e) {
            QCOMPARE(e.why, QStringLiteral("\"s.dvs\" is larger than 64 MB"));
        }
    }

    // A relative opendir after the current directory was deleted is looked up
    // there: it is not found, and the program stays where it was rather than
    // resolving the path against the root.
    void relativeOpendirInDeletedDirectory() {
        QTemporaryDir dir;
        const QString start = QDir::currentPath();
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("gone")));
        QVERIFY(QDir::setCurrent(dir.filePath(QStringLiteral("gone"))));
        QVERIFY(QDir(dir.path()).rmdir(QStringLiteral("gone")));
        const Run r = run("opendir tmp\nprint EDesignFilePath\n");
        const bool stayed = QDir::currentPath().isEmpty();
        QDir::setCurrent(start);
        QCOMPARE(r.out,
                 QStringLiteral("error: Path not found.\nEDesignFilePath=EDesignFilePath\n"));
        QCOMPARE(r.status, 0);
        QVERIFY(stayed);
    }

    void ambiguousNameIsAScriptError() {
        const Run r = run("print EVb\nprint Twin\nprint EFb\n", [](Program &p) {
            for (int i = 0; i < 2; ++i) {
                auto *twin = new QLineEdit(&p.main());
                twin->setObjectName(QStringLiteral("Twin"));
            }
        });
        QCOMPARE(r.status, 2);
        QCOMPARE(r.out, QStringLiteral("EVb=240\n"));
        QCOMPARE(r.err, QStringLiteral("script error: line 2: ambiguous name \"Twin\"\n"));
    }

    void scriptErrors_data() {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QString>("error");
        QTest::newRow("unknown verb")
            << QByteArray("\n# c\nfly away\n") << "line 3: unknown verb \"fly\"";
        QTest::newRow("click arguments") << QByteArray("click") << "line 1: click takes 1 argument";
        QTest::newRow("check value")
            << QByteArray("check ChkCrossEnabled yes") << "line 1: check takes on or off";
        QTest::newRow("check kind")
            << QByteArray("check EVb on") << "line 1: EVb is not a check box";
        QTest::newRow("set kind") << QByteArray("set Button1 x")
                                  << "line 1: Button1 is not a text field";
        QTest::newRow("select number")
            << QByteArray("select ListBox2 x") << "line 1: select takes an entry number or -1";
        QTest::newRow("select beyond an empty list")
            << QByteArray("select ListBox2 0") << "line 1: ListBox2 has 0 entries, no entry 0";
        QTest::newRow("select beyond the list") << QByteArray("click SBB4Button\nselect ListBox2 6")
                                                << "line 2: ListBox2 has 6 entries, no entry 6";
        QTest::newRow("select far beyond the list")
            << QByteArray("select ChartsForm.OverlayList 2147483647")
            << "line 1: ChartsForm.OverlayList has 0 entries, no entry 2147483647";
        QTest::newRow("page not a tab of the charts")
            << QByteArray("click DesignCharts1\npage ChartsForm.SplPanel")
            << "line 2: ChartsForm.SplPanel is not a tab of ChartsForm";
        QTest::newRow("page kind")
            << QByteArray("page EVb") << "line 1: EVb is not a page of Valitsin";
        QTest::newRow("caption kind") << QByteArray("caption EVb") << "line 1: EVb is not a window";
        QTest::newRow("list kind") << QByteArray("list EVb") << "line 1: EVb is not a list box";
        QTest::newRow("print kind")
            << QByteArray("print Button1") << "line 1: Button1 has no value to print";
        QTest::newRow("empty qualified")
            << QByteArray("print drvik.") << "line 1: unknown name \"drvik.\"";
        QTest::newRow("pickfile") << QByteArray("pickfile none.dgn")
                                  << "line 1: no file \"none.dgn\" in the file list";
        QTest::newRow("grab arguments")
            << QByteArray("grab drvik") << "line 1: grab takes a name and a file";
    }
    void scriptErrors() {
        QFETCH(QByteArray, script);
        QFETCH(QString, error);
        QTemporaryDir dir;
        QDir::setCurrent(dir.path());
        const Run r = run(script);
        QCOMPARE(r.status, 2);
        QCOMPARE(r.err, QStringLiteral("script error: ") + error + '\n');
    }

    void quitEndsTheScript() {
        const Run r = run("click About1\nclick ToolButton7\nprint EVb\n");
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, QString());
    }

    void setKeepsTextExactly() {
        const Run r = run("set EModel  a  b \nprint EModel\nset EModel\nprint EModel\n");
        QCOMPARE(r.out, QStringLiteral("EModel= a  b \nEModel=\n"));
    }

    void windowsAndQualifiedNames() {
        const Run r = run("print OutputForm\nclick ToolButton4\nprint OutputForm\n"
                          "click OutputForm.ToolButton1\nprint OutputForm\ncaption FVentFSel\n");
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, QStringLiteral("OutputForm=hidden\nOutputForm=visible\nOutputForm=hidden\n"
                                       "FVentFSel=Select Vent resonant frequency\n"));
    }
};

QTEST_MAIN(TestScriptRunner)
#include "tst_scriptrunner.moc"
