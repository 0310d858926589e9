#pragma once

#include "CompanionLink.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>

class QAbstractButton;
class QAction;
class QShortcut;
class TMainForm;

// The main window's side of the companion programs: the Setup items and btnQd3, the frequency
// shown passed on to the spectrum display and the agent, tune requests from a companion, the
// recorder's commands and status, and what happens to them at exit. Made by the application;
// the main window does not know it.
class TCompanionController : public QObject {
    Q_OBJECT

public:
    // The text the status bar shows for each recorder status code; empty for codes without one.
    static QString RecorderStatusText(std::uint32_t code);

    TCompanionController(TMainForm& main, const QString& programFolder, QObject* parent = nullptr);
    ~TCompanionController() override;

    TCompanionLink& Link(TCompanion companion) const;
    // Whether Ctrl is held when an item is worked; replaceable so tests can hold it.
    std::function<bool()> CtrlHeld;
    // Whether a VFO search is running (the agent then hears every frequency); none by default.
    std::function<bool()> VfoSearchRunning;

    void LinkToQd3Click();
    void LinkToKv7AgentClick();
    void StartKv7Grabber1Click();
    // The call sign on the air in the beacon window, to the spectrum display when linked.
    void SendCallSign(const QString& callSign);
    // The frequency display's hook: passes what is shown to the linked companions.
    void FrequencyShown(double mhz);
    // A scan stop: the agent hears the channel's memory text when there is one, else the
    // frequency.
    void ScanHitLocated(const QString& memoryText, double mhz);
    // A priority channel held: as a scan stop, but only when its frequency is not the one the
    // agent heard last.
    void PriorityChannelHeld(const QString& memoryText, double mhz);
    // Ctrl+T: the spectrum display comes to the front and is given the keystroke; then this
    // window is brought back.
    void SendCtrlTToQd3();

    // Finds or starts the recorder; true when it is known afterwards.
    bool ConnectRecorder();
    bool RecorderLinked() const;
    // Lost when the recorder is not linked.
    void PostRecorderCommand(std::uint32_t code);
    // The position the recorder reported last with status 10.
    std::uint32_t LoggedPosition() const { return FLoggedPosition; }
    // Waits for the recorder to report the position asked for; on a time-out, or when the
    // recorder goes away meanwhile, says so and gives nullopt.
    std::optional<std::uint32_t> AwaitLoggedPosition(int timeoutMs);
    double AgentLastFrequency() const { return FAgentLastFrequency; }

    // What the main window does at exit: the recorder hears that the program closes, a linked
    // spectrum display is closed.
    void ProgramClosing();

Q_SIGNALS:
    // The spectrum display was linked or unlinked (by the user or by itself).
    void Qd3LinkChanged(bool linked);
    // The recorder ended the recording (status 7, 11, 13): the recording state is reset.
    void RecordingEnded();
    void RecorderStatus(std::uint32_t code, std::uint32_t value);

private:
    void FrameFromCompanion(const TCompanionFrame& frame);
    void TuneRequest(const TCompanionFrame& frame);
    void ShowRecorderStatus(const TCompanionFrame& frame);
    void SetQd3Linked(bool linked);
    // Sends the current VFO display's frequency (or the memory text to the agent).
    void SendShownFrequency(TCompanion companion);
    void SendFrequency(TCompanion companion, double mhz);
    // The memory text when there is one, else the frequency.
    void TellAgent(const QString& memoryText, double mhz);
    bool FindOrStart(TCompanion companion);
    int ModeIndex() const;
    bool MainPageShowing() const;
    bool PriorityWatching() const;
    QString Refusal() const;

    TMainForm& FMain;
    std::unique_ptr<TCompanionLink> FLinks[4];
    QAction* FLinkToQd3 = nullptr;
    QAction* FLinkToKv7Agent = nullptr;
    QAbstractButton* FBtnQd3 = nullptr;
    QPointer<QShortcut> FCtrlT;
    double FAgentLastFrequency = 0.0;
    std::uint32_t FLoggedPosition = 0;
};
