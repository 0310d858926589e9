// Channels moved between the bank table and the simulated receiver: what lands on either side
// must be what the other held, and a link that fails part way must leave no row half new.
#include "memory/MemoryFixture.h"

#include "AR5000.h"
#include "DataUnit1.h"
#include "LoopbackLink.h"
#include "MemorySql.h"
#include "MemoryTransfer.h"
#include "SelectScanFlags.h"
#include "Simulator.h"
#include "ValueTables.h"

#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// What the rows hold before a load: nothing the receiver would report.
constexpr double kOldFreq = 1.234;
constexpr int kOldSquelch = 77;

template <std::size_t N> QVariant Entry(const std::array<const char*, N>& list, int index) {
    return QString::fromLatin1(list[static_cast<std::size_t>(index)]);
}

struct TTransferFixture {
    TMemoryHome Home;
    TSimReceiver Receiver;
    TSimLoopback Loopback{&Receiver};
    TAR5000 Driver;
    TDataModule1 Module{Home.Dir.path()};
    TMemoryTransfer Transfer{Driver, Module};
    QStringList DriverErrors;
    int Stops = 0;
    int Unhooks = 0;
    int Hooks = 0;
    // Called with each progress report; a test drops the link or injects a fault here.
    std::function<void(const QString& label, int position)> AtProgress;

    explicit TTransferFixture(const TSimOptions& options = {})
        : Receiver(options) {
        Driver.Serial()->SetDevice(Loopback.DriverEnd());
        Driver.Timeout = 500;
        Driver.InitialiseWaitMs = 500;
        Driver.ChangeVfoPauseMs = 0;
        Driver.SetBankPauseMs = 0;
        Driver.OnErrorMessage = [this](const QString& text) {
            DriverErrors << text;
        };
        Transfer.StopReceiverActivity = [this] {
            ++Stops;
        };
        Transfer.UnhookVfoData = [this] {
            ++Unhooks;
        };
        Transfer.HookVfoData = [this] {
            ++Hooks;
        };
        Transfer.OnProgress = [this](const QString& label, int position) {
            if (AtProgress)
                AtProgress(label, position);
        };
    }

    bool Start() {
        if (!Module.DataModule1Create())
            return false;
        Driver.FSetPort(true);
        return Driver.Connected() && Driver.Remote();
    }
    TTableView& View() { return Module.MemQuery1(); }
    bool Sql(const QString& sql, const QVariantList& parameters = {}) {
        return Module.Engine().Execute(sql, parameters) &&
               Module.ReopenMemoryView(Module.BuildMemorySql());
    }
    // Every row a channel the receiver never held, with a squelch and CHANGED set.
    bool FillWithOldRows() {
        return Sql(u"UPDATE MemoryBank0.dbf SET FREQ = ?, TEXT = 'OLD', MODE = 'CW', BW = '30', "
                   u"STEP = '1.000', STADJ = FALSE, SQUELCH = ?, CHANGED = TRUE"_s,
                   {kOldFreq, kOldSquelch});
    }
    void GoTo(int channel) {
        QCOMPARE(Module.LocateMemory(FormatMemNumber(channel)), TLocateResult::Found);
    }
    bool RowIsOld() {
        const TTableView& v = View();
        return v.Value(u"FREQ").toDouble() == kOldFreq && v.Value(u"TEXT") == u"OLD"_s &&
               v.Value(u"BW") == u"30"_s && v.Value(u"CHANGED").toBool();
    }
    QStringList Sent(const QString& prefix) const {
        QStringList lines;
        for (const QString& line : Receiver.ReceivedLines())
            if (line.startsWith(prefix))
                lines << line;
        return lines;
    }
};

// The current row against the receiver's channel, every field the receiver knows.
void CompareRowWithReceiver(const TTableView& row, const TRxDat& held) {
    const QString mem = row.Value(u"MEM").toString();
    if (held.Empty) {
        QVERIFY2(row.Value(u"FREQ").isNull() && row.Value(u"TEXT").isNull() &&
                     row.Value(u"MODE").isNull() && row.Value(u"BW").isNull() &&
                     row.Value(u"CHANGED").isNull(),
                 qPrintable(mem));
        return;
    }
    QCOMPARE(row.Value(u"FREQ").toDouble(), held.Freq);
    QCOMPARE(row.Value(u"STEP").toString(), held.Step);
    QCOMPARE(row.Value(u"STADJ").toBool(), held.StepAdjust);
    QCOMPARE(row.Value(u"PASS").toBool(), held.MemoryPass);
    QCOMPARE(row.Value(u"SELSCAN").toBool(), held.SelectScan);
    QCOMPARE(row.Value(u"TEXT").toString().trimmed().toUpper(), held.Text.trimmed());
    QCOMPARE(row.Value(u"MODE").toString().toUpper(),
             Entry(kModes, held.Mode).toString().toUpper());
    QCOMPARE(row.Value(u"BW"), Entry(kBandwidths, held.Bandwidth));
    QCOMPARE(row.Value(u"LP"), Entry(kLowPasses, held.LowPass));
    QCOMPARE(row.Value(u"HP"), Entry(kHighPasses, held.HighPass));
    QCOMPARE(row.Value(u"DM"), Entry(kDeEmphases, held.DeEmphasis));
    QCOMPARE(row.Value(u"AGC"), Entry(kAgcs, held.Agc));
    QCOMPARE(row.Value(u"SSTEP"), Entry(kSubSteps, held.SubStep));
    QCOMPARE(row.Value(u"ATN"),
             held.AttenuatorAuto ? QVariant(u"Auto"_s) : Entry(kAttenuators, held.Attenuator));
    QCOMPARE(row.Value(u"ANT"),
             held.AntennaAuto ? QVariant(u"Auto"_s) : Entry(kAntennas, held.Antenna));
    QCOMPARE(row.Value(u"CHANGED").toBool(), false);
}

} // namespace

class TestMemoryTransfer : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void loadReadsEveryChannel_data() {
        QTest::addColumn<bool>("onlyBank0");
        QTest::addColumn<bool>("clearSquelch");
        QTest::newRow("all channels") << false << false;
        QTest::newRow("only bank 0, squelch cleared") << true << true;
    }

    void loadReadsEveryChannel() {
        QFETCH(bool, onlyBank0);
        QFETCH(bool, clearSquelch);
        TTransferFixture f;
        QVERIFY(f.Start());
        QVERIFY(f.FillWithOldRows());
        // A few step-adjusted channels: their frequency comes from a second read.
        for (int channel = 0, marked = 0; channel < 100 && marked < 3; ++channel) {
            TRxDat rec = f.Receiver.Memory(0, channel);
            if (rec.Empty)
                continue;
            rec.StepAdjust = true;
            f.Receiver.SetMemory(0, channel, rec);
            ++marked;
        }
        f.Receiver.ClearReceivedLines();
        f.Driver.FSetTimerStatus(true);

        const TTransferResult result = f.Transfer.LoadFromReceiver({clearSquelch, onlyBank0});
        QVERIFY(f.Driver.TimerStatus()); // the poll timer runs again as it did before
        QCOMPARE(result.Outcome, TTransferOutcome::Done);
        QCOMPARE(result.NotDone, QList<int>());
        QCOMPARE(f.Unhooks, 1);
        QCOMPARE(f.Hooks, 1);
        QVERIFY(!f.Module.ProgrammaticEdit);

        const int loaded = onlyBank0 ? 100 : kBankRows;
        QCOMPARE(f.Sent(u"MA"_s).size(), loaded / 10);
        for (const QString& recall : f.Sent(u"MR"_s))
            QVERIFY2(recall.mid(2).toInt() < loaded, qPrintable(recall));
        QVERIFY(f.Module.ReopenMemoryView(f.Module.BuildMemorySql()));
        int used = 0;
        int stepAdjusted = 0;
        for (int channel = 0; channel < kBankRows; ++channel) {
            f.GoTo(channel);
            if (channel >= loaded) {
                QVERIFY2(f.RowIsOld(), qPrintable(FormatMemNumber(channel)));
                continue;
            }
            const TRxDat held = f.Receiver.Memory(0, channel);
            CompareRowWithReceiver(f.View(), held);
            if (QTest::currentTestFailed())
                return;
            if (!held.Empty) {
                ++used;
                stepAdjusted += held.StepAdjust ? 1 : 0;
                QCOMPARE(f.View().Value(u"SQUELCH"),
                         clearSquelch ? QVariant() : QVariant(kOldSquelch));
            }
        }
        QVERIFY(used > 0 && used < loaded); // used and empty channels both met
        // A step-adjusted channel's frequency is the one the receiver tunes, read back by RX.
        QCOMPARE(f.Sent(u"RX"_s).size(), stepAdjusted);
    }

    // A block that brings no answer stores nothing; the blocks after it still arrive.
    void failedBlockLeavesItsRowsAlone() {
        TTransferFixture f;
        QVERIFY(f.Start());
        QVERIFY(f.FillWithOldRows());
        f.AtProgress = [&f](const QString& label, int position) {
            if (label == u"Pass 1"_s && position == 300)
                f.Receiver.SetFault(TSimFault::Silence);
            else if (position == 310)
                f.Receiver.SetFault(TSimFault::None);
        };
        const TTransferResult result = f.Transfer.LoadFromReceiver({});
        QCOMPARE(result.Outcome, TTransferOutcome::Done);
        QList<int> silent;
        for (int channel = 310; channel < 320; ++channel)
            silent << channel;
        QCOMPARE(result.NotDone, silent);
        QCOMPARE(ChannelListText(result.NotDone), u"310-319"_s);
        QVERIFY(f.Module.ReopenMemoryView(f.Module.BuildMemorySql()));
        for (int channel = 300; channel < 330; ++channel) {
            f.GoTo(channel);
            if (silent.contains(channel))
                QVERIFY2(f.RowIsOld(), qPrintable(FormatMemNumber(channel)));
            else
                CompareRowWithReceiver(f.View(), f.Receiver.Memory(0, channel));
        }
    }

    void droppedLinkDuringLoad_data() {
        QTest::addColumn<QString>("pass");
        QTest::addColumn<int>("position");
        QTest::addColumn<bool>("partly");
        // Every channel is in use: none is read whole before the second pass reaches it.
        QTest::newRow("first pass") << u"Pass 1"_s << 450 << false;
        QTest::newRow("second pass") << u"Pass 2"_s << 620 << true;
    }

    // Every row ends either as it was or as the receiver holds it, and the result names the
    // channels left as they were.
    void droppedLinkDuringLoad() {
        QFETCH(QString, pass);
        QFETCH(int, position);
        QFETCH(bool, partly);
        TSimOptions options;
        options.FillMemories = true;
        TTransferFixture f(options);
        QVERIFY(f.Start());
        QVERIFY(f.FillWithOldRows());
        f.AtProgress = [&f, pass, position](const QString& label, int at) {
            if (label == pass && at == position)
                QTimer::singleShot(0, &f.Loopback, &TSimLoopback::DropConnection);
        };
        const TTransferResult result = f.Transfer.LoadFromReceiver({});
        QCOMPARE(result.Outcome, TTransferOutcome::LinkLost);
        QVERIFY(!f.Driver.Connected());
        QCOMPARE(f.Hooks, 1);
        QVERIFY(result.NotDone.contains(kBankRows - 1));
        QCOMPARE(result.NotDone.contains(0), !partly);

        QVERIFY(f.Module.ReopenMemoryView(f.Module.BuildMemorySql()));
        for (int channel = 0; channel < kBankRows; ++channel) {
            f.GoTo(channel);
            if (result.NotDone.contains(channel))
                QVERIFY2(f.RowIsOld(), qPrintable(FormatMemNumber(channel)));
            else
                CompareRowWithReceiver(f.View(), f.Receiver.Memory(0, channel));
            if (QTest::currentTestFailed())
                return;
        }
    }

    void cancelEndsTheFirstPass() {
        TTransferFixture f;
        QVERIFY(f.Start());
        QVERIFY(f.FillWithOldRows());
        bool cancel = false;
        f.Transfer.CancelRequested = [&cancel] {
            return cancel;
        };
        f.AtProgress = [&cancel](const QString&, int position) {
            cancel = position >= 150;
        };
        f.Receiver.ClearReceivedLines();
        const TTransferResult result = f.Transfer.LoadFromReceiver({});
        QCOMPARE(result.Outcome, TTransferOutcome::Cancelled);
        QCOMPARE(result.NotDone.first(), 160);
        QCOMPARE(result.NotDone.size(), kBankRows - 160);
        QVERIFY(f.Sent(u"MR"_s).isEmpty()); // no second pass
        f.GoTo(100);
        QVERIFY(!f.RowIsOld()); // the blocks read stay stored
        f.GoTo(500);
        QVERIFY(f.RowIsOld());
    }

    // Once the blocks are in, the settings of every channel are read whatever the user presses.
    void secondPassRunsToTheEnd() {
        TTransferFixture f;
        QVERIFY(f.Start());
        bool cancel = false;
        f.Transfer.CancelRequested = [&cancel] {
            return cancel;
        };
        f.AtProgress = [&cancel](const QString& label, int) {
            cancel = label == u"Pass 2"_s;
        };
        const TTransferResult result = f.Transfer.LoadFromReceiver({false, true});
        QCOMPARE(result.Outcome, TTransferOutcome::Done);
        QCOMPARE(result.NotDone, QList<int>());
        int used = 0;
        for (int channel = 0; channel < 100; ++channel)
            used += f.Receiver.Memory(0, channel).Empty ? 0 : 1;
        QVERIFY(used > 0);
        QCOMPARE(f.Sent(u"MR"_s).size(), used);
    }

    void download_data() {
        QTest::addColumn<bool>("all");
        QTest::newRow("all") << true;
        QTest::newRow("changed") << false;
    }

    void download() {
        QFETCH(bool, all);
        TTransferFixture f;
        QVERIFY(f.Start());
        // 005 and 105 are marked, 006 is not, 007 is blank but marked, 008 has no mode.
        QVERIFY(f.Sql(u"UPDATE MemoryBank0.dbf SET FREQ = NULL, CHANGED = NULL"_s));
        const QString set = u"UPDATE MemoryBank0.dbf SET FREQ = ?, MODE = 'usb', BW = '3.0', "
                            u"LP = '4', HP = '0.2', DM = 'Thru', AGC = 'Slow', STEP = ?, "
                            u"SSTEP = 'x10', ATN = ?, ANT = '2', STADJ = ?, PASS = TRUE, "
                            u"SELSCAN = FALSE, TEXT = 'ch', CHANGED = ? WHERE MEM = ?"_s;
        QVERIFY(f.Sql(set, {14.25, u"5.000"_s, u"Auto"_s, false, true, u"005"_s}));
        QVERIFY(f.Sql(set, {446.00625, u"6.250"_s, u"10"_s, true, true, u"105"_s}));
        QVERIFY(f.Sql(set, {7.1, u"1.000"_s, u"0"_s, false, false, u"006"_s}));
        QVERIFY(f.Sql(u"UPDATE MemoryBank0.dbf SET CHANGED = TRUE WHERE MEM = '007'"_s));
        QVERIFY(f.Sql(u"UPDATE MemoryBank0.dbf SET FREQ = 30.0, STEP = '5.000', CHANGED = TRUE "
                      u"WHERE MEM = '008'"_s));
        const TRxDat before6 = f.Receiver.Memory(0, 6);
        const TRxDat before7 = f.Receiver.Memory(0, 7);
        const TRxDat before500 = f.Receiver.Memory(0, 500);
        f.Receiver.ClearReceivedLines();

        const TTransferResult result =
            f.Transfer.Download(all ? TDownloadMode::All : TDownloadMode::Changed);
        QCOMPARE(result.Outcome, TTransferOutcome::Done);
        QCOMPARE(result.NotDone, QList<int>{8});
        QCOMPARE(f.Stops, 1);
        QCOMPARE(f.Hooks, 1);

        const QStringList writes = f.Sent(u"MX"_s);
        QCOMPARE(writes.size(), all ? 3 : 2);
        QCOMPARE(f.Sent(u"MQ"_s).size(), all ? 10 : 0);
        if (all) {
            // Each hundred is cleared before its first channel is written.
            const QStringList lines = f.Receiver.ReceivedLines();
            QVERIFY(lines.indexOf(u"MQ%%0"_s) < lines.indexOf(writes[0]));
            QVERIFY(lines.indexOf(u"MQ%%1"_s) > lines.indexOf(writes[1]));
            QVERIFY(lines.indexOf(u"MQ%%1"_s) < lines.indexOf(writes[2]));
        }
        QVERIFY(f.Module.ReopenMemoryView(f.Module.BuildMemorySql()));
        for (const int channel : {5, 105}) {
            f.GoTo(channel);
            CompareRowWithReceiver(f.View(), f.Receiver.Memory(0, channel));
        }
        f.GoTo(6);
        if (all)
            CompareRowWithReceiver(f.View(), f.Receiver.Memory(0, 6));
        else
            QCOMPARE(f.Receiver.Memory(0, 6), before6);
        f.GoTo(7);
        QCOMPARE(f.View().Value(u"CHANGED").toBool(), false);
        QCOMPARE(f.Receiver.Memory(0, 7).Empty, all || before7.Empty);
        QCOMPARE(f.Receiver.Memory(0, 500).Empty, all || before500.Empty);
        f.GoTo(8);
        QVERIFY(f.View().Value(u"CHANGED").toBool()); // still to be sent once it has a mode
    }

    // The rows not reached keep CHANGED, so the next download sends them.
    void droppedLinkDuringDownload() {
        TTransferFixture f;
        QVERIFY(f.Start());
        QVERIFY(f.Sql(u"UPDATE MemoryBank0.dbf SET FREQ = 100.5, STEP = '12.500', MODE = 'FM', "
                      u"BW = '15', ATN = '0', CHANGED = TRUE"_s));
        f.AtProgress = [&f](const QString&, int position) {
            if (position == 250)
                QTimer::singleShot(0, &f.Loopback, &TSimLoopback::DropConnection);
        };
        const TTransferResult result = f.Transfer.Download(TDownloadMode::Changed);
        QCOMPARE(result.Outcome, TTransferOutcome::LinkLost);
        QVERIFY(!result.NotDone.isEmpty());
        QVERIFY(result.NotDone.first() >= 250);
        QCOMPARE(result.NotDone.last(), kBankRows - 1);
        QVERIFY(f.Module.ReopenMemoryView(f.Module.BuildMemorySql()));
        for (int channel = 0; channel < kBankRows; ++channel) {
            f.GoTo(channel);
            const bool notDone = result.NotDone.contains(channel);
            QCOMPARE(f.View().Value(u"CHANGED").toBool(), notDone);
            if (!notDone)
                QCOMPARE(f.Receiver.Memory(0, channel).Freq, 100.5);
        }
    }

    void writeAndRefreshOneRow() {
        TTransferFixture f;
        QVERIFY(f.Start());
        QVERIFY(f.Sql(u"UPDATE MemoryBank0.dbf SET FREQ = 145.5, MODE = 'AM', BW = '6.0', "
                      u"ATN = '20', STEP = NULL, "
                      u"TEXT = 'tower', CHANGED = TRUE WHERE MEM = '042'"_s));
        f.GoTo(42);
        f.Receiver.ClearReceivedLines();
        const TTransferResult refused = f.Transfer.WriteRow(f.View());
        QCOMPARE(refused.Outcome, TTransferOutcome::Refused);
        QCOMPARE(refused.Message, u"Freq and Step cannot be blank"_s);
        QVERIFY(f.Receiver.ReceivedLines().isEmpty());

        QVERIFY(f.Sql(u"UPDATE MemoryBank0.dbf SET STEP = '25.000' WHERE MEM = '042'"_s));
        f.GoTo(42);
        const TTransferResult written = f.Transfer.WriteRow(f.View());
        QCOMPARE(written.Outcome, TTransferOutcome::Done);
        QCOMPARE(f.Stops, 1);
        const TRxDat held = f.Receiver.Memory(0, 42);
        QCOMPARE(held.Freq, 145.5);
        QCOMPARE(held.Mode, 1);
        QCOMPARE(held.Text.trimmed(), u"TOWER"_s);
        QCOMPARE(f.View().Value(u"CHANGED").toBool(), false);

        // A refresh brings the receiver's view of the channel back, empty or not.
        QVERIFY(f.Sql(u"UPDATE MemoryBank0.dbf SET FREQ = 1.5, TEXT = 'x', CHANGED = TRUE "
                      u"WHERE MEM = '042'"_s));
        f.GoTo(42);
        const TTransferOutcome refreshed = f.Transfer.RefreshRow().Outcome;
        QVERIFY2(refreshed == TTransferOutcome::Done, qPrintable(f.DriverErrors.join(u'|')));
        CompareRowWithReceiver(f.View(), f.Receiver.Memory(0, 42));
        f.Receiver.ClearMemory(0, 42);
        QCOMPARE(f.Transfer.RefreshRow().Outcome, TTransferOutcome::Done);
        QVERIFY(f.View().Value(u"FREQ").isNull());
        QVERIFY(!f.Module.ProgrammaticEdit);
    }
    // Receiver and current bank table both lose every select-scan flag; CHANGED and the other
    // bank's table stay as they were.
    void clearAllSelectScanFlags() {
        TTransferFixture f;
        QVERIFY(f.Start());
        QVERIFY(f.Sql(u"UPDATE MemoryBank0.dbf SET FREQ = 145.5, SELSCAN = CAST(MEM AS INTEGER) "
                      u"% 3 = 0, CHANGED = CAST(MEM AS INTEGER) % 2 = 0"_s));
        QVERIFY(f.Module.Engine().Execute(u"UPDATE MemoryBank1.dbf SET SELSCAN = TRUE"_s));
        for (const auto& [bank, channel] : {std::pair{0, 5}, std::pair{0, 512}, std::pair{1, 7}}) {
            TRxDat rec = f.Receiver.Memory(bank, channel);
            rec.Empty = false;
            rec.Freq = 145.5;
            rec.Step = u"12.500"_s;
            rec.SelectScan = true;
            f.Receiver.SetMemory(bank, channel, rec);
        }
        const auto count = [&f](const QString& sql) {
            return f.Module.Engine().QueryValue(sql).value_or(-1).toInt();
        };
        const QString changed = u"SELECT count(*) FROM MemoryBank0.dbf WHERE CHANGED"_s;
        const int changedBefore = count(changed);
        QVERIFY(changedBefore > 0);
        f.GoTo(42);
        f.Receiver.ClearReceivedLines();

        // Without a link nothing is done at all.
        f.Driver.FSetPort(false);
        QVERIFY(!ClearAllSelectScanFlags(f.Driver, f.Module));
        QVERIFY(count(u"SELECT count(*) FROM MemoryBank0.dbf WHERE SELSCAN"_s) > 0);
        QCOMPARE(f.Sent(u"GA"_s), QStringList());

        f.Driver.FSetPort(true);
        QVERIFY(f.Driver.Connected());
        QVERIFY2(ClearAllSelectScanFlags(f.Driver, f.Module), qPrintable(f.Module.LastError()));
        QTRY_COMPARE(f.Sent(u"GA"_s), QStringList{u"GA%%"_s});
        QVERIFY(!f.Receiver.Memory(0, 5).SelectScan);
        QVERIFY(!f.Receiver.Memory(0, 512).SelectScan);
        QVERIFY(!f.Receiver.Memory(1, 7).SelectScan);
        QCOMPARE(count(u"SELECT count(*) FROM MemoryBank0.dbf WHERE SELSCAN"_s), 0);
        QCOMPARE(count(changed), changedBefore);
        QCOMPARE(count(u"SELECT count(*) FROM MemoryBank1.dbf WHERE SELSCAN"_s), kBankRows);
        // The view shows the new flags and is still on its row.
        QCOMPARE(f.View().Value(u"MEM").toString(), u"042"_s);
        QCOMPARE(f.View().Value(u"SELSCAN").toBool(), false);
    }
};

QTEST_GUILESS_MAIN(TestMemoryTransfer)
#include "tst_transfer.moc"
