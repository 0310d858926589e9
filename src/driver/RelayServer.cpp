#include "RelayServer.h"

#include <QHostAddress>
#include <QTcpSocket>

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

bool TRelayServer::Start(quint16 port) {
    if (FServer.isListening())
        FServer.close();
    return FServer.listen(FListenAddress, port);
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

void TRelayServer::SendMessage(const QString& text) {
    QTcpSocket* client = FServer.isListening() ? FirstClient() : nullptr;
    if (!client)
        return;
    QString line = text;
    line.replace(u'\r', u' ').replace(u'\n', u' ');
    client->write(kServerMessageTag + (u' ' + line).toLatin1() + "\r\n");
}

void TRelayServer::HandleNewConnection() {
    while (QTcpSocket* socket = FServer.nextPendingConnection()) {
        if (!FClients.isEmpty()) {
            Q_EMIT ClientRefused(socket);
            socket->disconnectFromHost();
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            continue;
        }
        FClients.append(socket);
        connect(socket, &QTcpSocket::readyRead, this,
                [this, socket] { Q_EMIT ClientRead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            FClients.removeAll(socket);
            Q_EMIT ClientDisconnected(socket);
            socket->deleteLater();
        });
        Q_EMIT ClientConnected(socket);
    }
}
