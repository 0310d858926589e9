// The server side of network sharing without a window: a driver in server mode on a scripted
// receiver, and network clients played by raw sockets, friendly and hostile.
#include "AR5000.h"
#include "RelayServer.h"
#include "ScriptedReceiver.h"

#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// A driver sharing its scripted receiver on a free loopback port; the server's notices are
// gathered with the driver's reports.
struct TServerFixture : TDriverFixture {
    TRelayServer Server;
    QStringList Notices;

    explicit TServerFixture(bool sdu = false) {
        Driver.SetServerSocket(&Server);
        Driver.SetConnectionMode(1);
        Driver.SetSduMode(sdu);
        Driver.Timeout = 300;
        Driver.ServerPort = 0;
        Server.SetListenAddress(QHostAddress::LocalHost);
        QObject::connect(&Server, &TRelayServer::Notice,
                         [this](const QString& text) { Notices << text; });
    }

    bool OpenShared() {
        if (!Driver.SduMode())
            return Open();
        // In SDU mode the receiver's answers carry the prefix, or the link never opens.
        const auto answer = Receiver.Answer;
        Receiver.Answer = [](const QString& command) {
            return command == u"*RX"_s ? QByteArray("*VA RF0145500000 ST025000  AU0 MD0\r\n")
                                       : QByteArray();
        };
        Driver.FSetPort(true);
        Receiver.Answer = answer;
        Receiver.Received.clear();
        RxLines.clear();
        TxLines.clear();
        return Driver.Connected();
    }

    // A client connected and served (not merely accepted by the system).
    std::unique_ptr<QTcpSocket> Connect() {
        auto client = std::make_unique<QTcpSocket>();
        client->connectToHost(QHostAddress::LocalHost, Server.ServerPort());
        if (!client->waitForConnected(5000) ||
            !QTest::qWaitFor([this] { return Server.ActiveConnections() == 1; }))
            return nullptr;
        return client;
    }
};

// Writes the pieces one by one, each read by the server before the next is written, so every
// piece arrives in a read of its own.
void WriteInPieces(QTcpSocket& client, TRelayServer& server, const QList<QByteArray>& pieces) {
    QSignalSpy reads(server.FirstClient(), &QIODevice::readyRead);
    for (const QByteArray& piece : pieces) {
        const qsizetype before = reads.size();
        client.write(piece);
        client.flush();
        QVERIFY(QTest::qWaitFor([&] { return reads.size() > before; }));
    }
}

} // namespace

class TestRelayServer : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void clientLinesBecomeCommands_data() {
        QTest::addColumn<bool>("sdu");
        QTest::addColumn<QList<QByteArray>>("pieces");
        QTest::addColumn<QStringList>("commands");

        QTest::newRow("upper-cased")
            << false << QList<QByteArray>{"rx\r\n"} << QStringList{u"RX"_s};
        QTest::newRow("lines cut across reads")
            << false << QList<QByteArray>{"r", "x\r", "\nL", "M\r\nV", "B\n"}
            << QStringList{u"RX"_s, u"LM"_s, u"VB"_s};
        QTest::newRow("CR, LF and empty lines")
            << false << QList<QByteArray>{"\r\n\r\nRX\rLM\n\n"} << QStringList{u"RX"_s, u"LM"_s};
        QTest::newRow("tuning bytes, one to a line")
            << false << QList<QByteArray>{"\x1e\r\n", "\x1f\r\n"}
            << QStringList{u"\x1e"_s, u"\x1f"_s};
        QTest::newRow("control bytes inside a command are dropped")
            << false
            << QList<QByteArray>{QByteArray("V\x00"
                                            "B\x1e\x1b\r\n",
                                            6),
                                 "\x1e\x1e\r\n"}
            << QStringList{u"VB"_s};
        QTest::newRow("SDU prefix added towards the receiver")
            << true << QList<QByteArray>{"lm\r\n", "\x1e\r\n"} << QStringList{u"*LM"_s, u"\x1e"_s};
    }

    void clientLinesBecomeCommands() {
        QFETCH(bool, sdu);
        QFETCH(QList<QByteArray>, pieces);
        QFETCH(QStringList, commands);
        TServerFixture f(sdu);
        QVERIFY(f.OpenShared());
        const auto client = f.Connect();
        QVERIFY(client);
        WriteInPieces(*client, f.Server, pieces);
        QTRY_COMPARE(f.Receiver.Received, commands);
        QVERIFY2(f.Errors.isEmpty(), qPrintable(f.Errors.join(u" | "_s)));
    }

    void hostileClientsLeaveTheServerUsable_data() {
        QTest::addColumn<QList<QByteArray>>("pieces");
        QTest::addColumn<bool>("hangsUp");
        QTest::addColumn<QString>("reported");

        const QByteArray flood(3000, 'A');
        QTest::newRow("flood without a line end")
            << QList<QByteArray>{flood, flood, flood, flood + "\r\n"} << false
            << u"127.0.0.1 sent "_s;
        QTest::newRow("line longer than the receiver takes")
            << QList<QByteArray>{QByteArray(300, 'B') + "\r\n"} << false
            << u"From the network client: Command not sent: it is 300 characters long, and at "
               u"most 253 fit in one line to the receiver"_s;
        QTest::newRow("hangs up in the middle of a command")
            << QList<QByteArray>{"MA0"} << true << QString();
    }

    // Whatever a client sends, the receiver gets no part of the bad line, the server says what
    // it dropped, its own requests still work, and the next line or client is served.
    void hostileClientsLeaveTheServerUsable() {
        QFETCH(QList<QByteArray>, pieces);
        QFETCH(bool, hangsUp);
        QFETCH(QString, reported);
        TServerFixture f;
        QVERIFY(f.OpenShared());
        auto client = f.Connect();
        QVERIFY(client);
        WriteInPieces(*client, f.Server, pieces);
        if (hangsUp) {
            client->abort();
            QTRY_COMPARE(f.Server.ActiveConnections(), 0);
            client = f.Connect();
            QVERIFY(client);
        }
        client->write("rx\r\n");
        QTRY_COMPARE(f.Receiver.Received, QStringList{u"RX"_s});
        // Reported once, however many reads the bad line took.
        const QStringList said = f.Notices + f.Errors;
        QCOMPARE(said.size(), reported.isEmpty() ? 0 : 1);
        if (!reported.isEmpty())
            QVERIFY2(said.at(0).startsWith(reported), qPrintable(said.at(0)));

        // The server's own requests are untouched, and their replies reach the client.
        f.Receiver.Answer = [](const QString& command) {
            return command == u"RX"_s ? QByteArray("VB RF0029000000 ST000100  AU1 MD3\r\n")
                                      : QByteArray();
        };
        TRxDat rec;
        QVERIFY(f.Driver.GetRx(rec));
        QCOMPARE(rec.Freq, 29.0);
        QTRY_VERIFY(client->bytesAvailable() > 0);
        QCOMPARE(client->readAll(), QByteArray("VB RF0029000000 ST000100  AU1 MD3\r\n"));
    }

    // The client sees the receiver's lines and the server's messages as whole lines without
    // the SDU-5500's prefix.
    void repliesAndMessagesReachTheClient() {
        TServerFixture f(true);
        QVERIFY(f.OpenShared());
        const auto client = f.Connect();
        QVERIFY(client);
        f.Receiver.Send("*LM 8C\r\nSDU OK\r\n*VA RF0145500000 ST025000  AU0 MD0\r\n");
        QTRY_COMPARE(f.RxLines.size(), 3);
        f.Server.SendMessage(u"Timeout\r\non GetRx\n"_s);
        const QByteArray expected = "LM 8C\r\nVA RF0145500000 ST025000  AU0 MD0\r\n"
                                    "Kv7Msg Timeout  on GetRx \r\n";
        QByteArray received;
        QTRY_VERIFY((received += client->readAll()).size() >= expected.size());
        QCOMPARE(received, expected);
    }

    void clientThatDoesNotReadIsDropped() {
        TServerFixture f;
        QVERIFY(f.OpenShared());
        f.Server.OutputCap = 1000;
        const auto client = f.Connect();
        QVERIFY(client);
        QByteArray burst;
        for (int i = 0; i < 300; ++i)
            burst += "LM 8C\r\n";
        f.Receiver.Send(burst);
        QTRY_COMPARE(f.Server.ActiveConnections(), 0);
        QCOMPARE(f.Notices.size(), 1);
        QVERIFY2(f.Notices.at(0).startsWith(u"127.0.0.1 Disconnected: more than 1000 bytes"_s),
                 qPrintable(f.Notices.at(0)));
        QTRY_COMPARE(f.RxLines.size(), 300); // the server itself goes on reading every line
        QVERIFY(f.Driver.Connected());
        QVERIFY(f.Connect());
    }

    void addressesTheServerAccepts_data() {
        QTest::addColumn<QString>("allowed");
        QTest::addColumn<QStringList>("invalid");
        QTest::addColumn<bool>("served");
        QTest::newRow("empty admits everybody") << QString() << QStringList() << true;
        QTest::newRow("listed among others") << u" 10.1.2.3, 127.0.0.1"_s << QStringList() << true;
        QTest::newRow("not listed") << u"10.1.2.3"_s << QStringList() << false;
        QTest::newRow("only a mistyped entry admits nobody")
            << u"127.0.0.one"_s << QStringList{u"127.0.0.one"_s} << false;
    }

    void addressesTheServerAccepts() {
        QFETCH(QString, allowed);
        QFETCH(QStringList, invalid);
        QFETCH(bool, served);
        TServerFixture f;
        QCOMPARE(f.Server.SetAllowedClients(allowed), invalid);
        QVERIFY(f.OpenShared());
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, f.Server.ServerPort());
        QVERIFY(client.waitForConnected(5000));
        if (served) {
            QTRY_COMPARE(f.Server.ActiveConnections(), 1);
            QVERIFY(f.Notices.isEmpty());
            return;
        }
        QTRY_COMPARE(client.state(), QAbstractSocket::UnconnectedState);
        QCOMPARE(f.Server.ActiveConnections(), 0);
        QCOMPARE(f.Notices,
                 QStringList{u"Connection refused to 127.0.0.1\r\nAddress not allowed"_s});
    }

    void listenAddressThatIsNoAddressKeepsTheServerDown() {
        TServerFixture f;
        QVERIFY(!f.Server.SetListenAddress(u"localhost:1024"_s));
        QVERIFY(!f.OpenShared());
        QVERIFY(!f.Server.IsActive());
        QVERIFY(f.Server.SetListenAddress(QString()));
        QVERIFY(f.OpenShared());
    }
};

QTEST_GUILESS_MAIN(TestRelayServer)
#include "tst_relayserver.moc"
