#pragma once

#include "Records.h"
#include "SimBand.h"
#include "SimOptions.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <array>
#include <functional>

// What the receiver is doing.
enum class TSimMode {
    Vfo,           // listening on the current VFO
    Memory,        // listening on the current memory channel
    ProgramSearch, // "SS": sweeping a search bank
    MemoryScan,    // "MS": stepping through memory channels
    SelectScan,    // "SM": stepping through the select-scan list
    VfoSearch,     // "VS": sweeping from one VFO to the next (the whole range when they agree)
};

// The receiver's settings that belong to no VFO, channel or group.
struct TSimSettings {
    int Squelch = 130;         // "RQ": how far the squelch is opened, 255 = always open
    int Volume = 128;          // "VL"
    bool Afc = false;          // "AF"
    bool NoiseBlanker = false; // "NB"
    bool CyberScan = false;    // "DS": faster search and scan
    bool DtmfOutput = false;   // "QM"
    bool LevelOutput = false;  // "LC": level lines during search and scan
    int AutoStore = 0;         // "AS": 0 off, 1 store search stops, 2 store and go on at once
    int LevelSquelch = 0;      // "DB", VFO search; 0 = off
    int VoiceSquelch = 0;      // "DA", VFO search; 0 = off
    int DelayTenths = 15;      // "DD", VFO search
    int ScanGroup = 0;         // "GM": the memory-scan link group in use
    int SearchGroup = 0;       // "GS": the search link group in use

    bool operator==(const TSimSettings&) const = default;
};

// A model of the AR5000 on the far side of the serial line: it takes the bytes the driver
// writes and answers as the receiver does. Everything runs on the thread that owns it.
//
// The squelch ("RQ") is a level of opening: the squelch is open where the raw level reaches
// 255 minus the setting, so 255 opens it everywhere and pauses a search where it stands.
class TSimLine;

class TSimReceiver : public QObject {
    Q_OBJECT

public:
    static constexpr int kVfoCount = 5;
    static constexpr int kBankCount = 2;
    static constexpr int kChannelCount = 1000;
    static constexpr int kSearchBankCount = 20;
    static constexpr int kGroupCount = 10;
    static constexpr int kPassListCount = 21; // 20 search banks and the VFO list
    static constexpr int kPassEntryCount = 100;

    explicit TSimReceiver(const TSimOptions& options = {}, QObject* parent = nullptr);
    ~TSimReceiver() override;

    const TSimOptions& Options() const { return FOptions; }
    // Milliseconds of simulated time: levels, searches and scans follow this clock, so a test
    // that injects its own runs the same way every time.
    void SetClock(std::function<qint64()> clockMs);
    qint64 NowMs() const { return FClock(); }
    const TSimBand& Band() const { return FBand; }
    TSimBand& Band() { return FBand; }

    // Bytes from the line.
    void ReceiveBytes(const QByteArray& bytes);

    // See TSimOptions::FloodHits; may change while a search or scan runs.
    void SetFloodHits(bool on);
    bool FloodHits() const { return FFlood; }
    // Stops reported ("RF" of a search, scan or VFO search stop) since the receiver was made.
    qint64 HitsReported() const { return FHitsReported; }
    // The line that carries the replies: a flood waits until it has carried each stop.
    void WatchLine(TSimLine* line);

    // Moves a running search or scan on to the clock's present time. A timer does this every
    // 10 ms; a test that moves the clock itself calls it so that no step waits on that timer.
    void ActivityTick();

    void SetFault(TSimFault fault);
    TSimFault Fault() const { return FFault; }
    // Asks the transport to close its end of the connection.
    void DropConnection();

    TSimMode Mode() const { return FMode; }
    bool Running() const { return FMode != TSimMode::Vfo && FMode != TSimMode::Memory; }
    QChar CurrentVfo() const; // 'A'..'E': the VFO of VFO mode and of a VFO search
    int CurrentChannel() const { return FChannel; }
    int CurrentBank() const { return FBank; }
    int CurrentSearchBank() const { return FSearchBank; }
    // Where the receiver listens now (a search's or scan's position included).
    qint64 TunedHz() const;
    int CurrentLevel() const;
    bool SquelchClosed() const;

    TRxDat Vfo(QChar letter) const;
    void SetVfo(QChar letter, const TRxDat& rec);
    // A channel as the receiver reports it; Empty set for a channel not in use.
    TRxDat Memory(int bank, int channel) const;
    void SetMemory(int bank, int channel, const TRxDat& rec);
    void ClearMemory(int bank, int channel);
    TSearchList SearchBank(int bank) const; // Lower = Upper = 0 for a deleted bank
    int SearchBankBandwidth(int bank) const;
    void SetSearchBank(const TSearchList& list, int bandwidth);
    TScanGroupDat ScanGroup(int group) const;
    void SetScanGroup(const TScanGroupDat& group);
    TSearchGroupDat SearchGroup(int group) const;
    void SetSearchGroup(const TSearchGroupDat& group);
    // Entries in index order; list 20 (kVfoPassBank) is the VFO list.
    QList<TPassDat> PassList(int list) const;
    void SetPassList(int list, const QList<double>& mhz);
    const TSimSettings& Settings() const { return FSettings; }
    void SetSettings(const TSimSettings& settings);

    bool Remote() const { return FRemote; }
    bool PoweredOn() const { return FPoweredOn; }
    // "QP" switches the receiver off; only this (someone at the front panel) switches it on.
    void PowerOn() { FPoweredOn = true; }

    // The command lines received (without line end and SDU "*"), the step bytes as
    // one-character lines; the latest kReceivedLinesKept at most.
    static constexpr qsizetype kReceivedLinesKept = 20000;
    QStringList ReceivedLines() const { return FReceivedLines; }
    void ClearReceivedLines() { FReceivedLines.clear(); }
    qint64 BytesReceived() const { return FBytesReceived; }
    qint64 BytesSent() const { return FBytesSent; }

Q_SIGNALS:
    // Bytes for the line: whole reply lines with CR LF (pieces of them under SplitReplies).
    void BytesOut(const QByteArray& bytes);
    void LineReceived(const QString& line);
    void LineSent(const QString& line);
    void DropRequested();

private:
    using THandler = void (TSimReceiver::*)(QByteArrayView line);
    struct TCommand {
        const char* Name;
        THandler Handler;
    };
    struct TSearchBankState {
        qint64 LowerHz = 0;
        qint64 UpperHz = 0;
        TRxDat Settings; // step, mode, attenuator, bandwidth and the rest while searching
        QString Text;
    };
    // The position and timing of a running search or scan.
    struct TActivity {
        qint64 PosHz = 0; // searches; scans move FChannel
        int Hundred = 0;  // memory scan: the hundred it started in
        bool Stopped = false;
        qint64 LastStepMs = 0;  // time of the latest position change
        qint64 StoppedMs = 0;   // when it stopped on the current signal
        qint64 ClosedMs = -1;   // when the squelch closed again while stopped, -1 = open
        int LastLevelSent = -1; // last "LC" level
    };
    struct TStopRules {
        int LevelSquelch = 0;
        int VoiceSquelch = 0;
        int DelayTenths = 0;  // 255 = hold until told to go on
        int PauseSeconds = 0; // 0 = stay while the signal lasts
    };

    // Input and output (SimReceiver.cpp).
    void HandleLine(QByteArray line);
    void RecordLine(const QString& line);
    void HandleStep(int direction);
    void Send(const QByteArray& line);
    void Emit(const QByteArray& bytes);
    void FlushSplit();
    void Refuse();

    // Commands (SimCommands.cpp).
    static const TCommand* FindCommand(QByteArrayView name);
    void CmdRx(QByteArrayView line);
    void CmdLm(QByteArrayView line);
    void CmdVersion(QByteArrayView line);
    void CmdVfo(QByteArrayView line);
    void CmdRecordIndex(QByteArrayView line);
    void CmdAutoMode(QByteArrayView line);
    void CmdAntenna(QByteArrayView line);
    void CmdAttenuator(QByteArrayView line);
    void CmdAgc(QByteArrayView line);
    void CmdSubStep(QByteArrayView line);
    void CmdCtcss(QByteArrayView line);
    void CmdDescrambler(QByteArrayView line);
    void CmdStep(QByteArrayView line);
    void CmdSwitch(QByteArrayView line);
    void CmdNumber(QByteArrayView line);
    void CmdPowerOff(QByteArrayView line);
    void CmdExit(QByteArrayView line);
    void CmdRecall(QByteArrayView line);
    void CmdMemoryDelete(QByteArrayView line);
    void CmdMemoryWrite(QByteArrayView line);
    void CmdMemoryPass(QByteArrayView line);
    void CmdSelectFlag(QByteArrayView line);
    void CmdBank(QByteArrayView line);
    void CmdMemoryList(QByteArrayView line);
    void CmdMemoryScan(QByteArrayView line);
    void CmdSelectScan(QByteArrayView line);
    void CmdScanGroup(QByteArrayView line);
    void CmdSearchGroup(QByteArrayView line);
    void CmdGroupField(QByteArrayView line);
    void CmdScanLinkBanks(QByteArrayView line);
    void CmdSearchLinkBanks(QByteArrayView line);
    void CmdStartSearch(QByteArrayView line);
    void CmdDeleteSearchBank(QByteArrayView line);
    void CmdWriteSearchBank(QByteArrayView line);
    void CmdSearchList(QByteArrayView line);
    void CmdVfoSearch(QByteArrayView line);
    void CmdDtmf(QByteArrayView line);
    void CmdPassRead(QByteArrayView line);
    void CmdPassAdd(QByteArrayView line);
    void CmdPassDelete(QByteArrayView line);

    // Reply lines.
    QByteArray RxLine() const;
    QByteArray VfoFields(const TRxDat& rec, qint64 hz) const;
    QByteArray MemoryFields(int channel) const;
    QByteArray SearchListLine(int bank) const;
    QByteArray ScanGroupLine() const;
    QByteArray SearchGroupLine() const;

    // State helpers.
    // The record that settings commands change: the VFO, the channel (nullptr when empty) or
    // the bank being searched.
    TRxDat* Target();
    const TRxDat* Target() const;
    // The target, or a blank channel's values when there is none.
    const TRxDat& Tuned() const;
    static const TRxDat& BlankRecord();
    TRxDat Resolved(const TRxDat& rec, qint64 hz) const;
    TRxDat& Channel(int channel) { return FMemories[static_cast<size_t>(FBank)][channel]; }
    const TRxDat& Channel(int channel) const {
        return FMemories[static_cast<size_t>(FBank)][channel];
    }
    bool SearchBankUsed(int bank) const;
    int Attenuation(qint64 hz) const;
    TSimSample SampleAt(qint64 hz, qint64 timeMs) const;
    int SquelchThreshold() const { return 255 - FSettings.Squelch; }
    void LoadPresets();

    // Search and scan (SimActivity.cpp).
    void StartProgramSearch(int bank);
    void StartMemoryScan(int hundred);
    void StartSelectScan();
    void StartVfoSearch(int vfo);
    void StartActivity(TSimMode mode);
    void Begin(bool includeStart);
    void StopActivity(TSimMode next);
    void GoOn(qint64 timeMs);
    void Nudge();
    void WatchStop(qint64 timeMs, const TStopRules& rules);
    void ReportLevelChange(qint64 timeMs);
    bool SquelchHeldOpen() const { return FSettings.Squelch >= 255; }
    void FloodStep();
    void LineProgress();
    void Arrive(qint64 timeMs, const TStopRules& rules);
    bool NextPosition(bool include);
    bool NextSearchPosition(bool include);
    bool NextVfoSearchPosition(bool include);
    bool NextChannel(bool include);
    void ReportHundredChange(int from);
    int NextLinkedSearchBank() const;
    bool ChannelScanned(int channel) const;
    bool Passed(int list, qint64 hz, qint64 stepHz) const;
    TStopRules StopRules() const;
    bool Opens(qint64 hz, qint64 timeMs, const TStopRules& rules) const;
    void ReportStop(qint64 timeMs);
    void AutoStoreHit(qint64 hz);
    qint64 StepPeriodMs() const;

    TSimOptions FOptions;
    std::function<qint64()> FClock;
    TSimBand FBand;
    TSimRandom FRandom;
    TSimFault FFault = TSimFault::None;

    std::array<TRxDat, kVfoCount> FVfos;
    std::array<QList<TRxDat>, kBankCount> FMemories;
    std::array<TSearchBankState, kSearchBankCount> FSearchBanks;
    std::array<TScanGroupDat, kGroupCount> FScanGroups;
    std::array<TSearchGroupDat, kGroupCount> FSearchGroups;
    std::array<QList<qint64>, kPassListCount> FPassLists;
    TSimSettings FSettings;

    TSimMode FMode = TSimMode::Vfo;
    TSimMode FRestMode = TSimMode::Vfo; // where a search or scan stopped by the way returns to
    int FVfo = 0;
    int FChannel = 0;
    int FBank = 0;
    int FSearchBank = 0;
    int FNextListed = 0; // the channel an "MA" without number lists first
    qint64 FDtmfCheckedMs = 0;
    bool FRemote = false;
    bool FPoweredOn = true;

    TActivity FActivity;
    QTimer FActivityTimer;
    bool FFlood = false;
    bool FFloodWaiting = false; // the line still carries the stop before the latest
    qint64 FFloodStopBytes = 0; // the latest stop's report
    QTimer FFloodTimer;
    QPointer<TSimLine> FWatchedLine;
    qint64 FHitsReported = 0;

    QByteArray FLine;
    QList<QByteArray> FSplitQueue;
    QTimer FSplitTimer;
    QStringList FReceivedLines;
    qint64 FBytesReceived = 0;
    qint64 FBytesSent = 0;
};
