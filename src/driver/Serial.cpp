#include "Serial.h"

#include "LoopbackLink.h"

#include <QDebug>
#include <QIODevice>
#include <QMetaObject>
#include <QSerialPort>

#include <algorithm>
#include <optional>
#include <utility>

#ifdef Q_OS_UNIX
#include <poll.h>
#endif

using namespace Qt::StringLiterals;

namespace {

constexpr std::array kBaudrates{300,   600,   1200,  2400,  4800,  9600,
                                14400, 19200, 38400, 57600, 115200};

constexpr int kWriteTimeoutMs = 1000;
constexpr int kLinePollMs = 100;

constexpr auto kInvalidBaudrateText = "Baudrate is not valid"_L1;
constexpr auto kWriteTimeoutText = "Write timeout"_L1;
constexpr auto kLineLostText = "Serial device disconnected"_L1;

// Indexed by the TSerial enums.
constexpr std::array kQtParity{QSerialPort::NoParity, QSerialPort::OddParity,
                               QSerialPort::EvenParity, QSerialPort::MarkParity,
                               QSerialPort::SpaceParity};
constexpr std::array kQtDataBits{QSerialPort::Data7, QSerialPort::Data8};
constexpr std::array kQtStopBits{QSerialPort::OneStop, QSerialPort::TwoStop};
constexpr std::array kQtFlowControl{QSerialPort::NoFlowControl, QSerialPort::HardwareControl,
                                    QSerialPort::NoFlowControl, QSerialPort::SoftwareControl};
static_assert(kQtParity.size() == TSerial::paSpace + 1);
static_assert(kQtDataBits.size() == TSerial::d8bit + 1);
static_assert(kQtStopBits.size() == TSerial::st2bit + 1);
static_assert(kQtFlowControl.size() == TSerial::fcXON_XOF + 1);

struct TModemLine {
    QSerialPort::PinoutSignal Pin;
    TSerial::eModemInSignal Signal;
};
constexpr std::array kModemLines{TModemLine{QSerialPort::ClearToSendSignal, TSerial::msCTS},
                                 TModemLine{QSerialPort::DataSetReadySignal, TSerial::msDSR},
                                 TModemLine{QSerialPort::DataCarrierDetectSignal, TSerial::msRLSD}};

template <typename Enum, std::size_t Size>
auto ToQt(const std::array<Enum, Size>& table, auto value) {
    return table[static_cast<std::size_t>(value)];
}

std::uint32_t Code(QSerialPort::SerialPortError error) {
    return static_cast<std::uint32_t>(error);
}

// Handlers may assign or clear hooks, their own included, while they run.
template <typename Hook, typename... Args> void Fire(const Hook& hook, Args&&... args) {
    if (!hook)
        return;
    const Hook running = hook;
    running(std::forward<Args>(args)...);
}

template <typename T> bool Assign(T& field, const T& value) {
    if (field == value)
        return false;
    field = value;
    return true;
}

} // namespace

std::function<void(const QString& text)> TSerial::ShowErrorDialog = [](const QString& text) {
    qWarning().noquote() << text;
};

TSerial::TSerial(QObject* owner)
    : QObject(owner) {
    FWriteTimer.setSingleShot(true);
    FWriteTimer.setInterval(kWriteTimeoutMs);
    connect(&FWriteTimer, &QTimer::timeout, this, &TSerial::HandleWriteTimeout);
    FLineTimer.setInterval(kLinePollMs);
    connect(&FLineTimer, &QTimer::timeout, this, &TSerial::PollLines);
}

TSerial::~TSerial() {
    Close();
}

void TSerial::SetPort(std::uint8_t port) {
    if (Assign(FPort, port))
        Reopen();
}

void TSerial::SetPortName(const QString& deviceName) {
    if (Assign(FPortName, deviceName))
        Reopen();
}

void TSerial::SetBaudrate(int rate) {
    if (!IsSupportedBaudrate(rate)) {
        if (ShowErrorDialog)
            ShowErrorDialog(kInvalidBaudrateText);
        return;
    }
    if (Assign(FBaudrate, rate))
        Reopen();
}

void TSerial::SetParity(eParity parity) {
    if (Assign(FParity, parity))
        Reopen();
}

void TSerial::SetDataBits(eDataBits bits) {
    if (Assign(FDataBits, bits))
        Reopen();
}

void TSerial::SetStopBits(eStopBits bits) {
    if (Assign(FStopBits, bits))
        Reopen();
}

void TSerial::SetRxQueueSize(std::uint16_t size) {
    FRxQueueSize = size;
    Reopen();
}

void TSerial::SetTxQueueSize(std::uint16_t size) {
    FTxQueueSize = size;
    Reopen();
}

void TSerial::SetFlowMode(eFlowControl mode) {
    if (Assign(FFlowMode, mode))
        Reopen();
}

void TSerial::SetCheckParity(bool check) {
    if (Assign(FCheckParity, check))
        Reopen();
}

int TSerial::RxWaiting() const {
    return FOpen && FDevice ? static_cast<int>(FDevice->bytesAvailable()) : 0;
}

int TSerial::TxWaiting() const {
    return FOpen && FDevice ? static_cast<int>(FDevice->bytesToWrite()) : 0;
}

QString TSerial::DeviceName() const {
    if (!FPortName.isEmpty())
        return FPortName;
    const int number = FPort;
#ifdef Q_OS_WIN
    // Port numbers above 9 exist only in the device namespace.
    return number > 9 ? u"\\\\.\\COM%1"_s.arg(number) : u"COM%1"_s.arg(number);
#else
    return u"/dev/ttyS%1"_s.arg(number - 1);
#endif
}

bool TSerial::IsSupportedBaudrate(int rate) {
    return std::ranges::find(kBaudrates, rate) != kBaudrates.end();
}

void TSerial::SetDevice(QIODevice* device) {
    if (FExternalDevice == device)
        return;
    FExternalDevice = device;
    Reopen();
}

void TSerial::SetOpen(bool open) {
    if (open)
        Open();
    else
        Close();
}

void TSerial::Reopen() {
    if (FOpen)
        Open();
}

void TSerial::Open() {
    Close();
    FFraming = TFraming::Idle;
    FMessage.clear();
    FWriteStalled = false;

    std::optional<std::pair<std::uint32_t, QString>> controlLineError;
    if (FExternalDevice) {
        if (!FExternalDevice->isOpen() && !FExternalDevice->open(QIODevice::ReadWrite)) {
            ErrorRoutine(Code(QSerialPort::UnknownError), FExternalDevice->errorString());
            return;
        }
        FDevice = FExternalDevice;
    } else {
        if (!FSerialPort)
            FSerialPort = new QSerialPort(this);
        // Settings made while closed are applied by open() in one go.
        FSerialPort->setPortName(DeviceName());
        FSerialPort->setBaudRate(FBaudrate);
        FSerialPort->setDataBits(ToQt(kQtDataBits, FDataBits));
        FSerialPort->setParity(ToQt(kQtParity, FParity));
        FSerialPort->setStopBits(ToQt(kQtStopBits, FStopBits));
        FSerialPort->setFlowControl(ToQt(kQtFlowControl, FFlowMode));
        if (!FSerialPort->open(QIODevice::ReadWrite)) {
            ErrorRoutine(Code(FSerialPort->error()), FSerialPort->errorString());
            return;
        }
        FSerialPort->setReadBufferSize(FRxQueueSize);
        if (!SetControlLines(true))
            controlLineError.emplace(Code(FSerialPort->error()), FSerialPort->errorString());
        FDevice = FSerialPort;
    }
    FOpen = true;
    ++FSession;

    if (FDevice == FSerialPort) {
        // Only changes after opening are events.
        FModemLinesReadable = true;
        ReadModemLines(false);
        FLineTimer.start();
    }
    ConnectDevice();
    // The port works without its control lines, so it stays open.
    if (controlLineError)
        ErrorRoutine(controlLineError->first, controlLineError->second);
}

void TSerial::Close() {
    if (!FOpen)
        return;
    FOpen = false;
    FWriteTimer.stop();
    FLineTimer.stop();
    QIODevice* device = std::exchange(FDevice, nullptr);
    if (!device)
        return;
    // What a vanishing device still reports while it is shut is no news to anyone: failures
    // here are not reported.
    QObject::disconnect(device, nullptr, this, nullptr);
    if (device == FSerialPort) {
        // Writes are queued, unlike the line's own: what was written before closing (the
        // "EX" that frees the receiver's front panel) must go out before the purge.
        if (FSerialPort->bytesToWrite() > 0)
            FSerialPort->waitForBytesWritten(1000);
        FSerialPort->clear();
        SetControlLines(false);
        FSerialPort->close();
    } else {
        device->close();
    }
}

bool TSerial::SetControlLines(bool raise) {
    // Pseudo-terminals and some adapters have no modem lines, which is no fault of the port.
    const auto done = [this](bool ok) {
        return ok || FSerialPort->error() == QSerialPort::UnsupportedOperationError;
    };
    if (!done(FSerialPort->setDataTerminalReady(raise)))
        return false;
    // Under RTS/CTS handshake the system drives RTS itself.
    return FFlowMode == fcRTS_CTS || done(FSerialPort->setRequestToSend(raise));
}

void TSerial::ConnectDevice() {
    connect(FDevice, &QIODevice::readyRead, this, &TSerial::HandleReadyRead);
    connect(FDevice, &QIODevice::bytesWritten, this, &TSerial::HandleBytesWritten);
    if (FDevice == FSerialPort) {
        connect(FSerialPort, &QSerialPort::errorOccurred, this,
                [this](QSerialPort::SerialPortError error) {
                    // These come from the port's notifiers, which fire again at once for as
                    // long as the cause lasts: the device has gone. Other errors answer our
                    // own calls, which check their results themselves.
                    if (error == QSerialPort::ReadError || error == QSerialPort::WriteError ||
                        error == QSerialPort::ResourceError)
                        HandleLineLost();
                });
        return;
    }
    // A stand-in device closed or destroyed under us, or its far end closed, is a pulled cable.
    connect(FDevice, &QIODevice::aboutToClose, this, [this] {
        QObject::disconnect(FDevice, nullptr, this, nullptr);
        FDevice = nullptr;
        HandleLineLost();
    });
    connect(FDevice, &QObject::destroyed, this, [this] {
        FDevice = nullptr;
        HandleLineLost();
    });
    if (auto* end = qobject_cast<TLoopbackEnd*>(FDevice))
        connect(end, &TLoopbackEnd::PeerClosed, this, &TSerial::HandleLineLost);
}

void TSerial::Write(const QByteArray& text) {
    if (!FOpen || !FDevice)
        return;
    if (FDevice->write(text.left(kMaxWriteChars)) < 0) {
        ErrorRoutine(Code(QSerialPort::WriteError), FDevice->errorString());
        return;
    }
    if (FDevice->bytesToWrite() > 0 && !FWriteStalled && !FWriteTimer.isActive())
        FWriteTimer.start();
}

void TSerial::Flush() {
    if (FOpen && FDevice && FDevice->bytesToWrite() > 0)
        FDevice->waitForBytesWritten(kWriteTimeoutMs);
}

int TSerial::ReadByte(char& byte) {
    if (!FOpen || !FDevice)
        return 0;
    return FDevice->getChar(&byte) ? 1 : 0;
}

void TSerial::HandleReadyRead() {
    if (!FOpen || !FDevice)
        return;
    if (FDevice->bytesAvailable() <= 0) {
        // An announcement without data is how a hung-up terminal can look.
        if (FDevice == FSerialPort && LineHungUp())
            HandleLineLost();
        return;
    }
    if (FRxEventMode == rxNormal) {
        // Announced from the event loop rather than from inside readyRead: the port does not
        // emit readyRead again until its handler returns, so a handler that waits for more
        // replies in a nested loop would never hear of them.
        if (!FRxDataQueued) {
            FRxDataQueued = true;
            QMetaObject::invokeMethod(
                this,
                [this] {
                    FRxDataQueued = false;
                    if (FOpen && FDevice && FDevice->bytesAvailable() > 0)
                        Fire(OnRxData, this);
                },
                Qt::QueuedConnection);
        }
        return;
    }
    // Without a message handler the bytes stay queued for ReadByte.
    if (!OnMessage)
        return;
    const std::uint64_t session = FSession;
    const QByteArray bytes = FDevice->readAll();
    for (const char byte : bytes) {
        if (!FeedFraming(byte))
            continue;
        Fire(OnMessage, this, std::exchange(FMessage, {}));
        if (!FOpen || session != FSession)
            return;
    }
}

bool TSerial::FeedFraming(char byte) {
    if (FFraming == TFraming::Appending) {
        FMessage.append(byte);
        if (--FAppendRemaining > 0)
            return false;
        FFraming = TFraming::Idle;
        return true;
    }
    if (byte == FMessageStartChar) {
        FMessage = QByteArray(1, byte);
        FFraming = TFraming::InMessage;
        return false;
    }
    if (FFraming != TFraming::InMessage)
        return false;
    FMessage.append(byte);
    if (byte != FMessageEndChar)
        return false;
    if (FMessageAppendCount > 0) {
        FAppendRemaining = FMessageAppendCount;
        FFraming = TFraming::Appending;
        return false;
    }
    FFraming = TFraming::Idle;
    return true;
}

void TSerial::HandleBytesWritten() {
    if (!FOpen || !FDevice)
        return;
    FWriteStalled = false;
    if (FDevice->bytesToWrite() > 0) {
        // Progress: the rest gets a time-out of its own.
        FWriteTimer.start();
        return;
    }
    FWriteTimer.stop();
    Fire(OnTxEmpty, this);
}

void TSerial::HandleWriteTimeout() {
    if (!FOpen || !FDevice || FDevice->bytesToWrite() <= 0)
        return;
    // Once per stall (the far end sent XOFF and no XON, say): later writes queue behind it,
    // and the next progress re-arms the time-out.
    FWriteStalled = true;
    ErrorRoutine(Code(QSerialPort::TimeoutError), kWriteTimeoutText);
}

void TSerial::HandleLineLost() {
    if (!FOpen)
        return;
    Close();
    ErrorRoutine(Code(QSerialPort::ResourceError), kLineLostText);
}

void TSerial::PollLines() {
    if (!FOpen || !FSerialPort || FDevice != FSerialPort)
        return;
    if (LineHungUp()) {
        HandleLineLost();
        return;
    }
    if (FModemLinesReadable && (OnSignalChange || OnRing))
        ReadModemLines(true);
}

bool TSerial::LineHungUp() const {
#ifdef Q_OS_UNIX
    // Some Qt versions spin on the empty reads of a hung-up terminal without reporting an
    // error; poll() tells it apart by POLLHUP.
    pollfd entry{static_cast<int>(FSerialPort->handle()), 0, 0};
    return ::poll(&entry, 1, 0) > 0 && (entry.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
#else
    return false;
#endif
}

void TSerial::ReadModemLines(bool notify) {
    const std::uint64_t session = FSession;
    FSerialPort->clearError();
    const QSerialPort::PinoutSignals pins = FSerialPort->pinoutSignals();
    if (!FOpen || session != FSession)
        return;
    if (FSerialPort->error() != QSerialPort::NoError) {
        // A device that cannot report its lines is not asked again.
        FModemLinesReadable = false;
        return;
    }
    for (const TModemLine& line : kModemLines) {
        const bool state = pins.testFlag(line.Pin);
        if (!Assign(FModemLines[static_cast<std::size_t>(line.Signal)], state) || !notify)
            continue;
        Fire(OnSignalChange, this, line.Signal, state);
        if (!FOpen || session != FSession)
            return;
    }
    const bool ring = pins.testFlag(QSerialPort::RingIndicatorSignal);
    const bool rising = ring && !FRing;
    FRing = ring;
    if (notify && rising)
        Fire(OnRing, this);
}

void TSerial::ErrorRoutine(std::uint32_t code, const QString& text) {
    FErrorCode = code;
    FErrorText = text;
    if (FNotifyErrors == neDialog) {
        if (ShowErrorDialog)
            ShowErrorDialog(text);
    } else if (FNotifyErrors == neEvent) {
        Fire(OnError, this);
    }
}
