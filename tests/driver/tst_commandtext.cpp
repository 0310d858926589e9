#include "CommandText.h"

#include <QLocale>
#include <QTest>

#include <cmath>
#include <functional>
#include <limits>

using namespace Qt::StringLiterals;
using namespace CommandText;

using TBuild = std::function<std::optional<QString>()>;
Q_DECLARE_METATYPE(TBuild)
Q_DECLARE_METATYPE(TRxDat)
Q_DECLARE_METATYPE(TSearchList)

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Collects what a builder reports.
struct TReports {
    QStringList Texts;
    TReportFn Fn() {
        return [this](const QString& text) {
            Texts << text;
        };
    }
};

void Row(const char* name, const std::optional<QString>& expected, TBuild build) {
    QTest::newRow(name) << std::move(build) << expected.has_value() << expected.value_or(QString());
}

// The memory channel of the write example: channel 7, 145.5 MHz FM, text "repeater".
TRxDat RepeaterChannel() {
    TRxDat rec;
    rec.Channel = 7;
    rec.Freq = 145.5;
    rec.Step = u"12.500"_s;
    rec.Mode = 0;
    rec.Attenuator = 0;
    rec.Bandwidth = 2;
    rec.LowPass = 2;
    rec.HighPass = 0;
    rec.DeEmphasis = 1;
    rec.Agc = 1;
    rec.SubStep = 0;
    rec.Text = u"repeater"_s;
    rec.Antenna = 1;
    return rec;
}

TRxDat RepeaterChannelWith(const std::function<void(TRxDat&)>& change) {
    TRxDat rec = RepeaterChannel();
    change(rec);
    return rec;
}

} // namespace

class TestCommandText : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void builders_data();
    void builders();
    void formatHz_data();
    void formatHz();
    void stepHzText_data();
    void stepHzText();
    void receiverText_data();
    void receiverText();
    void writeMemory_data();
    void writeMemory();
    void writeSearchBank_data();
    void writeSearchBank();
    void decimalPointWhateverTheLocale();
};

void TestCommandText::builders_data() {
    QTest::addColumn<TBuild>("build");
    QTest::addColumn<bool>("sent");
    QTest::addColumn<QString>("text");
    const std::optional<QString> refused;

    Row("frequency", u"VA0145500000"_s, [] { return Frequency(u'A', 145.5, false); });
    Row("frequency padded", u"VA 0 1 4 5 5 0 0 0 0 0 "_s,
        [] { return Frequency(u'A', 145.5, true); });
    Row("frequency rounded, not cut", u"VB0145500000"_s,
        [] { return Frequency(u'B', 145.4999996, false); });
    Row("frequency lowest", u"VC0000010000"_s, [] { return Frequency(u'C', 0.01, false); });
    Row("frequency highest", u"VD2600000000"_s, [] { return Frequency(u'D', 2600.0, false); });
    Row("frequency above 2600", QString(), [] { return Frequency(u'A', 2600.5, false); });
    Row("frequency below 0.01", QString(), [] { return Frequency(u'A', 0.0099, true); });
    Row("frequency NaN", QString(), [] { return Frequency(u'A', kNaN, false); });

    Row("step 12.5", u"ST12500"_s, [] { return Step(12.5, false); });
    Row("step 0.001", u"ST1"_s, [] { return Step(0.001, false); });
    Row("step adjust", u"ST25000+"_s, [] { return Step(25.0, true); });
    Row("step 999", u"ST999000"_s, [] { return Step(999.0, false); });
    Row("step 999.001", refused, [] { return Step(999.001, false); });
    Row("step 1000", refused, [] { return Step(1000.0, false); });
    Row("step negative", refused, [] { return Step(-1.0, false); });

    Row("substep 9", u"SJ9"_s, [] { return SubStep(9); });
    Row("substep 10", u"SJA"_s, [] { return SubStep(10); });
    Row("substep 11", refused, [] { return SubStep(11); });
    Row("substep -1", refused, [] { return SubStep(-1); });
    Row("mode 7", u"MD7"_s, [] { return Mode(7); });
    Row("mode 8", refused, [] { return Mode(8); });
    Row("mode -1", refused, [] { return Mode(-1); });
    Row("bandwidth 6", u"BW6"_s, [] { return Bandwidth(6); });
    Row("bandwidth 7", refused, [] { return Bandwidth(7); });
    Row("auto mode", u"AU1"_s, [] { return AutoMode(1); });
    Row("antenna 4", u"AN4"_s, [] { return Antenna(4); });
    Row("antenna 5", refused, [] { return Antenna(5); });
    Row("attenuator 2", u"AT2"_s, [] { return Attenuator(2); });
    Row("attenuator auto", u"ATF"_s, [] { return Attenuator(3); });
    Row("attenuator 4", refused, [] { return Attenuator(4); });
    Row("agc 0", u"AC0"_s, [] { return Agc(0); });
    Row("agc off", u"ACF"_s, [] { return Agc(3); });
    Row("agc 4", refused, [] { return Agc(4); });
    Row("high-pass 3", u"HP3"_s, [] { return HighPass(3); });
    Row("high-pass 4", refused, [] { return HighPass(4); });
    Row("low-pass 3", u"LP3"_s, [] { return LowPass(3); });
    Row("low-pass -1", refused, [] { return LowPass(-1); });
    Row("de-emphasis 4", u"EN4"_s, [] { return DeEmphasis(4); });
    Row("de-emphasis 5", refused, [] { return DeEmphasis(5); });
    Row("ctcss 0", u"CN00"_s, [] { return Ctcss(0); });
    Row("ctcss 10", u"CN0A"_s, [] { return Ctcss(10); });
    Row("ctcss 55", u"CN37"_s, [] { return Ctcss(55); });
    Row("ctcss 56", refused, [] { return Ctcss(56); });
    Row("ctcss -1", refused, [] { return Ctcss(-1); });
    Row("descrambler 4", u"SC4"_s, [] { return Descrambler(4); });
    Row("descrambler 5", refused, [] { return Descrambler(5); });
    Row("afc on", u"AF1"_s, [] { return Afc(true); });
    Row("noise blanker off", u"NB0"_s, [] { return NoiseBlanker(false); });
    Row("volume 255", u"VL255"_s, [] { return Volume(255); });
    Row("volume 256", refused, [] { return Volume(256); });
    Row("squelch 0", u"RQ0"_s, [] { return Squelch(0); });
    Row("squelch -1", refused, [] { return Squelch(-1); });
    Row("level output on", u"LC1"_s, [] { return LevelOutput(true); });
    Row("level output off", u"LC0"_s, [] { return LevelOutput(false); });

    Row("vfo A", u"VA"_s, [] { return Vfo(u'A'); });
    Row("vfo e sent upper case", u"VE"_s, [] { return Vfo(u'e'); });
    Row("vfo F", refused, [] { return Vfo(u'F'); });
    Row("vfo M", refused, [] { return Vfo(u'M'); });
    Row("vfo search c", u"VSC"_s, [] { return VfoSearch(u'c'); });
    Row("vfo search X", refused, [] { return VfoSearch(u'X'); });

    Row("recall 5", u"MR005"_s, [] { return RecallMemory(5); });
    Row("recall 999", u"MR999"_s, [] { return RecallMemory(999); });
    Row("recall 1000", refused, [] { return RecallMemory(1000); });
    Row("recall -1", refused, [] { return RecallMemory(-1); });
    Row("clear bank 3", u"MQ%%3"_s, [] { return ClearMemoryBank(3); });
    Row("clear bank 10", refused, [] { return ClearMemoryBank(10); });
    Row("memory pass 1", u"MP1"_s, [] { return MemoryPass(1); });
    Row("memory pass 2", refused, [] { return MemoryPass(2); });
    Row("select scan 0", u"GA0"_s, [] { return SelectScan(0); });
    Row("bank 1", u"BN1"_s, [] { return Bank(1); });
    Row("bank 2", refused, [] { return Bank(2); });
    Row("auto-store 2", u"AS2"_s, [] { return AutoStore(2); });
    Row("auto-store 3", refused, [] { return AutoStore(3); });
    Row("block 0", u"MA0"_s, [] { return MemoryBlock(0); });
    Row("block 9", u"MA9"_s, [] { return MemoryBlock(9); });
    Row("block 10 continues", u"MA"_s, [] { return MemoryBlock(10); });
    Row("block 123 continues", u"MA"_s, [] { return MemoryBlock(123); });

    Row("memory scan 9", u"MS9"_s, [] { return MemoryScan(9); });
    Row("memory scan 10", refused, [] { return MemoryScan(10); });
    Row("scan group 0", u"GM0"_s, [] { return ScanGroup(0); });
    Row("scan group 10", refused, [] { return ScanGroup(10); });
    Row("search group 9", u"GS9"_s, [] { return SearchGroup(9); });
    Row("search group -1", refused, [] { return SearchGroup(-1); });
    Row("scan mode 4", u"XM4"_s, [] { return ScanMode(4); });
    Row("scan mode 5", u"XMF"_s, [] { return ScanMode(5); });
    Row("scan mode 6", refused, [] { return ScanMode(6); });
    Row("scan link", u"ML1"_s, [] { return ScanLink(1); });
    Row("search link", u"BQ0"_s, [] { return SearchLink(0); });
    Row("scan delay 99", u"XD99"_s, [] { return ScanDelay(99); });
    Row("scan delay 100", refused, [] { return ScanDelay(100); });
    Row("search delay 99", u"SD99"_s, [] { return SearchDelay(99); });
    Row("search delay hold", u"SDFF"_s, [] { return SearchDelay(255); });
    Row("search delay 100", refused, [] { return SearchDelay(100); });
    Row("scan level 255", u"XB255"_s, [] { return ScanLevel(255); });
    Row("scan level 256", refused, [] { return ScanLevel(256); });
    Row("search level 0", u"SB0"_s, [] { return SearchLevel(0); });
    Row("scan voice 0", u"XA0"_s, [] { return ScanVoice(0); });
    Row("search voice 256", refused, [] { return SearchVoice(256); });
    Row("scan pause 60", u"XP60"_s, [] { return ScanPause(60); });
    Row("scan pause 61", refused, [] { return ScanPause(61); });
    Row("search pause 0", u"SP0"_s, [] { return SearchPause(0); });
    Row("link banks", u"BM 0 1"_s, [] { return ScanLinkBanks(u"01--------"_s); });
    Row("link banks spaced", u"BM 1 2 3"_s, [] { return ScanLinkBanks(u" 1 2-3"_s); });
    Row("link banks none", u"BM"_s, [] { return ScanLinkBanks(QString()); });
    Row("link banks bad character", refused, [] { return ScanLinkBanks(u"01x"_s); });
    Row("search link banks", u"BS0 1"_s, [] { return SearchLinkBanks(u"0 1"_s); });
    Row("start search 3", u"SS03"_s, [] { return StartSearch(3); });
    Row("start search 19", u"SS19"_s, [] { return StartSearch(19); });
    Row("start search 20", refused, [] { return StartSearch(20); });
    Row("delete search bank 0", u"QS00"_s, [] { return DeleteSearchBank(0); });
    Row("delete search bank -1", refused, [] { return DeleteSearchBank(-1); });
    Row("search list current", u"SR"_s, [] { return SearchList(kCurrentSearchBank); });
    Row("search list 5", u"SR 05"_s, [] { return SearchList(5); });
    Row("level squelch 255", u"DB255"_s, [] { return LevelSquelch(255); });
    Row("level squelch 256", refused, [] { return LevelSquelch(256); });
    Row("voice squelch 0", u"DA0"_s, [] { return VoiceSquelch(0); });
    Row("delay 99", u"DD99"_s, [] { return Delay(99); });
    Row("delay 100", refused, [] { return Delay(100); });
    Row("cyber scan", u"DS1"_s, [] { return CyberScan(1); });
    Row("dtmf output", u"QM0"_s, [] { return DtmfOutput(0); });
    Row("pass list 3", u"PR03"_s, [] { return ReadPassList(3); });
    Row("pass list vfo", u"PR20"_s, [] { return ReadPassList(20); });
    Row("pass list 21", refused, [] { return ReadPassList(21); });
    Row("add pass", u"PS0145500000"_s, [] { return AddPass(145.5); });
    Row("delete pass 3 7", u"PD0307"_s, [] { return DeletePass(3, 7); });
    Row("delete pass 20 99", u"PD2099"_s, [] { return DeletePass(20, 99); });
    Row("delete pass bank 21", refused, [] { return DeletePass(21, 0); });
    Row("delete pass index 100", refused, [] { return DeletePass(0, 100); });
    Row("delete pass bank 2", u"PD%%02"_s, [] { return DeletePassBank(2); });
    Row("delete pass bank 21 all", refused, [] { return DeletePassBank(21); });
}

void TestCommandText::builders() {
    QFETCH(TBuild, build);
    QFETCH(bool, sent);
    QFETCH(QString, text);

    const std::optional<QString> command = build();
    QCOMPARE(command.has_value(), sent);
    if (sent)
        QCOMPARE(*command, text);
}

void TestCommandText::formatHz_data() {
    QTest::addColumn<double>("mhz");
    QTest::addColumn<QString>("hz");
    QTest::addColumn<bool>("reported");

    QTest::newRow("145.5") << 145.5 << u"0145500000"_s << false;
    QTest::newRow("zero") << 0.0 << u"0000000000"_s << false;
    QTest::newRow("widest") << 9999.999999 << u"9999999999"_s << false;
    QTest::newRow("eleven digits") << 10000.0 << u"0000100000"_s << true;
    QTest::newRow("negative") << -0.5 << u"0000100000"_s << true;
    QTest::newRow("NaN") << kNaN << u"0000100000"_s << true;
    QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << u"0000100000"_s << true;
}

void TestCommandText::formatHz() {
    QFETCH(double, mhz);
    QFETCH(QString, hz);
    QFETCH(bool, reported);

    TReports reports;
    QCOMPARE(FormatHz(mhz, reports.Fn()), hz);
    QCOMPARE(reports.Texts,
             reported ? QStringList{u" Cannot format float to string"_s} : QStringList());
}

void TestCommandText::stepHzText_data() {
    QTest::addColumn<QString>("stepKHz");
    QTest::addColumn<bool>("stepAdjust");
    QTest::addColumn<QString>("hz");
    QTest::addColumn<bool>("reported");

    QTest::newRow("12.500") << u"12.500"_s << false << u"12500"_s << false;
    QTest::newRow(".500") << u".500"_s << false << u"500"_s << false;
    QTest::newRow("0.001") << u"0.001"_s << false << u"1"_s << false;
    QTest::newRow("step adjust") << u"25.000"_s << true << u"25000+"_s << false;
    QTest::newRow("not a number") << u"abc"_s << true << u"000100"_s << true;
    QTest::newRow("empty") << QString() << false << u"000100"_s << true;
    QTest::newRow("decimal comma") << u"12,500"_s << false << u"000100"_s << true;
}

void TestCommandText::stepHzText() {
    QFETCH(QString, stepKHz);
    QFETCH(bool, stepAdjust);
    QFETCH(QString, hz);
    QFETCH(bool, reported);

    TReports reports;
    QCOMPARE(StepHzText(stepKHz, stepAdjust, reports.Fn()), hz);
    QCOMPARE(reports.Texts, reported ? QStringList{u" Conversion error"_s} : QStringList());
}

void TestCommandText::receiverText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("sent");

    QTest::newRow("upper-cased") << u"repeater"_s << u"REPEATER"_s;
    QTest::newRow("brace") << u"ab{c"_s << u"AB-C"_s;
    QTest::newRow("empty") << QString() << u" "_s;
    QTest::newRow("range ends kept") << u" _@^"_s << u" _@^"_s;
    QTest::newRow("backquote and tilde") << u"a`b~"_s << u"A-B-"_s;
    QTest::newRow("control character") << u"a\tb"_s << u"A-B"_s;
    QTest::newRow("accented letter") << u"caf\u00e9"_s << u"CAF-"_s;
    QTest::newRow("sharp s stays one character") << u"stra\u00dfe"_s << u"STRA-E"_s;
    QTest::newRow("outside the basic plane") << u"a\U0001F4FBb"_s << u"A-B"_s;
}

void TestCommandText::receiverText() {
    QFETCH(QString, text);
    QFETCH(QString, sent);
    QCOMPARE(ReceiverText(text), sent);
}

void TestCommandText::writeMemory_data() {
    QTest::addColumn<TRxDat>("rec");
    QTest::addColumn<int>("firmwareId");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("reports");

    const TRxDat outOfRange = RepeaterChannelWith([](TRxDat& r) {
        r.LowPass = 4;
        r.HighPass = -1;
        r.DeEmphasis = 5;
        r.Agc = 4;
        r.SubStep = 11;
        r.Antenna = 5;
    });

    QTest::newRow("later firmware")
        << RepeaterChannel() << 1
        << QStringList{u"MX007 MP0 RF0145500000 ST12500 MD0 AT0 BW2 LP2 HP0 EN1 AC1 SJ0 TMREPEATER"_s,
                       u"AN1"_s, u"GA0"_s}
        << QStringList();
    QTest::newRow("early firmware")
        << RepeaterChannel() << 0
        << QStringList{u"MX007 MP0 RF0145500000 ST12500 MD0 AT0 BW2 TMREPEATER"_s,
                       u"LP2"_s,
                       u"HP0"_s,
                       u"EN1"_s,
                       u"AC1"_s,
                       u"SJ0"_s,
                       u"AN1"_s,
                       u"GA0"_s}
        << QStringList();
    QTest::newRow("letter values and flags")
        << RepeaterChannelWith([](TRxDat& r) {
               r.Channel = 999;
               r.Agc = 3;
               r.SubStep = 10;
               r.Attenuator = 3;
               r.StepAdjust = true;
               r.MemoryPass = true;
               r.SelectScan = true;
               r.Text.clear();
           })
        << 2
        << QStringList{u"MX999 MP1 RF0145500000 ST12500+ MD0 ATF BW2 LP2 HP0 EN1 ACF SJA TM "_s,
                       u"AN1"_s, u"GA1"_s}
        << QStringList();
    QTest::newRow("early firmware letter values")
        << RepeaterChannelWith([](TRxDat& r) {
               r.Agc = 3;
               r.SubStep = 10;
           })
        << 0
        << QStringList{u"MX007 MP0 RF0145500000 ST12500 MD0 AT0 BW2 TMREPEATER"_s,
                       u"LP2"_s,
                       u"HP0"_s,
                       u"EN1"_s,
                       u"ACF"_s,
                       u"SJA"_s,
                       u"AN1"_s,
                       u"GA0"_s}
        << QStringList();
    QTest::newRow("later firmware out of range left out")
        << outOfRange << 1
        << QStringList{u"MX007 MP0 RF0145500000 ST12500 MD0 AT0 BW2 TMREPEATER"_s, u"GA0"_s}
        << QStringList();
    QTest::newRow("early firmware out of range left out")
        << outOfRange << 0
        << QStringList{u"MX007 MP0 RF0145500000 ST12500 MD0 AT0 BW2 TMREPEATER"_s, u"GA0"_s}
        << QStringList();
    QTest::newRow("unreadable step and frequency")
        << RepeaterChannelWith([](TRxDat& r) {
               r.Step = u"?"_s;
               r.Freq = kNaN;
               r.Text = u"ab{c"_s;
           })
        << 1
        << QStringList{u"MX007 MP0 RF0000100000 ST000100 MD0 AT0 BW2 LP2 HP0 EN1 AC1 SJ0 TMAB-C"_s,
                       u"AN1"_s, u"GA0"_s}
        << QStringList{u" Cannot format float to string"_s, u" Conversion error"_s};
}

void TestCommandText::writeMemory() {
    QFETCH(TRxDat, rec);
    QFETCH(int, firmwareId);
    QFETCH(QStringList, lines);
    QFETCH(QStringList, reports);

    TReports reported;
    QCOMPARE(WriteMemory(rec, firmwareId, reported.Fn()), lines);
    QCOMPARE(reported.Texts, reports);
}

void TestCommandText::writeSearchBank_data() {
    QTest::addColumn<TSearchList>("list");
    QTest::addColumn<int>("bandwidth");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("reports");

    TSearchList airband;
    airband.Bank = 3;
    airband.Lower = 144.0;
    airband.Upper = 146.0;
    airband.Step = u"12.500"_s;
    airband.Text = u"airband"_s;
    QTest::newRow("bank 3") << airband << 2
                            << u"SE03 SL0144000000 SU0146000000 ST12500 AT0 BW2 MD0 TTAIRBAND"_s
                            << QStringList();

    TSearchList wide = airband;
    wide.Bank = 12;
    wide.Upper = 2600.0;
    wide.StepAdjust = true;
    wide.Attenuator = 3;
    wide.Mode = 7;
    wide.Text.clear();
    QTest::newRow("bank 12, auto attenuator, no text")
        << wide << 6 << u"SE12 SL0144000000 SU2600000000 ST12500+ ATF BW6 MD7 TT "_s
        << QStringList();

    TSearchList broken = airband;
    broken.Upper = kNaN;
    broken.Step = u"x"_s;
    QTest::newRow("unreadable upper and step")
        << broken << 2 << u"SE03 SL0144000000 SU0000100000 ST000100 AT0 BW2 MD0 TTAIRBAND"_s
        << QStringList{u" Cannot format float to string"_s, u" Conversion error"_s};
}

void TestCommandText::writeSearchBank() {
    QFETCH(TSearchList, list);
    QFETCH(int, bandwidth);
    QFETCH(QString, line);
    QFETCH(QStringList, reports);

    TReports reported;
    QCOMPARE(WriteSearchBank(list, bandwidth, reported.Fn()), line);
    QCOMPARE(reported.Texts, reports);
}

void TestCommandText::decimalPointWhateverTheLocale() {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(Frequency(u'A', 145.5, false), u"VA0145500000"_s);
    QCOMPARE(Step(12.5, false).value_or(QString()), u"ST12500"_s);
    TReports reports;
    QCOMPARE(StepHzText(u"12.500"_s, false, reports.Fn()), u"12500"_s);
    QVERIFY(reports.Texts.isEmpty());
}

QTEST_GUILESS_MAIN(TestCommandText)
#include "tst_commandtext.moc"
