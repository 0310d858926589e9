#pragma once

#include "HelpContext.h"
#include <QDialog>
#include <QString>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QStatusBar;
class QToolButton;
struct TSettings;

// The comms dialog: serial port and rate, fitted options, network mode and a few general options.
// Its controls start from `settings` as they are at construction: make one for each showing. Set
// copies them back into `settings`, writes the keys the dialog edits to the settings file and
// accepts; Cancel leaves both untouched.
//
// Applying the accepted settings (serial port, driver, main window, message log) is the caller's
// work after exec() returns Accepted. RemoteHost holds the server edit's text in client mode and
// is empty otherwise; an empty RemoteHost must leave the driver's RemoteHost as it is.
class TBaudRateForm : public QDialog {
    Q_OBJECT

public:
    static constexpr int kNetworkHelpContext = HelpContextFor(u"BaudRateForm", u"SpeedButton1");
    static constexpr int kFirmwareHelpContext = HelpContextFor(u"BaudRateForm", u"SpeedButton2");

    explicit TBaudRateForm(TSettings& settings, QWidget* parent = nullptr);

    // The HTML help file the help buttons open, with the help context as the fragment
    // ("Kv7Help.html#1008"). Defaults to "Kv7Help.html" in the program folder.
    QString HelpFile() const { return FHelpFile; }
    void SetHelpFile(const QString& fileName) { FHelpFile = fileName; }

    // The ComPort setting for the port box's text: "Com N" for a number 1..14, else the text as
    // typed (a device path); `previous` when the box is empty.
    static QString ComPortSetting(const QString& text, const QString& previous);

private:
    enum TNetworkOption { kNone = 0, kServer = 1, kClient = 2 };

    void BuildControls();
    void LoadControls();
    void ArrangeNetworkControls();
    void UpdateStatusBar();
    void SetButtonClick();
    // The listen address and the client list of a server are addresses; else says which is
    // not, puts the focus there and returns false.
    bool AddressesAccepted(QLineEdit* listen, QLineEdit* allowed);
    void ShowHelp(int context);

    TSettings& FSettings;
    QString FHelpFile;
    // What the server edit shows in client mode, kept while another option is selected.
    QString FClientHost;
    int FShownOption = -1; // none arranged yet

    QButtonGroup* FBaudRates;
    QButtonGroup* FNetOptions;
    QComboBox* cbComPort;
    QCheckBox* CT5000CheckBox;
    QCheckBox* DS8000CheckBox;
    QCheckBox* BankSwitchDisabledCheckBox;
    QLabel* LabelServerName;
    QLineEdit* EditServerIP;
    QLabel* lblServerPort;
    QLineEdit* edServerPort;
    QLabel* lblClientPort;
    QLineEdit* edClientPort;
    QLabel* LabelListenAddress;
    QLineEdit* EditListenAddress;
    QLabel* LabelAllowedClients;
    QLineEdit* EditAllowedClients;
    QCheckBox* CheckBoxLogMessagesToFile;
    QCheckBox* CheckBoxWavFiles16Bit;
    QCheckBox* CheckBoxPadFString;
    QCheckBox* CheckBoxLaterFirmware;
    QCheckBox* CheckBoxAlwaysOnTop;
    QCheckBox* cbAutoconnect;
    QCheckBox* cbSaveRestoreMainFormPosition;
    QCheckBox* CheckBoxRigctl;
    QLineEdit* edRigctlPort;
    QLineEdit* EditRigctlListenAddress;
    QLineEdit* EditRigctlAllowedClients;
    QToolButton* SpeedButton1;
    QToolButton* SpeedButton2;
    QStatusBar* StatusBar1;
};
