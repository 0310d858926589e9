#include "SimLine.h"

#include "SimReceiver.h"

#include <algorithm>

namespace {

constexpr qint64 kBitsPerByte = 11; // start, 8 data and 2 stop bits
constexpr qint64 kNsPerSecond = 1'000'000'000;
constexpr qint64 kNsPerMs = 1'000'000;

// The bytes on which the receiver acts: a line end or a step byte.
bool EndsCommand(char c) {
    return c == '\r' || c == '\n' || c == 0x1E || c == 0x1F;
}

} // namespace

TSimLine::TSimLine(TSimReceiver* receiver, QObject* parent)
    : QObject(parent)
    , FReceiver(receiver)
    , FBaudRate(receiver->Options().BaudRate)
    , FLatencyMs(receiver->Options().LatencyMs) {
    FClock.start();
    FTimer.setSingleShot(true);
    FTimer.setTimerType(Qt::PreciseTimer);
    connect(&FTimer, &QTimer::timeout, this, &TSimLine::Run);
    connect(receiver, &TSimReceiver::BytesOut, this, &TSimLine::FromReceiver);
    receiver->WatchLine(this);
}

qint64 TSimLine::ByteTimeNs() const {
    return FBaudRate > 0 ? kBitsPerByte * kNsPerSecond / FBaudRate : 0;
}

qsizetype TSimLine::HostBacklog() const {
    qsizetype bytes = 0;
    for (const TPending& pending : FToHost)
        bytes += pending.Bytes.size();
    return bytes;
}

void TSimLine::FromHost(const QByteArray& bytes) {
    if (bytes.isEmpty())
        return;
    if (FBaudRate <= 0 && FLatencyMs <= 0 && FToReceiver.empty()) {
        FReceiver->ReceiveBytes(bytes);
        return;
    }
    const qint64 now = FClock.nsecsElapsed();
    const qint64 byteNs = ByteTimeNs();
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = start;
        while (end < bytes.size() && !EndsCommand(bytes[end]))
            ++end;
        const bool command = end < bytes.size();
        const qsizetype count = (command ? end + 1 : end) - start;
        FInFreeNs = std::max(FInFreeNs, now) + count * byteNs;
        qint64 due = FInFreeNs + (command ? FLatencyMs * kNsPerMs : 0);
        if (!FToReceiver.empty())
            due = std::max(due, FToReceiver.back().DueNs);
        FToReceiver.push_back({bytes.mid(start, count), due});
        start += count;
    }
    Arm();
}

void TSimLine::FromReceiver(const QByteArray& bytes) {
    if (FBaudRate <= 0 && FToHost.empty()) {
        Q_EMIT ToHost(bytes);
        return;
    }
    // A reply starts when its command was due, even if the timer woke a little late.
    const qint64 from = FHandingNs >= 0 ? FHandingNs : FClock.nsecsElapsed();
    FOutFreeNs = std::max(FOutFreeNs, from) + bytes.size() * ByteTimeNs();
    FToHost.push_back({bytes, FOutFreeNs});
    Arm();
}

void TSimLine::Clear() {
    FTimer.stop();
    FToReceiver.clear();
    FToHost.clear();
    FInFreeNs = 0;
    FOutFreeNs = 0;
    Q_EMIT HostProgress();
}

void TSimLine::HostGone() {
    FToHost.clear();
    FOutFreeNs = 0;
    if (FToReceiver.empty())
        FTimer.stop();
    Q_EMIT HostProgress();
}

void TSimLine::Run() {
    for (;;) {
        const qint64 now = FClock.nsecsElapsed();
        const bool hostDue = !FToHost.empty() && FToHost.front().DueNs <= now;
        const bool receiverDue = !FToReceiver.empty() && FToReceiver.front().DueNs <= now;
        if (hostDue && (!receiverDue || FToHost.front().DueNs <= FToReceiver.front().DueNs)) {
            QByteArray bytes;
            while (!FToHost.empty() && FToHost.front().DueNs <= now) {
                bytes += FToHost.front().Bytes;
                FToHost.pop_front();
            }
            Q_EMIT ToHost(bytes);
            Q_EMIT HostProgress();
        } else if (receiverDue) {
            const TPending pending = FToReceiver.front();
            FToReceiver.pop_front();
            FHandingNs = pending.DueNs;
            FReceiver->ReceiveBytes(pending.Bytes);
            FHandingNs = -1;
        } else {
            break;
        }
    }
    Arm();
}

void TSimLine::Arm() {
    qint64 next = -1;
    if (!FToHost.empty())
        next = FToHost.front().DueNs;
    if (!FToReceiver.empty())
        next = next < 0 ? FToReceiver.front().DueNs : std::min(next, FToReceiver.front().DueNs);
    if (next < 0) {
        FTimer.stop();
        return;
    }
    const qint64 waitNs = std::max<qint64>(0, next - FClock.nsecsElapsed());
    FTimer.start(static_cast<int>((waitNs + kNsPerMs - 1) / kNsPerMs));
}
