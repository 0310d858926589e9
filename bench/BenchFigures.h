#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
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

// Resident memory of this process in MB (Linux), or -1 where it cannot be read.
inline double ResidentMb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1.0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return -1.0;
}
