#include "LineSplitter.h"

#include <utility>

std::optional<QByteArray> TLineSplitter::TakeLine(qsizetype cap) {
    for (;;) {
        qsizetype end = 0;
        while (end < FPending.size() && FPending.at(end) != '\r' && FPending.at(end) != '\n')
            ++end;
        if (end == FPending.size()) {
            if (FPending.size() > cap) {
                if (!FOverflowed)
                    FDropped += FPending.size();
                FOverflowed = true;
                FPending.clear();
            }
            return std::nullopt;
        }
        QByteArray line = FPending.left(end);
        FPending.remove(0, end + 1);
        // After an overflow the first line end closes the line whose front was dropped.
        const bool tail = std::exchange(FOverflowed, false);
        if (!line.isEmpty() && !tail)
            return line;
    }
}

qsizetype TLineSplitter::TakeDropped() {
    return std::exchange(FDropped, 0);
}
