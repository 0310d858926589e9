#include "LinkController.h"

#include "AR5000.h"
#include "ClosingMessageForm.h"
#include "Main.h"
#include "Prompt.h"
#include "RelayServer.h"
#include "Settings.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QEventLoop>
#include <QLabel>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTcpSocket>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

constexpr int kClientMode = 2;
constexpr int kServerMode = 1;

// An hourglass for as long as the handler runs, on every way out.
class TWaitCursor {
public:
    TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};

constexpr int kPowerOffPauseMs = 100;

// A pause that keeps the window alive: timers, replies and painting go on meanwhile. The driver's
// own wait helper is for requests; this one only waits out a fixed time.
void WaitWithEvents(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

TLinkController::TLinkController(TMainForm* form, TAR5000* driver, TSettings& settings,
                                 const TLinkWidgets& widgets)
    : QObject(form)
    , FForm(form)
    , FDriver(driver)
    , FSettings(settings)
    , FWidgets(widgets) {
    connect(FWidgets.OpenPortButton, &QPushButton::clicked, this,
            &TLinkController::OpenPortButtonClick);
    connect(FWidgets.ToggleRemoteSpeedButton, &QPushButton::clicked, this,
            &TLinkController::ToggleRemoteSpeedButtonClick);
    connect(FWidgets.PowerOffButton, &QPushButton::clicked, this,
            &TLinkController::PowerOffButtonClick);
    connect(FDriver, &TAR5000::LinkLost, this, &TLinkController::HandleLinkLost);

    TRelayServer* server = FForm->TheServerSocket();
    connect(server, &TRelayServer::ClientConnected, this, [this](QTcpSocket* client) {
        FForm->ReportMessage(client->peerAddress().toString() + u" Connected"_s);
    });
    connect(server, &TRelayServer::ClientRefused, this, [this](QTcpSocket* client) {
        FForm->ReportMessage(u"Connection refused to "_s + client->peerAddress().toString() +
                             u"\r\nClient already connected"_s);
    });
    connect(server, &TRelayServer::ClientDisconnected, this, [this](QTcpSocket* client) {
        FForm->ReportMessage(client->peerAddress().toString() + u" Disconnected"_s);
    });
    connect(server, &TRelayServer::Notice, FForm, &TMainForm::ReportMessage);
    connect(FForm->TheClientSocket(), &QTcpSocket::errorOccurred, this, [this] {
        FForm->ReportMessage(FForm->TheClientSocket()->errorString() + u" Client Socket Error"_s);
    });
}

void TLinkController::SetDeviceOverride(const QString& device) {
    FDeviceOverride = device;
    ApplySerialSettings();
}

void TLinkController::ApplySerialSettings() {
    TSerial* serial = FDriver->Serial();
    if (const int rate = FSettings.BaudRateValue())
        serial->SetBaudrate(rate);
    if (!FDeviceOverride.isEmpty()) {
        serial->SetPortName(FDeviceOverride);
        return;
    }
    if (const QString device = FSettings.ComPortDevice(); !device.isEmpty()) {
        serial->SetPortName(device);
    } else if (const int port = FSettings.ComPortNumber()) {
        serial->SetPortName({});
        serial->SetPort(static_cast<std::uint8_t>(port));
    }
}

void TLinkController::ShowPortInStatusBar() {
    if (FDriver->ConnectionMode() == kClientMode) {
        FWidgets.StatusPanels[1]->setText(FDriver->Connected() ? u"Server:"_s : QString());
        FWidgets.StatusPanels[2]->setText(FDriver->Connected() ? FDriver->RemoteHost : QString());
        return;
    }
    const TSerial* serial = FDriver->Serial();
    FWidgets.StatusPanels[1]->setText(QString::number(serial->Baudrate()));
    // A device path is too long for the panel: shown without "/dev/", the hint has it whole.
    const QString device = serial->PortName();
    QString shown = device.startsWith(u"/dev/"_s) ? device.mid(5) : device;
    FWidgets.StatusPanels[2]->setText(device.isEmpty() ? u"Com %1"_s.arg(serial->Port()) : shown);
    FWidgets.StatusPanels[2]->setToolTip(device);
}

void TLinkController::OpenPortButtonClick() {
    if (FDriver->Connected())
        CloseLink();
    else
        OpenLink();
}

void TLinkController::OpenLink() {
    const TWaitCursor waitCursor;
    FDriver->FSetPort(true);
    if (!FDriver->Connected()) {
        FForm->ReportMessage(u"AR5000 not found"_s);
        ApplyClosedState();
        if (FDriver->ConnectionMode() == kClientMode)
            FForm->ReportMessage(u"Could not Connect to, or did not find Server"_s);
        return;
    }
    ApplyOpenState();
    Q_EMIT LinkOpened();
    if (FWidgets.SpecAnalyser1)
        FWidgets.SpecAnalyser1->setEnabled(FDriver->Connected());
}

void TLinkController::CloseLink() {
    if (FWidgets.PriorityCheckBox1->isChecked()) {
        FForm->ReportMessage(u"Cancel Priority First"_s);
        return;
    }
    if (FWidgets.SpecAnalyser1)
        FWidgets.SpecAnalyser1->setEnabled(false);
    if (FDriver->ConnectionMode() == kClientMode && FWidgets.TimerCheckBox->isChecked()) {
        FForm->ReportMessage(u"Please Cancel Sig Strength [F11] before closing, to avoid "
                             u"Server Network error."_s);
        Prompt().Beep();
        return;
    }
    const TWaitCursor waitCursor;
    // The link may drop while it is being closed; closing sees it through.
    const QScopedValueRollback closingGuard(FClosing, true);
    if (FDriver->ConnectionMode() == kServerMode &&
        FForm->TheServerSocket()->ActiveConnections() > 0)
        FForm->ReportMessage(u"Server Closed Port"_s);

    TClosingMessageForm closing(FForm);
    closing.ShowAndPaint();
    Q_EMIT LinkClosing();
    // A client leaves the receiver in remote mode: its owner at the server is still using it.
    if (FDriver->ConnectionMode() != kClientMode && !FDriver->SduMode() && FDriver->Remote() &&
        FDriver->Connected())
        FDriver->UnRemote();
    FDriver->FSetPort(false);
    ApplyClosedState();
    Q_EMIT LinkClosed();
}

void TLinkController::ApplyOpenState() {
    FWidgets.SetBaudRate1->setEnabled(false);
    FWidgets.OpenPortButton->setText(u"Cl&ose Port"_s);
    FWidgets.StatusPanels[0]->setText(u"Port Open"_s);
    ShowPortInStatusBar();
    for (QWidget* control : {static_cast<QWidget*>(FWidgets.TimerCheckBox),
                             static_cast<QWidget*>(FWidgets.FreqUpdateCheckBox),
                             static_cast<QWidget*>(FWidgets.PriorityCheckBox1)})
        control->setEnabled(true);
    for (QAction* action :
         {FWidgets.Longtermsignallog1, FWidgets.mnuIARUBeacons1, FWidgets.GetDTMFMenuIItem}) {
        if (action)
            action->setEnabled(true);
    }
}

void TLinkController::ApplyClosedState() {
    FWidgets.SetBaudRate1->setEnabled(true);
    FWidgets.StatusPanels[0]->setText(u"Port Closed"_s);
    ShowPortInStatusBar();
    FWidgets.OpenPortButton->setText(u"&Open Port"_s);
    FWidgets.TimerCheckBox->setChecked(false);
    FWidgets.TimerCheckBox->setEnabled(false);
    FWidgets.FreqUpdateCheckBox->setEnabled(false);
    FWidgets.PriorityCheckBox1->setEnabled(false);
    for (QAction* action : {FWidgets.Longtermsignallog1, FWidgets.mnuIARUBeacons1,
                            FWidgets.SpecAnalyser1, FWidgets.GetDTMFMenuIItem}) {
        if (action)
            action->setEnabled(false);
    }
}

void TLinkController::HandleLinkLost() {
    if (FClosing)
        return;
    // The driver or the socket may already have said why, but a server that just went away
    // says nothing: the client is told its link is closed.
    if (FDriver->ConnectionMode() == kClientMode)
        FForm->ReportMessage(u"Connection to the server "_s + FDriver->RemoteHost +
                             u" lost: port closed"_s);
    // Closed as fully as by the user: what is kept at closing (squelch, scan bank, priority
    // channels) is kept now too.
    Q_EMIT LinkClosing();
    ApplyClosedState();
    if (FDriver->ConnectionMode() == kServerMode)
        FForm->TheServerSocket()->Stop();
    Q_EMIT LinkClosed();
}

void TLinkController::ToggleRemoteSpeedButtonClick() {
    FWidgets.TimerCheckBox->setChecked(false);
    FDriver->UnRemote();
}

void TLinkController::PowerOffButtonClick() {
    if (!FDriver->Connected())
        return;
    if (FDriver->ConnectionMode() == kClientMode) {
        FForm->AddMessage(u"Cannot power off a remote receiver"_s);
        return;
    }
    if (FWidgets.PriorityCheckBox1->isChecked()) {
        FForm->ReportMessage(u"Cancel Priority First"_s);
        return;
    }
    FWidgets.TimerCheckBox->setChecked(false);
    {
        TClosingMessageForm closing(FForm);
        closing.ShowAndPaint();
        // Lets the last poll's reply arrive before the receiver goes silent.
        WaitWithEvents(kPowerOffPauseMs);
        FDriver->PowerOff();
        FDriver->FSetPort(false);
    }
    if (FDriver->Connected()) {
        FForm->ReportMessage(u"Failed to close Port"_s);
        return;
    }
    ApplyClosedState();
    Q_EMIT LinkClosing();
    Q_EMIT LinkClosed();
}
