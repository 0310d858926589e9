#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QTcpServer>

class QTcpSocket;

// The listening side of network sharing: serves one client, whose connection is the first in
// the list; the driver relays every reply line from the receiver to it.
class TRelayServer : public QObject {
    Q_OBJECT

public:
    explicit TRelayServer(QObject* parent = nullptr);
    ~TRelayServer() override;

    // (Re)starts listening on all local addresses; false when the port cannot be bound.
    bool Start(quint16 port);
    void Stop();
    bool IsActive() const { return FServer.isListening(); }
    QString ErrorText() const { return FServer.errorString(); }
    quint16 ServerPort() const { return FServer.serverPort(); }

    int ActiveConnections() const { return static_cast<int>(FClients.size()); }
    // The served client, or nullptr.
    QTcpSocket* FirstClient() const;

Q_SIGNALS:
    void ClientConnected(QTcpSocket* client);
    void ClientRefused(QTcpSocket* client);
    void ClientDisconnected(QTcpSocket* client);
    void ClientRead(QTcpSocket* client);

private:
    void HandleNewConnection();

    QTcpServer FServer;
    QList<QPointer<QTcpSocket>> FClients;
};
