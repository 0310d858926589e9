#include "RelayServer.h"

#include <QHostAddress>
#include <QTcpSocket>

using namespace Qt::StringLiterals;

TRelayServer::TRelayServer(QObject* parent)
    : QObject(parent) {
    connect(&FServer, &QTcpServer::newConnection, this, &TRelayServer::HandleNewConnection);
}

TRelayServer::~TRelayServer() {
    // Sockets going down with the server must not report to listeners that are going too.
    for (const QPointer<QTcpSocket>& client : std::as_const(FClients)) {
        if (client)
            disconnect(client, nullptr, this, nullptr);
    }
}

QHostAddress TRelayServer::ListenAddressFrom(const QString& text) {
    return TClientAddresses::ListenAddressFrom(text);
}

QList<QHostAddress> TRelayServer::ClientAddressesFrom(const QString& commaList,
                                                      QStringList* invalid) {
    return TClientAddresses::ClientAddressesFrom(commaList, invalid);
}

bool TRelayServer::Start(quint16 port) {
    if (FServer.isListening())
        FServer.close();
    // The socket layer takes a null address for every address: wider than was asked for.
    if (FAddresses.ListenAddress().isNull())
        return false;
    return FServer.listen(FAddresses.ListenAddress(), port);
}

void TRelayServer::Stop() {
    FServer.close();
    // disconnectFromHost, not abort: a farewell message written just before must still arrive.
    const auto clients = FClients;
    for (const QPointer<QTcpSocket>& client : clients) {
        if (client)
            client->disconnectFromHost();
    }
}

QTcpSocket* TRelayServer::FirstClient() const {
    return FClients.isEmpty() ? nullptr : FClients.first().data();
}

bool TRelayServer::Send(const QByteArray& bytes) {
    QTcpSocket* client = FirstClient();
    if (!client || client->state() != QAbstractSocket::ConnectedState)
        return false;
    if (client->write(bytes) < 0)
        return false;
    if (client->bytesToWrite() > OutputCap)
        Drop(client, u"%1 Disconnected: more than %2 bytes sent to it were still unread"_s
                         .arg(client->peerAddress().toString())
                         .arg(OutputCap));
    return true;
}

void TRelayServer::SendMessage(const QString& text) {
    if (!FServer.isListening())
        return;
    QString line = text;
    line.replace(u'\r', u' ').replace(u'\n', u' ');
    Send(kServerMessageTag + (u' ' + line).toLatin1() + "\r\n");
}

void TRelayServer::Drop(QTcpSocket* client, const QString& why) {
    // Gone before the notice: a notice relayed to this client would pile up once more.
    client->abort();
    Q_EMIT Notice(why);
}

void TRelayServer::HandleNewConnection() {
    while (QTcpSocket* socket = FServer.nextPendingConnection()) {
        const bool allowed = Allows(socket->peerAddress());
        if (!allowed || !FClients.isEmpty()) {
            if (allowed)
                Q_EMIT ClientRefused(socket);
            else
                Q_EMIT Notice(u"Connection refused to "_s + socket->peerAddress().toString() +
                              u"\r\nAddress not allowed"_s);
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            socket->disconnectFromHost();
            continue;
        }
        FClients.append(socket);
        FInputs.insert(socket, {});
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { ReadClient(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            FClients.removeAll(socket);
            FInputs.remove(socket);
            Q_EMIT ClientDisconnected(socket);
            socket->deleteLater();
        });
        Q_EMIT ClientConnected(socket);
    }
}

void TRelayServer::ReadClient(QTcpSocket* client) {
    if (!FInputs.contains(client))
        return;
    FInputs[client].Append(client->readAll());
    // A line is taken out before it is handed on: what it sets off may read this client again
    // or drop it.
    for (;;) {
        const auto input = FInputs.find(client);
        if (input == FInputs.end())
            return;
        const std::optional<QByteArray> line = input->TakeLine(LineCap);
        if (const qsizetype dropped = input->TakeDropped())
            Q_EMIT Notice(u"%1 sent %2 bytes without a line end: dropped"_s
                              .arg(client->peerAddress().toString())
                              .arg(dropped));
        if (!line)
            return;
        Q_EMIT ClientLine(*line);
    }
}
