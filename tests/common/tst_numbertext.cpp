#include "NumberText.h"

#include <QLocale>
#include <QTest>

#include <limits>

using namespace Qt::StringLiterals;

namespace {
constexpr qint64 kNone = std::numeric_limits<qint64>::min(); // "does not parse" in the tables
}

class TestNumberText : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The receiver and the files need "." whatever the user's locale.
    void init() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void parseInteger_data();
    void parseInteger();
    void parseHex_data();
    void parseHex();
    void parseNumber_data();
    void parseNumber();
    void formatFixed_data();
    void formatFixed();
    void roundHalfEven_data();
    void roundHalfEven();
};

void TestNumberText::parseInteger_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("value");

    QTest::newRow("plain") << u"42"_s << qint64{42};
    QTest::newRow("blanks around") << u" 42 "_s << qint64{42};
    QTest::newRow("plus sign") << u"+050"_s << qint64{50};
    QTest::newRow("minus sign") << u"-7"_s << qint64{-7};
    QTest::newRow("beyond 32 bits") << u"9999999999"_s << qint64{9999999999};
    QTest::newRow("empty") << QString() << kNone;
    QTest::newRow("blank") << u"   "_s << kNone;
    QTest::newRow("inner blank") << u"4 2"_s << kNone;
    QTest::newRow("hex prefix") << u"0x10"_s << kNone;
    QTest::newRow("fraction") << u"1.0"_s << kNone;
    QTest::newRow("group separator") << u"1.000"_s << kNone;
}

void TestNumberText::parseInteger() {
    QFETCH(QString, text);
    QFETCH(qint64, value);
    QCOMPARE(ParseInteger(text).value_or(kNone), value);
}

void TestNumberText::parseHex_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("value");

    QTest::newRow("FF") << u"FF"_s << qint64{255};
    QTest::newRow("lower case") << u"0a"_s << qint64{10};
    QTest::newRow("leading blank") << u" 8C"_s << qint64{140};
    QTest::newRow("not hex") << u"0G"_s << kNone;
    QTest::newRow("plus sign") << u"+1"_s << kNone;
    QTest::newRow("minus sign") << u"-1"_s << kNone;
    QTest::newRow("prefix") << u"0x10"_s << kNone;
    QTest::newRow("empty") << QString() << kNone;
}

void TestNumberText::parseHex() {
    QFETCH(QString, text);
    QFETCH(qint64, value);
    QCOMPARE(ParseHex(text).value_or(kNone), value);
}

void TestNumberText::parseNumber_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<double>("value");

    QTest::newRow("decimal point") << u"145.5"_s << true << 145.5;
    QTest::newRow("no leading digit") << u".5"_s << true << 0.5;
    QTest::newRow("integer") << u"0145500000"_s << true << 145500000.0;
    QTest::newRow("exponent") << u"1e3"_s << true << 1000.0;
    QTest::newRow("blanks around") << u" 2.0 "_s << true << 2.0;
    QTest::newRow("decimal comma") << u"1,5"_s << false << 0.0;
    QTest::newRow("NaN") << u"nan"_s << false << 0.0;
    QTest::newRow("infinite") << u"inf"_s << false << 0.0;
    QTest::newRow("empty") << QString() << false << 0.0;
}

void TestNumberText::parseNumber() {
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(double, value);

    const std::optional<double> number = ParseNumber(text);
    QCOMPARE(number.has_value(), valid);
    if (valid)
        QCOMPARE(*number, value);
}

void TestNumberText::formatFixed_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("text");

    QTest::newRow("frequency") << 145.5 << 6 << u"145.500000"_s;
    QTest::newRow("no grouping") << 1234567.25 << 2 << u"1234567.25"_s;
    QTest::newRow("rounded") << 0.0005 << 3 << u"0.001"_s;
    QTest::newRow("negative") << -2.5 << 1 << u"-2.5"_s;
}

void TestNumberText::formatFixed() {
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(QString, text);
    QCOMPARE(FormatFixed(value, decimals), text);
}

void TestNumberText::roundHalfEven_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<qint64>("rounded");

    QTest::newRow("2.5 down") << 2.5 << qint64{2};
    QTest::newRow("3.5 up") << 3.5 << qint64{4};
    QTest::newRow("-2.5 towards zero") << -2.5 << qint64{-2};
    QTest::newRow("-111.5 to even") << -111.5 << qint64{-112};
    QTest::newRow("-111.67 nearest") << -111.67 << qint64{-112};
    QTest::newRow("2.4999 down") << 2.4999 << qint64{2};
}

void TestNumberText::roundHalfEven() {
    QFETCH(double, value);
    QFETCH(qint64, rounded);
    QCOMPARE(RoundHalfEven(value), rounded);
}

QTEST_GUILESS_MAIN(TestNumberText)
#include "tst_numbertext.moc"
