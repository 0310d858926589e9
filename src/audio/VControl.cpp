#include "VControl.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kVolumeMax = 65535.0;

} // namespace

std::uint16_t MixerToVolume(long raw, TMixerRange range) {
    if (range.Max <= range.Min)
        return 0;
    const long clamped = std::clamp(raw, range.Min, range.Max);
    const double fraction =
        static_cast<double>(clamped - range.Min) / static_cast<double>(range.Max - range.Min);
    return static_cast<std::uint16_t>(std::lround(fraction * kVolumeMax));
}

long VolumeToMixer(std::uint16_t volume, TMixerRange range) {
    if (range.Max <= range.Min)
        return range.Min;
    const double span = static_cast<double>(range.Max - range.Min);
    return range.Min + std::lround(static_cast<double>(volume) / kVolumeMax * span);
}

TVControl::TVControl(std::unique_ptr<TMixerBackend> backend, QObject* parent)
    : TLineInVolume(parent)
    , FBackend(std::move(backend)) {
    if (FBackend && FBackend->Open()) {
        FRange = FBackend->Range();
        // A control without a range cannot be set to anything.
        FAvailable = FRange.Max > FRange.Min && FBackend->Read().has_value();
    }
    connect(&FTimer, &QTimer::timeout, this, &TVControl::Poll);
    SetUpdate(kDefaultUpdateMs);
}

TVControl::~TVControl() = default;

std::optional<std::uint32_t> TVControl::ReadVolume() {
    if (!FAvailable)
        return std::nullopt;
    const std::optional<TMixerLevels> levels = FBackend->Read();
    if (!levels)
        return std::nullopt;
    if (FLastSet && FLastSet->Levels == *levels)
        return FLastSet->Volume;
    FLastSet.reset();
    return PackVolume(MixerToVolume(levels->Left, FRange), MixerToVolume(levels->Right, FRange));
}

std::uint32_t TVControl::Volume() {
    return ReadVolume().value_or(0);
}

void TVControl::SetVolume(std::uint32_t volume) {
    if (!FAvailable)
        return;
    const TMixerLevels levels{VolumeToMixer(LeftVolume(volume), FRange),
                              VolumeToMixer(RightVolume(volume), FRange)};
    if (FBackend->Write(levels))
        FLastSet = TSetVolume{volume, levels};
}

void TVControl::SetUpdate(int ms) {
    FUpdate = std::max(ms, 0);
    if (FAvailable && FUpdate > 0)
        FTimer.start(FUpdate);
    else
        FTimer.stop();
}

void TVControl::Poll() {
    if (const std::optional<std::uint32_t> volume = ReadVolume())
        Q_EMIT VolumeChanged(*volume);
}
