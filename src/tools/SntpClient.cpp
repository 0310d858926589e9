#include "SntpClient.h"

#include <QDateTime>
#include <QHostInfo>
#include <QNetworkDatagram>
#include <QUdpSocket>
#include <QtEndian>

using namespace Qt::StringLiterals;

namespace {

constexpr int kPacketSize = 48;
constexpr int kTransmitAt = 40;
constexpr int kOriginAt = 24;
constexpr int kReceiveAt = 32;
constexpr quint8 kClientRequest = 0x23; // leap 0, version 4, mode 3 (client)
constexpr int kModeServer = 4;
constexpr int kLeapUnsynchronised = 3;
constexpr int kStratumMax = 15;
// 1900-01-01 to 1970-01-01.
constexpr qint64 kNtpToUnixSeconds = 2208988800LL;
constexpr qint64 kEraSeconds = 1LL << 32;
constexpr qint64 kMicro = 1000000;

qint64 NowUs() {
    return QDateTime::currentMSecsSinceEpoch() * 1000;
}

} // namespace

QByteArray NtpTimestamp(qint64 unixUs) {
    const qint64 ntpSeconds = unixUs / kMicro + kNtpToUnixSeconds;
    const qint64 micro = unixUs % kMicro;
    const auto seconds = static_cast<quint32>(ntpSeconds % kEraSeconds);
    // Rounded both ways, so a time in whole microseconds comes back as it went.
    const auto fraction =
        static_cast<quint32>(((static_cast<quint64>(micro) << 32) + kMicro / 2) / kMicro);
    QByteArray bytes(8, '\0');
    qToBigEndian(seconds, bytes.data());
    qToBigEndian(fraction, bytes.data() + 4);
    return bytes;
}

qint64 NtpTimestampToUnixUs(const QByteArray& eightBytes) {
    const quint32 seconds = qFromBigEndian<quint32>(eightBytes.constData());
    const quint32 fraction = qFromBigEndian<quint32>(eightBytes.constData() + 4);
    // Era 0 ends on 7 February 2036; a time server answering now never sends a 1968 time, so a
    // clear top bit means the count has wrapped.
    const qint64 era = (seconds & 0x80000000U) ? 0 : kEraSeconds;
    const qint64 unixSeconds = static_cast<qint64>(seconds) + era - kNtpToUnixSeconds;
    const auto micro =
        static_cast<qint64>((static_cast<quint64>(fraction) * kMicro + (1ULL << 31)) >> 32);
    return unixSeconds * kMicro + micro;
}

bool SplitServer(const QString& text, QString& host, quint16& port) {
    const QString trimmed = text.trimmed();
    port = TSntpClient::kDefaultPort;
    QString portText;
    if (trimmed.startsWith(u'[')) {
        const qsizetype close = trimmed.indexOf(u']');
        if (close < 0)
            return false;
        host = trimmed.mid(1, close - 1);
        const QString rest = trimmed.mid(close + 1);
        if (!rest.isEmpty()) {
            if (!rest.startsWith(u':'))
                return false;
            portText = rest.mid(1);
        }
    } else if (trimmed.count(u':') == 1) {
        host = trimmed.section(u':', 0, 0);
        portText = trimmed.section(u':', 1);
    } else {
        host = trimmed; // a name, or a bare IPv6 address
    }
    if (host.isEmpty())
        return false;
    if (!portText.isNull()) {
        bool ok = false;
        const uint value = portText.toUInt(&ok);
        if (!ok || value == 0 || value > 65535)
            return false;
        port = static_cast<quint16>(value);
    }
    return true;
}

TSntpClient::TSntpClient(QObject* parent)
    : QObject(parent)
    , ClockUs(NowUs) {
    FTimeout.setSingleShot(true);
    connect(&FTimeout, &QTimer::timeout, this, [this] {
        Fail(u"No answer from the time server %1 within %2 ms."_s.arg(FServer).arg(
            ReceiveTimeoutMs));
    });
}

TSntpClient::~TSntpClient() {
    if (FLookupId >= 0)
        QHostInfo::abortHostLookup(FLookupId);
}

void TSntpClient::Query(const QString& server) {
    Finish();
    FServer = server.trimmed();
    QString host;
    if (!SplitServer(FServer, host, FPort)) {
        Fail(u"\"%1\" is not a time server name (host or host:port)."_s.arg(FServer));
        return;
    }
    FBusy = true;
    // The whole question, name look-up included, has to finish in time.
    FTimeout.start(ReceiveTimeoutMs);
    if (QHostAddress address; address.setAddress(host)) {
        QHostInfo info;
        info.setAddresses({address});
        HostFound(info);
        return;
    }
    FLookupId = QHostInfo::lookupHost(host, this, &TSntpClient::HostFound);
}

void TSntpClient::HostFound(const QHostInfo& info) {
    FLookupId = -1;
    if (!FBusy)
        return;
    if (info.error() != QHostInfo::NoError || info.addresses().isEmpty()) {
        Fail(u"The time server %1 was not found: %2"_s.arg(FServer, info.errorString()));
        return;
    }
    FAddress = info.addresses().first();
    FSocket = new QUdpSocket(this);
    connect(FSocket, &QUdpSocket::readyRead, this, &TSntpClient::ReadAnswers);
    QByteArray request(kPacketSize, '\0');
    request[0] = static_cast<char>(kClientRequest);
    FSentUs = ClockUs();
    FTransmitStamp = NtpTimestamp(FSentUs);
    request.replace(kTransmitAt, 8, FTransmitStamp);
    if (FSocket->writeDatagram(request, FAddress, FPort) != kPacketSize)
        Fail(u"The question to the time server %1 could not be sent: %2"_s.arg(
            FServer, FSocket->errorString()));
}

void TSntpClient::ReadAnswers() {
    while (FSocket && FSocket->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = FSocket->receiveDatagram();
        const qint64 arrivedUs = ClockUs();
        // Anyone can send us a packet; only the server we asked may answer.
        if (datagram.senderPort() != FPort || !datagram.senderAddress().isEqual(FAddress))
            continue;
        TSntpAnswer answer;
        const QString wrong = CheckAnswer(datagram.data(), arrivedUs, answer);
        if (!wrong.isEmpty()) {
            Fail(
                u"The time server %1 gave an answer that cannot be used: %2"_s.arg(FServer, wrong));
            return;
        }
        Finish();
        Q_EMIT Answered(answer);
        return;
    }
}

QString TSntpClient::CheckAnswer(const QByteArray& packet, qint64 arrivedUs,
                                 TSntpAnswer& answer) const {
    if (packet.size() < kPacketSize)
        return u"it is %1 bytes long, not %2."_s.arg(packet.size()).arg(kPacketSize);
    const auto head = static_cast<quint8>(packet[0]);
    const int leap = head >> 6;
    const int mode = head & 0x07;
    const auto stratum = static_cast<quint8>(packet[1]);
    if (mode != kModeServer)
        return u"it is not a server's answer (mode %1)."_s.arg(mode);
    if (packet.mid(kOriginAt, 8) != FTransmitStamp)
        return u"it does not answer our question (its origin time is not ours)."_s;
    if (stratum == 0) {
        // A "kiss of death": the server tells us to go away, with a four-letter code.
        const QString code = QString::fromLatin1(packet.mid(12, 4)).trimmed();
        return u"the server refused (stratum 0, code \"%1\")."_s.arg(code);
    }
    if (stratum > kStratumMax)
        return u"the server is not synchronised (stratum %1)."_s.arg(stratum);
    if (leap == kLeapUnsynchronised)
        return u"the server's clock is not synchronised (leap indicator 3)."_s;
    if (packet.mid(kTransmitAt, 8) == QByteArray(8, '\0'))
        return u"it carries no time."_s;
    const qint64 t1 = FSentUs;
    const qint64 t2 = NtpTimestampToUnixUs(packet.mid(kReceiveAt, 8));
    const qint64 t3 = NtpTimestampToUnixUs(packet.mid(kTransmitAt, 8));
    const qint64 t4 = arrivedUs;
    answer.Server = FServer;
    answer.OffsetUs = ((t2 - t1) + (t3 - t4)) / 2;
    answer.DelayUs = (t4 - t1) - (t3 - t2);
    answer.Stratum = stratum;
    return {};
}

void TSntpClient::Finish() {
    FTimeout.stop();
    if (FLookupId >= 0) {
        QHostInfo::abortHostLookup(FLookupId);
        FLookupId = -1;
    }
    if (FSocket) {
        FSocket->disconnect(this);
        FSocket->deleteLater();
        FSocket = nullptr;
    }
    FBusy = false;
}

void TSntpClient::Fail(const QString& text) {
    Finish();
    Q_EMIT Failed(text);
}
