// The driver against the simulated receiver, in process: what the driver reads must be what
// the receiver holds, what it writes must land there, and faults must end cleanly.
#include "AR5000.h"
#include "LoopbackLink.h"
#include "Simulator.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

struct TSimFixture {
    TSimReceiver Receiver;
    TSimLoopback Loopback{&Receiver};
    TAR5000 Driver;
    QStringList Errors;

    explicit TSimFixture(const TSimOptions& options = {})
        : Receiver(options) {
        Driver.Serial()->SetDevice(Loopback.DriverEnd());
        Driver.Timeout = 1000;
        Driver.InitialiseWaitMs = 1000;
        Driver.ChangeVfoPauseMs = 0;
        Driver.SetBankPauseMs = 0;
        Driver.CT5000 = options.Ct5000;
        Driver.DS8000 = options.Ds8000;
        Driver.SetSduMode(options.SduMode);
        Driver.Timeout = 1000;
        Driver.OnErrorMessage = [this](const QString& text) {
            Errors.append(text);
        };
    }
};

void CompareMemory(const TRxDat& read, const TRxDat& held) {
    QCOMPARE(read.Channel, held.Channel);
    QCOMPARE(read.Empty, held.Empty);
    if (held.Empty)
        return;
    QCOMPARE(read.Freq, held.Freq);
    QCOMPARE(read.Step, held.Step);
    QCOMPARE(read.StepAdjust, held.StepAdjust);
    QCOMPARE(read.AutoMode, held.AutoMode);
    QCOMPARE(read.Mode, held.Mode);
    QCOMPARE(read.MemoryPass, held.MemoryPass);
    QCOMPARE(read.SelectScan, held.SelectScan);
    QCOMPARE(read.Text.trimmed(), held.Text.trimmed());
}

} // namespace

class TestAR5000Simulated : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readsAWholeBankAsTheReceiverHoldsIt() {
        TSimFixture f;
        f.Driver.FSetPort(true);
        QVERIFY(f.Driver.Connected());
        const int bank = f.Driver.GetBN();
        int filled = 0;
        TMAArray block{};
        for (int first = 0; first < TSimReceiver::kChannelCount; first += 10) {
            block[0].Channel = first % 100 == 0 ? first / 100 : first;
            QVERIFY2(f.Driver.GetMA(block), qPrintable(u"block %1"_s.arg(first)));
            for (int slot = 0; slot < 10; ++slot) {
                const TRxDat& read = block[static_cast<size_t>(slot)];
                CompareMemory(read, f.Receiver.Memory(bank, first + slot));
                if (QTest::currentTestFailed())
                    return;
                filled += read.Empty ? 0 : 1;
            }
        }
        QVERIFY(filled > 100 && filled < 900); // a realistic mix of used and empty channels
        QVERIFY(f.Errors.isEmpty());
    }

    void writesLandInTheReceiver_data() {
        QTest::addColumn<int>("firmware");
        QTest::newRow("later firmware") << 1;
        QTest::newRow("early firmware") << 0;
    }

    void writesLandInTheReceiver() {
        QFETCH(int, firmware);
        TSimFixture f;
        f.Driver.FSetPort(true);
        QVERIFY(f.Driver.Connected());
        f.Driver.FirmwareID = firmware;
        TRxDat rec;
        rec.Channel = 42;
        rec.Freq = 446.00625;
        rec.Step = u"6.250"_s;
        rec.StepAdjust = true;
        rec.Mode = 0;
        rec.Bandwidth = 3;
        rec.LowPass = 2;
        rec.Agc = 3;
        rec.SubStep = 10;
        rec.SelectScan = true;
        rec.Text = u"pmr 1"_s;
        f.Driver.WriteMemory(rec);

        TRxDat read;
        f.Driver.RecallMemory(42);
        QVERIFY(f.Driver.GetRx(read));
        QCOMPARE(read.Channel, 42);
        QCOMPARE(read.Freq, 446.00625);
        QCOMPARE(read.Step, u"6.250"_s);
        QVERIFY(read.StepAdjust);
        QVERIFY(read.SelectScan);
        QCOMPARE(read.Text.trimmed(), u"PMR 1"_s);
        TRxDat extra;
        QVERIFY(f.Driver.GetExtraVfoData(extra));
        QCOMPARE(extra.Bandwidth, 3);
        QCOMPARE(extra.LowPass, 2);
        QCOMPARE(extra.Agc, 3);
        QCOMPARE(extra.SubStep, 10);
        QVERIFY(f.Errors.isEmpty());
    }

    void tuningAndVfos() {
        TSimOptions options;
        options.Ct5000 = true;
        options.Ds8000 = true;
        TSimFixture f(options);
        f.Driver.FSetPort(true);
        QVERIFY(f.Driver.Connected());
        f.Driver.SetFrequency(u'B', 145.5);
        f.Driver.SetStep(12.5);
        TRxDat rec;
        QVERIFY(f.Driver.SetVfo(u'B', rec));
        QCOMPARE(rec.Freq, 145.5);
        QCOMPARE(rec.Step, u"12.500"_s);
        f.Driver.StepUp();
        QVERIFY(f.Driver.GetRx(rec));
        QCOMPARE(rec.Freq, 145.5125);
        f.Driver.SetCtcss(10);
        f.Driver.SetDescrambler(3);
        QVERIFY(f.Driver.GetExtraVfoData(rec));
        QCOMPARE(rec.Ctcss, 10);
        QCOMPARE(rec.Descrambler, 3);
        QCOMPARE(f.Driver.GetVersion(), u"VER "_s + f.Receiver.Options().Version);
        QVERIFY(f.Errors.isEmpty());
    }

    void groupsAndSearchBanks() {
        TSimFixture f;
        f.Driver.FSetPort(true);
        QVERIFY(f.Driver.Connected());
        TSearchList list;
        list.Bank = 7;
        list.Lower = 118.0;
        list.Upper = 137.0;
        list.Step = u"25.000"_s;
        list.Mode = 1;
        list.Text = u"Airband"_s;
        f.Driver.WriteSearchBank(list, 2);
        TSearchList read;
        QVERIFY(f.Driver.GetSearchList(7, read));
        QCOMPARE(read.Bank, 7);
        QCOMPARE(read.Lower, 118.0);
        QCOMPARE(read.Upper, 137.0);
        QCOMPARE(read.Step, u"25.000"_s);
        QCOMPARE(read.Text.trimmed(), u"AIRBAND"_s);

        f.Driver.SetScanGroup(3);
        f.Driver.SetScanDelay(25);
        TScanGroupDat before;
        QVERIFY(f.Driver.GetGM(before));
        f.Driver.SetScanLinkBanks(u"0 1 - 5"_s); // the receiver toggles the banks named
        TScanGroupDat scan;
        QVERIFY(f.Driver.GetGM(scan));
        QCOMPARE(scan.Group, 3);
        QCOMPARE(scan.Delay, 25);
        QCOMPARE(scan.LinkedBanks.size(), 10);
        for (qsizetype bank = 0; bank < 10; ++bank) {
            const bool toggled = bank == 0 || bank == 1 || bank == 5;
            QCOMPARE(scan.LinkedBanks.at(bank) != before.LinkedBanks.at(bank), toggled);
        }

        f.Driver.SetSearchGroup(2);
        f.Driver.SetSearchDelay(255);
        TSearchGroupDat search;
        QVERIFY(f.Driver.GetGS(search));
        QCOMPARE(search.Group, 2);
        QCOMPARE(search.Delay, 255);

        QList<TPassDat> passes;
        f.Driver.OnPassFrequency = [&](const TPassDat& p) {
            passes << p;
        };
        f.Driver.AddPass(145.5);
        f.Driver.AddPass(433.0);
        f.Driver.ReadPassList(kVfoPassBank);
        QTRY_COMPARE(passes.size(), 2);
        QCOMPARE(passes.at(1).Bank, kVfoPassBank);
        QCOMPARE(passes.at(1).Freq, 433.0);
        QVERIFY(f.Errors.isEmpty());
    }

    void searchReportsHits() {
        TSimFixture f;
        f.Driver.FSetPort(true);
        QVERIFY(f.Driver.Connected());
        QList<double> hits;
        f.Driver.OnFrequency = [&](const TRxDat& r) {
            hits << r.Freq;
        };
        const TSearchList bank = f.Receiver.SearchBank(0);
        f.Driver.StartSearch(0);
        QTRY_VERIFY_WITH_TIMEOUT(!hits.isEmpty(), 10000);
        QVERIFY(hits.first() >= bank.Lower && hits.first() <= bank.Upper);
        TRxDat rec;
        QVERIFY(f.Driver.GetRx(rec));
        QCOMPARE(rec.Vfo, kRxCodeProgramSearch);
    }

    void faultsEndCleanly_data() {
        QTest::addColumn<TSimFault>("fault");
        QTest::addColumn<bool>("answered");
        QTest::newRow("silence") << TSimFault::Silence << false;
        QTest::newRow("garbage") << TSimFault::Garbage << false;
        QTest::newRow("question marks") << TSimFault::QuestionMark << false;
        QTest::newRow("split replies") << TSimFault::SplitReplies << true;
        QTest::newRow("noise before each reply") << TSimFault::LeadingNoise << true;
    }

    void faultsEndCleanly() {
        QFETCH(TSimFault, fault);
        QFETCH(bool, answered);
        TSimFixture f;
        f.Driver.FSetPort(true);
        QVERIFY(f.Driver.Connected());
        f.Driver.Timeout = 300;
        f.Receiver.SetFault(fault);
        TRxDat rec;
        const quint64 noiseBefore = f.Driver.NoiseBytesDropped();
        QCOMPARE(f.Driver.GetRx(rec), answered);
        QCOMPARE(f.Errors.isEmpty(), answered);
        QVERIFY(!f.Driver.Flags().RxPending);
        QCOMPARE(f.Driver.NoiseBytesDropped() > noiseBefore, fault == TSimFault::LeadingNoise);
        if (answered)
            QCOMPARE(qRound64(rec.Freq * 1e6), f.Receiver.TunedHz());

        f.Receiver.SetFault(TSimFault::None);
        f.Errors.clear();
        QTest::qWait(50); // let what was still on the line arrive
        QVERIFY(f.Driver.GetRx(rec));
        QVERIFY(f.Errors.isEmpty());
    }

    void droppedConnectionInTheMiddleOfABlock() {
        TSimOptions options;
        options.FillMemories = true;
        options.BaudRate = 19200;
        TSimFixture f(options);
        f.Driver.FSetPort(true);
        QVERIFY(f.Driver.Connected());
        QSignalSpy lost(&f.Driver, &TAR5000::LinkLost);
        QTimer::singleShot(100, &f.Receiver, &TSimReceiver::DropConnection);
        TMAArray block{};
        QVERIFY(!f.Driver.GetMA(block));
        QCOMPARE(lost.size(), 1);
        QVERIFY(!f.Driver.Connected());
        QCOMPARE(f.Errors.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestAR5000Simulated)
#include "tst_ar5000_sim.moc"
