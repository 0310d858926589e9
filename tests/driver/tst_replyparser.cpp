#include "Levels.h"
#include "ReplyParser.h"

#include <QLocale>
#include <QTest>

#include <functional>

using namespace Qt::StringLiterals;

using TParse = std::function<bool(const TReplyParser&, const QString&, TRxDat&)>;
using TConvert = std::function<double(const TReplyParser&, const QString&)>;
Q_DECLARE_METATYPE(TParse)
Q_DECLARE_METATYPE(TConvert)
Q_DECLARE_METATYPE(TRxDat)
Q_DECLARE_METATYPE(TSearchList)
Q_DECLARE_METATYPE(TScanGroupDat)
Q_DECLARE_METATYPE(TSearchGroupDat)

// Failure output for QCOMPARE on records.
char* toString(const TRxDat& r) {
    const QString text =
        u"Vfo %1 Freq %2 Step '%3'%4 Mode %5 BW %6 AU %7 AN %8%9 AT %10%11 AC %12 HP %13 LP %14 "
        u"EN %15 SJ %16 MP %17 GA %18 Text '%19' Ch %20 Level '%21'%22 Empty %23 CN %24 SC %25"_s
            .arg(r.Vfo)
            .arg(r.Freq, 0, 'f', 6)
            .arg(r.Step, r.StepAdjust ? u"+"_s : QString())
            .arg(r.Mode)
            .arg(r.Bandwidth)
            .arg(r.AutoMode)
            .arg(r.Antenna)
            .arg(r.AntennaAuto ? u" auto"_s : QString())
            .arg(r.Attenuator)
            .arg(r.AttenuatorAuto ? u" auto"_s : QString())
            .arg(r.Agc)
            .arg(r.HighPass)
            .arg(r.LowPass)
            .arg(r.DeEmphasis)
            .arg(r.SubStep)
            .arg(r.MemoryPass)
            .arg(r.SelectScan)
            .arg(r.Text)
            .arg(r.Channel)
            .arg(r.Level, r.SquelchClosed ? u" closed"_s : QString())
            .arg(r.Empty)
            .arg(r.Ctcss)
            .arg(r.Descrambler);
    return qstrdup(text.toUtf8().constData());
}

namespace {

// A parser whose reports are collected.
struct TFixture {
    QStringList Reports;
    TReplyParser Parser{[this](const QString& text) {
        Reports << text;
    }};
};

// A record in which every field differs from what the replies below carry, so that a field a
// parse must leave alone shows when it was touched.
TRxDat Before() {
    TRxDat r;
    r.Vfo = 1;
    r.Freq = 1.5;
    r.Step = u"9.000"_s;
    r.StepAdjust = true;
    r.Mode = 4;
    r.Bandwidth = 5;
    r.AutoMode = true;
    r.Antenna = 3;
    r.AntennaAuto = true;
    r.Attenuator = 2;
    r.AttenuatorAuto = true;
    r.Agc = 2;
    r.HighPass = 2;
    r.LowPass = 2;
    r.DeEmphasis = 3;
    r.SubStep = 7;
    r.MemoryPass = true;
    r.SelectScan = true;
    r.Text = u"OLD"_s;
    r.Channel = 555;
    r.Level = u"77"_s;
    r.SquelchClosed = true;
    r.Empty = true;
    r.Ctcss = 44;
    r.Descrambler = 3;
    return r;
}

TRxDat After(const std::function<void(TRxDat&)>& change) {
    TRxDat r = Before();
    change(r);
    return r;
}

// Before() with the VFO fields of a reply.
TRxDat Vfo(std::uint8_t code, double mhz, const QString& step, bool adjust, bool autoMode,
           int mode) {
    return After([&](TRxDat& r) {
        r.Vfo = code;
        r.Freq = mhz;
        r.Step = step;
        r.StepAdjust = adjust;
        r.AutoMode = autoMode;
        r.Mode = mode;
    });
}

QString IntError(const QString& text) {
    return u"StrToInt Conversion error, tried to convert "_s + text;
}

QString FloatError(const QString& text) {
    return u"StrToFloat Conversion error, tried to convert "_s + text;
}

} // namespace

class TestReplyParser : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { MeterAttenuationDb = 0; }
    void cleanup() {
        MeterAttenuationDb = 0;
        QLocale::setDefault(QLocale::c());
    }

    void field_data();
    void field();
    void safeConversions_data();
    void safeConversions();
    void conversionsWithoutReportFunction();
    void vfoReply_data();
    void vfoReply();
    void memoryReply_data();
    void memoryReply();
    void singleFields_data();
    void singleFields();
    void attenuatorSetsMeter_data();
    void attenuatorSetsMeter();
    void searchBank_data();
    void searchBank();
    void scanGroup_data();
    void scanGroup();
    void searchGroup_data();
    void searchGroup();
    void pass_data();
    void pass();
    void formatStepKHz_data();
    void formatStepKHz();
};

void TestReplyParser::field_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("mnemonic");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("value");

    QTest::newRow("inside the line")
        << u"VA RF0145500000 ST025000  AU0 MD0"_s << u"ST"_s << 6 << true << u"025000"_s;
    QTest::newRow("first occurrence") << u"XX MD1 MD2"_s << u"MD"_s << 1 << true << u"1"_s;
    QTest::newRow("absent") << u"VA RF0145500000"_s << u"MD"_s << 1 << false << QString();
    QTest::newRow("nothing after it") << u"VA MD"_s << u"MD"_s << 1 << false << QString();
    QTest::newRow("too short") << u"RF014550"_s << u"RF"_s << 10 << false << QString();
}

void TestReplyParser::field() {
    QFETCH(QString, line);
    QFETCH(QString, mnemonic);
    QFETCH(int, count);
    QFETCH(bool, found);
    QFETCH(QString, value);

    const std::optional<QString> text = TReplyParser::Field(line, mnemonic, count);
    QCOMPARE(text.has_value(), found);
    if (found)
        QCOMPARE(*text, value);
}

void TestReplyParser::safeConversions_data() {
    QTest::addColumn<TConvert>("convert");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("report");

    const TConvert toInt = [](const TReplyParser& p, const QString& t) {
        return p.StrToIntSafe(t);
    };
    const TConvert toFloat = [](const TReplyParser& p, const QString& t) {
        return p.StrToFloatSafe(t);
    };
    const TConvert hex = [](const TReplyParser& p, const QString& t) {
        return p.HexToIntSafe(t);
    };

    QTest::newRow("int") << toInt << u"42"_s << 42.0 << QString();
    QTest::newRow("int plus sign") << toInt << u"+050"_s << 50.0 << QString();
    QTest::newRow("int leading blank") << toInt << u" 000"_s << 0.0 << QString();
    QTest::newRow("int negative") << toInt << u"-7"_s << -7.0 << QString();
    QTest::newRow("int garbage") << toInt << u"4x"_s << 0.0 << IntError(u"4x"_s);
    QTest::newRow("int fraction") << toInt << u"0.5"_s << 0.0 << IntError(u"0.5"_s);
    QTest::newRow("int empty") << toInt << QString() << 0.0 << IntError(u"Null string"_s);
    QTest::newRow("int too large") << toInt << u"2147483648"_s << 0.0 << IntError(u"2147483648"_s);
    QTest::newRow("float") << toFloat << u"2.5"_s << 2.5 << QString();
    QTest::newRow("float ten digits") << toFloat << u"0145500000"_s << 145500000.0 << QString();
    QTest::newRow("float comma") << toFloat << u"1,5"_s << 0.0 << FloatError(u"1,5"_s);
    QTest::newRow("float NaN") << toFloat << u"nan"_s << 0.0 << FloatError(u"nan"_s);
    QTest::newRow("float empty") << toFloat << QString() << 0.0 << FloatError(u"Null string"_s);
    QTest::newRow("hex FF") << hex << u"FF"_s << 255.0 << QString();
    QTest::newRow("hex lower case") << hex << u"0a"_s << 10.0 << QString();
    QTest::newRow("hex garbage") << hex << u"0G"_s << 0.0 << IntError(u"0G"_s);
    QTest::newRow("hex sign") << hex << u"-1"_s << 0.0 << IntError(u"-1"_s);
    QTest::newRow("hex empty") << hex << QString() << 0.0 << IntError(u"Null string"_s);
}

void TestReplyParser::safeConversions() {
    QFETCH(TConvert, convert);
    QFETCH(QString, text);
    QFETCH(double, value);
    QFETCH(QString, report);

    // A comma locale must not change how the receiver's numbers read.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    TFixture f;
    QCOMPARE(convert(f.Parser, text), value);
    QCOMPARE(f.Reports, report.isEmpty() ? QStringList() : QStringList{report});
}

void TestReplyParser::conversionsWithoutReportFunction() {
    const TReplyParser silent;
    QCOMPARE(silent.StrToIntSafe(u"x"_s), 0);
    QCOMPARE(silent.StrToFloatSafe(QString()), 0.0);
    QCOMPARE(silent.HexToIntSafe(u"1F"_s), 31);
}

void TestReplyParser::vfoReply_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<TRxDat>("expected");
    QTest::addColumn<QStringList>("reports");

    QTest::newRow("VA") << u"VA RF0145500000 ST025000  AU0 MD0"_s << true
                        << Vfo(10, 145.5, u"25.000"_s, false, false, 0) << QStringList();
    QTest::newRow("VE, step adjust") << u"VE RF2600000000 ST000500+ AU1 MD7"_s << true
                                     << Vfo(14, 2600.0, u".500"_s, true, true, 7) << QStringList();
    QTest::newRow("VFO search on C")
        << u"VS VC RF0145500000 ST025000  AU0 MD1"_s << true
        << Vfo(7, 145.5, u"25.000"_s, false, false, 1) << QStringList();
    QTest::newRow("program search") << u"SS RF0050000000 ST001000  AU1 MD2"_s << true
                                    << Vfo(4, 50.0, u"1.000"_s, false, true, 2) << QStringList();
    QTest::newRow("step adjust cut off by trimming")
        << u"VB MD3 AU0 RF0145500000 ST100000"_s << true
        << Vfo(11, 145.5, u"100.000"_s, false, false, 3) << QStringList();
    QTest::newRow("unknown VFO search code")
        << u"VS VX RF0145500000 ST025000  AU0 MD0"_s << false
        << Vfo(1, 145.5, u"25.000"_s, false, false, 0) << QStringList();
    QTest::newRow("memory code is no VFO code")
        << u"MR RF0145500000 ST025000  AU0 MD0"_s << false
        << Vfo(1, 145.5, u"25.000"_s, false, false, 0) << QStringList();
    QTest::newRow("nothing after MD")
        << u"VA RF0145500000 ST025000  AU0 MD"_s << false
        << Vfo(10, 145.5, u"25.000"_s, false, false, 99) << QStringList();
    QTest::newRow("no step") << u"VA RF0145500000 AU0 MD0"_s << false
                             << Vfo(10, 145.5, u"9.000"_s, true, false, 0) << QStringList();
    QTest::newRow("short frequency runs into the next field")
        << u"VA RF01455 ST025000  AU0 MD0"_s << true << Vfo(10, 0.0, u"25.000"_s, false, false, 0)
        << QStringList{FloatError(u"01455 ST02"_s)};
    QTest::newRow("mode not a digit")
        << u"VB RF0145500000 ST025000  AU0 MDx"_s << true
        << Vfo(11, 145.5, u"25.000"_s, false, false, 0) << QStringList{IntError(u"x"_s)};
    QTest::newRow("code only") << u"VA"_s << false << After([](TRxDat& r) { r.Vfo = 10; })
                               << QStringList();
}

void TestReplyParser::vfoReply() {
    QFETCH(QString, line);
    QFETCH(bool, ok);
    QFETCH(TRxDat, expected);
    QFETCH(QStringList, reports);

    TFixture f;
    TRxDat rec = Before();
    QCOMPARE(f.Parser.ParseVfoReply(line, rec), ok);
    QCOMPARE(rec, expected);
    QCOMPARE(f.Reports, reports);
}

void TestReplyParser::memoryReply_data() {
    using TResult = TReplyParser::TMemoryResult;
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("result");
    QTest::addColumn<TRxDat>("expected");

    const auto memory = [](std::uint8_t code, int channel, bool pass, bool select, double mhz,
                           const QString& step, bool adjust, bool autoMode, int mode,
                           const QString& text) {
        return After([&](TRxDat& r) {
            r.Vfo = code;
            r.Channel = channel;
            r.MemoryPass = pass;
            r.SelectScan = select;
            r.Freq = mhz;
            r.Step = step;
            r.StepAdjust = adjust;
            r.AutoMode = autoMode;
            r.Mode = mode;
            r.Text = text;
            r.Empty = false;
        });
    };
    const auto ok = static_cast<int>(TResult::Ok);
    const auto empty = static_cast<int>(TResult::Empty);
    const auto failed = static_cast<int>(TResult::Failed);

    QTest::newRow("MR") << u"MR MX007 MP0 GA0 RF0145500000 ST012500  AU0 MD0 TMREPEATER"_s << ok
                        << memory(2, 7, false, false, 145.5, u"12.500"_s, false, false, 0,
                                  u"REPEATER"_s);
    QTest::newRow("MS") << u"MS MX123 MP1 GA1 RF0430000000 ST025000+ AU1 MD1 TMPMR CH 1"_s << ok
                        << memory(0, 123, true, true, 430.0, u"25.000"_s, true, true, 1,
                                  u"PMR CH 1"_s);
    QTest::newRow("SM") << u"SM MX010 MP0 GA1 RF0145500000 ST012500  AU0 MD3 TMNET"_s << ok
                        << memory(1, 10, false, true, 145.5, u"12.500"_s, false, false, 3,
                                  u"NET"_s);
    QTest::newRow("block line, text trimmed")
        << u"MX999 MP0 GA0 RF0145500000 ST012500  AU0 MD0 TMAIR"_s << ok
        << memory(3, 999, false, false, 145.5, u"12.500"_s, false, false, 0, u"AIR"_s);
    QTest::newRow("blank text trimmed away")
        << u"MR MX007 MP0 GA0 RF0145500000 ST012500  AU0 MD0 TM"_s << ok
        << memory(2, 7, false, false, 145.5, u"12.500"_s, false, false, 0, QString());
    QTest::newRow("empty channel") << u"MR007 ---"_s << empty << After([](TRxDat& r) {
        r.Vfo = 2;
        r.Channel = 7;
    });
    QTest::newRow("empty channel in a block") << u"MX042 ---"_s << empty << After([](TRxDat& r) {
        r.Vfo = 3;
        r.Channel = 42;
    });
    QTest::newRow("no text") << u"MR MX007 MP0 GA0 RF0145500000 ST012500  AU0 MD0"_s << failed
                             << memory(2, 7, false, false, 145.5, u"12.500"_s, false, false, 0,
                                       u"OLD"_s);
    QTest::newRow("no channel") << u"MR MP0 GA0 RF0145500000 ST012500  AU0 MD0 TMREPEATER"_s
                                << failed
                                << memory(2, 555, false, false, 145.5, u"12.500"_s, false, false, 0,
                                          u"REPEATER"_s);
    QTest::newRow("not a memory reply")
        << u"VA RF0145500000 ST025000  AU0 MD0"_s << failed << Before();
}

void TestReplyParser::memoryReply() {
    QFETCH(QString, line);
    QFETCH(int, result);
    QFETCH(TRxDat, expected);

    TFixture f;
    TRxDat rec = Before();
    QCOMPARE(static_cast<int>(f.Parser.ParseMemoryReply(line, rec)), result);
    QCOMPARE(rec, expected);
    QVERIFY(f.Reports.isEmpty());
}

void TestReplyParser::singleFields_data() {
    QTest::addColumn<TParse>("parse");
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<TRxDat>("expected");
    QTest::addColumn<QStringList>("reports");

    const TParse agc = [](const TReplyParser& p, const QString& l, TRxDat& r) {
        return p.ParseAgc(l, r);
    };
    const TParse subStep = [](const TReplyParser& p, const QString& l, TRxDat& r) {
        return p.ParseSubStep(l, r);
    };
    const TParse antenna = [](const TReplyParser& p, const QString& l, TRxDat& r) {
        return p.ParseAntenna(l, r);
    };
    const TParse attenuator = [](const TReplyParser& p, const QString& l, TRxDat& r) {
        return p.ParseAttenuator(l, r);
    };
    const TParse ctcss = [](const TReplyParser& p, const QString& l, TRxDat& r) {
        return p.ParseCtcss(l, r);
    };
    const TParse descrambler = [](const TReplyParser& p, const QString& l, TRxDat& r) {
        return p.ParseDescrambler(l, r);
    };
    const TParse level = [](const TReplyParser& p, const QString& l, TRxDat& r) {
        return p.ParseLevel(l, r);
    };
    const TParse levelOutput = [](const TReplyParser& p, const QString& l, TRxDat& r) {
        return p.ParseLevelOutput(l, r);
    };
    const TParse bandwidth = [](const TReplyParser& p, const QString& l, TRxDat& r) {
        return p.ParseDigit(l, u"BW", r.Bandwidth);
    };
    const TParse deEmphasis = [](const TReplyParser& p, const QString& l, TRxDat& r) {
        return p.ParseDigit(l, u"EN", r.DeEmphasis);
    };
    const TParse frequency = [](const TReplyParser& p, const QString& l, TRxDat& r) {
        return p.ParseFrequency(l, r);
    };
    const TParse channel = [](const TReplyParser& p, const QString& l, TRxDat& r) {
        return p.ParseChannel(l, r.Channel);
    };
    const TParse memoryPass = [](const TReplyParser& p, const QString& l, TRxDat& r) {
        return p.ParseState(l, u"MP", r.MemoryPass);
    };
    const TParse step = [](const TReplyParser& p, const QString& l, TRxDat& r) {
        return p.ParseStep(l, r.Step, r.StepAdjust);
    };
    const TParse mode = [](const TReplyParser& p, const QString& l, TRxDat& r) {
        return p.ParseMode(l, r.Mode);
    };
    const TParse bank = [](const TReplyParser& p, const QString& l, TRxDat& r) {
        return p.ParseSmallInteger(l, u"BN", r.Channel);
    };
    const TParse levelSquelch = [](const TReplyParser& p, const QString& l, TRxDat& r) {
        return p.ParseText(l, u"DB", 4, r.Text);
    };
    const TParse delay = [](const TReplyParser& p, const QString& l, TRxDat& r) {
        return p.ParseText(l, u"DD", 3, r.Text);
    };
    const TRxDat untouched = Before();
    const QStringList none;

    QTest::newRow("AC1") << agc << u"AC1"_s << true << After([](TRxDat& r) { r.Agc = 1; }) << none;
    QTest::newRow("ACF is off") << agc << u"ACF"_s << true << After([](TRxDat& r) { r.Agc = 3; })
                                << none;
    QTest::newRow("AC alone") << agc << u"AC"_s << false << untouched << none;
    QTest::newRow("AC garbage") << agc << u"ACx"_s << true << After([](TRxDat& r) { r.Agc = 0; })
                                << QStringList{IntError(u"x"_s)};
    QTest::newRow("SJ5") << subStep << u"SJ5"_s << true << After([](TRxDat& r) { r.SubStep = 5; })
                         << none;
    QTest::newRow("SJA is 10") << subStep << u"SJA"_s << true
                               << After([](TRxDat& r) { r.SubStep = 10; }) << none;
    QTest::newRow("AN1") << antenna << u"AN1"_s << true << After([](TRxDat& r) {
        r.Antenna = 1;
        r.AntennaAuto = false;
    }) << none;
    QTest::newRow("AN0 2 automatic") << antenna << u"AN0 2"_s << true << After([](TRxDat& r) {
        r.Antenna = 2;
        r.AntennaAuto = true;
    }) << none;
    QTest::newRow("AN0 without antenna")
        << antenna << u"AN0"_s << false << After([](TRxDat& r) { r.AntennaAuto = true; }) << none;
    QTest::newRow("AT01") << attenuator << u"AT01"_s << true << After([](TRxDat& r) {
        r.Attenuator = 1;
        r.AttenuatorAuto = false;
    }) << none;
    QTest::newRow("AT11 automatic") << attenuator << u"AT11"_s << true << After([](TRxDat& r) {
        r.Attenuator = 1;
        r.AttenuatorAuto = true;
    }) << none;
    QTest::newRow("AT0 too short") << attenuator << u"AT0"_s << false << untouched << none;
    QTest::newRow("CN0A") << ctcss << u"CN0A"_s << true << After([](TRxDat& r) { r.Ctcss = 10; })
                          << none;
    QTest::newRow("CN37") << ctcss << u"CN37"_s << true << After([](TRxDat& r) { r.Ctcss = 55; })
                          << none;
    QTest::newRow("CN not hex") << ctcss << u"CN0G"_s << true
                                << After([](TRxDat& r) { r.Ctcss = 0; })
                                << QStringList{IntError(u"0G"_s)};
    QTest::newRow("SC002") << descrambler << u"SC002"_s << true
                           << After([](TRxDat& r) { r.Descrambler = 2; }) << none;
    QTest::newRow("LM open") << level << u"LM 8C"_s << true << After([](TRxDat& r) {
        r.Level = u"140"_s;
        r.SquelchClosed = false;
    }) << none;
    QTest::newRow("LM%FF closed") << level << u"LM%FF"_s << true << After([](TRxDat& r) {
        r.Level = u"255"_s;
        r.SquelchClosed = true;
    }) << none;
    QTest::newRow("LM too short") << level << u"LM%"_s << false << untouched << none;
    QTest::newRow("LM not hex") << level << u"LM ZZ"_s << true << After([](TRxDat& r) {
        r.Level = u"0"_s;
        r.SquelchClosed = false;
    }) << QStringList{IntError(u"ZZ"_s)};
    QTest::newRow("LC8C") << levelOutput << u"LC8C"_s << true
                          << After([](TRxDat& r) { r.Level = u"140"_s; }) << none;
    QTest::newRow("LC too short") << levelOutput << u"LC8"_s << false << untouched << none;
    QTest::newRow("BW2") << bandwidth << u"BW2"_s << true
                         << After([](TRxDat& r) { r.Bandwidth = 2; }) << none;
    QTest::newRow("EN missing") << deEmphasis << u"BW2"_s << false << untouched << none;
    QTest::newRow("RF") << frequency << u"RF0145500000"_s << true
                        << After([](TRxDat& r) { r.Freq = 145.5; }) << none;
    QTest::newRow("RF nine digits") << frequency << u"RF014550000"_s << false << untouched << none;
    QTest::newRow("MX007") << channel << u"MX007"_s << true
                           << After([](TRxDat& r) { r.Channel = 7; }) << none;
    QTest::newRow("MX too short") << channel << u"MX07"_s << false << untouched << none;
    QTest::newRow("MP0") << memoryPass << u"MP0"_s << true
                         << After([](TRxDat& r) { r.MemoryPass = false; }) << none;
    QTest::newRow("ST one Hz") << step << u"ST000001"_s << true << After([](TRxDat& r) {
        r.Step = u".001"_s;
        r.StepAdjust = false;
    }) << none;
    QTest::newRow("ST adjust") << step << u"ST100000+"_s << true << After([](TRxDat& r) {
        r.Step = u"100.000"_s;
        r.StepAdjust = true;
    }) << none;
    QTest::newRow("MD without digit")
        << mode << u"AU0 MD"_s << false << After([](TRxDat& r) { r.Mode = kModeMissing; }) << none;
    QTest::newRow("MD absent") << mode << u"AU0"_s << false << untouched << none;
    QTest::newRow("BN1") << bank << u"BN1"_s << true << After([](TRxDat& r) { r.Channel = 1; })
                         << none;
    QTest::newRow("DB+050") << levelSquelch << u"DB+050"_s << true
                            << After([](TRxDat& r) { r.Text = u"+050"_s; }) << none;
    QTest::newRow("DB too short") << levelSquelch << u"DB+05"_s << false << untouched << none;
    QTest::newRow("DD0.5") << delay << u"DD0.5"_s << true
                           << After([](TRxDat& r) { r.Text = u"0.5"_s; }) << none;
}

void TestReplyParser::singleFields() {
    QFETCH(TParse, parse);
    QFETCH(QString, line);
    QFETCH(bool, ok);
    QFETCH(TRxDat, expected);
    QFETCH(QStringList, reports);

    TFixture f;
    TRxDat rec = Before();
    QCOMPARE(parse(f.Parser, line, rec), ok);
    QCOMPARE(rec, expected);
    QCOMPARE(f.Reports, reports);
}

void TestReplyParser::attenuatorSetsMeter_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("meterBefore");
    QTest::addColumn<int>("meterAfter");

    QTest::newRow("0 dB") << u"AT00"_s << 20 << 0;
    QTest::newRow("10 dB") << u"AT01"_s << 0 << 10;
    QTest::newRow("20 dB, automatic") << u"AT12"_s << 0 << 20;
    QTest::newRow("unknown index keeps it") << u"AT03"_s << 10 << 10;
    QTest::newRow("too short keeps it") << u"AT0"_s << 10 << 10;
}

void TestReplyParser::attenuatorSetsMeter() {
    QFETCH(QString, line);
    QFETCH(int, meterBefore);
    QFETCH(int, meterAfter);

    MeterAttenuationDb = meterBefore;
    TRxDat rec;
    TReplyParser().ParseAttenuator(line, rec);
    QCOMPARE(MeterAttenuationDb, meterAfter);
}

void TestReplyParser::searchBank_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<TSearchList>("expected");

    // Attenuator is not part of the reply: it must keep its value.
    const auto list = [](int bank, double lower, double upper, const QString& step, bool adjust,
                         bool autoMode, int mode, const QString& text) {
        return TSearchList{bank, lower, upper, step, adjust, autoMode, mode, 2, text};
    };

    QTest::newRow("as received, text trimmed")
        << u"SR03 SL0144000000 SU0146000000 ST012500  AU0 MD0 TTAIRBAND"_s << true
        << list(3, 144.0, 146.0, u"12.500"_s, false, false, 0, u"AIRBAND"_s);
    QTest::newRow("full text, step adjust")
        << u"SR19 SL0000100000 SU2600000000 ST000500+ AU1 MD3 TTMARINE 1"_s << true
        << list(19, 0.1, 2600.0, u".500"_s, true, true, 3, u"MARINE 1"_s);
    QTest::newRow("no limits, no text")
        << u"SR03 ST012500  AU0 MD0"_s << false
        << list(3, 0.0, 0.0, u"12.500"_s, false, false, 0, QString());
    QTest::newRow("bank only") << u"SR07"_s << false
                               << list(7, 0.0, 0.0, u"9.000"_s, true, true, 4, QString());
}

void TestReplyParser::searchBank() {
    QFETCH(QString, line);
    QFETCH(bool, ok);
    QFETCH(TSearchList, expected);

    TFixture f;
    TSearchList list{7, 1.0, 2.0, u"9.000"_s, true, true, 4, 2, u"OLD"_s};
    QCOMPARE(f.Parser.ParseSearchBank(line, list), ok);
    QCOMPARE(list, expected);
    QVERIFY(f.Reports.isEmpty());
}

void TestReplyParser::scanGroup_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<TScanGroupDat>("expected");

    QTest::newRow("as received") << u"GM0 XD2.0 XB+050 XA 000 XP05 XM0 ML0 BM 0 1 - - - - - - - -"_s
                                 << true
                                 << TScanGroupDat{0,     20,  50, 0, 5, 0, false, u"01--------"_s,
                                                  false, true};
    QTest::newRow("free mode, all linked")
        << u"GM9 XD0.5 XB 100 XA+020 XP60 XMF ML1 BM 0 1 2 3 4 5 6 7 8 9"_s << true
        << TScanGroupDat{9, 5, 100, 20, 60, kScanModeFree, true, u"0123456789"_s, true, false};
    QTest::newRow("no bank list") << u"GM1 XD2.0 XB+050 XA 000 XP05 XM0 ML1"_s << false
                                  << TScanGroupDat{1, 20, 50, 0, 5, 0, true, u"OLD"_s, false, true};
}

void TestReplyParser::scanGroup() {
    QFETCH(QString, line);
    QFETCH(bool, ok);
    QFETCH(TScanGroupDat, expected);

    TFixture f;
    TScanGroupDat group{7, 7, 7, 7, 7, 7, false, u"OLD"_s, true, false};
    QCOMPARE(f.Parser.ParseScanGroup(line, group), ok);
    QCOMPARE(group, expected);
    QVERIFY(f.Reports.isEmpty());
}

void TestReplyParser::searchGroup_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<TSearchGroupDat>("expected");
    QTest::addColumn<QStringList>("reports");

    QTest::newRow("as received")
        << u"GS0 SD2.0 SB+050 SA 000 SP05 BQ0 BS 0 1 - - - - - - - - - - - - - - - - - -"_s << true
        << TSearchGroupDat{0, 20, 50, 0, 5, false, u"01------------------"_s, false, true}
        << QStringList();
    QTest::newRow("hold")
        << u"GS3 SDFF  SB 010 SA+255 SP00 BQ1 BS 9 8 7 6 5 4 3 2 1 0 - - - - - - - - - -"_s << true
        << TSearchGroupDat{3,    kSearchDelayHold,          10,   255,  0,
                           true, u"9876543210----------"_s, true, false}
        << QStringList();
    QTest::newRow("delay not a number")
        << u"GS1 SDx.5 SB+050 SA 000 SP05 BQ0"_s << false
        << TSearchGroupDat{1, 0, 50, 0, 5, false, u"OLD"_s, false, true}
        << QStringList{FloatError(u"x.5"_s)};
}

void TestReplyParser::searchGroup() {
    QFETCH(QString, line);
    QFETCH(bool, ok);
    QFETCH(TSearchGroupDat, expected);
    QFETCH(QStringList, reports);

    TFixture f;
    TSearchGroupDat group{7, 7, 7, 7, 7, true, u"OLD"_s, true, false};
    QCOMPARE(f.Parser.ParseSearchGroup(line, group), ok);
    QCOMPARE(group, expected);
    QCOMPARE(f.Reports, reports);
}

void TestReplyParser::pass_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("bank");
    QTest::addColumn<int>("index");
    QTest::addColumn<double>("mhz");

    QTest::newRow("bank 3") << u"PR03 07 0145500000"_s << true << 3 << 7 << 145.5;
    QTest::newRow("bank 19") << u"PR19 99 2600000000"_s << true << 19 << 99 << 2600.0;
    QTest::newRow("VFO list") << u"PRV 07 0145500000"_s << true << kVfoPassBank << 7 << 145.5;
    QTest::newRow("no entry") << u"PR03 00 ----------"_s << false << 0 << 0 << 0.0;
    QTest::newRow("VFO list no entry") << u"PRV 00 ----------"_s << false << 0 << 0 << 0.0;
    QTest::newRow("frequency cut short") << u"PR03 07 01455"_s << false << 0 << 0 << 0.0;
    QTest::newRow("PR alone") << u"PR"_s << false << 0 << 0 << 0.0;
}

void TestReplyParser::pass() {
    QFETCH(QString, line);
    QFETCH(bool, valid);
    QFETCH(int, bank);
    QFETCH(int, index);
    QFETCH(double, mhz);

    TFixture f;
    const std::optional<TPassDat> pass = f.Parser.ParsePass(line);
    QCOMPARE(pass.has_value(), valid);
    if (valid)
        QCOMPARE(*pass, (TPassDat{bank, index, mhz}));
    QVERIFY(f.Reports.isEmpty());
}

void TestReplyParser::formatStepKHz_data() {
    QTest::addColumn<double>("kHz");
    QTest::addColumn<QString>("text");

    QTest::newRow("0.5") << 0.5 << u".500"_s;
    QTest::newRow("25") << 25.0 << u"25.000"_s;
    QTest::newRow("0") << 0.0 << u".000"_s;
    QTest::newRow("0.001") << 0.001 << u".001"_s;
    QTest::newRow("12.5") << 12.5 << u"12.500"_s;
    QTest::newRow("1000") << 1000.0 << u"1000.000"_s;
    QTest::newRow("rounded to three places") << 6.2504 << u"6.250"_s;
}

void TestReplyParser::formatStepKHz() {
    QFETCH(double, kHz);
    QFETCH(QString, text);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(FormatStepKHz(kHz), text);
}

QTEST_GUILESS_MAIN(TestReplyParser)
#include "tst_replyparser.moc"
