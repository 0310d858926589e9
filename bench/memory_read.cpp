// Reads a whole memory bank (100 blocks of ten channels) from the simulated receiver paced at
// 19200 baud, and compares the time taken with the time the line itself needs for those bytes.
#include "BenchBankRead.h"
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
    QElapsedTimer elapsed;
    elapsed.start();
    if (!ReadWholeBank(driver))
        return 1;
    const int channelsRead = 1000;
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
