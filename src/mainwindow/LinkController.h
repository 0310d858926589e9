#pragma once

#include <QObject>
#include <QPointer>

class QAction;
class QCheckBox;
class QPushButton;
class QStatusBar;
class QLabel;
class QTcpSocket;
class TAR5000;
class TMainForm;
struct TSettings;

// The controls the link opens up and closes down.
struct TLinkWidgets {
    QPushButton* OpenPortButton = nullptr;
    QPushButton* ToggleRemoteSpeedButton = nullptr;
    QPushButton* PowerOffButton = nullptr;
    QCheckBox* TimerCheckBox = nullptr;
    QCheckBox* FreqUpdateCheckBox = nullptr;
    QCheckBox* PriorityCheckBox1 = nullptr;
    QAction* SetBaudRate1 = nullptr;
    QAction* SpecAnalyser1 = nullptr;
    QAction* Longtermsignallog1 = nullptr;
    QAction* mnuIARUBeacons1 = nullptr;
    QAction* GetDTMFMenuIItem = nullptr;
    QLabel* StatusPanels[3] = {nullptr, nullptr, nullptr};
};

// Opens and closes the receiver link from the main window's "&Open Port" button, keeps the
// status panels and the link's controls in step, and serves the network sharing sockets.
class TLinkController : public QObject {
    Q_OBJECT

public:
    TLinkController(TMainForm* form, TAR5000* driver, TSettings& settings,
                    const TLinkWidgets& widgets);

    void OpenPortButtonClick();
    void ToggleRemoteSpeedButtonClick();
    void PowerOffButtonClick();
    // The controls and status panels of a closed link.
    void ApplyClosedState();
    // The serial port's rate and port from the settings (texts that name nothing leave them).
    void ApplySerialSettings();
    void ShowPortInStatusBar();
    // A device the serial port opens instead of the configured one (the built-in simulator);
    // empty returns to the settings.
    void SetDeviceOverride(const QString& device);

Q_SIGNALS:
    // The link has opened and the panel may read the receiver (squelch settings, all VFOs,
    // the memory table of the receiver's bank).
    void LinkOpened();
    // The link is about to close, or has just closed by powering the receiver off: save what
    // belongs to the open link.
    void LinkClosing();
    void LinkClosed();

private:
    void OpenLink();
    void CloseLink();
    void ApplyOpenState();
    void HandleLinkLost();

    TMainForm* FForm;
    TAR5000* FDriver;
    TSettings& FSettings;
    TLinkWidgets FWidgets;
    QString FDeviceOverride;
    bool FClosing = false;
};
