#pragma once

#include <QByteArray>

#include <optional>

// Cuts a byte stream from the network into lines, whatever way TCP cut it: a line ends at CR,
// LF or CR LF, and empty lines are skipped. A line that grows past the cap without an end is
// no command: it is dropped, the tail that still comes with it included.
class TLineSplitter {
public:
    void Append(const QByteArray& bytes) { FPending += bytes; }
    // The next whole line, without its end; nothing when no whole line is waiting.
    std::optional<QByteArray> TakeLine(qsizetype cap);
    // How many bytes of over-long lines were dropped since the last call: each such line is
    // counted once, at its first drop.
    qsizetype TakeDropped();

private:
    QByteArray FPending;
    bool FOverflowed = false; // inside a line too long: dropped up to its end
    qsizetype FDropped = 0;
};
