#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <deque>

class TSimReceiver;

// The serial line between a transport and the receiver, paced in both directions: a byte takes
// 11 bit times (start, 8 data, 2 stop bits) at the baud rate, a command reaches the receiver
// only when its last byte has crossed, plus the receiver's latency, and the replies leave at
// line speed, one after the other. One timer wakes at the next moment anything is due, so the
// line adds no idle time of its own. Baud rate 0 passes bytes at once (latency still applies).
class TSimLine : public QObject {
    Q_OBJECT

public:
    // Takes the baud rate and latency from the receiver's options.
    explicit TSimLine(TSimReceiver* receiver, QObject* parent = nullptr);

    int BaudRate() const { return FBaudRate; }
    void SetBaudRate(int baud) { FBaudRate = baud; }
    int LatencyMs() const { return FLatencyMs; }
    void SetLatencyMs(int ms) { FLatencyMs = ms; }
    // Nanoseconds one byte takes on the line, 0 when unpaced.
    qint64 ByteTimeNs() const;

    // Bytes the host wrote to the line.
    void FromHost(const QByteArray& bytes);
    // Forgets whatever is on its way (the connection is gone).
    void Clear();
    // The host closed its end: what it wrote before still reaches the receiver, as bytes
    // already on a wire do; nothing more goes to the host.
    void HostGone();
    bool Idle() const { return FToReceiver.empty() && FToHost.empty(); }
    // Bytes from the receiver still on their way to the host (the ones crossing included).
    qsizetype HostBacklog() const;

Q_SIGNALS:
    // Bytes that have crossed the line to the host.
    void ToHost(const QByteArray& bytes);
    // Bytes from the receiver have crossed to the host (or were thrown away with the
    // connection): the backlog is smaller.
    void HostProgress();

private:
    struct TPending {
        QByteArray Bytes;
        qint64 DueNs; // when the last byte has crossed (plus latency for commands)
    };

    void FromReceiver(const QByteArray& bytes);
    void Run();
    void Arm();

    TSimReceiver* FReceiver;
    int FBaudRate;
    int FLatencyMs;
    QElapsedTimer FClock;
    QTimer FTimer;
    std::deque<TPending> FToReceiver;
    std::deque<TPending> FToHost;
    qint64 FInFreeNs = 0;   // when the line towards the receiver is free again
    qint64 FOutFreeNs = 0;  // when the line towards the host is free again
    qint64 FHandingNs = -1; // while a command is handed over: the moment it was due
};
