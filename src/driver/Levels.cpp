#include "Levels.h"

#include "NumberText.h"

#include <array>
#include <cmath>
#include <limits>
#include <utility>

using namespace Qt::StringLiterals;

int MeterAttenuationDb = 0;

namespace {

constexpr std::array<int, 3> kAttenuationDb = {0, 10, 20};

// The receiver's level curve: dBm = a x level^2 + b x level + c.
constexpr double kLevelSquare = 0.0013;
constexpr double kLevelLinear = 0.0601;
constexpr double kLevelOffsetDbm = -111.67;

// The receiver reads 10 dB low on short wave, and with the attenuator in below 230 MHz.
constexpr double kShortWaveTopMHz = 30.0;
constexpr double kAttenuatorCorrectionTopMHz = 230.0;
constexpr int kLowBandCorrectionDb = 10;

constexpr int kS9ShortWaveDbm = -73;
constexpr int kS9AboveShortWaveDbm = -93;
constexpr int kDbPerSUnit = 6;
constexpr std::array<const char*, 8> kBelowS9 = {"S8", "S7", "S6", "S5", "S4", "S3", "S2", "S1"};

constexpr double kLoadOhms = 50.0;
constexpr double kMilliwattsPerWatt = 1000.0;
constexpr double kMicrovoltsPerVolt = 1'000'000.0;

} // namespace

void SetMeterAttenuationFromIndex(int attenuatorIndex) {
    if (attenuatorIndex >= 0 && attenuatorIndex < static_cast<int>(kAttenuationDb.size()))
        MeterAttenuationDb = kAttenuationDb[static_cast<std::size_t>(attenuatorIndex)];
}

int LevelToDbm(int level, double mhz) {
    if (!std::isfinite(mhz))
        return kLevelError;
    const double l = level;
    const double curve = kLevelSquare * l * l + kLevelLinear * l + kLevelOffsetDbm;
    // Leaves room for the corrections below without overflowing an int.
    constexpr double kLimit = std::numeric_limits<int>::max() / 2;
    if (!(std::fabs(curve) < kLimit))
        return kLevelError;
    int dbm = static_cast<int>(RoundHalfEven(curve)) + MeterAttenuationDb;
    if (mhz <= kShortWaveTopMHz || (MeterAttenuationDb > 0 && mhz < kAttenuatorCorrectionTopMHz))
        dbm += kLowBandCorrectionDb;
    return dbm;
}

int S9Dbm(double mhz) {
    return mhz <= kShortWaveTopMHz ? kS9ShortWaveDbm : kS9AboveShortWaveDbm;
}

QString SUnitText(int dbm, double mhz) {
    const int s9 = S9Dbm(mhz);
    if (dbm >= s9)
        return u"S9 +%1dB"_s.arg(dbm - s9);
    for (std::size_t i = 0; i + 1 < kBelowS9.size(); ++i) {
        if (dbm >= s9 - kDbPerSUnit * static_cast<int>(i + 1))
            return QLatin1StringView(kBelowS9[i]);
    }
    return QLatin1StringView(kBelowS9.back());
}

bool LevelToSUnits(int level, double mhz, double currentMhz, TSUnits& result) {
    const double frequencyMhz = mhz == 0.0 ? currentMhz : mhz;
    const int dbm = LevelToDbm(level, frequencyMhz);
    if (dbm == kLevelError)
        return false;
    const double watts = std::pow(10.0, dbm / 10.0) / kMilliwattsPerWatt;
    const double microVolts = std::sqrt(watts * kLoadOhms) * kMicrovoltsPerVolt;
    if (!std::isfinite(microVolts))
        return false;
    result.Dbm = dbm;
    result.MicroVolts = microVolts;
    result.Text = SUnitText(dbm, frequencyMhz);
    return true;
}
