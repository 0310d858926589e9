#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QTimer>

#include <functional>

class QHostInfo;
class QUdpSocket;

// What one good answer of a time server says, in microseconds.
struct TSntpAnswer {
    QString Server;
    qint64 OffsetUs = 0; // add to the local clock to get the server's time
    qint64 DelayUs = 0;  // the round trip, less the time the server held the request
    int Stratum = 0;
};

// One SNTP question at a time, over UDP, without blocking: the answer or the failure comes as a
// signal. An answer is used only when it comes from the server asked, answers our own request
// (its origin time is our transmit time), comes from a server (mode 4) that is synchronised
// (stratum 1..15, leap indicator not 3).
class TSntpClient : public QObject {
    Q_OBJECT

public:
    static constexpr quint16 kDefaultPort = 123;

    explicit TSntpClient(QObject* parent = nullptr);
    ~TSntpClient() override;

    int ReceiveTimeoutMs = 1000;
    // The local clock, microseconds since 1970 UTC; replaceable so tests know every timestamp.
    std::function<qint64()> ClockUs;

    // `server` is a host name or address, optionally with ":port" ("[v6]:port" for IPv6).
    // A question still open is dropped.
    void Query(const QString& server);
    bool Busy() const { return FBusy; }

Q_SIGNALS:
    void Answered(const TSntpAnswer& answer);
    void Failed(const QString& text);

private:
    void HostFound(const QHostInfo& info);
    void ReadAnswers();
    // Empty when the packet is a good answer to our question, else why it is not.
    QString CheckAnswer(const QByteArray& packet, qint64 arrivedUs, TSntpAnswer& answer) const;
    void Finish();
    void Fail(const QString& text);

    QUdpSocket* FSocket = nullptr;
    QTimer FTimeout;
    QString FServer;
    QHostAddress FAddress;
    quint16 FPort = kDefaultPort;
    int FLookupId = -1;
    QByteArray FTransmitStamp; // the 8 bytes we sent, which the answer must give back
    qint64 FSentUs = 0;
    bool FBusy = false;
};

// NTP's 64-bit timestamp (seconds since 1900 and a binary fraction) to and from microseconds since
// 1970. Seconds with the top bit clear are taken to be in the era that began in 2036.
QByteArray NtpTimestamp(qint64 unixUs);
qint64 NtpTimestampToUnixUs(const QByteArray& eightBytes);

// "host", "host:port", "[v6]" or "[v6]:port"; false when the port is not a number 1..65535.
bool SplitServer(const QString& text, QString& host, quint16& port);
