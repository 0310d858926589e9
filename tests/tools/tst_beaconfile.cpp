// The beacon file and the schedule it gives, without a window.
#include "BeaconFile.h"
#include "BeaconSchedule.h"

#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QByteArray kFrequencies = "[Frequencies]\r\nF1=14.100\r\nF2=18.110\r\nF3=21.150\r\n";

QByteArray Beacon(const QByteArray& call, const QByteArray& slots, const QByteArray& extra = {}) {
    const QList<QByteArray> starts = slots.split(',');
    QByteArray text = "[" + call + "]\r\n" + extra;
    const char* keys[] = {"TIME14", "TIME18", "TIME21", "TIME24", "TIME28"};
    for (qsizetype i = 0; i < starts.size(); ++i)
        text += QByteArray(keys[i]) + "=" + starts[i] + "\r\n";
    return text + "X=10\r\nY=20\r\n";
}

} // namespace

class TestBeaconFile : public QObject {
    Q_OBJECT

private:
    QTemporaryDir FDir;

    QString Write(const QByteArray& text) {
        static int count = 0;
        const QString name = FDir.filePath(u"beacons%1.dat"_s.arg(++count));
        QFile file(name);
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
            qFatal("cannot write %s", qPrintable(name));
        return name;
    }

private Q_SLOTS:
    void ReadsColumnsDecidedByTheFirstBeacon() {
        const QString name = Write(
            kFrequencies + Beacon("K1AA", "0,10,20,30,40", "Location=Here\r\nowner=Someone\r\n") +
            Beacon("k2bb", " 5 ,15,25,35,45", "Grid=FN20\r\nOWNER=Other\r\nLOCATION=There\r\n"));
        const TBeaconFileResult read = ReadBeaconFile(name);
        QVERIFY2(read.List, qPrintable(read.Error));
        QCOMPARE(read.List->Frequencies, (QStringList{u"14.100"_s, u"18.110"_s, u"21.150"_s}));
        QCOMPARE(read.List->DetailNames, (QStringList{u"LOCA"_s, u"OWNE"_s}));
        QCOMPARE(read.List->Beacons.size(), 2);
        const TBeacon& second = read.List->Beacons[1];
        QCOMPARE(second.CallSign, u"k2bb"_s);
        // In the first beacon's column order; its own extra column is not shown.
        QCOMPARE(second.Details, (QStringList{u"There"_s, u"Other"_s}));
        QCOMPARE(second.SlotStarts, (std::array<int, kBeaconBands>{5, 15, 25, 35, 45}));
        QCOMPARE(second.Position, QPoint(10, 20));
    }

    void RefusesABrokenFileNamingWhere_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("named");
        const QByteArray good = Beacon("K1AA", "0,10,20,30,40");
        QTest::newRow("no file") << QByteArray() << u"does not exist"_s;
        QTest::newRow("no sections") << QByteArray("; nothing\r\n") << u"[Frequencies]"_s;
        QTest::newRow("beacon first") << good + kFrequencies << u"[Frequencies]"_s;
        QTest::newRow("no beacon") << kFrequencies << u"no beacon"_s;
        QTest::newRow("no frequency") << "[Frequencies]\r\n" + good << u"no frequency"_s;
        QTest::newRow("frequency not a number")
            << "[Frequencies]\r\nF1=14.1x\r\n" + good << u"F1=14.1x"_s;
        QTest::newRow("six frequencies")
            << "[Frequencies]\r\nA=1\r\nB=2\r\nC=3\r\nD=4\r\nE=5\r\nF=6\r\n" + good
            << u"6 frequencies"_s;
        QTest::newRow("slot not a number")
            << kFrequencies + Beacon("K2BB", "0,10,2O,30,40") << u"[K2BB] TIME21=2O"_s;
        QTest::newRow("slot 180") << kFrequencies + Beacon("K2BB", "0,10,20,30,180")
                                  << u"[K2BB] TIME28=180 is outside 0..179"_s;
        QTest::newRow("slot negative")
            << kFrequencies + Beacon("K2BB", "-1,10,20,30,40") << u"[K2BB] TIME14=-1"_s;
        QTest::newRow("slot missing")
            << kFrequencies + Beacon("K2BB", "0,10,20,30") << u"[K2BB] has no TIME28"_s;
        QTest::newRow("X not a number")
            << kFrequencies + good +
                   "[K3CC]\r\nTIME14=0\r\nTIME18=0\r\n"
                   "TIME21=0\r\nTIME24=0\r\nTIME28=0\r\nX=1.5\r\nY=2\r\n"
            << u"[K3CC] X=1.5"_s;
        QTest::newRow("Y missing") << kFrequencies + good +
                                          "[K3CC]\r\nTIME14=0\r\nTIME18=0\r\n"
                                          "TIME21=0\r\nTIME24=0\r\nTIME28=0\r\nX=1\r\n"
                                   << u"[K3CC] has no Y"_s;
        QTest::newRow("call sign twice")
            << kFrequencies + good + Beacon("k1aa", "1,2,3,4,5") << u"[k1aa] appears twice"_s;
    }
    void RefusesABrokenFileNamingWhere() {
        QFETCH(QByteArray, text);
        QFETCH(QString, named);
        const QString name = text.isEmpty() ? FDir.filePath(u"absent.dat"_s) : Write(text);
        const TBeaconFileResult read = ReadBeaconFile(name);
        QVERIFY(!read.List);
        QVERIFY2(read.Error.contains(named), qPrintable(read.Error));
    }

    // The file shipped with the program: one beacon a slot on every band, each one slot later on
    // the next band up, and every beacon on the map picture shipped with it.
    void ShippedScheduleIsWholeAndOnTheMap() {
        const TBeaconFileResult read = ReadBeaconFile(u":/beacons/IARU_Beacons.dat"_s);
        QVERIFY2(read.List, qPrintable(read.Error));
        const TBeaconList& list = *read.List;
        QCOMPARE(list.Frequencies,
                 (QStringList{u"14.100"_s, u"18.110"_s, u"21.150"_s, u"24.930"_s, u"28.200"_s}));
        QCOMPARE(list.DetailNames, QStringList{u"LOCA"_s});
        QCOMPARE(list.Beacons.size(), 18);
        QCOMPARE(list.Beacons.first().CallSign, u"4U1UN"_s);
        const QImage map(u":/beacons/worldmap.png"_s);
        QVERIFY(!map.isNull());
        for (int band = 0; band < kBeaconBands; ++band) {
            for (int second = 0; second < kBeaconCycleSeconds; second += kBeaconSlotSeconds) {
                const int on = BeaconOnAir(list.Beacons, band, second);
                QVERIFY(on >= 0);
                // No other beacon shares the slot.
                const auto sharing = static_cast<int>(std::count_if(
                    list.Beacons.cbegin(), list.Beacons.cend(), [&](const TBeacon& b) {
                        return b.SlotStarts[static_cast<std::size_t>(band)] == second;
                    }));
                QCOMPARE(sharing, 1);
                if (band > 0) {
                    const int below =
                        BeaconOnAir(list.Beacons, band - 1,
                                    (second + kBeaconCycleSeconds - 10) % kBeaconCycleSeconds);
                    QCOMPARE(on, below);
                }
            }
        }
        for (const TBeacon& beacon : list.Beacons) {
            QVERIFY2(map.valid(beacon.Position), qPrintable(beacon.CallSign));
            QVERIFY(!beacon.Details.first().isEmpty());
        }
    }

    void FindsTheBeaconOnTheAir_data() {
        QTest::addColumn<double>("secondsOfDay");
        QTest::addColumn<int>("band");
        QTest::addColumn<int>("expected");
        // 12:00:00 is 43200 s, a whole number of cycles.
        QTest::newRow("12:00:05 first slot") << 43205.0 << 0 << 0;
        QTest::newRow("12:00:09 still first") << 43209.0 << 0 << 0;
        QTest::newRow("12:00:09.6 rounds to 10") << 43209.6 << 0 << 1;
        QTest::newRow("12:00:10 second") << 43210.0 << 0 << 1;
        QTest::newRow("overlap: earlier in file wins") << 43215.0 << 0 << 1;
        QTest::newRow("12:00:22 nobody") << 43222.0 << 0 << -1;
        QTest::newRow("third frequency uses TIME21") << 43230.0 << 2 << 0;
        QTest::newRow("last second of the cycle") << 43379.0 << 0 << 3;
        QTest::newRow("cycle wraps at midnight") << 86399.6 << 0 << 0;
        QTest::newRow("no such column") << 43205.0 << 5 << -1;
    }
    void FindsTheBeaconOnTheAir() {
        QFETCH(double, secondsOfDay);
        QFETCH(int, band);
        QFETCH(int, expected);
        QList<TBeacon> beacons(4);
        beacons[0].SlotStarts = {0, 10, 30, 30, 40};
        beacons[1].SlotStarts = {10, 20, 0, 40, 50};
        beacons[2].SlotStarts = {12, 30, 10, 50, 60}; // overlaps the second on 14.100
        beacons[3].SlotStarts = {170, 0, 20, 60, 70};
        QCOMPARE(BeaconOnAir(beacons, band, CycleSecond(secondsOfDay)), expected);
    }
};

QTEST_GUILESS_MAIN(TestBeaconFile)
#include "tst_beaconfile.moc"
