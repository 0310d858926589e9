// The protocol engine against a scripted receiver on an in-process line: framing, line
// splitting, dispatch, the wait discipline, polling and faults.
#include "ScriptedReceiver.h"

#include "Levels.h"
#include "RelayServer.h"

#include <QPointer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kVfoA = "VA RF0145500000 ST025000  AU0 MD0\r\n";
const QByteArray kMemory7 = "MR MX007 MP1 GA0 RF0433500000 ST012500+ AU1 MD1 TMREPEATER\r\n";

QByteArray ExtraReplies(const QString& command) {
    static const QHash<QString, QByteArray> replies = {
        {u"BW"_s, "BW2\r\n"},  {u"AN"_s, "AN0 3\r\n"}, {u"AT"_s, "AT11\r\n"}, {u"AC"_s, "ACF\r\n"},
        {u"HP"_s, "HP1\r\n"},  {u"LP"_s, "LP3\r\n"},   {u"EN"_s, "EN4\r\n"},  {u"SJ"_s, "SJA\r\n"},
        {u"CN"_s, "CN0A\r\n"}, {u"SC"_s, "SC002\r\n"}};
    return replies.value(command);
}

// A driver in client mode connected to a server the test plays, on the loopback address. Its
// reports and the loss of its link are recorded in order.
struct TClientFixture {
    QTcpServer Server;
    QTcpSocket Socket;
    TAR5000 Driver;
    QPointer<QTcpSocket> Peer;
    QStringList Events;
    QSignalSpy Lost{&Driver, &TAR5000::LinkLost};

    bool Connect() {
        if (!Server.listen(QHostAddress::LocalHost))
            return false;
        Driver.SetClientSocket(&Socket);
        Driver.SetConnectionMode(2);
        Driver.RemoteHost = u"127.0.0.1"_s;
        Driver.ClientPort = Server.serverPort();
        Driver.OnErrorMessage = [this](const QString& text) {
            Events << text;
        };
        QObject::connect(&Driver, &TAR5000::LinkLost, [this] { Events << u"lost"_s; });
        Driver.FSetPort(true);
        if (!Driver.Connected() ||
            !QTest::qWaitFor([this] { return Server.hasPendingConnections(); }))
            return false;
        Peer = Server.nextPendingConnection();
        return Peer != nullptr;
    }
};

// Bytes the server writes, each with the number of messages reported once they have been read.
using TSteps = QList<std::pair<QByteArray, int>>;
using TEnding = std::function<void(TClientFixture&)>;

} // namespace

Q_DECLARE_METATYPE(TRxDat)

class TestAR5000 : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { MeterAttenuationDb = 0; }

    void openNeedsAnAnswer() {
        TDriverFixture f;
        QVERIFY(f.Open());
        QVERIFY(f.Driver.Remote());
        QCOMPARE(f.Driver.CurrentRecord().Freq, 145.5);

        TDriverFixture silent;
        silent.Driver.FSetPort(true);
        QVERIFY(!silent.Driver.Connected());
        QCOMPARE(silent.Receiver.Received, QStringList{u"RX"_s});
    }

    void framing() {
        TDriverFixture f;
        QVERIFY(f.Open());
        f.Driver.SendCommand(u"RX"_s);
        f.Driver.SendCommandUpper(u"lm"_s);
        f.Driver.StepUp();
        f.Driver.StepDown();
        f.Settle();
        const QStringList expected{u"RX"_s, u"LM"_s, u"\x1e"_s, u"\x1f"_s};
        QCOMPARE(f.Receiver.Received, expected);
        QCOMPARE(f.TxLines, expected);

        f.Driver.SetSduMode(true);
        QCOMPARE(f.Driver.Timeout, std::uint32_t(TAR5000::kRemoteTimeoutMs));
        f.Receiver.Received.clear();
        f.Driver.SendCommand(u"RX"_s);
        f.Driver.StepUp(); // single bytes never carry the prefix
        f.Settle();
        QCOMPARE(f.Receiver.Received, (QStringList{u"*RX"_s, u"\x1e"_s}));
    }

    void connectionModeSetsTimeoutAndPollRate_data() {
        QTest::addColumn<bool>("sduFirst");
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("sdu");
        QTest::addColumn<std::uint32_t>("timeout");
        QTest::addColumn<int>("poll");
        // Whichever of the two is set last, either one alone asks for the long time-out.
        for (const bool sduFirst : {true, false}) {
            const char* order = sduFirst ? "SDU set first" : "SDU set last";
            QTest::addRow("local, %s", order) << sduFirst << 0 << false << 5000u << 100;
            QTest::addRow("server, %s", order) << sduFirst << 1 << false << 5000u << 100;
            QTest::addRow("client, %s", order) << sduFirst << 2 << false << 10000u << 200;
            QTest::addRow("local SDU, %s", order) << sduFirst << 0 << true << 10000u << 100;
            QTest::addRow("client SDU, %s", order) << sduFirst << 2 << true << 10000u << 200;
        }
    }

    void connectionModeSetsTimeoutAndPollRate() {
        QFETCH(bool, sduFirst);
        QFETCH(int, mode);
        QFETCH(bool, sdu);
        QFETCH(std::uint32_t, timeout);
        QFETCH(int, poll);
        TAR5000 driver;
        // From the opposite settings, so that each call has something to change.
        driver.SetConnectionMode(mode > 1 ? 0 : 2);
        driver.SetSduMode(!sdu);
        if (sduFirst)
            driver.SetSduMode(sdu);
        driver.SetConnectionMode(static_cast<std::uint8_t>(mode));
        if (!sduFirst)
            driver.SetSduMode(sdu);
        QCOMPARE(driver.Timeout, timeout);
        QCOMPARE(driver.PollInterval(), poll);
    }

    void lineSplitting_data() {
        QTest::addColumn<QList<QByteArray>>("chunks");
        QTest::addColumn<QStringList>("dispatched");
        QTest::newRow("split over reads")
            << QList<QByteArray>{"VA RF01455", "00000 ST0250", "00  AU0 MD0\r", "\n"}
            << QStringList{u"VA RF0145500000 ST025000  AU0 MD0"_s};
        QTest::newRow("two in one read")
            << QList<QByteArray>{"LM 8C\r\nBW2\r\n"} << QStringList{u"LM 8C"_s, u"BW2"_s};
        QTest::newRow("no line end yet") << QList<QByteArray>{"LM 8C"} << QStringList{};
        QTest::newRow("blanks and control characters trimmed")
            << QList<QByteArray>{"\x11  LM 8C \t\r\n"} << QStringList{u"LM 8C"_s};
        QTest::newRow("empty lines skipped")
            << QList<QByteArray>{"\r\n \r\nAF1\r\n"} << QStringList{u"AF1"_s};
    }

    void lineSplitting() {
        QFETCH(QList<QByteArray>, chunks);
        QFETCH(QStringList, dispatched);
        TDriverFixture f;
        QVERIFY(f.Open());
        for (const QByteArray& chunk : chunks) {
            f.Receiver.Send(chunk);
            f.Settle();
        }
        QCOMPARE(f.RxLines, dispatched);
        QVERIFY(f.Errors.isEmpty());
    }

    void dispatchUpdatesStateAndFiresEvents() {
        TDriverFixture f;
        QVERIFY(f.Open());
        QStringList events;
        f.Driver.OnFrequency = [&](const TRxDat& r) {
            events << u"freq %1"_s.arg(r.Freq);
        };
        f.Driver.OnMemoryChannel = [&](int ch) {
            events << u"channel %1"_s.arg(ch);
        };
        f.Driver.OnSearchBank = [&](int bank) {
            events << u"bank %1"_s.arg(bank);
        };
        f.Driver.OnPassFrequency = [&](const TPassDat& p) {
            events << u"pass %1 %2 %3"_s.arg(p.Bank).arg(p.Index).arg(p.Freq);
        };
        f.Driver.OnAttenuator = [&](TAR5000*) {
            events << u"attenuator"_s;
        };
        f.Driver.OnSignalLevel = [&](const TRxDat& r) {
            events << u"level %1 %2"_s.arg(r.Level, r.SquelchClosed ? u"closed"_s : u"open"_s);
        };
        f.Driver.OnVfoData = [&](const TRxDat& r) {
            events << u"vfo data %1"_s.arg(r.SubStep);
        };

        f.Receiver.Send("RF0118100000\r\nMX123\r\n"
                        "SR05 SL0144000000 SU0146000000 ST012500  AU0 MD0 TTAIRBAND \r\n"
                        "PR03 07 0145500000\r\nPR03 08 ----------\r\nAT12\r\nLM%FF\r\nSJ5\r\n"
                        "VER AR5000 1.0\r\nVL1\r\n?\r\nZZ99\r\n");
        f.Settle();
        const QStringList expected{u"freq 118.1"_s,     u"channel 123"_s, u"bank 5"_s,
                                   u"pass 3 7 145.5"_s, u"attenuator"_s,  u"level 255 closed"_s,
                                   u"vfo data 5"_s};
        QCOMPARE(events, expected);
        QCOMPARE(f.Driver.Version(), u"VER AR5000 1.0"_s);
        QCOMPARE(MeterAttenuationDb, 20);
        QCOMPARE(f.Driver.CurrentRecord().Channel, 123);
        QVERIFY(f.Driver.CurrentRecord().AttenuatorAuto);
        QCOMPARE(f.Driver.CurrentRecord().Freq, 118.1); // "VL" and "ZZ" changed nothing
        QVERIFY(f.Errors.isEmpty());
    }

    void sduRepliesNeedThePrefix() {
        TDriverFixture f;
        QVERIFY(f.Open());
        f.Driver.SetSduMode(true);
        QStringList levels;
        f.Driver.OnSignalLevel = [&](const TRxDat& r) {
            levels << r.Level;
        };
        f.Receiver.Send("LM 10\r\n*LM 20\r\n*L\r\n");
        f.Settle();
        QCOMPARE(levels, QStringList{u"32"_s});
    }

    void getRxReadsVfoAndMemory_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<TRxDat>("expected");

        TRxDat vfo;
        vfo.Vfo = 10;
        vfo.Freq = 145.5;
        vfo.Step = u"25.000"_s;
        QTest::newRow("vfo") << kVfoA << true << vfo;

        TRxDat memory;
        memory.Vfo = 2;
        memory.Freq = 433.5;
        memory.Step = u"12.500"_s;
        memory.StepAdjust = true;
        memory.AutoMode = true;
        memory.Mode = 1;
        memory.Channel = 7;
        memory.MemoryPass = true;
        memory.Text = u"REPEATER"_s;
        QTest::newRow("memory") << kMemory7 << true << memory;

        TRxDat selectScan = memory;
        selectScan.Vfo = 1;
        QTest::newRow("select scan")
            << QByteArray("SM MX007 MP1 GA0 RF0433500000 ST012500+ AU1 MD1 TMREPEATER\r\n") << true
            << selectScan;

        TRxDat empty;
        empty.Empty = true;
        empty.Channel = 7;
        QTest::newRow("empty memory") << QByteArray("MR007 ---\r\n") << false << empty;
    }

    void getRxReadsVfoAndMemory() {
        QFETCH(QByteArray, reply);
        QFETCH(bool, ok);
        QFETCH(TRxDat, expected);
        TDriverFixture f;
        QVERIFY(f.Open());
        f.Receiver.Answer = [&](const QString& c) {
            return c == u"RX"_s ? reply : QByteArray();
        };
        TRxDat rec;
        QCOMPARE(f.Driver.GetRx(rec), ok);
        QCOMPARE(rec.Vfo, expected.Vfo);
        QCOMPARE(rec.Freq, expected.Freq);
        QCOMPARE(rec.Step, expected.Step);
        QCOMPARE(rec.StepAdjust, expected.StepAdjust);
        QCOMPARE(rec.Mode, expected.Mode);
        QCOMPARE(rec.Channel, expected.Channel);
        QCOMPARE(rec.MemoryPass, expected.MemoryPass);
        QCOMPARE(rec.Text.trimmed(), expected.Text);
        QCOMPARE(rec.Empty, expected.Empty);
        QCOMPARE(f.RxLines.first(), u"Starting GetRx"_s);
        QCOMPARE(f.RxLines.last(), u"Ending GetRx"_s);
        QVERIFY(f.Errors.isEmpty());
    }

    void secondRequestWhileWaitingIsRefused() {
        TDriverFixture f;
        QVERIFY(f.Open());
        bool inner = true;
        f.Receiver.Answer = [&](const QString& c) {
            if (c == u"RX"_s) {
                // While the first GetRx waits, a second one must be turned away at once.
                TRxDat other;
                inner = f.Driver.GetRx(other);
                return kVfoA;
            }
            return QByteArray();
        };
        TRxDat rec;
        QVERIFY(f.Driver.GetRx(rec));
        QVERIFY(!inner);
        QVERIFY(f.RxLines.contains(u"Aborting GetRx"_s));
    }

    void timeoutClearsFlagsAndTheNextRequestWorks() {
        TDriverFixture f(150);
        QVERIFY(f.Open());
        f.Driver.FSetTimerStatus(true);
        QVERIFY(f.Driver.TimerStatus());
        TRxDat rec;
        QVERIFY(!f.Driver.GetRx(rec)); // the receiver never answers
        QCOMPARE(f.Errors, QStringList{u"Timeout waiting for RX data, timer off. Func GetRx"_s});
        QVERIFY(!f.Driver.TimerStatus());
        QVERIFY(!f.Driver.Flags().RxPending);
        QVERIFY(!f.Driver.Flags().LevelPending);

        f.Receiver.Answer = [](const QString& c) {
            return c == u"RX"_s ? kVfoA : QByteArray();
        };
        QVERIFY(f.Driver.GetRx(rec));
        QVERIFY(!f.Driver.TimerStatus()); // stays off until the window turns it on again
    }

    void requestsRefusedWhenClosed() {
        TDriverFixture f;
        TRxDat rec;
        TMAArray block{};
        QVERIFY(!f.Driver.GetRx(rec));
        QVERIFY(!f.Driver.GetMA(block));
        QCOMPARE(f.Driver.GetVersion(), u"Port Not Open"_s);
        QCOMPARE(f.Driver.GetDB(), 0);
        QCOMPARE(f.Driver.GetBN(), 0);
        QCOMPARE(f.Driver.GetLM(), u"0"_s);
        QCOMPARE(f.RxLines, (QStringList{u"Aborting GetRx"_s, u"Aborting GetMA"_s}));
        QCOMPARE(f.Errors, (QStringList{u"Aborted Getting Vfo Level Squelch, default to 0"_s,
                                        u"Aborted GetLM"_s}));
    }

    void pollingKeepsOneLevelRequestOutstanding() {
        TDriverFixture f(2000);
        QVERIFY(f.Open());
        int levels = 0;
        f.Driver.OnSignalLevel = [&](const TRxDat&) {
            ++levels;
        };
        f.Driver.FSetTimerStatus(true);
        QTest::qWait(450); // silent receiver: one "LM", never a queue
        QCOMPARE(f.Receiver.Received, QStringList{u"LM"_s});

        f.Receiver.Answer = [](const QString& c) {
            return c == u"LM"_s ? QByteArray("LM 40\r\n") : c == u"RX"_s ? kVfoA : QByteArray();
        };
        f.Receiver.Send("LM 40\r\n");
        QTRY_VERIFY_WITH_TIMEOUT(levels >= 3, 2000);
        f.Driver.PollRx = true;
        QTRY_VERIFY_WITH_TIMEOUT(f.Receiver.Received.contains(u"RX"_s), 2000);
        f.Driver.FSetTimerStatus(false);
        QVERIFY(!f.Driver.TimerStatus());
    }

    void lostLevelReplyIsReported() {
        TDriverFixture f(150);
        QVERIFY(f.Open());
        f.Driver.FSetTimerStatus(true);
        QTRY_VERIFY_WITH_TIMEOUT(!f.Errors.isEmpty(), 2000);
        QVERIFY(f.Errors.first().contains(u"LM"_s));
        QVERIFY(!f.Driver.TimerStatus());
    }

    void extraVfoData_data() {
        QTest::addColumn<bool>("ct5000");
        QTest::addColumn<bool>("ds8000");
        QTest::addColumn<QString>("broken");
        QTest::addColumn<bool>("ok");
        QTest::newRow("plain") << false << false << QString() << true;
        QTest::newRow("with both units") << true << true << QString() << true;
        QTest::newRow("a reply that never comes") << false << false << u"HP"_s << false;
        QTest::newRow("descrambler missing") << false << true << u"SC"_s << false;
    }

    void extraVfoData() {
        QFETCH(bool, ct5000);
        QFETCH(bool, ds8000);
        QFETCH(QString, broken);
        QFETCH(bool, ok);
        TDriverFixture f;
        QVERIFY(f.Open());
        f.Driver.CT5000 = ct5000;
        f.Driver.DS8000 = ds8000;
        f.Receiver.Answer = [&](const QString& c) {
            return c == broken ? QByteArray() : ExtraReplies(c);
        };
        TRxDat rec;
        QCOMPARE(f.Driver.GetExtraVfoData(rec), ok);
        QStringList sent{u"BW"_s, u"AN"_s, u"AT"_s, u"AC"_s, u"HP"_s, u"LP"_s, u"EN"_s, u"SJ"_s};
        if (ct5000)
            sent.prepend(u"CN"_s);
        if (ds8000)
            sent.append(u"SC"_s);
        QCOMPARE(f.Receiver.Received, sent);
        if (!ok)
            return;
        QCOMPARE(rec.Bandwidth, 2);
        QVERIFY(rec.AntennaAuto);
        QCOMPARE(rec.Antenna, 3);
        QVERIFY(rec.AttenuatorAuto);
        QCOMPARE(rec.Agc, 3);
        QCOMPARE(rec.SubStep, 10);
        QCOMPARE(rec.Ctcss, ct5000 ? 10 : 0);
        QCOMPARE(rec.Descrambler, ds8000 ? 2 : 0);
    }

    void memoryBlock() {
        TDriverFixture f;
        QVERIFY(f.Open());
        f.Receiver.Answer = [](const QString& c) {
            QByteArray lines;
            const int first = c == u"MA3"_s ? 300 : 310;
            for (int ch = first; ch < first + 10; ++ch) {
                lines += ch % 2 ? "MX" + QByteArray::number(ch) + " ---\r\n"
                                : "MX" + QByteArray::number(ch) +
                                      " MP0 GA1 RF0145500000 ST012500  AU0 MD0 TMCH" +
                                      QByteArray::number(ch) + "   \r\n";
            }
            return lines;
        };
        TMAArray block{};
        block[0].Channel = 3;
        QVERIFY(f.Driver.GetMA(block));
        QCOMPARE(f.Receiver.Received, QStringList{u"MA3"_s});
        QCOMPARE(block[0].Channel, 300);
        QCOMPARE(block[0].Text.trimmed(), u"CH300"_s);
        QVERIFY(block[0].SelectScan);
        QVERIFY(block[1].Empty);
        QCOMPARE(block[1].Channel, 301);
        QCOMPARE(block[1].Freq, 0.0);

        block[0].Channel = 310; // continuing: "MA" alone
        QVERIFY(f.Driver.GetMA(block));
        QCOMPARE(f.Receiver.Received.last(), u"MA"_s);
        QCOMPARE(block[9].Channel, 319);
    }

    void memoryBlockWithABrokenLineFails() {
        TDriverFixture f;
        QVERIFY(f.Open());
        f.Receiver.Answer = [](const QString&) {
            QByteArray lines;
            for (int ch = 0; ch < 10; ++ch)
                lines += ch == 4 ? "MX004 MP0\r\n" : "MX00" + QByteArray::number(ch) + " ---\r\n";
            return lines;
        };
        TMAArray block{};
        QVERIFY(!f.Driver.GetMA(block));

        f.Receiver.Answer = [](const QString&) {
            return QByteArray("MX000 ---\r\n");
        };
        QVERIFY(!f.Driver.GetMA(block)); // a short block times out
        QCOMPARE(f.Errors.last(), u"Timeout waiting for MA data, timer off. Func GetMA"_s);
    }

    void singleValueQueries() {
        TDriverFixture f;
        QVERIFY(f.Open());
        f.Receiver.Answer = [](const QString& c) {
            static const QHash<QString, QByteArray> replies = {
                {u"DB"_s, "DB+050\r\n"}, {u"DA"_s, "DA 120\r\n"}, {u"DD"_s, "DD1.5\r\n"},
                {u"DS"_s, "DS1\r\n"},    {u"BN"_s, "BN1\r\n"},    {u"AS"_s, "AS2\r\n"},
                {u"AF"_s, "AF1\r\n"},    {u"NB"_s, "NB0\r\n"},    {u"VR"_s, "VER 1.0\r\n"},
                {u"LM"_s, "LM 7F\r\n"}};
            return replies.value(c);
        };
        bool plus = false;
        QCOMPARE(f.Driver.GetDB(&plus), 50);
        QVERIFY(plus);
        QCOMPARE(f.Driver.GetDA(&plus), 120);
        QVERIFY(!plus);
        QCOMPARE(f.Driver.GetDD(), 15);
        QVERIFY(f.Driver.GetDS());
        QCOMPARE(f.Driver.GetBN(), 1);
        QCOMPARE(f.Driver.GetASt(), 2);
        QVERIFY(f.Driver.GetAF());
        QVERIFY(!f.Driver.GetNB());
        QCOMPARE(f.Driver.GetVersion(), u"VER 1.0"_s);
        QCOMPARE(f.Driver.GetLM(), u"127"_s);
        QVERIFY(f.Errors.isEmpty());

        f.Receiver.Answer = [](const QString&) {
            return QByteArray();
        };
        QCOMPARE(f.Driver.GetBN(), 0);
        QCOMPARE(f.Driver.GetVersion(), u"No Response"_s);
        QCOMPARE(f.Errors, (QStringList{u"Timeout waiting for BN data. Func FGetBank"_s,
                                        u"Timeout on GetVersion"_s}));
    }

    void setVfoChecksTheLetter() {
        TDriverFixture f;
        QVERIFY(f.Open());
        f.Receiver.Answer = [](const QString& c) {
            return c == u"VB"_s ? QByteArray("VB RF0029000000 ST000100  AU1 MD3\r\n")
                                : QByteArray();
        };
        TRxDat rec;
        QVERIFY(f.Driver.SetVfo(u'b', rec));
        QCOMPARE(rec.Vfo, 11);
        QCOMPARE(rec.Freq, 29.0);
        QCOMPARE(rec.Mode, 3);
        QVERIFY(!f.Driver.SetVfo(u'F', rec));
        QCOMPARE(f.Errors, QStringList{u"Bad Vfo command, timer off. Func SetVfo"_s});
        QCOMPARE(f.Receiver.Received, QStringList{u"VB"_s});
    }

    void settersSendNothingOutOfRange() {
        TDriverFixture f;
        QVERIFY(f.Open());
        f.Driver.SetMode(8);
        f.Driver.SetCtcss(56);
        f.Driver.SetVolume(256);
        f.Driver.SetStep(1000);
        f.Driver.SetMode(2);
        f.Driver.SetStep(12.5);
        f.Driver.ChangeVfo(u'Q');
        f.Settle();
        QCOMPARE(f.Receiver.Received, (QStringList{u"MD2"_s, u"ST12500"_s}));
        QCOMPARE(f.Errors, QStringList{u"Data out of range"_s});
    }

    // Cut to the line's 255 characters, a command would lose its CR LF and run into the next.
    void overlongCommandIsRefusedWhole_data() {
        QTest::addColumn<bool>("sdu");
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("sent");
        QTest::newRow("253 fit with CR LF") << false << 253 << true;
        QTest::newRow("254 do not") << false << 254 << false;
        QTest::newRow("252 fit after the SDU prefix") << true << 252 << true;
        QTest::newRow("253 do not after the SDU prefix") << true << 253 << false;
    }
    void overlongCommandIsRefusedWhole() {
        QFETCH(bool, sdu);
        QFETCH(int, length);
        QFETCH(bool, sent);
        TDriverFixture f;
        QVERIFY(f.Open());
        f.Driver.SetSduMode(sdu);
        const QString command = u"TM"_s + QString(length - 2, u'X');
        const QString prefix = sdu ? u"*"_s : QString();
        f.Driver.SendCommand(command);
        f.Driver.SendCommand(u"RX"_s);
        QTRY_VERIFY2(f.Receiver.Received.contains(prefix + u"RX"_s),
                     qPrintable(f.Receiver.Received.join(u'|')));
        if (sent) {
            QCOMPARE(f.Receiver.Received, (QStringList{prefix + command, prefix + u"RX"_s}));
            QVERIFY(f.Errors.isEmpty());
        } else {
            QCOMPARE(f.Receiver.Received, QStringList{prefix + u"RX"_s});
            QCOMPARE(f.Errors, QStringList{u"Command not sent: it is %1 characters long, and at "
                                           u"most %2 fit in one line to the receiver"_s.arg(length)
                                               .arg(sdu ? 252 : 253)});
        }
    }

    void changeVfoAsksForTheWholeSet() {
        TDriverFixture f;
        QVERIFY(f.Open());
        f.Driver.CT5000 = true;
        f.Driver.ChangeVfo(u'c');
        f.Driver.ChangeVfo(u'X');
        f.Settle();
        const QStringList expected{u"VC"_s, u"CN"_s, u"BW"_s, u"AN"_s, u"AT"_s, u"AC"_s, u"HP"_s,
                                   u"LP"_s, u"EN"_s, u"SJ"_s, u"CN"_s, u"RX"_s, u"BW"_s, u"AN"_s,
                                   u"AT"_s, u"AC"_s, u"HP"_s, u"LP"_s, u"EN"_s, u"SJ"_s};
        QCOMPARE(f.Receiver.Received, expected);
    }

    void writeMemoryNeedsRemote() {
        TDriverFixture f;
        QVERIFY(f.Open());
        f.Driver.FirmwareID = 1;
        TRxDat rec;
        rec.Channel = 7;
        rec.Freq = 145.5;
        rec.Step = u"12.500"_s;
        rec.Text = u"repeater"_s;
        f.Driver.UnRemote();
        f.Driver.WriteMemory(rec); // not remote: nothing goes out
        f.Settle();
        QCOMPARE(f.Receiver.Received, QStringList{u"EX"_s});
        f.Receiver.Send("LM 00\r\n"); // any reply makes the link remote again
        f.Settle();
        f.Driver.WriteMemory(rec);
        f.Settle();
        QCOMPARE(f.Receiver.Received.size(), 4);
        QVERIFY(f.Receiver.Received.at(1).startsWith(u"MX007 MP0 RF0145500000 ST12500"_s));
        QVERIFY(f.Receiver.Received.at(1).endsWith(u" TMREPEATER"_s));
        QCOMPARE(f.Receiver.Received.mid(2), (QStringList{u"AN0"_s, u"GA0"_s}));
    }

    void endlessLineIsCappedAndReportedOnce() {
        TDriverFixture f;
        QVERIFY(f.Open());
        const QByteArray junk(16 * 1024, 'x');
        for (int i = 0; i < 10; ++i) {
            f.Receiver.Send(junk);
            f.Settle(5);
        }
        QCOMPARE(f.Errors.size(), 1);
        QVERIFY(f.Errors.first().startsWith(u"Receive buffer overflow"_s));
        f.Receiver.Send("\r\nLM 11\r\n"); // the line after the noise is read normally
        f.Settle();
        QCOMPARE(f.RxLines.last(), u"LM 11"_s);
    }

    void unpluggedDeviceIsReportedOnce() {
        TDriverFixture f;
        QVERIFY(f.Open());
        QSignalSpy lost(&f.Driver, &TAR5000::LinkLost);
        f.Driver.FSetTimerStatus(true);
        f.Receiver.Unplug();
        QTRY_COMPARE(lost.size(), 1);
        QVERIFY(!f.Driver.Connected());
        QTest::qWait(300);
        QCOMPARE(f.Errors.size(), 1);
        QCOMPARE(lost.size(), 1);
        TRxDat rec;
        QVERIFY(!f.Driver.GetRx(rec));
    }

    void clientModeOverTcp() {
        TClientFixture f;
        QVERIFY(f.Connect());
        QByteArray received;
        connect(f.Peer, &QTcpSocket::readyRead, f.Peer, [&] {
            received += f.Peer->readAll();
            if (received.endsWith("RX\r\n")) {
                // The network carries no "*", even to a client that has SDU mode set.
                f.Peer->write("VB RF0029");
                f.Peer->flush();
                QTimer::singleShot(30, f.Peer,
                                   [&f] { f.Peer->write("000000 ST000100  AU1 MD3\r\n"); });
            }
        });
        f.Driver.SetSduMode(true); // commands never carry the prefix on the network
        f.Driver.Timeout = 2000;
        f.Driver.StepUp();
        TRxDat rec;
        QVERIFY(f.Driver.GetRx(rec));
        QCOMPARE(rec.Freq, 29.0);
        QCOMPARE(received, QByteArray("\x1e\r\nRX\r\n"));
        QVERIFY(f.Events.isEmpty());
        f.Driver.FSetPort(false);
        QVERIFY(!f.Driver.Connected());
        QCOMPARE(f.Lost.size(), 0); // closed here, not lost
    }

    // What the server sends, read by read: each step's bytes and how many messages the client
    // has reported once it has read them.
    void serverMessages_data() {
        QTest::addColumn<TSteps>("steps");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QStringList>("replies");
        const QByteArray reply = "VA RF0145500000 ST025000  AU0 MD0";
        QTest::newRow("message and reply in one read")
            << TSteps{{"Kv7Msg hello\r\n" + reply + "\r\n", 1}} << QStringList{u"hello"_s}
            << QStringList{QString::fromLatin1(reply)};
        QTest::newRow("older server: a message at the end of a read is whole")
            << TSteps{{"Kv7Msg 127.0.0.1 Connected", 1}, {reply + "\r\n", 1}}
            << QStringList{u"127.0.0.1 Connected"_s} << QStringList{QString::fromLatin1(reply)};
        QTest::newRow("after a message with a line end, a cut one waits for its rest")
            << TSteps{{"Kv7Msg one\r\nKv7Msg tw", 1}, {"o\r\n" + reply + "\r\n", 2}}
            << QStringList{u"one"_s, u"two"_s} << QStringList{QString::fromLatin1(reply)};
    }

    void serverMessages() {
        QFETCH(TSteps, steps);
        QFETCH(QStringList, messages);
        QFETCH(QStringList, replies);
        TClientFixture f;
        QVERIFY(f.Connect());
        QStringList dispatched;
        f.Driver.OnRxLine = [&](const QString& line) {
            dispatched << line;
        };
        for (const auto& [bytes, reportedAfter] : steps) {
            f.Peer->write(bytes);
            QTRY_COMPARE(f.Events.size(), reportedAfter);
        }
        QTRY_COMPARE(dispatched, replies);
        QStringList expected;
        for (const QString& message : messages)
            expected << u"Message From Server 127.0.0.1\r\nServer Reports Kv7Msg "_s + message;
        QCOMPARE(f.Events, expected);
    }

    void serverMessageLeavesAWaitingRequestAlone() {
        TClientFixture f;
        QVERIFY(f.Connect());
        connect(f.Peer, &QTcpSocket::readyRead, f.Peer, [&f] {
            if (f.Peer->readAll().contains("RX\r\n"))
                f.Peer->write("Kv7Msg 127.0.0.1 Connected\r\n");
        });
        // The reply goes out only once the client has reported the message.
        f.Driver.OnErrorMessage = [&f](const QString& text) {
            f.Events << text;
            f.Peer->write("VB RF0029000000 ST000100  AU1 MD3\r\n");
        };
        TRxDat rec;
        QVERIFY(f.Driver.GetRx(rec));
        QCOMPARE(rec.Freq, 29.0);
        QCOMPARE(f.Events.size(), 1);
    }

    // However the server's connection ends, a request waiting on it ends at once and the link
    // is lost, after the server's last words.
    void clientLinkLost_data() {
        QTest::addColumn<QByteArray>("lastWords");
        QTest::addColumn<TEnding>("ending");
        const TEnding closes = [](TClientFixture& f) {
            f.Peer->disconnectFromHost();
        };
        QTest::newRow("server closes") << QByteArray() << closes;
        QTest::newRow("server closes after its message")
            << QByteArray("Kv7Msg Server Closed Port\r\n") << closes;
        QTest::newRow("older server closes after its message")
            << QByteArray("Kv7Msg Server Closed Port") << closes;
        QTest::newRow("connection dropped")
            << QByteArray() << TEnding([](TClientFixture& f) { f.Peer->abort(); });
    }

    void clientLinkLost() {
        QFETCH(QByteArray, lastWords);
        QFETCH(TEnding, ending);
        TClientFixture f;
        QVERIFY(f.Connect());
        f.Driver.Timeout = 60000; // a wait that ran into it would report its time-out
        connect(f.Peer, &QTcpSocket::readyRead, f.Peer, [&] {
            if (!f.Peer->readAll().contains("RX\r\n"))
                return;
            if (!lastWords.isEmpty()) {
                f.Peer->write(lastWords);
                f.Peer->flush();
            }
            ending(f);
        });
        TRxDat rec;
        QVERIFY(!f.Driver.GetRx(rec));
        QTRY_COMPARE(f.Lost.size(), 1);
        QVERIFY(!f.Driver.Connected());
        QStringList expected;
        if (!lastWords.isEmpty())
            expected << u"Message From Server 127.0.0.1\r\nServer Reports Kv7Msg Server "
                        u"Closed Port"_s;
        expected << u"lost"_s;
        QCOMPARE(f.Events, expected);
        QVERIFY(!f.Driver.Flags().RxPending);
    }

    void clientCannotConnect() {
        TAR5000 driver;
        QTcpSocket socket;
        driver.SetClientSocket(&socket);
        driver.SetConnectionMode(2);
        driver.RemoteHost = u"127.0.0.1"_s;
        driver.ClientPort = 1; // nothing listens there
        driver.FSetPort(true);
        QVERIFY(!driver.Connected());
    }

    void serverModeRelaysReplies() {
        TDriverFixture f;
        TRelayServer server;
        f.Driver.SetServerSocket(&server);
        f.Driver.SetConnectionMode(1);
        f.Driver.Timeout = 300;
        f.Driver.ServerPort = 0; // any free port
        QVERIFY(f.Open());
        QVERIFY(server.IsActive());
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, server.ServerPort());
        QVERIFY(client.waitForConnected(2000));
        QTRY_COMPARE(server.ActiveConnections(), 1);
        f.Receiver.Send("LM 8C\r\n");
        QTRY_VERIFY(client.bytesAvailable() >= 7);
        QCOMPARE(client.readAll(), QByteArray("LM 8C\r\n"));
        QCOMPARE(f.RxLines, QStringList{u"LM 8C"_s}); // and processed here as well

        f.Driver.FSetPort(false);
        QVERIFY(!server.IsActive());
    }
};

QTEST_GUILESS_MAIN(TestAR5000)
#include "tst_ar5000.moc"
