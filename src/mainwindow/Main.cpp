#include "Main.h"

#include "AR5000.h"
#include "FormPlacement.h"
#include "HelpContext.h"
#include "HelpFile.h"
#include "IniFile.h"
#include "LinkController.h"
#include "MainSheet.h"
#include "ProgramFolder.h"
#include "Prompt.h"
#include "RelayServer.h"
#include "RigctlController.h"
#include "SignalDisplay.h"
#include "SignalPanel.h"
#include "TuningController.h"
#include "VfoPanelController.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTcpSocket>

using namespace Qt::StringLiterals;

namespace {

constexpr int kClientWidth = 204;
constexpr int kClientHeight = 554;
constexpr int kClientMode = 2;
constexpr int kServerMode = 1;

QAction* AddAction(QMenu* menu, const QString& objectName, const QString& caption,
                   const QString& hint = {}) {
    auto* action = menu->addAction(caption);
    action->setObjectName(objectName);
    if (!hint.isEmpty())
        action->setStatusTip(hint);
    return action;
}

} // namespace

TMainForm::TMainForm(TSettings& settings, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint |
                              Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
    , FSettings(settings)
    , FDriver(new TAR5000(this))
    , FServer(new TRelayServer(this))
    , FClientSocket(new QTcpSocket(this)) {
    setObjectName(u"MainForm"_s);
    setWindowTitle(u"Kovela"_s);
    FDriver->SetClientSocket(FClientSocket);
    FDriver->SetServerSocket(FServer);
    FDriver->OnErrorMessage = [this](const QString& text) {
        ReportMessage(text);
    };

    BuildMenus();
    BuildStatusBar();
    BuildPages();
    FRigctl = new TRigctlController(*this, this);
    setFixedSize(kClientWidth,
                 kClientHeight + menuBar()->sizeHint().height() + statusBar()->sizeHint().height());
    move(DefaultPosition());
    LoadSettings();
    FLink->ApplyClosedState();
    ApplyHelpContexts(this);
}

TMainForm::~TMainForm() {
    // The driver reports through this window: it must not outlive what it reports to.
    FDriver->OnErrorMessage = {};
    FDriver->OnVfoData = {};
}

void TMainForm::SetMemoryWindowLink(std::unique_ptr<TMemoryWindowLink> link) {
    FMemoryWindow = link ? std::move(link) : std::make_unique<TNoMemoryWindow>();
}

QPoint TMainForm::DefaultPosition() const {
    const QScreen* screen = QApplication::primaryScreen();
    const int screenWidth = screen ? screen->availableGeometry().width() : 1024;
    return {screenWidth - frameGeometry().width() - 10, 10};
}

void TMainForm::BuildMenus() {
    QMenu* file = menuBar()->addMenu(u"&File"_s);
    AddAction(file, u"SpecAnalyser1"_s, u"Spec Analyser"_s)->setEnabled(false);
    // The scales library works these items; the page rules reach the submenu by its item's name.
    QMenu* scales = file->addMenu(u"Tuning Scales..."_s);
    scales->setObjectName(u"TuningScalesMenu"_s);
    scales->menuAction()->setObjectName(u"TuningScales1"_s);
    AddAction(scales, u"NewEdit1"_s, u"New/Edit"_s);
    AddAction(scales, u"Use1"_s, u"Use"_s);
    file->addSeparator();
    QAction* exit = AddAction(file, u"FileExitItem"_s, u"E&xit"_s, u"Exit this application"_s);
    connect(exit, &QAction::triggered, this, &QWidget::close);

    QMenu* setup = menuBar()->addMenu(u"&Setup"_s);
    QAction* comms = AddAction(setup, u"SetBaudRate1"_s, u"Set &Comms Rate/Port"_s);
    connect(comms, &QAction::triggered, this, &TMainForm::CommsDialogRequested);
    FSdu = AddAction(setup, u"SDU1"_s, u"SDU5500 Pass Thru Mode"_s,
                     u"Do not set without SDU5500 in line"_s);
    FSdu->setCheckable(true);
    connect(FSdu, &QAction::toggled, this, [this](bool on) {
        FSettings.SDUPassThru = on;
        FDriver->SetSduMode(on);
        if (auto* toggle = findChild<QPushButton*>(u"ToggleRemoteSpeedButton"_s))
            toggle->setEnabled(!on);
    });
    // The question comes after the item has toggled: the flag it set is only read when the next
    // command goes out, so taking it back here sends nothing the user did not agree to.
    connect(FSdu, &QAction::triggered, this, [this](bool on) {
        if (on && !Prompt().Confirm(u"SDU5500 Pass Thru Mode"_s,
                                    u"Only set this option if connected via SDU-5500\r\n"
                                    u"Experimental code use with care\r\n"
                                    u"Not recommended for major memory operations"_s))
            FSdu->setChecked(false);
    });
    // The companion programs' controller (made by the application) works these.
    AddAction(setup, u"LinkToQd3"_s, u"Link To Qd3"_s)->setCheckable(true);
    AddAction(setup, u"LinkToKv7Agent"_s, u"Link To Kv7Agent"_s)->setCheckable(true);
    AddAction(setup, u"StartKv7Grabber1"_s, u"Start Kv7 Grabber"_s);
    connect(AddAction(setup, u"Colours1"_s, u"Co&lours"_s), &QAction::triggered, this,
            &TMainForm::ColoursRequested);
    FHints = AddAction(setup, u"HintsOff1"_s, u"Hints Off"_s);
    FHints->setCheckable(true);
    connect(FHints, &QAction::triggered, this, [this](bool shown) {
        FSettings.Hints = shown ? u"On"_s : u"Off"_s;
        FHints->setText(shown ? u"Hints Off"_s : u"Hints On"_s);
        TIniFile ini(SettingsFileName());
        if (!ini.WriteString(u"Settings"_s, u"Hints"_s, FSettings.Hints))
            AddMessage(ini.ErrorText());
        Q_EMIT HintsSwitched(shown);
    });

    QMenu* tools = menuBar()->addMenu(u"&Tools"_s);
    connect(AddAction(tools, u"ViewMessagesMenuItem"_s, u"View Messages"_s), &QAction::triggered,
            this, &TMainForm::ViewMessagesRequested);
    connect(AddAction(tools, u"ViewCommsMenuItem"_s, u"View Comms"_s), &QAction::triggered, this,
            &TMainForm::ViewCommsRequested);
    tools->addSeparator()->setObjectName(u"N2MenuItem"_s);
    AddAction(tools, u"GetDTMFMenuIItem"_s, u"Get DTMF"_s)->setEnabled(false);
    AddAction(tools, u"Longtermsignallog1"_s, u"Long term signal log..."_s)->setEnabled(false);
    AddAction(tools, u"mnuIARUBeacons1"_s, u"IARU Beacons"_s)->setEnabled(false);
    AddAction(tools, u"Clock1"_s, u"Clock"_s)->setCheckable(true);

    QMenu* help = menuBar()->addMenu(u"&Help"_s);
    connect(AddAction(help, u"Contents1"_s, u"&Contents"_s), &QAction::triggered, this,
            [this] { ShowHelpContext(windowTitle(), 0); });
    connect(AddAction(help, u"Var1"_s, u"AR5000 &Version Info"_s), &QAction::triggered, this,
            &TMainForm::ShowVersion);
    connect(AddAction(help, u"OnlineCheckVersion1"_s, u"Online check version..."_s),
            &QAction::triggered, this,
            [this] { OnlineCheckVersion(windowTitle(), QCoreApplication::applicationVersion()); });
}

void TMainForm::BuildPages() {
    FPageControl = new QTabWidget(this);
    FPageControl->setObjectName(u"PageControl1"_s);
    FPageControl->setTabPosition(QTabWidget::South);
    // Four tabs across a window 204 pixels wide: small type, no scroll arrows.
    QFont tabFont = FPageControl->tabBar()->font();
    tabFont.setPointSizeF(tabFont.pointSizeF() * 0.85);
    FPageControl->tabBar()->setFont(tabFont);
    FPageControl->setUsesScrollButtons(false);
    FPageControl->tabBar()->setElideMode(Qt::ElideNone);
    FPageControl->setStyleSheet(u"QTabBar::tab { padding: 2px 4px; }"_s);
    const std::pair<const char16_t*, const char16_t*> pages[] = {{u"MainSheet", u"Main"},
                                                                 {u"MemSheet", u"Mem Scan"},
                                                                 {u"FSearchSheet", u"F Search"},
                                                                 {u"PrioritySheet", u"Priority"}};
    for (const auto& [name, caption] : pages) {
        auto* page = new QWidget(FPageControl);
        page->setObjectName(QString::fromUtf16(name));
        FPageControl->addTab(page, QString::fromUtf16(caption));
    }
    setCentralWidget(FPageControl);

    FMainSheet = new TMainSheet(
        FPageControl, FDriver, FRunFlags, FMemoryWindow,
        [this](const QString& text) { ReportMessage(text); },
        [this](const QString& text) { AddMessage(text); }, this);
    const TMainSheetWidgets& sheet = FMainSheet->Widgets();
    TLinkWidgets widgets;
    widgets.TimerCheckBox = sheet.TimerCheckBox;
    widgets.FreqUpdateCheckBox = sheet.FreqUpdateCheckBox;
    widgets.PriorityCheckBox1 = sheet.PriorityCheckBox1;
    widgets.OpenPortButton = sheet.OpenPortButton;
    widgets.ToggleRemoteSpeedButton = sheet.ToggleRemoteSpeedButton;
    widgets.PowerOffButton = sheet.PowerOffButton;
    BuildSignalDisplay();

    widgets.SetBaudRate1 = findChild<QAction*>(u"SetBaudRate1"_s);
    widgets.SpecAnalyser1 = findChild<QAction*>(u"SpecAnalyser1"_s);
    widgets.Longtermsignallog1 = findChild<QAction*>(u"Longtermsignallog1"_s);
    widgets.mnuIARUBeacons1 = findChild<QAction*>(u"mnuIARUBeacons1"_s);
    widgets.GetDTMFMenuIItem = findChild<QAction*>(u"GetDTMFMenuIItem"_s);
    for (int panel = 0; panel < 3; ++panel)
        widgets.StatusPanels[panel] = findChild<QLabel*>(u"StatusPanel%1"_s.arg(panel));
    FLink = new TLinkController(this, FDriver, FSettings, widgets);
    FMainSheet->ConnectLink(FLink);
}

void TMainForm::BuildSignalDisplay() {
    const TMainSheetWidgets& sheet = FMainSheet->Widgets();
    FSignalPanel = new TSignalPanel();
    FMainSheet->PlaceSignalPanel(FSignalPanel);
    FSignalDisplay = new TSignalDisplayController(FDriver, FSignalPanel, sheet.TimerCheckBox,
                                                  sheet.FreqUpdateCheckBox, this);
    FSignalDisplay->Hook(); // the level and attenuator events stay with the display all run
    TVfoPanelController* vfo = FMainSheet->VfoPanel();
    FSignalDisplay->CurrentVfoLetter = [vfo] {
        return vfo->CurrentLetter();
    };
    connect(FSignalDisplay, &TSignalDisplayController::SquelchStateChanged, vfo,
            &TVfoPanelController::ShowSquelchClosed);
    connect(FSignalDisplay, &TSignalDisplayController::FrequencyFollowed, vfo,
            &TVfoPanelController::ShowFollowedFrequency);
    connect(FMainSheet->Tuning(), &TTuningController::MeterToggleRequested, FSignalDisplay,
            &TSignalDisplayController::MeterToggle);
    connect(
        FSignalDisplay, &TSignalDisplayController::ErrorMessage, this,
        [this](const QString& text) { ReportMessage(text + u"\r\nAppliction.OnException."_s); });
}

void TMainForm::BuildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(u"StatusBar1"_s);
    bar->setSizeGripEnabled(false);
    const int widths[] = {70, 65, 50};
    for (int panel = 0; panel < 3; ++panel) {
        auto* label = new QLabel(bar);
        label->setObjectName(u"StatusPanel%1"_s.arg(panel));
        label->setMinimumWidth(widths[panel]);
        bar->addWidget(label, panel == 2 ? 1 : 0);
    }
}

void TMainForm::LoadSettings() {
    TIniFile ini(SettingsFileName());
    if (!ini.ErrorText().isEmpty())
        AddMessage(ini.ErrorText());
    FSettings.Load(ini);
    for (const QString& message : FSettings.MendColours())
        AddMessage(message);

    FDriver->BankSwitchDisabled = FSettings.BankSwitchDisabled;
    FDriver->SetConnectionMode(static_cast<std::uint8_t>(FSettings.Status));
    FDriver->RemoteHost = FSettings.RemoteHost;
    FSignalPanel->LoadCheckMarks(FSettings);
    FDriver->PadFString = FSettings.PadFString;
    FDriver->FirmwareID = FSettings.FirmwareID;
    FDriver->ServerPort = static_cast<quint16>(FSettings.ServerPort);
    FDriver->ClientPort = static_cast<quint16>(FSettings.ClientPort);
    ApplyServerAddresses();
    if (FSettings.SaveRestoreMainFormPosition) {
        const QPoint start = DefaultPosition();
        RestoreFormPlacement(this, start.x(), start.y(), ini);
    }
    FDriver->CT5000 = FSettings.CT5000;
    FDriver->DS8000 = FSettings.DS8000;
    FMainSheet->VfoPanel()->ShowOptionUnits(FSettings.CT5000, FSettings.DS8000);
    FSdu->setChecked(FSettings.SDUPassThru);
    FDriver->SetSduMode(FSettings.SDUPassThru);
    FHints->setChecked(FSettings.HintsShown());
    FHints->setText(FSettings.HintsShown() ? u"Hints Off"_s : u"Hints On"_s);
    FLink->ApplySerialSettings();
    if (FSettings.AlwaysOnTop)
        setWindowFlag(Qt::WindowStaysOnTopHint, true);
    if (auto* powerOff = findChild<QPushButton*>(u"PowerOffButton"_s))
        powerOff->setEnabled(FSettings.Status != kClientMode);
}

void TMainForm::ApplyCommsSettings() {
    FDriver->CT5000 = FSettings.CT5000;
    FDriver->DS8000 = FSettings.DS8000;
    FMainSheet->VfoPanel()->ShowOptionUnits(FSettings.CT5000, FSettings.DS8000);
    FDriver->BankSwitchDisabled = FSettings.BankSwitchDisabled;
    FDriver->PadFString = FSettings.PadFString;
    FDriver->FirmwareID = FSettings.FirmwareID;
    FDriver->SetConnectionMode(static_cast<std::uint8_t>(FSettings.Status));
    // The dialog empties the host unless the client mode is chosen; the driver keeps its own.
    if (!FSettings.RemoteHost.isEmpty())
        FDriver->RemoteHost = FSettings.RemoteHost;
    FDriver->ServerPort = static_cast<quint16>(FSettings.ServerPort);
    FDriver->ClientPort = static_cast<quint16>(FSettings.ClientPort);
    ApplyServerAddresses();
    FRigctl->ApplySettings();
    FLink->ApplySerialSettings();
    FLink->ShowPortInStatusBar();
    setWindowFlag(Qt::WindowStaysOnTopHint, FSettings.AlwaysOnTop);
    if (auto* powerOff = findChild<QPushButton*>(u"PowerOffButton"_s))
        powerOff->setEnabled(FSettings.Status != kClientMode);
    if (FSettings.SaveRestoreMainFormPosition) {
        TIniFile ini(SettingsFileName());
        SaveFormPlacement(this, ini);
    }
    show(); // changing the stay-on-top flag hides a shown window
}

void TMainForm::ApplyServerAddresses() {
    // A mistyped address must not widen who may connect: it is reported, and admits nobody.
    if (!FServer->SetListenAddress(FSettings.ListenAddress))
        AddMessage(u"ListenAddress \"%1\" is not an address: the server will not start"_s.arg(
            FSettings.ListenAddress));
    for (const QString& entry : FServer->SetAllowedClients(FSettings.AllowedClients))
        AddMessage(u"AllowedClients entry \"%1\" is not an address"_s.arg(entry));
}

bool TMainForm::SaveSettings() {
    Q_EMIT SavingSettings();
    FSettings.SDUPassThru = FSdu->isChecked();
    FSignalPanel->SaveCheckMarks(FSettings);
    FSettings.PadFString = FDriver->PadFString;
    TIniFile ini(SettingsFileName());
    bool saved = FSettings.SaveAtExit(ini);
    if (saved && FSettings.SaveRestoreMainFormPosition)
        SaveFormPlacement(this, ini);
    if (!saved)
        Prompt().Error(windowTitle(), ini.ErrorText());
    return saved;
}

void TMainForm::SetMessageSink(std::function<void(const QString& text)> sink) {
    MessageSink = std::move(sink);
    if (!MessageSink)
        return;
    for (const QString& held : std::exchange(FHeldMessages, {}))
        MessageSink(held);
}

void TMainForm::AddMessage(const QString& text) {
    if (!MessageSink) {
        FHeldMessages << text;
        return;
    }
    for (const QString& held : std::exchange(FHeldMessages, {}))
        MessageSink(held);
    MessageSink(text);
}

void TMainForm::ReportMessage(const QString& text) {
    AddMessage(text);
    if (FDriver->ConnectionMode() == kClientMode && text.contains(u"Server Closed Port"_s) &&
        FDriver->Connected())
        FLink->OpenPortButtonClick();
    if (FDriver->ConnectionMode() == kServerMode)
        FServer->SendMessage(text);
    if (auto* signal = findChild<QCheckBox*>(u"TimerCheckBox"_s))
        signal->setChecked(false);
}

void TMainForm::ShowVersion() {
    ReportMessage(FDriver->GetVersion());
}

bool TMainForm::CloseQuery() {
    bool allowed = true;
    const auto* priority = findChild<QCheckBox*>(u"PriorityCheckBox1"_s);
    const auto* signal = findChild<QCheckBox*>(u"TimerCheckBox"_s);
    if (FRunFlags.ScanRunning || FRunFlags.SearchRunning || FRunFlags.SelectScanRunning) {
        ReportMessage(u"Stop Scan First"_s);
        allowed = false;
    } else if (priority && priority->isChecked()) {
        ReportMessage(u"Cancel Priority First"_s);
        allowed = false;
    } else if (FDriver->ConnectionMode() == kClientMode && signal && signal->isChecked()) {
        ReportMessage(u"Please Cancel Sig Strength [F11] before closing, to avoid Server "
                      u"Network error."_s);
        Prompt().Beep();
        allowed = false;
    }
    // Written whether or not closing was allowed: nothing the user set is lost to a refusal.
    SaveSettings();
    return allowed;
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (!CloseQuery()) {
        event->ignore();
        return;
    }
    if (FDriver->Connected())
        FLink->OpenPortButtonClick();
    event->accept();
    Q_EMIT Closed();
}
