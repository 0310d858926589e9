// Table colours in the settings file: the texts they are read from and written as, and what
// start-up does with a text that is not a colour.
#include "Settings.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestColourNumbers : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void parse_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("value"); // -1: not a colour
        QTest::newRow("decimal default") << u"8372416"_s << qint64(0x7FC0C0);
        QTest::newRow("dollar hex") << u"$007FC0C0"_s << qint64(0x7FC0C0);
        QTest::newRow("lower-case hex") << u"$00ff00"_s << qint64(0xFF00);
        QTest::newRow("blanks around") << u" 65280 "_s << qint64(0xFF00);
        QTest::newRow("black") << u"0"_s << qint64(0);
        QTest::newRow("white") << u"$00FFFFFF"_s << qint64(0xFFFFFF);
        QTest::newRow("beyond RGB") << u"$01000000"_s << qint64(-1);
        QTest::newRow("negative") << u"-1"_s << qint64(-1);
        QTest::newRow("word") << u"lime"_s << qint64(-1);
        QTest::newRow("dollar only") << u"$"_s << qint64(-1);
        QTest::newRow("empty") << QString() << qint64(-1);
    }
    void parse() {
        QFETCH(QString, text);
        QFETCH(qint64, value);
        const std::optional<quint32> parsed = ParseColourNumber(text);
        if (value < 0)
            QVERIFY(!parsed);
        else
            QCOMPARE(parsed, std::optional<quint32>(quint32(value)));
    }

    void writtenAsDollarAndEightHexDigits() {
        QCOMPARE(ColourNumberText(0x7FC0C0), u"$007FC0C0"_s);
        QCOMPARE(ColourNumberText(0), u"$00000000"_s);
        QCOMPARE(ParseColourNumber(ColourNumberText(0xABCDEF)), std::optional<quint32>(0xABCDEF));
    }

    // A colour that does not read goes back to its default with a message naming the key and
    // the text; the others, in either form, stay as they were.
    void mendingPutsDefaultsBackAndSaysSo() {
        TSettings settings;
        settings.TableTitleColor = u"$00123456"_s;
        settings.TableBackColor = u"blue"_s;
        settings.TableTextColor = u"$1000000"_s;
        const QStringList messages = settings.MendColours();
        QCOMPARE(messages.size(), 2);
        QVERIFY(messages[0].contains(u"TableBackColor"_s) && messages[0].contains(u"\"blue\""_s));
        QVERIFY(messages[1].contains(u"TableTextColor"_s));
        QCOMPARE(settings.TableTitleColor, u"$00123456"_s);
        QCOMPARE(settings.TableBackColor, u"0"_s);
        QCOMPARE(settings.TableHighlightColor, u"32896"_s);
        QCOMPARE(settings.TableTextColor, u"65280"_s);
        QVERIFY(settings.MendColours().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestColourNumbers)
#include "tst_colournumbers.moc"
