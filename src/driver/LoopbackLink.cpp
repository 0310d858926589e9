#include "LoopbackLink.h"

#include <QMetaObject>

#include <cstring>

TLoopbackEnd::TLoopbackEnd(TLoopbackLink* link)
    : QIODevice(link)
    , FLink(link) {
    connect(this, &QIODevice::aboutToClose, this, [this] {
        FBuffer.clear();
        if (FPeer && FPeer->isOpen())
            QMetaObject::invokeMethod(FPeer, &TLoopbackEnd::PeerClosed, Qt::QueuedConnection);
    });
}

qint64 TLoopbackEnd::bytesAvailable() const {
    return FBuffer.size() + QIODevice::bytesAvailable();
}

bool TLoopbackEnd::PeerOpen() const {
    return FPeer && FPeer->isOpen();
}

qint64 TLoopbackEnd::readData(char* data, qint64 maxSize) {
    const qint64 count = std::min<qint64>(maxSize, FBuffer.size());
    std::memcpy(data, FBuffer.constData(), static_cast<size_t>(count));
    FBuffer.remove(0, count);
    return count;
}

qint64 TLoopbackEnd::writeData(const char* data, qint64 size) {
    // Bytes written while the other end is closed are lost, as on an unplugged cable.
    if (PeerOpen())
        FPeer->Deliver(QByteArray(data, size));
    return size;
}

void TLoopbackEnd::Deliver(const QByteArray& bytes) {
    FBuffer.append(bytes);
    if (FNotifyQueued)
        return;
    FNotifyQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            FNotifyQueued = false;
            if (isOpen() && !FBuffer.isEmpty())
                Q_EMIT readyRead();
        },
        Qt::QueuedConnection);
}

TLoopbackLink::TLoopbackLink(QObject* parent)
    : QObject(parent)
    , FDriverEnd(new TLoopbackEnd(this))
    , FDeviceEnd(new TLoopbackEnd(this)) {
    FDriverEnd->FPeer = FDeviceEnd;
    FDeviceEnd->FPeer = FDriverEnd;
}
