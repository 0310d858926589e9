#include "BaudRateForm.h"

#include "HelpContext.h"
#include "HelpFile.h"
#include "IniFile.h"
#include "ProgramFolder.h"
#include "Prompt.h"
#include "RelayServer.h"
#include "Settings.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSerialPortInfo>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <array>

using namespace Qt::StringLiterals;

namespace {

constexpr int kPortCount = 14;
constexpr std::array<QStringView, 3> kBaudRates{u"4800", u"9600", u"19200"};
constexpr std::array<QStringView, 3> kNetOptionCaptions{u"None use Serial Port", u"Server",
                                                        u"Client"};
// Every TCP port fits in five digits; four would cut a stored 10245 to 1024 without a word.
constexpr int kPortDigits = 5;
constexpr int kHighestPort = 65535;

QCheckBox* MakeCheckBox(QWidget* parent, const QString& name, const QString& caption,
                        const QString& hint = {}) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    box->setToolTip(hint);
    return box;
}

QLineEdit* MakePortEdit(QWidget* parent, const QString& name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setMaxLength(kPortDigits);
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(u"[0-9]{0,5}"_s), edit));
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(u"00000000"_s));
    return edit;
}

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& caption, QWidget* buddy) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setBuddy(buddy);
    return label;
}

QToolButton* MakeHelpButton(QWidget* parent, const QString& name, const QString& hint) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setText(u"?"_s);
    button->setToolTip(hint);
    return button;
}

// Hidden network controls keep their room, so the dialog does not jump when the option changes.
void KeepRoomWhenHidden(QWidget* widget) {
    QSizePolicy policy = widget->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    widget->setSizePolicy(policy);
}

int PortFromEdit(const QLineEdit* edit, int previous) {
    bool ok = false;
    const int port = edit->text().toInt(&ok);
    return ok ? port : previous;
}

// A port the socket cannot use; an empty edit keeps the stored port.
bool PortOutOfRange(const QLineEdit* edit) {
    bool ok = false;
    const int port = edit->text().toInt(&ok);
    return ok && (port < 1 || port > kHighestPort);
}

} // namespace

TBaudRateForm::TBaudRateForm(TSettings& settings, QWidget* parent)
    : QDialog(parent)
    , FSettings(settings)
    , FHelpFile(HelpFileName()) {
    setObjectName(u"BaudRateForm"_s);
    setWindowTitle(u"AR5000 Set Baud Rate"_s);
    BuildControls();
    LoadControls();
    ApplyHelpContexts(this);
}

QString TBaudRateForm::ComPortSetting(const QString& text, const QString& previous) {
    const QString port = text.trimmed();
    if (port.isEmpty())
        return previous;
    bool isNumber = false;
    const int number = port.toInt(&isNumber);
    if (isNumber && number >= 1 && number <= kPortCount)
        return TSettings::ComPortText(number);
    return port;
}

void TBaudRateForm::BuildControls() {
    auto* rateGroup = new QGroupBox(u"Comms Rate"_s, this);
    rateGroup->setObjectName(u"BaudRateGroup"_s);
    FBaudRates = new QButtonGroup(this);
    auto* rateLayout = new QVBoxLayout(rateGroup);
    for (int i = 0; i < static_cast<int>(kBaudRates.size()); ++i) {
        auto* radio =
            new QRadioButton(kBaudRates[static_cast<std::size_t>(i)].toString(), rateGroup);
        FBaudRates->addButton(radio, i);
        rateLayout->addWidget(radio);
    }
    rateLayout->addStretch(1);

    auto* portGroup = new QGroupBox(u"Com Port"_s, this);
    portGroup->setObjectName(u"ComPortGroup"_s);
    cbComPort = new QComboBox(portGroup);
    cbComPort->setObjectName(u"cbComPort"_s);
    cbComPort->setEditable(true);
    cbComPort->setInsertPolicy(QComboBox::NoInsert);
    cbComPort->setToolTip(u"Port 1 to 14 (COM1 to COM14 on Windows), or a serial device"_s);
    for (int port = 1; port <= kPortCount; ++port)
        cbComPort->addItem(QString::number(port));
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        if (cbComPort->findText(info.systemLocation()) < 0)
            cbComPort->addItem(info.systemLocation());
    }
    cbComPort->setMinimumContentsLength(12);
    cbComPort->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    auto* portLayout = new QVBoxLayout(portGroup);
    portLayout->addWidget(cbComPort);
    portLayout->addStretch(1);

    auto* fittedGroup = new QGroupBox(u"Fitted Options"_s, this);
    fittedGroup->setObjectName(u"FittedOptionsGroup"_s);
    CT5000CheckBox = MakeCheckBox(fittedGroup, u"CT5000CheckBox"_s, u"CT5000"_s);
    DS8000CheckBox = MakeCheckBox(fittedGroup, u"DS8000CheckBox"_s, u"DS8000"_s);
    auto* fittedLayout = new QVBoxLayout(fittedGroup);
    fittedLayout->addWidget(CT5000CheckBox);
    fittedLayout->addWidget(DS8000CheckBox);
    fittedLayout->addStretch(1);

    BankSwitchDisabledCheckBox = MakeCheckBox(this, u"BankSwitchDisabledCheckBox"_s,
                                              u"Disable 2nd Bank of 1000 Mems (early AR5000)"_s);

    auto* netGroup = new QGroupBox(u"Network Options"_s, this);
    netGroup->setObjectName(u"RadioGroupNetOptions"_s);
    FNetOptions = new QButtonGroup(this);
    auto* netRadios = new QVBoxLayout;
    for (int i = 0; i < static_cast<int>(kNetOptionCaptions.size()); ++i) {
        auto* radio =
            new QRadioButton(kNetOptionCaptions[static_cast<std::size_t>(i)].toString(), netGroup);
        FNetOptions->addButton(radio, i);
        netRadios->addWidget(radio);
    }
    netRadios->addStretch(1);
    EditServerIP = new QLineEdit(netGroup);
    EditServerIP->setObjectName(u"EditServerIP"_s);
    LabelServerName =
        MakeLabel(netGroup, u"LabelServerName"_s, u"Server Name or IP Address"_s, EditServerIP);
    edServerPort = MakePortEdit(netGroup, u"edServerPort"_s);
    lblServerPort = MakeLabel(netGroup, u"lblServerPort"_s, u"Server Port"_s, edServerPort);
    edClientPort = MakePortEdit(netGroup, u"edClientPort"_s);
    lblClientPort = MakeLabel(netGroup, u"lblClientPort"_s, u"Client Port"_s, edClientPort);
    EditListenAddress = new QLineEdit(netGroup);
    EditListenAddress->setObjectName(u"EditListenAddress"_s);
    EditListenAddress->setPlaceholderText(u"every address"_s);
    LabelListenAddress =
        MakeLabel(netGroup, u"LabelListenAddress"_s, u"Listen on"_s, EditListenAddress);
    EditAllowedClients = new QLineEdit(netGroup);
    EditAllowedClients->setObjectName(u"EditAllowedClients"_s);
    EditAllowedClients->setPlaceholderText(u"every client"_s);
    EditAllowedClients->setToolTip(u"Client IP addresses, separated by commas"_s);
    LabelAllowedClients =
        MakeLabel(netGroup, u"LabelAllowedClients"_s, u"Allowed clients"_s, EditAllowedClients);
    SpeedButton1 = MakeHelpButton(netGroup, u"SpeedButton1"_s, u"Network Connection Help"_s);
    // Only one of the two port rows shows at a time, so they share a row of the grid.
    auto* serverGrid = new QGridLayout;
    serverGrid->addWidget(LabelServerName, 0, 0, 1, 2);
    serverGrid->addWidget(EditServerIP, 1, 0, 1, 2);
    serverGrid->addWidget(lblServerPort, 2, 0);
    serverGrid->addWidget(edServerPort, 2, 1, Qt::AlignLeft);
    serverGrid->addWidget(lblClientPort, 2, 0);
    serverGrid->addWidget(edClientPort, 2, 1, Qt::AlignLeft);
    serverGrid->addWidget(LabelListenAddress, 3, 0);
    serverGrid->addWidget(EditListenAddress, 3, 1);
    serverGrid->addWidget(LabelAllowedClients, 4, 0);
    serverGrid->addWidget(EditAllowedClients, 4, 1);
    serverGrid->setColumnStretch(1, 1);
    serverGrid->setRowStretch(5, 1);
    for (QWidget* widget :
         {static_cast<QWidget*>(LabelServerName), static_cast<QWidget*>(EditServerIP),
          static_cast<QWidget*>(lblServerPort), static_cast<QWidget*>(edServerPort),
          static_cast<QWidget*>(lblClientPort), static_cast<QWidget*>(edClientPort),
          static_cast<QWidget*>(LabelListenAddress), static_cast<QWidget*>(EditListenAddress),
          static_cast<QWidget*>(LabelAllowedClients), static_cast<QWidget*>(EditAllowedClients)})
        KeepRoomWhenHidden(widget);
    auto* netLayout = new QHBoxLayout(netGroup);
    netLayout->addLayout(netRadios);
    netLayout->addSpacing(12);
    netLayout->addLayout(serverGrid, 1);
    netLayout->addWidget(SpeedButton1, 0, Qt::AlignTop);

    auto* optionsGroup = new QGroupBox(u"Options"_s, this);
    optionsGroup->setObjectName(u"OptionsGroup"_s);
    CheckBoxLogMessagesToFile =
        MakeCheckBox(optionsGroup, u"CheckBoxLogMessagesToFile"_s, u"Log messages to file"_s);
    CheckBoxWavFiles16Bit =
        MakeCheckBox(optionsGroup, u"CheckBoxWavFiles16Bit"_s, u"16 bit Wav files"_s);
    CheckBoxPadFString =
        MakeCheckBox(optionsGroup, u"CheckBoxPadFString"_s, u"Pad spaces into Frequency string"_s);
    CheckBoxLaterFirmware = MakeCheckBox(
        optionsGroup, u"CheckBoxLaterFirmware"_s, u"Later Firmware"_s,
        u"Receivers with the later firmware take a whole memory channel, PASS flag included, "
        u"in one command. Untick for early firmware, which also adds a button to put scan hits "
        u"into the select scan list."_s);
    SpeedButton2 = MakeHelpButton(optionsGroup, u"SpeedButton2"_s, u"Later Firmware Help"_s);
    CheckBoxAlwaysOnTop =
        MakeCheckBox(optionsGroup, u"CheckBoxAlwaysOnTop"_s, u"Main Form Always On Top"_s,
                     u"You will need to restart Kv7 after changing this"_s);
    cbAutoconnect = MakeCheckBox(optionsGroup, u"cbAutoconnect"_s, u"Auto Connect at Start"_s,
                                 u"Attempt to connect to AR5000 at start up"_s);
    cbSaveRestoreMainFormPosition = MakeCheckBox(optionsGroup, u"cbSaveRestoreMainFormPosition"_s,
                                                 u"Save Restore Main Form Position"_s);
    auto* firmwareRow = new QHBoxLayout;
    firmwareRow->addWidget(CheckBoxLaterFirmware);
    firmwareRow->addWidget(SpeedButton2);
    firmwareRow->addStretch(1);
    auto* optionsLayout = new QGridLayout(optionsGroup);
    optionsLayout->addWidget(CheckBoxLogMessagesToFile, 0, 0);
    optionsLayout->addWidget(CheckBoxWavFiles16Bit, 1, 0);
    optionsLayout->addWidget(CheckBoxPadFString, 2, 0);
    optionsLayout->addLayout(firmwareRow, 3, 0);
    optionsLayout->addWidget(CheckBoxAlwaysOnTop, 0, 1);
    optionsLayout->addWidget(cbAutoconnect, 1, 1);
    optionsLayout->addWidget(cbSaveRestoreMainFormPosition, 2, 1);
    optionsLayout->setHorizontalSpacing(24);

    auto* rigctlGroup = new QGroupBox(u"Hamlib Rig Control"_s, this);
    rigctlGroup->setObjectName(u"RigctlGroup"_s);
    CheckBoxRigctl = MakeCheckBox(
        rigctlGroup, u"CheckBoxRigctl"_s, u"Answer Hamlib network clients while connected"_s,
        u"Programs using Hamlib's network rig (rigctl -m 2) can read and set frequency, mode, "
        u"VFO and squelch, and read the signal strength"_s);
    edRigctlPort = MakePortEdit(rigctlGroup, u"edRigctlPort"_s);
    EditRigctlListenAddress = new QLineEdit(rigctlGroup);
    EditRigctlListenAddress->setObjectName(u"EditRigctlListenAddress"_s);
    EditRigctlListenAddress->setPlaceholderText(u"every address"_s);
    EditRigctlAllowedClients = new QLineEdit(rigctlGroup);
    EditRigctlAllowedClients->setObjectName(u"EditRigctlAllowedClients"_s);
    EditRigctlAllowedClients->setPlaceholderText(u"every client"_s);
    EditRigctlAllowedClients->setToolTip(u"Client IP addresses, separated by commas"_s);
    auto* rigctlLayout = new QGridLayout(rigctlGroup);
    rigctlLayout->addWidget(CheckBoxRigctl, 0, 0, 1, 4);
    rigctlLayout->addWidget(MakeLabel(rigctlGroup, u"lblRigctlPort"_s, u"Port"_s, edRigctlPort), 1,
                            0);
    rigctlLayout->addWidget(edRigctlPort, 1, 1, Qt::AlignLeft);
    rigctlLayout->addWidget(MakeLabel(rigctlGroup, u"LabelRigctlListenAddress"_s, u"Listen on"_s,
                                      EditRigctlListenAddress),
                            1, 2);
    rigctlLayout->addWidget(EditRigctlListenAddress, 1, 3);
    rigctlLayout->addWidget(MakeLabel(rigctlGroup, u"LabelRigctlAllowedClients"_s,
                                      u"Allowed clients"_s, EditRigctlAllowedClients),
                            2, 0, 1, 2);
    rigctlLayout->addWidget(EditRigctlAllowedClients, 2, 2, 1, 2);
    rigctlLayout->setColumnStretch(3, 1);

    auto* setButton = new QPushButton(u"Set"_s, this);
    setButton->setObjectName(u"SetButton"_s);
    setButton->setDefault(true);
    auto* cancelButton = new QPushButton(u"Cancel"_s, this);
    cancelButton->setObjectName(u"CancelButton"_s);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(setButton);
    buttonRow->addWidget(cancelButton);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(u"StatusBar1"_s);
    StatusBar1->setSizeGripEnabled(false);

    auto* topRow = new QHBoxLayout;
    topRow->addWidget(rateGroup);
    topRow->addWidget(portGroup, 1);
    topRow->addWidget(fittedGroup);
    auto* content = new QVBoxLayout;
    content->setContentsMargins(9, 9, 9, 9);
    content->addLayout(topRow);
    content->addWidget(BankSwitchDisabledCheckBox);
    content->addWidget(netGroup);
    content->addWidget(optionsGroup);
    content->addWidget(rigctlGroup);
    content->addSpacing(6);
    content->addLayout(buttonRow);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    outer->addLayout(content, 1);
    outer->addWidget(StatusBar1);

    QWidget* order[] = {FBaudRates->button(0),
                        FBaudRates->button(1),
                        FBaudRates->button(2),
                        cbComPort,
                        CT5000CheckBox,
                        DS8000CheckBox,
                        BankSwitchDisabledCheckBox,
                        FNetOptions->button(0),
                        FNetOptions->button(1),
                        FNetOptions->button(2),
                        EditServerIP,
                        edServerPort,
                        edClientPort,
                        EditListenAddress,
                        EditAllowedClients,
                        SpeedButton1,
                        CheckBoxLogMessagesToFile,
                        CheckBoxWavFiles16Bit,
                        CheckBoxPadFString,
                        CheckBoxLaterFirmware,
                        SpeedButton2,
                        CheckBoxAlwaysOnTop,
                        cbAutoconnect,
                        cbSaveRestoreMainFormPosition,
                        CheckBoxRigctl,
                        edRigctlPort,
                        EditRigctlListenAddress,
                        EditRigctlAllowedClients,
                        setButton,
                        cancelButton};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(FNetOptions, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked)
            ArrangeNetworkControls();
    });
    connect(CheckBoxLogMessagesToFile, &QCheckBox::toggled, this, &TBaudRateForm::UpdateStatusBar);
    connect(setButton, &QPushButton::clicked, this, &TBaudRateForm::SetButtonClick);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(SpeedButton1, &QToolButton::clicked, this, [this] { ShowHelp(kNetworkHelpContext); });
    connect(SpeedButton2, &QToolButton::clicked, this, [this] { ShowHelp(kFirmwareHelpContext); });
}

void TBaudRateForm::LoadControls() {
    for (std::size_t i = 0; i < kBaudRates.size(); ++i) {
        if (FSettings.BaudRate == kBaudRates[i])
            FBaudRates->button(static_cast<int>(i))->setChecked(true);
    }
    if (const int port = FSettings.ComPortNumber(); port > 0)
        cbComPort->setCurrentIndex(port - 1);
    else
        cbComPort->setCurrentText(FSettings.ComPort);
    CT5000CheckBox->setChecked(FSettings.CT5000);
    DS8000CheckBox->setChecked(FSettings.DS8000);
    BankSwitchDisabledCheckBox->setChecked(FSettings.BankSwitchDisabled);
    edServerPort->setText(QString::number(FSettings.ServerPort));
    edClientPort->setText(QString::number(FSettings.ClientPort));
    EditListenAddress->setText(FSettings.ListenAddress);
    EditAllowedClients->setText(FSettings.AllowedClients);
    CheckBoxLogMessagesToFile->setChecked(FSettings.LogErrors);
    CheckBoxWavFiles16Bit->setChecked(FSettings.WavFiles16Bit);
    CheckBoxPadFString->setChecked(FSettings.PadFString);
    CheckBoxLaterFirmware->setChecked(FSettings.FirmwareID != 0);
    CheckBoxAlwaysOnTop->setChecked(FSettings.AlwaysOnTop);
    cbAutoconnect->setChecked(FSettings.AutoConnect);
    cbSaveRestoreMainFormPosition->setChecked(FSettings.SaveRestoreMainFormPosition);
    CheckBoxRigctl->setChecked(FSettings.RigctlEnabled);
    edRigctlPort->setText(QString::number(FSettings.RigctlPort));
    EditRigctlListenAddress->setText(FSettings.RigctlListenAddress);
    EditRigctlAllowedClients->setText(FSettings.RigctlAllowedClients);

    FClientHost = FSettings.RemoteHost;
    QAbstractButton* option = FNetOptions->button(FSettings.Status);
    (option ? option : FNetOptions->button(kNone))->setChecked(true);
    ArrangeNetworkControls();
    UpdateStatusBar();
}

void TBaudRateForm::ArrangeNetworkControls() {
    const int option = FNetOptions->checkedId();
    if (option == FShownOption)
        return;
    if (FShownOption == kClient)
        FClientHost = EditServerIP->text();
    const bool server = option == kServer;
    const bool client = option == kClient;
    LabelServerName->setVisible(server || client);
    EditServerIP->setVisible(server || client);
    EditServerIP->setReadOnly(!client);
    // A read-only edit looks editable in most styles; the window colour tells it apart.
    QPalette hostPalette = palette();
    if (!client)
        hostPalette.setColor(QPalette::Base, hostPalette.color(QPalette::Window));
    EditServerIP->setPalette(hostPalette);
    EditServerIP->setText(server ? u"LocalHost"_s : client ? FClientHost : QString());
    lblServerPort->setVisible(server);
    edServerPort->setVisible(server);
    lblClientPort->setVisible(client);
    edClientPort->setVisible(client);
    for (QWidget* serverOnly :
         {static_cast<QWidget*>(LabelListenAddress), static_cast<QWidget*>(EditListenAddress),
          static_cast<QWidget*>(LabelAllowedClients), static_cast<QWidget*>(EditAllowedClients)})
        serverOnly->setVisible(server);
    FShownOption = option;
}

void TBaudRateForm::UpdateStatusBar() {
    if (CheckBoxLogMessagesToFile->isChecked())
        StatusBar1->showMessage(ProgramFile(u"Kv7Message.log"_s));
    else
        StatusBar1->clearMessage();
}

void TBaudRateForm::SetButtonClick() {
    const int option = FNetOptions->checkedId();
    const QString host = EditServerIP->text().trimmed();
    if (option == kClient && host.isEmpty()) {
        Prompt().Error(windowTitle(),
                       u"Please supply a host name or IP address for the target server"_s);
        EditServerIP->setFocus();
        return;
    }
    const bool rigctl = CheckBoxRigctl->isChecked();
    if ((option == kServer && !AddressesAccepted(EditListenAddress, EditAllowedClients)) ||
        (rigctl && !AddressesAccepted(EditRigctlListenAddress, EditRigctlAllowedClients)))
        return;
    for (QLineEdit* edit : {edServerPort, edClientPort, edRigctlPort}) {
        const bool used = edit == edRigctlPort ? rigctl : edit->isVisibleTo(this);
        if (used && PortOutOfRange(edit)) {
            Prompt().Error(windowTitle(), u"A port is a number from 1 to %1"_s.arg(kHighestPort));
            edit->setFocus();
            return;
        }
    }

    TSettings updated = FSettings;
    if (const int rate = FBaudRates->checkedId(); rate >= 0)
        updated.BaudRate = kBaudRates[static_cast<std::size_t>(rate)].toString();
    updated.ComPort = ComPortSetting(cbComPort->currentText(), FSettings.ComPort);
    updated.CT5000 = CT5000CheckBox->isChecked();
    updated.DS8000 = DS8000CheckBox->isChecked();
    updated.BankSwitchDisabled = BankSwitchDisabledCheckBox->isChecked();
    updated.Status = option;
    updated.RemoteHost = option == kClient ? host : QString();
    updated.ServerPort = PortFromEdit(edServerPort, FSettings.ServerPort);
    updated.ClientPort = PortFromEdit(edClientPort, FSettings.ClientPort);
    updated.ListenAddress = EditListenAddress->text().trimmed();
    updated.AllowedClients = EditAllowedClients->text().trimmed();
    updated.LogErrors = CheckBoxLogMessagesToFile->isChecked();
    updated.WavFiles16Bit = CheckBoxWavFiles16Bit->isChecked();
    updated.PadFString = CheckBoxPadFString->isChecked();
    updated.FirmwareID = CheckBoxLaterFirmware->isChecked() ? 1 : 0;
    updated.AlwaysOnTop = CheckBoxAlwaysOnTop->isChecked();
    updated.AutoConnect = cbAutoconnect->isChecked();
    updated.SaveRestoreMainFormPosition = cbSaveRestoreMainFormPosition->isChecked();
    updated.RigctlEnabled = rigctl;
    updated.RigctlPort = PortFromEdit(edRigctlPort, FSettings.RigctlPort);
    updated.RigctlListenAddress = EditRigctlListenAddress->text().trimmed();
    updated.RigctlAllowedClients = EditRigctlAllowedClients->text().trimmed();

    TIniFile ini(SettingsFileName());
    if (!updated.SaveCommsDialog(ini)) {
        Prompt().Error(windowTitle(), u"The settings could not be written to %1.\n%2"_s.arg(
                                          ini.FileName(), ini.ErrorText()));
        return;
    }
    FSettings = updated;
    accept();
}

bool TBaudRateForm::AddressesAccepted(QLineEdit* listen, QLineEdit* allowed) {
    // A mistyped address would keep a server down or shut out the one client meant.
    const QString listenText = listen->text().trimmed();
    if (TRelayServer::ListenAddressFrom(listenText).isNull()) {
        Prompt().Error(windowTitle(),
                       u"\"%1\" is not an IP address to listen on"_s.arg(listenText));
        listen->setFocus();
        return false;
    }
    QStringList invalid;
    TRelayServer::ClientAddressesFrom(allowed->text(), &invalid);
    if (!invalid.isEmpty()) {
        Prompt().Error(windowTitle(),
                       u"\"%1\" is not an IP address of a client"_s.arg(invalid.first()));
        allowed->setFocus();
        return false;
    }
    return true;
}

void TBaudRateForm::ShowHelp(int context) {
    ShowHelpContext(windowTitle(), context, FHelpFile);
}
