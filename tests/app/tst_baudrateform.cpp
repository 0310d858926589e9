// The comms dialog: network arrangement, the client refusal, what Set writes and Cancel keeps,
// the port edits and the port box, the status bar and the help buttons.
#include "BaudRateForm.h"
#include "support/ScriptedPrompt.h"

#include "IniFile.h"
#include "ProgramFolder.h"
#include "Settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

template <typename T> T* Find(const QWidget& dialog, const QString& name) {
    T* found = dialog.findChild<T*>(name);
    if (!found)
        qFatal("no control %s", qPrintable(name));
    return found;
}

QRadioButton* Radio(const QWidget& dialog, const QString& group, const QString& caption) {
    for (QRadioButton* radio : Find<QGroupBox>(dialog, group)->findChildren<QRadioButton*>()) {
        if (radio->text() == caption)
            return radio;
    }
    qFatal("no radio button %s", qPrintable(caption));
}

QRadioButton* NetOption(const QWidget& dialog, const QString& caption) {
    return Radio(dialog, u"RadioGroupNetOptions"_s, caption);
}

void TypeInto(QLineEdit* edit, const QString& text) {
    edit->clear();
    QTest::keyClicks(edit, text);
}

QString Ini(const QString& section, const QString& key) {
    return TIniFile(SettingsFileName()).ReadString(section, key, u"(missing)"_s);
}

} // namespace

class TUrlRecorder : public QObject {
    Q_OBJECT

public:
    QList<QUrl> Opened;

public Q_SLOTS:
    void Open(const QUrl& url) { Opened.append(url); }
};

class TestBaudRateForm : public QObject {
    Q_OBJECT

    QTemporaryDir FHome;
    TScriptedPrompt* FPrompt = nullptr;

    // Set was refused with `error`: the dialog stays open and nothing was written.
    void VerifyRefused(const TBaudRateForm& dialog, const QString& error) const {
        QCOMPARE(FPrompt->Errors, QStringList{error});
        QVERIFY(dialog.isVisible());
        QVERIFY(!QFile::exists(SettingsFileName()));
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(FHome.isValid());
        qputenv("KOVELA_HOME", QFile::encodeName(FHome.path()));
    }

    void init() {
        auto prompt = std::make_unique<TScriptedPrompt>();
        FPrompt = prompt.get();
        SetPrompt(std::move(prompt));
    }

    void cleanup() {
        SetPrompt(nullptr);
        QFile::remove(SettingsFileName());
        QDir(SettingsFileName()).removeRecursively();
    }

    void networkControlsFollowTheOption_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("hostShown");
        QTest::addColumn<bool>("hostEditable");
        QTest::addColumn<QString>("hostText");
        QTest::addColumn<bool>("serverPortShown");
        QTest::addColumn<bool>("clientPortShown");
        QTest::newRow("None") << 0 << false << false << QString() << false << false;
        QTest::newRow("Server") << 1 << true << false << u"LocalHost"_s << true << false;
        QTest::newRow("Client") << 2 << true << true << u"rx.example.net"_s << false << true;
    }

    void networkControlsFollowTheOption() {
        QFETCH(int, status);
        QFETCH(bool, hostShown);
        QFETCH(bool, hostEditable);
        QFETCH(QString, hostText);
        QFETCH(bool, serverPortShown);
        QFETCH(bool, clientPortShown);
        TSettings settings;
        settings.RemoteHost = u"rx.example.net"_s;
        const auto check = [&](const TBaudRateForm& dialog) {
            const auto* host = Find<QLineEdit>(dialog, u"EditServerIP"_s);
            QCOMPARE(host->isVisibleTo(&dialog), hostShown);
            QCOMPARE(Find<QLabel>(dialog, u"LabelServerName"_s)->isVisibleTo(&dialog), hostShown);
            if (hostShown) {
                QCOMPARE(!host->isReadOnly(), hostEditable);
                QCOMPARE(host->text(), hostText);
            }
            QCOMPARE(Find<QLineEdit>(dialog, u"edServerPort"_s)->isVisibleTo(&dialog),
                     serverPortShown);
            QCOMPARE(Find<QLabel>(dialog, u"lblServerPort"_s)->isVisibleTo(&dialog),
                     serverPortShown);
            // Where the server listens and whom it admits matter to a server alone.
            for (const QString& serverOnly : {u"EditListenAddress"_s, u"EditAllowedClients"_s})
                QCOMPARE(Find<QLineEdit>(dialog, serverOnly)->isVisibleTo(&dialog),
                         serverPortShown);
            QCOMPARE(Find<QLineEdit>(dialog, u"edClientPort"_s)->isVisibleTo(&dialog),
                     clientPortShown);
            QCOMPARE(Find<QLabel>(dialog, u"lblClientPort"_s)->isVisibleTo(&dialog),
                     clientPortShown);
        };

        // As loaded from the settings...
        settings.Status = status;
        TBaudRateForm loaded(settings);
        check(loaded);
        if (QTest::currentTestFailed())
            return;

        // ...and after choosing the option by hand, from each of the others.
        const QStringList captions{u"None use Serial Port"_s, u"Server"_s, u"Client"_s};
        for (int from = 0; from < 3; ++from) {
            if (from == status)
                continue;
            settings.Status = from;
            TBaudRateForm dialog(settings);
            NetOption(dialog, captions[status])->click();
            check(dialog);
            if (QTest::currentTestFailed())
                return;
        }
    }

    void theClientHostSurvivesAnotherOption() {
        TSettings settings;
        settings.Status = 2;
        settings.RemoteHost = u"old.host"_s;
        TBaudRateForm dialog(settings);
        auto* host = Find<QLineEdit>(dialog, u"EditServerIP"_s);
        TypeInto(host, u"new.host"_s);
        NetOption(dialog, u"Server"_s)->click();
        QCOMPARE(host->text(), u"LocalHost"_s);
        NetOption(dialog, u"Client"_s)->click();
        QCOMPARE(host->text(), u"new.host"_s);
        QVERIFY(!host->isReadOnly());
    }

    void aClientWithoutServerIsRefused_data() {
        QTest::addColumn<QString>("host");
        QTest::newRow("empty") << QString();
        QTest::newRow("blanks") << u"   "_s;
    }

    void aClientWithoutServerIsRefused() {
        QFETCH(QString, host);
        TSettings settings;
        TBaudRateForm dialog(settings);
        dialog.show();
        NetOption(dialog, u"Client"_s)->click();
        TypeInto(Find<QLineEdit>(dialog, u"EditServerIP"_s), host);
        Find<QPushButton>(dialog, u"SetButton"_s)->click();

        QCOMPARE(FPrompt->Errors,
                 QStringList{u"Please supply a host name or IP address for the target server"_s});
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(settings.Status, 0);
        QVERIFY(!QFile::exists(SettingsFileName()));
    }

    void serverAddressesAreChecked_data() {
        QTest::addColumn<QString>("listen");
        QTest::addColumn<QString>("allowed");
        QTest::addColumn<QString>("error");
        QTest::newRow("both empty") << QString() << QString() << QString();
        QTest::newRow("addresses") << u"192.168.1.5"_s << u"192.168.1.7, ::1"_s << QString();
        QTest::newRow("a name to listen on")
            << u"radio.local"_s << QString()
            << u"\"radio.local\" is not an IP address to listen on"_s;
        QTest::newRow("a mistyped client")
            << QString() << u"192.168.1.7,192.168.1.300"_s
            << u"\"192.168.1.300\" is not an IP address of a client"_s;
    }

    void serverAddressesAreChecked() {
        QFETCH(QString, listen);
        QFETCH(QString, allowed);
        QFETCH(QString, error);
        TSettings settings;
        TBaudRateForm dialog(settings);
        dialog.show();
        NetOption(dialog, u"Server"_s)->click();
        TypeInto(Find<QLineEdit>(dialog, u"EditListenAddress"_s), listen);
        TypeInto(Find<QLineEdit>(dialog, u"EditAllowedClients"_s), allowed);
        Find<QPushButton>(dialog, u"SetButton"_s)->click();
        if (!error.isEmpty())
            return VerifyRefused(dialog, error);
        QVERIFY(FPrompt->Errors.isEmpty());
        QCOMPARE(Ini(u"Network"_s, u"ListenAddress"_s), listen);
        QCOMPARE(Ini(u"Network"_s, u"AllowedClients"_s), allowed);
        QCOMPARE(settings.AllowedClients, allowed);
    }

    void rigControlSettingsAreCheckedAndSaved_data() {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QString>("listen");
        QTest::addColumn<QString>("allowed");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("error");
        QTest::newRow("saved") << true << u"127.0.0.1"_s << u"127.0.0.1, ::1"_s << u"4533"_s
                               << QString();
        QTest::newRow("every address") << true << QString() << QString() << u"4532"_s << QString();
        QTest::newRow("a name to listen on")
            << true << u"localhost"_s << QString() << u"4532"_s
            << u"\"localhost\" is not an IP address to listen on"_s;
        QTest::newRow("a mistyped client") << true << u"127.0.0.1"_s << u"10.0.0.256"_s << u"4532"_s
                                           << u"\"10.0.0.256\" is not an IP address of a client"_s;
        QTest::newRow("port zero") << true << u"127.0.0.1"_s << QString() << u"0"_s
                                   << u"A port is a number from 1 to 65535"_s;
        QTest::newRow("off: kept as typed")
            << false << u"localhost"_s << QString() << u"4532"_s << QString();
    }

    void rigControlSettingsAreCheckedAndSaved() {
        QFETCH(bool, enabled);
        QFETCH(QString, listen);
        QFETCH(QString, allowed);
        QFETCH(QString, port);
        QFETCH(QString, error);
        TSettings settings;
        TBaudRateForm dialog(settings);
        dialog.show();
        // Off, on loopback and on Hamlib's own port until the user says otherwise.
        QVERIFY(!Find<QCheckBox>(dialog, u"CheckBoxRigctl"_s)->isChecked());
        QCOMPARE(Find<QLineEdit>(dialog, u"EditRigctlListenAddress"_s)->text(), u"127.0.0.1"_s);
        QCOMPARE(Find<QLineEdit>(dialog, u"edRigctlPort"_s)->text(), u"4532"_s);
        Find<QCheckBox>(dialog, u"CheckBoxRigctl"_s)->setChecked(enabled);
        TypeInto(Find<QLineEdit>(dialog, u"EditRigctlListenAddress"_s), listen);
        TypeInto(Find<QLineEdit>(dialog, u"EditRigctlAllowedClients"_s), allowed);
        TypeInto(Find<QLineEdit>(dialog, u"edRigctlPort"_s), port);
        Find<QPushButton>(dialog, u"SetButton"_s)->click();
        if (!error.isEmpty())
            return VerifyRefused(dialog, error);
        QVERIFY(FPrompt->Errors.isEmpty());
        QCOMPARE(Ini(u"Rigctl"_s, u"Enabled"_s), enabled ? u"1"_s : u"0"_s);
        QCOMPARE(Ini(u"Rigctl"_s, u"ListenAddress"_s), listen);
        QCOMPARE(Ini(u"Rigctl"_s, u"AllowedClients"_s), allowed);
        QCOMPARE(Ini(u"Rigctl"_s, u"Port"_s), port);
        QCOMPARE(settings.RigctlEnabled, enabled);
        QCOMPARE(settings.RigctlPort, port.toInt());
    }

    void portsAreWholeAndInRange_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("saved"); // 0: refused
        QTest::newRow("server, five digits")
            << u"Server"_s << u"edServerPort"_s << u"10245"_s << 10245;
        QTest::newRow("client, highest") << u"Client"_s << u"edClientPort"_s << u"65535"_s << 65535;
        QTest::newRow("server, zero") << u"Server"_s << u"edServerPort"_s << u"0"_s << 0;
        QTest::newRow("client, too high") << u"Client"_s << u"edClientPort"_s << u"70000"_s << 0;
    }

    void portsAreWholeAndInRange() {
        QFETCH(QString, option);
        QFETCH(QString, edit);
        QFETCH(QString, typed);
        QFETCH(int, saved);
        TSettings settings;
        settings.ServerPort = 10245;
        settings.ClientPort = 10245;
        TBaudRateForm dialog(settings);
        dialog.show();
        // A stored port above four digits is shown whole, so Set does not cut it.
        QCOMPARE(Find<QLineEdit>(dialog, edit)->text(), u"10245"_s);
        NetOption(dialog, option)->click();
        TypeInto(Find<QLineEdit>(dialog, u"EditServerIP"_s), u"rx.local"_s);
        TypeInto(Find<QLineEdit>(dialog, edit), typed);
        Find<QPushButton>(dialog, u"SetButton"_s)->click();
        if (saved == 0) {
            QCOMPARE(FPrompt->Errors, QStringList{u"A port is a number from 1 to 65535"_s});
            QVERIFY(dialog.isVisible());
            QCOMPARE(settings.ServerPort, 10245);
            QCOMPARE(settings.ClientPort, 10245);
            return;
        }
        QVERIFY(FPrompt->Errors.isEmpty());
        QCOMPARE(edit == u"edServerPort"_s ? settings.ServerPort : settings.ClientPort, saved);
    }

    void setWritesEveryKey() {
        TSettings settings;
        TBaudRateForm dialog(settings);
        dialog.show();
        Radio(dialog, u"BaudRateGroup"_s, u"19200"_s)->click();
        TypeInto(Find<QComboBox>(dialog, u"cbComPort"_s)->lineEdit(), u"7"_s);
        Find<QCheckBox>(dialog, u"CT5000CheckBox"_s)->click();
        Find<QCheckBox>(dialog, u"DS8000CheckBox"_s)->click();
        Find<QCheckBox>(dialog, u"BankSwitchDisabledCheckBox"_s)->click();
        NetOption(dialog, u"Server"_s)->click();
        TypeInto(Find<QLineEdit>(dialog, u"edServerPort"_s), u"1500"_s);
        NetOption(dialog, u"Client"_s)->click();
        TypeInto(Find<QLineEdit>(dialog, u"EditServerIP"_s), u" rx.local "_s);
        TypeInto(Find<QLineEdit>(dialog, u"edClientPort"_s), u"2345"_s);
        for (const QString& box :
             {u"CheckBoxLogMessagesToFile"_s, u"CheckBoxWavFiles16Bit"_s, u"CheckBoxPadFString"_s,
              u"CheckBoxLaterFirmware"_s, u"CheckBoxAlwaysOnTop"_s, u"cbAutoconnect"_s,
              u"cbSaveRestoreMainFormPosition"_s})
            Find<QCheckBox>(dialog, box)->click();
        Find<QPushButton>(dialog, u"SetButton"_s)->click();

        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(FPrompt->Errors.isEmpty());
        const QList<std::array<QString, 3>> expected{
            {u"Settings"_s, u"BaudRate"_s, u"19200"_s},
            {u"Settings"_s, u"ComPort"_s, u"Com 7"_s},
            {u"Settings"_s, u"CT5000"_s, u"1"_s},
            {u"Settings"_s, u"DS8000"_s, u"1"_s},
            {u"Network"_s, u"BankSwitchDisabled"_s, u"1"_s},
            {u"Network"_s, u"Status"_s, u"2"_s},
            {u"Network"_s, u"RemoteHost"_s, u"rx.local"_s},
            {u"Network"_s, u"LogErrors"_s, u"1"_s},
            {u"Settings"_s, u"WavFiles16Bit"_s, u"1"_s},
            {u"Settings"_s, u"PadFString"_s, u"1"_s},
            {u"Settings"_s, u"FirmwareID"_s, u"0"_s},
            {u"Settings"_s, u"AlwaysOnTop"_s, u"1"_s},
            {u"Settings"_s, u"ServerPort"_s, u"1500"_s},
            {u"Settings"_s, u"ClientPort"_s, u"2345"_s},
            {u"Settings"_s, u"AutoConnect"_s, u"1"_s},
            {u"Settings"_s, u"SaveRestoreMainFormPosition"_s, u"1"_s},
        };
        for (const auto& [section, key, value] : expected)
            QCOMPARE(section + u'/' + key + u'=' + Ini(section, key),
                     section + u'/' + key + u'=' + value);

        QCOMPARE(settings.ComPort, u"Com 7"_s);
        QCOMPARE(settings.Status, 2);
        QCOMPARE(settings.RemoteHost, u"rx.local"_s);
        QCOMPARE(settings.FirmwareID, 0);
        QCOMPARE(settings.ClientPort, 2345);
        QVERIFY(settings.CT5000 && settings.LogErrors && settings.SaveRestoreMainFormPosition);
    }

    void setKeepsWhatWasLoaded() {
        TSettings settings;
        settings.BaudRate = u"4800"_s;
        settings.ComPort = u"/dev/ttyUSB3"_s;
        settings.DS8000 = true;
        settings.Status = 1;
        settings.RemoteHost = u"old.host"_s;
        settings.ServerPort = 4000;
        settings.ClientPort = 5000;
        settings.FirmwareID = 0;
        settings.AutoConnect = true;
        settings.WavFiles16Bit = true;
        settings.ListenAddress = u"192.168.1.5"_s;
        settings.AllowedClients = u"192.168.1.7,192.168.1.8"_s;
        const TSettings loaded = settings;
        TBaudRateForm dialog(settings);
        QCOMPARE(Find<QComboBox>(dialog, u"cbComPort"_s)->currentText(), u"/dev/ttyUSB3"_s);
        Find<QPushButton>(dialog, u"SetButton"_s)->click();

        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(Ini(u"Settings"_s, u"BaudRate"_s), u"4800"_s);
        QCOMPARE(Ini(u"Settings"_s, u"ComPort"_s), u"/dev/ttyUSB3"_s);
        QCOMPARE(Ini(u"Settings"_s, u"CT5000"_s), u"0"_s);
        QCOMPARE(Ini(u"Settings"_s, u"DS8000"_s), u"1"_s);
        QCOMPARE(Ini(u"Network"_s, u"Status"_s), u"1"_s);
        QCOMPARE(Ini(u"Settings"_s, u"ServerPort"_s), u"4000"_s);
        QCOMPARE(Ini(u"Settings"_s, u"ClientPort"_s), u"5000"_s);
        QCOMPARE(Ini(u"Settings"_s, u"FirmwareID"_s), u"0"_s);
        QCOMPARE(Ini(u"Settings"_s, u"AutoConnect"_s), u"1"_s);
        QCOMPARE(Ini(u"Settings"_s, u"WavFiles16Bit"_s), u"1"_s);
        QCOMPARE(Ini(u"Settings"_s, u"AlwaysOnTop"_s), u"0"_s);
        QCOMPARE(Ini(u"Network"_s, u"ListenAddress"_s), u"192.168.1.5"_s);
        QCOMPARE(Ini(u"Network"_s, u"AllowedClients"_s), u"192.168.1.7,192.168.1.8"_s);
        // The server's own name is not a remote host.
        QCOMPARE(Ini(u"Network"_s, u"RemoteHost"_s), QString());
        QCOMPARE(settings.RemoteHost, QString());
        QCOMPARE(settings.ComPort, loaded.ComPort);
        QCOMPARE(settings.ServerPort, loaded.ServerPort);
    }

    void cancelChangesNothing() {
        TSettings settings;
        TBaudRateForm dialog(settings);
        dialog.show();
        Radio(dialog, u"BaudRateGroup"_s, u"4800"_s)->click();
        TypeInto(Find<QComboBox>(dialog, u"cbComPort"_s)->lineEdit(), u"/dev/ttyS5"_s);
        NetOption(dialog, u"Client"_s)->click();
        TypeInto(Find<QLineEdit>(dialog, u"EditServerIP"_s), u"somewhere"_s);
        Find<QCheckBox>(dialog, u"CheckBoxLogMessagesToFile"_s)->click();
        Find<QPushButton>(dialog, u"CancelButton"_s)->click();

        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(!dialog.isVisible());
        QVERIFY(!QFile::exists(SettingsFileName()));
        const TSettings defaults;
        QCOMPARE(settings.BaudRate, defaults.BaudRate);
        QCOMPARE(settings.ComPort, defaults.ComPort);
        QCOMPARE(settings.Status, defaults.Status);
        QCOMPARE(settings.RemoteHost, defaults.RemoteHost);
        QCOMPARE(settings.LogErrors, defaults.LogErrors);
    }

    void portEditsTakeDigitsOnly_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::newRow("server letters") << u"Server"_s << u"edServerPort"_s << u"1a2b"_s << u"12"_s;
        QTest::newRow("server too long")
            << u"Server"_s << u"edServerPort"_s << u"1234567"_s << u"12345"_s;
        QTest::newRow("client signs")
            << u"Client"_s << u"edClientPort"_s << u"-8 0.8+0"_s << u"8080"_s;
    }

    void portEditsTakeDigitsOnly() {
        QFETCH(QString, option);
        QFETCH(QString, edit);
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        TSettings settings;
        TBaudRateForm dialog(settings);
        dialog.show();
        NetOption(dialog, option)->click();
        auto* portEdit = Find<QLineEdit>(dialog, edit);
        TypeInto(portEdit, typed);
        QCOMPARE(portEdit->text(), kept);
        QTest::keyClick(portEdit, Qt::Key_Backspace);
        QCOMPARE(portEdit->text(), kept.chopped(1));
    }

    void thePortBoxMapsToComPort_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("comPort");
        QTest::newRow("first") << u"1"_s << u"Com 1"_s;
        QTest::newRow("last") << u"14"_s << u"Com 14"_s;
        QTest::newRow("device path") << u"/dev/ttyUSB7"_s << u"/dev/ttyUSB7"_s;
        QTest::newRow("path with blanks around") << u" /dev/pts/4 "_s << u"/dev/pts/4"_s;
        QTest::newRow("above 14") << u"15"_s << u"15"_s;
        QTest::newRow("empty keeps the port") << QString() << u"Com 2"_s;
    }

    void thePortBoxMapsToComPort() {
        QFETCH(QString, typed);
        QFETCH(QString, comPort);
        TSettings settings;
        TBaudRateForm dialog(settings);
        auto* box = Find<QComboBox>(dialog, u"cbComPort"_s);
        QCOMPARE(box->currentText(), u"2"_s);
        QCOMPARE(box->itemText(0), u"1"_s);
        QCOMPARE(box->itemText(13), u"14"_s);
        TypeInto(box->lineEdit(), typed);
        Find<QPushButton>(dialog, u"SetButton"_s)->click();
        QCOMPARE(settings.ComPort, comPort);
        QCOMPARE(Ini(u"Settings"_s, u"ComPort"_s), comPort);
    }

    void theStatusBarShowsTheMessageLog() {
        TSettings settings;
        TBaudRateForm dialog(settings);
        auto* status = Find<QStatusBar>(dialog, u"StatusBar1"_s);
        auto* logMessages = Find<QCheckBox>(dialog, u"CheckBoxLogMessagesToFile"_s);
        QCOMPARE(status->currentMessage(), QString());
        logMessages->click();
        QCOMPARE(status->currentMessage(), FHome.filePath(u"Kv7Message.log"_s));
        logMessages->click();
        QCOMPARE(status->currentMessage(), QString());

        settings.LogErrors = true;
        TBaudRateForm logging(settings);
        QCOMPARE(Find<QStatusBar>(logging, u"StatusBar1"_s)->currentMessage(),
                 FHome.filePath(u"Kv7Message.log"_s));
    }

    void aSettingsFileThatCannotBeWrittenKeepsTheDialogOpen() {
        // A folder where the settings file should be cannot be replaced by a file.
        QVERIFY(QDir().mkpath(SettingsFileName()));
        TSettings settings;
        TBaudRateForm dialog(settings);
        dialog.show();
        Radio(dialog, u"BaudRateGroup"_s, u"4800"_s)->click();
        Find<QPushButton>(dialog, u"SetButton"_s)->click();

        QCOMPARE(FPrompt->Errors.size(), 1);
        QVERIFY2(FPrompt->Errors[0].contains(SettingsFileName()), qPrintable(FPrompt->Errors[0]));
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(settings.BaudRate, u"9600"_s);
    }

    void helpButtonsOpenTheHelpFile_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("context");
        QTest::newRow("network") << u"SpeedButton1"_s << u"1008"_s;
        QTest::newRow("firmware") << u"SpeedButton2"_s << u"1009"_s;
    }

    void helpButtonsOpenTheHelpFile() {
        QFETCH(QString, button);
        QFETCH(QString, context);
        TUrlRecorder recorder;
        QDesktopServices::setUrlHandler(u"file"_s, &recorder, "Open");
        const auto unset = qScopeGuard([] { QDesktopServices::unsetUrlHandler(u"file"_s); });
        TSettings settings;
        TBaudRateForm dialog(settings);
        const QString helpFile = FHome.filePath(u"help.html"_s);
        dialog.SetHelpFile(helpFile);

        Find<QToolButton>(dialog, button)->click();
        QCOMPARE(recorder.Opened.size(), 0);
        QCOMPARE(FPrompt->Errors.size(), 1);
        QVERIFY(FPrompt->Errors[0].contains(helpFile));

        QFile file(helpFile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        Find<QToolButton>(dialog, button)->click();
        QCOMPARE(recorder.Opened.size(), 1);
        QCOMPARE(recorder.Opened[0].toLocalFile(), helpFile);
        QCOMPARE(recorder.Opened[0].fragment(), context);
        QCOMPARE(FPrompt->Errors.size(), 1);
        QFile::remove(helpFile);
    }
};

QTEST_MAIN(TestBaudRateForm)
#include "tst_baudrateform.moc"
