#pragma once

#include "ClientAddresses.h"
#include "LineSplitter.h"
#include "RelayServer.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTimer>

#include <functional>

class QTcpSocket;
class TRigctlRig;

// Answers network rig-control clients (Hamlib's "rigctl -m 2" and the programs built on it)
// while the link is open. Commands are served one at a time, in turn between clients: each may
// wait for the receiver, and the next waits until the receiver is free again.
class TRigctlServer : public QObject {
    Q_OBJECT

public:
    // The same limits as the sharing server's, and a cap on lines waiting for their turn.
    static constexpr qsizetype kDefaultLineCap = TRelayServer::kDefaultLineCap;
    static constexpr qint64 kDefaultOutputCap = TRelayServer::kDefaultOutputCap;
    static constexpr qsizetype kDefaultQueueCap = 64;
    static constexpr int kMaxClients = 4;
    static constexpr int kRetryMs = 20;

    explicit TRigctlServer(TRigctlRig& rig, QObject* parent = nullptr);
    ~TRigctlServer() override;

    TClientAddresses& Addresses() { return FAddresses; }
    // (Re)starts listening; false when the port cannot be bound or the address is none.
    bool Start(quint16 port);
    void Stop();
    bool IsActive() const { return FServer.isListening(); }
    QString ErrorText() const { return FServer.errorString(); }
    quint16 ServerPort() const { return FServer.serverPort(); }
    int ActiveConnections() const { return static_cast<int>(FClients.size()); }

    // False while the receiver is busy with someone else's request: the command waits.
    std::function<bool()> CanServe;
    qsizetype LineCap = kDefaultLineCap;
    qint64 OutputCap = kDefaultOutputCap;
    qsizetype QueueCap = kDefaultQueueCap;

Q_SIGNALS:
    // Something the server did to a client on its own account, for the messages window.
    void Notice(const QString& text);

private:
    struct TClient {
        QPointer<QTcpSocket> Socket;
        TLineSplitter Input;
        QList<QByteArray> Queue;
    };

    void HandleNewConnection();
    void ReadClient(QTcpSocket* socket);
    void Drop(QTcpSocket* socket, const QString& why);
    void Forget(QTcpSocket* socket);
    TClient* Find(QTcpSocket* socket);
    void ServeNext();

    TRigctlRig& FRig;
    QTcpServer FServer;
    TClientAddresses FAddresses;
    QList<TClient> FClients;
    qsizetype FNextClient = 0;
    bool FServing = false;
    QTimer FRetry;
};
