#pragma once

#include <QObject>

#include <cstdint>

// A volume as the sound card's mixer gives it: left channel in the low 16 bits, right in the high
// 16 bits, each 0..65535.
inline constexpr std::uint32_t PackVolume(std::uint16_t left, std::uint16_t right) {
    return std::uint32_t{left} | (std::uint32_t{right} << 16);
}
inline constexpr std::uint16_t LeftVolume(std::uint32_t volume) {
    return static_cast<std::uint16_t>(volume & 0xFFFFu);
}
inline constexpr std::uint16_t RightVolume(std::uint32_t volume) {
    return static_cast<std::uint16_t>(volume >> 16);
}

// The sound card's line-in volume as the Main page sees it. The application gives the page one
// backed by the platform's mixer, so the window itself never links a sound library.
class TLineInVolume : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // False when the computer has no line input the mixer can set.
    virtual bool Available() const = 0;
    // The current volume, read from the mixer now; 0 when unavailable.
    virtual std::uint32_t Volume() = 0;
    virtual void SetVolume(std::uint32_t volume) = 0;
    // The polling interval in ms; 0 stops polling.
    virtual int Update() const = 0;
    virtual void SetUpdate(int ms) = 0;

Q_SIGNALS:
    // Each poll, with the volume just read.
    void VolumeChanged(std::uint32_t volume);
};
