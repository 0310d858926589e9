#include "ChirpCsv.h"

#include "CodePage.h"
#include "CsvText.h"
#include "FieldChecks.h"
#include "MemorySql.h"
#include "NumberText.h"

#include <QFile>

#include <cmath>
#include <optional>
#include <string_view>

using namespace Qt::StringLiterals;

namespace {

constexpr int Field(std::string_view name) {
    for (std::size_t i = 0; i < kKv7Fields.size(); ++i)
        if (name == kKv7Fields[i].Name)
            return static_cast<int>(i);
    return -1;
}

constexpr int kMem = Field("MEM");
constexpr int kFreq = Field("FREQ");
constexpr int kMode = Field("MODE");
constexpr int kBw = Field("BW");
constexpr int kStep = Field("STEP");
constexpr int kPass = Field("PASS");
constexpr int kSelScan = Field("SELSCAN");
constexpr int kText = Field("TEXT");
static_assert(kMem >= 0 && kFreq >= 0 && kMode >= 0 && kBw >= 0 && kStep >= 0 && kPass >= 0 &&
              kSelScan >= 0 && kText >= 0);

// The fields the Comment column carries, in the order written.
constexpr std::array<const char*, 12> kCommentFields = {
    "MODE", "BW", "LP", "HP", "DM", "AGC", "SSTEP", "ATN", "ANT", "STADJ", "SELSCAN", "SQUELCH"};

enum TColumn {
    CLocation,
    CName,
    CFrequency,
    CDuplex,
    COffset,
    CTone,
    CRToneFreq,
    CCToneFreq,
    CDtcsCode,
    CDtcsPolarity,
    CRxDtcsCode,
    CCrossMode,
    CMode,
    CTStep,
    CSkip,
    CPower,
    CComment,
    CUrCall,
    CRpt1Call,
    CRpt2Call,
    CDvCode,
    kColumnCount
};
static_assert(kColumnCount == kChirpColumns.size());

struct TMapping {
    TColumn Column;
    const char* Target;
};
constexpr std::array<TMapping, 7> kMappings = {{
    {CLocation, "MEM"},
    {CName, "TEXT"},
    {CFrequency, "FREQ"},
    {CMode, "MODE and BW"},
    {CTStep, "STEP"},
    {CSkip, "PASS (S) and SELSCAN (P)"},
    {CComment, "the receiver's settings, where this program wrote them"},
}};

// What export writes where the receiver has nothing to say: CHIRP's own defaults.
constexpr std::array<const char*, kColumnCount> kNeutral = {
    "",           "", "",     "", "0.000000", "", "88.5", "88.5", "023", "NN", "023",
    "Tone->Tone", "", "5.00", "", "",         "", "",     "",     "",    ""};

const auto kDuplexDropped = u"Duplex and Offset (the receiver does not transmit)"_s;
const auto kToneDropped = u"Tone, rToneFreq and cToneFreq (the bank table keeps no CTCSS tone)"_s;
const auto kDtcsDropped = u"DtcsCode, DtcsPolarity and RxDtcsCode (DTCS codes)"_s;
const auto kCrossDropped = u"CrossMode (cross tone squelch)"_s;
const auto kPowerDropped = u"Power (the receiver does not transmit)"_s;
const auto kDstarDropped = u"URCALL, RPT1CALL, RPT2CALL and DVCODE (D-STAR calls)"_s;
const auto kCommentDropped = u"Comment (a note: the table has no field for it)"_s;

bool IsBlank(const QVariant& value) {
    return value.isNull() || value.toString().trimmed().isEmpty();
}

bool SameText(QStringView a, const char* b) {
    return a.compare(QLatin1StringView(b), Qt::CaseInsensitive) == 0;
}

QString StepText(double kHz) {
    // CHIRP writes steps with two decimals; finer steps keep the digits they need.
    const double hundredths = kHz * 100;
    return FormatFixed(kHz, std::abs(hundredths - std::round(hundredths)) < 1e-6 ? 2 : 3);
}

QString CommentText(const TKv7Values& values) {
    QStringList words;
    for (const char* name : kCommentFields) {
        const int field = Field(name);
        const QVariant& value = values[static_cast<std::size_t>(field)];
        if (IsBlank(value))
            continue;
        QString text;
        if (kKv7Fields[static_cast<std::size_t>(field)].Type == TKv7Type::Bool) {
            // Skip "S" hides SELSCAN; otherwise Skip "P" says it.
            if (!value.toBool() || (field == kSelScan && !values[kPass].toBool()))
                continue;
            text = u"Y"_s;
        } else {
            text = value.toString().trimmed();
        }
        if (text.contains(u'=') || text.contains(u' '))
            continue; // would not read back
        words << QString::fromLatin1(name) + u'=' + text;
    }
    return words.join(u' ');
}

// The settings a Comment of "FIELD=value" words carries, checked as if typed into the table;
// nullopt when the Comment is anything else.
std::optional<TKv7Values> CommentSettings(const QString& comment) {
    TKv7Values settings;
    const QStringList words = comment.split(u' ', Qt::SkipEmptyParts);
    if (words.isEmpty())
        return std::nullopt;
    for (const QString& word : words) {
        const qsizetype equals = word.indexOf(u'=');
        const auto name = QStringView(word).left(equals);
        const auto known = std::find_if(kCommentFields.cbegin(), kCommentFields.cend(),
                                        [&](const char* field) { return SameText(name, field); });
        if (equals <= 0 || known == kCommentFields.cend())
            return std::nullopt;
        QVariant value = word.mid(equals + 1);
        if (IsBlank(value) ||
            !CheckMemoryField(MemoryFieldRule(QString::fromLatin1(*known)), value).Accepted)
            return std::nullopt;
        settings[static_cast<std::size_t>(Field(*known))] = value;
    }
    return settings;
}

std::optional<TChirpModeIn> ModeIn(QStringView chirp) {
    for (const TChirpModeIn& mode : kChirpModesIn)
        if (SameText(chirp, mode.Chirp))
            return mode;
    return std::nullopt;
}

class TParser {
public:
    explicit TParser(QByteArrayView text)
        : FCsv(text) {
        FColumn.fill(-1);
    }

    TChirpContents Run() {
        if (!ReadHeader()) {
            FOut.Error = u"Not a CHIRP CSV file: its first line names no Location and "
                         u"Frequency columns"_s;
            return std::move(FOut);
        }
        while (true) {
            const qint64 line = FCsv.Line() + 1;
            QString error;
            const TCsvRecord record = FCsv.Next(error);
            if (record == TCsvRecord::End)
                break;
            if (record == TCsvRecord::Bad)
                Skip(line, error);
            if (record != TCsvRecord::Fields)
                continue;
            if (const QString why = Row(); !why.isEmpty())
                Skip(line, why);
            FCsv.ClearKept();
        }
        return std::move(FOut);
    }

private:
    bool ReadHeader() {
        QString error;
        TCsvRecord record = TCsvRecord::Blank;
        while (record == TCsvRecord::Blank)
            record = FCsv.Next(error);
        if (record != TCsvRecord::Fields)
            return false;
        for (std::size_t c = 0; c < FCsv.Fields().size(); ++c) {
            const QString name = QString::fromUtf8(CsvTrimmed(FCsv.Fields()[c]));
            const auto known =
                std::find_if(kChirpColumns.cbegin(), kChirpColumns.cend(),
                             [&](const char* column) { return SameText(name, column); });
            if (known == kChirpColumns.cend()) {
                if (!name.isEmpty())
                    FOut.Ignored << name;
                continue;
            }
            int& column = FColumn[static_cast<std::size_t>(known - kChirpColumns.cbegin())];
            if (column < 0)
                column = static_cast<int>(c);
        }
        if (FColumn[CLocation] < 0 || FColumn[CFrequency] < 0)
            return false;
        for (const TMapping& mapping : kMappings)
            if (FColumn[mapping.Column] >= 0)
                FOut.Mapped << QString::fromLatin1(kChirpColumns[mapping.Column]) + u" -> "_s +
                                   QString::fromLatin1(mapping.Target);
        return true;
    }

    QString Text(TColumn column) const {
        const int c = FColumn[column];
        const std::vector<QByteArrayView>& fields = FCsv.Fields();
        return c >= 0 && c < static_cast<int>(fields.size())
                   ? QString::fromUtf8(fields[static_cast<std::size_t>(c)]).trimmed()
                   : QString();
    }

    void Drop(const QString& what) {
        for (TChirpDropped& dropped : FOut.Dropped)
            if (dropped.What == what) {
                ++dropped.Rows;
                return;
            }
        FOut.Dropped.append({what, 1});
    }

    void Skip(qint64 line, const QString& why) {
        FOut.Skipped << u"line "_s + QString::number(line) + u": "_s + why;
    }

    // Empty when the row made a record; else why it did not.
    QString Row() {
        TKv7Values values;
        const QString location = Text(CLocation);
        const std::optional<qint64> channel = ParseInteger(location);
        if (!channel)
            return u"Location \""_s + location + u"\" is not a whole number"_s;
        if (*channel < 0 || *channel >= kBankRows)
            return u"Location "_s + QString::number(*channel) + u" is outside the bank's 0-"_s +
                   QString::number(kBankRows - 1);
        values[kMem] = FormatMemNumber(static_cast<int>(*channel));

        const QString frequency = Text(CFrequency);
        const std::optional<double> mhz = ParseNumber(frequency);
        if (frequency.isEmpty())
            return u"no Frequency"_s;
        if (!mhz)
            return u"Frequency \""_s + frequency + u"\" is not a number"_s;
        if (*mhz < kMinFreqMHz || *mhz > kMaxFreqMHz)
            return u"Frequency "_s + frequency + u" MHz is outside "_s +
                   QString::number(kMinFreqMHz) + u"-"_s + QString::number(kMaxFreqMHz);
        values[kFreq] = *mhz;

        const QString step = Text(CTStep);
        if (!step.isEmpty()) {
            const std::optional<double> kHz = ParseNumber(step);
            if (!kHz)
                return u"TStep \""_s + step + u"\" is not a number"_s;
            if (*kHz < kMinStepKHz || *kHz > kMaxStepKHz)
                return u"TStep "_s + step + u" kHz is outside "_s + QString::number(kMinStepKHz) +
                       u"-"_s + QString::number(kMaxStepKHz);
            values[kStep] = FormatFixed(*kHz, 3);
        }

        if (const QString name = Text(CName); !name.isEmpty())
            values[kText] = name;
        Flags(values);
        Settings(values);
        Mode(values);
        CountDropped();
        FOut.Records.push_back(std::move(values));
        return {};
    }

    void Flags(TKv7Values& values) {
        const QString skip = Text(CSkip);
        values[kPass] = SameText(skip, "S");
        values[kSelScan] = SameText(skip, "P");
        if (!skip.isEmpty() && !SameText(skip, "S") && !SameText(skip, "P"))
            Drop(u"Skip \""_s + skip + u'"');
    }

    // The Comment's settings, all but MODE and BW, which Mode() weighs against the Mode column.
    void Settings(TKv7Values& values) {
        FCommentMode = {};
        FCommentBw = {};
        const QString comment = Text(CComment);
        if (comment.isEmpty())
            return;
        const std::optional<TKv7Values> settings = CommentSettings(comment);
        if (!settings) {
            Drop(kCommentDropped);
            return;
        }
        for (std::size_t i = 0; i < settings->size(); ++i) {
            const QVariant& value = (*settings)[i];
            if (value.isNull())
                continue;
            if (static_cast<int>(i) == kMode)
                FCommentMode = value;
            else if (static_cast<int>(i) == kBw)
                FCommentBw = value;
            else if (static_cast<int>(i) == kSelScan)
                values[i] = values[i].toBool() || value.toBool();
            else
                values[i] = value;
        }
    }

    void Mode(TKv7Values& values) {
        const QString chirp = Text(CMode);
        const std::optional<TChirpModeIn> mode = ModeIn(chirp);
        if (mode) {
            values[kMode] = QString::fromLatin1(mode->Mode);
            values[kBw] = QString::fromLatin1(mode->Bandwidth);
        } else if (!chirp.isEmpty() && !SameText(chirp, kChirpModeAuto)) {
            Drop(u"Mode \""_s + chirp + u"\" (MODE and BW left blank)"_s);
        }
        // The exact mode and bandwidth this program wrote stand unless the Mode column was
        // changed since.
        const QVariant exactMode = FCommentMode.isNull() ? values[kMode] : FCommentMode;
        const QVariant exactBw = FCommentBw.isNull() ? values[kBw] : FCommentBw;
        if (FColumn[CMode] < 0 || SameText(chirp, ChirpModeOf(exactMode, exactBw))) {
            values[kMode] = exactMode;
            values[kBw] = exactBw;
        }
    }

    void CountDropped() {
        const QString duplex = Text(CDuplex);
        const std::optional<double> offset = ParseNumber(Text(COffset));
        if ((!duplex.isEmpty() && !SameText(duplex, "off")) || (offset && *offset != 0))
            Drop(kDuplexDropped);
        if (const QString tone = Text(CTone); SameText(tone, "DTCS"))
            Drop(kDtcsDropped);
        else if (SameText(tone, "Cross"))
            Drop(kCrossDropped);
        else if (!tone.isEmpty())
            Drop(kToneDropped);
        if (!Text(CPower).isEmpty())
            Drop(kPowerDropped);
        if (!Text(CUrCall).isEmpty() || !Text(CRpt1Call).isEmpty() || !Text(CRpt2Call).isEmpty() ||
            !Text(CDvCode).isEmpty())
            Drop(kDstarDropped);
    }

    TCsvReader FCsv;
    std::array<int, kColumnCount> FColumn{};
    TChirpContents FOut;
    QVariant FCommentMode;
    QVariant FCommentBw;
};

} // namespace

const char* ChirpModeOf(const QVariant& mode, const QVariant& bandwidth) {
    const QString modeText = mode.toString().trimmed();
    const QString bandwidthText = bandwidth.toString().trimmed();
    for (const TChirpModeOut& entry : kChirpModesOut)
        if (SameText(modeText, entry.Mode) &&
            (!entry.Bandwidth || SameText(bandwidthText, entry.Bandwidth)))
            return entry.Chirp;
    return kChirpModeAuto;
}

QByteArray ChirpCsvHeader() {
    QByteArray line;
    for (const char* column : kChirpColumns)
        line += (line.isEmpty() ? "" : ",") + QByteArray(column);
    return line + "\r\n";
}

QByteArray ChirpCsvLine(const TKv7Values& values) {
    if (IsBlank(values[kFreq]))
        return {};
    std::array<QString, kColumnCount> fields;
    for (std::size_t c = 0; c < fields.size(); ++c)
        fields[c] = QString::fromLatin1(kNeutral[c]);
    fields[CLocation] = QString::number(values[kMem].toString().toInt());
    fields[CName] = values[kText].toString();
    fields[CFrequency] = FormatFixed(values[kFreq].toDouble(), 6);
    fields[CMode] = QString::fromLatin1(ChirpModeOf(values[kMode], values[kBw]));
    if (const std::optional<double> kHz = ParseNumber(values[kStep].toString()))
        fields[CTStep] = StepText(*kHz);
    fields[CSkip] = values[kPass].toBool()      ? u"S"_s
                    : values[kSelScan].toBool() ? u"P"_s
                                                : QString();
    fields[CComment] = CommentText(values);
    QByteArray line;
    for (std::size_t c = 0; c < fields.size(); ++c) {
        if (c > 0)
            line += ',';
        AppendCsvField(line, fields[c].toUtf8());
    }
    return line + "\r\n";
}

TChirpContents ParseChirpCsv(QByteArrayView text) {
    if (text.startsWith("\xEF\xBB\xBF"))
        text = text.sliced(3);
    return TParser(text).Run();
}

TChirpContents ReadChirpCsvFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        TChirpContents contents;
        contents.Error = path + u": "_s + file.errorString();
        return contents;
    }
    const QByteArray text = TextAsUtf8(file.readAll());
    return ParseChirpCsv(text);
}
