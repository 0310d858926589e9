#pragma once

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTcpServer>

class QTcpSocket;

// What begins a line that carries one of the server's messages rather than a receiver reply.
inline constexpr char kServerMessageTag[] = "Kv7Msg";

// The listening side of network sharing: serves one client, whose connection is the first in
// the list; the driver relays every reply line from the receiver to it.
class TRelayServer : public QObject {
    Q_OBJECT

public:
    explicit TRelayServer(QObject* parent = nullptr);
    ~TRelayServer() override;

    // Where Start listens: every local address unless set otherwise.
    void SetListenAddress(const QHostAddress& address) { FListenAddress = address; }
    // (Re)starts listening; false when the port cannot be bound.
    bool Start(quint16 port);
    void Stop();
    bool IsActive() const { return FServer.isListening(); }
    QString ErrorText() const { return FServer.errorString(); }
    quint16 ServerPort() const { return FServer.serverPort(); }

    int ActiveConnections() const { return static_cast<int>(FClients.size()); }
    // The served client, or nullptr.
    QTcpSocket* FirstClient() const;
    // Tells the served client, if any, about a message reported here: one line "Kv7Msg " +
    // the message with its own line breaks made blanks, ended by CR LF like every other line.
    void SendMessage(const QString& text);

Q_SIGNALS:
    void ClientConnected(QTcpSocket* client);
    void ClientRefused(QTcpSocket* client);
    void ClientDisconnected(QTcpSocket* client);
    void ClientRead(QTcpSocket* client);

private:
    void HandleNewConnection();

    QTcpServer FServer;
    QHostAddress FListenAddress{QHostAddress::Any};
    QList<QPointer<QTcpSocket>> FClients;
};
