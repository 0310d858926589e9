#pragma once

#include <QHostAddress>
#include <QList>
#include <QString>
#include <QStringList>

// Where a network server listens and which client addresses it admits, as the settings file
// writes them: the listen address empty for every local address, the clients as a
// comma-separated list, empty for every address.
class TClientAddresses {
public:
    // The listen address a text names: every address for an empty text, null when it is none.
    static QHostAddress ListenAddressFrom(const QString& text);
    // The entries of the list that are addresses; the others go to `invalid`.
    static QList<QHostAddress> ClientAddressesFrom(const QString& commaList,
                                                   QStringList* invalid = nullptr);

    void SetListenAddress(const QHostAddress& address) { FListenAddress = address; }
    // False when the text is no address; the server then refuses to listen rather than listen
    // wider than asked.
    bool SetListenAddress(const QString& text);
    const QHostAddress& ListenAddress() const { return FListenAddress; }
    // Returns the entries that are no address (they admit nobody).
    QStringList SetAllowedClients(const QString& commaList);
    bool Allows(const QHostAddress& address) const;

private:
    QHostAddress FListenAddress{QHostAddress::Any};
    bool FAllowAll = true;
    QList<QHostAddress> FAllowed;
};
