#pragma once

#include "ClockSetter.h"
#include "SntpClient.h"

#include <QObject>

#include <memory>

// Get/Set Time: asks a time server, and when it answered sets the computer's clock by the offset
// it gave. Whatever happens ends in one Finished signal with the text for the user; a server that
// did not answer, or answered badly, leaves the clock alone.
class TServerTimeSetting : public QObject {
    Q_OBJECT

public:
    explicit TServerTimeSetting(std::unique_ptr<TClockSetter> setter, QObject* parent = nullptr);

    TSntpClient& Client() { return FClient; }
    void Run(const QString& server);
    bool Busy() const { return FBusy; }

Q_SIGNALS:
    void Finished(bool clockSet, const QString& text);

private:
    void Answered(const TSntpAnswer& answer);
    void End(bool clockSet, const QString& text);

    TSntpClient FClient;
    std::unique_ptr<TClockSetter> FSetter;
    bool FBusy = false;
    // Ends the clock setter's answer quietly when this object is gone first.
    std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};
