#include "CommandText.h"

#include "NumberText.h"
#include "ValueTables.h"

#include <array>
#include <cmath>

using namespace Qt::StringLiterals;

namespace CommandText {

namespace {

constexpr double kLowestMHz = 0.01;
constexpr double kHighestMHz = 2600.0;
constexpr double kHzPerMHz = 1'000'000.0;
constexpr double kHzLimit = 10'000'000'000.0; // the wire carries ten digits
constexpr double kHighestStepKHz = 999.0;
constexpr double kHzPerKHz = 1000.0;
constexpr double kStepHzLimit = 1e15; // far beyond any step; keeps the cast to qint64 defined

constexpr int kHighestChannel = 999;
constexpr int kHighestHundred = 9;
constexpr int kHighestGroup = 9;
constexpr int kHighestSearchBank = 19;
constexpr int kHighestPassBank = kVfoPassBank;
constexpr int kHighestPassIndex = 99;
constexpr int kHighestByte = 255;
constexpr int kHighestDelay = 99;
constexpr int kHighestPause = 60;
constexpr int kHighestAutoStore = 2;

const QString kFallbackHz = u"0000100000"_s;
const QString kFallbackStepHz = u"000100"_s;

bool IsAsciiDigit(QChar c) {
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

QString Padded(int n, int width) {
    return u"%1"_s.arg(n, width, 10, QChar(u'0'));
}

// mnemonic + n, refused outside low..high.
std::optional<QString> Numbered(QStringView mnemonic, int n, int low, int high) {
    if (n < low || n > high)
        return std::nullopt;
    return mnemonic.toString() + QString::number(n);
}

// Some settings send their top value as a letter ("ATF", "SJA").
std::optional<QString> WithLetter(QStringView mnemonic, int n, int letterValue, QChar letter) {
    if (n == letterValue)
        return mnemonic.toString() + letter;
    return Numbered(mnemonic, n, 0, letterValue - 1);
}

std::optional<QString> TwoDigits(QStringView mnemonic, int n, int high) {
    if (n < 0 || n > high)
        return std::nullopt;
    return mnemonic.toString() + Padded(n, 2);
}

QString AttenuatorText(int n) {
    return n == kAttenuatorAuto ? u"F"_s : QString::number(n);
}

QString Flag(bool on) {
    return on ? u"1"_s : u"0"_s;
}

std::optional<QString> VfoLetterCommand(QStringView mnemonic, QChar letter) {
    const char16_t u = letter.unicode();
    const bool upper = u >= u'A' && u <= u'E';
    const bool lower = u >= u'a' && u <= u'e';
    if (!upper && !lower)
        return std::nullopt;
    return mnemonic.toString() + letter.toUpper();
}

} // namespace

QString FormatHz(double mhz, const TReportFn& report) {
    const double hz = std::round(mhz * kHzPerMHz);
    if (!(hz >= 0.0 && hz < kHzLimit)) {
        if (report)
            report(u" Cannot format float to string"_s);
        return kFallbackHz;
    }
    return u"%1"_s.arg(static_cast<qint64>(hz), 10, 10, QChar(u'0'));
}

QString StepHzText(const QString& stepKHz, bool stepAdjust, const TReportFn& report) {
    const std::optional<double> kHz = ParseNumber(stepKHz);
    const double hz = kHz ? std::round(*kHz * kHzPerKHz) : 0.0;
    if (!kHz || !(std::fabs(hz) < kStepHzLimit)) {
        if (report)
            report(u" Conversion error"_s);
        return kFallbackStepHz;
    }
    QString text = QString::number(static_cast<qint64>(hz));
    if (stepAdjust)
        text += u'+';
    return text;
}

QString ReceiverText(const QString& text) {
    if (text.isEmpty())
        return u" "_s;
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < text.size() &&
            QChar::isLowSurrogate(text.at(i + 1).unicode()))
            ++i; // one character, one "-"
        if (u >= u'a' && u <= u'z')
            result += QChar(static_cast<char16_t>(u - u'a' + u'A'));
        else if (u >= u' ' && u <= u'_')
            result += QChar(u);
        else
            result += u'-';
    }
    return result;
}

QString Frequency(QChar letter, double mhz, bool padDigits) {
    if (!(mhz >= kLowestMHz && mhz <= kHighestMHz))
        return {};
    const QString digits = FormatHz(mhz);
    QString text = u"V"_s + letter;
    if (!padDigits)
        return text + digits;
    for (const QChar digit : digits) {
        text += u' ';
        text += digit;
    }
    return text + u' ';
}

std::optional<QString> Step(double kHz, bool stepAdjust) {
    if (!(kHz >= 0.0 && kHz <= kHighestStepKHz))
        return std::nullopt;
    QString text = u"ST"_s + QString::number(static_cast<qint64>(std::round(kHz * kHzPerKHz)));
    if (stepAdjust)
        text += u'+';
    return text;
}

std::optional<QString> SubStep(int n) {
    return WithLetter(u"SJ", n, kSubStepLast, u'A');
}

std::optional<QString> Mode(int n) {
    return Numbered(u"MD", n, 0, static_cast<int>(kModes.size()) - 1);
}

std::optional<QString> Bandwidth(int n) {
    return Numbered(u"BW", n, 0, static_cast<int>(kBandwidths.size()) - 1);
}

QString AutoMode(int n) {
    return u"AU"_s + QString::number(n);
}

std::optional<QString> Antenna(int n) {
    return Numbered(u"AN", n, 0, static_cast<int>(kAntennas.size()) - 1);
}

std::optional<QString> Attenuator(int n) {
    return WithLetter(u"AT", n, kAttenuatorAuto, u'F');
}

std::optional<QString> Agc(int n) {
    return WithLetter(u"AC", n, kAgcOff, u'F');
}

std::optional<QString> HighPass(int n) {
    return Numbered(u"HP", n, 0, static_cast<int>(kHighPasses.size()) - 1);
}

std::optional<QString> LowPass(int n) {
    return Numbered(u"LP", n, 0, static_cast<int>(kLowPasses.size()) - 1);
}

std::optional<QString> DeEmphasis(int n) {
    return Numbered(u"EN", n, 0, static_cast<int>(kDeEmphases.size()) - 1);
}

std::optional<QString> Ctcss(int n) {
    if (n < 0 || n >= static_cast<int>(kCtcssTones.size()))
        return std::nullopt;
    return u"CN"_s + u"%1"_s.arg(n, 2, 16, QChar(u'0')).toUpper();
}

std::optional<QString> Descrambler(int n) {
    return Numbered(u"SC", n, 0, static_cast<int>(kDescramblers.size()) - 1);
}

QString Afc(bool on) {
    return u"AF"_s + Flag(on);
}

QString NoiseBlanker(bool on) {
    return u"NB"_s + Flag(on);
}

std::optional<QString> Volume(int n) {
    return Numbered(u"VL", n, 0, kHighestByte);
}

std::optional<QString> Squelch(int n) {
    return Numbered(u"RQ", n, 0, kHighestByte);
}

QString LevelOutput(bool on) {
    return u"LC"_s + Flag(on);
}

std::optional<QString> Vfo(QChar letter) {
    return VfoLetterCommand(u"V", letter);
}

std::optional<QString> VfoSearch(QChar letter) {
    return VfoLetterCommand(u"VS", letter);
}

std::optional<QString> RecallMemory(int channel) {
    if (channel < 0 || channel > kHighestChannel)
        return std::nullopt;
    return u"MR"_s + Padded(channel, 3);
}

std::optional<QString> ClearMemoryBank(int hundred) {
    return Numbered(u"MQ%%", hundred, 0, kHighestHundred);
}

std::optional<QString> MemoryPass(int n) {
    return Numbered(u"MP", n, 0, 1);
}

std::optional<QString> SelectScan(int n) {
    return Numbered(u"GA", n, 0, 1);
}

std::optional<QString> Bank(int n) {
    return Numbered(u"BN", n, 0, 1);
}

std::optional<QString> AutoStore(int n) {
    return Numbered(u"AS", n, 0, kHighestAutoStore);
}

QString MemoryBlock(int firstChannel) {
    return Numbered(u"MA", firstChannel, 0, kHighestHundred).value_or(u"MA"_s);
}

std::optional<QString> MemoryScan(int n) {
    return Numbered(u"MS", n, 0, kHighestGroup);
}

std::optional<QString> ScanGroup(int n) {
    return Numbered(u"GM", n, 0, kHighestGroup);
}

std::optional<QString> SearchGroup(int n) {
    return Numbered(u"GS", n, 0, kHighestGroup);
}

std::optional<QString> ScanMode(int n) {
    return WithLetter(u"XM", n, kScanModeFree, u'F');
}

QString ScanLink(int n) {
    return u"ML"_s + QString::number(n);
}

QString SearchLink(int n) {
    return u"BQ"_s + QString::number(n);
}

std::optional<QString> ScanDelay(int n) {
    return Numbered(u"XD", n, 0, kHighestDelay);
}

std::optional<QString> SearchDelay(int n) {
    if (n == kSearchDelayHold)
        return u"SDFF"_s;
    return Numbered(u"SD", n, 0, kHighestDelay);
}

std::optional<QString> ScanLevel(int n) {
    return Numbered(u"XB", n, 0, kHighestByte);
}

std::optional<QString> SearchLevel(int n) {
    return Numbered(u"SB", n, 0, kHighestByte);
}

std::optional<QString> ScanVoice(int n) {
    return Numbered(u"XA", n, 0, kHighestByte);
}

std::optional<QString> SearchVoice(int n) {
    return Numbered(u"SA", n, 0, kHighestByte);
}

std::optional<QString> ScanPause(int n) {
    return Numbered(u"XP", n, 0, kHighestPause);
}

std::optional<QString> SearchPause(int n) {
    return Numbered(u"SP", n, 0, kHighestPause);
}

std::optional<QString> ScanLinkBanks(const QString& banks) {
    QString text = u"BM"_s;
    for (const QChar c : banks) {
        if (c == u' ' || c == u'-')
            continue;
        if (!IsAsciiDigit(c))
            return std::nullopt;
        text += u' ';
        text += c;
    }
    return text;
}

QString SearchLinkBanks(const QString& banks) {
    return u"BS"_s + banks;
}

std::optional<QString> StartSearch(int bank) {
    return TwoDigits(u"SS", bank, kHighestSearchBank);
}

std::optional<QString> DeleteSearchBank(int bank) {
    return TwoDigits(u"QS", bank, kHighestSearchBank);
}

QString SearchList(int bank) {
    if (bank == kCurrentSearchBank)
        return u"SR"_s;
    return u"SR "_s + Padded(bank, 2);
}

std::optional<QString> LevelSquelch(int n) {
    return Numbered(u"DB", n, 0, kHighestByte);
}

std::optional<QString> VoiceSquelch(int n) {
    return Numbered(u"DA", n, 0, kHighestByte);
}

std::optional<QString> Delay(int n) {
    return Numbered(u"DD", n, 0, kHighestDelay);
}

QString CyberScan(int n) {
    return u"DS"_s + QString::number(n);
}

QString DtmfOutput(int n) {
    return u"QM"_s + QString::number(n);
}

std::optional<QString> ReadPassList(int bank) {
    return TwoDigits(u"PR", bank, kHighestPassBank);
}

QString AddPass(double mhz, const TReportFn& report) {
    return u"PS"_s + FormatHz(mhz, report);
}

std::optional<QString> DeletePass(int bank, int index) {
    if (index < 0 || index > kHighestPassIndex)
        return std::nullopt;
    const std::optional<QString> head = TwoDigits(u"PD", bank, kHighestPassBank);
    if (!head)
        return std::nullopt;
    return *head + Padded(index, 2);
}

std::optional<QString> DeletePassBank(int bank) {
    return TwoDigits(u"PD%%", bank, kHighestPassBank);
}

QStringList WriteMemory(const TRxDat& rec, int firmwareId, const TReportFn& report) {
    // Separate statements keep the reports in line order.
    const QString hz = FormatHz(rec.Freq, report);
    const QString step = StepHzText(rec.Step, rec.StepAdjust, report);
    const QString head = u"MX"_s + Padded(rec.Channel, 3) + u" MP"_s + Flag(rec.MemoryPass) +
                         u" RF"_s + hz + u" ST"_s + step + u" MD"_s + QString::number(rec.Mode) +
                         u" AT"_s + AttenuatorText(rec.Attenuator) + u" BW"_s +
                         QString::number(rec.Bandwidth);
    const QString text = u" TM"_s + ReceiverText(rec.Text);
    // Later firmware takes these inside the MX line, early firmware only as separate setters;
    // either way a value out of range is left out rather than sent.
    const std::array<std::optional<QString>, 5> settings = {
        LowPass(rec.LowPass), HighPass(rec.HighPass), DeEmphasis(rec.DeEmphasis), Agc(rec.Agc),
        SubStep(rec.SubStep)};

    QStringList lines;
    if (firmwareId != 0) {
        QString line = head;
        for (const std::optional<QString>& setting : settings) {
            if (setting)
                line += u' ' + *setting;
        }
        lines << line + text;
    } else {
        lines << head + text;
        for (const std::optional<QString>& setting : settings) {
            if (setting)
                lines << *setting;
        }
    }
    if (const std::optional<QString> antenna = Antenna(rec.Antenna))
        lines << *antenna;
    lines << *SelectScan(rec.SelectScan ? 1 : 0);
    return lines;
}

QString WriteSearchBank(const TSearchList& list, int bandwidth, const TReportFn& report) {
    const QString lower = FormatHz(list.Lower, report);
    const QString upper = FormatHz(list.Upper, report);
    const QString step = StepHzText(list.Step, list.StepAdjust, report);
    return u"SE"_s + Padded(list.Bank, 2) + u" SL"_s + lower + u" SU"_s + upper + u" ST"_s + step +
           u" AT"_s + AttenuatorText(list.Attenuator) + u" BW"_s + QString::number(bandwidth) +
           u" MD"_s + QString::number(list.Mode) + u" TT"_s + ReceiverText(list.Text);
}

} // namespace CommandText
