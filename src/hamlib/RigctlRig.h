#pragma once

#include "Records.h"

#include <QChar>

#include <optional>

// The receiver as a network rig-control client reaches it. Every call goes through the same
// driver and panel as the user's own actions, so the window shows what the client did.
class TRigctlRig {
public:
    virtual ~TRigctlRig() = default;

    // True while a search, scan, sweep or memory transfer owns the receiver: settings are
    // refused then, and reads answer from what the receiver last reported.
    virtual bool Busy() const = 0;
    // The current VFO or memory record, as the receiver reports it; nullopt when it did not.
    // The bandwidth comes in a second exchange with the receiver, made only when asked for.
    virtual std::optional<TRxDat> ReadCurrent(bool withBandwidth) = 0;
    // The signal in dB relative to S9; nullopt when the receiver did not answer.
    virtual std::optional<int> ReadStrengthDb() = 0;
    // The current box's squelch, 0..255.
    virtual int Squelch() const = 0;

    // The current VFO ('A'..'E') or the memory ('M').
    virtual QChar CurrentVfo() const = 0;
    // Tunes the current VFO; false when the memory is current.
    virtual bool SetFrequency(double mhz) = 0;
    virtual bool SetMode(int mode, int bandwidth) = 0;
    virtual bool SelectVfo(QChar letter) = 0;
    virtual bool SetSquelch(int level) = 0;
};
