#pragma once

#include "ClientAddresses.h"
#include "LineSplitter.h"

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTcpServer>

class QTcpSocket;

// What begins a line that carries one of the server's messages rather than a receiver reply.
inline constexpr char kServerMessageTag[] = "Kv7Msg";

// The listening side of network sharing: serves one client, whose connection is the first in
// the list; the driver relays every reply line from the receiver to it, and receives from it
// whole command lines, whatever way TCP cut them.
class TRelayServer : public QObject {
    Q_OBJECT

public:
    // A client's bytes without a line end beyond this are no command: dropped, with a notice.
    static constexpr qsizetype kDefaultLineCap = 4 * 1024;
    // A client that does not read what it is sent is dropped before the server's memory goes.
    static constexpr qint64 kDefaultOutputCap = 1024 * 1024;

    explicit TRelayServer(QObject* parent = nullptr);
    ~TRelayServer() override;

    // Where Start listens: every local address unless set otherwise.
    void SetListenAddress(const QHostAddress& address) { FAddresses.SetListenAddress(address); }
    // As the settings write it: empty for every local address. False when the text is no
    // address; Start then fails rather than listen wider than asked.
    bool SetListenAddress(const QString& text) { return FAddresses.SetListenAddress(text); }
    // The addresses a client may connect from, as a comma-separated list; empty accepts every
    // address. Returns the entries that are no address (they admit nobody).
    QStringList SetAllowedClients(const QString& commaList) {
        return FAddresses.SetAllowedClients(commaList);
    }
    bool Allows(const QHostAddress& address) const { return FAddresses.Allows(address); }
    // What those settings texts mean, for the comms dialog to check before it saves them: the
    // listen address (null when the text is none), and the entries of the list that are none.
    static QHostAddress ListenAddressFrom(const QString& text);
    static QList<QHostAddress> ClientAddressesFrom(const QString& commaList,
                                                   QStringList* invalid = nullptr);
    // (Re)starts listening; false when the port cannot be bound.
    bool Start(quint16 port);
    void Stop();
    bool IsActive() const { return FServer.isListening(); }
    QString ErrorText() const { return FServer.errorString(); }
    quint16 ServerPort() const { return FServer.serverPort(); }

    int ActiveConnections() const { return static_cast<int>(FClients.size()); }
    // The served client, or nullptr.
    QTcpSocket* FirstClient() const;
    // Writes to the served client; false when there is none or the write failed. A client
    // whose unsent output passes OutputCap is disconnected, with a notice.
    bool Send(const QByteArray& bytes);
    // Tells the served client, if any, about a message reported here: one line "Kv7Msg " +
    // the message with its own line breaks made blanks, ended by CR LF like every other line.
    void SendMessage(const QString& text);

    qsizetype LineCap = kDefaultLineCap;
    qint64 OutputCap = kDefaultOutputCap;

Q_SIGNALS:
    void ClientConnected(QTcpSocket* client);
    void ClientRefused(QTcpSocket* client);
    void ClientDisconnected(QTcpSocket* client);
    // One whole line from the served client, its line end removed (never empty).
    void ClientLine(const QByteArray& line);
    // Something the server did to a client on its own account, for the messages window.
    void Notice(const QString& text);

private:
    void HandleNewConnection();
    void ReadClient(QTcpSocket* client);
    void Drop(QTcpSocket* client, const QString& why);

    QTcpServer FServer;
    TClientAddresses FAddresses;
    QList<QPointer<QTcpSocket>> FClients;
    QHash<QTcpSocket*, TLineSplitter> FInputs;
};
