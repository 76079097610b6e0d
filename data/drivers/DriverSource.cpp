#include "DriverSource.h"

#include "DriverDatabase.h"
#include "NumberText.h"
#include "TextFile.h"

#include <QFile>
#include <QSet>
#include <QXmlStreamReader>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace dravik::drivers {

namespace {

// ---- reading the figures

bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

bool isDigit(const QString &s, qsizetype i) {
    return i < s.size() && s[i] >= QLatin1Char('0') && s[i] <= QLatin1Char('9');
}

// The number at the start of `text` (after blanks) as written, or empty.
QString leadingNumberText(const QString &text) {
    qsizetype i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    const qsizetype start = i;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
        ++i;
    int digits = 0;
    while (isDigit(text, i)) {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == QLatin1Char('.')) {
        ++i;
        while (isDigit(text, i)) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return QString();
    // An exponent counts only when digits follow it ("5e" is 5 and a unit).
    if (i < text.size() && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
        qsizetype j = i + 1;
        if (j < text.size() && (text[j] == QLatin1Char('+') || text[j] == QLatin1Char('-')))
            ++j;
        if (isDigit(text, j)) {
            while (isDigit(text, j))
                ++j;
            i = j;
        }
    }
    return text.mid(start, i - start);
}

// Half a unit of the last decimal a number was written with: the rounding
// a figure given as 0.38 may carry.
double roundingOf(const QString &numberText) {
    if (numberText.contains(QLatin1Char('e')) || numberText.contains(QLatin1Char('E')))
        return 0.0;
    const qsizetype point = numberText.indexOf(QLatin1Char('.'));
    const qsizetype decimals = point < 0 ? 0 : numberText.size() - point - 1;
    return 0.5 * std::pow(10.0, -static_cast<double>(decimals));
}

// ---- writing the figures

QString withoutTrailingZeros(QString text) {
    if (!text.contains(QLatin1Char('.')))
        return text;
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

// `value` to `digits` significant digits, in fixed notation, without
// trailing zeros: 368.121 -> "368.1", 9.99998 -> "10", 0.0762 -> "0.0762".
QString significant(double value, int digits) {
    if (value == 0.0)
        return QStringLiteral("0");
    const int magnitude = static_cast<int>(std::floor(std::log10(std::fabs(value))));
    const int decimals = std::max(0, digits - 1 - magnitude);
    return withoutTrailingZeros(FormatFieldValue(value, decimals));
}

QString fixed(double value, int decimals) {
    return FormatFieldValue(value, decimals);
}

const QString Unknown = QStringLiteral("?");

constexpr double Pi = 3.14159265358979323846;

// ---- makers

// Makers as they write their own names; the source has most in capitals.
QString makerName(const QString &vendor) {
    static const QHash<QString, QString> names = {
        {"ALPINE", "Alpine"},
        {"AUDAX", "Audax"},
        {"BLAUPUNKT", "Blaupunkt"},
        {"CABASSE", "Cabasse"},
        {"CELESTION", "Celestion"},
        {"DAVIS ACOUSTICS", "Davis Acoustics"},
        {"DAYTON", "Dayton Audio"},
        {"DYNAUDIO", "Dynaudio"},
        {"EMINENCE", "Eminence"},
        {"ETON", "ETON"},
        {"FANE", "Fane"},
        {"FOCAL", "Focal"},
        {"FOSTEX", "Fostex"},
        {"FOUNTEK", "Fountek"},
        {"GRS", "GRS"},
        {"HIVI", "HiVi"},
        {"INFINITY", "Infinity"},
        {"JBL", "JBL"},
        {"JENSEN", "Jensen"},
        {"JVC", "JVC"},
        {"KEF", "KEF"},
        {"KENWOOD", "Kenwood"},
        {"MONACOR", "Monacor"},
        {"PANASONIC", "Panasonic"},
        {"PEERLESS", "Peerless"},
        {"PIONEER", "Pioneer"},
        {"SCAN-SPEAK", "Scan-Speak"},
        {"SEAS", "SEAS"},
        {"SONY", "Sony"},
        {"SWAN", "Swan"},
        {"VIFA", "Vifa"},
        {"VISATON", "Visaton"},
        {"YAMAHA", "Yamaha"},
    };
    const QString key = vendor.simplified().toUpper();
    if (const auto it = names.constFind(key); it != names.cend())
        return *it;
    // A maker not in the table: each word capitalised.
    QStringList words = vendor.simplified().toLower().split(QLatin1Char(' '));
    for (QString &w : words)
        if (!w.isEmpty())
            w[0] = w[0].toUpper();
    return words.join(QLatin1Char(' '));
}

// ---- the rules

// A figure of the source: its attribute, its name in messages, its unit, and
// the range a real bass driver's value lies in.
struct Figure {
    const char *attribute;
    const char *name;
    const char *unit;
    double low;
    double high;
};

constexpr Figure Figures[] = {
    {"fs", "Fs", "Hz", 5.0, 20000.0},
    {"vas", "Vas", "l", 0.05, 10000.0},
    {"qts", "Qts", "", 0.05, 2.0},
    {"qes", "Qes", "", 0.05, 5.0},
    {"qms", "Qms", "", 0.3, 50.0},
    {"xmax", "Xmax", "mm", 0.25, 50.0},
    {"sd", "cone area Sd", "m2", 0.0005, 1.0},
    {"pe", "rated power", "W", 1.0, 10000.0},
    {"spl", "sensitivity", "dB", 70.0, 120.0},
    {"re", "Re", "ohm", 0.5, 100.0},
    {"z", "rated impedance", "ohm", 1.0, 100.0},
    {"bl", "BL", "T m", 0.1, 100.0},
    {"mms", "Mms", "g", 0.1, 2000.0},
    {"cms", "Cms", "mm/N", 0.001, 50.0},
    {"rms", "Rms", "kg/s", 0.01, 100.0},
    {"le", "Le", "mH", 0.001, 20.0},
    {"dia", "nominal diameter", "m", 0.02, 1.5},
    {"vc", "number of voice coils", "", 1.0, 4.0},
};

// The figures every command of the program needs (Qes may be derived).
constexpr const char *Required[] = {"fs", "vas", "qts", "qes", "xmax", "sd", "pe"};

// A bass driver resonates at 100 Hz or below, is at least 4 inches across
// and moves at least 50 cm2 of air (a piston of 8 cm).
constexpr double HighestBassFs = 100.0;
constexpr double SmallestBassDiameter = 0.1;   // m, nominal
constexpr double SmallestBassConeArea = 0.005; // m2
// The piston diameter from Sd against the nominal (frame) diameter.
constexpr double LowestPistonShare = 0.5;
constexpr double HighestPistonShare = 1.02;
// 1/Qts = 1/Qes + 1/Qms must hold within the rounding of the three figures
// and one per cent more.
constexpr double QTolerance = 0.01;

// The program's reference efficiency and the level at 1 W and 1 m.
double sensitivityFromEfficiency(double fs, double vas, double qes) {
    const double eta0 = 9.64e-10 * fs * fs * fs * vas / qes;
    return 112.0 + 10.0 * std::log10(eta0);
}

const Figure &figure(const char *attribute) {
    for (const Figure &f : Figures)
        if (qstrcmp(f.attribute, attribute) == 0)
            return f;
    throw std::logic_error("no such figure");
}

QString describe(const Figure &f, double value) {
    QString text = QString::fromLatin1(f.name) + QLatin1Char(' ') + significant(value, 4);
    if (*f.unit)
        text += QLatin1Char(' ') + QString::fromLatin1(f.unit);
    return text;
}

// The driver's figures as numbers, with the text each was written with.
class DriverFigures {
public:
    explicit DriverFigures(const SourceDriver &d) {
        for (const Figure &f : Figures) {
            const QString text = leadingNumberText(d.attributes.value(QLatin1String(f.attribute)));
            const std::optional<double> value = LeadingNumber(text);
            if (value) {
                values_.insert(QLatin1String(f.attribute), *value);
                texts_.insert(QLatin1String(f.attribute), text);
            }
        }
    }
    bool has(const char *a) const { return values_.contains(QLatin1String(a)); }
    double operator[](const char *a) const { return values_.value(QLatin1String(a)); }
    QString text(const char *a) const { return texts_.value(QLatin1String(a)); }
    void derive(const char *a, double v) { values_.insert(QLatin1String(a), v); }

private:
    QHash<QString, double> values_;
    QHash<QString, QString> texts_;
};

QString missingFigures(const DriverFigures &v) {
    QStringList missing;
    for (const char *a : Required)
        if (!v.has(a))
            missing << QString::fromLatin1(figure(a).name);
    return missing.isEmpty() ? QString() : QStringLiteral("missing ") + missing.join(", ");
}

QString figureOutOfRange(const DriverFigures &v) {
    for (const Figure &f : Figures) {
        if (!v.has(f.attribute))
            continue;
        const double x = v[f.attribute];
        if (x < f.low || x > f.high)
            return describe(f, x) + QStringLiteral(" outside ") + significant(f.low, 4) +
                   QStringLiteral(" to ") + significant(f.high, 4);
    }
    return QString();
}

double pistonDiameter(const DriverFigures &v) {
    return 2.0 * std::sqrt(v["sd"] / Pi);
}

QString notABassDriver(const DriverFigures &v) {
    if (v["fs"] > HighestBassFs)
        return QStringLiteral("not a bass driver: Fs ") + significant(v["fs"], 4) +
               QStringLiteral(" Hz above 100 Hz");
    if (v.has("dia") && v["dia"] < SmallestBassDiameter)
        return QStringLiteral("not a bass driver: nominal diameter ") +
               significant(v["dia"] * 100.0, 3) + QStringLiteral(" cm below 10 cm");
    if (v["sd"] < SmallestBassConeArea)
        return QStringLiteral("not a bass driver: cone area ") + significant(v["sd"] * 1e4, 3) +
               QStringLiteral(" cm2 below 50 cm2");
    return QString();
}

QString coneAreaMisfit(const DriverFigures &v) {
    if (!v.has("dia"))
        return QString();
    const double share = pistonDiameter(v) / v["dia"];
    if (share >= LowestPistonShare && share <= HighestPistonShare)
        return QString();
    return QStringLiteral("cone area Sd ") + significant(v["sd"], 4) +
           QStringLiteral(" m2 does not fit the nominal diameter ") +
           significant(v["dia"] * 100.0, 3) + QStringLiteral(" cm (piston diameter ") +
           significant(pistonDiameter(v) * 100.0, 3) + QStringLiteral(" cm)");
}

// 1/Qts = 1/Qes + 1/Qms with each figure anywhere within its rounding.
QString qFactorsDisagree(const DriverFigures &v) {
    const auto low = [&](const char *a) { return v[a] - roundingOf(v.text(a)); };
    const auto high = [&](const char *a) { return v[a] + roundingOf(v.text(a)); };
    const double lowest = 1.0 / (1.0 / low("qes") + 1.0 / low("qms"));
    const double highest = 1.0 / (1.0 / high("qes") + 1.0 / high("qms"));
    if (highest * (1.0 + QTolerance) >= low("qts") && lowest * (1.0 - QTolerance) <= high("qts"))
        return QString();
    const double combined = 1.0 / (1.0 / v["qes"] + 1.0 / v["qms"]);
    return QStringLiteral("Qts ") + v.text("qts") + QStringLiteral(" disagrees with Qes ") +
           v.text("qes") + QStringLiteral(" and Qms ") + v.text("qms") +
           QStringLiteral(" (together they give Qts ") + significant(combined, 3) +
           QLatin1Char(')');
}

// ---- the record

QString sizeInInches(double metres) {
    QString text = fixed(metres / 0.0254, 1);
    if (text.endsWith(QLatin1String(".0")))
        text.chop(2);
    return text;
}

QString voiceCoils(const DriverFigures &v) {
    if (!v.has("vc"))
        return QString();
    const int coils = static_cast<int>(std::lround(v["vc"]));
    if (coils == 1)
        return QStringLiteral("single voice coil");
    if (coils == 2)
        return QStringLiteral("dual voice coil");
    return QString::number(coils) + QStringLiteral(" voice coils");
}

// "18 inch subwoofer" and so on: a subwoofer is a driver of 10 inches or more
// that resonates at 35 Hz or below.
QString driverKind(const SourceDriver &d, const DriverFigures &v) {
    QString kind = d.attributes.value(QStringLiteral("kind")).simplified();
    if (kind.isEmpty())
        kind = v.has("dia") && v["dia"] >= 0.25 && v["fs"] <= 35.0 ? QStringLiteral("subwoofer")
                                                                   : QStringLiteral("woofer");
    return v.has("dia") ? sizeInInches(v["dia"]) + QStringLiteral(" inch ") + kind : kind;
}

// Fs / Qes, the efficiency bandwidth product: up to 50 a driver suits a
// closed box, from 100 on a vented one, in between either.
QString recommendedEnclosure(const DriverFigures &v) {
    const double ebp = v["fs"] / v["qes"];
    const QString figure = QStringLiteral(" (Fs/Qes ") + fixed(ebp, 0) + QLatin1Char(')');
    if (ebp < 50.0)
        return QStringLiteral("closed box") + figure;
    if (ebp > 100.0)
        return QStringLiteral("vented box") + figure;
    return QStringLiteral("closed or vented box") + figure;
}

QString givenOrUnknown(const DriverFigures &v, const char *a) {
    return v.has(a) ? significant(v[a], 4) : Unknown;
}

QString attributeOrUnknown(const SourceDriver &d, const char *a) {
    const QString text = d.attributes.value(QLatin1String(a)).simplified();
    return text.isEmpty() ? Unknown : text;
}

QStringList recordFields(const SourceDriver &d, const DriverFigures &v, bool qesDerived,
                         const QString &sourceLabel) {
    bool sensDerived = false;
    double sens = v["spl"];
    if (!v.has("spl")) {
        sens = sensitivityFromEfficiency(v["fs"], v["vas"], v["qes"]);
        sensDerived = true;
    }
    const double piston = pistonDiameter(v);

    QStringList comments{driverKind(d, v)};
    if (const QString coils = voiceCoils(v); !coils.isEmpty())
        comments << coils;
    if (qesDerived)
        comments << QStringLiteral("Qes derived from Qts and Qms");
    if (sensDerived)
        comments << QStringLiteral("sensitivity derived from the reference efficiency");

    QStringList other;
    if (v.has("le"))
        other << QStringLiteral("Le ") + significant(v["le"], 4) + QStringLiteral(" mH");
    if (v.has("dia"))
        other << QStringLiteral("nominal diameter ") + fixed(v["dia"] * 1000.0, 0) +
                     QStringLiteral(" mm");
    if (const QString info = d.attributes.value(QStringLiteral("info")).simplified();
        !info.isEmpty())
        other << info;
    other << QStringLiteral("from the ") + sourceLabel;

    QHash<QString, QString> f;
    f["EManufacturer"] = makerName(d.attributes.value(QStringLiteral("vendor")));
    f["EModel"] = d.attributes.value(QStringLiteral("model")).simplified();
    f["EComments"] = comments.join(QStringLiteral(", "));
    f["EQts"] = significant(v["qts"], 4);
    f["EQms"] = givenOrUnknown(v, "qms");
    f["EQes"] = qesDerived ? significant(v["qes"], 3) : significant(v["qes"], 4);
    f["EVas"] = significant(v["vas"], 4);
    f["EFs"] = significant(v["fs"], 4);
    f["EXmax"] = significant(v["xmax"], 4);
    // The simulation and the vent calculator read the diameter as
    // centimetres: the piston diameter from Sd, so that they find Sd again.
    f["EDiam"] = fixed(piston * 100.0, 1);
    f["EPEmax"] = significant(v["pe"], 4);
    f["ERe"] = givenOrUnknown(v, "re");
    f["ESens"] = sensDerived ? fixed(sens, 1) : significant(sens, 4);
    f["EImpedance"] = givenOrUnknown(v, "z");
    f["EEffPDiam"] = fixed(piston * 1000.0, 0);
    f["EMaxExcursionBeforeDamage"] = Unknown;
    f["EMinImpedance"] = Unknown;
    f["EMagnetW"] = attributeOrUnknown(d, "magnet");
    f["EBl"] = givenOrUnknown(v, "bl");
    f["EVd"] = significant(v["sd"] * v["xmax"], 3); // m2 x mm = litres
    f["ECms"] = givenOrUnknown(v, "cms");
    f["EMms"] = givenOrUnknown(v, "mms");
    f["ERms"] = givenOrUnknown(v, "rms");
    f["EWeight"] = attributeOrUnknown(d, "weight");
    f["EConeMaterial"] = attributeOrUnknown(d, "cone");
    f["ERecommendedEnclType"] = recommendedEnclosure(v);
    f["EPictureFile"] = QStringLiteral("<no_picture>");
    f["EOtherInformation"] = other.join(QStringLiteral("; "));

    QStringList fields;
    for (Field field : DriverFields())
        fields << oneLine(f.value(QLatin1String(tableEntry(field).name)));
    return fields;
}

QString recordKey(const QStringList &fields) {
    return fields[0] + QChar(0) + fields[1];
}

} // namespace

std::optional<double> LeadingNumber(const QString &text) {
    const QString number = leadingNumberText(text);
    if (number.isEmpty())
        return std::nullopt;
    const std::string s = number.toStdString();
    const char *first = s.data() + (s.front() == '+' ? 1 : 0);
    double value = 0.0;
    const auto res = std::from_chars(first, s.data() + s.size(), value);
    if (res.ec != std::errc() || !std::isfinite(value) || value == 0.0)
        return std::nullopt;
    return value;
}

std::vector<SourceDriver> ReadSourceDrivers(const SourceFile &file) {
    QXmlStreamReader xml(file.xml);
    std::vector<SourceDriver> drivers;
    const auto where = [&] {
        return file.name + QLatin1Char(':') + QString::number(xml.lineNumber());
    };
    const auto fail = [&](const QString &why) {
        throw SourceError(where() + QStringLiteral(": ") + why);
    };

    bool inRoot = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (!inRoot) {
                if (xml.name() != QLatin1String("speakers"))
                    fail(QStringLiteral("the root element is <") + xml.name().toString() +
                         QStringLiteral(">, not <speakers>"));
                inRoot = true;
                continue;
            }
            if (xml.name() != QLatin1String("speaker"))
                fail(QStringLiteral("unexpected element <") + xml.name().toString() +
                     QLatin1Char('>'));
            SourceDriver driver;
            driver.origin = where();
            for (const QXmlStreamAttribute &a : xml.attributes())
                driver.attributes.insert(a.name().toString(), a.value().toString());
            drivers.push_back(std::move(driver));
            xml.skipCurrentElement();
        }
    }
    if (xml.hasError())
        fail(xml.errorString());
    if (!inRoot)
        fail(QStringLiteral("no <speakers> element"));
    return drivers;
}

Assessment AssessDriver(const SourceDriver &driver, const QString &sourceLabel) {
    const auto reject = [](const QString &why) { return Assessment{{}, why}; };
    if (driver.attributes.value(QStringLiteral("vendor")).simplified().isEmpty() ||
        driver.attributes.value(QStringLiteral("model")).simplified().isEmpty())
        return reject(QStringLiteral("no maker or model"));

    DriverFigures v(driver);
    bool qesDerived = false;
    if (!v.has("qes") && v.has("qts") && v.has("qms") && v["qms"] > v["qts"]) {
        v.derive("qes", 1.0 / (1.0 / v["qts"] - 1.0 / v["qms"]));
        qesDerived = true;
    }
    for (const QString &why :
         {missingFigures(v), figureOutOfRange(v), notABassDriver(v), coneAreaMisfit(v)})
        if (!why.isEmpty())
            return reject(why);
    if (v.has("qms") && !qesDerived)
        if (const QString why = qFactorsDisagree(v); !why.isEmpty())
            return reject(why);
    return Assessment{recordFields(driver, v, qesDerived, sourceLabel), QString()};
}

std::vector<SourceFile> ShippedSources(const QString &folder) {
    struct Shipped {
        const char *file;
        const char *label;
        const char *provenance;
    };
    static const Shipped shipped[] = {
        {"qspeakers_db.xml", "QSpeakers database",
         "the QSpeakers database (github.com/be1/qspeakers, qspeakers_db.xml at commit 836f5f9, "
         "GPL-3.0-or-later)"},
        {"dravik_drivers.xml", "Dravik start-up driver", "Dravik's own start-up driver"},
    };
    std::vector<SourceFile> files;
    for (const Shipped &s : shipped) {
        QFile f(folder + QLatin1Char('/') + QLatin1String(s.file));
        if (!f.open(QIODevice::ReadOnly))
            throw SourceError(f.fileName() + QStringLiteral(": cannot be read"));
        files.push_back({f.readAll(), QLatin1String(s.file), QLatin1String(s.label),
                         QLatin1String(s.provenance)});
    }
    return files;
}

GeneratedDatabase GenerateDatabase(const std::vector<SourceFile> &files) {
    GeneratedDatabase db;
    std::vector<QStringList> kept;
    QStringList provenance;
    for (const SourceFile &file : files) {
        provenance << file.provenance;
        for (const SourceDriver &driver : ReadSourceDrivers(file)) {
            Assessment a = AssessDriver(driver, file.label);
            if (a.fields.isEmpty())
                db.rejected.push_back({driver.origin, driver.attributes.value("vendor"),
                                       driver.attributes.value("model"), a.reason});
            else
                kept.push_back(std::move(a.fields));
        }
    }
    // Maker, then model, case-insensitive; exact text and then source order
    // settle ties, so the order never depends on the sort.
    std::stable_sort(kept.begin(), kept.end(), [](const QStringList &a, const QStringList &b) {
        for (int i : {0, 1}) {
            if (const int c = a[i].compare(b[i], Qt::CaseInsensitive))
                return c < 0;
        }
        return recordKey(a) < recordKey(b);
    });

    QSet<QString> makers;
    for (const QStringList &fields : kept)
        makers.insert(fields[0].toLower());
    db.drivers = static_cast<int>(kept.size());
    db.makers = static_cast<int>(makers.size());

    const auto line = [](QByteArray &out, const QString &text) {
        out += text.toUtf8();
        out += "\r\n";
    };
    line(db.records, QStringLiteral("Dravik driver database: %1 bass drivers from %2 makers, "
                                    "sorted by maker and model")
                         .arg(db.drivers)
                         .arg(db.makers));
    line(db.records, QStringLiteral("Figures from ") + provenance.join(QStringLiteral("; ")));
    line(db.records, QStringLiteral("Diameter: the piston diameter from Sd in cm (Effective "
                                    "Piston Diameter in mm); Vd = Sd x Xmax in litres"));
    for (size_t i = 0; i < kept.size(); ++i)
        db.records += DriverRecordBytes(static_cast<int>(i), kept[i]);
    line(db.lastIndex, QString::number(db.drivers - 1));
    return db;
}

} // namespace dravik::drivers
