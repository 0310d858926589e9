// Figures of the memory window's operations on channels against the simulated receiver at
// 19200 baud with 5 ms latency per command. Each figure has a function of its own.
//
// move: 100 channels moved (000-099 onto 500-599) with TChannelMover. move_ratio is the time
// taken over the line's own time for the same exchange: every byte both ways at 10 bits, plus
// the latency once for every command the receiver answered (the host waits for those; commands
// without an answer go out back to back).
#include "BenchFigures.h"

#include "AR5000.h"
#include "ChannelMover.h"
#include "DataUnit1.h"
#include "LoopbackLink.h"
#include "MemoryTransfer.h"
#include "Simulator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <memory>

namespace {

constexpr int kBaud = 19200;
constexpr int kLatencyMs = 5;
constexpr double kBitsPerByte = 10.0;

// The tables in a folder of their own and a driver on a paced simulated receiver.
struct TRig {
    QTemporaryDir Home;
    std::unique_ptr<TDataModule1> Data;
    std::unique_ptr<TSimReceiver> Receiver;
    std::unique_ptr<TSimLoopback> Loopback;
    TAR5000 Driver;

    bool Start() {
        if (!Home.isValid())
            return false;
        qputenv("KOVELA_HOME", Home.path().toUtf8());
        Data = std::make_unique<TDataModule1>(Home.path());
        if (!Data->DataModule1Create()) {
            std::fprintf(stderr, "bank tables: %s\n", qPrintable(Data->LastError()));
            return false;
        }
        TSimOptions options;
        options.BaudRate = kBaud;
        options.LatencyMs = kLatencyMs;
        Receiver = std::make_unique<TSimReceiver>(options);
        Loopback = std::make_unique<TSimLoopback>(Receiver.get());
        Driver.Serial()->SetDevice(Loopback->DriverEnd());
        Driver.Serial()->SetBaudrate(kBaud);
        Driver.OnErrorMessage = [](const QString& text) {
            std::fprintf(stderr, "driver: %s\n", qPrintable(text));
        };
        Driver.FSetPort(true);
        if (!Driver.Connected())
            std::fprintf(stderr, "the simulated receiver did not answer\n");
        return Driver.Connected();
    }
};

// Counts the bytes both ways and the commands the receiver answered.
class TLineCount {
public:
    explicit TLineCount(TSimReceiver& receiver)
        : FReceiver(receiver) {
        QObject::connect(&receiver, &TSimReceiver::LineReceived, &receiver,
                         [this] { FAnswering = true; });
        QObject::connect(&receiver, &TSimReceiver::BytesOut, &receiver, [this] {
            if (FAnswering)
                ++FAnswered;
            FAnswering = false;
        });
        FBytesBefore = Bytes();
    }
    qint64 Bytes() const { return FReceiver.BytesReceived() + FReceiver.BytesSent(); }
    qint64 BytesSince() const { return Bytes() - FBytesBefore; }
    qint64 Answered() const { return FAnswered; }

private:
    TSimReceiver& FReceiver;
    qint64 FBytesBefore = 0;
    qint64 FAnswered = 0;
    bool FAnswering = false;
};

bool MoveFigures() {
    TRig rig;
    if (!rig.Start())
        return false;
    constexpr int kChannels = 100;
    constexpr int kTarget = 500;
    // 000-099 in use alike in the table and the receiver, the rest blank.
    if (!rig.Data->Q1(QStringLiteral(
            "UPDATE MemoryBank0.dbf SET FREQ = NULL, TEXT = NULL, CHANGED = NULL")) ||
        !rig.Data->Q1(QStringLiteral(
            "UPDATE MemoryBank0.dbf SET FREQ = 100 + CAST(MEM AS INTEGER) / 100.0, "
            "TEXT = 'CH' || MEM, MODE = 'FM', BW = '15', LP = '12', HP = '0.05', DM = '50', "
            "AGC = 'Fast', STEP = '12.500', SSTEP = 'Main', ATN = '0', ANT = 'Auto', "
            "STADJ = FALSE, PASS = FALSE, SELSCAN = FALSE WHERE MEM < '100'")))
        return false;
    for (int channel = 0; channel < TSimReceiver::kChannelCount; ++channel)
        rig.Receiver->ClearMemory(0, channel);
    for (int channel = 0; channel < kChannels; ++channel) {
        TRxDat rec;
        rec.Freq = 100 + channel / 100.0;
        rec.Text = QStringLiteral("CH%1").arg(channel, 3, 10, QLatin1Char('0'));
        rec.Step = QStringLiteral("12.500");
        rec.Bandwidth = 3;
        rig.Receiver->SetMemory(0, channel, rec);
    }
    if (!rig.Data->OpenMoveTable())
        return false;

    TMemoryTransfer transfer(rig.Driver, *rig.Data);
    TChannelMover mover(rig.Driver, *rig.Data, transfer);
    QList<int> sources;
    for (int channel = 0; channel < kChannels; ++channel)
        sources << channel;

    const TLineCount line(*rig.Receiver);
    QElapsedTimer elapsed;
    elapsed.start();
    const TMoveOutcome outcome = mover.MoveBlock(sources, kTarget, TMoveKind::Move);
    const double elapsedMs = static_cast<double>(elapsed.nsecsElapsed()) / 1e6;
    if (outcome.Refused() || !outcome.NotDone.isEmpty() || outcome.Targets.size() != kChannels) {
        std::fprintf(stderr, "move: %s %s\n", qPrintable(outcome.Refusal),
                     qPrintable(outcome.NotDone.join(QStringLiteral("; "))));
        return false;
    }
    const double lineMs = static_cast<double>(line.BytesSince()) * kBitsPerByte * 1000.0 / kBaud +
                          static_cast<double>(line.Answered()) * kLatencyMs;
    PrintFigure("move_channels", kChannels);
    PrintFigure("move_elapsed_ms", elapsedMs, "ms");
    PrintFigure("move_bytes", static_cast<double>(line.BytesSince()), "B");
    PrintFigure("move_exchanges", static_cast<double>(line.Answered()));
    PrintFigure("move_line_ms", lineMs, "ms");
    PrintFigure("move_ratio", elapsedMs / lineMs);
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    return MoveFigures() ? 0 : 1;
}
