#include "SimBand.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr const char* kDtmfAlphabet = "0123456789*#ABCD";
constexpr int kDtmfAlphabetSize = 16;
constexpr int kNoiseSpanLevels = 10;
constexpr int kNoiseSliceMs = 250; // the noise changes this often
constexpr int kDtmfDigitsKept = 32;

std::uint64_t SplitMix(std::uint64_t& state) {
    state += 0x9E3779B97F4A7C15ull;
    std::uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

qint64 FloorDiv(qint64 a, qint64 b) {
    qint64 q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

TSimSignal MakeSignal(const TSimBandPlanEntry& plan, TSimRandom& random) {
    TSimSignal signal;
    const qint64 slots = (plan.HighHz - plan.LowHz) / plan.GridHz;
    signal.FreqHz = plan.LowHz + random.Between(0, slots) * plan.GridHz;
    signal.WidthHz = std::max(plan.GridHz / 2, 3000);
    signal.PeakLevel = static_cast<int>(random.Between(plan.MinLevel, plan.MaxLevel));
    if (random.Percent(plan.SteadyPercent))
        return signal;
    signal.Voice = true;
    signal.PhaseMs = static_cast<int>(random.Between(0, 60'000));
    if (random.Percent(plan.DtmfPercent)) {
        signal.Kind = TSimSignalKind::Dtmf;
        signal.OnMs = static_cast<int>(random.Between(1'000, 3'000));
        signal.OffMs = static_cast<int>(random.Between(10'000, 40'000));
        const auto digits = random.Between(3, 8);
        for (qint64 i = 0; i < digits; ++i)
            signal.Digits += QLatin1Char(kDtmfAlphabet[random.Between(0, kDtmfAlphabetSize - 1)]);
    } else {
        signal.Kind = TSimSignalKind::Intermittent;
        signal.OnMs = static_cast<int>(random.Between(2'000, 20'000));
        signal.OffMs = static_cast<int>(random.Between(5'000, 60'000));
    }
    return signal;
}

} // namespace

std::uint64_t TSimRandom::Next() {
    return SplitMix(FState);
}

qint64 TSimRandom::Between(qint64 low, qint64 high) {
    if (high <= low)
        return low;
    const auto span = static_cast<std::uint64_t>(high - low) + 1;
    return low + static_cast<qint64>(Next() % span);
}

std::uint64_t SimHash(std::uint64_t a, std::uint64_t b, std::uint64_t c) {
    std::uint64_t state = a;
    SplitMix(state);
    state ^= b * 0xD6E8FEB86659FD93ull;
    SplitMix(state);
    state ^= c * 0xA0761D6478BD642Full;
    return SplitMix(state);
}

TSimBand::TSimBand(std::uint32_t seed)
    : FSeed(seed) {
    TSimRandom random(seed);
    QList<TSimSignal> generated;
    for (const TSimBandPlanEntry& plan : kSimBandPlan) {
        for (int i = 0; i < plan.Signals; ++i) {
            TSimSignal signal = MakeSignal(plan, random);
            const bool taken =
                std::any_of(generated.cbegin(), generated.cend(),
                            [&](const auto& s) { return s.FreqHz == signal.FreqHz; });
            if (!taken)
                generated.append(signal);
        }
    }
    SetSignals(std::move(generated));
}

void TSimBand::SetSignals(QList<TSimSignal> list) {
    FSignals = std::move(list);
    std::stable_sort(FSignals.begin(), FSignals.end(),
                     [](const auto& a, const auto& b) { return a.FreqHz < b.FreqHz; });
    FMaxWidthHz = 0;
    for (const TSimSignal& signal : FSignals)
        FMaxWidthHz = std::max(FMaxWidthHz, signal.WidthHz);
}

void TSimBand::AddSignal(const TSimSignal& signal) {
    QList<TSimSignal> list = FSignals;
    list.append(signal);
    SetSignals(std::move(list));
}

bool TSimBand::IsOn(const TSimSignal& signal, qint64 timeMs) {
    if (signal.Kind == TSimSignalKind::Steady)
        return true;
    const qint64 period = qint64(signal.OnMs) + signal.OffMs;
    if (period <= 0)
        return true;
    const qint64 t = timeMs + signal.PhaseMs;
    return t - FloorDiv(t, period) * period < signal.OnMs;
}

template <typename TVisit> void TSimBand::ForEachCovering(qint64 hz, TVisit visit) const {
    const auto first = std::lower_bound(
        FSignals.cbegin(), FSignals.cend(), hz - FMaxWidthHz,
        [](const TSimSignal& signal, qint64 value) { return signal.FreqHz < value; });
    for (auto it = first; it != FSignals.cend() && it->FreqHz <= hz + FMaxWidthHz; ++it) {
        if (std::abs(it->FreqHz - hz) < it->WidthHz)
            visit(*it);
    }
}

TSimSample TSimBand::Sample(qint64 hz, qint64 timeMs) const {
    const auto slice = static_cast<std::uint64_t>(FloorDiv(timeMs, kNoiseSliceMs));
    const std::uint64_t noise = SimHash(FSeed, static_cast<std::uint64_t>(hz / 1000), slice);
    TSimSample sample;
    sample.Level = std::max(0, FNoiseFloor - static_cast<int>(noise % (kNoiseSpanLevels + 1)));
    ForEachCovering(hz, [&](const TSimSignal& signal) {
        if (!IsOn(signal, timeMs))
            return;
        const qint64 offset = std::abs(signal.FreqHz - hz);
        const qint64 flat = signal.WidthHz / 2;
        double share = 1.0;
        if (offset > flat)
            share = 1.0 - double(offset - flat) / double(signal.WidthHz - flat);
        const int jitter =
            static_cast<int>((noise >> 8) % (2 * kSimJitterLevels + 1)) - kSimJitterLevels;
        const int level = std::clamp(static_cast<int>(signal.PeakLevel * share) + jitter, 0, 255);
        if (level > sample.Level) {
            sample.Level = level;
            sample.Voice = signal.Voice;
        }
    });
    return sample;
}

int TSimBand::PeakLevel(qint64 hz) const {
    int peak = 0;
    ForEachCovering(hz, [&](const TSimSignal& signal) { peak = std::max(peak, signal.PeakLevel); });
    return peak;
}

QString TSimBand::DtmfDigits(qint64 hz, qint64 fromMs, qint64 toMs) const {
    QString digits;
    ForEachCovering(hz, [&](const TSimSignal& signal) {
        if (signal.Kind != TSimSignalKind::Dtmf ||
            std::abs(signal.FreqHz - hz) > signal.WidthHz / 2)
            return;
        const qint64 period = qint64(signal.OnMs) + signal.OffMs;
        if (period <= 0)
            return;
        const qint64 bursts =
            FloorDiv(toMs + signal.PhaseMs, period) - FloorDiv(fromMs + signal.PhaseMs, period);
        for (qint64 i = 0; i < std::min<qint64>(bursts, kDtmfDigitsKept); ++i)
            digits += signal.Digits;
    });
    return digits.right(kDtmfDigitsKept);
}
