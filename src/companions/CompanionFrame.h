#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

// The message numbers the companions expect; the numbers are theirs, not ours to change.
inline constexpr std::uint32_t kWmClose = 0x0010;
// A keystroke handed to a companion as key-down and key-up of virtual key codes.
inline constexpr std::uint32_t kWmKeyDown = 0x0100;
inline constexpr std::uint32_t kWmKeyUp = 0x0101;
inline constexpr std::uint32_t kVkControl = 0x11;
inline constexpr std::uint32_t kMsgQd3Frequency = 0x590;
inline constexpr std::uint32_t kMsgAgent = 0x591;
inline constexpr std::uint32_t kMsgGrabberStart = 0x592;
inline constexpr std::uint32_t kMsgTuneRequest = 0x593;
inline constexpr std::uint32_t kMsgQd3Ends = 0x594;
inline constexpr std::uint32_t kMsgRecorderCommand = 0x595;
inline constexpr std::uint32_t kMsgRecorderStatus = 0x596;
inline constexpr std::uint32_t kMsgQd3CallSign = 0x597;

// One window message as it travels over a companion's local socket.
struct TCompanionFrame {
    std::uint32_t Message = 0;
    std::uint32_t WParam = 0;
    std::uint32_t LParam = 0;

    friend bool operator==(const TCompanionFrame&, const TCompanionFrame&) = default;
};

// Three little-endian 32-bit fields, so both ends agree whatever machine they run on.
inline constexpr int kFrameBytes = 12;

QByteArray EncodeFrame(const TCompanionFrame& frame);
// Whether a message number is one a companion link carries at all.
bool KnownMessage(std::uint32_t message);

// Cuts frames out of a byte stream, whatever way the socket split it. A frame with a message
// number no companion uses means the stream is garbage from here on: what is buffered is dropped
// and the reason kept, so the link stays usable for the frames that follow.
class TFrameReader {
public:
    void Feed(const QByteArray& bytes);
    // The next whole frame, or nullopt (then Error() says whether something was rejected).
    std::optional<TCompanionFrame> Next();
    // The stream ended: bytes left over are a short frame, rejected with a message.
    void Finish();
    // The reason for the last rejection; empty when nothing was rejected since it was taken.
    QString TakeError();
    qsizetype Pending() const { return FBuffer.size(); }

private:
    QByteArray FBuffer;
    QString FError;
};

// Frequency and mode as the spectrum display and the agent take them: the Hz below the whole
// MHz, and the whole MHz in the high half of the second parameter with the mode index below.
struct TPackedPair {
    std::uint32_t WParam = 0;
    std::uint32_t LParam = 0;
    friend bool operator==(const TPackedPair&, const TPackedPair&) = default;
};
TPackedPair PackFrequency(double mhz, int modeIndex);
// A tune request's frequency in MHz.
double UnpackTuneRequest(std::uint32_t wParam, std::uint32_t lParam);

// Eight 8-bit characters in two messages, marked 0xFF (first half) and 0xFE (second half).
// The text is padded with spaces; an empty text is eight zero bytes.
inline constexpr std::uint32_t kFirstHalfMark = 0xFF;
inline constexpr std::uint32_t kSecondHalfMark = 0xFE;
std::array<TPackedPair, 2> PackText(const QString& text);
// Whether a pair is a text half rather than a frequency (a mode index never reaches 0xFE).
bool IsTextHalf(const TPackedPair& pair);
// The four characters of one half, in order.
QByteArray UnpackTextHalf(const TPackedPair& pair);
