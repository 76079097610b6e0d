// Fuzz target: the design setup file reader and writer.
//
// The input is the document; one ending in "%%hole" is a file of that text
// followed by a 2 GB hole. Checked:
// - only DravikError escapes the reader, and it says "The design setup was
//   not read: " (the file reader "The setup file in.dvsetup was not read: "
//   or one of the program's file messages);
// - whatever the reader takes, the writer writes without a refusal, the
//   reader takes that back as the very same design, and writing it again
//   gives the same bytes;
// - the file reader agrees with the document reader on every input, and
//   refuses a file larger than 1 MiB before reading it.

#include "Fp.h"
#include "FuzzSupport.h"
#include "SetupFile.h"

#include <QByteArray>
#include <QString>

#include <string>

using namespace dravik;
using dravik::fuzz::show;

namespace {

const QString NotRead = QStringLiteral("The design setup was not read: ");
const QString FileNotRead = QStringLiteral("The setup file in.dvsetup was not read: ");

bool isFileMessage(const QString &m) {
    for (const char *known :
         {msg::FileNotFound, msg::FileAccessDenied, msg::PathNotFound, msg::IsDirectory,
          msg::FileIoError, msg::InvalidFileName, msg::NotRegularFile})
        if (m == QLatin1String(known))
            return true;
    return false;
}

// The design or the refusal the document reader gives.
struct Outcome {
    bool read = false;
    DesignSetup setup;
    QString refusal;
};

Outcome parse(const QByteArray &json) {
    Outcome out;
    try {
        out.setup = ParseDesignSetup(json);
        out.read = true;
    } catch (const DravikError &e) {
        out.refusal = e.message();
    }
    return out;
}

void checkRoundTrip(const DesignSetup &setup) {
    QByteArray written;
    try {
        written = SerializeDesignSetup(setup);
    } catch (const DravikError &e) {
        FUZZ_CHECK(false, "a design that was read cannot be written: " + show(e.message()));
    }
    const Outcome again = parse(written);
    FUZZ_CHECK(again.read, "the written design is refused: " + show(again.refusal) + "\n" +
                               written.toStdString());
    FUZZ_CHECK(again.setup == setup,
               "the written design reads back otherwise:\n" + written.toStdString());
    FUZZ_CHECK(SerializeDesignSetup(again.setup) == written, "a second save differs");
}

void checkFileReader(const Outcome &fromDocument, bool tooLarge) {
    try {
        const DesignSetup setup = ReadSetupFile(QStringLiteral("in.dvsetup"));
        FUZZ_CHECK(!tooLarge, "a file larger than 1 MiB was read");
        FUZZ_CHECK(fromDocument.read && setup == fromDocument.setup,
                   "the file reader takes what the document reader refuses: " +
                       show(fromDocument.refusal));
    } catch (const DravikError &e) {
        const QString m = e.message();
        if (tooLarge) {
            FUZZ_CHECK(m == FileNotRead + QStringLiteral("it is larger than 1 MiB"), show(m));
            return;
        }
        FUZZ_CHECK(!isFileMessage(m), "a plain file refused as " + show(m));
        FUZZ_CHECK(!fromDocument.read, "the file reader refuses a good document: " + show(m));
        QString asDocument = fromDocument.refusal;
        asDocument.replace(0, NotRead.size(), FileNotRead);
        FUZZ_CHECK(m == asDocument, show(m) + " against " + show(fromDocument.refusal));
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
    fuzz::keepArtifactsInStartDirectory(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string_view input(reinterpret_cast<const char *>(data), size);
    const bool hole = fuzz::takeHoleMarker(input);
    const QByteArray json(input.data(), static_cast<qsizetype>(input.size()));

    const Outcome outcome = parse(json);
    if (outcome.read)
        checkRoundTrip(outcome.setup);
    else
        FUZZ_CHECK(outcome.refusal.startsWith(NotRead), show(outcome.refusal));

    const fuzz::WorkDirectory here;
    hole ? fuzz::writeFileWithHole("in.dvsetup", input) : fuzz::writeFile("in.dvsetup", input);
    checkFileReader(outcome, hole || json.size() > SetupFileMaxBytes);
    return 0;
}
