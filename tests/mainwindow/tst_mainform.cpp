// The main window's frame and link rules, offscreen, against the in-process simulator.
#include "AR5000.h"
#include "IniFile.h"
#include "LinkController.h"
#include "LoopbackLink.h"
#include "Main.h"
#include "ProgramFolder.h"
#include "RelayServer.h"
#include "Simulator.h"
#include "support/ScriptedPrompt.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// A main window whose serial port is an in-process line to the simulated receiver.
struct TWindowFixture {
    TSettings Settings;
    TSimReceiver Receiver;
    TSimLoopback Loopback{&Receiver};
    std::unique_ptr<TMainForm> Form;
    QStringList Messages;

    static constexpr int kPatientMs = 20000;

    TWindowFixture() {
        Form = std::make_unique<TMainForm>(Settings);
        Form->SetMessageSink([this](const QString& text) { Messages << text; });
        Form->Driver()->Serial()->SetDevice(Loopback.DriverEnd());
        // Every wait ends as soon as its reply is in: long limits cost nothing, and a loaded
        // machine does not turn a late reply into a failure.
        Form->Driver()->Timeout = kPatientMs;
        Form->Driver()->InitialiseWaitMs = kPatientMs;
    }

    template <typename T> T* Find(const QString& name) const {
        T* found = Form->findChild<T*>(name);
        if (!found)
            qFatal("no control %s", qPrintable(name));
        return found;
    }
    QString Panel(int index) const { return Find<QLabel>(u"StatusPanel%1"_s.arg(index))->text(); }
    void ClickOpenPort() const { Find<QPushButton>(u"OpenPortButton"_s)->click(); }
};

} // namespace

class TestMainForm : public QObject {
    Q_OBJECT

private:
    QTemporaryDir FHome;

    void WriteSettings(const QByteArray& content) {
        QFile file(SettingsFileName());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }

private Q_SLOTS:
    void initTestCase() { qputenv("KOVELA_HOME", FHome.path().toLocal8Bit()); }
    void init() { QFile::remove(SettingsFileName()); }

    void frameWithoutSettingsFile() {
        TWindowFixture f;
        QCOMPARE(f.Form->windowTitle(), u"Kovela"_s);
        const auto* pages = f.Find<QTabWidget>(u"PageControl1"_s);
        QCOMPARE(pages->count(), 4);
        QCOMPARE(pages->tabText(1), u"Mem Scan"_s);
        QCOMPARE(pages->widget(3)->objectName(), u"PrioritySheet"_s);
        QCOMPARE(f.Panel(0), u"Port Closed"_s);
        QCOMPARE(f.Panel(1), u"9600"_s);
        QCOMPARE(f.Panel(2), u"Com 2"_s);
        QCOMPARE(f.Form->Driver()->ConnectionMode(), std::uint8_t(0));
        QCOMPARE(f.Form->Driver()->FirmwareID, 1);
        QVERIFY(!f.Find<QCheckBox>(u"TimerCheckBox"_s)->isEnabled());
        QVERIFY(f.Find<QPushButton>(u"PowerOffButton"_s)->isEnabled());
        QVERIFY(f.Find<QAction>(u"SetBaudRate1"_s)->isEnabled());
        QVERIFY(f.Find<QAction>(u"HintsOff1"_s)->isChecked());
    }

    void settingsAreReadAndBadValuesGiveDefaults() {
        WriteSettings("[settings]\r\nBaudRate=19200\r\nComPort=Com2\r\nFirmwareId=0\r\n"
                      "SDUPassThru=1\r\nHints=off\r\n[Network]\r\nStatus=2\r\n"
                      "RemoteHost=radio.local\r\nAllowedClients=10.0.0.1,\r\n"
                      "[Settings]\r\nServerPort=99999\r\n");
        TWindowFixture f;
        QCOMPARE(f.Form->Driver()->Serial()->Baudrate(), 19200);
        QCOMPARE(f.Form->Driver()->Serial()->Port(), std::uint8_t(1)); // "Com2" names nothing
        QCOMPARE(f.Form->Driver()->FirmwareID, 0);
        QVERIFY(f.Form->Driver()->SduMode());
        QVERIFY(!f.Find<QPushButton>(u"ToggleRemoteSpeedButton"_s)->isEnabled());
        QCOMPARE(f.Form->Driver()->ConnectionMode(), std::uint8_t(2));
        QCOMPARE(f.Form->Driver()->RemoteHost, u"radio.local"_s);
        QCOMPARE(f.Form->Driver()->ServerPort, quint16(1024));
        QVERIFY(f.Form->TheServerSocket()->Allows(QHostAddress(u"10.0.0.1"_s)));
        QVERIFY(!f.Form->TheServerSocket()->Allows(QHostAddress(u"127.0.0.1"_s)));
        QVERIFY(!f.Find<QPushButton>(u"PowerOffButton"_s)->isEnabled()); // client mode
        QVERIFY(!f.Find<QAction>(u"HintsOff1"_s)->isChecked());
        QCOMPARE(f.Find<QAction>(u"HintsOff1"_s)->text(), u"Hints On"_s);
    }

    // "Hints" other than "On" starts with pop-ups off; each click flips caption, check mark,
    // the setting in the file and what the window tells the hint handling.
    void hintSwitchFromOffAndBack() {
        WriteSettings("[Settings]\r\nHints=off\r\n");
        TWindowFixture f;
        QAction* hints = f.Find<QAction>(u"HintsOff1"_s);
        QSignalSpy switched(f.Form.get(), &TMainForm::HintsSwitched);
        const struct {
            bool Checked;
            const char16_t* Caption;
            const char16_t* Stored;
        } steps[] = {{true, u"Hints Off", u"On"}, {false, u"Hints On", u"Off"}};
        for (const auto& step : steps) {
            hints->trigger();
            QCOMPARE(hints->isChecked(), step.Checked);
            QCOMPARE(hints->text(), QString::fromUtf16(step.Caption));
            QCOMPARE(TIniFile(SettingsFileName()).ReadString(u"Settings"_s, u"Hints"_s, {}),
                     QString::fromUtf16(step.Stored));
            QCOMPARE(switched.takeFirst().at(0).toBool(), step.Checked);
        }
    }

    // A table colour that is no colour number is put back to its default at start-up, with a
    // message; a "$" colour stays.
    void badTableColourFallsBackWithAMessage() {
        WriteSettings("[Colors]\r\nTableTextColor=lime\r\nTableBackColor=$00102030\r\n");
        TWindowFixture f;
        QCOMPARE(f.Form->Settings().TableTextColor, u"65280"_s);
        QCOMPARE(f.Form->Settings().TableBackColor, u"$00102030"_s);
        QCOMPARE(f.Messages.size(), 1);
        QVERIFY(f.Messages[0].contains(u"TableTextColor"_s) && f.Messages[0].contains(u"lime"_s));
    }

    // Turning the pass-through on asks first (No keeps it off); turning it off asks nothing.
    void sduPassThroughAsksBeforeTurningOn() {
        auto answers = std::make_unique<TScriptedPrompt>();
        TScriptedPrompt& prompt = *answers;
        auto previous = SetPrompt(std::move(answers));
        TWindowFixture f;
        QAction* sdu = f.Find<QAction>(u"SDU1"_s);
        auto* remote = f.Find<QPushButton>(u"ToggleRemoteSpeedButton"_s);
        sdu->trigger();
        QCOMPARE(prompt.ConfirmAsked,
                 QStringList{u"Only set this option if connected via SDU-5500\r\nExperimental "
                             u"code use with care\r\nNot recommended for major memory "
                             u"operations"_s});
        QVERIFY(!sdu->isChecked());
        QVERIFY(!f.Form->Driver()->SduMode());
        QVERIFY(remote->isEnabled());
        prompt.ConfirmAnswer = true;
        sdu->trigger();
        QVERIFY(sdu->isChecked());
        QVERIFY(f.Form->Driver()->SduMode());
        QVERIFY(!remote->isEnabled());
        sdu->trigger();
        QCOMPARE(prompt.ConfirmAsked.size(), 2);
        QVERIFY(!sdu->isChecked());
        QVERIFY(!f.Form->Driver()->SduMode());
        SetPrompt(std::move(previous));
    }

    void settingsReadErrorIsShownOnceMessagesCanBe() {
        // A folder where the file should be: it cannot be read.
        QVERIFY(QDir().mkpath(SettingsFileName()));
        QStringList messages;
        TSettings settings;
        {
            TMainForm form(settings);
            form.SetMessageSink([&messages](const QString& text) { messages << text; });
        }
        QVERIFY(QDir().rmdir(SettingsFileName()));
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages.first().startsWith(u"Cannot read "_s), qPrintable(messages.first()));
    }

    void optionUnitsEnableTheirLists_data() {
        QTest::addColumn<bool>("ctcss");
        QTest::addColumn<bool>("descrambler");
        QTest::newRow("none fitted") << false << false;
        QTest::newRow("CT5000 only") << true << false;
        QTest::newRow("DS8000 only") << false << true;
    }
    void optionUnitsEnableTheirLists() {
        QFETCH(bool, ctcss);
        QFETCH(bool, descrambler);
        WriteSettings(u"[Settings]\r\nCT5000=%1\r\nDS8000=%2\r\n"_s.arg(int(ctcss))
                          .arg(int(descrambler))
                          .toLatin1());
        TWindowFixture f;
        const auto shows = [&f](bool withCtcss, bool withDescrambler) {
            return f.Find<QComboBox>(u"CtcssComboBox"_s)->isEnabled() == withCtcss &&
                   f.Find<QLabel>(u"Label40"_s)->isEnabled() == withCtcss &&
                   f.Find<QComboBox>(u"DeScrComboBox"_s)->isEnabled() == withDescrambler &&
                   f.Find<QLabel>(u"Label49"_s)->isEnabled() == withDescrambler;
        };
        QVERIFY(shows(ctcss, descrambler));
        // The comms dialog changed its mind.
        f.Settings.CT5000 = !ctcss;
        f.Settings.DS8000 = !descrambler;
        f.Form->ApplyCommsSettings();
        QVERIFY(shows(!ctcss, !descrambler));
    }

    void openAndCloseTheLink() {
        TWindowFixture f;
        int opened = 0;
        int closed = 0;
        connect(f.Form->Link(), &TLinkController::LinkOpened, [&] { ++opened; });
        connect(f.Form->Link(), &TLinkController::LinkClosed, [&] { ++closed; });
        f.ClickOpenPort();
        QVERIFY(f.Form->Driver()->Connected());
        QCOMPARE(f.Panel(0), u"Port Open"_s);
        QCOMPARE(f.Find<QPushButton>(u"OpenPortButton"_s)->text(), u"Cl&ose Port"_s);
        QVERIFY(f.Find<QCheckBox>(u"TimerCheckBox"_s)->isEnabled());
        QVERIFY(!f.Find<QAction>(u"SetBaudRate1"_s)->isEnabled());
        QCOMPARE(opened, 1);

        f.Find<QCheckBox>(u"TimerCheckBox"_s)->setChecked(true);
        QVERIFY(f.Form->Driver()->TimerStatus());
        f.Receiver.ClearReceivedLines();
        f.ClickOpenPort();
        QVERIFY(!f.Form->Driver()->Connected());
        QCOMPARE(f.Panel(0), u"Port Closed"_s);
        QCOMPARE(f.Find<QPushButton>(u"OpenPortButton"_s)->text(), u"&Open Port"_s);
        QVERIFY(!f.Find<QCheckBox>(u"TimerCheckBox"_s)->isChecked());
        QTRY_VERIFY(f.Receiver.ReceivedLines().contains(u"EX"_s)); // the front panel is freed
        QCOMPARE(closed, 1);
        QVERIFY(f.Messages.isEmpty());
    }

    void silentReceiverIsNotFound() {
        TWindowFixture f;
        f.Receiver.SetFault(TSimFault::Silence);
        f.Form->Driver()->InitialiseWaitMs = 100; // the silence is waited out
        f.ClickOpenPort();
        QVERIFY(!f.Form->Driver()->Connected());
        QCOMPARE(f.Messages, QStringList{u"AR5000 not found"_s});
        QCOMPARE(f.Panel(0), u"Port Closed"_s);
    }

    void closingRefusals() {
        TWindowFixture f;
        f.ClickOpenPort();
        QVERIFY(f.Form->Driver()->Connected());
        f.Find<QCheckBox>(u"PriorityCheckBox1"_s)->setChecked(true);
        f.ClickOpenPort();
        QVERIFY(f.Form->Driver()->Connected());
        QCOMPARE(f.Messages.last(), u"Cancel Priority First"_s);

        f.Find<QCheckBox>(u"PriorityCheckBox1"_s)->setChecked(false);
        f.Form->RunFlags().SearchRunning = true;
        f.Find<QAction>(u"Graticules1"_s)->setChecked(false);
        QVERIFY(!f.Form->close());
        QCOMPARE(f.Messages.last(), u"Stop Scan First"_s);
        // Refused, yet what the user set is written.
        const TIniFile ini(SettingsFileName());
        QCOMPARE(ini.ReadString(u"Settings"_s, u"Graticules"_s, {}), u"0"_s);

        f.Form->RunFlags().SearchRunning = false;
        QVERIFY(f.Form->close());
        QVERIFY(!f.Form->Driver()->Connected()); // closing the window closes the link
    }

    void lostDeviceLeavesAClosedUsableWindow() {
        TWindowFixture f;
        f.ClickOpenPort();
        QVERIFY(f.Form->Driver()->Connected());
        QSignalSpy closing(f.Form->Link(), &TLinkController::LinkClosing);
        QSignalSpy closed(f.Form->Link(), &TLinkController::LinkClosed);
        f.Loopback.DropConnection();
        QTRY_COMPARE(f.Panel(0), u"Port Closed"_s);
        QCOMPARE(f.Messages.size(), 1);
        // A lost link is closed as fully as one the user closes: what is kept at closing
        // (squelch, scan bank, priority channels) is kept now too, before the closed state.
        QCOMPARE(closing.size(), 1);
        QCOMPARE(closed.size(), 1);
        f.Loopback.Reconnect();
        f.ClickOpenPort();
        QVERIFY(f.Form->Driver()->Connected());
    }

    void messagesAreRelayedToTheNetworkClient() {
        TWindowFixture f;
        f.Form->Driver()->SetConnectionMode(1);
        f.Form->Driver()->ServerPort = 0;
        f.ClickOpenPort();
        QVERIFY(f.Form->TheServerSocket()->IsActive());
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, f.Form->TheServerSocket()->ServerPort());
        QVERIFY(client.waitForConnected(f.kPatientMs));
        QTRY_COMPARE(f.Form->TheServerSocket()->ActiveConnections(), 1);
        QTRY_VERIFY(f.Messages.last().endsWith(u" Connected"_s));
        // Each message is a line of its own, the greeting first.
        QTRY_VERIFY_WITH_TIMEOUT(client.canReadLine(), f.kPatientMs);
        QCOMPARE(client.readLine(), "Kv7Msg " + f.Messages.last().toLatin1() + "\r\n");

        f.Form->ReportMessage(u"first\r\nsecond\nthird"_s);
        QTRY_VERIFY_WITH_TIMEOUT(client.canReadLine(), f.kPatientMs);
        QCOMPARE(client.readAll(), QByteArray("Kv7Msg first  second third\r\n"));

        client.write("rx\r\n");
        QTRY_VERIFY(f.Receiver.ReceivedLines().contains(u"RX"_s));

        f.ClickOpenPort();
        QVERIFY(f.Messages.contains(u"Server Closed Port"_s));
        QVERIFY(!f.Form->TheServerSocket()->IsActive());
    }
};

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
