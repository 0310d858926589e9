#pragma once

#include "LineInVolume.h"

#include <QTimer>

#include <cstdint>
#include <memory>
#include <optional>

// The raw range of a mixer control, as the sound system reports it.
struct TMixerRange {
    long Min = 0;
    long Max = 0;
};

// Raw mixer levels of the two channels; a mono control reports the same value in both.
struct TMixerLevels {
    long Left = 0;
    long Right = 0;
    friend bool operator==(const TMixerLevels&, const TMixerLevels&) = default;
};

// The sound system's side of the line-in volume, kept small so that tests can stand in a mixer
// of their own.
class TMixerBackend {
public:
    virtual ~TMixerBackend() = default;

    // Finds the line-in control; false when there is no card or no such control.
    virtual bool Open() = 0;
    virtual TMixerRange Range() const = 0;
    // nullopt when the control cannot be read any more (the card went away).
    virtual std::optional<TMixerLevels> Read() = 0;
    virtual bool Write(const TMixerLevels& levels) = 0;
};

// A raw level scaled to 0..65535, and back (rounded to the nearest step either way; a raw value
// outside the range is clamped).
std::uint16_t MixerToVolume(long raw, TMixerRange range);
long VolumeToMixer(std::uint16_t volume, TMixerRange range);

// The sound card's line-in volume: read and set through a mixer backend, and re-read every
// Update ms with VolumeChanged. Without a line input it is unavailable and never polls.
class TVControl final : public TLineInVolume {
    Q_OBJECT

public:
    static constexpr int kDefaultUpdateMs = 1000;

    explicit TVControl(std::unique_ptr<TMixerBackend> backend, QObject* parent = nullptr);
    ~TVControl() override;

    bool Available() const override { return FAvailable; }
    std::uint32_t Volume() override;
    void SetVolume(std::uint32_t volume) override;
    int Update() const override { return FUpdate; }
    void SetUpdate(int ms) override;
    bool Polling() const { return FTimer.isActive(); }

    // What the timer does: reads the volume and tells it.
    void Poll();

private:
    std::optional<std::uint32_t> ReadVolume();

    std::unique_ptr<TMixerBackend> FBackend;
    bool FAvailable = false;
    TMixerRange FRange;
    QTimer FTimer;
    int FUpdate = kDefaultUpdateMs;
    // The volume last set and the raw levels it became. A mixer has fewer steps than 65535, so
    // reading those levels back would give a slightly different volume and move the bar the user
    // just placed; while the mixer still holds them, the volume set is what is reported.
    struct TSetVolume {
        std::uint32_t Volume = 0;
        TMixerLevels Levels;
    };
    std::optional<TSetVolume> FLastSet;
};
