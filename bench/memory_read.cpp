// Reads a whole memory bank (100 blocks of ten channels) from the simulated receiver paced at
// 19200 baud, and compares the time taken with the time the line itself needs for those bytes.
#include "BenchFigures.h"

#include "AR5000.h"
#include "LoopbackLink.h"
#include "Simulator.h"

#include <QCoreApplication>
#include <QElapsedTimer>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    constexpr int kBaud = 19200;

    TSimOptions options;
    options.FillMemories = true;
    options.BaudRate = kBaud;
    TSimReceiver receiver(options);
    TSimLoopback loopback(&receiver);

    TAR5000 driver;
    driver.Serial()->SetDevice(loopback.DriverEnd());
    driver.Serial()->SetBaudrate(kBaud);
    driver.OnErrorMessage = [](const QString& text) {
        std::fprintf(stderr, "driver: %s\n", qPrintable(text));
    };
    driver.FSetPort(true);
    if (!driver.Connected()) {
        std::fprintf(stderr, "the simulated receiver did not answer\n");
        return 1;
    }

    const qint64 bytesBefore = receiver.BytesReceived() + receiver.BytesSent();
    int channelsRead = 0;
    QElapsedTimer elapsed;
    elapsed.start();
    TMAArray block{};
    for (int hundred = 0; hundred < 10; ++hundred) {
        for (int part = 0; part < 10; ++part) {
            // The first block of a hundred names it; the next nine continue the listing.
            block[0].Channel = part == 0 ? hundred : hundred * 100 + part * 10;
            if (!driver.GetMA(block)) {
                std::fprintf(stderr, "block %d%d0 failed\n", hundred, part);
                return 1;
            }
            channelsRead += 10;
        }
    }
    const double elapsedMs = static_cast<double>(elapsed.nsecsElapsed()) / 1e6;
    const qint64 bytes = receiver.BytesReceived() + receiver.BytesSent() - bytesBefore;
    const double lineMs = LineTimeMs(bytes, kBaud);

    PrintFigure("channels", channelsRead);
    PrintFigure("elapsed_ms", elapsedMs, "ms");
    PrintFigure("bytes", static_cast<double>(bytes), "B");
    PrintFigure("line_min_ms", lineMs, "ms");
    PrintFigure("ratio", elapsedMs / lineMs);
    return 0;
}
