#include "ReplyParser.h"

#include "Levels.h"
#include "NumberText.h"
#include "ValueTables.h"

#include <cmath>
#include <limits>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

constexpr double kHzPerMHz = 1'000'000.0;
constexpr double kHzPerKHz = 1000.0;
constexpr int kHzDigits = 10;
constexpr int kStepDigits = 6;
constexpr int kStepAdjustAt = 6; // the character after the step digits
constexpr int kTextChars = 8;
constexpr int kChannelDigits = 3;
constexpr int kScanBanks = 10;
constexpr int kSearchBanks = 20;

// The memory reply's codes are the first four of kRxCodes, the VFO reply's the rest.
constexpr std::uint8_t kLastMemoryCode = 3;

// Characters 7..9 of an empty memory reply ("MR007 ---"); its channel is characters 3..5.
constexpr qsizetype kEmptyMarkAt = 6;
constexpr qsizetype kEmptyChannelAt = 2;

// Up to `count` characters after the first `mnemonic`: fewer when the line ends first, since the
// receive path trims the blanks that pad the texts at the end of a line.
std::optional<QString> FieldUpTo(const QString& line, QStringView mnemonic, int count) {
    const qsizetype at = line.indexOf(mnemonic);
    if (at < 0)
        return std::nullopt;
    return line.mid(at + mnemonic.size(), count);
}

std::optional<std::uint8_t> CodeIndex(QStringView code, std::uint8_t first, std::uint8_t last) {
    for (std::uint8_t i = first; i <= last; ++i) {
        if (code == QLatin1StringView(kRxCodes[i]))
            return i;
    }
    return std::nullopt;
}

// Every second character of a bank list (" 0 1 - ..." -> "01-...").
QString EverySecond(const QString& field) {
    QString result;
    for (qsizetype i = 1; i < field.size(); i += 2)
        result += field.at(i);
    return result;
}

} // namespace

TReplyParser::TReplyParser(TReportFn report)
    : FReport(std::move(report)) {}

std::optional<QString> TReplyParser::Field(const QString& line, QStringView mnemonic, int count) {
    std::optional<QString> field = FieldUpTo(line, mnemonic, count);
    if (field && field->size() < count)
        return std::nullopt;
    return field;
}

void TReplyParser::Report(const QString& text) const {
    if (FReport)
        FReport(text);
}

void TReplyParser::ReportConversion(QStringView function, const QString& text) const {
    Report(function.toString() + u" Conversion error, tried to convert "_s +
           (text.isEmpty() ? u"Null string"_s : text));
}

int TReplyParser::StrToIntSafe(const QString& text) const {
    const std::optional<qint64> value = ParseInteger(text);
    if (value && *value >= std::numeric_limits<int>::min() &&
        *value <= std::numeric_limits<int>::max())
        return static_cast<int>(*value);
    ReportConversion(u"StrToInt", text);
    return 0;
}

double TReplyParser::StrToFloatSafe(const QString& text) const {
    if (const std::optional<double> value = ParseNumber(text))
        return *value;
    ReportConversion(u"StrToFloat", text);
    return 0.0;
}

int TReplyParser::HexToIntSafe(const QString& text) const {
    const std::optional<qint64> value = ParseHex(text);
    if (value && *value <= std::numeric_limits<int>::max())
        return static_cast<int>(*value);
    ReportConversion(u"StrToInt", text);
    return 0;
}

int TReplyParser::TenthsSafe(const QString& text) const {
    const double tenths = std::round(StrToFloatSafe(text) * 10.0);
    if (std::fabs(tenths) <= std::numeric_limits<int>::max())
        return static_cast<int>(tenths);
    ReportConversion(u"StrToFloat", text);
    return 0;
}

std::optional<int> TReplyParser::IntField(const QString& line, QStringView mnemonic,
                                          int count) const {
    const std::optional<QString> text = Field(line, mnemonic, count);
    if (!text)
        return std::nullopt;
    return StrToIntSafe(*text);
}

std::optional<int> TReplyParser::LetterField(const QString& line, QStringView mnemonic,
                                             QChar letter, int letterValue) const {
    const std::optional<QString> text = Field(line, mnemonic, 1);
    if (!text)
        return std::nullopt;
    return text->at(0) == letter ? letterValue : StrToIntSafe(*text);
}

std::optional<double> TReplyParser::MHzField(const QString& line, QStringView mnemonic) const {
    const std::optional<QString> text = Field(line, mnemonic, kHzDigits);
    if (!text)
        return std::nullopt;
    return StrToFloatSafe(*text) / kHzPerMHz;
}

bool TReplyParser::ParseSignedLevel(const QString& line, QStringView mnemonic, int& value,
                                    bool& plusSign) const {
    const std::optional<QString> text = Field(line, mnemonic, 4);
    if (!text)
        return false;
    plusSign = text->startsWith(u'+');
    value = StrToIntSafe(*text);
    return true;
}

bool TReplyParser::ParseVfoReply(const QString& line, TRxDat& rec) const {
    const QString code = line.startsWith(u"VS") ? line.left(5) : line.left(2);
    const std::optional<std::uint8_t> index =
        CodeIndex(code, kLastMemoryCode + 1, static_cast<std::uint8_t>(kRxCodes.size() - 1));
    if (index)
        rec.Vfo = *index;
    const bool frequencyOk = ParseFrequency(line, rec);
    const bool stepOk = ParseStep(line, rec.Step, rec.StepAdjust);
    const bool autoOk = ParseState(line, u"AU", rec.AutoMode);
    const bool modeOk = ParseMode(line, rec.Mode);
    return index && frequencyOk && stepOk && autoOk && modeOk;
}

TReplyParser::TMemoryResult TReplyParser::ParseMemoryReply(const QString& line, TRxDat& rec) const {
    const std::optional<std::uint8_t> index = CodeIndex(line.left(2), 0, kLastMemoryCode);
    if (!index)
        return TMemoryResult::Failed;
    rec.Vfo = *index;

    if (line.mid(kEmptyMarkAt, 3) == u"---") {
        rec.Empty = true;
        const QString channel = line.mid(kEmptyChannelAt, kChannelDigits);
        if (channel.size() == kChannelDigits)
            rec.Channel = StrToIntSafe(channel);
        return TMemoryResult::Empty;
    }

    rec.Empty = false;
    const bool channelOk = ParseChannel(line, rec.Channel);
    const bool passOk = ParseState(line, u"MP", rec.MemoryPass);
    const bool selectOk = ParseState(line, u"GA", rec.SelectScan);
    const bool frequencyOk = ParseFrequency(line, rec);
    const bool stepOk = ParseStep(line, rec.Step, rec.StepAdjust);
    const bool autoOk = ParseState(line, u"AU", rec.AutoMode);
    const bool modeOk = ParseMode(line, rec.Mode);
    const std::optional<QString> text = FieldUpTo(line, u"TM", kTextChars);
    if (text)
        rec.Text = *text;
    const bool ok =
        channelOk && passOk && selectOk && frequencyOk && stepOk && autoOk && modeOk && text;
    return ok ? TMemoryResult::Ok : TMemoryResult::Failed;
}

bool TReplyParser::ParseChannel(const QString& line, int& channel) const {
    const std::optional<int> value = IntField(line, u"MX", kChannelDigits);
    if (value)
        channel = *value;
    return value.has_value();
}

bool TReplyParser::ParseFrequency(const QString& line, TRxDat& rec) const {
    const std::optional<double> mhz = MHzField(line, u"RF");
    if (mhz)
        rec.Freq = *mhz;
    return mhz.has_value();
}

bool TReplyParser::ParseStep(const QString& line, QString& stepKHz, bool& stepAdjust) const {
    const std::optional<QString> field = FieldUpTo(line, u"ST", kStepDigits + 1);
    if (!field || field->size() < kStepDigits)
        return false;
    stepKHz = FormatStepKHz(StrToIntSafe(field->left(kStepDigits)) / kHzPerKHz);
    stepAdjust = field->size() > kStepAdjustAt && field->at(kStepAdjustAt) == u'+';
    return true;
}

bool TReplyParser::ParseMode(const QString& line, int& mode) const {
    const std::optional<QString> field = FieldUpTo(line, u"MD", 1);
    if (!field)
        return false;
    if (field->isEmpty()) {
        mode = kModeMissing;
        return false;
    }
    mode = StrToIntSafe(*field);
    return true;
}

bool TReplyParser::ParseAntenna(const QString& line, TRxDat& rec) const {
    const std::optional<QString> field = FieldUpTo(line, u"AN", 3);
    if (!field || field->isEmpty())
        return false;
    if (field->at(0) != u'0') {
        rec.AntennaAuto = false;
        rec.Antenna = StrToIntSafe(field->left(1));
        return true;
    }
    // Automatic selection: the third character is the antenna it chose.
    rec.AntennaAuto = true;
    if (field->size() < 3)
        return false;
    rec.Antenna = StrToIntSafe(field->mid(2, 1));
    return true;
}

bool TReplyParser::ParseAttenuator(const QString& line, TRxDat& rec) const {
    const std::optional<QString> field = Field(line, u"AT", 2);
    if (!field)
        return false;
    rec.AttenuatorAuto = field->at(0) == u'1';
    rec.Attenuator = StrToIntSafe(field->mid(1, 1));
    SetMeterAttenuationFromIndex(rec.Attenuator);
    return true;
}

bool TReplyParser::ParseAgc(const QString& line, TRxDat& rec) const {
    const std::optional<int> agc = LetterField(line, u"AC", u'F', kAgcOff);
    if (agc)
        rec.Agc = *agc;
    return agc.has_value();
}

bool TReplyParser::ParseSubStep(const QString& line, TRxDat& rec) const {
    const std::optional<int> subStep = LetterField(line, u"SJ", u'A', kSubStepLast);
    if (subStep)
        rec.SubStep = *subStep;
    return subStep.has_value();
}

bool TReplyParser::ParseDigit(const QString& line, QStringView mnemonic, int& value) const {
    const std::optional<int> digit = IntField(line, mnemonic, 1);
    if (digit)
        value = *digit;
    return digit.has_value();
}

bool TReplyParser::ParseCtcss(const QString& line, TRxDat& rec) const {
    const std::optional<QString> field = Field(line, u"CN", 2);
    if (field)
        rec.Ctcss = HexToIntSafe(*field);
    return field.has_value();
}

bool TReplyParser::ParseDescrambler(const QString& line, TRxDat& rec) const {
    const std::optional<int> descrambler = IntField(line, u"SC", 3);
    if (descrambler)
        rec.Descrambler = *descrambler;
    return descrambler.has_value();
}

bool TReplyParser::ParseLevel(const QString& line, TRxDat& rec) const {
    const std::optional<QString> field = Field(line, u"LM", 3);
    if (!field)
        return false;
    rec.SquelchClosed = field->at(0) == u'%';
    rec.Level = QString::number(HexToIntSafe(field->mid(1, 2)));
    return true;
}

bool TReplyParser::ParseLevelOutput(const QString& line, TRxDat& rec) const {
    const QString digits = line.mid(2, 2);
    if (digits.size() < 2)
        return false;
    rec.Level = QString::number(HexToIntSafe(digits));
    return true;
}

bool TReplyParser::ParseState(const QString& line, QStringView mnemonic, bool& on) const {
    const std::optional<int> value = IntField(line, mnemonic, 1);
    if (value)
        on = *value == 1;
    return value.has_value();
}

bool TReplyParser::ParseSmallInteger(const QString& line, QStringView mnemonic, int& value) const {
    return ParseDigit(line, mnemonic, value);
}

bool TReplyParser::ParseText(const QString& line, QStringView mnemonic, int count,
                             QString& text) const {
    const std::optional<QString> field = Field(line, mnemonic, count);
    if (field)
        text = *field;
    return field.has_value();
}

bool TReplyParser::ParseSearchBank(const QString& line, TSearchList& list) const {
    const std::optional<int> bank = IntField(line, u"SR", 2);
    if (bank)
        list.Bank = *bank;
    const std::optional<double> lower = MHzField(line, u"SL");
    list.Lower = lower.value_or(0.0);
    const std::optional<double> upper = MHzField(line, u"SU");
    list.Upper = upper.value_or(0.0);
    const bool stepOk = ParseStep(line, list.Step, list.StepAdjust);
    const bool autoOk = ParseState(line, u"AU", list.AutoMode);
    const bool modeOk = ParseMode(line, list.Mode);
    const std::optional<QString> text = FieldUpTo(line, u"TT", kTextChars);
    list.Text = text.value_or(QString());
    return bank && lower && upper && stepOk && autoOk && modeOk && text;
}

bool TReplyParser::ParseScanGroup(const QString& line, TScanGroupDat& group) const {
    const bool groupOk = ParseDigit(line, u"GM", group.Group);
    const std::optional<QString> delay = Field(line, u"XD", 3);
    if (delay)
        group.Delay = TenthsSafe(*delay);
    const bool levelOk = ParseSignedLevel(line, u"XB", group.Level, group.LevelSign);
    const bool voiceOk = ParseSignedLevel(line, u"XA", group.VoiceLevel, group.VoiceLevelSign);
    const std::optional<int> pause = IntField(line, u"XP", 2);
    if (pause)
        group.Pause = *pause;
    const std::optional<int> mode = LetterField(line, u"XM", u'F', kScanModeFree);
    if (mode)
        group.Mode = *mode;
    const bool linkOk = ParseState(line, u"ML", group.Link);
    const std::optional<QString> banks = Field(line, u"BM", 2 * kScanBanks);
    if (banks)
        group.LinkedBanks = EverySecond(*banks);
    return groupOk && delay && levelOk && voiceOk && pause && mode && linkOk && banks;
}

bool TReplyParser::ParseSearchGroup(const QString& line, TSearchGroupDat& group) const {
    const bool groupOk = ParseDigit(line, u"GS", group.Group);
    const std::optional<QString> delay = Field(line, u"SD", 3);
    if (delay)
        group.Delay = delay->startsWith(u"FF") ? kSearchDelayHold : TenthsSafe(*delay);
    const bool levelOk = ParseSignedLevel(line, u"SB", group.Level, group.LevelSign);
    const bool voiceOk = ParseSignedLevel(line, u"SA", group.VoiceLevel, group.VoiceLevelSign);
    const std::optional<int> pause = IntField(line, u"SP", 2);
    if (pause)
        group.Pause = *pause;
    const bool linkOk = ParseState(line, u"BQ", group.Link);
    const std::optional<QString> banks = Field(line, u"BS", 2 * kSearchBanks);
    if (banks)
        group.LinkedBanks = EverySecond(*banks);
    return groupOk && delay && levelOk && voiceOk && pause && linkOk && banks;
}

std::optional<TPassDat> TReplyParser::ParsePass(const QString& line) const {
    // "PR03 07 0145500000" or, for the VFO list, "PRV 07 0145500000".
    const std::optional<QString> field = FieldUpTo(line, u"PR", 16);
    if (!field || field->isEmpty())
        return std::nullopt;
    const bool vfoList = field->startsWith(u'V');
    const qsizetype indexAt = vfoList ? 2 : 3;
    const QString frequency = field->mid(indexAt + 3, kHzDigits);
    if (frequency.startsWith(u'-') || frequency.size() < kHzDigits)
        return std::nullopt;

    TPassDat pass;
    pass.Bank = vfoList ? kVfoPassBank : StrToIntSafe(field->left(2));
    pass.Index = StrToIntSafe(field->mid(indexAt, 2));
    pass.Freq = StrToFloatSafe(frequency) / kHzPerMHz;
    return pass;
}

QString FormatStepKHz(double kHz) {
    QString text = FormatFixed(std::fabs(kHz), 3);
    if (text.startsWith(u"0."))
        text.remove(0, 1);
    if (kHz < 0.0 && text != u".000")
        text.prepend(u'-');
    return text;
}
