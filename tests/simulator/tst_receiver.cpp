// The simulated receiver's command set, seen from the driver's end of the in-process line.

#include "LoopbackLink.h"
#include "SimReceiver.h"
#include "SimTransports.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(TRxDat)

namespace QTest {
template <> char* toString(const TRxDat& rec) {
    return qstrdup(QStringLiteral("{Vfo %1 Freq %2 Step %3%4 Mode %5 BW %6 AU %7 AN %8%9 AT %10%11 "
                                  "AC %12 HP %13 LP %14 EN %15 SJ %16 MP %17 GA %18 Text '%19' "
                                  "Ch %20 Empty %21 CN %22 SC %23}")
                       .arg(rec.Vfo)
                       .arg(rec.Freq, 0, 'f', 6)
                       .arg(rec.Step, rec.StepAdjust ? u"+"_s : QString())
                       .arg(rec.Mode)
                       .arg(rec.Bandwidth)
                       .arg(rec.AutoMode)
                       .arg(rec.Antenna)
                       .arg(rec.AntennaAuto ? u"a"_s : QString())
                       .arg(rec.Attenuator)
                       .arg(rec.AttenuatorAuto ? u"a"_s : QString())
                       .arg(rec.Agc)
                       .arg(rec.HighPass)
                       .arg(rec.LowPass)
                       .arg(rec.DeEmphasis)
                       .arg(rec.SubStep)
                       .arg(rec.MemoryPass)
                       .arg(rec.SelectScan)
                       .arg(rec.Text)
                       .arg(rec.Channel)
                       .arg(rec.Empty)
                       .arg(rec.Ctcss)
                       .arg(rec.Descrambler)
                       .toUtf8()
                       .constData());
}
} // namespace QTest

namespace {

// The driver's end of a loopback line to a fresh receiver.
class TLink {
public:
    explicit TLink(const TSimOptions& options = {})
        : Receiver(options)
        , Loopback(&Receiver) {
        // Simulated time stands still: nothing moves unless a test says so.
        Receiver.SetClock([] { return qint64(0); });
        Loopback.DriverEnd()->open(QIODevice::ReadWrite);
        QObject::connect(Loopback.DriverEnd(), &QIODevice::readyRead, [this] {
            const QByteArray bytes = Loopback.DriverEnd()->readAll();
            Chunks.append(bytes);
            Buffer += bytes;
        });
    }

    void Write(const QByteArray& bytes) { Loopback.DriverEnd()->write(bytes); }

    // Complete lines received so far (without CR LF), taken out of the buffer.
    QList<QByteArray> TakeLines() {
        QList<QByteArray> lines;
        qsizetype end = 0;
        while ((end = Buffer.indexOf("\r\n")) >= 0) {
            lines.append(Buffer.left(end));
            Buffer.remove(0, end + 2);
        }
        return lines;
    }

    // Waits for `count` reply lines (less when the time runs out).
    QList<QByteArray> ReadLines(int count, int timeoutMs = 2000) {
        QList<QByteArray> lines;
        // The caller compares what came.
        static_cast<void>(QTest::qWaitFor(
            [&] {
                lines += TakeLines();
                return lines.size() >= count;
            },
            timeoutMs));
        return lines;
    }

    QList<QByteArray> Ask(const QByteArray& command, int count = 1) {
        Write(command + "\r\n");
        return ReadLines(count);
    }

    // Sends setters and waits until the receiver has taken them.
    void Apply(const QStringList& commands) {
        for (const QString& command : commands)
            Write(command.toLatin1() + "\r\n");
        const auto expected = Receiver.ReceivedLines().size() + commands.size();
        QVERIFY(QTest::qWaitFor([&] { return Receiver.ReceivedLines().size() >= expected; }, 2000));
    }

    TSimReceiver Receiver;
    TSimLoopback Loopback;
    QByteArray Buffer;
    QList<QByteArray> Chunks;
};

// What a refused command must leave alone.
struct TState {
    std::array<TRxDat, TSimReceiver::kVfoCount> Vfos;
    TRxDat Memory7;
    TSearchList Bank5;
    TScanGroupDat ScanGroup;
    TSearchGroupDat SearchGroup;
    TSimSettings Settings;
    QList<TPassDat> VfoPasses;
    TSimMode Mode = TSimMode::Vfo;
    int Channel = 0;
    int Bank = 0;

    bool operator==(const TState&) const = default;
};

TState StateOf(const TSimReceiver& receiver) {
    TState state;
    for (int i = 0; i < TSimReceiver::kVfoCount; ++i)
        state.Vfos[static_cast<size_t>(i)] = receiver.Vfo(QChar(u'A' + i));
    state.Memory7 = receiver.Memory(receiver.CurrentBank(), 7);
    state.Bank5 = receiver.SearchBank(5);
    state.ScanGroup = receiver.ScanGroup(receiver.Settings().ScanGroup);
    state.SearchGroup = receiver.SearchGroup(receiver.Settings().SearchGroup);
    state.Settings = receiver.Settings();
    state.VfoPasses = receiver.PassList(kVfoPassBank);
    state.Mode = receiver.Mode();
    state.Channel = receiver.CurrentChannel();
    state.Bank = receiver.CurrentBank();
    return state;
}

TSimOptions WithUnits() {
    TSimOptions options;
    options.Ct5000 = true;
    options.Ds8000 = true;
    return options;
}

TRxDat MemoryRecord(double mhz, const QString& step, int mode, const QString& text) {
    TRxDat rec;
    rec.Vfo = 2;
    rec.Freq = mhz;
    rec.Step = step;
    rec.Mode = mode;
    rec.Text = text;
    return rec;
}

} // namespace

class TestSimReceiver : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void replies_data();
    void replies();
    void memoryWrite_data();
    void memoryWrite();
    void memoryListingContinues();
    void refusedCommandsChangeNothing_data();
    void refusedCommandsChangeNothing();
    void optionalUnitsAbsent();
    void presetMemories();
    void levelFollowsBandSquelchAndAttenuator();
    void lineEndsAndStepBytes();
    void sduFraming();
    void powerOffAndLocal();
    void faults();
    void droppedConnection();
};

void TestSimReceiver::replies_data() {
    QTest::addColumn<QStringList>("setup");
    QTest::addColumn<QByteArray>("query");
    QTest::addColumn<QList<QByteArray>>("expected");

    const QStringList onA = {u"VA0145500000"_s, u"ST25000"_s, u"MD0"_s, u"AU0"_s};
    QTest::newRow("RX on a VFO") << onA << QByteArray("RX")
                                 << QList<QByteArray>{"VA RF0145500000 ST025000  AU0 MD0"};
    QTest::newRow("VFO select answers")
        << QStringList{u"VC0000500000"_s, u"ST9000+"_s, u"AU1"_s, u"MD3"_s, u"VA0118000000"_s}
        << QByteArray("VC") << QList<QByteArray>{"VC RF0000500000 ST009000+ AU1 MD3"};
    QTest::newRow("RX on a memory")
        << QStringList{u"MX007 MP0 RF0145500000 ST12500 MD0 AT0 BW2 TMREPEATER"_s, u"MR007"_s}
        << QByteArray("RX")
        << QList<QByteArray>{"MR MX007 MP0 GA0 RF0145500000 ST012500  AU0 MD0 TMREPEATER"};
    QTest::newRow("RX on an empty memory")
        << QStringList{u"MR007"_s, u"MQ"_s} << QByteArray("RX") << QList<QByteArray>{"MR007 ---"};
    QTest::newRow("bandwidth") << QStringList{u"BW4"_s} << QByteArray("BW")
                               << QList<QByteArray>{"BW4"};
    QTest::newRow("high pass") << QStringList{u"HP3"_s} << QByteArray("HP")
                               << QList<QByteArray>{"HP3"};
    QTest::newRow("low pass") << QStringList{u"LP1"_s} << QByteArray("LP")
                              << QList<QByteArray>{"LP1"};
    QTest::newRow("de-emphasis") << QStringList{u"EN4"_s} << QByteArray("EN")
                                 << QList<QByteArray>{"EN4"};
    QTest::newRow("antenna") << QStringList{u"AN3"_s} << QByteArray("AN")
                             << QList<QByteArray>{"AN3"};
    QTest::newRow("antenna auto above 30 MHz") << QStringList{u"VA0145500000"_s, u"AN0"_s}
                                               << QByteArray("AN") << QList<QByteArray>{"AN0 1"};
    QTest::newRow("antenna auto on HF") << QStringList{u"VA0007100000"_s, u"AN0"_s}
                                        << QByteArray("AN") << QList<QByteArray>{"AN0 2"};
    QTest::newRow("attenuator") << QStringList{u"AT2"_s} << QByteArray("AT")
                                << QList<QByteArray>{"AT02"};
    QTest::newRow("attenuator auto")
        << QStringList{u"ATF"_s} << QByteArray("AT") << QList<QByteArray>{"AT10"};
    QTest::newRow("agc") << QStringList{u"AC2"_s} << QByteArray("AC") << QList<QByteArray>{"AC2"};
    QTest::newRow("agc off") << QStringList{u"ACF"_s} << QByteArray("AC")
                             << QList<QByteArray>{"ACF"};
    QTest::newRow("sub-step") << QStringList{u"SJ7"_s} << QByteArray("SJ")
                              << QList<QByteArray>{"SJ7"};
    QTest::newRow("sub-step 1000")
        << QStringList{u"SJA"_s} << QByteArray("SJ") << QList<QByteArray>{"SJA"};
    QTest::newRow("ctcss") << QStringList{u"CN0A"_s} << QByteArray("CN")
                           << QList<QByteArray>{"CN0A"};
    QTest::newRow("descrambler") << QStringList{u"SC2"_s} << QByteArray("SC")
                                 << QList<QByteArray>{"SC002"};
    QTest::newRow("level squelch")
        << QStringList{u"DB50"_s} << QByteArray("DB") << QList<QByteArray>{"DB+050"};
    QTest::newRow("level squelch off")
        << QStringList{u"DB0"_s} << QByteArray("DB") << QList<QByteArray>{"DB 000"};
    QTest::newRow("voice squelch")
        << QStringList{u"DA7"_s} << QByteArray("DA") << QList<QByteArray>{"DA+007"};
    QTest::newRow("delay") << QStringList{u"DD5"_s} << QByteArray("DD")
                           << QList<QByteArray>{"DD0.5"};
    QTest::newRow("cyber scan") << QStringList{u"DS1"_s} << QByteArray("DS")
                                << QList<QByteArray>{"DS1"};
    QTest::newRow("afc") << QStringList{u"AF1"_s} << QByteArray("AF") << QList<QByteArray>{"AF1"};
    QTest::newRow("noise blanker")
        << QStringList{u"NB1"_s} << QByteArray("NB") << QList<QByteArray>{"NB1"};
    QTest::newRow("dtmf output off")
        << QStringList{u"QM0"_s} << QByteArray("QM") << QList<QByteArray>{"QM0"};
    QTest::newRow("scan link") << QStringList{u"ML1"_s} << QByteArray("ML")
                               << QList<QByteArray>{"ML1"};
    QTest::newRow("bank") << QStringList{u"BN1"_s} << QByteArray("BN") << QList<QByteArray>{"BN1"};
    QTest::newRow("auto store") << QStringList{u"AS2"_s} << QByteArray("AS")
                                << QList<QByteArray>{"AS2"};
    QTest::newRow("scan group")
        << QStringList{u"GM3"_s, u"XD20"_s, u"XB50"_s, u"XA0"_s,
                       u"XP5"_s, u"XMF"_s,  u"ML0"_s,  u"BM 0 3"_s}
        << QByteArray("GM")
        << QList<QByteArray>{"GM3 XD2.0 XB+050 XA 000 XP05 XMF ML0 BM 0 - - - - - - - - -"};
    QTest::newRow("search group")
        << QStringList{u"GS2"_s, u"SDFF"_s, u"SB50"_s, u"SA0"_s,
                       u"SP5"_s, u"BQ1"_s,  u"BS13"_s, u"BS02"_s}
        << QByteArray("GS")
        << QList<QByteArray>{
               "GS2 SDFF  SB+050 SA 000 SP05 BQ1 BS - - - - - - - - - - - - - 3 - - - - - -"};
    QTest::newRow("search bank")
        << QStringList{u"SE03 SL0144000000 SU0146000000 ST12500 AT0 BW2 MD0 TTAIRBAND"_s}
        << QByteArray("SR 03")
        << QList<QByteArray>{"SR03 SL0144000000 SU0146000000 ST012500  AU0 MD0 TTAIRBAND "};
    QTest::newRow("current search bank")
        << QStringList{u"RQ0"_s, u"SE04 SL0430000000 SU0440000000 ST25000+ AT0 BW2 MD1 TTX"_s,
                       u"SS04"_s}
        << QByteArray("SR")
        << QList<QByteArray>{"SR04 SL0430000000 SU0440000000 ST025000+ AU0 MD1 TTX       "};
    QTest::newRow("RX during a program search")
        << QStringList{u"RQ0"_s, u"SE04 SL0430000000 SU0440000000 ST25000 AT0 BW2 MD1 TTX"_s,
                       u"SS04"_s}
        << QByteArray("RX") << QList<QByteArray>{"SS RF0430000000 ST025000  AU0 MD1"};
    QTest::newRow("RX during a VFO search")
        << QStringList{u"RQ0"_s, u"VB0145000000"_s, u"ST10000"_s,
                       u"MD0"_s, u"VC0146000000"_s, u"VSB"_s}
        << QByteArray("RX") << QList<QByteArray>{"VS VB RF0145010000 ST010000  AU0 MD0"};
    QTest::newRow("empty pass list")
        << QStringList() << QByteArray("PR03") << QList<QByteArray>{"PR03 00 ----------"};
    QTest::newRow("VFO pass list")
        << QStringList{u"PS0145500000"_s, u"PS0145525000"_s, u"PD2000"_s, u"PS0146000000"_s}
        << QByteArray("PR20") << QList<QByteArray>{"PRV 00 0145525000", "PRV 01 0146000000"};
    QTest::newRow("pass list cleared")
        << QStringList{u"PS0145500000"_s, u"PD%%20"_s} << QByteArray("PR20")
        << QList<QByteArray>{"PRV 00 ----------"};
    QTest::newRow("version") << QStringList() << QByteArray("VR")
                             << QList<QByteArray>{"VER AR5000 1.0"};
    QTest::newRow("unknown") << QStringList() << QByteArray("ZZ") << QList<QByteArray>{"?"};
}

void TestSimReceiver::replies() {
    QFETCH(QStringList, setup);
    QFETCH(QByteArray, query);
    QFETCH(QList<QByteArray>, expected);

    TLink link(WithUnits());
    link.Apply(setup);
    QCOMPARE(link.TakeLines(), QList<QByteArray>());
    QCOMPARE(link.Ask(query, static_cast<int>(expected.size())), expected);
    QTest::qWait(20);
    QCOMPARE(link.TakeLines(), QList<QByteArray>());
}

void TestSimReceiver::memoryWrite_data() {
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<TRxDat>("expected");

    TRxDat later = MemoryRecord(145.5, u"12.500"_s, 0, u"AB-C"_s);
    later.Bandwidth = 2;
    later.LowPass = 2;
    later.HighPass = 1;
    later.DeEmphasis = 1;
    later.Agc = 1;
    later.Antenna = 2;
    later.MemoryPass = true;
    later.SelectScan = true;
    later.Channel = 7;
    QTest::newRow("later firmware: one line")
        << QStringList{u"MX007 MP1 RF0145500000 ST12500 MD0 AT0 BW2 LP2 HP1 EN1 AC1 SJ0 TMab{c"_s,
                       u"AN2"_s, u"GA1"_s}
        << later;

    TRxDat early = MemoryRecord(0.5, u".500"_s, 1, u"EARLY"_s);
    early.StepAdjust = true;
    early.Bandwidth = 1;
    early.AttenuatorAuto = true;
    early.LowPass = 3;
    early.HighPass = 2;
    early.DeEmphasis = 4;
    early.Agc = 3;
    early.SubStep = 10;
    early.AntennaAuto = true;
    early.Antenna = 2; // chosen automatically below 30 MHz
    early.Channel = 7;
    QTest::newRow("early firmware: line and setters")
        << QStringList{u"MX007 MP0 RF0000500000 ST500+ MD1 ATF BW1 TMEARLY"_s,
                       u"LP3"_s,
                       u"HP2"_s,
                       u"EN4"_s,
                       u"ACF"_s,
                       u"SJA"_s,
                       u"AN0"_s,
                       u"GA0"_s}
        << early;

    TRxDat blank = MemoryRecord(430.0, u"25.000"_s, 0, QString());
    blank.AntennaAuto = true;
    blank.Antenna = 1;
    blank.Channel = 7;
    QTest::newRow("empty text") << QStringList{u"MX007 MP0 RF0430000000 ST25000 MD0 TM "_s}
                                << blank;
}

void TestSimReceiver::memoryWrite() {
    QFETCH(QStringList, commands);
    QFETCH(TRxDat, expected);

    TLink link;
    link.Receiver.ClearMemory(0, 7);
    link.Apply(commands);
    QCOMPARE(link.Receiver.Memory(0, 7), expected);
    // The write puts the receiver on the channel, which it reports as stored.
    QCOMPARE(link.Receiver.Mode(), TSimMode::Memory);
    QCOMPARE(link.Receiver.CurrentChannel(), 7);
    const QList<QByteArray> listed = link.Ask("MA0", 10);
    QCOMPARE(listed.size(), qsizetype(10));
    QVERIFY(listed[7].startsWith("MX007 MP" + QByteArray::number(expected.MemoryPass ? 1 : 0)));
    QVERIFY(listed[7].endsWith(" TM" + expected.Text.toLatin1().leftJustified(8, ' ')));
}

void TestSimReceiver::memoryListingContinues() {
    TLink link;
    for (int channel = 0; channel < TSimReceiver::kChannelCount; ++channel)
        link.Receiver.ClearMemory(1, channel);
    link.Receiver.SetMemory(1, 105, MemoryRecord(118.1, u"25.000"_s, 1, u"TOWER"_s));
    link.Receiver.SetMemory(1, 999, MemoryRecord(2600.0, u"1.000"_s, 4, u"TOP"_s));
    link.Apply({u"BN1"_s});

    QList<QByteArray> expected;
    for (int channel = 100; channel < 120; ++channel)
        expected.append("MX" + QByteArray::number(channel) + " ---");
    expected[5] = "MX105 MP0 GA0 RF0118100000 ST025000  AU0 MD1 TMTOWER   ";
    QCOMPARE(link.Ask("MA1", 10), expected.mid(0, 10));
    QCOMPARE(link.Ask("MA", 10), expected.mid(10, 10));

    // The listing runs on past channel 999 to 000.
    link.Ask("MA9", 10);
    for (int block = 91; block < 99; ++block)
        link.Ask("MA", 10);
    const QList<QByteArray> tail = link.Ask("MA", 10);
    QCOMPARE(tail.size(), 10);
    QCOMPARE(tail.first(), QByteArray("MX990 ---"));
    QCOMPARE(tail[9], QByteArray("MX999 MP0 GA0 RF2600000000 ST001000  AU0 MD4 TMTOP     "));
    QCOMPARE(link.Ask("MA", 10).value(0), QByteArray("MX000 ---"));
}

void TestSimReceiver::refusedCommandsChangeNothing_data() {
    QTest::addColumn<QByteArray>("command");
    for (const char* command : {"MD8",
                                "MD",
                                "BW7",
                                "AU",
                                "AN5",
                                "AT3",
                                "ACG",
                                "SJB",
                                "CN38",
                                "CNA",
                                "SC5",
                                "ST0",
                                "ST1000000",
                                "ST12X",
                                "VA0000009999",
                                "VA2600000001",
                                "VA01455",
                                "VAX145500000",
                                "VL256",
                                "RQ-1",
                                "AS3",
                                "DB256",
                                "DD100",
                                "AF2",
                                "LC",
                                "LC2",
                                "MR1000",
                                "MRX",
                                "MQ%%A",
                                "MP2",
                                "GA2",
                                "BN2",
                                "MA10",
                                "MS",
                                "SM1",
                                "GM10",
                                "XP61",
                                "XM5",
                                "SDFE",
                                "BM 5X",
                                "BS1",
                                "BS20",
                                "SS20",
                                "SS10",
                                "QS20",
                                "SR20",
                                "VSF",
                                "VS",
                                "QM2",
                                "PR21",
                                "PRV",
                                "PS0000001000",
                                "PD2100",
                                "PD%%21",
                                "MX007 RF0145500000 TMX",
                                "MX007 MP0 RF0145500000 ST12500 MD9 TMX",
                                "MX007 MP0 RF0145500000 ST12500 MD0 XX1 TMX",
                                "SE05 SL0144000000 TTX",
                                "SE05 SL0144000000 SU0146000000 ST12500 ZZ1 TTX",
                                "RX1",
                                "LM2",
                                "QP1",
                                "EX1",
                                "VR0",
                                "ZZ"})
        QTest::newRow(command) << QByteArray(command);
}

void TestSimReceiver::refusedCommandsChangeNothing() {
    QFETCH(QByteArray, command);

    TLink link(WithUnits());
    link.Apply({u"MR007"_s});
    const TState before = StateOf(link.Receiver);
    QCOMPARE(link.Ask(command), QList<QByteArray>{"?"});
    QCOMPARE(StateOf(link.Receiver), before);
}

void TestSimReceiver::optionalUnitsAbsent() {
    TLink link;
    for (const char* command : {"CN", "CN0A", "SC", "SC2"})
        QCOMPARE(link.Ask(command), QList<QByteArray>{"?"});
    const TRxDat vfo = link.Receiver.Vfo(u'A');
    QCOMPARE(vfo.Ctcss, 0);
    QCOMPARE(vfo.Descrambler, 0);
}

void TestSimReceiver::presetMemories() {
    const auto countUsed = [](const TSimReceiver& receiver) {
        int used = 0;
        for (int bank = 0; bank < TSimReceiver::kBankCount; ++bank) {
            for (int channel = 0; channel < TSimReceiver::kChannelCount; ++channel) {
                const TRxDat rec = receiver.Memory(bank, channel);
                if (rec.Empty)
                    continue;
                ++used;
                if (rec.Channel != channel || rec.Text.size() > 8 || rec.Freq < 0.01 ||
                    rec.Freq > 2600.0 || rec.Step.isEmpty())
                    return -1;
            }
        }
        return used;
    };
    const int total = TSimReceiver::kBankCount * TSimReceiver::kChannelCount;
    const int some = countUsed(TSimReceiver());
    QVERIFY2(some > total / 5 && some < total / 2, QByteArray::number(some));
    TSimOptions options;
    options.FillMemories = true;
    QCOMPARE(countUsed(TSimReceiver(options)), total);
    options.Seed = 2;
    options.FillMemories = false;
    QVERIFY(countUsed(TSimReceiver(options)) != some);
}

void TestSimReceiver::levelFollowsBandSquelchAndAttenuator() {
    TLink link;
    TSimSignal carrier;
    carrier.FreqHz = 145'500'000;
    carrier.PeakLevel = 200;
    link.Receiver.Band().SetSignals({carrier});
    link.Receiver.Band().SetNoiseFloor(0);
    const QRegularExpression levelReply(u"^LM([ %])([0-9A-F]{2})$"_s);

    const auto level = [&](const QByteArray& command) {
        const QList<QByteArray> reply = link.Ask(command);
        const auto match = levelReply.match(QString::fromLatin1(reply.value(0)));
        return match.hasMatch()
                   ? std::pair(match.captured(1) == u"%", match.captured(2).toInt(nullptr, 16))
                   : std::pair(false, -1);
    };

    link.Apply({u"VA0145500000"_s, u"AT0"_s, u"RQ255"_s});
    auto [closed, value] = level("LM");
    QVERIFY(!closed);
    QVERIFY2(value >= 197 && value <= 203, QByteArray::number(value));

    link.Apply({u"RQ0"_s});
    std::tie(closed, value) = level("LM");
    QVERIFY(closed);

    link.Apply({u"RQ100"_s, u"AT2"_s});
    std::tie(closed, value) = level("LM");
    QVERIFY2(value >= 157 && value <= 163, QByteArray::number(value));
    QVERIFY(!closed);

    link.Apply({u"VA0146000000"_s});
    QCOMPARE(level("LM"), std::pair(true, 0));
}

void TestSimReceiver::lineEndsAndStepBytes() {
    TLink link;
    link.Apply({u"VA0145500000"_s, u"ST12500"_s});
    link.Write("RX\rVR\nRX\r\n\r\n\n");
    const QList<QByteArray> lines = link.ReadLines(3);
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[1], QByteArray("VER AR5000 1.0"));

    // A step byte acts at once, even in the middle of a line, which still goes through.
    link.Write("R\x1E\x1EX\r\n");
    QCOMPARE(link.ReadLines(1), QList<QByteArray>{"VA RF0145525000 ST012500  AU0 MD1"});
    link.Write("\x1F");
    QCOMPARE(link.Ask("RX"), QList<QByteArray>{"VA RF0145512500 ST012500  AU0 MD1"});
    // Sub-step "x10" multiplies the step, a fixed sub-step replaces it.
    link.Apply({u"SJ1"_s});
    link.Write("\x1E");
    QCOMPARE(link.Ask("RX"), QList<QByteArray>{"VA RF0145637500 ST012500  AU0 MD1"});
    link.Apply({u"SJ4"_s});
    link.Write("\x1F");
    QCOMPARE(link.Ask("RX"), QList<QByteArray>{"VA RF0145636500 ST012500  AU0 MD1"});
    QVERIFY(link.Receiver.ReceivedLines().contains(QString(QLatin1Char('\x1F'))));
}

void TestSimReceiver::sduFraming() {
    TSimOptions options;
    options.SduMode = true;
    TLink link(options);
    QCOMPARE(link.Ask("*VR"), QList<QByteArray>{"*VER AR5000 1.0"});
    QCOMPARE(link.Ask("*ZZ"), QList<QByteArray>{"*?"});
    // Without its "*" a line never reaches the receiver.
    link.Apply({u"MD3"_s});
    QCOMPARE(link.Ask("*RX"), QList<QByteArray>{"*VA RF0118000000 ST025000  AU0 MD1"});
}

void TestSimReceiver::powerOffAndLocal() {
    TLink link;
    QVERIFY(!link.Receiver.Remote());
    link.Apply({u"EX"_s});
    QVERIFY(!link.Receiver.Remote());
    QCOMPARE(link.Ask("VR"), QList<QByteArray>{"VER AR5000 1.0"});
    QVERIFY(link.Receiver.Remote());

    link.Apply({u"QP"_s, u"VR"_s, u"MD3"_s});
    QVERIFY(!link.Receiver.PoweredOn());
    QTest::qWait(50);
    QCOMPARE(link.TakeLines(), QList<QByteArray>());
    link.Receiver.PowerOn();
    QCOMPARE(link.Ask("RX"), QList<QByteArray>{"VA RF0118000000 ST025000  AU0 MD1"});
}

void TestSimReceiver::faults() {
    TLink link;
    link.Receiver.SetFault(TSimFault::Silence);
    link.Apply({u"MD3"_s, u"RX"_s});
    QTest::qWait(50);
    QVERIFY(link.Buffer.isEmpty());

    link.Receiver.SetFault(TSimFault::QuestionMark);
    QCOMPARE(link.Ask("MD0"), QList<QByteArray>{"?"});
    QCOMPARE(link.Ask("RX"), QList<QByteArray>{"?"});

    link.Receiver.SetFault(TSimFault::Garbage);
    link.Write("VR\r\n");
    QVERIFY(QTest::qWaitFor([&] { return link.Buffer.size() >= 14; }, 2000));
    QTest::qWait(20);
    QCOMPARE(link.Buffer.size(), qsizetype(14)); // "VER AR5000 1.0" without its line end
    QVERIFY(!link.Buffer.contains('\r') && !link.Buffer.contains('\n'));
    QVERIFY(link.Buffer != "VER AR5000 1.0");
    link.Buffer.clear();

    // Obeyed in silence, refused and garbled: the setter of the silent phase alone took hold.
    link.Receiver.SetFault(TSimFault::SplitReplies);
    link.Chunks.clear();
    const QByteArray expected = "VA RF0118000000 ST025000  AU0 MD3";
    QCOMPARE(link.Ask("RX"), QList<QByteArray>{expected});
    QVERIFY2(link.Chunks.size() >= 3, QByteArray::number(link.Chunks.size()));
    QCOMPARE(link.Chunks.join(), expected + "\r\n");

    link.Receiver.SetFault(TSimFault::None);
    link.Chunks.clear();
    QCOMPARE(link.Ask("VR"), QList<QByteArray>{"VER AR5000 1.0"});
    QCOMPARE(link.Chunks.size(), qsizetype(1));
}

void TestSimReceiver::droppedConnection() {
    TLink link;
    QSignalSpy closed(link.Loopback.DriverEnd(), &TLoopbackEnd::PeerClosed);
    link.Receiver.DropConnection();
    QVERIFY(closed.wait(1000));
    QVERIFY(!link.Loopback.Connected());
    link.Write("RX\r\n");
    QTest::qWait(50);
    QVERIFY(link.Buffer.isEmpty());
    QVERIFY(link.Receiver.ReceivedLines().isEmpty());

    link.Loopback.Reconnect();
    QCOMPARE(link.Ask("RX").size(), 1);
}

QTEST_GUILESS_MAIN(TestSimReceiver)
#include "tst_receiver.moc"
