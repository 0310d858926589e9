// Loads all 1000 channels of bank 0 from the simulated receiver (19200 baud, 5 ms latency) into
// the bank table with TMemoryTransfer, then downloads every row back, and compares each with the
// least time the line allows for the same exchange.
//
// The minimum replays the exchange that actually took place through the simulated line's own
// timing, with a host that answers in no time: every byte costs 11 bit times in its direction
// (the two directions run at once), every command reaches the receiver its latency after its
// line end has crossed, and a reply leaves when its command is due and the line out is free.
// A command is sent as soon as the host has heard what it had heard when it sent it in the run.
// So latency counts once for each reply the host waits for; commands sent back to back (a
// memory recall and the eight settings queries, a memory write and its "DS" check) overlap
// theirs. *_line_ms is the plainer bound of all bytes one after the other, no latency.
#include "BenchFigures.h"

#include "AR5000.h"
#include "DataUnit1.h"
#include "LoopbackLink.h"
#include "MemoryTransfer.h"
#include "Simulator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr int kBaud = 19200;
constexpr int kLatencyMs = 5;

// One command as the line carried it.
struct TExchange {
    qint64 Sent = 0;        // bytes, line end included
    qint64 Reply = 0;       // bytes the receiver sent in answer
    qint64 HeardBefore = 0; // reply bytes that had reached the host when it sent this
};

// Records the exchange between the driver and the receiver while it is on.
class TExchangeLog {
public:
    TExchangeLog(TAR5000& driver, TSimReceiver& receiver, TSimLoopback& loopback) {
        driver.OnTxLine = [this](const QString& line) {
            if (FOn)
                FSent.push_back({line.toLatin1().size() + 2, 0, FHeard});
        };
        QObject::connect(loopback.Line(), &TSimLine::ToHost, &receiver,
                         [this](const QByteArray& bytes) { FHeard += bytes.size(); });
        QObject::connect(&receiver, &TSimReceiver::LineReceived, &receiver, [this] {
            if (FOn)
                FReplies.push_back(0);
        });
        QObject::connect(&receiver, &TSimReceiver::BytesOut, &receiver,
                         [this](const QByteArray& bytes) {
                             if (FOn && !FReplies.empty())
                                 FReplies.back() += bytes.size();
                         });
    }

    void Start() {
        FSent.clear();
        FReplies.clear();
        FHeard = 0;
        FOn = true;
    }
    // The exchanges since Start; empty when the receiver did not get exactly what was sent.
    std::vector<TExchange> Stop() {
        FOn = false;
        if (FSent.size() != FReplies.size())
            return {};
        for (std::size_t i = 0; i < FSent.size(); ++i)
            FSent[i].Reply = FReplies[i];
        return FSent;
    }

private:
    bool FOn = false;
    qint64 FHeard = 0;
    std::vector<TExchange> FSent;
    std::vector<qint64> FReplies;
};

double MinimumMs(const std::vector<TExchange>& exchanges, int baud, int latencyMs) {
    const double byteMs = 11.0 * 1000.0 / baud;
    double inFree = 0;  // the line towards the receiver is free again
    double lastDue = 0; // the latest moment a command or line end is handed to the receiver
    double outFree = 0; // the line towards the host is free again
    double end = 0;
    qint64 heardTotal = 0;
    std::vector<std::pair<qint64, double>> heard; // reply bytes so far, when the last arrived
    std::size_t next = 0;
    for (const TExchange& x : exchanges) {
        double send = 0;
        if (x.HeardBefore > 0) {
            while (next < heard.size() && heard[next].first < x.HeardBefore)
                ++next;
            send = next < heard.size() ? heard[next].second : outFree;
        }
        // The receiver acts on the CR; the LF behind it is a line of its own, due a byte later.
        const double crossed = std::max(inFree, send) + static_cast<double>(x.Sent - 1) * byteMs;
        const double due = std::max(crossed + latencyMs, lastDue);
        inFree = crossed + byteMs;
        lastDue = std::max(due, inFree + latencyMs);
        if (x.Reply > 0) {
            outFree = std::max(outFree, due) + static_cast<double>(x.Reply) * byteMs;
            heardTotal += x.Reply;
            heard.emplace_back(heardTotal, outFree);
        }
        end = std::max({end, send, outFree});
    }
    return end;
}

// Prints the figures of one transfer; false when the exchange could not be accounted for.
bool PrintTransfer(const std::string& name, double elapsedMs, double cpuSeconds, qint64 bytes,
                   qsizetype commands, const std::vector<TExchange>& exchanges) {
    if (exchanges.empty() || static_cast<qsizetype>(exchanges.size()) != commands) {
        std::fprintf(stderr, "%s: %zu commands sent, %lld received\n", name.c_str(),
                     exchanges.size(), static_cast<long long>(commands));
        return false;
    }
    const double minMs = MinimumMs(exchanges, kBaud, kLatencyMs);
    PrintFigure((name + "_elapsed_ms").c_str(), elapsedMs, "ms");
    PrintFigure((name + "_cpu_s").c_str(), cpuSeconds, "s");
    PrintFigure((name + "_bytes").c_str(), static_cast<double>(bytes), "B");
    PrintFigure((name + "_commands").c_str(), static_cast<double>(commands));
    PrintFigure((name + "_line_ms").c_str(), LineTimeMs(bytes, kBaud), "ms");
    PrintFigure((name + "_min_ms").c_str(), minMs, "ms");
    PrintFigure((name + "_ratio").c_str(), elapsedMs / minMs);
    return true;
}

bool Succeeded(const char* what, const TTransferResult& result) {
    if (result.Ok())
        return true;
    std::fprintf(stderr, "%s: outcome %d, %lld channels not done: %s\n", what,
                 static_cast<int>(result.Outcome), static_cast<long long>(result.NotDone.size()),
                 qPrintable(ChannelListText(result.NotDone)));
    return false;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);

    QTemporaryDir home;
    if (!home.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    qputenv("KOVELA_HOME", home.path().toUtf8());
    TDataModule1 data(home.path());
    if (!data.DataModule1Create()) {
        std::fprintf(stderr, "bank tables: %s\n", qPrintable(data.LastError()));
        return 1;
    }

    TSimOptions options;
    options.FillMemories = true;
    options.BaudRate = kBaud;
    options.LatencyMs = kLatencyMs;
    TSimReceiver receiver(options);
    TSimLoopback loopback(&receiver);

    TAR5000 driver;
    driver.Serial()->SetDevice(loopback.DriverEnd());
    driver.Serial()->SetBaudrate(kBaud);
    driver.OnErrorMessage = [](const QString& text) {
        std::fprintf(stderr, "driver: %s\n", qPrintable(text));
    };
    TExchangeLog log(driver, receiver, loopback);
    driver.FSetPort(true);
    if (!driver.Connected()) {
        std::fprintf(stderr, "the simulated receiver did not answer\n");
        return 1;
    }

    TMemoryTransfer transfer(driver, data);

    // Runs one transfer and prints its figures under name; false when it failed.
    auto measure = [&](const std::string& name, const auto& run) {
        const qint64 bytesBefore = receiver.BytesReceived() + receiver.BytesSent();
        const qsizetype linesBefore = receiver.ReceivedLines().size();
        log.Start();
        const double cpuBefore = ProcessCpuSeconds();
        QElapsedTimer elapsed;
        elapsed.start();
        const TTransferResult result = run();
        const double elapsedMs = static_cast<double>(elapsed.nsecsElapsed()) / 1e6;
        const double cpuSeconds = ProcessCpuSeconds() - cpuBefore;
        const std::vector<TExchange> exchanges = log.Stop();
        if (!Succeeded(name.c_str(), result))
            return false;
        return PrintTransfer(name, elapsedMs, cpuSeconds,
                             receiver.BytesReceived() + receiver.BytesSent() - bytesBefore,
                             receiver.ReceivedLines().size() - linesBefore, exchanges);
    };

    if (!measure("load", [&] { return transfer.LoadFromReceiver({}); }))
        return 1;
    // Every row now holds a channel, so All writes the whole bank whatever CHANGED says.
    if (!measure("download", [&] { return transfer.Download(TDownloadMode::All); }))
        return 1;
    return 0;
}
