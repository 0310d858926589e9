#pragma once

#include <QList>
#include <QString>

#include <array>
#include <cstdint>

enum class TSimSignalKind {
    Steady,       // always on
    Intermittent, // on for OnMs, off for OffMs, repeating
    Dtmf,         // short bursts that carry DTMF digits
};

// One transmitter on the simulated band.
// A signal's level wanders this much either side of its peak.
inline constexpr int kSimJitterLevels = 3;

struct TSimSignal {
    qint64 FreqHz = 0;
    int WidthHz = 10000; // full level within half of it either side, nothing beyond it
    int PeakLevel = 150; // raw level 0..255
    TSimSignalKind Kind = TSimSignalKind::Steady;
    int OnMs = 0; // Intermittent and Dtmf
    int OffMs = 0;
    int PhaseMs = 0;
    QString Digits;     // Dtmf: sent once per burst
    bool Voice = false; // modulated: opens a voice squelch

    bool operator==(const TSimSignal&) const = default;
};

struct TSimSample {
    int Level = 0; // 0..255
    bool Voice = false;
};

// Where the generated signals, the preset memory channels and the preset search banks lie.
struct TSimBandPlanEntry {
    const char* Name; // up to 5 characters: memory and search-bank texts start with it
    qint64 LowHz;
    qint64 HighHz;
    int GridHz;
    int Signals;
    int SteadyPercent; // the rest intermittent ...
    int DtmfPercent;   // ... of which this share carries DTMF
    int MinLevel;
    int MaxLevel;
    int Mode;      // receiver mode index
    int Bandwidth; // receiver bandwidth index
};

inline constexpr std::array<TSimBandPlanEntry, 14> kSimBandPlan = {{
    {"MW", 531'000, 1'602'000, 9'000, 6, 100, 0, 110, 200, 1, 2},
    {"HF", 3'500'000, 29'700'000, 5'000, 12, 20, 0, 70, 170, 2, 1},
    {"FM", 87'500'000, 108'000'000, 100'000, 10, 100, 0, 140, 230, 0, 6},
    {"AIR", 118'000'000, 137'000'000, 25'000, 12, 10, 0, 90, 220, 1, 2},
    {"2M", 144'000'000, 146'000'000, 12'500, 8, 10, 30, 90, 210, 0, 3},
    {"MAR", 156'000'000, 162'025'000, 25'000, 6, 0, 0, 90, 200, 0, 3},
    {"PMR", 162'050'000, 174'000'000, 12'500, 6, 20, 30, 80, 190, 0, 3},
    {"70CM", 430'000'000, 440'000'000, 12'500, 8, 10, 20, 80, 200, 0, 3},
    {"P446", 446'006'250, 446'193'750, 12'500, 3, 0, 0, 100, 210, 0, 3},
    {"UHF", 450'000'000, 470'000'000, 12'500, 8, 30, 10, 80, 200, 0, 3},
    {"GSM", 935'000'000, 960'000'000, 200'000, 4, 100, 0, 120, 190, 0, 5},
    {"ADSB", 1'090'000'000, 1'090'000'000, 1'000'000, 1, 100, 0, 150, 200, 1, 5},
    {"23CM", 1'240'000'000, 1'300'000'000, 25'000, 3, 0, 0, 80, 180, 0, 3},
    {"SAT", 1'690'000'000, 1'710'000'000, 50'000, 2, 100, 0, 90, 140, 0, 4},
}};

// A small deterministic generator: the same seed gives the same numbers on every platform.
class TSimRandom {
public:
    explicit TSimRandom(std::uint64_t seed)
        : FState(seed) {}
    std::uint64_t Next();
    // Uniform in [low, high].
    qint64 Between(qint64 low, qint64 high);
    bool Percent(int percent) { return Between(0, 99) < percent; }

private:
    std::uint64_t FState;
};

// One well-mixed 64-bit value from a few inputs (noise that depends only on its arguments).
std::uint64_t SimHash(std::uint64_t a, std::uint64_t b, std::uint64_t c);

// The simulated radio band: a fixed, seeded set of signals. Levels depend only on frequency,
// time and the seed, so a run can be repeated exactly with an injected clock.
class TSimBand {
public:
    explicit TSimBand(std::uint32_t seed = 1);

    std::uint32_t Seed() const { return FSeed; }
    const QList<TSimSignal>& Signals() const { return FSignals; }
    void SetSignals(QList<TSimSignal> list);
    void AddSignal(const TSimSignal& signal);
    // Highest noise level; noise lies between NoiseFloor() - 10 and NoiseFloor().
    int NoiseFloor() const { return FNoiseFloor; }
    void SetNoiseFloor(int level) { FNoiseFloor = level; }

    static bool IsOn(const TSimSignal& signal, qint64 timeMs);
    TSimSample Sample(qint64 hz, qint64 timeMs) const;
    int Level(qint64 hz, qint64 timeMs) const { return Sample(hz, timeMs).Level; }
    // Peak of the strongest signal that covers the frequency, 0 when none does.
    int PeakLevel(qint64 hz) const;
    // Digits of the DTMF bursts heard at the frequency that started in (fromMs, toMs].
    QString DtmfDigits(qint64 hz, qint64 fromMs, qint64 toMs) const;

private:
    // Signals whose width reaches the frequency, as indexes into FSignals.
    template <typename TVisit> void ForEachCovering(qint64 hz, TVisit visit) const;

    std::uint32_t FSeed;
    QList<TSimSignal> FSignals; // sorted by frequency
    int FMaxWidthHz = 0;
    int FNoiseFloor = 20;
};
