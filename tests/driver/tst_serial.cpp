#include "LoopbackLink.h"
#include "Serial.h"

#include <QAbstractEventDispatcher>
#include <QEventLoop>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <optional>

#ifdef Q_OS_UNIX
#include "PseudoTerminal.h"

#include <cerrno>
#include <cstring>
#endif

using namespace Qt::StringLiterals;

using TChange = void (*)(TSerial&);
using TStored = bool (*)(const TSerial&);
Q_DECLARE_METATYPE(TChange)
Q_DECLARE_METATYPE(TStored)

namespace {

// What a port reports through its hooks; received bytes are read as the driver reads them.
struct TRecorder {
    explicit TRecorder(TSerial& serial) {
        serial.OnError = [this](TSerial* port) {
            Errors.append(port->ErrorText());
        };
        serial.OnTxEmpty = [this](TSerial*) {
            ++TxEmpty;
        };
        serial.OnRxData = [this](TSerial* port) {
            char byte = 0;
            while (port->ReadByte(byte) == 1)
                Received.append(byte);
        };
    }

    QStringList Errors;
    QByteArray Received;
    int TxEmpty = 0;
};

// Wake-ups of the event loop while it runs `ms` with nothing to do: a few when idle, thousands
// when a notifier spins.
int WakeupsWhileIdle(int ms) {
    int wakeups = 0;
    const auto counter =
        QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::awake,
                         [&wakeups] { ++wakeups; });
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    QObject::disconnect(counter);
    return wakeups;
}

constexpr int kIdleWakeupLimit = 50;

QByteArray EveryByteValue() {
    QByteArray bytes;
    for (int value = 0; value < 256; ++value)
        bytes.append(static_cast<char>(value));
    return bytes;
}

} // namespace

class tst_Serial : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        FSavedDialog = TSerial::ShowErrorDialog;
        TSerial::ShowErrorDialog = [this](const QString& text) {
            FDialogs.append(text);
        };
    }
    void cleanupTestCase() { TSerial::ShowErrorDialog = FSavedDialog; }
    void init() { FDialogs.clear(); }

    void defaults() {
        TSerial serial;
        QCOMPARE(serial.Port(), 1);
        QCOMPARE(serial.Baudrate(), 9600);
        QCOMPARE(serial.Parity(), TSerial::paNone);
        QCOMPARE(serial.DataBits(), TSerial::d7bit);
        QCOMPARE(serial.StopBits(), TSerial::st1bit);
        QCOMPARE(serial.RxQueueSize(), 1024);
        QCOMPARE(serial.TxQueueSize(), 1024);
        QCOMPARE(serial.FlowMode(), TSerial::fcNone);
        QCOMPARE(serial.CheckParity(), true);
        QCOMPARE(serial.RxEventMode(), TSerial::rxNormal);
        QCOMPARE(serial.MessageStartChar(), '\x02');
        QCOMPARE(serial.MessageEndChar(), '\x03');
        QCOMPARE(serial.MessageAppendCount(), 0);
        QCOMPARE(serial.NotifyErrors(), TSerial::neDialog);
        QCOMPARE(serial.ErrorCode(), 0u);
        QVERIFY(!serial.IsOpen());
        QCOMPARE(serial.RxWaiting(), 0);
        QCOMPARE(serial.TxWaiting(), 0);
        char byte = 0;
        QCOMPARE(serial.ReadByte(byte), 0);
    }

    void deviceName_data() {
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
#ifdef Q_OS_WIN
        QTest::newRow("1") << 1 << QString() << u"COM1"_s;
        QTest::newRow("9") << 9 << QString() << u"COM9"_s;
        QTest::newRow("10 device namespace") << 10 << QString() << u"\\\\.\\COM10"_s;
        QTest::newRow("14 device namespace") << 14 << QString() << u"\\\\.\\COM14"_s;
#else
        QTest::newRow("1") << 1 << QString() << u"/dev/ttyS0"_s;
        QTest::newRow("9") << 9 << QString() << u"/dev/ttyS8"_s;
        QTest::newRow("10") << 10 << QString() << u"/dev/ttyS9"_s;
        QTest::newRow("14") << 14 << QString() << u"/dev/ttyS13"_s;
#endif
        QTest::newRow("path wins") << 3 << u"/dev/ttyUSB0"_s << u"/dev/ttyUSB0"_s;
    }
    void deviceName() {
        QFETCH(int, port);
        QFETCH(QString, path);
        QFETCH(QString, expected);
        TSerial serial;
        serial.SetPort(static_cast<std::uint8_t>(port));
        serial.SetPortName(path);
        QCOMPARE(serial.DeviceName(), expected);
    }

    void baudrateValidation_data() {
        QTest::addColumn<int>("rate");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("300") << 300 << true;
        QTest::newRow("14400") << 14400 << true;
        QTest::newRow("115200") << 115200 << true;
        QTest::newRow("1000") << 1000 << false;
        QTest::newRow("0") << 0 << false;
        QTest::newRow("-9600") << -9600 << false;
        QTest::newRow("230400") << 230400 << false;
    }
    void baudrateValidation() {
        QFETCH(int, rate);
        QFETCH(bool, accepted);
        TSerial serial;
        serial.SetBaudrate(rate);
        QCOMPARE(serial.Baudrate(), accepted ? rate : 9600);
        QCOMPARE(TSerial::IsSupportedBaudrate(rate), accepted);
        QCOMPARE(FDialogs, accepted ? QStringList() : QStringList{u"Baudrate is not valid"_s});
    }

    // On an open port a change re-opens it (seen as the line device being closed once); a
    // closed port takes the value and stays closed.
    void propertyChange_data() {
        QTest::addColumn<TChange>("change");
        QTest::addColumn<TStored>("stored");
        QTest::addColumn<bool>("reopens");
        QTest::newRow("port") << TChange([](TSerial& s) { s.SetPort(2); })
                              << TStored([](const TSerial& s) { return s.Port() == 2; }) << true;
        QTest::newRow("same port")
            << TChange([](TSerial& s) { s.SetPort(1); })
            << TStored([](const TSerial& s) { return s.Port() == 1; }) << false;
        QTest::newRow("device path")
            << TChange([](TSerial& s) { s.SetPortName(u"/dev/ttyUSB0"_s); })
            << TStored([](const TSerial& s) { return s.PortName() == u"/dev/ttyUSB0"_s; }) << true;
        QTest::newRow("baudrate") << TChange([](TSerial& s) { s.SetBaudrate(4800); })
                                  << TStored([](const TSerial& s) { return s.Baudrate() == 4800; })
                                  << true;
        QTest::newRow("same baudrate")
            << TChange([](TSerial& s) { s.SetBaudrate(9600); })
            << TStored([](const TSerial& s) { return s.Baudrate() == 9600; }) << false;
        QTest::newRow("invalid baudrate")
            << TChange([](TSerial& s) { s.SetBaudrate(1000); })
            << TStored([](const TSerial& s) { return s.Baudrate() == 9600; }) << false;
        QTest::newRow("parity") << TChange([](TSerial& s) {
            s.SetParity(TSerial::paEven);
        }) << TStored([](const TSerial& s) { return s.Parity() == TSerial::paEven; })
                                << true;
        QTest::newRow("same parity")
            << TChange([](TSerial& s) { s.SetParity(TSerial::paNone); })
            << TStored([](const TSerial& s) { return s.Parity() == TSerial::paNone; }) << false;
        QTest::newRow("data bits")
            << TChange([](TSerial& s) { s.SetDataBits(TSerial::d8bit); })
            << TStored([](const TSerial& s) { return s.DataBits() == TSerial::d8bit; }) << true;
        QTest::newRow("stop bits")
            << TChange([](TSerial& s) { s.SetStopBits(TSerial::st2bit); })
            << TStored([](const TSerial& s) { return s.StopBits() == TSerial::st2bit; }) << true;
        QTest::newRow("flow mode")
            << TChange([](TSerial& s) { s.SetFlowMode(TSerial::fcXON_XOF); })
            << TStored([](const TSerial& s) { return s.FlowMode() == TSerial::fcXON_XOF; }) << true;
        QTest::newRow("same flow mode")
            << TChange([](TSerial& s) { s.SetFlowMode(TSerial::fcNone); })
            << TStored([](const TSerial& s) { return s.FlowMode() == TSerial::fcNone; }) << false;
        QTest::newRow("check parity")
            << TChange([](TSerial& s) { s.SetCheckParity(false); })
            << TStored([](const TSerial& s) { return !s.CheckParity(); }) << true;
        QTest::newRow("rx queue, same size")
            << TChange([](TSerial& s) { s.SetRxQueueSize(1024); })
            << TStored([](const TSerial& s) { return s.RxQueueSize() == 1024; }) << true;
        QTest::newRow("tx queue") << TChange([](TSerial& s) {
            s.SetTxQueueSize(2048);
        }) << TStored([](const TSerial& s) { return s.TxQueueSize() == 2048; })
                                  << true;
        QTest::newRow("event mode is no line setting")
            << TChange([](TSerial& s) { s.SetRxEventMode(TSerial::rxMessage); })
            << TStored([](const TSerial& s) { return s.RxEventMode() == TSerial::rxMessage; })
            << false;
    }
    void propertyChange() {
        QFETCH(TChange, change);
        QFETCH(TStored, stored);
        QFETCH(bool, reopens);
        TLoopbackLink link;
        int closes = 0;
        connect(link.DriverEnd(), &QIODevice::aboutToClose, this, [&closes] { ++closes; });

        TSerial closed;
        closed.SetDevice(link.DriverEnd());
        change(closed);
        QVERIFY(stored(closed));
        QVERIFY(!closed.IsOpen());
        QVERIFY(!link.DriverEnd()->isOpen());

        TSerial open;
        TRecorder recorder(open);
        open.SetDevice(link.DriverEnd());
        open.SetOpen(true);
        QVERIFY(open.IsOpen());
        change(open);
        QVERIFY(stored(open));
        QVERIFY(open.IsOpen());
        QVERIFY(link.DriverEnd()->isOpen());
        QCOMPARE(closes, reopens ? 1 : 0);
        QCOMPARE(recorder.Errors, QStringList());
    }

    void destructionClosesPort() {
        TLoopbackLink link;
        auto* serial = new TSerial;
        serial->SetDevice(link.DriverEnd());
        serial->SetOpen(true);
        QVERIFY(link.DriverEnd()->isOpen());
        delete serial;
        QVERIFY(!link.DriverEnd()->isOpen());
    }

    // The pseudo-terminal keeps speed, stop bits, flow control and the parity sense, but
    // forces 8 data bits and clears the parity enable, so those two are not checked here.
    void lineSettings_data() {
#ifdef Q_OS_LINUX
        QTest::addColumn<TChange>("change");
        QTest::addColumn<uint>("speed");
        QTest::addColumn<uint>("cflagSet");
        QTest::addColumn<uint>("cflagClear");
        QTest::addColumn<uint>("iflagSet");
        QTest::addColumn<uint>("iflagClear");
        QTest::newRow("receiver: 4800, 2 stop bits, XON/XOFF") << TChange([](TSerial& s) {
            s.SetBaudrate(4800);
            s.SetStopBits(TSerial::st2bit);
            s.SetFlowMode(TSerial::fcXON_XOF);
        }) << uint{B4800} << uint{CSTOPB} << uint{CRTSCTS} << uint{IXON | IXOFF}
                                                               << 0u;
        QTest::newRow("19200, odd, RTS/CTS") << TChange([](TSerial& s) {
            s.SetBaudrate(19200);
            s.SetParity(TSerial::paOdd);
            s.SetFlowMode(TSerial::fcRTS_CTS);
        }) << uint{B19200} << uint{PARODD | CRTSCTS}
                                             << uint{CSTOPB | CMSPAR} << 0u << uint{IXON | IXOFF};
        QTest::newRow("115200, mark, DTR/DSR has no handshake") << TChange([](TSerial& s) {
            s.SetBaudrate(115200);
            s.SetParity(TSerial::paMark);
            s.SetFlowMode(TSerial::fcDTR_DSR);
        }) << uint{B115200} << uint{CMSPAR | PARODD} << uint{CRTSCTS}
                                                                << 0u << uint{IXON | IXOFF};
        QTest::newRow("300, space") << TChange([](TSerial& s) {
            s.SetBaudrate(300);
            s.SetParity(TSerial::paSpace);
        }) << uint{B300} << uint{CMSPAR}
                                    << uint{PARODD | CSTOPB} << 0u << uint{IXON | IXOFF};
#endif
    }
    void lineSettings() {
#ifdef Q_OS_LINUX
        QFETCH(TChange, change);
        QFETCH(uint, speed);
        QFETCH(uint, cflagSet);
        QFETCH(uint, cflagClear);
        QFETCH(uint, iflagSet);
        QFETCH(uint, iflagClear);
        TPseudoTerminal pty;
        TSerial serial;
        TRecorder recorder(serial);
        QVERIFY(OpenOn(serial, pty));
        termios before = pty.LineSettings();
        QCOMPARE(uint{cfgetospeed(&before)}, uint{B9600});

        change(serial);
        QVERIFY(serial.IsOpen());
        QCOMPARE(recorder.Errors, QStringList());
        termios after = pty.LineSettings();
        QCOMPARE(uint{cfgetospeed(&after)}, speed);
        QCOMPARE(after.c_cflag & cflagSet, cflagSet);
        QCOMPARE(after.c_cflag & cflagClear, 0u);
        QCOMPARE(after.c_iflag & iflagSet, iflagSet);
        QCOMPARE(after.c_iflag & iflagClear, 0u);
#else
        QSKIP("reading a pseudo-terminal's settings from its master needs Linux");
#endif
    }

    void writeReachesLine_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray binary("\x00\x11\x13\x7f\x80\xff", 6);
        const QByteArray full(255, 'a');
        const QByteArray longer = QByteArray("0123456789").repeated(30);
        QTest::newRow("command line") << QByteArray("RX\r\n") << QByteArray("RX\r\n");
        QTest::newRow("bytes as they are") << binary << binary;
        QTest::newRow("255 characters") << full << full;
        QTest::newRow("cut after 255") << longer << longer.left(255);
    }
    void writeReachesLine() {
#ifdef Q_OS_UNIX
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, expected);
        TPseudoTerminal pty;
        TSerial serial;
        TRecorder recorder(serial);
        QVERIFY(OpenOn(serial, pty));
        serial.Write(text);
        QTRY_COMPARE(pty.Received(), expected);
        QTRY_COMPARE(recorder.TxEmpty, 1);
        QCOMPARE(serial.TxWaiting(), 0);
        QCOMPARE(recorder.Errors, QStringList());
#else
        QSKIP("needs a pseudo-terminal");
#endif
    }

    void receivedBytes_data() {
        QTest::addColumn<int>("flow");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("reply line") << int{TSerial::fcNone} << QByteArray("VA RF0145500000\r\n")
                                    << QByteArray("VA RF0145500000\r\n");
        QTest::newRow("every byte value")
            << int{TSerial::fcNone} << EveryByteValue() << EveryByteValue();
        QTest::newRow("XON/XOFF are flow control, not data")
            << int{TSerial::fcXON_XOF} << QByteArray("A\23B\21C") << QByteArray("ABC");
    }
    void receivedBytes() {
#ifdef Q_OS_UNIX
        QFETCH(int, flow);
        QFETCH(QByteArray, sent);
        QFETCH(QByteArray, expected);
        TPseudoTerminal pty;
        TSerial serial;
        TRecorder recorder(serial);
        serial.SetFlowMode(static_cast<TSerial::eFlowControl>(flow));
        QVERIFY(OpenOn(serial, pty));
        QVERIFY(pty.Write(sent));
        QTRY_COMPARE(recorder.Received, expected);
        char byte = 0;
        QCOMPARE(serial.ReadByte(byte), 0);
        QCOMPARE(serial.RxWaiting(), 0);
        QCOMPARE(recorder.Errors, QStringList());
#else
        QSKIP("needs a pseudo-terminal");
#endif
    }

    // Octal escapes: \2 is the start character 0x02, \3 the end character 0x03.
    void messageFraming_data() {
        QTest::addColumn<char>("start");
        QTest::addColumn<char>("end");
        QTest::addColumn<int>("append");
        QTest::addColumn<QByteArrayList>("chunks");
        QTest::addColumn<QByteArrayList>("expected");
        QTest::newRow("one message")
            << '\2' << '\3' << 0 << QByteArrayList{"\2abc\3"} << QByteArrayList{"\2abc\3"};
        QTest::newRow("bytes outside a message dropped")
            << '\2' << '\3' << 0 << QByteArrayList{"xx\2ab\3yy\3\2c\3zz"}
            << QByteArrayList{"\2ab\3", "\2c\3"};
        QTest::newRow("start character restarts")
            << '\2' << '\3' << 0 << QByteArrayList{"\2ab\2cd\3"} << QByteArrayList{"\2cd\3"};
        QTest::newRow("appended checksum, end character in it")
            << '\2' << '\3' << 2 << QByteArrayList{"\2ab\3\3\2-\2c\3xy"}
            << QByteArrayList{"\2ab\3\3\2", "\2c\3xy"};
        QTest::newRow("split across writes")
            << '\2' << '\3' << 2 << QByteArrayList{"\2ab", "cd\3", "x", "y"}
            << QByteArrayList{"\2abcd\3xy"};
        QTest::newRow("own start and end characters")
            << '<' << '>' << 0 << QByteArrayList{"<a>b\2<c>"} << QByteArrayList{"<a>", "<c>"};
    }
    void messageFraming() {
#ifdef Q_OS_UNIX
        QFETCH(char, start);
        QFETCH(char, end);
        QFETCH(int, append);
        QFETCH(QByteArrayList, chunks);
        QFETCH(QByteArrayList, expected);
        TPseudoTerminal pty;
        TSerial serial;
        TRecorder recorder(serial);
        QByteArrayList messages;
        serial.OnMessage = [&messages](TSerial*, const QByteArray& message) {
            messages.append(message);
        };
        serial.SetRxEventMode(TSerial::rxMessage);
        serial.SetMessageStartChar(start);
        serial.SetMessageEndChar(end);
        serial.SetMessageAppendCount(static_cast<std::int16_t>(append));
        QVERIFY(OpenOn(serial, pty));
        for (const QByteArray& chunk : chunks) {
            QVERIFY(pty.Write(chunk));
            // Gives each chunk a read of its own.
            QTest::qWait(20);
        }
        QTRY_COMPARE(messages, expected);
        QCOMPARE(recorder.Received, QByteArray());
#else
        QSKIP("needs a pseudo-terminal");
#endif
    }

    void openMissingDevice_data() {
        QTest::addColumn<int>("notify");
        QTest::addColumn<int>("dialogs");
        QTest::addColumn<int>("events");
        QTest::newRow("dialog") << int{TSerial::neDialog} << 1 << 0;
        QTest::newRow("event") << int{TSerial::neEvent} << 0 << 1;
        QTest::newRow("none") << int{TSerial::neNone} << 0 << 0;
    }
    void openMissingDevice() {
#ifdef Q_OS_UNIX
        QFETCH(int, notify);
        QFETCH(int, dialogs);
        QFETCH(int, events);
        TSerial serial;
        TRecorder recorder(serial);
        serial.SetNotifyErrors(static_cast<TSerial::eNotifyErr>(notify));
        // A folder of its own keeps the lock file name apart from parallel runs.
        const QTemporaryDir folder;
        QVERIFY(folder.isValid());
        serial.SetPortName(folder.filePath(u"no-such-tty"_s));
        serial.SetOpen(true);
        QVERIFY(!serial.IsOpen());
        const QString systemText = QString::fromLocal8Bit(std::strerror(ENOENT));
        QCOMPARE(serial.ErrorText(), systemText);
        QCOMPARE(serial.ErrorCode(), std::uint32_t{QSerialPort::DeviceNotFoundError});
        QCOMPARE(FDialogs.size(), dialogs);
        QCOMPARE(recorder.Errors.size(), events);
        if (dialogs > 0)
            QCOMPARE(FDialogs.first(), systemText);
        if (events > 0)
            QCOMPARE(recorder.Errors.first(), systemText);
#else
        QSKIP("the missing device's text is checked against the POSIX one");
#endif
    }

    void lineLost_data() {
        QTest::addColumn<int>("unplug");
        QTest::newRow("pseudo-terminal master closed") << int{kPtyMasterClosed};
        QTest::newRow("loopback far end closed") << int{kLoopbackPeerClosed};
        QTest::newRow("loopback device closed under the port") << int{kLoopbackEndClosed};
    }
    void lineLost() {
        QFETCH(int, unplug);
        TLoopbackLink link;
#ifdef Q_OS_UNIX
        std::optional<TPseudoTerminal> pty;
#else
        if (unplug == kPtyMasterClosed)
            QSKIP("needs a pseudo-terminal");
#endif
        TSerial serial;
        TRecorder recorder(serial);
        serial.SetNotifyErrors(TSerial::neEvent);
        if (unplug == kPtyMasterClosed) {
#ifdef Q_OS_UNIX
            pty.emplace();
            QVERIFY(OpenOn(serial, *pty));
            QVERIFY(pty->Write("LM\r\n"));
            QTRY_COMPARE(recorder.Received, QByteArray("LM\r\n"));
            pty->CloseMaster();
#endif
        } else {
            QVERIFY(link.DeviceEnd()->open(QIODevice::ReadWrite));
            serial.SetDevice(link.DriverEnd());
            serial.SetOpen(true);
            QVERIFY(serial.IsOpen());
            if (unplug == kLoopbackPeerClosed)
                link.DeviceEnd()->close();
            else
                link.DriverEnd()->close();
        }

        QTRY_COMPARE(recorder.Errors.size(), 1);
        QVERIFY(!serial.IsOpen());
        QCOMPARE(recorder.Errors.first(), u"Serial device disconnected"_s);
        QCOMPARE(serial.ErrorCode(), std::uint32_t{QSerialPort::ResourceError});
        const int wakeups = WakeupsWhileIdle(300);
        QVERIFY2(wakeups < kIdleWakeupLimit, qPrintable(u"%1 wake-ups"_s.arg(wakeups)));
        QCOMPARE(recorder.Errors.size(), 1);

        serial.Write("RX\r\n");
        char byte = 0;
        QCOMPARE(serial.ReadByte(byte), 0);
        QCOMPARE(recorder.Errors.size(), 1);
    }

    // The far end sends XOFF and nothing more: the write is reported once, the UI thread never
    // waits, and XON lets the queued output go.
    void writeStallReportedOnce() {
#ifdef Q_OS_UNIX
        TPseudoTerminal pty;
        TSerial serial;
        TRecorder recorder(serial);
        serial.SetFlowMode(TSerial::fcXON_XOF);
        QVERIFY(OpenOn(serial, pty));
        pty.SetPacketMode();
        QVERIFY(pty.Write("\x13"));
        QTRY_VERIFY(pty.OutputStopped());

        serial.Write("RX\r\n");
        QTRY_COMPARE(recorder.Errors, QStringList{u"Write timeout"_s});
        QCOMPARE(serial.ErrorCode(), std::uint32_t{QSerialPort::TimeoutError});
        QVERIFY(serial.IsOpen());
        QCOMPARE(serial.TxWaiting(), 4);
        serial.Write("LM\r\n");
        QTest::qWait(1500);
        QCOMPARE(recorder.Errors.size(), 1);
        QCOMPARE(recorder.TxEmpty, 0);

        QVERIFY(pty.Write("\x11"));
        QTRY_COMPARE(pty.Received(), QByteArray("RX\r\nLM\r\n"));
        QTRY_COMPARE(recorder.TxEmpty, 1);
        QCOMPARE(recorder.Errors.size(), 1);
#else
        QSKIP("needs a pseudo-terminal");
#endif
    }

private:
    enum { kPtyMasterClosed, kLoopbackPeerClosed, kLoopbackEndClosed };

#ifdef Q_OS_UNIX
    // Opens the port on the slave side with 8 data bits, so every byte value passes.
    static bool OpenOn(TSerial& serial, const TPseudoTerminal& pty) {
        if (pty.SlavePath().isEmpty())
            return false;
        serial.SetNotifyErrors(TSerial::neEvent);
        serial.SetDataBits(TSerial::d8bit);
        serial.SetPortName(pty.SlavePath());
        serial.SetOpen(true);
        return serial.IsOpen();
    }
#endif

    std::function<void(const QString&)> FSavedDialog;
    QStringList FDialogs;
};

QTEST_GUILESS_MAIN(tst_Serial)
#include "tst_serial.moc"
