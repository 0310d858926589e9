#pragma once

#include "RunFlags.h"
#include "Settings.h"
#include "WindowLinks.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>

class QAction;
class QCheckBox;
class QLabel;
class QPushButton;
class QStatusBar;
class QTabWidget;
class QTcpSocket;
class TAR5000;
class TLinkController;
class TMainSheet;
class TSignalDisplayController;
class TSignalPanel;
class TRelayServer;
class TRigctlController;

// The main window: builds the controls, owns the receiver driver and the network sockets, and
// holds only the rules that cross features (closing, the at-exit settings, message routing).
// Each feature's logic lives in a controller of its own.
class TMainForm : public QMainWindow {
    Q_OBJECT

public:
    explicit TMainForm(TSettings& settings, QWidget* parent = nullptr);
    ~TMainForm() override;

    TAR5000* Driver() const { return FDriver; }
    TSettings& Settings() { return FSettings; }
    TLinkController* Link() const { return FLink; }
    TRelayServer* TheServerSocket() const { return FServer; }
    QTcpSocket* TheClientSocket() const { return FClientSocket; }
    TRunFlags& RunFlags() { return FRunFlags; }
    // The Main page and its controllers (VFO panel, tuning and keys, squelch, page changes).
    TMainSheet* MainSheet() const { return FMainSheet; }
    // The signal display, which also tells every level report's squelch state.
    TSignalDisplayController* SignalDisplay() const { return FSignalDisplay; }
    // The network rig-control endpoint.
    TRigctlController* Rigctl() const { return FRigctl; }
    // The memory window as the Main page sees it; TNoMemoryWindow until one is set.
    TMemoryWindowLink& MemoryWindow() const { return *FMemoryWindow; }
    void SetMemoryWindowLink(std::unique_ptr<TMemoryWindowLink> link);

    // Where messages are shown (the messages window's AddMessage); set by the application.
    // Messages from before there was a sink (the settings file read while the window is made)
    // are held, and go to the sink when it is set.
    std::function<void(const QString& text)> MessageSink;
    void SetMessageSink(std::function<void(const QString& text)> sink);
    // The messages window, then the follow-ups: a client closes its link when the server
    // closed, a server relays the message to its client, and level polling stops.
    void ReportMessage(const QString& text);
    void AddMessage(const QString& text);

    // Reads the start-up keys and applies them to the driver and the window.
    void LoadSettings();
    // Writes the keys marked for exit; false (after a message box) when the file refused.
    bool SaveSettings();
    // Applies the options the comms dialog edits, after it was accepted.
    void ApplyCommsSettings();

    // The start position: 10 pixels from the top and from the right edge of the screen.
    QPoint DefaultPosition() const;
    void ApplyServerAddresses();

Q_SIGNALS:
    void ViewMessagesRequested();
    void ViewCommsRequested();
    void CommsDialogRequested();
    // Setup, "Colours": the table colours dialog, which works on the memory window.
    void ColoursRequested();
    // Pop-up hints switched on or off by the user.
    void HintsSwitched(bool shown);
    // Before the at-exit settings are written: windows that keep their own settings save them.
    void SavingSettings();
    // The window has agreed to close: the program ends with it, whatever else is open.
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenus();
    void BuildPages();
    void BuildStatusBar();
    void BuildSignalDisplay();
    void ShowVersion();
    bool CloseQuery();
    void WireNetwork();

    TSettings& FSettings;
    TAR5000* FDriver;
    TRelayServer* FServer;
    QTcpSocket* FClientSocket;
    TLinkController* FLink = nullptr;
    TRunFlags FRunFlags;
    std::unique_ptr<TMemoryWindowLink> FMemoryWindow = std::make_unique<TNoMemoryWindow>();
    TMainSheet* FMainSheet = nullptr;

    QTabWidget* FPageControl = nullptr;
    QAction* FSdu = nullptr;
    TSignalPanel* FSignalPanel = nullptr;
    TSignalDisplayController* FSignalDisplay = nullptr;
    TRigctlController* FRigctl = nullptr;
    QAction* FHints = nullptr;
    QStringList FHeldMessages;
};
