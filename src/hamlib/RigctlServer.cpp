#include "RigctlServer.h"

#include "RigctlProtocol.h"

#include <QTcpSocket>

using namespace Qt::StringLiterals;

TRigctlServer::TRigctlServer(TRigctlRig& rig, QObject* parent)
    : QObject(parent)
    , FRig(rig) {
    FAddresses.SetListenAddress(QHostAddress(QHostAddress::LocalHost));
    FRetry.setSingleShot(true);
    FRetry.setInterval(kRetryMs);
    connect(&FRetry, &QTimer::timeout, this, &TRigctlServer::ServeNext);
    connect(&FServer, &QTcpServer::newConnection, this, &TRigctlServer::HandleNewConnection);
}

TRigctlServer::~TRigctlServer() {
    for (const TClient& client : std::as_const(FClients)) {
        if (client.Socket)
            disconnect(client.Socket, nullptr, this, nullptr);
    }
}

bool TRigctlServer::Start(quint16 port) {
    if (FServer.isListening())
        FServer.close();
    if (FAddresses.ListenAddress().isNull())
        return false;
    return FServer.listen(FAddresses.ListenAddress(), port);
}

void TRigctlServer::Stop() {
    FServer.close();
    const QList<TClient> clients = FClients;
    for (const TClient& client : clients) {
        if (client.Socket)
            client.Socket->disconnectFromHost();
    }
}

TRigctlServer::TClient* TRigctlServer::Find(QTcpSocket* socket) {
    for (TClient& client : FClients) {
        if (client.Socket == socket)
            return &client;
    }
    return nullptr;
}

void TRigctlServer::HandleNewConnection() {
    while (QTcpSocket* socket = FServer.nextPendingConnection()) {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        const QString peer = socket->peerAddress().toString();
        if (!FAddresses.Allows(socket->peerAddress()) || FClients.size() >= kMaxClients) {
            Q_EMIT Notice(u"Rig control connection refused to "_s + peer +
                          (FClients.size() >= kMaxClients ? u"\r\nToo many clients"_s
                                                          : u"\r\nAddress not allowed"_s));
            socket->disconnectFromHost();
            continue;
        }
        // Each reply is small and its client waits for it: send it at once.
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        FClients.append(TClient{socket, {}, {}});
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { ReadClient(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] { Forget(socket); });
    }
}

void TRigctlServer::Forget(QTcpSocket* socket) {
    FClients.removeIf(
        [socket](const TClient& client) { return !client.Socket || client.Socket == socket; });
}

void TRigctlServer::Drop(QTcpSocket* socket, const QString& why) {
    const QString peer = socket->peerAddress().toString();
    Forget(socket);
    socket->abort();
    Q_EMIT Notice(u"Rig control client %1 disconnected: %2"_s.arg(peer, why));
}

void TRigctlServer::ReadClient(QTcpSocket* socket) {
    TClient* client = Find(socket);
    if (!client)
        return;
    client->Input.Append(socket->readAll());
    while (const std::optional<QByteArray> line = client->Input.TakeLine(LineCap))
        client->Queue.append(*line);
    if (client->Input.TakeDropped() > 0)
        return Drop(socket, u"it sent more than %1 bytes without a line end"_s.arg(LineCap));
    if (client->Queue.size() > QueueCap)
        return Drop(socket, u"more than %1 commands were waiting"_s.arg(QueueCap));
    ServeNext();
}

void TRigctlServer::ServeNext() {
    if (FServing || FClients.isEmpty())
        return;
    if (CanServe && !CanServe()) {
        FRetry.start();
        return;
    }
    // Clients take turns, one command each.
    TClient* client = nullptr;
    for (qsizetype i = 0; i < FClients.size() && !client; ++i) {
        TClient& candidate = FClients[(FNextClient + i) % FClients.size()];
        if (candidate.Socket && !candidate.Queue.isEmpty()) {
            client = &candidate;
            FNextClient = (FNextClient + i + 1) % FClients.size();
        }
    }
    if (!client)
        return;
    const QPointer<QTcpSocket> socket = client->Socket;
    const QByteArray line = client->Queue.takeFirst();

    // The answer may wait for the receiver with the event loop running: this server, the
    // client and the list of clients may all change meanwhile.
    const QPointer<TRigctlServer> alive(this);
    FServing = true;
    bool quit = false;
    const QByteArray reply = Rigctl::Answer(line, FRig, &quit);
    if (!alive)
        return;
    FServing = false;
    if (socket && socket->state() == QAbstractSocket::ConnectedState) {
        socket->write(reply);
        if (socket->bytesToWrite() > OutputCap)
            Drop(socket, u"more than %1 bytes sent to it were still unread"_s.arg(OutputCap));
        else if (quit)
            socket->disconnectFromHost();
    }
    QTimer::singleShot(0, this, &TRigctlServer::ServeNext);
}
