#pragma once

#include <QString>

// Attenuation in dB implied by the last attenuator reply (0, 10 or 20). Program-wide because the
// level conversions and the meter scale both read it.
extern int MeterAttenuationDb;

// Sets MeterAttenuationDb from an attenuator index (0 -> 0, 1 -> 10, 2 -> 20; others ignored).
void SetMeterAttenuationFromIndex(int attenuatorIndex);

inline constexpr int kLevelError = -999;

// The receiver's raw level (0..255) to dBm at `mhz`; kLevelError on an arithmetic failure.
int LevelToDbm(int level, double mhz);

struct TSUnits {
    int Dbm = 0;
    double MicroVolts = 0.0; // into 50 ohms
    QString Text;            // "S1".."S8", "S9 +<n>dB"
};

// The level of S9 in dBm at `mhz`: -73 at or below 30 MHz, -93 above.
int S9Dbm(double mhz);

// "S1".."S8" below S9 (-73 dBm at or below 30 MHz, -93 dBm above), one S unit per 6 dB, and
// "S9 +<n>dB" from S9 up.
QString SUnitText(int dbm, double mhz);

// The raw level to dBm, microvolts and S units. `mhz` 0 means the caller has no frequency and
// `currentMhz` (the driver's current record) is used. False only on an arithmetic failure.
bool LevelToSUnits(int level, double mhz, double currentMhz, TSUnits& result);
