#include "Levels.h"

#include <QTest>

#include <limits>

using namespace Qt::StringLiterals;

namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
}

class TestLevels : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { MeterAttenuationDb = 0; }
    void cleanup() { MeterAttenuationDb = 0; }

    void levelToDbm_data();
    void levelToDbm();
    void sUnitText_data();
    void sUnitText();
    void levelToSUnits_data();
    void levelToSUnits();
    void levelToSUnitsFailure();
    void attenuationFromIndex_data();
    void attenuationFromIndex();
};

void TestLevels::levelToDbm_data() {
    QTest::addColumn<int>("level");
    QTest::addColumn<double>("mhz");
    QTest::addColumn<int>("attenuationDb");
    QTest::addColumn<int>("dbm");

    QTest::newRow("level 0 at 145 MHz") << 0 << 145.0 << 0 << -112;
    QTest::newRow("level 97 rounds down to -94") << 97 << 145.0 << 0 << -94;
    QTest::newRow("level 98 rounds up to -93") << 98 << 145.0 << 0 << -93;
    QTest::newRow("level 255") << 255 << 1000.0 << 0 << -12;
    QTest::newRow("30 MHz gets 10 dB") << 0 << 30.0 << 0 << -102;
    QTest::newRow("just above 30 MHz") << 0 << 30.001 << 0 << -112;
    QTest::newRow("attenuated below 230 MHz") << 0 << 229.9 << 10 << -92;
    QTest::newRow("attenuated at 230 MHz") << 0 << 230.0 << 10 << -102;
    QTest::newRow("attenuated short wave adds 10 once") << 0 << 10.0 << 20 << -82;
    QTest::newRow("frequency NaN") << 0 << kNaN << 0 << kLevelError;
    QTest::newRow("level beyond any int result")
        << std::numeric_limits<int>::max() << 145.0 << 0 << kLevelError;
}

void TestLevels::levelToDbm() {
    QFETCH(int, level);
    QFETCH(double, mhz);
    QFETCH(int, attenuationDb);
    QFETCH(int, dbm);

    MeterAttenuationDb = attenuationDb;
    QCOMPARE(LevelToDbm(level, mhz), dbm);
}

void TestLevels::sUnitText_data() {
    QTest::addColumn<int>("dbm");
    QTest::addColumn<double>("mhz");
    QTest::addColumn<QString>("text");

    QTest::newRow("short wave S9") << -73 << 30.0 << u"S9 +0dB"_s;
    QTest::newRow("short wave S8 top") << -74 << 30.0 << u"S8"_s;
    QTest::newRow("short wave S8 bottom") << -79 << 30.0 << u"S8"_s;
    QTest::newRow("short wave S7 top") << -80 << 30.0 << u"S7"_s;
    QTest::newRow("short wave S7 bottom") << -85 << 30.0 << u"S7"_s;
    QTest::newRow("short wave S6") << -86 << 30.0 << u"S6"_s;
    QTest::newRow("short wave S2 bottom") << -115 << 30.0 << u"S2"_s;
    QTest::newRow("short wave S1") << -116 << 30.0 << u"S1"_s;
    QTest::newRow("short wave far below") << -140 << 30.0 << u"S1"_s;
    QTest::newRow("short wave above S9") << -60 << 14.0 << u"S9 +13dB"_s;
    QTest::newRow("VHF S9") << -93 << 30.001 << u"S9 +0dB"_s;
    QTest::newRow("VHF S8") << -94 << 145.0 << u"S8"_s;
    QTest::newRow("VHF above S9") << -60 << 145.0 << u"S9 +33dB"_s;
    QTest::newRow("VHF S2 bottom") << -135 << 145.0 << u"S2"_s;
    QTest::newRow("VHF S1") << -136 << 145.0 << u"S1"_s;
}

void TestLevels::sUnitText() {
    QFETCH(int, dbm);
    QFETCH(double, mhz);
    QFETCH(QString, text);
    QCOMPARE(SUnitText(dbm, mhz), text);
}

void TestLevels::levelToSUnits_data() {
    QTest::addColumn<int>("level");
    QTest::addColumn<double>("mhz");
    QTest::addColumn<double>("currentMhz");
    QTest::addColumn<int>("dbm");
    QTest::addColumn<double>("microVolts");
    QTest::addColumn<QString>("text");

    // Microvolts into 50 ohms: sqrt(10^(dBm/10) mW x 50 ohm).
    QTest::newRow("-93 dBm at 145 MHz") << 98 << 145.0 << 0.0 << -93 << 5.00593 << u"S9 +0dB"_s;
    QTest::newRow("-94 dBm at 145 MHz") << 97 << 145.0 << 0.0 << -94 << 4.46154 << u"S8"_s;
    QTest::newRow("no frequency uses the current one")
        << 97 << 0.0 << 145.0 << -94 << 4.46154 << u"S8"_s;
    QTest::newRow("current frequency on short wave")
        << 97 << 0.0 << 20.0 << -84 << 14.10864 << u"S7"_s;
    QTest::newRow("given frequency wins over current")
        << 97 << 20.0 << 145.0 << -84 << 14.10864 << u"S7"_s;
    QTest::newRow("strong short wave signal")
        << 255 << 20.0 << 0.0 << -2 << 177617.19293 << u"S9 +71dB"_s;
}

void TestLevels::levelToSUnits() {
    QFETCH(int, level);
    QFETCH(double, mhz);
    QFETCH(double, currentMhz);
    QFETCH(int, dbm);
    QFETCH(double, microVolts);
    QFETCH(QString, text);

    TSUnits units;
    QVERIFY(LevelToSUnits(level, mhz, currentMhz, units));
    QCOMPARE(units.Dbm, dbm);
    QVERIFY2(qAbs(units.MicroVolts - microVolts) < 1e-4 * microVolts,
             qPrintable(QString::number(units.MicroVolts)));
    QCOMPARE(units.Text, text);
}

void TestLevels::levelToSUnitsFailure() {
    TSUnits units;
    units.Text = u"S5"_s;
    QVERIFY(!LevelToSUnits(0, kNaN, 145.0, units));
    QVERIFY(!LevelToSUnits(0, 0.0, kNaN, units));
    QCOMPARE(units.Text, u"S5"_s);
}

void TestLevels::attenuationFromIndex_data() {
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("after");

    QTest::newRow("0") << 20 << 0 << 0;
    QTest::newRow("1") << 0 << 1 << 10;
    QTest::newRow("2") << 0 << 2 << 20;
    QTest::newRow("auto keeps it") << 10 << 3 << 10;
    QTest::newRow("negative keeps it") << 20 << -1 << 20;
}

void TestLevels::attenuationFromIndex() {
    QFETCH(int, before);
    QFETCH(int, index);
    QFETCH(int, after);

    MeterAttenuationDb = before;
    SetMeterAttenuationFromIndex(index);
    QCOMPARE(MeterAttenuationDb, after);
}

QTEST_GUILESS_MAIN(TestLevels)
#include "tst_levels.moc"
