// The rig-control text protocol against a receiver that records what it was asked to do.
#include "Records.h"
#include "RigctlProtocol.h"
#include "RigctlRig.h"
#include "ValueTables.h"

#include <QTest>

namespace {

struct TFakeRig final : TRigctlRig {
    TRxDat Current;
    bool Answers = true;
    bool IsBusy = false;
    int SquelchLevel = 0;
    QChar Letter = u'A';
    QStringList Calls;

    bool Busy() const override { return IsBusy; }
    std::optional<TRxDat> ReadCurrent(bool withBandwidth) override {
        if (!Answers)
            return std::nullopt;
        TRxDat rec = Current;
        if (!withBandwidth)
            rec.Bandwidth = -1; // not asked for: whatever the record held
        return rec;
    }
    std::optional<int> ReadStrengthDb() override {
        return Answers ? std::optional(-17) : std::nullopt;
    }
    int Squelch() const override { return SquelchLevel; }
    QChar CurrentVfo() const override { return Letter; }
    bool SetFrequency(double mhz) override {
        Calls << QStringLiteral("freq %1").arg(mhz, 0, 'f', 6);
        return Letter != u'M';
    }
    bool SetMode(int mode, int bandwidth) override {
        Calls << QStringLiteral("mode %1 bw %2").arg(mode).arg(bandwidth);
        return true;
    }
    bool SelectVfo(QChar letter) override {
        Calls << QStringLiteral("vfo ") + letter;
        return true;
    }
    bool SetSquelch(int level) override {
        Calls << QStringLiteral("squelch %1").arg(level);
        return true;
    }
};

constexpr int kModeAm = 1;
constexpr int kModeUsb = 3;
constexpr int kBw6k = 2;
constexpr int kBw15k = 3;
constexpr int kBw30k = 4;
constexpr int kBw220k = 6;

} // namespace

class TstRigctlProtocol : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        FRig = TFakeRig{};
        FRig.Current.Vfo = kRxCodeFirstVfo + 1; // VB
        FRig.Current.Freq = 145.5125;
        FRig.Current.Mode = 0;
        FRig.Current.Bandwidth = kBw15k;
    }

    void Reads_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("frequency in Hz") << QByteArray("f") << QByteArray("145512500\n");
        QTest::newRow("long name") << QByteArray("\\get_freq") << QByteArray("145512500\n");
        QTest::newRow("mode and passband") << QByteArray("m") << QByteArray("FM\n15000\n");
        QTest::newRow("vfo") << QByteArray("v") << QByteArray("VFOB\n");
        QTest::newRow("strength") << QByteArray("l STRENGTH") << QByteArray("-17\n");
        QTest::newRow("squelch") << QByteArray("l SQL") << QByteArray("0.200000\n");
        QTest::newRow("vfo mode off") << QByteArray("\\chk_vfo") << QByteArray("0\n");
        QTest::newRow("unknown command") << QByteArray("Z 1") << QByteArray("RPRT -1\n");
        QTest::newRow("unknown long name") << QByteArray("\\get_ptt") << QByteArray("RPRT -1\n");
        QTest::newRow("unknown level") << QByteArray("l RFPOWER") << QByteArray("RPRT -1\n");
        QTest::newRow("blank line") << QByteArray("   ") << QByteArray();
    }
    void Reads() {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, reply);
        FRig.SquelchLevel = 51;
        QCOMPARE(Rigctl::Answer(line, FRig), reply);
        QVERIFY(FRig.Calls.isEmpty());
    }

    void ReadsReportTheReceiversSilence() {
        FRig.Answers = false;
        for (const char* line : {"f", "m", "v", "l STRENGTH"})
            QCOMPARE(Rigctl::Answer(line, FRig), QByteArray("RPRT -5\n"));
    }

    void Settings_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("call");
        QTest::newRow("frequency") << QByteArray("F 430125000") << QByteArray("RPRT 0\n")
                                   << QStringLiteral("freq 430.125000");
        QTest::newRow("fractional Hz") << QByteArray("\\set_freq 7055000.000000")
                                       << QByteArray("RPRT 0\n") << QStringLiteral("freq 7.055000");
        QTest::newRow("below range")
            << QByteArray("F 5000") << QByteArray("RPRT -1\n") << QString();
        QTest::newRow("above range")
            << QByteArray("F 2600000001") << QByteArray("RPRT -1\n") << QString();
        QTest::newRow("not a number")
            << QByteArray("F abc") << QByteArray("RPRT -1\n") << QString();
        QTest::newRow("no argument") << QByteArray("F") << QByteArray("RPRT -1\n") << QString();
        QTest::newRow("mode usual passband")
            << QByteArray("M AM 0") << QByteArray("RPRT 0\n")
            << QStringLiteral("mode %1 bw %2").arg(kModeAm).arg(kBw6k);
        QTest::newRow("passband rounds up")
            << QByteArray("M usb 4000") << QByteArray("RPRT 0\n")
            << QStringLiteral("mode %1 bw %2").arg(kModeUsb).arg(kBw6k);
        QTest::newRow("passband kept") << QByteArray("M FM -1") << QByteArray("RPRT 0\n")
                                       << QStringLiteral("mode 0 bw %1").arg(kBw15k);
        QTest::newRow("wide FM") << QByteArray("M WFM 0") << QByteArray("RPRT 0\n")
                                 << QStringLiteral("mode 0 bw %1").arg(kBw220k);
        QTest::newRow("too wide is widest") << QByteArray("M FM 999999") << QByteArray("RPRT 0\n")
                                            << QStringLiteral("mode 0 bw %1").arg(kBw220k);
        QTest::newRow("absurd passband") << QByteArray("M FM 3e48") << QByteArray("RPRT 0\n")
                                         << QStringLiteral("mode 0 bw %1").arg(kBw220k);
        QTest::newRow("negative passband")
            << QByteArray("M FM -2") << QByteArray("RPRT -1\n") << QString();
        QTest::newRow("mode it lacks")
            << QByteArray("M RTTY 0") << QByteArray("RPRT -1\n") << QString();
        QTest::newRow("vfo E") << QByteArray("V VFOE") << QByteArray("RPRT 0\n")
                               << QStringLiteral("vfo E");
        QTest::newRow("memory") << QByteArray("\\set_vfo MEM") << QByteArray("RPRT 0\n")
                                << QStringLiteral("vfo M");
        QTest::newRow("vfo F") << QByteArray("V VFOF") << QByteArray("RPRT -1\n") << QString();
        QTest::newRow("squelch") << QByteArray("L SQL 0.5") << QByteArray("RPRT 0\n")
                                 << QStringLiteral("squelch 128");
        QTest::newRow("squelch above 1")
            << QByteArray("L SQL 1.5") << QByteArray("RPRT -1\n") << QString();
        QTest::newRow("other level")
            << QByteArray("L AF 0.5") << QByteArray("RPRT -1\n") << QString();
    }
    void Settings() {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, reply);
        QFETCH(QString, call);
        QCOMPARE(Rigctl::Answer(line, FRig), reply);
        QCOMPARE(FRig.Calls, call.isEmpty() ? QStringList() : QStringList{call});
    }

    void SettingsAreRefusedWhileARunOwnsTheReceiver() {
        FRig.IsBusy = true;
        for (const char* line : {"F 145000000", "M AM 0", "V VFOA", "L SQL 0.1"})
            QCOMPARE(Rigctl::Answer(line, FRig), QByteArray("RPRT -9\n"));
        QVERIFY(FRig.Calls.isEmpty());
        // Reads still answer, from what the receiver reported.
        QCOMPARE(Rigctl::Answer("f", FRig), QByteArray("145512500\n"));
    }

    void FrequencyOnTheMemoryIsNotAvailable() {
        FRig.Letter = u'M';
        QCOMPARE(Rigctl::Answer("F 145000000", FRig), QByteArray("RPRT -11\n"));
    }

    void ModeNamesFollowTheBandwidth_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("bandwidth");
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("FM 30k") << 0 << kBw30k << QByteArray("FM");
        QTest::newRow("FM 110k") << 0 << 5 << QByteArray("WFM");
        QTest::newRow("synchronous AM") << 5 << kBw6k << QByteArray("SAM");
        QTest::newRow("synchronous upper") << 7 << 1 << QByteArray("SAH");
    }
    void ModeNamesFollowTheBandwidth() {
        QFETCH(int, mode);
        QFETCH(int, bandwidth);
        QFETCH(QByteArray, name);
        QCOMPARE(Rigctl::ModeName(mode, bandwidth), name);
        // What a client reads back sets the same mode and bandwidth.
        const auto choice = Rigctl::ModeFromName(name, Rigctl::PassbandHz(bandwidth), 0);
        QVERIFY(choice);
        QCOMPARE(choice->Mode, mode);
        QCOMPARE(choice->Bandwidth, bandwidth);
    }

    void VfoNamesCoverEveryRecordKind() {
        TRxDat rec;
        rec.Vfo = kRxCodeFirstVfo + 4;
        QCOMPARE(Rigctl::VfoName(rec), QByteArray("VFOE"));
        rec.Vfo = kRxCodeFirstVfoSearch + 2;
        QCOMPARE(Rigctl::VfoName(rec), QByteArray("VFOC"));
        rec.Vfo = kRxCodeMemory;
        QCOMPARE(Rigctl::VfoName(rec), QByteArray("MEM"));
        rec.Vfo = kRxCodeProgramSearch;
        QCOMPARE(Rigctl::VfoName(rec), QByteArray("VFO"));
        QCOMPARE(Rigctl::VfoFromName("currVFO", u'C'), std::optional<QChar>(u'C'));
    }

    void QuitClosesAfterItsReply() {
        bool quit = false;
        QCOMPARE(Rigctl::Answer("q", FRig, &quit), QByteArray("RPRT 0\n"));
        QVERIFY(quit);
    }

    // Hamlib reads the state line by line and gives up on the first that does not parse.
    void DumpStateEndsEachListAndTheWhole() {
        const QList<QByteArray> lines = Rigctl::DumpState().split('\n');
        QCOMPARE(lines.at(0), QByteArray("1"));
        QVERIFY(lines.at(3).startsWith("10000.000000 2600000000.000000 0x"));
        QCOMPARE(lines.count("0 0 0 0 0 0 0"), 2);
        QCOMPARE(lines.count("0 0"), 2);
        QVERIFY(lines.contains("0x40000020"));
        QCOMPARE(lines.at(lines.size() - 2), QByteArray("done"));
        QVERIFY(!lines.join('\n').contains('%'));
    }

private:
    TFakeRig FRig;
};

QTEST_GUILESS_MAIN(TstRigctlProtocol)
#include "tst_rigctlprotocol.moc"
