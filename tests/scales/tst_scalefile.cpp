// The scale file: what is read back, what missing keys become, and how frequencies turn into
// whole hertz.
#include "IniFile.h"
#include "ScaleFile.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestScaleFile : public QObject {
    Q_OBJECT

private:
    QTemporaryDir FDir;
    QString Path(const QString& name) const { return FDir.filePath(name); }

    static TScaleText Sample() {
        TScaleText text;
        text.LowF = u" 144.0 "_s;
        text.HiF = u"146.0"_s;
        for (std::size_t i = 0; i < kScaleSettingCount; ++i)
            text.Settings[i] = QString::number(i % 3);
        text.Step = u"12.500"_s;
        text.StepOffsetStatus = u"1"_s;
        text.Author = u"Op"_s;
        text.Email = u"op@example.org"_s;
        text.Description = u"2 m band"_s;
        for (int n = 0; n < kScaleBandCount; ++n)
            text.Bands[static_cast<std::size_t>(n)] = {u"144.%1"_s.arg(n), u"145.%1"_s.arg(n),
                                                       u"Band %1"_s.arg(n + 1), u"$000080FF"_s};
        return text;
    }

private Q_SLOTS:
    void writtenFileReadsBack() {
        const QString file = Path(u"round.scl"_s);
        const TScaleText written = Sample();
        const TScaleWriteResult result = WriteScaleText(file, written);
        QVERIFY(result.BadBands.isEmpty());
        QVERIFY(result.ErrorText.isEmpty());
        for (TScaleDefaults defaults : {TScaleDefaults::Window, TScaleDefaults::Editor}) {
            const TScaleText read = ReadScaleText(file, defaults);
            QCOMPARE(read.LowF, u"144.0"_s); // trimmed when written
            QCOMPARE(read.HiF, written.HiF);
            QCOMPARE(read.Settings, written.Settings);
            QCOMPARE(read.Step, written.Step);
            QCOMPARE(read.StepOffsetStatus, written.StepOffsetStatus);
            QCOMPARE(read.Description, written.Description);
            QCOMPARE(read.Email, written.Email);
            for (std::size_t n = 0; n < written.Bands.size(); ++n) {
                QCOMPARE(read.Bands[n].Low, written.Bands[n].Low);
                QCOMPARE(read.Bands[n].High, written.Bands[n].High);
                QCOMPARE(read.Bands[n].Title, written.Bands[n].Title);
                QCOMPARE(read.Bands[n].Colour, written.Bands[n].Colour);
            }
        }
        // The keys are those other scale files use.
        const TIniFile ini(file);
        QCOMPARE(ini.ReadString(u"BANDS"_s, u"Band3Color"_s, {}), u"$000080FF"_s);
        QCOMPARE(ini.ReadString(u"RXSETTINGS"_s, u"HiPass"_s, {}), written.Settings[7]);
    }

    void missingKeysTakeTheirDefaults() {
        const QString file = Path(u"sparse.scl"_s);
        TIniFile(file).WriteString(u"SPAN"_s, u"LowF"_s, u"10"_s);
        const TScaleText window = ReadScaleText(file, TScaleDefaults::Window);
        QCOMPARE(window.HiF, QString());
        for (std::size_t i = 0; i < kScaleSettingCount; ++i)
            QCOMPARE(window.Settings[i],
                     kScaleSettings[i].Selector == kSelAtten ? QString() : u"0"_s);
        QCOMPARE(window.Step, QString());
        QCOMPARE(window.Bands[5].Low, u"0"_s);
        QCOMPARE(window.Bands[5].Title, u"Tuning Scale"_s);
        QCOMPARE(window.Bands[5].Colour, u"$00FFFFFF"_s);

        const TScaleText editor = ReadScaleText(file, TScaleDefaults::Editor);
        QCOMPARE(editor.Settings[3], u"0"_s);
        QCOMPARE(editor.Bands[0].Low, QString());
        QCOMPARE(editor.Bands[0].Title, QString());
    }

    void bandsWithBadEdgesAreLeftOut() {
        const QString file = Path(u"bad.scl"_s);
        TScaleText text = Sample();
        WriteScaleText(file, text);
        text.Bands[2] = {u"1.2.3"_s, u"5"_s, u"Changed"_s, u"$00000000"_s};
        text.Bands[3] = {u"abc"_s, QString(), u"Half"_s, u"$00000000"_s};
        const TScaleWriteResult result = WriteScaleText(file, text);
        QCOMPARE(result.BadBands, QList<int>{3});
        const TScaleText read = ReadScaleText(file, TScaleDefaults::Editor);
        QCOMPARE(read.Bands[2].Title, u"Band 3"_s); // as the file held it
        QCOMPARE(read.Bands[3].Low, u"abc"_s);      // an empty edge: written unchecked
    }

    void parsingRoundsToWholeHertz_data() {
        QTest::addColumn<QString>("edge");
        QTest::addColumn<qint64>("hz");
        QTest::newRow("six decimals") << u"131.393004"_s << qint64(131393004);
        QTest::newRow("half a step") << u"145.0075"_s << qint64(145007500);
        QTest::newRow("just under") << u"0.0000004"_s << qint64(0);
        QTest::newRow("just over half") << u"0.0000006"_s << qint64(1);
        QTest::newRow("empty stays zero") << QString() << qint64(0);
        QTest::newRow("not a number") << u"x"_s << qint64(0);
    }
    void parsingRoundsToWholeHertz() {
        QFETCH(QString, edge);
        QFETCH(qint64, hz);
        TScaleText text = Sample();
        text.Bands[0].Low = edge;
        const TScaleParse parse = ParseScale(text);
        QVERIFY(parse.Scale);
        QCOMPARE(parse.Scale->Bands[0].LowHz, hz);
    }

    void parsingRefusesWhatCannotBeSent_data() {
        QTest::addColumn<int>("setting");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("step");
        QTest::addColumn<bool>("limitsMissing");
        QTest::newRow("a mode that is not a number") << 0 << u"FM"_s << u"12.5"_s << false;
        QTest::newRow("no attenuator") << 3 << QString() << u"12.5"_s << false;
        QTest::newRow("no step") << 0 << u"0"_s << QString() << false;
        QTest::newRow("no limits") << -1 << QString() << u"12.5"_s << true;
    }
    void parsingRefusesWhatCannotBeSent() {
        QFETCH(int, setting);
        QFETCH(QString, value);
        QFETCH(QString, step);
        QFETCH(bool, limitsMissing);
        TScaleText text = Sample();
        if (setting >= 0)
            text.Settings[static_cast<std::size_t>(setting)] = value;
        else
            text.HiF.clear();
        text.Step = step;
        const TScaleParse parse = ParseScale(text);
        QVERIFY(!parse.Scale);
        QCOMPARE(parse.LimitsMissing, limitsMissing);
        QCOMPARE(parse.ErrorText.isEmpty(), limitsMissing);
    }

    void coloursAreWindowsValues() {
        QCOMPARE(ScaleColour(u"$000000FF"_s, Qt::black), QColor(255, 0, 0));
        QCOMPARE(ScaleColour(u"$00FF8000"_s, Qt::black), QColor(0, 128, 255));
        QCOMPARE(ScaleColour(u"red"_s, Qt::green), QColor(Qt::green));
        QCOMPARE(ScaleColourText(QColor(0, 128, 255)), u"$00FF8000"_s);
    }
};

QTEST_GUILESS_MAIN(TestScaleFile)
#include "tst_scalefile.moc"
