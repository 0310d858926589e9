#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTcpServer>
#include <QTimer>

class QSocketNotifier;
class QTcpSocket;
class TLoopbackEnd;
class TLoopbackLink;
class TSimLine;
class TSimReceiver;

// Ways to reach a simulated receiver. Each puts a paced line (TSimLine) between its connection
// and the receiver, serves one host at a time, and closes its end of the connection when the
// receiver is asked to drop it (TSimReceiver::DropConnection) or on DropConnection().

// In-process: the driver's serial port opens DriverEnd() (TSerial::SetDevice) or a test reads
// and writes it directly.
class TSimLoopback : public QObject {
    Q_OBJECT

public:
    explicit TSimLoopback(TSimReceiver* receiver, QObject* parent = nullptr);

    TLoopbackEnd* DriverEnd() const;
    TSimLine* Line() const { return FLine; }
    // Closes the receiver's end: the driver's end sees PeerClosed, writes are lost.
    void DropConnection();
    // Opens the receiver's end again after a drop.
    void Reconnect();
    bool Connected() const;

private:
    void ReadDevice();

    TLoopbackLink* FLink;
    TSimLine* FLine;
};

// A pseudo-terminal: the program opens SlavePath() as its serial port. POSIX only.
class TSimPty : public QObject {
    Q_OBJECT

public:
    explicit TSimPty(TSimReceiver* receiver, QObject* parent = nullptr);
    ~TSimPty() override;

    // Creates a new pseudo-terminal (raw mode); false with ErrorText() when that fails.
    bool Open();
    bool IsOpen() const { return FMaster >= 0; }
    QString SlavePath() const { return FSlavePath; }
    QString ErrorText() const { return FErrorText; }
    TSimLine* Line() const { return FLine; }
    // Closes the master side: whoever has the slave open sees the line hang up.
    void DropConnection();

private:
    void Close();
    void ReadMaster();
    void WriteMaster(const QByteArray& bytes);
    void FlushWrites();
    void CheckSlave();
    void HangUp();

    TSimLine* FLine;
    int FMaster = -1;
    QString FSlavePath;
    QString FErrorText;
    QSocketNotifier* FReadNotifier = nullptr;
    QSocketNotifier* FWriteNotifier = nullptr;
    QByteArray FWritePending;
    bool FHungUp = true; // nobody has the slave open
    QTimer FSlaveCheck;  // while hung up: looks whether somebody opened the slave
};

// TCP on the loopback address, one client at a time; a second client is turned away.
class TSimTcpServer : public QObject {
    Q_OBJECT

public:
    explicit TSimTcpServer(TSimReceiver* receiver, QObject* parent = nullptr);
    ~TSimTcpServer() override;

    // 0 picks a free port; false with ErrorText() when the port cannot be bound.
    bool Listen(quint16 port = 0);
    quint16 Port() const { return FServer.serverPort(); }
    QString ErrorText() const { return FServer.errorString(); }
    bool HasClient() const { return !FClient.isNull(); }
    TSimLine* Line() const { return FLine; }
    // Closes the client's connection; the server goes on listening.
    void DropConnection();

Q_SIGNALS:
    void ClientConnected();
    void ClientDisconnected();

private:
    void AcceptClients();

    QTcpServer FServer;
    QPointer<QTcpSocket> FClient;
    TSimLine* FLine;
};
