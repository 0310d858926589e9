#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QObject>

class TLoopbackLink;

// One end of a TLoopbackLink: what is written here becomes readable at the other end, announced
// by readyRead from the event loop (never from inside write), as a real line would.
class TLoopbackEnd : public QIODevice {
    Q_OBJECT

public:
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;
    // True while the other end is open (a closed end is a cable pulled).
    bool PeerOpen() const;

Q_SIGNALS:
    // The other end was closed.
    void PeerClosed();

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    friend class TLoopbackLink;
    explicit TLoopbackEnd(TLoopbackLink* link);
    void Deliver(const QByteArray& bytes);

    TLoopbackLink* FLink;
    TLoopbackEnd* FPeer = nullptr;
    QByteArray FBuffer;
    bool FNotifyQueued = false;
};

// An in-process pair of connected byte streams: the driver's serial port on one end, the
// simulated receiver on the other.
class TLoopbackLink : public QObject {
    Q_OBJECT

public:
    explicit TLoopbackLink(QObject* parent = nullptr);

    TLoopbackEnd* DriverEnd() const { return FDriverEnd; }
    TLoopbackEnd* DeviceEnd() const { return FDeviceEnd; }

private:
    TLoopbackEnd* FDriverEnd;
    TLoopbackEnd* FDeviceEnd;
};
