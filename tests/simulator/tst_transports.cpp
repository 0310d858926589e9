// The ways to reach the simulated receiver: the paced loopback line, TCP, a pseudo-terminal and
// the kovela-sim program.

#include "LoopbackLink.h"
#include "SimLine.h"
#include "SimReceiver.h"
#include "SimTransports.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace {

#ifdef Q_OS_UNIX
// Opens a pseudo-terminal's slave side raw and non-blocking, as a serial port would be.
int OpenRaw(const QString& path) {
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return fd;
    termios settings{};
    ::tcgetattr(fd, &settings);
    ::cfmakeraw(&settings);
    ::tcsetattr(fd, TCSANOW, &settings);
    return fd;
}

// Reads until a line end came, the line hung up (returns false) or the time ran out.
bool ReadUntilLineEnd(int fd, QByteArray& received, int timeoutMs) {
    bool hungUp = false;
    const bool done = QTest::qWaitFor(
        [&] {
            char buffer[256];
            ssize_t count = 0;
            while ((count = ::read(fd, buffer, sizeof buffer)) > 0)
                received.append(buffer, static_cast<qsizetype>(count));
            hungUp = count == 0 || (count < 0 && errno != EAGAIN);
            return hungUp || received.contains("\r\n");
        },
        timeoutMs);
    return done && !hungUp;
}
#endif

} // namespace

class TestSimTransports : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pacing_data();
    void pacing();
    void tcpServesOneClient();
    void pseudoTerminal();
    void program();
};

void TestSimTransports::pacing_data() {
    QTest::addColumn<int>("baud");
    QTest::addColumn<int>("latencyMs");
    QTest::addColumn<QByteArray>("commands");
    QTest::addColumn<QByteArray>("firstAnswered");
    QTest::addColumn<int>("replyLines");

    QTest::newRow("9600 baud, a memory block")
        << 9600 << 0 << QByteArray("MA0\r\n") << QByteArray("MA0") << 10;
    QTest::newRow("1200 baud, a long command first")
        << 1200 << 0
        << QByteArray("MX007 MP0 RF0145500000 ST12500 MD0 AT0 BW2 LP2 HP0 EN1 AC1 SJ0 TMPACED\r\n"
                      "RX\r\n")
        << QByteArray("RX") << 1;
    QTest::newRow("latency alone") << 0 << 150 << QByteArray("RX\r\n") << QByteArray("RX") << 1;
    QTest::newRow("4800 baud and latency")
        << 4800 << 60 << QByteArray("VR\r\nRX\r\n") << QByteArray("VR") << 2;
}

void TestSimTransports::pacing() {
    QFETCH(int, baud);
    QFETCH(int, latencyMs);
    QFETCH(QByteArray, commands);
    QFETCH(QByteArray, firstAnswered);
    QFETCH(int, replyLines);

    TSimOptions options;
    options.BaudRate = baud;
    options.LatencyMs = latencyMs;
    TSimReceiver receiver(options);
    TSimLoopback loopback(&receiver);
    TLoopbackEnd* driver = loopback.DriverEnd();
    driver->open(QIODevice::ReadWrite);
    QByteArray received;
    qint64 lastByteNs = 0;
    QElapsedTimer clock;
    QObject::connect(driver, &QIODevice::readyRead, [&] {
        received += driver->readAll();
        lastByteNs = clock.nsecsElapsed();
    });

    clock.start();
    driver->write(commands);
    QVERIFY(QTest::qWaitFor([&] { return received.count("\r\n") >= replyLines; }, 10'000));

    // No reply starts before its command's line end has crossed and the latency has passed, and
    // then every byte of the replies takes its 11 bit times (the line is full duplex: commands
    // after the first answered one may cross while replies leave).
    const qint64 leadBytes = commands.indexOf(firstAnswered + '\r') + firstAnswered.size() + 1;
    const qint64 byteNs = baud > 0 ? 11 * qint64(1'000'000'000) / baud : 0;
    const qint64 minimumNs = (leadBytes + received.size()) * byteNs + latencyMs * qint64(1'000'000);
    QVERIFY2(lastByteNs >= minimumNs,
             qPrintable(u"%1 us < %2 us"_s.arg(lastByteNs / 1000).arg(minimumNs / 1000)));
    QCOMPARE(receiver.BytesReceived(), qint64(commands.size()));
    QCOMPARE(receiver.BytesSent(), qint64(received.size()));
    QVERIFY(loopback.Line()->Idle());
}

void TestSimTransports::tcpServesOneClient() {
    TSimReceiver receiver;
    TSimTcpServer server(&receiver);
    QVERIFY(server.Listen());

    QTcpSocket first;
    first.connectToHost(u"127.0.0.1"_s, server.Port());
    QVERIFY(first.waitForConnected(2000));
    QTRY_VERIFY(server.HasClient());
    first.write("VR\r\n");
    QTRY_VERIFY(first.canReadLine());
    QCOMPARE(first.readAll(), QByteArray("VER AR5000 1.0\r\n"));

    QTcpSocket second;
    second.connectToHost(u"127.0.0.1"_s, server.Port());
    QVERIFY(second.waitForConnected(2000));
    QTRY_COMPARE(second.state(), QAbstractSocket::UnconnectedState);

    QSignalSpy gone(&server, &TSimTcpServer::ClientDisconnected);
    receiver.DropConnection();
    QTRY_COMPARE(first.state(), QAbstractSocket::UnconnectedState);
    QTRY_COMPARE(gone.size(), 1);

    QTcpSocket third;
    third.connectToHost(u"127.0.0.1"_s, server.Port());
    QVERIFY(third.waitForConnected(2000));
    third.write("RX\r\n");
    QTRY_VERIFY(third.canReadLine());
    QVERIFY(third.readLine().startsWith("VA RF"));
}

void TestSimTransports::pseudoTerminal() {
#ifdef Q_OS_UNIX
    TSimReceiver receiver;
    TSimPty pty(&receiver);
    QVERIFY2(pty.Open(), qPrintable(pty.ErrorText()));
    QVERIFY(pty.SlavePath().startsWith(u"/dev/"_s));

    // Opened, closed and opened again, as a program opens and closes its port.
    for (int round = 0; round < 2; ++round) {
        const int fd = OpenRaw(pty.SlavePath());
        QVERIFY(fd >= 0);
        QByteArray received;
        QVERIFY(::write(fd, "VR\r", 3) == 3);
        QVERIFY(ReadUntilLineEnd(fd, received, 3000));
        QCOMPARE(received, QByteArray("VER AR5000 1.0\r\n"));
        if (round == 1) {
            pty.DropConnection();
            QVERIFY(!pty.IsOpen());
            received.clear();
            QVERIFY(!ReadUntilLineEnd(fd, received, 3000));
        }
        ::close(fd);
    }
#else
    QSKIP("Pseudo-terminals need a POSIX system");
#endif
}

void TestSimTransports::program() {
#ifdef Q_OS_UNIX
    const QString binary = qEnvironmentVariable("KOVELA_SIM");
    if (binary.isEmpty())
        QSKIP("KOVELA_SIM is not set");

    QProcess help;
    help.start(binary, {u"--help"_s});
    QVERIFY(help.waitForFinished(5000));
    const QString helpText = QString::fromLocal8Bit(help.readAllStandardOutput());
    for (const char* option : {"--pty", "--tcp", "--baud", "--latency", "--seed", "--ct5000",
                               "--ds8000", "--sdu", "--fill", "--trace"})
        QVERIFY2(helpText.contains(QLatin1StringView(option)), option);

    QProcess sim;
    sim.start(binary, {u"--pty"_s, u"--seed"_s, u"3"_s});
    QVERIFY(sim.waitForStarted(5000));
    QVERIFY(QTest::qWaitFor([&] { return sim.canReadLine(); }, 5000));
    const QString first = QString::fromLocal8Bit(sim.readLine()).trimmed();
    QVERIFY2(first.startsWith(u"Device: /dev/"_s), qPrintable(first));

    const int fd = OpenRaw(first.mid(8));
    QVERIFY(fd >= 0);
    QVERIFY(::write(fd, "RX\r\n", 4) == 4);
    QByteArray received;
    QVERIFY(ReadUntilLineEnd(fd, received, 5000));
    QVERIFY2(received.startsWith("VA RF") && received.endsWith("\r\n"), received);
    ::close(fd);

    sim.terminate();
    QVERIFY(sim.waitForFinished(5000));
    QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.exitCode(), 0);
#else
    QSKIP("The program serves a pseudo-terminal, which needs a POSIX system");
#endif
}

QTEST_GUILESS_MAIN(TestSimTransports)
#include "tst_transports.moc"
