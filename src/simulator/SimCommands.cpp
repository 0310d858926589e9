#include "SimReceiver.h"

#include "SimText.h"

#include <algorithm>
#include <optional>

// The command set. A command with a malformed or out-of-range argument is refused with "?" and
// changes nothing; setters are never answered.
//
// A running search or scan stops only for commands that put the receiver somewhere else: a VFO
// ("VA".."VE", with or without a frequency), a memory channel ("MR", a memory write "MX", a
// bank change "BN"), another search or scan ("SS", "MS", "SM", "VS"), deleting the bank being
// searched ("QS") and power off ("QP"). Everything else (queries, "LM", "RX", squelch, level
// and filter settings, "LC", "PS") leaves it running: the program pauses a search by opening
// the squelch and reads the search's settings while it runs. A step byte makes a stopped
// search or scan go on at once.

using namespace SimText;

namespace {

char DigitChar(int value) {
    return static_cast<char>('0' + value);
}

QByteArray Mnemonic(QByteArrayView line) {
    return Left(line, 2).toByteArray();
}

// Settings of the tuned VFO or channel that are one index digit.
struct TRecordIndex {
    const char* Name;
    int TRxDat::*Field;
    int Max;
    bool Query;
};
constexpr std::array<TRecordIndex, 5> kRecordIndexes = {{
    {"MD", &TRxDat::Mode, 7, false},
    {"BW", &TRxDat::Bandwidth, 6, true},
    {"HP", &TRxDat::HighPass, 3, true},
    {"LP", &TRxDat::LowPass, 3, true},
    {"EN", &TRxDat::DeEmphasis, 4, true},
}};

struct TSwitch {
    const char* Name;
    bool TSimSettings::*Field;
    bool Query;
};
constexpr std::array<TSwitch, 4> kSwitches = {{
    {"AF", &TSimSettings::Afc, true},
    {"NB", &TSimSettings::NoiseBlanker, true},
    {"DS", &TSimSettings::CyberScan, true},
    {"LC", &TSimSettings::LevelOutput, false},
}};

// How a number is written in a reply.
enum class TNumberFormat { NoQuery, Digit, Signed, Tenths, TwoDigits, ScanMode, SearchDelay };

struct TNumberSetting {
    const char* Name;
    int TSimSettings::*Field;
    int Max;
    TNumberFormat Format;
};
constexpr std::array<TNumberSetting, 6> kNumberSettings = {{
    {"VL", &TSimSettings::Volume, 255, TNumberFormat::NoQuery},
    {"RQ", &TSimSettings::Squelch, 255, TNumberFormat::NoQuery},
    {"AS", &TSimSettings::AutoStore, 2, TNumberFormat::Digit},
    {"DB", &TSimSettings::LevelSquelch, 255, TNumberFormat::Signed},
    {"DA", &TSimSettings::VoiceSquelch, 255, TNumberFormat::Signed},
    {"DD", &TSimSettings::DelayTenths, 99, TNumberFormat::Tenths},
}};

template <typename TGroup> struct TGroupField {
    const char* Name;
    int TGroup::*Field;
    int Max;
    TNumberFormat Format;
};
constexpr std::array<TGroupField<TScanGroupDat>, 5> kScanGroupFields = {{
    {"XD", &TScanGroupDat::Delay, 99, TNumberFormat::Tenths},
    {"XB", &TScanGroupDat::Level, 255, TNumberFormat::Signed},
    {"XA", &TScanGroupDat::VoiceLevel, 255, TNumberFormat::Signed},
    {"XP", &TScanGroupDat::Pause, 60, TNumberFormat::TwoDigits},
    {"XM", &TScanGroupDat::Mode, 4, TNumberFormat::ScanMode},
}};
constexpr std::array<TGroupField<TSearchGroupDat>, 4> kSearchGroupFields = {{
    {"SD", &TSearchGroupDat::Delay, 99, TNumberFormat::SearchDelay},
    {"SB", &TSearchGroupDat::Level, 255, TNumberFormat::Signed},
    {"SA", &TSearchGroupDat::VoiceLevel, 255, TNumberFormat::Signed},
    {"SP", &TSearchGroupDat::Pause, 60, TNumberFormat::TwoDigits},
}};

QByteArray FormatNumber(int value, TNumberFormat format) {
    switch (format) {
    case TNumberFormat::NoQuery:
    case TNumberFormat::Digit:
        return QByteArray::number(value);
    case TNumberFormat::Signed:
        return Signed(value);
    case TNumberFormat::Tenths:
        return Tenths(value);
    case TNumberFormat::TwoDigits:
        return Digits(value, 2);
    case TNumberFormat::ScanMode:
        return value == kScanModeFree ? "F" : QByteArray::number(value);
    case TNumberFormat::SearchDelay:
        return value == kSearchDelayHold ? "FF " : Tenths(value);
    }
    return {};
}

std::optional<int> ParseNumber(QByteArrayView arg, int max, TNumberFormat format) {
    switch (format) {
    case TNumberFormat::ScanMode:
        return DigitOr(arg, max, 'F', kScanModeFree);
    case TNumberFormat::SearchDelay:
        if (arg == "FF")
            return kSearchDelayHold;
        return Number(arg, 0, max, 2);
    case TNumberFormat::NoQuery:
    case TNumberFormat::Digit:
    case TNumberFormat::Signed:
    case TNumberFormat::Tenths:
    case TNumberFormat::TwoDigits:
        break;
    }
    return Number(arg, 0, max);
}

template <typename TTable> auto FindEntry(const TTable& table, QByteArrayView name) {
    return std::find_if(table.begin(), table.end(),
                        [&](const auto& entry) { return name == entry.Name; });
}

// Applies or answers one field of a link group: the reply, an empty array for an applied
// setter, or nothing when refused.
template <typename TGroup, size_t N>
std::optional<QByteArray> GroupField(TGroup& group, const std::array<TGroupField<TGroup>, N>& table,
                                     QByteArrayView line) {
    const auto entry = FindEntry(table, Left(line, 2));
    if (entry == table.end())
        return std::nullopt;
    const QByteArrayView arg = Mid(line, 2);
    if (arg.isEmpty())
        return Mnemonic(line) + FormatNumber(group.*(entry->Field), entry->Format);
    const auto value = ParseNumber(arg, entry->Max, entry->Format);
    if (!value)
        return std::nullopt;
    group.*(entry->Field) = *value;
    group.LevelSign = group.Level > 0;
    group.VoiceLevelSign = group.VoiceLevel > 0;
    return QByteArray();
}

// Flips the listed banks in a link group's positions: bank n is shown by its last digit.
bool ToggleBanks(QString& positions, const QList<int>& banks) {
    for (const int bank : banks) {
        if (bank < 0 || bank >= positions.size())
            return false;
    }
    for (const int bank : banks) {
        const QChar digit(u'0' + bank % 10);
        positions[bank] = positions[bank] == digit ? QLatin1Char('-') : digit;
    }
    return true;
}

} // namespace

const TSimReceiver::TCommand* TSimReceiver::FindCommand(QByteArrayView name) {
    static constexpr std::array<TCommand, 66> kCommands = {{
        {"RX", &TSimReceiver::CmdRx},
        {"LM", &TSimReceiver::CmdLm},
        {"VR", &TSimReceiver::CmdVersion},
        {"VA", &TSimReceiver::CmdVfo},
        {"VB", &TSimReceiver::CmdVfo},
        {"VC", &TSimReceiver::CmdVfo},
        {"VD", &TSimReceiver::CmdVfo},
        {"VE", &TSimReceiver::CmdVfo},
        {"MD", &TSimReceiver::CmdRecordIndex},
        {"BW", &TSimReceiver::CmdRecordIndex},
        {"HP", &TSimReceiver::CmdRecordIndex},
        {"LP", &TSimReceiver::CmdRecordIndex},
        {"EN", &TSimReceiver::CmdRecordIndex},
        {"AU", &TSimReceiver::CmdAutoMode},
        {"AN", &TSimReceiver::CmdAntenna},
        {"AT", &TSimReceiver::CmdAttenuator},
        {"AC", &TSimReceiver::CmdAgc},
        {"SJ", &TSimReceiver::CmdSubStep},
        {"CN", &TSimReceiver::CmdCtcss},
        {"SC", &TSimReceiver::CmdDescrambler},
        {"ST", &TSimReceiver::CmdStep},
        {"AF", &TSimReceiver::CmdSwitch},
        {"NB", &TSimReceiver::CmdSwitch},
        {"DS", &TSimReceiver::CmdSwitch},
        {"LC", &TSimReceiver::CmdSwitch},
        {"VL", &TSimReceiver::CmdNumber},
        {"RQ", &TSimReceiver::CmdNumber},
        {"AS", &TSimReceiver::CmdNumber},
        {"DB", &TSimReceiver::CmdNumber},
        {"DA", &TSimReceiver::CmdNumber},
        {"DD", &TSimReceiver::CmdNumber},
        {"QP", &TSimReceiver::CmdPowerOff},
        {"EX", &TSimReceiver::CmdExit},
        {"MR", &TSimReceiver::CmdRecall},
        {"MQ", &TSimReceiver::CmdMemoryDelete},
        {"MX", &TSimReceiver::CmdMemoryWrite},
        {"MP", &TSimReceiver::CmdMemoryPass},
        {"GA", &TSimReceiver::CmdSelectFlag},
        {"BN", &TSimReceiver::CmdBank},
        {"MA", &TSimReceiver::CmdMemoryList},
        {"MS", &TSimReceiver::CmdMemoryScan},
        {"SM", &TSimReceiver::CmdSelectScan},
        {"GM", &TSimReceiver::CmdScanGroup},
        {"GS", &TSimReceiver::CmdSearchGroup},
        {"XD", &TSimReceiver::CmdGroupField},
        {"XB", &TSimReceiver::CmdGroupField},
        {"XA", &TSimReceiver::CmdGroupField},
        {"XP", &TSimReceiver::CmdGroupField},
        {"XM", &TSimReceiver::CmdGroupField},
        {"ML", &TSimReceiver::CmdGroupField},
        {"SD", &TSimReceiver::CmdGroupField},
        {"SB", &TSimReceiver::CmdGroupField},
        {"SA", &TSimReceiver::CmdGroupField},
        {"SP", &TSimReceiver::CmdGroupField},
        {"BQ", &TSimReceiver::CmdGroupField},
        {"BM", &TSimReceiver::CmdScanLinkBanks},
        {"BS", &TSimReceiver::CmdSearchLinkBanks},
        {"SS", &TSimReceiver::CmdStartSearch},
        {"QS", &TSimReceiver::CmdDeleteSearchBank},
        {"SE", &TSimReceiver::CmdWriteSearchBank},
        {"SR", &TSimReceiver::CmdSearchList},
        {"VS", &TSimReceiver::CmdVfoSearch},
        {"QM", &TSimReceiver::CmdDtmf},
        {"PR", &TSimReceiver::CmdPassRead},
        {"PS", &TSimReceiver::CmdPassAdd},
        {"PD", &TSimReceiver::CmdPassDelete},
    }};
    const auto found = FindEntry(kCommands, name);
    return found != kCommands.end() ? &*found : nullptr;
}

// --- Reply lines ---

QByteArray TSimReceiver::VfoFields(const TRxDat& rec, qint64 hz) const {
    return Rf(hz) + ' ' + Step(StepHz(rec.Step), rec.StepAdjust) + " AU" +
           DigitChar(rec.AutoMode ? 1 : 0) + " MD" + DigitChar(rec.Mode);
}

QByteArray TSimReceiver::MemoryFields(int channel) const {
    const TRxDat& rec = Channel(channel);
    if (rec.Empty)
        return "MX" + Digits(channel, 3) + " ---";
    return "MX" + Digits(channel, 3) + " MP" + DigitChar(rec.MemoryPass ? 1 : 0) + " GA" +
           DigitChar(rec.SelectScan ? 1 : 0) + ' ' + VfoFields(rec, Hz(rec.Freq)) + " TM" +
           Text8(rec.Text);
}

QByteArray TSimReceiver::RxLine() const {
    const QByteArray vfo = "V" + QByteArray(1, static_cast<char>('A' + FVfo));
    switch (FMode) {
    case TSimMode::Vfo:
        return vfo + ' ' + VfoFields(*Target(), TunedHz());
    case TSimMode::VfoSearch:
        return "VS " + vfo + ' ' + VfoFields(*Target(), TunedHz());
    case TSimMode::ProgramSearch:
        return "SS " + VfoFields(*Target(), TunedHz());
    case TSimMode::Memory:
    case TSimMode::MemoryScan:
    case TSimMode::SelectScan:
        break;
    }
    const QByteArray code = FMode == TSimMode::Memory       ? "MR"
                            : FMode == TSimMode::MemoryScan ? "MS"
                                                            : "SM";
    if (Channel(FChannel).Empty)
        return code + Digits(FChannel, 3) + " ---";
    return code + ' ' + MemoryFields(FChannel);
}

QByteArray TSimReceiver::SearchListLine(int bank) const {
    const TSearchBankState& state = FSearchBanks[static_cast<size_t>(bank)];
    const TRxDat& rec = state.Settings;
    return "SR" + Digits(bank, 2) + " SL" + Digits(state.LowerHz, 10) + " SU" +
           Digits(state.UpperHz, 10) + ' ' + Step(StepHz(rec.Step), rec.StepAdjust) + " AU" +
           DigitChar(rec.AutoMode ? 1 : 0) + " MD" + DigitChar(rec.Mode) + " TT" +
           Text8(state.Text);
}

QByteArray TSimReceiver::ScanGroupLine() const {
    const TScanGroupDat& group = FScanGroups[static_cast<size_t>(FSettings.ScanGroup)];
    QByteArray line = "GM" + QByteArray::number(group.Group);
    for (const auto& field : kScanGroupFields)
        line += ' ' + QByteArray(field.Name) + FormatNumber(group.*(field.Field), field.Format);
    return line + " ML" + DigitChar(group.Link ? 1 : 0) + " BM" + Flags(group.LinkedBanks);
}

QByteArray TSimReceiver::SearchGroupLine() const {
    const TSearchGroupDat& group = FSearchGroups[static_cast<size_t>(FSettings.SearchGroup)];
    QByteArray line = "GS" + QByteArray::number(group.Group);
    for (const auto& field : kSearchGroupFields)
        line += ' ' + QByteArray(field.Name) + FormatNumber(group.*(field.Field), field.Format);
    return line + " BQ" + DigitChar(group.Link ? 1 : 0) + " BS" + Flags(group.LinkedBanks);
}

// --- Reading the state ---

void TSimReceiver::CmdRx(QByteArrayView line) {
    if (line.size() != 2)
        return Refuse();
    Send(RxLine());
}

void TSimReceiver::CmdLm(QByteArrayView line) {
    if (line.size() != 2)
        return Refuse();
    const int level = CurrentLevel();
    Send("LM" + QByteArray(1, level < SquelchThreshold() ? '%' : ' ') + HexLevel(level));
}

void TSimReceiver::CmdVersion(QByteArrayView line) {
    if (line.size() != 2)
        return Refuse();
    Send("VER " + FOptions.Version.toLatin1());
}

// --- VFO and tuning ---

void TSimReceiver::CmdVfo(QByteArrayView line) {
    const int vfo = line[1] - 'A';
    std::optional<qint64> hz;
    if (line.size() > 2) {
        hz = Frequency(Mid(line, 2));
        if (!hz)
            return Refuse();
    }
    StopActivity(TSimMode::Vfo);
    FVfo = vfo;
    if (hz) {
        FVfos[static_cast<size_t>(vfo)].Freq = MHz(*hz);
        return;
    }
    Send(RxLine());
}

void TSimReceiver::CmdRecordIndex(QByteArrayView line) {
    const auto entry = FindEntry(kRecordIndexes, Left(line, 2));
    if (line.size() == 2) {
        if (!entry->Query)
            return Refuse();
        const TRxDat& rec = Tuned();
        return Send(Mnemonic(line) + DigitChar(rec.*(entry->Field)));
    }
    const auto value = Number(Mid(line, 2), 0, entry->Max, 1);
    if (!value)
        return Refuse();
    if (TRxDat* rec = Target())
        rec->*(entry->Field) = *value;
}

void TSimReceiver::CmdAutoMode(QByteArrayView line) {
    const auto value = Number(Mid(line, 2), 0, 9, 1);
    if (!value)
        return Refuse();
    if (TRxDat* rec = Target())
        rec->AutoMode = *value != 0;
}

void TSimReceiver::CmdAntenna(QByteArrayView line) {
    if (line.size() == 2) {
        const TRxDat rec = Resolved(Tuned(), TunedHz());
        if (rec.AntennaAuto)
            return Send("AN0 " + QByteArray(1, DigitChar(rec.Antenna)));
        return Send("AN" + QByteArray(1, DigitChar(rec.Antenna)));
    }
    const auto value = Number(Mid(line, 2), 0, 4, 1);
    if (!value)
        return Refuse();
    if (TRxDat* rec = Target()) {
        rec->AntennaAuto = *value == 0;
        if (*value != 0)
            rec->Antenna = *value;
    }
}

void TSimReceiver::CmdAttenuator(QByteArrayView line) {
    if (line.size() == 2) {
        const TRxDat rec = Resolved(Tuned(), TunedHz());
        return Send("AT" + QByteArray(1, DigitChar(rec.AttenuatorAuto ? 1 : 0)) +
                    DigitChar(rec.Attenuator));
    }
    const auto value = DigitOr(Mid(line, 2), 2, 'F', 3);
    if (!value)
        return Refuse();
    if (TRxDat* rec = Target()) {
        rec->AttenuatorAuto = *value == 3;
        rec->Attenuator = *value == 3 ? 0 : *value;
    }
}

void TSimReceiver::CmdAgc(QByteArrayView line) {
    if (line.size() == 2) {
        const int agc = Tuned().Agc;
        return Send("AC" + QByteArray(1, agc == 3 ? 'F' : DigitChar(agc)));
    }
    const auto value = DigitOr(Mid(line, 2), 2, 'F', 3);
    if (!value)
        return Refuse();
    if (TRxDat* rec = Target())
        rec->Agc = *value;
}

void TSimReceiver::CmdSubStep(QByteArrayView line) {
    if (line.size() == 2) {
        const int subStep = Tuned().SubStep;
        return Send("SJ" + QByteArray(1, subStep == 10 ? 'A' : DigitChar(subStep)));
    }
    const auto value = DigitOr(Mid(line, 2), 9, 'A', 10);
    if (!value)
        return Refuse();
    if (TRxDat* rec = Target())
        rec->SubStep = *value;
}

void TSimReceiver::CmdCtcss(QByteArrayView line) {
    if (!FOptions.Ct5000)
        return Refuse();
    if (line.size() == 2) {
        const int tone = Tuned().Ctcss;
        return Send("CN" + QByteArray::number(tone, 16).toUpper().rightJustified(2, '0'));
    }
    const QByteArrayView arg = Mid(line, 2);
    bool ok = false;
    const int tone = arg.size() == 2 ? arg.toByteArray().toInt(&ok, 16) : -1;
    if (!ok || tone < 0 || tone > 55)
        return Refuse();
    if (TRxDat* rec = Target())
        rec->Ctcss = tone;
}

void TSimReceiver::CmdDescrambler(QByteArrayView line) {
    if (!FOptions.Ds8000)
        return Refuse();
    if (line.size() == 2)
        return Send("SC" + Digits(Tuned().Descrambler, 3));
    const auto value = Number(Mid(line, 2), 0, 4);
    if (!value)
        return Refuse();
    if (TRxDat* rec = Target())
        rec->Descrambler = *value;
}

void TSimReceiver::CmdStep(QByteArrayView line) {
    const auto step = StepArg(Mid(line, 2));
    if (!step)
        return Refuse();
    if (TRxDat* rec = Target()) {
        rec->Step = StepKHz(step->Hz);
        rec->StepAdjust = step->Adjust;
    }
}

// --- Receiver-wide settings ---

void TSimReceiver::CmdSwitch(QByteArrayView line) {
    const auto entry = FindEntry(kSwitches, Left(line, 2));
    if (line.size() == 2) {
        if (!entry->Query)
            return Refuse();
        return Send(Mnemonic(line) + DigitChar(FSettings.*(entry->Field) ? 1 : 0));
    }
    const auto value = Number(Mid(line, 2), 0, 1, 1);
    if (!value)
        return Refuse();
    FSettings.*(entry->Field) = *value == 1;
    if (entry->Field == &TSimSettings::LevelOutput)
        FActivity.LastLevelSent = -1;
}

void TSimReceiver::CmdNumber(QByteArrayView line) {
    const auto entry = FindEntry(kNumberSettings, Left(line, 2));
    if (line.size() == 2) {
        if (entry->Format == TNumberFormat::NoQuery)
            return Refuse();
        return Send(Mnemonic(line) + FormatNumber(FSettings.*(entry->Field), entry->Format));
    }
    const auto value = Number(Mid(line, 2), 0, entry->Max);
    if (!value)
        return Refuse();
    FSettings.*(entry->Field) = *value;
}

void TSimReceiver::CmdPowerOff(QByteArrayView line) {
    if (line.size() != 2)
        return Refuse();
    StopActivity(FRestMode);
    FPoweredOn = false;
}

void TSimReceiver::CmdExit(QByteArrayView line) {
    if (line.size() != 2)
        return Refuse();
    FRemote = false;
}

// --- Memory channels ---

void TSimReceiver::CmdRecall(QByteArrayView line) {
    std::optional<int> channel = FChannel;
    if (line.size() > 2)
        channel = Number(Mid(line, 2), 0, kChannelCount - 1);
    if (!channel)
        return Refuse();
    StopActivity(TSimMode::Memory);
    FChannel = *channel;
}

void TSimReceiver::CmdMemoryDelete(QByteArrayView line) {
    if (line.size() == 2) {
        ClearMemory(FBank, FChannel);
        return;
    }
    if (!Mid(line, 2).startsWith("%%"))
        return Refuse();
    const auto hundred = Number(Mid(line, 4), 0, 9, 1);
    if (!hundred)
        return Refuse();
    for (int i = 0; i < 100; ++i)
        ClearMemory(FBank, *hundred * 100 + i);
}

void TSimReceiver::CmdMemoryWrite(QByteArrayView line) {
    // "MX007 MP0 RF0145500000 ST12500 MD0 AT0 BW2 [LP2 HP0 EN1 AC1 SJ0] TMTEXT"
    const auto channel = Number(Mid(line, 2, 3), 0, kChannelCount - 1);
    const qsizetype textAt = line.indexOf(" TM");
    if (!channel || textAt < 5)
        return Refuse();
    TRxDat rec = Channel(*channel).Empty ? BlankRecord() : Channel(*channel);
    bool haveFreq = false;
    bool haveStep = false;
    bool haveMode = false;
    const QByteArray fields = Mid(line, 5, textAt - 5).toByteArray();
    for (const QByteArray& token : fields.split(' ')) {
        if (token.isEmpty())
            continue;
        const QByteArrayView name = Left(token, 2);
        const QByteArrayView value = Mid(token, 2);
        std::optional<int> number;
        if (name == "RF") {
            const auto hz = Frequency(value);
            if (!hz)
                return Refuse();
            rec.Freq = MHz(*hz);
            haveFreq = true;
            continue;
        }
        if (name == "ST") {
            const auto step = StepArg(value);
            if (!step)
                return Refuse();
            rec.Step = StepKHz(step->Hz);
            rec.StepAdjust = step->Adjust;
            haveStep = true;
            continue;
        }
        if (name == "AT" || name == "AC") {
            number = DigitOr(value, 2, 'F', 3);
            if (!number)
                return Refuse();
            if (name == "AC") {
                rec.Agc = *number;
            } else {
                rec.AttenuatorAuto = *number == 3;
                rec.Attenuator = *number == 3 ? 0 : *number;
            }
            continue;
        }
        if (name == "SJ") {
            number = DigitOr(value, 9, 'A', 10);
            if (!number)
                return Refuse();
            rec.SubStep = *number;
            continue;
        }
        if (name == "MP") {
            number = Number(value, 0, 1, 1);
            if (!number)
                return Refuse();
            rec.MemoryPass = *number == 1;
            continue;
        }
        const auto entry = FindEntry(kRecordIndexes, name);
        if (entry == kRecordIndexes.end())
            return Refuse();
        number = Number(value, 0, entry->Max, 1);
        if (!number)
            return Refuse();
        rec.*(entry->Field) = *number;
        haveMode = haveMode || name == "MD";
    }
    if (!haveFreq || !haveStep || !haveMode)
        return Refuse();
    rec.Text = StoredText(Mid(line, textAt + 3));
    rec.Empty = false;
    SetMemory(FBank, *channel, rec);
    StopActivity(TSimMode::Memory);
    FChannel = *channel;
}

void TSimReceiver::CmdMemoryPass(QByteArrayView line) {
    const auto value = Number(Mid(line, 2), 0, 1, 1);
    if (!value)
        return Refuse();
    if (!Channel(FChannel).Empty)
        Channel(FChannel).MemoryPass = *value == 1;
}

void TSimReceiver::CmdSelectFlag(QByteArrayView line) {
    if (Mid(line, 2) == "%%") {
        for (QList<TRxDat>& bank : FMemories) {
            for (TRxDat& rec : bank)
                rec.SelectScan = false;
        }
        return;
    }
    const auto value = Number(Mid(line, 2), 0, 1, 1);
    if (!value)
        return Refuse();
    if (!Channel(FChannel).Empty)
        Channel(FChannel).SelectScan = *value == 1;
}

void TSimReceiver::CmdBank(QByteArrayView line) {
    if (line.size() == 2)
        return Send("BN" + QByteArray::number(FBank));
    const auto bank = Number(Mid(line, 2), 0, kBankCount - 1, 1);
    if (!bank)
        return Refuse();
    if (Running())
        StopActivity(FRestMode);
    FBank = *bank;
}

void TSimReceiver::CmdMemoryList(QByteArrayView line) {
    if (line.size() > 2) {
        const auto hundred = Number(Mid(line, 2), 0, 9, 1);
        if (!hundred)
            return Refuse();
        FNextListed = *hundred * 100;
    }
    for (int i = 0; i < 10; ++i) {
        Send(MemoryFields(FNextListed));
        FNextListed = (FNextListed + 1) % kChannelCount;
    }
}

// --- Scanning and searching ---

void TSimReceiver::CmdMemoryScan(QByteArrayView line) {
    const auto hundred = Number(Mid(line, 2), 0, 9, 1);
    if (!hundred)
        return Refuse();
    StartMemoryScan(*hundred);
}

void TSimReceiver::CmdSelectScan(QByteArrayView line) {
    if (line.size() != 2)
        return Refuse();
    StartSelectScan();
}

void TSimReceiver::CmdScanGroup(QByteArrayView line) {
    if (line.size() == 2)
        return Send(ScanGroupLine());
    const auto group = Number(Mid(line, 2), 0, kGroupCount - 1, 1);
    if (!group)
        return Refuse();
    FSettings.ScanGroup = *group;
}

void TSimReceiver::CmdSearchGroup(QByteArrayView line) {
    if (line.size() == 2)
        return Send(SearchGroupLine());
    const auto group = Number(Mid(line, 2), 0, kGroupCount - 1, 1);
    if (!group)
        return Refuse();
    FSettings.SearchGroup = *group;
}

void TSimReceiver::CmdGroupField(QByteArrayView line) {
    TScanGroupDat& scan = FScanGroups[static_cast<size_t>(FSettings.ScanGroup)];
    TSearchGroupDat& search = FSearchGroups[static_cast<size_t>(FSettings.SearchGroup)];
    if (line.startsWith("ML") || line.startsWith("BQ")) {
        bool& link = line.startsWith("ML") ? scan.Link : search.Link;
        if (line.size() == 2)
            return Send(Mnemonic(line) + DigitChar(link ? 1 : 0));
        const auto value = Number(Mid(line, 2), 0, 1, 1);
        if (!value)
            return Refuse();
        link = *value == 1;
        return;
    }
    const std::optional<QByteArray> reply = line.startsWith('X')
                                                ? GroupField(scan, kScanGroupFields, line)
                                                : GroupField(search, kSearchGroupFields, line);
    if (!reply)
        return Refuse();
    if (!reply->isEmpty())
        Send(*reply);
}

void TSimReceiver::CmdScanLinkBanks(QByteArrayView line) {
    TScanGroupDat& group = FScanGroups[static_cast<size_t>(FSettings.ScanGroup)];
    if (line.size() == 2)
        return Send("BM" + Flags(group.LinkedBanks));
    QList<int> banks;
    for (const char c : Mid(line, 2)) {
        if (c == ' ')
            continue;
        if (c < '0' || c > '9')
            return Refuse();
        banks.append(c - '0');
    }
    if (banks.isEmpty() || !ToggleBanks(group.LinkedBanks, banks))
        return Refuse();
}

void TSimReceiver::CmdSearchLinkBanks(QByteArrayView line) {
    TSearchGroupDat& group = FSearchGroups[static_cast<size_t>(FSettings.SearchGroup)];
    if (line.size() == 2)
        return Send("BS" + Flags(group.LinkedBanks));
    QByteArray digits = Mid(line, 2).toByteArray();
    digits.replace(' ', QByteArray());
    QList<int> banks;
    for (qsizetype at = 0; at + 1 < digits.size(); at += 2) {
        const auto bank = Number(Mid(digits, at, 2), 0, kSearchBankCount - 1, 2);
        if (!bank)
            return Refuse();
        banks.append(*bank);
    }
    if (banks.isEmpty() || digits.size() % 2 != 0 || !ToggleBanks(group.LinkedBanks, banks))
        return Refuse();
}

void TSimReceiver::CmdStartSearch(QByteArrayView line) {
    const auto bank = Number(Mid(line, 2), 0, kSearchBankCount - 1, 2);
    if (!bank || !SearchBankUsed(*bank))
        return Refuse();
    StartProgramSearch(*bank);
}

void TSimReceiver::CmdDeleteSearchBank(QByteArrayView line) {
    const auto bank = Number(Mid(line, 2), 0, kSearchBankCount - 1, 2);
    if (!bank)
        return Refuse();
    if (FMode == TSimMode::ProgramSearch && FSearchBank == *bank)
        StopActivity(FRestMode);
    TSearchBankState& state = FSearchBanks[static_cast<size_t>(*bank)];
    state = {};
    state.Settings = BlankRecord();
    state.Settings.Step = StepKHz(0);
}

void TSimReceiver::CmdWriteSearchBank(QByteArrayView line) {
    // "SE05 SL0144000000 SU0146000000 ST12500 AT0 BW2 MD0 TTAIRBAND"
    const auto bank = Number(Mid(line, 2, 2), 0, kSearchBankCount - 1, 2);
    const qsizetype textAt = line.indexOf(" TT");
    if (!bank || textAt < 4)
        return Refuse();
    TSearchBankState state = FSearchBanks[static_cast<size_t>(*bank)];
    bool haveLower = false;
    bool haveUpper = false;
    bool haveStep = false;
    const QByteArray fields = Mid(line, 4, textAt - 4).toByteArray();
    for (const QByteArray& token : fields.split(' ')) {
        if (token.isEmpty())
            continue;
        const QByteArrayView name = Left(token, 2);
        const QByteArrayView value = Mid(token, 2);
        if (name == "SL" || name == "SU") {
            const auto hz = Frequency(value);
            if (!hz)
                return Refuse();
            (name == "SL" ? state.LowerHz : state.UpperHz) = *hz;
            (name == "SL" ? haveLower : haveUpper) = true;
        } else if (name == "ST") {
            const auto step = StepArg(value);
            if (!step)
                return Refuse();
            state.Settings.Step = StepKHz(step->Hz);
            state.Settings.StepAdjust = step->Adjust;
            haveStep = true;
        } else if (name == "AT") {
            const auto value3 = DigitOr(value, 2, 'F', 3);
            if (!value3)
                return Refuse();
            state.Settings.AttenuatorAuto = *value3 == 3;
            state.Settings.Attenuator = *value3 == 3 ? 0 : *value3;
        } else if (name == "BW" || name == "MD") {
            const auto entry = FindEntry(kRecordIndexes, name);
            const auto number = Number(value, 0, entry->Max, 1);
            if (!number)
                return Refuse();
            state.Settings.*(entry->Field) = *number;
        } else {
            return Refuse();
        }
    }
    if (!haveLower || !haveUpper || !haveStep)
        return Refuse();
    state.Settings.Freq = MHz(state.LowerHz);
    state.Text = StoredText(Mid(line, textAt + 3));
    FSearchBanks[static_cast<size_t>(*bank)] = state;
    if (FMode == TSimMode::ProgramSearch && FSearchBank == *bank)
        FActivity.PosHz = std::clamp(FActivity.PosHz, std::min(state.LowerHz, state.UpperHz),
                                     std::max(state.LowerHz, state.UpperHz));
}

void TSimReceiver::CmdSearchList(QByteArrayView line) {
    if (line.size() == 2)
        return Send(SearchListLine(FSearchBank));
    QByteArrayView arg = Mid(line, 2);
    if (arg.startsWith(' '))
        arg = Mid(arg, 1);
    const auto bank = Number(arg, 0, kSearchBankCount - 1, 2);
    if (!bank)
        return Refuse();
    Send(SearchListLine(*bank));
}

void TSimReceiver::CmdVfoSearch(QByteArrayView line) {
    if (line.size() != 3 || line[2] < 'A' || line[2] > 'E')
        return Refuse();
    StartVfoSearch(line[2] - 'A');
}

void TSimReceiver::CmdDtmf(QByteArrayView line) {
    if (line.size() == 2)
        return Send("QM" + QByteArray(1, DigitChar(FSettings.DtmfOutput ? 1 : 0)));
    const auto value = Number(Mid(line, 2), 0, 1, 1);
    if (!value)
        return Refuse();
    FSettings.DtmfOutput = *value == 1;
    if (!FSettings.DtmfOutput)
        return;
    // "QM1" hands over the digits decoded since the last time, at most a minute's worth.
    constexpr qint64 kDtmfMemoryMs = 60'000;
    const qint64 now = NowMs();
    const QString digits =
        FBand.DtmfDigits(TunedHz(), std::max(FDtmfCheckedMs, now - kDtmfMemoryMs), now);
    FDtmfCheckedMs = now;
    if (!digits.isEmpty())
        Send("DT" + digits.toLatin1());
}

// --- Pass frequencies ---

void TSimReceiver::CmdPassRead(QByteArrayView line) {
    const auto list = Number(Mid(line, 2), 0, kPassListCount - 1, 2);
    if (!list || line.size() != 4)
        return Refuse();
    const QByteArray prefix = *list == kVfoPassBank ? QByteArray("PRV") : "PR" + Digits(*list, 2);
    const QList<qint64>& entries = FPassLists[static_cast<size_t>(*list)];
    if (entries.isEmpty())
        return Send(prefix + " 00 ----------");
    for (qsizetype i = 0; i < entries.size(); ++i)
        Send(prefix + ' ' + Digits(i, 2) + ' ' + Digits(entries[i], 10));
}

void TSimReceiver::CmdPassAdd(QByteArrayView line) {
    const auto hz = Frequency(Mid(line, 2));
    if (!hz)
        return Refuse();
    // The list of the running program search; the VFO list otherwise.
    const int list = FMode == TSimMode::ProgramSearch ? FSearchBank : kVfoPassBank;
    QList<qint64>& entries = FPassLists[static_cast<size_t>(list)];
    if (!entries.contains(*hz) && entries.size() < kPassEntryCount)
        entries.append(*hz);
}

void TSimReceiver::CmdPassDelete(QByteArrayView line) {
    QByteArrayView arg = Mid(line, 2);
    const bool wholeList = arg.startsWith("%%");
    if (wholeList)
        arg = Mid(arg, 2);
    const auto list = Number(Left(arg, 2), 0, kPassListCount - 1, 2);
    if (!list || arg.size() != (wholeList ? 2 : 4))
        return Refuse();
    QList<qint64>& entries = FPassLists[static_cast<size_t>(*list)];
    if (wholeList) {
        entries.clear();
        return;
    }
    const auto index = Number(Mid(arg, 2), 0, kPassEntryCount - 1, 2);
    if (!index)
        return Refuse();
    if (*index < entries.size())
        entries.removeAt(*index);
}
