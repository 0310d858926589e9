#include "CompanionFrame.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

constexpr std::uint32_t kKnownMessages[] = {
    kWmClose,         kWmKeyDown,      kWmKeyUp,    kMsgQd3Frequency,    kMsgAgent,
    kMsgGrabberStart, kMsgTuneRequest, kMsgQd3Ends, kMsgRecorderCommand, kMsgRecorderStatus,
    kMsgQd3CallSign,
};

std::uint32_t ReadField(const char* frame, int index) {
    return qFromLittleEndian<std::uint32_t>(frame + 4 * index);
}

std::uint32_t Char(const QByteArray& text, int index) {
    return static_cast<std::uint8_t>(text.at(index));
}

} // namespace

QByteArray EncodeFrame(const TCompanionFrame& frame) {
    QByteArray bytes(kFrameBytes, '\0');
    qToLittleEndian(frame.Message, bytes.data());
    qToLittleEndian(frame.WParam, bytes.data() + 4);
    qToLittleEndian(frame.LParam, bytes.data() + 8);
    return bytes;
}

bool KnownMessage(std::uint32_t message) {
    return std::ranges::find(kKnownMessages, message) != std::end(kKnownMessages);
}

void TFrameReader::Feed(const QByteArray& bytes) {
    FBuffer.append(bytes);
}

std::optional<TCompanionFrame> TFrameReader::Next() {
    if (FBuffer.size() < kFrameBytes)
        return std::nullopt;
    // The writable pointer: the read-only one of an empty array points at a shared one-byte
    // object, a path the compiler's bounds check cannot rule out although the size was checked.
    const char* raw = FBuffer.data();
    const TCompanionFrame frame{ReadField(raw, 0), ReadField(raw, 1), ReadField(raw, 2)};
    if (!KnownMessage(frame.Message)) {
        FError = u"Companion frame rejected: unknown message number 0x%1 (%2 bytes dropped)"_s.arg(
            QString::number(frame.Message, 16), QString::number(FBuffer.size()));
        FBuffer.clear();
        return std::nullopt;
    }
    FBuffer.remove(0, kFrameBytes);
    return frame;
}

void TFrameReader::Finish() {
    if (FBuffer.isEmpty())
        return;
    FError = u"Companion frame rejected: %1 of %2 bytes"_s.arg(FBuffer.size()).arg(kFrameBytes);
    FBuffer.clear();
}

QString TFrameReader::TakeError() {
    return std::exchange(FError, QString());
}

TPackedPair PackFrequency(double mhz, int modeIndex) {
    const double whole = std::trunc(mhz);
    const auto hz = static_cast<std::uint32_t>(std::lround((mhz - whole) * 1'000'000.0));
    const auto wholeMHz = static_cast<std::uint32_t>(whole);
    return {hz, (wholeMHz << 16) | static_cast<std::uint32_t>(modeIndex)};
}

double UnpackTuneRequest(std::uint32_t wParam, std::uint32_t lParam) {
    return static_cast<double>(lParam >> 16) + static_cast<double>(wParam) / 1'000'000.0;
}

std::array<TPackedPair, 2> PackText(const QString& text) {
    QByteArray bytes = text.toLatin1().left(8);
    if (text.isEmpty())
        bytes = QByteArray(8, '\0');
    else
        bytes = bytes.leftJustified(8, ' ');
    const auto half = [&bytes](int first, std::uint32_t mark) {
        return TPackedPair{(Char(bytes, first + 2) << 8) | Char(bytes, first + 3),
                           (((Char(bytes, first) << 8) | Char(bytes, first + 1)) << 16) | mark};
    };
    return {half(0, kFirstHalfMark), half(4, kSecondHalfMark)};
}

bool IsTextHalf(const TPackedPair& pair) {
    const std::uint32_t mark = pair.LParam & 0xFFFF;
    return mark == kFirstHalfMark || mark == kSecondHalfMark;
}

QByteArray UnpackTextHalf(const TPackedPair& pair) {
    QByteArray bytes(4, '\0');
    bytes[0] = static_cast<char>((pair.LParam >> 24) & 0xFF);
    bytes[1] = static_cast<char>((pair.LParam >> 16) & 0xFF);
    bytes[2] = static_cast<char>((pair.WParam >> 8) & 0xFF);
    bytes[3] = static_cast<char>(pair.WParam & 0xFF);
    return bytes;
}
