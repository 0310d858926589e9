#include "SimTransports.h"

#include "LoopbackLink.h"
#include "SimLine.h"
#include "SimReceiver.h"

#include <QHostAddress>
#include <QSocketNotifier>
#include <QTcpSocket>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#endif

// --- TSimLoopback ---

TSimLoopback::TSimLoopback(TSimReceiver* receiver, QObject* parent)
    : QObject(parent)
    , FLink(new TLoopbackLink(this))
    , FLine(new TSimLine(receiver, this)) {
    TLoopbackEnd* device = FLink->DeviceEnd();
    device->open(QIODevice::ReadWrite);
    connect(device, &QIODevice::readyRead, this, &TSimLoopback::ReadDevice);
    connect(device, &TLoopbackEnd::PeerClosed, FLine, &TSimLine::HostGone);
    connect(FLine, &TSimLine::ToHost, this, [this](const QByteArray& bytes) {
        if (FLink->DeviceEnd()->isOpen())
            FLink->DeviceEnd()->write(bytes);
    });
    connect(receiver, &TSimReceiver::DropRequested, this, &TSimLoopback::DropConnection);
}

TLoopbackEnd* TSimLoopback::DriverEnd() const {
    return FLink->DriverEnd();
}

void TSimLoopback::ReadDevice() {
    FLine->FromHost(FLink->DeviceEnd()->readAll());
}

void TSimLoopback::DropConnection() {
    FLine->Clear();
    FLink->DeviceEnd()->close();
}

void TSimLoopback::Reconnect() {
    if (!FLink->DeviceEnd()->isOpen())
        FLink->DeviceEnd()->open(QIODevice::ReadWrite);
}

bool TSimLoopback::Connected() const {
    return FLink->DeviceEnd()->isOpen();
}

// --- TSimPty ---

namespace {

constexpr int kSlaveCheckMs = 50;

} // namespace

TSimPty::TSimPty(TSimReceiver* receiver, QObject* parent)
    : QObject(parent)
    , FLine(new TSimLine(receiver, this)) {
    FSlaveCheck.setInterval(kSlaveCheckMs);
    connect(&FSlaveCheck, &QTimer::timeout, this, &TSimPty::CheckSlave);
    connect(FLine, &TSimLine::ToHost, this, &TSimPty::WriteMaster);
    connect(receiver, &TSimReceiver::DropRequested, this, &TSimPty::DropConnection);
}

TSimPty::~TSimPty() {
    Close();
}

#ifdef Q_OS_UNIX

bool TSimPty::Open() {
    Close();
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0) {
        FErrorText = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    termios settings{};
    const char* slave = nullptr;
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0 || !(slave = ::ptsname(master)) ||
        ::tcgetattr(master, &settings) != 0) {
        FErrorText = QString::fromLocal8Bit(std::strerror(errno));
        ::close(master);
        return false;
    }
    // Raw: no echo, no line editing, no translation of CR or LF, every byte as it comes.
    ::cfmakeraw(&settings);
    ::tcsetattr(master, TCSANOW, &settings);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    FMaster = master;
    FSlavePath = QString::fromLocal8Bit(slave);
    FErrorText.clear();
    FReadNotifier = new QSocketNotifier(master, QSocketNotifier::Read, this);
    connect(FReadNotifier, &QSocketNotifier::activated, this, &TSimPty::ReadMaster);
    FWriteNotifier = new QSocketNotifier(master, QSocketNotifier::Write, this);
    FWriteNotifier->setEnabled(false);
    connect(FWriteNotifier, &QSocketNotifier::activated, this, &TSimPty::FlushWrites);
    FHungUp = false;
    return true;
}

void TSimPty::Close() {
    FSlaveCheck.stop();
    delete FReadNotifier;
    FReadNotifier = nullptr;
    delete FWriteNotifier;
    FWriteNotifier = nullptr;
    if (FMaster >= 0)
        ::close(FMaster);
    FMaster = -1;
    FWritePending.clear();
    FHungUp = true;
    FLine->Clear();
}

void TSimPty::ReadMaster() {
    char buffer[4096];
    for (;;) {
        const ssize_t count = ::read(FMaster, buffer, sizeof buffer);
        if (count > 0) {
            FLine->FromHost(QByteArray(buffer, static_cast<qsizetype>(count)));
            continue;
        }
        if (count < 0 && (errno == EAGAIN || errno == EINTR))
            return;
        // EIO: nobody has the slave open (yet, or any more).
        HangUp();
        return;
    }
}

void TSimPty::HangUp() {
    FHungUp = true;
    FReadNotifier->setEnabled(false);
    FWriteNotifier->setEnabled(false);
    FWritePending.clear();
    FLine->Clear();
    FSlaveCheck.start();
}

void TSimPty::CheckSlave() {
    if (FMaster < 0) {
        FSlaveCheck.stop();
        return;
    }
    char byte = 0;
    const ssize_t count = ::read(FMaster, &byte, 1);
    if (count < 0 && errno == EIO)
        return;
    FSlaveCheck.stop();
    FHungUp = false;
    FReadNotifier->setEnabled(true);
    if (count > 0)
        FLine->FromHost(QByteArray(1, byte));
}

void TSimPty::WriteMaster(const QByteArray& bytes) {
    // Bytes sent while nobody listens are lost, as on a line with nothing plugged in.
    if (FMaster < 0 || FHungUp)
        return;
    FWritePending += bytes;
    FlushWrites();
}

void TSimPty::FlushWrites() {
    while (!FWritePending.isEmpty()) {
        const ssize_t count =
            ::write(FMaster, FWritePending.constData(), static_cast<size_t>(FWritePending.size()));
        if (count > 0) {
            FWritePending.remove(0, static_cast<qsizetype>(count));
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0 && errno != EAGAIN) {
            FWritePending.clear();
            break;
        }
        FWriteNotifier->setEnabled(true);
        return;
    }
    FWriteNotifier->setEnabled(false);
}

#else

bool TSimPty::Open() {
    FErrorText = QStringLiteral("Pseudo-terminals need a POSIX system");
    return false;
}

void TSimPty::Close() {
    FLine->Clear();
}

void TSimPty::ReadMaster() {}
void TSimPty::HangUp() {}
void TSimPty::CheckSlave() {}
void TSimPty::WriteMaster(const QByteArray&) {}
void TSimPty::FlushWrites() {}

#endif

void TSimPty::DropConnection() {
    Close();
}

// --- TSimTcpServer ---

TSimTcpServer::TSimTcpServer(TSimReceiver* receiver, QObject* parent)
    : QObject(parent)
    , FLine(new TSimLine(receiver, this)) {
    connect(&FServer, &QTcpServer::newConnection, this, &TSimTcpServer::AcceptClients);
    connect(FLine, &TSimLine::ToHost, this, [this](const QByteArray& bytes) {
        if (FClient)
            FClient->write(bytes);
    });
    connect(receiver, &TSimReceiver::DropRequested, this, &TSimTcpServer::DropConnection);
}

TSimTcpServer::~TSimTcpServer() {
    // The client's handlers must not run while the members go.
    if (FClient)
        FClient->disconnect(this);
    FServer.close();
}

bool TSimTcpServer::Listen(quint16 port) {
    return FServer.listen(QHostAddress::LocalHost, port);
}

void TSimTcpServer::AcceptClients() {
    while (QTcpSocket* socket = FServer.nextPendingConnection()) {
        if (FClient) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        FClient = socket;
        connect(socket, &QTcpSocket::readyRead, this,
                [this, socket] { FLine->FromHost(socket->readAll()); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            if (FClient == socket) {
                FClient = nullptr;
                FLine->Clear();
                Q_EMIT ClientDisconnected();
            }
            socket->deleteLater();
        });
        Q_EMIT ClientConnected();
    }
}

void TSimTcpServer::DropConnection() {
    if (FClient)
        FClient->abort();
}
