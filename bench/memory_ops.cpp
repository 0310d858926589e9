// Figures of the memory window's operations on a whole bank, each measured by a function of its
// own.
//
// kv7: a bank of 1000 filled rows exported to a Kv7 text database, then read back in.
//
// move: 100 channels moved (000-099 onto 500-599) with TChannelMover against the simulated
// receiver at 19200 baud with 5 ms latency per command. move_ratio is the time taken over the
// line's own time for the same exchange: every byte both ways at 10 bits, plus the latency once
// for every command the receiver answered (the host waits for those; commands without an answer
// go out back to back).
#include "BenchFigures.h"

#include "AR5000.h"
#include "ChannelMover.h"
#include "DataUnit1.h"
#include "Kv7Bank.h"
#include "LoopbackLink.h"
#include "MemoryTransfer.h"
#include "Simulator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

bool Check(bool ok, const QString& error) {
    if (!ok)
        std::fprintf(stderr, "%s\n", qPrintable(error));
    return ok;
}

double ElapsedMs(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// Every channel filled, all fields set.
bool FillBank(TDataModule1& data) {
    return Check(data.Q1(u"UPDATE MemoryBank0.dbf SET FREQ = 100 + CAST(MEM AS INTEGER) / 1000.0, "
                         u"MODE = 'FM', BW = '15', LP = '12', HP = '0.05', DM = '50', "
                         u"AGC = 'Fast', STEP = '12.500', SSTEP = 'Main', ATN = 'Auto', "
                         u"ANT = '1', STADJ = FALSE, PASS = TRUE, SELSCAN = FALSE, "
                         u"TEXT = 'CH ' || MEM, CHANGED = FALSE, SQUELCH = 128"_s),
                 data.LastError()) &&
           Check(data.ReopenMemoryView(AllRowsSql(data.ViewState.CurrentTable)), data.LastError());
}

bool Kv7Export(TDataModule1& data, const QString& path) {
    QString error;
    QElapsedTimer timer;
    timer.start();
    if (!Check(ExportKv7(data.MemQuery1(), path, error), error))
        return false;
    PrintFigure("kv7_export_1000_ms", ElapsedMs(timer), "ms");
    return true;
}

bool Kv7ReadIn(TDataModule1& data, const QString& path) {
    QElapsedTimer timer;
    timer.start();
    const TKv7ReadIn result = ReadKv7IntoBank(data, path);
    if (!Check(result.Ok() && result.Replaced == kBankRows,
               result.Error + u" ("_s + QString::number(result.Replaced) + u" rows)"_s))
        return false;
    PrintFigure("kv7_readin_1000_ms", ElapsedMs(timer), "ms");
    return true;
}

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

bool Kv7Figures() {
    QTemporaryDir home;
    if (!Check(home.isValid(), u"no temporary folder"_s))
        return false;
    qputenv("KOVELA_HOME", home.path().toUtf8());
    TDataModule1 data(home.path());
    if (!Check(data.DataModule1Create(), data.LastError()) || !FillBank(data))
        return false;
    const QString kv7 = home.filePath(u"bank.Kv7"_s);
    return Kv7Export(data, kv7) && Kv7ReadIn(data, kv7);
}
} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const bool kv7 = Kv7Figures();
    const bool move = MoveFigures();
    return kv7 && move ? 0 : 1;
}
