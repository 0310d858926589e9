#include "ClientAddresses.h"

#include <algorithm>

QHostAddress TClientAddresses::ListenAddressFrom(const QString& text) {
    const QString trimmed = text.trimmed();
    return trimmed.isEmpty() ? QHostAddress(QHostAddress::Any) : QHostAddress(trimmed);
}

QList<QHostAddress> TClientAddresses::ClientAddressesFrom(const QString& commaList,
                                                          QStringList* invalid) {
    QList<QHostAddress> addresses;
    for (const QString& entry : commaList.split(u',', Qt::SkipEmptyParts)) {
        const QHostAddress address(entry.trimmed());
        if (!address.isNull())
            addresses << address;
        else if (invalid && !entry.trimmed().isEmpty())
            *invalid << entry.trimmed();
    }
    return addresses;
}

bool TClientAddresses::SetListenAddress(const QString& text) {
    FListenAddress = ListenAddressFrom(text);
    return !FListenAddress.isNull();
}

QStringList TClientAddresses::SetAllowedClients(const QString& commaList) {
    QStringList invalid;
    FAllowed = ClientAddressesFrom(commaList, &invalid);
    FAllowAll = commaList.trimmed().isEmpty();
    return invalid;
}

bool TClientAddresses::Allows(const QHostAddress& address) const {
    if (FAllowAll)
        return true;
    // Listening on every address, an IPv4 client may come as an IPv6-mapped address.
    return std::any_of(FAllowed.cbegin(), FAllowed.cend(), [&address](const QHostAddress& allowed) {
        return allowed.isEqual(address, QHostAddress::TolerantConversion);
    });
}
