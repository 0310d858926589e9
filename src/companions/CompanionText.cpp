#include "CompanionText.h"

#include "NumberText.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace {

QString Hex(std::uint32_t value) {
    return u"0x"_s + QString::number(value, 16);
}

std::optional<std::uint32_t> ParseNumber(const QString& text) {
    bool ok = false;
    const qulonglong value = text.toULongLong(&ok, 0);
    if (!ok || value > 0xFFFFFFFFULL)
        return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

QString Printable(const QByteArray& bytes) {
    QString text;
    for (const char c : bytes)
        text += (c >= 0x20 && c < 0x7F) ? QLatin1Char(c) : QLatin1Char('.');
    return text;
}

} // namespace

QString DescribeFrame(const TCompanionFrame& frame) {
    QString line = u"%1 w=%2 l=%3"_s.arg(Hex(frame.Message), Hex(frame.WParam), Hex(frame.LParam));
    const TPackedPair pair{frame.WParam, frame.LParam};
    switch (frame.Message) {
    case kMsgQd3Frequency:
    case kMsgAgent:
    case kMsgQd3CallSign:
        if (IsTextHalf(pair)) {
            const bool first = (frame.LParam & 0xFFFF) == kFirstHalfMark;
            line += u" text %1 half \"%2\""_s.arg(first ? u"first"_s : u"second"_s,
                                                  Printable(UnpackTextHalf(pair)));
        } else if (frame.Message == kMsgQd3Frequency && frame.WParam == 0 && frame.LParam == 0) {
            line += u" link ends"_s;
        } else {
            line += u" frequency %1 MHz mode %2"_s.arg(
                FormatFixed(UnpackTuneRequest(frame.WParam, frame.LParam), 6),
                QString::number(frame.LParam & 0xFFFF));
        }
        break;
    case kMsgTuneRequest:
        line +=
            u" tune %1 MHz"_s.arg(FormatFixed(UnpackTuneRequest(frame.WParam, frame.LParam), 6));
        break;
    case kMsgGrabberStart:
        line += u" start grabbing"_s;
        break;
    case kMsgQd3Ends:
        line += u" link ended by the companion"_s;
        break;
    case kMsgRecorderCommand:
        line += u" recorder command %1"_s.arg(frame.LParam);
        break;
    case kMsgRecorderStatus:
        line += u" recorder status %1 value %2"_s.arg(frame.LParam & 0x7F).arg(frame.WParam);
        break;
    case kWmClose:
        line += u" close"_s;
        break;
    default:
        break;
    }
    return line;
}

std::optional<TCompanionFrame> ParseCommandLine(const QString& line) {
    const QStringList words = line.simplified().split(u' ', Qt::SkipEmptyParts);
    if (words.isEmpty())
        return std::nullopt;
    const QString command = words.first().toLower();
    if (command == u"tune" && words.size() == 2) {
        bool ok = false;
        const double mhz = words[1].toDouble(&ok);
        if (!ok || mhz < 0 || mhz >= 65536)
            return std::nullopt;
        const TPackedPair pair = PackFrequency(mhz, 0);
        return TCompanionFrame{kMsgTuneRequest, pair.WParam, pair.LParam & 0xFFFF0000U};
    }
    if (command == u"status" && (words.size() == 2 || words.size() == 3)) {
        const auto code = ParseNumber(words[1]);
        const auto value = words.size() == 3 ? ParseNumber(words[2]) : std::optional(0U);
        if (!code || !value)
            return std::nullopt;
        return TCompanionFrame{kMsgRecorderStatus, *value, *code};
    }
    if (command == u"end" && words.size() == 1)
        return TCompanionFrame{kMsgQd3Ends, 0, 0};
    if (command == u"send" && words.size() == 4) {
        const auto message = ParseNumber(words[1]);
        const auto wParam = ParseNumber(words[2]);
        const auto lParam = ParseNumber(words[3]);
        if (!message || !wParam || !lParam)
            return std::nullopt;
        return TCompanionFrame{*message, *wParam, *lParam};
    }
    return std::nullopt;
}
