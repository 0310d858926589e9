#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <array>
#include <cstdint>
#include <functional>

class QIODevice;
class QSerialPort;

// The program's serial port: one RS-232 line with its settings, written as command text and
// read one byte at a time. Events are single-handler hooks delivered on the thread that owns
// the port (the user-interface thread); no thread of its own is needed because QSerialPort
// announces arrivals through that thread's event loop.
//
// Port numbers name the system's ports ("COM1".."COM9", "\\.\COM10".."\\.\COM14" on Windows,
// /dev/ttyS0.. elsewhere); a device path set with SetPortName ("/dev/ttyUSB0", a pseudo-terminal)
// takes precedence. For tests an already constructed device (one end of TLoopbackLink) can stand
// in for the line.
//
// A line that disappears while open (adapter unplugged, pseudo-terminal master closed, loopback
// peer closed) closes the port and runs the error routine once with "Serial device disconnected".
class TSerial : public QObject {
    Q_OBJECT

public:
    enum eParity { paNone, paOdd, paEven, paMark, paSpace };
    enum eDataBits { d7bit, d8bit };
    enum eStopBits { st1bit, st2bit };
    // QSerialPort has no DTR/DSR handshake: fcDTR_DSR runs the line without flow control.
    enum eFlowControl { fcNone, fcRTS_CTS, fcDTR_DSR, fcXON_XOF };
    enum eOpModes { rxNormal, rxMessage };
    enum eNotifyErr { neDialog, neEvent, neNone };
    enum eModemInSignal { msCTS = 0, msDSR = 1, msRLSD = 2 };

    explicit TSerial(QObject* owner = nullptr);
    ~TSerial() override;

    // Property changes re-open an open port so that they take effect at once.
    std::uint8_t Port() const { return FPort; }
    void SetPort(std::uint8_t port);
    QString PortName() const { return FPortName; }
    void SetPortName(const QString& deviceName); // empty: use Port
    int Baudrate() const { return FBaudrate; }
    void SetBaudrate(int rate); // unsupported rate: "Baudrate is not valid", unchanged
    eParity Parity() const { return FParity; }
    void SetParity(eParity parity);
    eDataBits DataBits() const { return FDataBits; }
    void SetDataBits(eDataBits bits);
    eStopBits StopBits() const { return FStopBits; }
    void SetStopBits(eStopBits bits);
    // Bounds the bytes held for reading (QSerialPort's read buffer); beyond it the system
    // queue holds them.
    std::uint16_t RxQueueSize() const { return FRxQueueSize; }
    void SetRxQueueSize(std::uint16_t size);
    // Kept and re-opens, but QSerialPort's output buffer has no size limit to apply it to.
    std::uint16_t TxQueueSize() const { return FTxQueueSize; }
    void SetTxQueueSize(std::uint16_t size);
    eFlowControl FlowMode() const { return FFlowMode; }
    void SetFlowMode(eFlowControl mode);
    // Kept and re-opens; QSerialPort offers no switch for it (the system drops bytes with
    // parity errors when a parity is set).
    bool CheckParity() const { return FCheckParity; }
    void SetCheckParity(bool check);
    int RxWaiting() const;
    int TxWaiting() const;
    eOpModes RxEventMode() const { return FRxEventMode; }
    void SetRxEventMode(eOpModes mode) { FRxEventMode = mode; }
    char MessageStartChar() const { return FMessageStartChar; }
    void SetMessageStartChar(char c) { FMessageStartChar = c; }
    char MessageEndChar() const { return FMessageEndChar; }
    void SetMessageEndChar(char c) { FMessageEndChar = c; }
    std::int16_t MessageAppendCount() const { return FMessageAppendCount; }
    void SetMessageAppendCount(std::int16_t count) { FMessageAppendCount = count; }
    eNotifyErr NotifyErrors() const { return FNotifyErrors; }
    void SetNotifyErrors(eNotifyErr mode) { FNotifyErrors = mode; }
    // The QSerialPort::SerialPortError of the last error, as a number.
    std::uint32_t ErrorCode() const { return FErrorCode; }
    // The system's text for the last error.
    QString ErrorText() const { return FErrorText; }

    // The system name of the device that Open uses.
    QString DeviceName() const;
    static bool IsSupportedBaudrate(int rate);

    // Stands in for the serial line (tests): Open opens this device instead of a serial port.
    // The device is not owned; nullptr returns to the real port.
    void SetDevice(QIODevice* device);

    void SetOpen(bool open);
    bool IsOpen() const { return FOpen; }

    // The line has always taken commands through a 256-byte buffer ending in a zero.
    static constexpr qsizetype kMaxWriteChars = 255;

    // Writes the characters as they are, at most kMaxWriteChars per call. Never blocks: output
    // still pending after 1000 ms without progress runs the error routine ("Write timeout") once.
    void Write(const QByteArray& text);
    // Waits until what was written has been handed to the system for the line, at most the
    // write time-out. It blocks without running the event loop (the port's own notifications,
    // bytesWritten and readyRead, are still delivered from inside the wait); a stall is left to
    // the write time-out to report.
    void Flush();
    // 1 and the byte when one was waiting, else 0.
    int ReadByte(char& byte);

    std::function<void(TSerial*)> OnRxData;
    // Fired when the device reports its output written and nothing is left (a QSerialPort
    // does; a device without bytesWritten never fires it).
    std::function<void(TSerial*)> OnTxEmpty;
    std::function<void(TSerial*, const QByteArray& message)> OnMessage;
    std::function<void(TSerial*)> OnError;
    // Declared for completeness, never fired: QSerialPort does not report received breaks.
    std::function<void(TSerial*)> OnBreak;
    // The modem lines are polled every 100 ms while a serial port is open and one of these
    // two hooks is assigned; OnRing fires when the ring indicator rises.
    std::function<void(TSerial*)> OnRing;
    std::function<void(TSerial*, eModemInSignal signal, bool state)> OnSignalChange;
    std::function<void(TSerial*)> OnWriteCompleted; // declared for completeness, never fired

    // How neDialog errors and the invalid rate are shown. The driver links no window code, so
    // the application installs a message box here; without one the text goes to the debug log.
    static std::function<void(const QString& text)> ShowErrorDialog;

private:
    void Open();
    void Close();
    void Reopen();
    bool SetControlLines(bool raise);
    void ConnectDevice();
    void HandleReadyRead();
    void HandleBytesWritten();
    void HandleWriteTimeout();
    void HandleLineLost();
    void PollLines();
    bool LineHungUp() const;
    void ReadModemLines(bool notify);
    bool FeedFraming(char byte);
    void ErrorRoutine(std::uint32_t code, const QString& text);

    std::uint8_t FPort = 1;
    QString FPortName;
    int FBaudrate = 9600;
    eParity FParity = paNone;
    eDataBits FDataBits = d7bit;
    eStopBits FStopBits = st1bit;
    std::uint16_t FRxQueueSize = 1024;
    std::uint16_t FTxQueueSize = 1024;
    eFlowControl FFlowMode = fcNone;
    bool FCheckParity = true;
    eOpModes FRxEventMode = rxNormal;
    char FMessageStartChar = 0x02;
    char FMessageEndChar = 0x03;
    std::int16_t FMessageAppendCount = 0;
    eNotifyErr FNotifyErrors = neDialog;
    std::uint32_t FErrorCode = 0;
    QString FErrorText;

    bool FOpen = false;
    bool FRxDataQueued = false;
    // Counts opens, so code that ran a hook can tell whether the port it was serving is gone.
    std::uint64_t FSession = 0;
    QSerialPort* FSerialPort = nullptr; // owned, created on first open of a real port
    QPointer<QIODevice> FExternalDevice;
    QIODevice* FDevice = nullptr; // the open one of the two

    QTimer FWriteTimer;
    bool FWriteStalled = false;

    QTimer FLineTimer;
    bool FModemLinesReadable = false;
    std::array<bool, 3> FModemLines{}; // by eModemInSignal
    bool FRing = false;

    enum class TFraming { Idle, InMessage, Appending };
    TFraming FFraming = TFraming::Idle;
    QByteArray FMessage;
    int FAppendRemaining = 0;
};
