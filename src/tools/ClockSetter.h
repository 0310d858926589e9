#pragma once

#include <QString>

#include <functional>
#include <memory>

// Sets the computer's clock. Asking for the privilege may take the user a while, so the outcome
// comes back through `done`: an empty text when the clock was set, else what to tell the user.
// Tests put their own in its place.
class TClockSetter {
public:
    virtual ~TClockSetter() = default;
    // Moves the clock by `offsetUs` from the moment the request is made.
    virtual void Adjust(qint64 offsetUs, std::function<void(const QString& failure)> done) = 0;
};

// The system's own: systemd-timedated over D-Bus where there is one; elsewhere a setter that
// says setting the clock is not supported here.
std::unique_ptr<TClockSetter> MakeSystemClockSetter();
