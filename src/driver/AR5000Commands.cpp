// The receiver's command set: synchronous requests and setters of TAR5000.
#include "AR5000.h"

#include "CommandText.h"

#include <QScopedValueRollback>

#include <cmath>

using namespace Qt::StringLiterals;

// ---------------------------------------------------------------------------------------------
// Synchronous requests

bool TAR5000::RunRequest(bool& busy, bool refused, const QString& name, const QString& startTimeout,
                         bool& pending, const QString& dataTimeout,
                         const std::function<void()>& send) {
    if (!Connected() || busy || refused) {
        Trace(u"Aborting "_s + name);
        return false;
    }
    const QScopedValueRollback guard(busy, true);
    Trace(u"Starting "_s + name);
    const bool timerWasOn = TimerStatus();
    FSetTimerStatus(false);
    // A poll's "RX" may still be on its way: its reply must not be taken for ours.
    if (!WaitFlag(FFlags.RxPending, startTimeout))
        return false;
    pending = true;
    send();
    if (!WaitFlag(pending, dataTimeout))
        return false;
    FSetTimerStatus(timerWasOn);
    Trace(u"Ending "_s + name);
    return true;
}

bool TAR5000::GetRx(TRxDat& rec) {
    const bool answered = RunRequest(
        GetRxBusy, false, u"GetRx"_s,
        u"Timeout waiting for RX data to start, timer off. Func GetRx"_s, FFlags.RxPending,
        u"Timeout waiting for RX data, timer off. Func GetRx"_s, [this] {
            FFlags.VfoOk = false;
            FFlags.MemoryOk = false;
            SendCommand(u"RX"_s);
        });
    if (!answered)
        return false;
    if (FFlags.MemoryOk)
        CopyMemoryFields(FRxDat, rec);
    else if (FFlags.VfoOk)
        CopyVfoFields(FRxDat, rec);
    rec.Empty = FRxDat.Empty;
    rec.Channel = FRxDat.Channel;
    return FFlags.VfoOk || FFlags.MemoryOk;
}

bool TAR5000::SetVfo(QChar letter, TRxDat& rec) {
    if (!Connected() || SetVfoBusy) {
        Trace(u"Aborting SetVfo"_s);
        return false;
    }
    const auto command = CommandText::Vfo(letter);
    if (!command) {
        ReportError(u"Bad Vfo command, timer off. Func SetVfo"_s);
        return false;
    }
    const QString timeoutText = u"timeout waiting for RX data, timer off. Func SetVfo"_s;
    const bool answered = RunRequest(SetVfoBusy, false, u"SetVfo"_s, timeoutText, FFlags.RxPending,
                                     timeoutText, [this, &command] {
                                         FFlags.VfoOk = false;
                                         SendCommand(*command);
                                     });
    if (!answered || !FFlags.VfoOk)
        return false;
    CopyVfoFields(FRxDat, rec);
    return true;
}

void TAR5000::SendExtraQueries(bool withCtcss) {
    if (withCtcss && CT5000)
        SendCommand(u"CN"_s);
    for (const char16_t* command : {u"BW", u"AN", u"AT", u"AC", u"HP", u"LP", u"EN", u"SJ"})
        SendCommand(QString::fromUtf16(command));
    if (DS8000)
        SendCommand(u"SC"_s);
}

bool TAR5000::GetExtraVfoData(TRxDat& rec) {
    if (!Connected() || GetExtraVfoDataBusy) {
        Trace(u"Aborting GetExtraVfoDAta "_s);
        return false;
    }
    const QScopedValueRollback guard(GetExtraVfoDataBusy, true);
    Trace(u"Starting GetExtraVfoDAta "_s);
    const bool timerWasOn = TimerStatus();
    FSetTimerStatus(false);
    FFlags.ExtraDataPending = true;
    SendExtraQueries(true);
    if (!WaitFlag(FFlags.ExtraDataPending, u"Timeout on GetExtraVfoData. Timer is off"_s))
        return false;
    FSetTimerStatus(timerWasOn);
    Trace(u"Ending GetExtraVfoData "_s);

    const TReplyFlags& f = FFlags;
    const bool complete = f.BandwidthOk && f.AntennaOk && f.AttenuatorOk && f.AgcOk &&
                          f.HighPassOk && f.LowPassOk && f.DeEmphasisOk && f.SubStepOk &&
                          (!CT5000 || f.CtcssOk) && (!DS8000 || f.DescramblerOk);
    if (!complete)
        return false;
    rec.Bandwidth = FRxDat.Bandwidth;
    rec.Antenna = FRxDat.Antenna;
    rec.AntennaAuto = FRxDat.AntennaAuto;
    rec.Attenuator = FRxDat.Attenuator;
    rec.AttenuatorAuto = FRxDat.AttenuatorAuto;
    rec.Agc = FRxDat.Agc;
    rec.HighPass = FRxDat.HighPass;
    rec.LowPass = FRxDat.LowPass;
    rec.DeEmphasis = FRxDat.DeEmphasis;
    rec.SubStep = FRxDat.SubStep;
    if (CT5000)
        rec.Ctcss = FRxDat.Ctcss;
    if (DS8000)
        rec.Descrambler = FRxDat.Descrambler;
    return true;
}

bool TAR5000::GetMA(TMAArray& block) {
    const int firstChannel = block[0].Channel;
    const bool answered = RunRequest(
        GetMABusy, GetRxBusy, u"GetMA"_s,
        u"Timeout waiting for MA data to start, timer off. Func GetMA"_s, FFlags.BlockPending,
        u"Timeout waiting for MA data, timer off. Func GetMA"_s, [this, firstChannel] {
            FBlock = {};
            FBlockCount = 0;
            FBlockFailures = 0;
            FFlags.BlockComplete = false;
            SendCommand(CommandText::MemoryBlock(firstChannel));
        });
    if (!answered || !FFlags.BlockComplete)
        return false;
    block = FBlock;
    // A line that did not parse leaves its slot unknown: the caller must not store it.
    return FBlockFailures == 0;
}

bool TAR5000::GetGM(TScanGroupDat& group) {
    const bool answered = RunRequest(
        GetGMBusy, GetRxBusy, u"GetGM"_s,
        u"Timeout waiting for GetGM to start, timer off. Func GetGM"_s, FFlags.ScanGroupPending,
        u"Timeout waiting for GM data, timer off. Func GetGM"_s, [this] {
            FFlags.ScanGroupOk = false;
            SendCommand(u"GM"_s);
        });
    if (!answered || !FFlags.ScanGroupOk)
        return false;
    group = FScanGroup;
    return true;
}

bool TAR5000::GetGS(TSearchGroupDat& group) {
    const bool answered = RunRequest(
        GetGSBusy, GetRxBusy, u"GetGS"_s,
        u"Timeout waiting for GS data to start, timer off. Func GetGS"_s, FFlags.SearchGroupPending,
        u"Timeout waiting for GS data, timer off. Func GetGS"_s, [this] {
            FFlags.SearchGroupOk = false;
            SendCommand(u"GS"_s);
        });
    if (!answered || !FFlags.SearchGroupOk)
        return false;
    group = FSearchGroup;
    return true;
}

bool TAR5000::GetSearchList(int bank, TSearchList& list) {
    const bool answered = RunRequest(
        GetSearchListBusy, GetRxBusy, u"GetSearchList"_s,
        u"Timeout waiting for SearchList data to start, timer off. Func GetSearchList"_s,
        FFlags.SearchListPending,
        u"Timeout waiting for SearchList data, timer off. Func GetSearchList"_s, [this, bank] {
            FFlags.SearchListOk = false;
            SendCommand(CommandText::SearchList(bank));
        });
    if (!answered || !FFlags.SearchListOk)
        return false;
    list = FSearchList;
    return true;
}

QString TAR5000::GetVersion() {
    if (!Connected() || FFlags.VersionPending)
        return u"Port Not Open"_s;
    FFlags.VersionPending = true;
    SendCommand(u"VR"_s);
    if (!WaitFlag(FFlags.VersionPending, u"Timeout on GetVersion"_s))
        return u"No Response"_s;
    return FVersion;
}

QString TAR5000::GetLM() {
    if (!Connected()) {
        ReportError(u"Aborted GetLM"_s);
        return u"0"_s;
    }
    const bool timerWasOn = TimerStatus();
    FSetTimerStatus(false);
    if (!WaitFlag(FFlags.LevelPending, u"Timeout waiting for GetLM to start. Func GetLM"_s))
        return u"0"_s;
    FFlags.LevelPending = true;
    SendCommand(u"LM"_s);
    if (!WaitFlag(FFlags.LevelPending, u"Timeout waiting for LM data. Func GetLM"_s))
        return u"0"_s;
    FSetTimerStatus(timerWasOn);
    return FRxDat.Level;
}

bool TAR5000::SingleValueQuery(bool& pending, const QString& command, const QString& refusedText,
                               const QString& dataTimeout) {
    // One request of a kind at a time: a second one while the first waits is refused.
    if (!Connected() || pending) {
        if (!refusedText.isEmpty())
            ReportError(refusedText);
        return false;
    }
    pending = true;
    SendCommand(command);
    return WaitFlag(pending, dataTimeout);
}

int TAR5000::GetDB(bool* plusSign) {
    if (!SingleValueQuery(FFlags.LevelSquelchPending, u"DB"_s,
                          u"Aborted Getting Vfo Level Squelch, default to 0"_s,
                          u"Timeout waiting for DB data. Func GetDB"_s) ||
        !FFlags.LevelSquelchOk)
        return 0;
    if (plusSign)
        *plusSign = FLevelSquelch.startsWith(u'+');
    return StrToIntSafe(FLevelSquelch);
}

int TAR5000::GetDA(bool* plusSign) {
    if (!SingleValueQuery(FFlags.VoiceSquelchPending, u"DA"_s,
                          u"Aborted Getting Vfo Voice Level, default to 0"_s,
                          u"Timeout waiting for DA data. Func GetDA"_s) ||
        !FFlags.VoiceSquelchOk)
        return 0;
    if (plusSign)
        *plusSign = FVoiceSquelch.startsWith(u'+');
    return StrToIntSafe(FVoiceSquelch);
}

int TAR5000::GetDD() {
    if (!SingleValueQuery(FFlags.DelayPending, u"DD"_s,
                          u"Aborted Getting Vfo Delay Time, default to Off = 0"_s,
                          u"Timeout waiting for DD data. Func GetDD"_s) ||
        !FFlags.DelayOk)
        return 0;
    return static_cast<int>(std::lround(StrToFloatSafe(FDelay) * 10.0));
}

bool TAR5000::GetDS() {
    return SingleValueQuery(FFlags.CyberScanPending, u"DS"_s, u"Aborted Cyber Scan Status"_s,
                            u"Timeout waiting for DS data. Func GetDS"_s) &&
           FFlags.CyberScanOk && FCyberScan;
}

int TAR5000::GetBN() {
    if (!SingleValueQuery(FFlags.BankPending, u"BN"_s, {},
                          u"Timeout waiting for BN data. Func FGetBank"_s) ||
        !FFlags.BankOk)
        return 0;
    return FBank;
}

int TAR5000::GetASt() {
    if (!SingleValueQuery(FFlags.AutoStorePending, u"AS"_s,
                          u"Aborted getting AutoStore Status, default to off"_s,
                          u"Timeout waiting for ASt data. Func GetASt"_s) ||
        !FFlags.AutoStoreOk)
        return 0;
    return FAutoStore;
}

bool TAR5000::GetAF() {
    return SingleValueQuery(FFlags.AfcPending, u"AF"_s, u"Aborted Getting AFC status"_s,
                            u"Timeout waiting for AF data. Func GetAF"_s) &&
           FFlags.AfcOk && FAfc;
}

bool TAR5000::GetNB() {
    return SingleValueQuery(FFlags.NoiseBlankerPending, u"NB"_s,
                            u"Aborted Getting Noise Blanker status"_s,
                            u"Timeout waiting for NB data. Func GetNB"_s) &&
           FFlags.NoiseBlankerOk && FNoiseBlanker;
}

// ---------------------------------------------------------------------------------------------
// Setters

void TAR5000::SendIfValid(const std::optional<QString>& command) {
    if (command)
        SendCommand(*command);
}

void TAR5000::SendIfConnected(const QString& command) {
    if (Connected())
        SendCommand(command);
}

void TAR5000::SetFrequency(QChar letter, double mhz) {
    SendCommand(CommandText::Frequency(letter, mhz, PadFString));
}

void TAR5000::SetStep(double kHz) {
    const auto command = CommandText::Step(kHz, StepAdjustChecked);
    if (!command) {
        ReportError(u"Data out of range"_s);
        return;
    }
    SendCommand(*command);
}

void TAR5000::SetSubStep(int n) {
    SendIfValid(CommandText::SubStep(n));
}
void TAR5000::SetMode(int n) {
    SendIfValid(CommandText::Mode(n));
}
void TAR5000::SetBandwidth(int n) {
    SendIfValid(CommandText::Bandwidth(n));
}
void TAR5000::SetAutoMode(int n) {
    SendCommand(CommandText::AutoMode(n));
}
void TAR5000::SetAntenna(int n) {
    SendIfValid(CommandText::Antenna(n));
}
void TAR5000::SetAttenuator(int n) {
    SendIfValid(CommandText::Attenuator(n));
}
void TAR5000::SetAgc(int n) {
    SendIfValid(CommandText::Agc(n));
}
void TAR5000::SetHighPass(int n) {
    SendIfValid(CommandText::HighPass(n));
}
void TAR5000::SetLowPass(int n) {
    SendIfValid(CommandText::LowPass(n));
}
void TAR5000::SetDeEmphasis(int n) {
    SendIfValid(CommandText::DeEmphasis(n));
}
void TAR5000::SetCtcss(int n) {
    SendIfValid(CommandText::Ctcss(n));
}
void TAR5000::SetDescrambler(int n) {
    SendIfValid(CommandText::Descrambler(n));
}
void TAR5000::SetAfc(bool on) {
    SendCommand(CommandText::Afc(on));
}
void TAR5000::SetNoiseBlanker(bool on) {
    SendCommand(CommandText::NoiseBlanker(on));
}
void TAR5000::SetVolume(int n) {
    SendIfValid(CommandText::Volume(n));
}
void TAR5000::SetSquelch(int n) {
    SendIfValid(CommandText::Squelch(n));
}
void TAR5000::SetLevelOutput(bool on) {
    SendCommand(CommandText::LevelOutput(on));
}
void TAR5000::PowerOff() {
    SendIfConnected(u"QP"_s);
}

void TAR5000::ChangeVfo(QChar letter) {
    const QChar upper = letter.toUpper();
    if (const auto command = CommandText::Vfo(upper)) {
        SendCommand(*command);
        Pause(ChangeVfoPauseMs);
        SendExtraQueries(true);
    } else if (upper == u'M' || upper == u'X') {
        if (CT5000)
            SendCommand(u"CN"_s);
        SendCommand(u"RX"_s);
        Pause(ChangeVfoPauseMs);
        SendExtraQueries(false);
    }
}

void TAR5000::RecallMemory(int channel) {
    SendIfValid(CommandText::RecallMemory(channel));
}
void TAR5000::MemoryRead() {
    SendCommand(u"MR"_s);
}
void TAR5000::DeleteMemory() {
    SendCommand(u"MQ"_s);
}
void TAR5000::ClearMemoryBank(int hundred) {
    SendIfValid(CommandText::ClearMemoryBank(hundred));
}

void TAR5000::WriteMemory(const TRxDat& rec) {
    if (!Connected() || !FRemote)
        return;
    const QStringList commands = CommandText::WriteMemory(
        rec, FirmwareID, [this](const QString& text) { ReportError(text); });
    for (const QString& command : commands)
        SendCommand(command);
}

void TAR5000::SetMemoryPass(int n) {
    SendIfValid(CommandText::MemoryPass(n));
}
void TAR5000::SetSelectScan(int n) {
    SendIfValid(CommandText::SelectScan(n));
}
void TAR5000::ClearAllSelectScan() {
    SendCommand(u"GA%%"_s);
}

void TAR5000::SetBank(int n) {
    if (!Connected())
        return;
    SendIfValid(CommandText::Bank(n));
    // The receiver needs this long to switch banks; the program waits without doing anything.
    Pause(SetBankPauseMs);
}

void TAR5000::SetAutoStore(int n) {
    SendIfValid(CommandText::AutoStore(n));
}
void TAR5000::StartMemoryScan(int n) {
    SendIfValid(CommandText::MemoryScan(n));
}
void TAR5000::StartSelectScan() {
    SendCommand(u"SM"_s);
}
void TAR5000::SetScanGroup(int n) {
    SendIfValid(CommandText::ScanGroup(n));
}
void TAR5000::SetSearchGroup(int n) {
    SendIfValid(CommandText::SearchGroup(n));
}
void TAR5000::SetScanMode(int n) {
    SendIfValid(CommandText::ScanMode(n));
}
void TAR5000::SetScanLink(int n) {
    SendIfConnected(CommandText::ScanLink(n));
}
void TAR5000::SetSearchLink(int n) {
    SendIfConnected(CommandText::SearchLink(n));
}
void TAR5000::SetScanDelay(int n) {
    SendIfValid(CommandText::ScanDelay(n));
}
void TAR5000::SetSearchDelay(int n) {
    SendIfValid(CommandText::SearchDelay(n));
}
void TAR5000::SetScanLevel(int n) {
    SendIfValid(CommandText::ScanLevel(n));
}
void TAR5000::SetSearchLevel(int n) {
    SendIfValid(CommandText::SearchLevel(n));
}
void TAR5000::SetScanVoice(int n) {
    SendIfValid(CommandText::ScanVoice(n));
}
void TAR5000::SetSearchVoice(int n) {
    SendIfValid(CommandText::SearchVoice(n));
}
void TAR5000::SetScanPause(int n) {
    SendIfValid(CommandText::ScanPause(n));
}
void TAR5000::SetSearchPause(int n) {
    SendIfValid(CommandText::SearchPause(n));
}
void TAR5000::SetScanLinkBanks(const QString& banks) {
    SendIfValid(CommandText::ScanLinkBanks(banks));
}
void TAR5000::SetSearchLinkBanks(const QString& banks) {
    SendCommand(CommandText::SearchLinkBanks(banks));
}
void TAR5000::StartSearch(int bank) {
    SendIfValid(CommandText::StartSearch(bank));
}
void TAR5000::DeleteSearchBank(int bank) {
    SendIfValid(CommandText::DeleteSearchBank(bank));
}

void TAR5000::WriteSearchBank(const TSearchList& list, int bandwidth) {
    SendCommand(CommandText::WriteSearchBank(list, bandwidth,
                                             [this](const QString& text) { ReportError(text); }));
}

void TAR5000::SetVfoSearch(QChar letter) {
    SendIfValid(CommandText::VfoSearch(letter));
}
void TAR5000::SetLevelSquelch(int n) {
    SendIfValid(CommandText::LevelSquelch(n));
}
void TAR5000::SetVoiceSquelch(int n) {
    SendIfValid(CommandText::VoiceSquelch(n));
}
void TAR5000::SetDelay(int n) {
    SendIfValid(CommandText::Delay(n));
}
void TAR5000::SetCyberScan(int n) {
    SendIfConnected(CommandText::CyberScan(n));
}
void TAR5000::SetDtmfOutput(int n) {
    SendIfConnected(CommandText::DtmfOutput(n));
}
void TAR5000::ReadPassList(int bank) {
    SendIfValid(CommandText::ReadPassList(bank));
}

void TAR5000::AddPass(double mhz) {
    SendCommand(CommandText::AddPass(mhz, [this](const QString& text) { ReportError(text); }));
}

void TAR5000::DeletePass(int bank, int index) {
    SendIfValid(CommandText::DeletePass(bank, index));
}
void TAR5000::DeletePassBank(int bank) {
    SendIfValid(CommandText::DeletePassBank(bank));
}
