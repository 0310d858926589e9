// Network sharing between two whole instances in one process: a server main window on the
// in-process simulated receiver, and a client main window connected to it over loopback TCP.
#include "AR5000.h"
#include "LoopbackLink.h"
#include "Main.h"
#include "RelayServer.h"
#include "Simulator.h"
#include "support/ScriptedPrompt.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int kServerMode = 1;
constexpr int kClientMode = 2;

// One instance of the program: its main window, its settings and what it reported.
struct TInstance {
    TSettings Settings;
    std::unique_ptr<TMainForm> Form;
    QStringList Messages;

    TInstance() {
        Form = std::make_unique<TMainForm>(Settings);
        Form->MessageSink = [this](const QString& text) {
            Messages << text;
        };
    }
    // What the comms dialog does when the user sets the network option and presses Set.
    void SetNetwork(int status, const QString& host, int port) {
        Settings.Status = status;
        Settings.RemoteHost = host;
        Settings.ServerPort = port;
        Settings.ClientPort = port;
        Form->ApplyCommsSettings();
    }

    template <typename T> T* Find(const QString& name) const {
        T* found = Form->findChild<T*>(name);
        if (!found)
            qFatal("no control %s", qPrintable(name));
        return found;
    }
    QPushButton* OpenPortButton() const { return Find<QPushButton>(u"OpenPortButton"_s); }
    QString Panel(int index) const { return Find<QLabel>(u"StatusPanel%1"_s.arg(index))->text(); }
    QString Vfo(QChar letter) const { return Find<QLineEdit>(u"EditVco"_s + letter)->text(); }
    bool Connected() const { return Form->Driver()->Connected(); }
    bool LooksOpen() const {
        return Panel(0) == u"Port Open"_s && OpenPortButton()->text() == u"Cl&ose Port"_s &&
               !Find<QAction>(u"SetBaudRate1"_s)->isEnabled();
    }
    bool LooksClosed() const {
        return Panel(0) == u"Port Closed"_s && OpenPortButton()->text() == u"&Open Port"_s &&
               Find<QAction>(u"SetBaudRate1"_s)->isEnabled() &&
               !Find<QCheckBox>(u"TimerCheckBox"_s)->isEnabled();
    }
    bool Reported(const QString& text) const { return Messages.contains(text); }
};

// A receiver shared by a server instance with a client instance.
struct TSharing {
    TSimReceiver Receiver;
    TSimLoopback Loopback{&Receiver};
    std::unique_ptr<TInstance> Server = std::make_unique<TInstance>();
    TInstance Client;

    TSharing() {
        // Port 0: the system picks a free one; only the loopback address is listened on.
        Server->SetNetwork(kServerMode, {}, 0);
        Server->Form->TheServerSocket()->SetListenAddress(QHostAddress::LocalHost);
        Server->Form->Driver()->Serial()->SetDevice(Loopback.DriverEnd());
        Server->Form->Driver()->ChangeVfoPauseMs = 0;
    }

    bool OpenServer() {
        Server->OpenPortButton()->click();
        return Server->Connected() && Server->Form->TheServerSocket()->IsActive();
    }
    bool OpenClient() {
        Client.SetNetwork(kClientMode, u"127.0.0.1"_s,
                          Server->Form->TheServerSocket()->ServerPort());
        Client.OpenPortButton()->click();
        return Client.Connected();
    }
    QTcpSocket* ServedClient() const { return Server->Form->TheServerSocket()->FirstClient(); }
};

const QString kConnectedMessage =
    u"Message From Server 127.0.0.1\r\nServer Reports Kv7Msg 127.0.0.1 Connected"_s;
const QString kClosedMessage =
    u"Message From Server 127.0.0.1\r\nServer Reports Kv7Msg Server Closed Port"_s;
const QString kNoServer = u"Could not Connect to, or did not find Server"_s;
const QString kLost = u"Connection to the server 127.0.0.1 lost: port closed"_s;

} // namespace

using TEnding = std::function<void(TSharing&)>;
Q_DECLARE_METATYPE(TEnding)

class TestNetworkSharing : public QObject {
    Q_OBJECT

    QTemporaryDir FHome;
    std::unique_ptr<TPrompt> FPreviousPrompt;

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(FHome.isValid());
        qputenv("KOVELA_HOME", QFile::encodeName(FHome.path()));
        FPreviousPrompt = SetPrompt(std::make_unique<TScriptedPrompt>());
    }
    void cleanupTestCase() { SetPrompt(std::move(FPreviousPrompt)); }

    void clientReadsTheReceiverWhenItConnects() {
        TSharing s;
        QVERIFY(s.OpenServer());
        QVERIFY(s.OpenClient());
        QVERIFY(s.Client.LooksOpen());
        // The server's greeting is a message of its own, not the start of the first reply: the
        // client's panel read every VFO, as the server's did.
        QTRY_VERIFY(s.Client.Reported(kConnectedMessage));
        for (const QChar letter : u"ABCDE"_s) {
            QVERIFY(!s.Client.Vfo(letter).isEmpty());
            QCOMPARE(s.Client.Vfo(letter), s.Server->Vfo(letter));
        }
        QVERIFY2(s.Client.Messages.filter(u"imeout"_s).isEmpty(),
                 qPrintable(s.Client.Messages.join(u" | "_s)));

        // Replies to the client's own requests keep coming through after the greeting.
        TRxDat rec;
        QVERIFY(s.Client.Form->Driver()->SetVfo(u'B', rec));
        QCOMPARE(rec.Freq, s.Server->Form->Driver()->CurrentRecord().Freq);
    }

    // The client works the shared receiver through its own driver as if it were attached: a
    // memory block, tuning steps, and its leaving keeps the receiver in remote mode.
    void clientUsesTheReceiverThroughTheServer() {
        TSharing s;
        QVERIFY(s.OpenServer());
        QVERIFY(s.OpenClient());
        TAR5000* client = s.Client.Form->Driver();
        TAR5000* server = s.Server->Form->Driver();

        TMAArray remote{};
        remote[0].Channel = 1; // the second hundred
        QVERIFY(client->GetMA(remote));
        TMAArray local{};
        local[0].Channel = 1;
        QVERIFY(server->GetMA(local));
        for (size_t i = 0; i < remote.size(); ++i) {
            QCOMPARE(remote[i].Channel, 100 + static_cast<int>(i));
            QCOMPARE(remote[i].Channel, local[i].Channel);
            QCOMPARE(remote[i].Empty, local[i].Empty);
            QCOMPARE(remote[i].Freq, local[i].Freq);
            QCOMPARE(remote[i].Text, local[i].Text);
        }

        TRxDat before;
        QVERIFY(client->GetRx(before));
        client->StepUp();
        client->StepUp();
        client->StepDown();
        TRxDat after;
        QVERIFY(client->GetRx(after));
        QCOMPARE(qRound64(after.Freq * 1e6),
                 qRound64(s.Receiver.Vfo(s.Receiver.CurrentVfo()).Freq * 1e6));
        QVERIFY(after.Freq > before.Freq);

        QVERIFY(s.Receiver.Remote());
        QStringList sent;
        client->OnTxLine = [&sent](const QString& line) {
            sent << line;
        };
        s.Client.OpenPortButton()->click();
        QVERIFY2(!sent.contains(u"EX"_s), qPrintable(sent.join(u' ')));
        QVERIFY(s.Client.LooksClosed());
        QTRY_COMPARE(s.Server->Form->TheServerSocket()->ActiveConnections(), 0);
        QVERIFY2(s.Receiver.Remote(), "the client took the receiver out of remote mode");
        QVERIFY(s.Server->Connected());
    }

    // The server going away while the client reads memory blocks ends the read at once, the
    // block in flight counted as not read, and the client says why.
    void serverGoneInTheMiddleOfABankRead() {
        TSharing s;
        QVERIFY(s.OpenServer());
        QVERIFY(s.OpenClient());
        TAR5000* client = s.Client.Form->Driver();
        client->Timeout = 60000; // a read that waited for its time-out would hold the test
        int blocksAsked = 0;
        s.Server->Form->Driver()->OnTxLine = [&](const QString& line) {
            if (line.startsWith(u"MA"_s) && ++blocksAsked == 3)
                s.ServedClient()->abort();
        };
        int read = 0;
        for (int i = 0; i < 10; ++i) {
            TMAArray block{};
            block[0].Channel = i == 0 ? 0 : i * 10;
            if (!client->GetMA(block))
                break;
            ++read;
        }
        QVERIFY2(read == 2, qPrintable(QString::number(read)));
        QVERIFY(!client->Connected());
        QTRY_VERIFY(s.Client.LooksClosed());
        QVERIFY2(s.Client.Reported(kLost), qPrintable(s.Client.Messages.join(u" | "_s)));
        QVERIFY2(s.Client.Messages.filter(u"imeout"_s).isEmpty(),
                 qPrintable(s.Client.Messages.join(u" | "_s)));
    }

    void serverTurnsAwayAnAddressNotAllowed() {
        TSharing s;
        s.Server->Settings.ListenAddress = u"127.0.0.1"_s;
        s.Server->Settings.AllowedClients = u"10.9.8.7"_s;
        s.Server->Form->ApplyCommsSettings();
        QVERIFY(s.OpenServer());
        s.OpenClient();
        QTRY_VERIFY2(
            s.Server->Reported(u"Connection refused to 127.0.0.1\r\nAddress not allowed"_s),
            qPrintable(s.Server->Messages.join(u" | "_s)));
        QTRY_VERIFY(s.Client.LooksClosed());
        QVERIFY(!s.Client.Connected());
        QVERIFY(s.Server->Connected());
        QCOMPARE(s.Server->Form->TheServerSocket()->ActiveConnections(), 0);
    }

    // A client that goes away without closing leaves a server that serves the next one.
    void serverOutlivesAClientKilled() {
        TSharing s;
        QVERIFY(s.OpenServer());
        QVERIFY(s.OpenClient());
        s.Client.Form.reset();
        QTRY_VERIFY2(s.Server->Reported(u"127.0.0.1 Disconnected"_s),
                     qPrintable(s.Server->Messages.join(u" | "_s)));
        QVERIFY(s.Server->LooksOpen());

        TInstance next;
        next.SetNetwork(kClientMode, u"127.0.0.1"_s,
                        s.Server->Form->TheServerSocket()->ServerPort());
        next.OpenPortButton()->click();
        QVERIFY(next.Connected());
        QCOMPARE(next.Vfo(u'A'), s.Server->Vfo(u'A'));
    }

    void clientFollowsTheEndOfTheConnection_data() {
        QTest::addColumn<TEnding>("ending");
        QTest::addColumn<QString>("reported");
        QTest::addColumn<bool>("serverListens");

        QTest::newRow("server closes its port")
            << TEnding([](TSharing& s) { s.Server->OpenPortButton()->click(); }) << kClosedMessage
            << false;
        // Closing the link is refused while the client polls, yet its link is gone.
        QTest::newRow("server closes its port while the client polls") << TEnding([](TSharing& s) {
            s.Client.Find<QCheckBox>(u"TimerCheckBox"_s)->setChecked(true);
            QVERIFY(s.Client.Form->Driver()->TimerStatus());
            s.Server->OpenPortButton()->click();
        }) << kClosedMessage << false;
        QTest::newRow("server program ends")
            << TEnding([](TSharing& s) { s.Server.reset(); })
            << u"The remote host closed the connection Client Socket Error"_s << false;
        QTest::newRow("connection broken")
            << TEnding([](TSharing& s) { s.ServedClient()->abort(); }) << kLost << true;
    }

    void clientFollowsTheEndOfTheConnection() {
        QFETCH(TEnding, ending);
        QFETCH(QString, reported);
        QFETCH(bool, serverListens);
        TSharing s;
        QVERIFY(s.OpenServer());
        QVERIFY(s.OpenClient());
        QTRY_VERIFY(s.ServedClient());

        ending(s);
        QTRY_VERIFY(!s.Client.Connected());
        QTRY_VERIFY2(s.Client.LooksClosed(), qPrintable(s.Client.Panel(0)));
        if (!reported.isEmpty())
            QTRY_VERIFY2(s.Client.Reported(reported), qPrintable(s.Client.Messages.join(u" | "_s)));

        // The button follows the link: the next click opens.
        s.Client.Messages.clear();
        s.Client.OpenPortButton()->click();
        if (serverListens) {
            QVERIFY(s.Client.Connected());
            QVERIFY(s.Client.LooksOpen());
        } else {
            QVERIFY(!s.Client.Connected());
            QVERIFY2(s.Client.Reported(kNoServer), qPrintable(s.Client.Messages.join(u" | "_s)));
            QVERIFY(s.Client.LooksClosed());
        }
    }
};

QTEST_MAIN(TestNetworkSharing)
#include "tst_networksharing.moc"
