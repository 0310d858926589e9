// Searches, scans, DTMF and the seeded band, in simulated time driven by the test.

#include "SimLine.h"
#include "SimReceiver.h"

#include <QTest>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 kTimeStepMs = 200; // simulated time per turn of the event loop
constexpr int kTurnMs = 25;         // real time per turn, for what the event loop delivers

// A receiver on a quiet band with the stops of a test's own making; time moves only in Run.
class TRadio {
public:
    TRadio() {
        Receiver.SetClock([this] { return Now; });
        QObject::connect(&Receiver, &TSimReceiver::BytesOut, [this](const QByteArray& bytes) {
            Pending += bytes;
            qsizetype end = 0;
            while ((end = Pending.indexOf("\r\n")) >= 0) {
                Lines.append(Pending.left(end));
                Times.append(Now);
                Pending.remove(0, end + 2);
            }
        });
        Receiver.Band().SetSignals({});
        for (int channel = 0; channel < TSimReceiver::kChannelCount; ++channel)
            Receiver.ClearMemory(0, channel);
        Send({"RQ130", "LC0", "GS0", "GM0", "SP1", "SD0", "XP1", "XD0", "BQ0", "ML0"});
    }

    void Send(const QList<QByteArray>& commands) {
        for (const QByteArray& command : commands)
            Receiver.ReceiveBytes(command + "\r\n");
    }

    void Signal(qint64 hz, int level, TSimSignalKind kind = TSimSignalKind::Steady, int onMs = 0,
                int offMs = 0, bool voice = false) {
        TSimSignal signal;
        signal.FreqHz = hz;
        signal.PeakLevel = level;
        signal.Kind = kind;
        signal.OnMs = onMs;
        signal.OffMs = offMs;
        signal.Voice = voice;
        Receiver.Band().AddSignal(signal);
    }

    void Channel(int channel, qint64 hz, int mode = 0) {
        TRxDat rec;
        rec.Freq = static_cast<double>(hz) / 1e6;
        rec.Step = u"12.500"_s;
        rec.Mode = mode;
        Receiver.SetMemory(0, channel, rec);
    }

    void Run(qint64 ms) {
        for (qint64 done = 0; done < ms; done += kTimeStepMs) {
            Now += kTimeStepMs;
            Receiver.ActivityTick();
            QTest::qWait(kTurnMs);
        }
    }

    // The lines reporting stops and bank changes, taken out of the received ones.
    QList<QByteArray> TakeReports() {
        QList<QByteArray> reports;
        for (const QByteArray& line : std::as_const(Lines)) {
            if (line.startsWith("RF") || line.startsWith("MX") || line.startsWith("SR"))
                reports.append(line);
        }
        Lines.clear();
        Times.clear();
        return reports;
    }

    // The simulated times at which stops ("RF") were heard.
    QList<qint64> StopTimes() const {
        QList<qint64> times;
        for (qsizetype i = 0; i < Lines.size(); ++i) {
            if (Lines[i].startsWith("RF"))
                times.append(Times[i]);
        }
        return times;
    }

    QList<QByteArray> Stops() const {
        QList<QByteArray> stops;
        for (const QByteArray& line : Lines) {
            if (line.startsWith("RF"))
                stops.append(line);
        }
        return stops;
    }

    qint64 Now = 0;
    TSimReceiver Receiver;
    QByteArray Pending;
    QList<QByteArray> Lines;
    QList<qint64> Times;
};

constexpr qint64 k2m = 144'000'000;

// Two signals that stop a search or scan, and one too weak; the middle one may carry a voice.
void TwoMetreSignals(TRadio& radio, bool voice = false) {
    radio.Signal(k2m + 50'000, 200);
    radio.Signal(k2m + 150'000, 180, TSimSignalKind::Steady, 0, 0, voice);
    radio.Signal(k2m + 250'000, 60);
}

// Bank 0 over 144.000 .. 144.300 MHz by 12.5 kHz, on those signals.
void TwoMetreBank(TRadio& radio, bool voice = false) {
    TwoMetreSignals(radio, voice);
    radio.Send({"SE00 SL0144000000 SU0144300000 ST12500 AT0 BW2 MD0 TT2M"});
}

} // namespace

class TestSimActivity : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void programSearchStopsAndReportsLevel();
    void passFrequencyIsSkipped();
    void holdUntilStepByte();
    void squelchesDecideTheStops_data();
    void squelchesDecideTheStops();
    void howLongAStopLasts_data();
    void howLongAStopLasts();
    void openSquelchHoldsTheSearch();
    void clearedSelectFlagsLeaveNothingToScan();
    void floodStopsOnEveryStep();
    void floodKeepsPaceWithTheLine();
    void linkedSearchMovesBank();
    void commandsThatStopASearch_data();
    void commandsThatStopASearch();
    void scans_data();
    void scans();
    void vfoSearchWaitsForTheSignalToGo();
    void autoStore();
    void dtmfDigits();
    void bandIsSeeded();
};

void TestSimActivity::programSearchStopsAndReportsLevel() {
    TRadio radio;
    TwoMetreBank(radio);
    radio.Send({"LC1", "SS00"});
    QCOMPARE(radio.Receiver.Mode(), TSimMode::ProgramSearch);
    radio.Run(3500);

    const QList<QByteArray> lines = radio.Lines;
    QList<QByteArray> stops;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!lines[i].startsWith("RF"))
            continue;
        stops.append(lines[i]);
        // Each stop comes with its level first, above the squelch.
        QVERIFY(i > 0 && lines[i - 1].startsWith("LC"));
        QVERIFY2(lines[i - 1].mid(2).toInt(nullptr, 16) >= 255 - 130, lines[i - 1]);
    }
    QCOMPARE(stops.mid(0, 3), (QList<QByteArray>{"RF0144050000", "RF0144150000", "RF0144050000"}));
    // While it waits on a signal, its level changes are reported.
    QVERIFY(lines.size() > 2 * stops.size());
}

void TestSimActivity::passFrequencyIsSkipped() {
    TRadio radio;
    TwoMetreBank(radio);
    radio.Send({"SS00"});
    radio.Run(200);
    QCOMPARE(radio.TakeReports(), QList<QByteArray>{"RF0144050000"});
    // Added to the list of the bank being searched.
    radio.Send({"PS0144050000"});
    QCOMPARE(radio.Receiver.PassList(0).size(), qsizetype(1));
    QCOMPARE(radio.Receiver.PassList(0).first().Freq, 144.05);
    radio.Run(3000);
    const QList<QByteArray> reports = radio.TakeReports();
    QVERIFY(!reports.isEmpty());
    QVERIFY(!reports.contains("RF0144050000"));
    QVERIFY(radio.Lines.isEmpty()); // no level lines without "LC1"
}

void TestSimActivity::holdUntilStepByte() {
    TRadio radio;
    TwoMetreBank(radio);
    // The hold outlasts the pause.
    radio.Send({"SDFF", "SP1", "SS00"});
    radio.Run(3000);
    QCOMPARE(radio.TakeReports(), QList<QByteArray>{"RF0144050000"});
    radio.Receiver.ReceiveBytes("\x1E");
    radio.Run(400);
    QCOMPARE(radio.TakeReports(), QList<QByteArray>{"RF0144150000"});
}

void TestSimActivity::squelchesDecideTheStops_data() {
    QTest::addColumn<QList<QByteArray>>("setup");
    QTest::addColumn<QByteArray>("start");
    QTest::addColumn<QList<QByteArray>>("stops");

    const QByteArray a = "RF0144050000"; // 200, a carrier
    const QByteArray b = "RF0144150000"; // 180, a voice
    const QByteArray c = "RF0144250000"; // 60
    using L = QList<QByteArray>;
    QTest::newRow("search") << L{} << QByteArray("SS00") << L{a, b};
    QTest::newRow("search, squelch opened further")
        << L{"RQ200"} << QByteArray("SS00") << L{a, b, c};
    QTest::newRow("search level squelch") << L{"SB190"} << QByteArray("SS00") << L{a};
    QTest::newRow("search voice squelch") << L{"SA50"} << QByteArray("SS00") << L{b};
    QTest::newRow("scan level squelch") << L{"XMF", "XB190"} << QByteArray("MS0") << L{a};
    QTest::newRow("scan voice squelch") << L{"XMF", "XA50"} << QByteArray("MS0") << L{b};
    const L vfos = {"VA0144100000", "ST12500", "VB0144300000"};
    QTest::newRow("VFO search") << vfos << QByteArray("VSA") << L{b};
    QTest::newRow("VFO search, the next VFO on the same frequency")
        << L{"VA0144000000", "ST12500", "VB0144000000"} << QByteArray("VSA") << L{a};
    QTest::newRow("VFO search level squelch") << vfos + L{"DB190"} << QByteArray("VSA") << L{};
    QTest::newRow("VFO search voice squelch")
        << L{"VA0144000000", "ST12500", "VB0144300000", "DA50"} << QByteArray("VSA") << L{b};
}

void TestSimActivity::squelchesDecideTheStops() {
    QFETCH(QList<QByteArray>, setup);
    QFETCH(QByteArray, start);
    QFETCH(QList<QByteArray>, stops);

    TRadio radio;
    TwoMetreBank(radio, true);
    radio.Channel(0, k2m + 50'000);
    radio.Channel(1, k2m + 150'000);
    radio.Channel(2, k2m + 250'000);
    radio.Send(setup);
    radio.Send({start});
    radio.Run(8000);
    QList<QByteArray> heard = radio.Stops();
    std::sort(heard.begin(), heard.end());
    heard.erase(std::unique(heard.begin(), heard.end()), heard.end());
    QCOMPARE(heard, stops);
}

void TestSimActivity::howLongAStopLasts_data() {
    QTest::addColumn<QList<QByteArray>>("setup");
    QTest::addColumn<bool>("briefSignal");
    QTest::addColumn<qint64>("earliestMs"); // of the next stop after the first, -1: none
    QTest::addColumn<qint64>("latestMs");

    using L = QList<QByteArray>;
    QTest::newRow("pause runs out") << L{"SP2", "SD0"} << false << qint64(2000) << qint64(2800);
    QTest::newRow("delay after the signal went")
        << L{"SP0", "SD20"} << true << qint64(2800) << qint64(3800);
    QTest::newRow("no delay") << L{"SP0", "SD0"} << true << qint64(800) << qint64(1600);
    QTest::newRow("stays while the signal lasts")
        << L{"SP0", "SD0"} << false << qint64(-1) << qint64(-1);
    QTest::newRow("hold") << L{"SP1", "SDFF"} << true << qint64(-1) << qint64(-1);
}

void TestSimActivity::howLongAStopLasts() {
    QFETCH(QList<QByteArray>, setup);
    QFETCH(bool, briefSignal);
    QFETCH(qint64, earliestMs);
    QFETCH(qint64, latestMs);

    TRadio radio;
    // The brief one is on for the first second of every 100.
    if (briefSignal)
        radio.Signal(k2m + 50'000, 200, TSimSignalKind::Intermittent, 1000, 99'000);
    else
        radio.Signal(k2m + 50'000, 200);
    radio.Signal(k2m + 150'000, 180);
    radio.Send({"SE00 SL0144000000 SU0144300000 ST12500 AT0 BW2 MD0 TT2M"});
    radio.Send(setup);
    radio.Send({"SS00"});
    radio.Run(6000);
    const QList<QByteArray> stops = radio.Stops();
    const QList<qint64> times = radio.StopTimes();
    QVERIFY(!stops.isEmpty());
    QCOMPARE(stops.first(), QByteArray("RF0144050000"));
    if (earliestMs < 0) {
        QCOMPARE(stops.size(), qsizetype(1));
        return;
    }
    QVERIFY(stops.size() >= 2);
    QCOMPARE(stops[1], QByteArray("RF0144150000"));
    const qint64 gap = times[1] - times[0];
    QVERIFY2(gap >= earliestMs && gap <= latestMs, qPrintable(QString::number(gap)));
}

void TestSimActivity::openSquelchHoldsTheSearch() {
    TRadio radio;
    TwoMetreBank(radio);
    radio.Send({"LC1", "SS00"});
    radio.Run(200);
    QCOMPARE(radio.TakeReports(), QList<QByteArray>{"RF0144050000"});
    // Paused as the program pauses it: squelch all open, level and voice squelch off. The
    // pause of one second no longer moves it on.
    radio.Send({"RQ255", "SB0", "SA0"});
    radio.Run(4000);
    QCOMPARE(radio.TakeReports(), QList<QByteArray>());
    radio.Send({"RX"});
    QCOMPARE(radio.Lines.value(0), QByteArray("SS RF0144050000 ST012500  AU0 MD0"));
    radio.Lines.clear();
    // A step byte moves it one step, where it stays.
    radio.Receiver.ReceiveBytes("\x1E");
    radio.Run(2000);
    QCOMPARE(radio.Receiver.TunedHz(), k2m + 62'500);
    QCOMPARE(radio.TakeReports(), QList<QByteArray>());
    // Resumed, it goes on to the next signal.
    radio.Send({"RQ130"});
    radio.Run(1000);
    QCOMPARE(radio.TakeReports(), QList<QByteArray>{"RF0144150000"});
}

void TestSimActivity::clearedSelectFlagsLeaveNothingToScan() {
    TRadio radio;
    radio.Signal(k2m + 50'000, 200);
    radio.Signal(k2m + 150'000, 180);
    radio.Channel(100, k2m + 50'000);
    radio.Channel(700, k2m + 150'000);
    radio.Send({"XMF", "MR100", "GA1", "MR700", "GA1", "GA%%", "SM"});
    radio.Run(3000);
    QCOMPARE(radio.TakeReports(), QList<QByteArray>());
    QVERIFY(!radio.Receiver.Memory(0, 100).SelectScan);
    QVERIFY(!radio.Receiver.Memory(0, 700).SelectScan);
    radio.Send({"MR700", "GA1", "SM"});
    radio.Run(3000);
    QCOMPARE(radio.TakeReports().mid(0, 4),
             (QList<QByteArray>{"MX700", "RF0144150000", "MX700", "RF0144150000"}));
}

void TestSimActivity::floodStopsOnEveryStep() {
    TRadio radio; // a quiet band: nothing would stop a search
    radio.Receiver.SetFloodHits(true);
    radio.Send(
        {"SE00 SL0144000000 SU0144100000 ST25000 AT0 BW2 MD0 TT2M", "LC1", "SS00", "PS0144050000"});
    QTRY_VERIFY(radio.Stops().size() >= 12);
    QList<QByteArray> expected;
    for (int round = 0; round < 3; ++round) {
        for (const char* stop : {"RF0144000000", "RF0144025000", "RF0144075000", "RF0144100000"})
            expected.append(stop);
    }
    QCOMPARE(radio.Stops().mid(0, 12), expected);
    // Each stop is reported with its level.
    QCOMPARE(radio.Lines.mid(0, 4).at(0).left(2), QByteArray("LC"));
    QCOMPARE(radio.Lines.at(1), QByteArray("RF0144000000"));
    // A command that ends the search ends the flood.
    radio.Send({"VA"});
    const qint64 hits = radio.Receiver.HitsReported();
    QTest::qWait(50);
    QCOMPARE(radio.Receiver.HitsReported(), hits);
    QCOMPARE(radio.Receiver.Mode(), TSimMode::Vfo);
}

void TestSimActivity::floodKeepsPaceWithTheLine() {
    TSimOptions options;
    options.BaudRate = 19200;
    options.FloodHits = true;
    TSimReceiver receiver(options);
    TSimLine line(&receiver);
    qint64 carried = 0;
    qint64 mostAhead = 0;
    QObject::connect(&line, &TSimLine::ToHost, [&](const QByteArray& bytes) {
        carried += bytes.count("RF");
        mostAhead = std::max(mostAhead, receiver.HitsReported() - carried);
    });
    receiver.ReceiveBytes("SE00 SL0144000000 SU0146000000 ST12500 AT0 BW2 MD0 TT2M\r\nLC1\r\n"
                          "SS00\r\n");
    QTRY_VERIFY(carried >= 20);
    // The line holds at most the stop it is carrying and the next one.
    QVERIFY2(mostAhead <= 2, qPrintable(QString::number(mostAhead)));
    QVERIFY(receiver.HitsReported() - carried <= 2);
}

void TestSimActivity::linkedSearchMovesBank() {
    TRadio radio;
    radio.Signal(k2m + 50'000, 200);
    radio.Signal(430'050'000, 200);
    radio.Send({"SE00 SL0144000000 SU0144100000 ST12500 AT0 BW2 MD0 TTLOW",
                "SE01 SL0430000000 SU0430100000 ST25000 AT0 BW2 MD1 TTHIGH", "BQ1", "SS00"});
    radio.Run(2500);
    QCOMPARE(radio.TakeReports().mid(0, 3),
             (QList<QByteArray>{"RF0144050000",
                                "SR01 SL0430000000 SU0430100000 ST025000  AU0 MD1 TTHIGH    ",
                                "RF0430050000"}));
    QCOMPARE(radio.Receiver.CurrentSearchBank(), 1);
}

void TestSimActivity::commandsThatStopASearch_data() {
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<TSimMode>("mode");
    const auto searching = TSimMode::ProgramSearch;
    QTest::newRow("level") << QByteArray("LM") << searching;
    QTest::newRow("state") << QByteArray("RX") << searching;
    QTest::newRow("setting") << QByteArray("BW3") << searching;
    QTest::newRow("group setting") << QByteArray("SB0") << searching;
    QTest::newRow("level output") << QByteArray("LC0") << searching;
    QTest::newRow("pass") << QByteArray("PS0144000000") << searching;
    QTest::newRow("another VFO") << QByteArray("VB") << TSimMode::Vfo;
    QTest::newRow("VFO frequency") << QByteArray("VC0145000000") << TSimMode::Vfo;
    QTest::newRow("memory") << QByteArray("MR") << TSimMode::Memory;
    QTest::newRow("memory recall") << QByteArray("MR010") << TSimMode::Memory;
    QTest::newRow("memory scan") << QByteArray("MS1") << TSimMode::MemoryScan;
    QTest::newRow("VFO search") << QByteArray("VSA") << TSimMode::VfoSearch;
    QTest::newRow("bank deleted") << QByteArray("QS00") << TSimMode::Vfo;
    QTest::newRow("memory bank") << QByteArray("BN1") << TSimMode::Vfo;
    QTest::newRow("power off") << QByteArray("QP") << TSimMode::Vfo;
}

void TestSimActivity::commandsThatStopASearch() {
    QFETCH(QByteArray, command);
    QFETCH(TSimMode, mode);

    TRadio radio;
    TwoMetreBank(radio);
    radio.Send({"SS00"});
    radio.Run(200);
    QCOMPARE(radio.TakeReports(), QList<QByteArray>{"RF0144050000"});
    radio.Send({command});
    QCOMPARE(radio.Receiver.Mode(), mode);
    radio.Run(2000);
    const bool stillSearching = radio.TakeReports().contains("RF0144150000");
    QCOMPARE(stillSearching, mode == TSimMode::ProgramSearch);
}

void TestSimActivity::scans_data() {
    QTest::addColumn<QList<QByteArray>>("setup");
    QTest::addColumn<QByteArray>("start");
    QTest::addColumn<QList<QByteArray>>("reports");

    QTest::newRow("bank scan") << QList<QByteArray>{"XMF"} << QByteArray("MS2")
                               << QList<QByteArray>{"MX200",        "RF0144050000", "MX204",
                                                    "RF0144150000", "MX200",        "RF0144050000"};
    QTest::newRow("mode filter") << QList<QByteArray>{"XM1"} << QByteArray("MS2")
                                 << QList<QByteArray>{"MX204", "RF0144150000", "MX204",
                                                      "RF0144150000"};
    QTest::newRow("linked hundreds")
        << QList<QByteArray>{"XMF", "ML1", "BM 3"} << QByteArray("MS2")
        << QList<QByteArray>{"MX200", "RF0144050000", "MX204", "RF0144150000",
                             "MX300", "RF0430050000", "MX200", "RF0144050000"};
    // Its only stop in hundred 3 passed over, the scan still says when it gets there.
    QTest::newRow("linked hundred, no stop there")
        << QList<QByteArray>{"XMF", "ML1", "BM 3", "MR300", "MP1", "MR000"} << QByteArray("MS2")
        << QList<QByteArray>{"MX200", "RF0144050000", "MX204",       "RF0144150000",
                             "MX305", "MX200",        "RF0144050000"};
    QTest::newRow("select scan") << QList<QByteArray>{"XMF"} << QByteArray("SM")
                                 << QList<QByteArray>{"MX204", "RF0144150000",
                                                      "MX300", "RF0430050000",
                                                      "MX204", "RF0144150000"};
}

void TestSimActivity::scans() {
    QFETCH(QList<QByteArray>, setup);
    QFETCH(QByteArray, start);
    QFETCH(QList<QByteArray>, reports);

    TRadio radio;
    TwoMetreSignals(radio);
    radio.Signal(430'050'000, 200);
    radio.Channel(200, k2m + 50'000);
    radio.Channel(202, k2m + 150'000); // passed over
    radio.Channel(203, k2m + 250'000); // too weak to stop
    radio.Channel(204, k2m + 150'000, 1);
    radio.Channel(300, 430'050'000);
    radio.Channel(305, k2m + 250'000); // too weak to stop
    radio.Receiver.ReceiveBytes("MR202\r\nMP1\r\nMR204\r\nGA1\r\nMR300\r\nGA1\r\nMR000\r\n");
    radio.Send(setup);
    radio.Send({start});
    radio.Run(3000 + 1200 * (reports.size() / 2));
    QCOMPARE(radio.TakeReports().mid(0, reports.size()), reports);
    const QByteArray code = start == "SM" ? "SM MX" : "MS MX";
    radio.Send({"RX"});
    QVERIFY2(radio.Lines.value(0).startsWith(code), radio.Lines.value(0));
    // Memory read stops the scan on its channel.
    radio.Send({"MR"});
    QCOMPARE(radio.Receiver.Mode(), TSimMode::Memory);
}

void TestSimActivity::vfoSearchWaitsForTheSignalToGo() {
    TRadio radio;
    // On for the first second of every 100 s only.
    radio.Signal(k2m + 50'000, 200, TSimSignalKind::Intermittent, 1000, 99'000);
    radio.Signal(k2m + 150'000, 200);
    radio.Send({"VC0144000000", "ST12500", "VD0144300000", "DD5", "VSC"});
    radio.Run(800);
    QCOMPARE(radio.TakeReports(), QList<QByteArray>{"RF0144050000"});
    radio.Send({"RX"});
    QCOMPARE(radio.Lines.value(0), QByteArray("VS VC RF0144050000 ST012500  AU0 MD0"));
    // It goes on half a second after the signal went, and stays on the carrier.
    radio.Run(2200);
    QCOMPARE(radio.TakeReports(), QList<QByteArray>{"RF0144150000"});
    // A step byte sends it on; a frequency added now goes to the VFO list and is skipped.
    radio.Send({"PS0144150000"});
    QCOMPARE(radio.Receiver.PassList(kVfoPassBank).size(), qsizetype(1));
    radio.Receiver.ReceiveBytes("\x1E");
    radio.Run(2000);
    QCOMPARE(radio.TakeReports(), QList<QByteArray>());
    QCOMPARE(radio.Receiver.Vfo(u'C').Freq, 144.0);
}

void TestSimActivity::autoStore() {
    TRadio radio;
    TwoMetreBank(radio);
    radio.Send({"AS1", "SS00"});
    radio.Run(4000);
    QCOMPARE(radio.TakeReports().mid(0, 3),
             (QList<QByteArray>{"RF0144050000", "RF0144150000", "RF0144050000"}));
    const TRxDat first = radio.Receiver.Memory(0, 0);
    QVERIFY(!first.Empty);
    QCOMPARE(first.Freq, 144.05);
    QCOMPARE(first.Step, u"12.500"_s);
    QCOMPARE(first.Bandwidth, 2);
    QCOMPARE(radio.Receiver.Memory(0, 1).Freq, 144.15);
    QVERIFY(radio.Receiver.Memory(0, 2).Empty); // the same frequency is stored once
}

void TestSimActivity::dtmfDigits() {
    TRadio radio;
    TSimSignal caller;
    caller.FreqHz = 145'500'000;
    caller.Kind = TSimSignalKind::Dtmf;
    caller.OnMs = 1000;
    caller.OffMs = 9000;
    caller.Digits = u"123#"_s;
    radio.Receiver.Band().AddSignal(caller);
    radio.Send({"VA0145500000", "QM1"});
    QCOMPARE(radio.Lines, QList<QByteArray>());

    radio.Now = 25'000; // bursts began at 10 s and 20 s
    radio.Send({"QM1", "QM1"});
    QCOMPARE(radio.Lines, QList<QByteArray>{"DT123#123#"});
    radio.Lines.clear();
    radio.Now = 35'000;
    radio.Send({"VA0145600000", "QM1", "QM"});
    QCOMPARE(radio.Lines, QList<QByteArray>{"QM1"});
}

void TestSimActivity::bandIsSeeded() {
    const TSimBand first(7);
    const TSimBand again(7);
    const TSimBand other(8);
    QVERIFY(first.Signals().size() > 50);
    QCOMPARE(first.Signals(), again.Signals());
    QVERIFY(first.Signals() != other.Signals());
    QVERIFY(std::is_sorted(first.Signals().cbegin(), first.Signals().cend(),
                           [](const auto& a, const auto& b) { return a.FreqHz < b.FreqHz; }));

    int intermittent = 0;
    for (const TSimSignal& signal : first.Signals()) {
        QCOMPARE(first.Level(signal.FreqHz, 1234), again.Level(signal.FreqHz, 1234));
        if (signal.Kind != TSimSignalKind::Intermittent)
            continue;
        ++intermittent;
        // Its level at the centre follows its on and off times.
        const qint64 on = qint64(signal.OnMs + signal.OffMs) * 10 - signal.PhaseMs;
        const qint64 off = on + signal.OnMs + signal.OffMs / 2;
        QVERIFY(first.Level(signal.FreqHz, on) >= signal.PeakLevel - 3);
        QVERIFY(first.Level(signal.FreqHz, off) <= first.NoiseFloor() ||
                first.PeakLevel(signal.FreqHz) > signal.PeakLevel);
    }
    QVERIFY(intermittent > 10);
}

QTEST_GUILESS_MAIN(TestSimActivity)
#include "tst_activity.moc"
