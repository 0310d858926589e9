#pragma once

#include "Levels.h"
#include "Records.h"
#include "ReplyParser.h"
#include "Serial.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <optional>

class QTcpSocket;
class TRelayServer;

// Which replies are awaited (pending) and whether the latest reply of each kind parsed (ok).
struct TReplyFlags {
    bool RxPending = false;
    bool LevelPending = false;
    bool ExtraDataPending = false;
    bool BlockPending = false;
    bool ScanGroupPending = false;
    bool SearchGroupPending = false;
    bool SearchListPending = false;
    bool VersionPending = false;
    bool LevelSquelchPending = false; // DB
    bool VoiceSquelchPending = false; // DA
    bool DelayPending = false;        // DD
    bool CyberScanPending = false;    // DS
    bool BankPending = false;         // BN
    bool AutoStorePending = false;    // AS
    bool AfcPending = false;          // AF
    bool NoiseBlankerPending = false; // NB

    bool VfoOk = false;
    bool MemoryOk = false;
    bool AgcOk = false;
    bool AfcOk = false;
    bool AntennaOk = false;
    bool AutoStoreOk = false;
    bool AttenuatorOk = false;
    bool LinkBanksOk = false;
    bool BankOk = false;
    bool BandwidthOk = false;
    bool CtcssOk = false;
    bool VoiceSquelchOk = false;
    bool LevelSquelchOk = false;
    bool DelayOk = false;
    bool CyberScanOk = false;
    bool DeEmphasisOk = false;
    bool ScanGroupOk = false;
    bool SearchGroupOk = false;
    bool HighPassOk = false;
    bool LevelOutputOk = false;
    bool LowPassOk = false;
    bool ScanLinkOk = false;
    bool NoiseBlankerOk = false;
    bool DtmfOutputOk = false;
    bool FrequencyOk = false;
    bool DescramblerOk = false;
    bool SubStepOk = false;
    bool SearchListOk = false;
    bool BlockComplete = false;
};

// The receiver driver: the one object through which the program talks to the AR5000, over the
// serial line (optionally through an SDU-5500), or over TCP through a second instance.
//
// Everything runs on the user-interface thread. Setters send and return at once; synchronous
// requests wait in one helper that keeps the event loop running, so replies, timers and user
// input are handled while they wait. Replies are matched to requests only by their mnemonic,
// through the pending and ok flags.
class TAR5000 : public QObject {
    Q_OBJECT

public:
    static constexpr int kLocalTimeoutMs = 5000;
    static constexpr int kRemoteTimeoutMs = 10000; // client or SDU mode
    static constexpr int kLocalPollMs = 100;
    static constexpr int kClientPollMs = 200;
    static constexpr int kReceiveBufferCap = 64 * 1024;

    explicit TAR5000(QObject* owner = nullptr);
    ~TAR5000() override;

    TSerial* Serial() const { return FSerial; }

    // Configuration. The time-outs and pauses are fields so that tests can shorten them.
    std::uint8_t ConnectionMode() const { return FConnectionMode; }
    void SetConnectionMode(std::uint8_t mode); // 0 local, 1 serial + TCP server, 2 TCP client
    bool SduMode() const { return FSduMode; }
    void SetSduMode(bool on);
    std::uint32_t Timeout = kLocalTimeoutMs;
    int InitialiseWaitMs = 500;
    int ChangeVfoPauseMs = 20;
    int SetBankPauseMs = 2000;
    bool CT5000 = false;
    bool DS8000 = false;
    bool BankSwitchDisabled = false;
    bool PadFString = false;
    std::int32_t FirmwareID = 0;
    QString RemoteHost;
    quint16 ServerPort = 1024;
    quint16 ClientPort = 1024;
    bool PollRx = false;
    bool StepAdjustChecked = false; // the main window's step-adjust box, read by SetStep
    int PollInterval() const { return FPollTimer.interval(); }

    // The main window's sockets, borrowed for network sharing.
    void SetClientSocket(QTcpSocket* socket);
    void SetServerSocket(TRelayServer* server);

    // Events: single-handler hooks; assigning replaces, assigning {} unhooks.
    std::function<void(const QString& line)> OnRxLine;
    std::function<void(const QString& line)> OnTxLine;
    std::function<void(const TRxDat& rec)> OnSignalLevel;
    std::function<void(const TRxDat& rec)> OnVfoData;
    std::function<void(const TRxDat& rec)> OnFrequency;
    std::function<void(int bank)> OnSearchBank;
    std::function<void(const TPassDat& pass)> OnPassFrequency;
    std::function<void(int channel)> OnMemoryChannel;
    std::function<void(TAR5000* driver)> OnAttenuator;
    std::function<void(const QString& text)> OnErrorMessage;

    // Link.
    void FSetPort(bool open);
    bool Connected() const;
    bool Remote() const { return FRemote; }
    void UnRemote();
    void DoClientSocketConnect(bool open);
    void Initialise();

    // Framing. A command that would not fit in one line with its line end is not sent: cut
    // short, it would lose its CR LF and run into the next command.
    void SendCommand(const QString& text);
    void SendCommandUpper(const QString& text);
    void StepUp();
    void StepDown();
    // Why `text` cannot be sent as one command line, or nothing when it can. Over the network
    // the server may add the SDU prefix, so the client leaves room for it.
    std::optional<QString> RefuseCommand(const QString& text) const;

    // Polling and flags.
    void FSetTimerStatus(bool on);
    bool TimerStatus() const { return FPollTimer.isActive(); }
    void ResetFlags();
    const TReplyFlags& Flags() const { return FFlags; }
    // Bytes dropped from the front of received lines as line noise, since the driver was made.
    quint64 NoiseBytesDropped() const { return FNoiseBytes; }

    // Receiving.
    void FRxData();
    void ClientSocketRead();
    void FProcessDataStr(const QString& line);
    // A line a network client sent to this server: the tuning bytes step, any other line goes
    // to the receiver as a command once cleaned of control bytes.
    void CommandFromClient(const QByteArray& line);

    // Reply state.
    const TRxDat& CurrentRecord() const { return FRxDat; }
    const TMAArray& MemoryBlock() const { return FBlock; }
    int MemoryBlockCount() const { return FBlockCount; }
    const TSearchList& CurrentSearchList() const { return FSearchList; }
    const TPassDat& CurrentPass() const { return FPass; }
    const TScanGroupDat& ScanGroup() const { return FScanGroup; }
    const TSearchGroupDat& SearchGroup() const { return FSearchGroup; }
    QString Version() const { return FVersion; }
    int MemoryBank() const { return FBank; }
    QString LevelSquelchText() const { return FLevelSquelch; }
    QString VoiceSquelchText() const { return FVoiceSquelch; }
    QString DelayText() const { return FDelay; }
    bool CyberScanOn() const { return FCyberScan; }
    int AutoStoreState() const { return FAutoStore; }
    bool AfcOn() const { return FAfc; }
    bool NoiseBlankerOn() const { return FNoiseBlanker; }
    bool DtmfOutputOn() const { return FDtmfOutput; }
    bool ScanLinkOn() const { return FScanLink; }

    // Conversions (reported through OnErrorMessage).
    int StrToIntSafe(const QString& text) const { return FParser.StrToIntSafe(text); }
    double StrToFloatSafe(const QString& text) const { return FParser.StrToFloatSafe(text); }
    QString FormatHz(double mhz);
    // MHz 0 uses the current record's frequency.
    bool LevelToSUnits(int level, double mhz, TSUnits& result) const;

    // Synchronous requests.
    bool GetRx(TRxDat& rec);
    bool SetVfo(QChar letter, TRxDat& rec);
    bool GetExtraVfoData(TRxDat& rec);
    bool GetMA(TMAArray& block);
    bool GetGM(TScanGroupDat& group);
    bool GetGS(TSearchGroupDat& group);
    bool GetSearchList(int bank, TSearchList& list);
    QString GetVersion();
    QString GetLM();
    int GetDB(bool* plusSign = nullptr);
    int GetDA(bool* plusSign = nullptr);
    int GetDD();
    bool GetDS();
    int GetBN();
    int GetASt();
    bool GetAF();
    bool GetNB();

    // Setters: out-of-range arguments send nothing.
    void SetFrequency(QChar letter, double mhz);
    void SetStep(double kHz);
    void SetSubStep(int n);
    void SetMode(int n);
    void SetBandwidth(int n);
    void SetAutoMode(int n);
    void SetAntenna(int n);
    void SetAttenuator(int n);
    void SetAgc(int n);
    void SetHighPass(int n);
    void SetLowPass(int n);
    void SetDeEmphasis(int n);
    void SetCtcss(int n);
    void SetDescrambler(int n);
    void SetAfc(bool on);
    void SetNoiseBlanker(bool on);
    void SetVolume(int n);
    void SetSquelch(int n);
    void ChangeVfo(QChar letter);
    void SetLevelOutput(bool on);
    void PowerOff();
    void RecallMemory(int channel);
    void MemoryRead();
    void DeleteMemory();
    void ClearMemoryBank(int hundred);
    void WriteMemory(const TRxDat& rec);
    void SetMemoryPass(int n);
    void SetSelectScan(int n);
    void ClearAllSelectScan();
    void SetBank(int n);
    void SetAutoStore(int n);
    void StartMemoryScan(int n);
    void StartSelectScan();
    void SetScanGroup(int n);
    void SetSearchGroup(int n);
    void SetScanMode(int n);
    void SetScanLink(int n);
    void SetSearchLink(int n);
    void SetScanDelay(int n);
    void SetSearchDelay(int n);
    void SetScanLevel(int n);
    void SetSearchLevel(int n);
    void SetScanVoice(int n);
    void SetSearchVoice(int n);
    void SetScanPause(int n);
    void SetSearchPause(int n);
    void SetScanLinkBanks(const QString& banks);
    void SetSearchLinkBanks(const QString& banks);
    void StartSearch(int bank);
    void DeleteSearchBank(int bank);
    void WriteSearchBank(const TSearchList& list, int bandwidth);
    void SetVfoSearch(QChar letter);
    void SetLevelSquelch(int n);
    void SetVoiceSquelch(int n);
    void SetDelay(int n);
    void SetCyberScan(int n);
    void SetDtmfOutput(int n);
    void ReadPassList(int bank);
    void AddPass(double mhz);
    void DeletePass(int bank, int index);
    void DeletePassBank(int bank);

    // Reports `text` as Algorithm 10 of the engine does: flags reset, poll timer stopped, then
    // OnErrorMessage.
    void ReportError(const QString& text);
    // True while a synchronous request waits for its reply: a second caller must not start one.
    bool Waiting() const { return !FWaits.isEmpty(); }

Q_SIGNALS:
    // The link ended without being closed here: the serial device went away while open (an
    // adapter pulled, the far end closed), or the server's connection ended (the server closed
    // its port or went away, or the network failed).
    void LinkLost();
    // Every received line and trace text, as OnRxLine gets it, for windows that listen while
    // another keeps the hook (the DTMF window beside the comms monitor).
    void RxLine(const QString& line);

private:
    struct TWait;

    // The one place that waits: runs the event loop until `done` holds or the time passes.
    bool WaitUntil(const std::function<bool()>& done, int timeoutMs);
    bool WaitUntil(const std::function<bool()>& done);
    bool WaitFlag(bool& flag, const QString& message);
    void WakeWaiters();
    bool LinkIdle() const;
    // Blocks for the receiver's time to act on the command just sent, counted from when the
    // command has left the port rather than from when it was queued.
    void Pause(int ms);
    void FlushOutput();
    void Trace(const QString& text);
    void SendSingleByte(char byte);
    void RelayToClient(const QByteArray& line);
    void ApplyTimeout();
    void Dispatch(const QString& line);
    void SendExtraQueries(bool withCtcss);
    void SendIfValid(const std::optional<QString>& command);
    void SendIfConnected(const QString& command);
    bool SingleValueQuery(bool& pending, const QString& command, const QString& refusedText,
                          const QString& dataTimeout);
    bool RunRequest(bool& busy, bool refused, const QString& name, const QString& startTimeout,
                    bool& pending, const QString& dataTimeout, const std::function<void()>& send);
    void PollTimer();
    void HandleSerialError();
    void EndPendingRequests();
    void QueueClientRead();
    void HandleClientStateChanged();
    void TakeServerMessage(const QByteArray& line);
    void ProcessBlockLine(const QString& line);
    void AppendReceived(QByteArray& buffer, const QByteArray& bytes);

    TSerial* FSerial;
    QTimer FPollTimer;
    QPointer<QTcpSocket> FClientSocket;
    QPointer<TRelayServer> FServer;
    TReplyParser FParser;

    std::uint8_t FConnectionMode = 0;
    bool FSduMode = false;
    bool FRemote = false;
    QByteArray FReceiveBuffer;
    QByteArray FClientBuffer;
    bool FClientLinkOpen = false; // connected by DoClientSocketConnect and not closed since
    bool FClientReadQueued = false;
    bool FServerEndsLines = false; // this server has ended a message with a line end
    bool FOverflowReported = false;
    quint64 FLinesDispatched = 0;
    quint64 FNoiseBytes = 0;
    QElapsedTimer FLevelRequestedAt;
    int FBlockFailures = 0;

    TReplyFlags FFlags;
    TRxDat FRxDat;
    TMAArray FBlock{};
    int FBlockCount = 0;
    TSearchList FSearchList;
    TPassDat FPass;
    TScanGroupDat FScanGroup;
    TSearchGroupDat FSearchGroup;
    QString FVersion;
    int FBank = 0;
    QString FLevelSquelch;
    QString FVoiceSquelch;
    QString FDelay;
    bool FCyberScan = false;
    int FAutoStore = 0;
    bool FAfc = false;
    bool FNoiseBlanker = false;
    bool FDtmfOutput = false;
    bool FScanLink = false;

    bool GetRxBusy = false;
    bool GetExtraVfoDataBusy = false;
    bool SetVfoBusy = false;
    bool GetMABusy = false;
    bool GetGMBusy = false;
    bool GetGSBusy = false;
    bool GetSearchListBusy = false;
    QList<TWait*> FWaits;
};
