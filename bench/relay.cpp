// A memory bank (100 blocks of ten channels) read through a sharing server and its network
// client, against the simulated receiver paced at 19200 baud, compared with the same read made
// by a driver attached to the receiver itself; then the level polls the client completes per
// second with its poll timer running.
#include "BenchBankRead.h"
#include "BenchFigures.h"

#include "AR5000.h"
#include "LoopbackLink.h"
#include "RelayServer.h"
#include "Simulator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int kBaud = 19200;
constexpr int kPollRunMs = 5000;

// A simulated receiver on its paced line, with a driver attached by the serial path.
struct TAttached {
    std::unique_ptr<TSimReceiver> Receiver;
    std::unique_ptr<TSimLoopback> Loopback;
    TAR5000 Driver;

    explicit TAttached(int mode) {
        TSimOptions options;
        options.FillMemories = true;
        options.BaudRate = kBaud;
        Receiver = std::make_unique<TSimReceiver>(options);
        Loopback = std::make_unique<TSimLoopback>(Receiver.get());
        Driver.Serial()->SetDevice(Loopback->DriverEnd());
        Driver.Serial()->SetBaudrate(kBaud);
        Driver.SetConnectionMode(static_cast<std::uint8_t>(mode));
    }
};

void Report(const char* side, TAR5000& driver) {
    driver.OnErrorMessage = [side](const QString& text) {
        std::fprintf(stderr, "%s: %s\n", side, qPrintable(text));
    };
}

// Milliseconds for the whole bank, or a negative number when a block failed.
double ReadBank(TAR5000& driver) {
    QElapsedTimer elapsed;
    elapsed.start();
    if (!ReadWholeBank(driver))
        return -1.0;
    return static_cast<double>(elapsed.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);

    double localMs = 0.0;
    {
        TAttached local(0);
        Report("local", local.Driver);
        local.Driver.FSetPort(true);
        if (!local.Driver.Connected()) {
            std::fprintf(stderr, "the simulated receiver did not answer\n");
            return 1;
        }
        localMs = ReadBank(local.Driver);
        local.Driver.FSetPort(false);
        if (localMs < 0)
            return 1;
    }

    TAttached server(1);
    Report("server", server.Driver);
    TRelayServer relay;
    relay.SetListenAddress(QHostAddress::LocalHost);
    server.Driver.SetServerSocket(&relay);
    server.Driver.ServerPort = 0;
    server.Driver.FSetPort(true);
    if (!server.Driver.Connected() || !relay.IsActive()) {
        std::fprintf(stderr, "the server did not open: %s\n", qPrintable(relay.ErrorText()));
        return 1;
    }

    QTcpSocket socket;
    TAR5000 client;
    Report("client", client);
    client.SetClientSocket(&socket);
    client.SetConnectionMode(2);
    client.RemoteHost = u"127.0.0.1"_s;
    client.ClientPort = relay.ServerPort();
    client.FSetPort(true);
    if (!client.Connected()) {
        std::fprintf(stderr, "the client did not connect\n");
        return 1;
    }
    const double relayMs = ReadBank(client);
    if (relayMs < 0)
        return 1;

    int polls = 0;
    client.OnSignalLevel = [&polls](const TRxDat&) {
        ++polls;
    };
    QElapsedTimer elapsed;
    elapsed.start();
    client.FSetTimerStatus(true);
    QEventLoop loop;
    QTimer::singleShot(kPollRunMs, &loop, &QEventLoop::quit);
    loop.exec();
    client.FSetTimerStatus(false);
    const double seconds = static_cast<double>(elapsed.elapsed()) / 1000.0;
    client.FSetPort(false);
    server.Driver.FSetPort(false);

    PrintFigure("local_elapsed_ms", localMs, "ms");
    PrintFigure("relay_elapsed_ms", relayMs, "ms");
    PrintFigure("relay_ratio", relayMs / localMs);
    PrintFigure("relay_poll_per_s", polls / seconds);
    return 0;
}
