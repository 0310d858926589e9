// Asking a time server and setting the clock from its answer, against a small time server on
// loopback, with the clock and the clock setter replaced.
#include "ServerTimeSetting.h"
#include "SntpClient.h"

#include <QNetworkDatagram>
#include <QSignalSpy>
#include <QTest>
#include <QUdpSocket>
#include <QtEndian>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 kMs = 1000;
// 2023-11-14 22:13:20 UTC.
constexpr qint64 kSentUs = 1700000000LL * 1000000 + 250 * kMs;

enum class TFault {
    None,
    WrongOrigin,
    ClientMode,
    StratumZero,
    Stratum16,
    LeapThree,
    Short,
    Silent
};

// Answers one question the way it is told to. The server's clock runs `OffsetUs` ahead of ours;
// the question takes 10 ms to arrive and the server holds it 1 ms.
struct TTimeServer {
    QUdpSocket Socket;
    QUdpSocket Stranger; // a packet from anyone else must be ignored
    TFault Fault = TFault::None;
    qint64 OffsetUs = 0;
    bool StrangerFirst = false;
    int Questions = 0;

    TTimeServer() {
        if (!Socket.bind(QHostAddress::LocalHost, 0) || !Stranger.bind(QHostAddress::LocalHost, 0))
            qFatal("cannot bind a loopback socket");
        QObject::connect(&Socket, &QUdpSocket::readyRead, &Socket, [this] { Answer(); });
    }
    QString Address() const { return u"127.0.0.1:%1"_s.arg(Socket.localPort()); }

    void Answer() {
        while (Socket.hasPendingDatagrams()) {
            const QNetworkDatagram question = Socket.receiveDatagram();
            ++Questions;
            if (Fault == TFault::Silent)
                continue;
            const QByteArray asked = question.data();
            const qint64 askedUs = NtpTimestampToUnixUs(asked.mid(40, 8));
            QByteArray reply(48, '\0');
            const int leap = Fault == TFault::LeapThree ? 3 : 0;
            const int mode = Fault == TFault::ClientMode ? 3 : 4;
            reply[0] = static_cast<char>((leap << 6) | (4 << 3) | mode);
            reply[1] = static_cast<char>(Fault == TFault::StratumZero ? 0
                                         : Fault == TFault::Stratum16 ? 16
                                                                      : 2);
            if (Fault == TFault::StratumZero)
                reply.replace(12, 4, "RATE");
            reply.replace(
                24, 8, Fault == TFault::WrongOrigin ? NtpTimestamp(askedUs + 1) : asked.mid(40, 8));
            reply.replace(32, 8, NtpTimestamp(askedUs + OffsetUs + 10 * kMs));
            reply.replace(40, 8, NtpTimestamp(askedUs + OffsetUs + 11 * kMs));
            if (Fault == TFault::Short)
                reply.truncate(40);
            if (StrangerFirst) {
                QByteArray forged = reply;
                forged.replace(40, 8, NtpTimestamp(askedUs + 3600LL * 1000000));
                Stranger.writeDatagram(forged, question.senderAddress(),
                                       static_cast<quint16>(question.senderPort()));
            }
            Socket.writeDatagram(reply, question.senderAddress(),
                                 static_cast<quint16>(question.senderPort()));
        }
    }
};

// Records what it was asked to do, and answers as it is told.
struct TFakeClockSetter final : TClockSetter {
    QList<qint64>* Adjusted;
    QString Refusal;
    TFakeClockSetter(QList<qint64>* adjusted, QString refusal)
        : Adjusted(adjusted)
        , Refusal(std::move(refusal)) {}
    void Adjust(qint64 offsetUs, std::function<void(const QString&)> done) override {
        Adjusted->append(offsetUs);
        done(Refusal);
    }
};

struct TSetting {
    QList<qint64> Adjusted;
    TServerTimeSetting Setting;
    QSignalSpy Finished{&Setting, &TServerTimeSetting::Finished};
    QList<qint64> Clock; // the local clock's readings, in turn

    explicit TSetting(const QString& refusal = {}, qint64 sentUs = kSentUs)
        : Setting(std::make_unique<TFakeClockSetter>(&Adjusted, refusal)) {
        // The question leaves at sentUs and the answer is read 25 ms later.
        Clock = {sentUs, sentUs + 25 * kMs};
        Setting.Client().ClockUs = [this] {
            return Clock.size() > 1 ? Clock.takeFirst() : Clock.first();
        };
    }
    bool RunAgainst(const QString& server) {
        Setting.Run(server);
        return !Finished.isEmpty() || Finished.wait(10000);
    }
    bool ClockSet() const { return Finished.first().at(0).toBool(); }
    QString Text() const { return Finished.first().at(1).toString(); }
};

} // namespace

class TestSntp : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void TimestampsRoundTripAcross2036_data() {
        QTest::addColumn<qint64>("unixUs");
        QTest::addColumn<quint32>("ntpSeconds");
        QTest::newRow("2000") << 946684800LL * 1000000 + 123456 << 3155673600U;
        QTest::newRow("last second of era 0") << 2085978495LL * 1000000 + 999999 << 0xFFFFFFFFU;
        QTest::newRow("first second of era 1") << 2085978496LL * 1000000 << 0U;
        QTest::newRow("2040") << 2208988800LL * 1000000 + 500000 << 123010304U;
    }
    void TimestampsRoundTripAcross2036() {
        QFETCH(qint64, unixUs);
        QFETCH(quint32, ntpSeconds);
        const QByteArray stamp = NtpTimestamp(unixUs);
        QCOMPARE(qFromBigEndian<quint32>(stamp.constData()), ntpSeconds);
        QCOMPARE(NtpTimestampToUnixUs(stamp), unixUs);
    }

    void ServerNamesWithAndWithoutPort_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");
        QTest::newRow("name") << u" pool.ntp.org "_s << true << u"pool.ntp.org"_s << 123;
        QTest::newRow("name:port") << u"localhost:1123"_s << true << u"localhost"_s << 1123;
        QTest::newRow("[v6]:port") << u"[::1]:50123"_s << true << u"::1"_s << 50123;
        QTest::newRow("bare v6") << u"::1"_s << true << u"::1"_s << 123;
        QTest::newRow("port 0") << u"localhost:0"_s << false << QString() << 0;
        QTest::newRow("port text") << u"localhost:ntp"_s << false << QString() << 0;
        QTest::newRow("empty") << u""_s << false << QString() << 0;
    }
    void ServerNamesWithAndWithoutPort() {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(QString, host);
        QFETCH(int, port);
        QString foundHost;
        quint16 foundPort = 0;
        QCOMPARE(SplitServer(text, foundHost, foundPort), ok);
        if (ok) {
            QCOMPARE(foundHost, host);
            QCOMPARE(int(foundPort), port);
        }
    }

    void SetsTheClockByTheCorrectedOffset_data() {
        QTest::addColumn<qint64>("sentUs");
        QTest::addColumn<qint64>("offsetUs");
        QTest::newRow("server 5 s ahead") << kSentUs << 5000 * kMs;
        QTest::newRow("server 90 s behind") << kSentUs << -90000 * kMs;
        // NTP's seconds have wrapped: a reading with the top bit clear is after 2036.
        QTest::newRow("after 2036") << 2208988800LL * 1000000 << 1500 * kMs;
    }
    void SetsTheClockByTheCorrectedOffset() {
        QFETCH(qint64, sentUs);
        QFETCH(qint64, offsetUs);
        TTimeServer server;
        server.OffsetUs = offsetUs;
        server.StrangerFirst = true;
        TSetting set({}, sentUs);
        QVERIFY(set.RunAgainst(server.Address()));
        QVERIFY2(set.ClockSet(), qPrintable(set.Text()));
        // Sent at 0, received by the server at offset + 10 ms, answered at offset + 11 ms, read
        // at 25 ms: ((offset + 10) + (offset + 11 - 25)) / 2 = offset - 2 ms.
        QCOMPARE(set.Adjusted, QList<qint64>{offsetUs - 2 * kMs});
        QVERIFY2(set.Text().contains(server.Address()) && set.Text().contains(u"24.0 ms"_s),
                 qPrintable(set.Text()));
        QCOMPARE(server.Questions, 1);
    }

    void RefusesAnAnswerItCannotTrust_data() {
        QTest::addColumn<int>("fault");
        QTest::addColumn<QString>("told");
        QTest::newRow("wrong origin") << int(TFault::WrongOrigin) << u"origin time"_s;
        QTest::newRow("client mode") << int(TFault::ClientMode) << u"mode 3"_s;
        QTest::newRow("stratum 0") << int(TFault::StratumZero) << u"\"RATE\""_s;
        QTest::newRow("stratum 16") << int(TFault::Stratum16) << u"stratum 16"_s;
        QTest::newRow("leap 3") << int(TFault::LeapThree) << u"leap indicator 3"_s;
        QTest::newRow("short") << int(TFault::Short) << u"40 bytes"_s;
        QTest::newRow("silence") << int(TFault::Silent) << u"No answer"_s;
    }
    void RefusesAnAnswerItCannotTrust() {
        QFETCH(int, fault);
        QFETCH(QString, told);
        TTimeServer server;
        server.Fault = static_cast<TFault>(fault);
        TSetting set;
        set.Setting.Client().ReceiveTimeoutMs = 300;
        QVERIFY(set.RunAgainst(server.Address()));
        QVERIFY(!set.ClockSet());
        QVERIFY2(set.Text().contains(told) && set.Text().contains(u"not changed"_s),
                 qPrintable(set.Text()));
        QVERIFY(set.Adjusted.isEmpty());
        QVERIFY(!set.Setting.Busy());
    }

    void TellsWhyTheClockWasNotSet() {
        TTimeServer server;
        const QString refusal = u"The clock was not set: automatic time synchronisation"_s;
        TSetting set(refusal);
        QVERIFY(set.RunAgainst(server.Address()));
        QVERIFY(!set.ClockSet());
        QCOMPARE(set.Text(), refusal);
        QCOMPARE(set.Adjusted.size(), 1);
    }

    void RefusesAServerThatIsNotAName() {
        TSetting set;
        QVERIFY(set.RunAgainst(u"localhost:99999"_s));
        QVERIFY(!set.ClockSet());
        QVERIFY2(set.Text().contains(u"localhost:99999"_s), qPrintable(set.Text()));
    }
};

QTEST_GUILESS_MAIN(TestSntp)
#include "tst_sntp.moc"
