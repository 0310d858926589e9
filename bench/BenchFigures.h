#pragma once

#include <QString>

#include <cstdio>
#include <ctime>

// Benchmarks print one figure per line as "<name> <value> [unit]" so scripts can read them.
inline void PrintFigure(const char* name, double value, const char* unit = "") {
    std::printf("%s %.3f%s%s\n", name, value, *unit ? " " : "", unit);
    std::fflush(stdout);
}

// Processor time of this process so far, in seconds.
inline double ProcessCpuSeconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

// Milliseconds a line at `baud` needs for `bytes` (start bit, 8 data bits, 2 stop bits).
inline double LineTimeMs(qint64 bytes, int baud) {
    return static_cast<double>(bytes) * 11.0 * 1000.0 / baud;
}
