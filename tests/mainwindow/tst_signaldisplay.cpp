// The signal display without a receiver: level replies are fed to the driver's dispatcher, so
// the panel and the controller run exactly as they do on a live link.
#include "AR5000.h"
#include "IniFile.h"
#include "Levels.h"
#include "Settings.h"
#include "SignalDisplay.h"
#include "SignalPanel.h"
#include "components/Meter.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QFrame>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

constexpr int kImageHeight = 59;
constexpr int kNewest = 150; // the last graph point inside the picture (x = 151)

struct TDisplayFixture {
    TAR5000 Driver;
    QWidget Page;
    TSignalPanel* Panel = new TSignalPanel(&Page);
    QCheckBox* Signal = new QCheckBox(u"Signal"_s, &Page);
    QCheckBox* Freq = new QCheckBox(u"Fre&q"_s, &Page);
    TSignalDisplayController Controller{&Driver, Panel, Signal, Freq};

    TDisplayFixture() {
        Signal->move(0, TSignalPanel::kHeight);
        Freq->move(80, TSignalPanel::kHeight);
        Controller.Hook();
    }
    void Reply(const QString& line) { Driver.FProcessDataStr(line); }
    void Level(int level, bool squelchClosed = false) {
        const QString hex = u"%1"_s.arg(level, 2, 16, QChar(u'0')).toUpper();
        Reply(u"LM"_s + (squelchClosed ? u'%' : u' ') + hex);
    }
    void TuneTo(const QString& vfoReply) { Reply(vfoReply); }
    int NewestY() const { return Panel->GraphPointY(kNewest); }
    bool Shown(QWidget* widget) const { return !widget->isHidden(); }
    int Panel6X() const { return Panel->Panel6()->x(); }
};

bool AllBlack(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != qRgb(0, 0, 0))
                return false;
        }
    }
    return true;
}

template <typename TPredicate>
bool AnyPixelIn(const QImage& image, const QRect& area, TPredicate matches) {
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (matches(image.pixel(x, y)))
                return true;
        }
    }
    return false;
}

bool AnyLimeIn(const QImage& image, const QRect& area) {
    return AnyPixelIn(image, area, [](QRgb pixel) { return pixel == qRgb(0, 0xff, 0); });
}

// Lime or a darker shade of it, as smoothed lime text on black leaves.
bool AnyGreenIn(const QImage& image, const QRect& area) {
    return AnyPixelIn(image, area, [](QRgb pixel) {
        return qGreen(pixel) >= 0x40 && qRed(pixel) < 0x20 && qBlue(pixel) < 0x20;
    });
}

} // namespace

class TestSignalDisplay : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { MeterAttenuationDb = 0; }

    void levelText_data() {
        QTest::addColumn<int>("level");
        QTest::addColumn<double>("mhz");
        QTest::addColumn<int>("attenuationDb");
        QTest::addColumn<QString>("text");
        QTest::newRow("bottom") << 0 << 145.0 << 0 << u"-112dBm   0.6\u00B5V S5"_s;
        QTest::newRow("just under 4 uV: one decimal")
            << 94 << 145.0 << 0 << u"-95dBm   4.0\u00B5V S8"_s;
        QTest::newRow("4 uV and up: whole") << 95 << 145.0 << 0 << u"-94dBm     4\u00B5V S8"_s;
        QTest::newRow("exactly S9") << 98 << 145.0 << 0 << u"-93dBm     5\u00B5V S9 +0dB"_s;
        QTest::newRow("top") << 255 << 145.0 << 0 << u"-12dBm 56167\u00B5V S9 +81dB"_s;
        QTest::newRow("short wave, 20 dB in: +30")
            << 0 << 29.9 << 20 << u"-82dBm    18\u00B5V S7"_s;
        QTest::newRow("VHF, 20 dB in: +30")
            << 0 << 145.0 << 20 << u"-82dBm    18\u00B5V S9 +11dB"_s;
        QTest::newRow("UHF, 20 dB in: +20") << 0 << 432.0 << 20 << u"-92dBm     6\u00B5V S9 +1dB"_s;
        QTest::newRow("0 MHz means the current 29.9")
            << 0 << 0.0 << 0 << u"-102dBm   1.8\u00B5V S4"_s;
    }

    void levelText() {
        QFETCH(int, level);
        QFETCH(double, mhz);
        QFETCH(int, attenuationDb);
        QFETCH(QString, text);
        MeterAttenuationDb = attenuationDb;
        QCOMPARE(LevelText(level, mhz, 29.9), text);
    }

    void dataTextMarksLevelsBelowThree() {
        QVERIFY(TSignalPanel::GraphDataText(2, 145.0).startsWith(u"< -112dBm"_s));
        QVERIFY(TSignalPanel::GraphDataText(3, 145.0).startsWith(u"-111dBm"_s));
    }

    void meterFollowsTheLevel_data() {
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("position");
        QTest::newRow("0 is below the scale") << 0 << 1;
        QTest::newRow("1") << 1 << 1;
        QTest::newRow("170, last 1:1") << 170 << 170;
        QTest::newRow("171 rounds down") << 171 << 170;
        QTest::newRow("172") << 172 << 171;
        QTest::newRow("255") << 255 << 212;
    }

    void meterFollowsTheLevel() {
        QFETCH(int, level);
        QFETCH(int, position);
        TDisplayFixture f;
        f.Panel->AvgMeter1()->setChecked(false);
        f.Controller.MeterToggle();
        QVERIFY(f.Signal->isChecked());
        f.Level(level);
        QCOMPARE(f.Panel->NewMeter()->Progress(), position);
        QCOMPARE(f.NewestY(), kImageHeight); // the graph stood still
    }

    void averagingSmoothsWhatIsShown() {
        TDisplayFixture f;
        f.Signal->setChecked(true);
        f.Level(0);
        f.Level(255);
        QCOMPARE(f.NewestY(), TSignalPanel::LevelY(127, kImageHeight));
        QCOMPARE(f.Controller.Average().Held(), 2);

        // Switching the display on again starts a fresh average.
        f.Signal->setChecked(false);
        f.Signal->setChecked(true);
        QCOMPARE(f.Controller.Average().Held(), 0);

        f.Panel->AvgMeter1()->setChecked(false);
        f.Level(255);
        QCOMPARE(f.NewestY(), 0);
        QCOMPARE(f.Controller.Average().Held(), 0);
    }

    void graphScrollsAndDraws() {
        TSignalPanel panel;
        panel.Graticules1()->setChecked(false);
        panel.DrawSignalGraph(255, 145.0);
        for (const int k : {0, 146, 151, 169})
            QCOMPARE(panel.GraphPointY(k), kImageHeight);
        for (const int k : {147, 150})
            QCOMPARE(panel.GraphPointY(k), 0);
        panel.DrawSignalGraph(0, 145.0);
        // One step left: the older reading keeps one point, the newest takes the last four.
        QCOMPARE(panel.GraphPointY(145), kImageHeight);
        QCOMPARE(panel.GraphPointY(146), 0);
        QCOMPARE(panel.GraphPointY(147), kImageHeight - 1);
        QCOMPARE(panel.GraphPointY(150), kImageHeight - 1);

        panel.DrawSignalGraph(128, 145.0);
        const QImage plain = panel.Image1()->Picture();
        const int y = TSignalPanel::LevelY(128, kImageHeight);
        QCOMPARE(y, 29);
        for (int x = 147; x <= 150; ++x) // the newest reading stands as a bar
            QVERIFY(AnyLimeIn(plain, {x, y, 1, kImageHeight - y}));
        QCOMPARE(plain.pixel(146, kImageHeight - 1), qRgb(0, 0, 0));
        QCOMPARE(plain.pixel(40, 3), qRgb(0, 0, 0));

        panel.Graticules1()->setChecked(true);
        panel.DrawSignalGraph(128, 145.0);
        const QImage ruled = panel.Image1()->Picture();
        for (const int row : {3, 6, 10, 14, 18, 22, 28, 34, 43, 53})
            QCOMPARE(ruled.pixel(40, row), qRgb(0x80, 0x80, 0x80));
        QCOMPARE(ruled.pixel(40, 4), qRgb(0, 0, 0));

        QVERIFY(!AnyGreenIn(ruled, {1, 1, 60, 10}));
        panel.SignalData()->setChecked(true);
        panel.DrawSignalGraph(128, 145.0);
        // The text is smoothed: its pixels are shades of green, full lime only at some sizes.
        QVERIFY(AnyGreenIn(panel.Image1()->Picture(), {1, 1, 60, 10}));
    }

    void scaleRows_data() {
        QTest::addColumn<int>("attenuationDb");
        QTest::addColumn<double>("mhz");
        QTest::addColumn<int>("row");
        QTest::newRow("no attenuation") << 0 << 145.0 << 0;
        QTest::newRow("20 dB at 29.9 MHz") << 20 << 29.9 << 20;
        QTest::newRow("20 dB at 30 MHz") << 20 << 30.0 << 20;
        QTest::newRow("20 dB at 145 MHz") << 20 << 145.0 << 30;
        QTest::newRow("10 dB at 229.9 MHz") << 10 << 229.9 << 20;
        QTest::newRow("10 dB at 230 MHz") << 10 << 230.0 << 10;
        QTest::newRow("20 dB at 432 MHz") << 20 << 432.0 << 20;
    }

    void scaleRows() {
        QFETCH(int, attenuationDb);
        QFETCH(double, mhz);
        QFETCH(int, row);
        QCOMPARE(ScaleRowDb(attenuationDb, mhz), row);
    }

    void scaleLabels_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("highBand");
        QTest::addColumn<int>("lowBand");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QPoint>("firstAt");
        QTest::addColumn<QString>("lastHigh");
        QTest::addColumn<QPoint>("lastHighAt");
        QTest::newRow("0") << 0 << 7 << 6 << u"20"_s << QPoint(13, 0) << u"110"_s << QPoint(9, 50);
        QTest::newRow("10") << 10 << 7 << 6 << u"10"_s << QPoint(13, 0) << u"100"_s
                            << QPoint(9, 50);
        QTest::newRow("20") << 20 << 7 << 5 << u"00"_s << QPoint(13, 0) << u"90"_s
                            << QPoint(13, 50);
        QTest::newRow("30") << 30 << 6 << 0 << u"10"_s << QPoint(13, 7) << u"80"_s
                            << QPoint(13, 50);
        QTest::newRow("no such row")
            << 40 << 0 << 0 << QString() << QPoint() << QString() << QPoint();
    }

    void scaleLabels() {
        QFETCH(int, row);
        QFETCH(int, highBand);
        QFETCH(int, lowBand);
        QFETCH(QString, first);
        QFETCH(QPoint, firstAt);
        QFETCH(QString, lastHigh);
        QFETCH(QPoint, lastHighAt);
        const auto labels = ScaleLabels(row);
        const auto low = std::count_if(labels.begin(), labels.end(),
                                       [](const TScaleLabel& label) { return label.LowBand; });
        QCOMPARE(static_cast<int>(low), lowBand);
        QCOMPARE(static_cast<int>(labels.size()) - static_cast<int>(low), highBand);
        if (labels.empty())
            return;
        QCOMPARE(QString::fromLatin1(labels.front().Text), first);
        QCOMPARE(QPoint(labels.front().X, labels.front().Y), firstAt);
        const TScaleLabel& last = labels[static_cast<std::size_t>(highBand - 1)];
        QCOMPARE(QString::fromLatin1(last.Text), lastHigh);
        QCOMPARE(QPoint(last.X, last.Y), lastHighAt);
        QCOMPARE(labels[0].LowBand, false);
    }

    void scaleFollowsTheAttenuatorWhileShown() {
        TDisplayFixture f;
        f.TuneTo(u"VA RF0145500000 ST025000  AU0 MD0"_s);
        f.Reply(u"AT02"_s); // display off: the scale stays
        QCOMPARE(f.Panel->ScalePaintBox()->RowDb(), 0);
        f.Reply(u"AT00"_s);
        f.Signal->setChecked(true);
        QCOMPARE(f.Panel->ScalePaintBox()->RowDb(), 0);
        f.Reply(u"AT02"_s);
        QCOMPARE(f.Panel->ScalePaintBox()->RowDb(), 30);

        // Tuning below 30 MHz moves the scale with the next reading.
        f.TuneTo(u"VA RF0029900000 ST025000  AU0 MD0"_s);
        f.Level(40);
        QCOMPARE(f.Panel->ScalePaintBox()->RowDb(), 20);
    }

    void signalAndMeterLayouts() {
        TDisplayFixture f;
        QSignalSpy squelch(&f.Controller, &TSignalDisplayController::SquelchStateChanged);
        const QImage logo = f.Panel->Image1()->Picture();
        QVERIFY(!AllBlack(logo));
        QVERIFY(!f.Shown(f.Panel->ScalePaintBox()));
        QCOMPARE(f.Panel6X(), TSignalPanel::kPanel6AloneX);

        f.Signal->setChecked(true);
        QVERIFY(f.Shown(f.Panel->ScalePaintBox()));
        QVERIFY(!f.Shown(f.Panel->NewMeter()));
        QCOMPARE(f.Panel6X(), TSignalPanel::kPanel6GraphX);
        QVERIFY(AllBlack(f.Panel->Image1()->Picture()));

        f.Level(100);
        f.Level(120);
        f.Controller.MeterToggle();
        QVERIFY(f.Panel->UseMeter()->isChecked());
        QVERIFY(f.Shown(f.Panel->NewMeter()));
        QVERIFY(!f.Shown(f.Panel->ScalePaintBox()));
        QCOMPARE(f.Panel6X(), TSignalPanel::kPanel6AloneX);

        f.Controller.MeterToggle();
        QVERIFY(!f.Shown(f.Panel->NewMeter()));
        QVERIFY(f.Shown(f.Panel->ScalePaintBox()));
        QCOMPARE(f.Panel6X(), TSignalPanel::kPanel6GraphX);
        QCOMPARE(f.NewestY(), kImageHeight);        // the graph restarts ...
        QCOMPARE(f.Controller.Average().Held(), 2); // ... the average goes on

        f.Freq->setChecked(true);
        f.Controller.MeterToggle();
        squelch.clear();
        f.Signal->setChecked(false);
        QVERIFY(!f.Panel->UseMeter()->isChecked());
        QVERIFY(!f.Shown(f.Panel->NewMeter()));
        QVERIFY(!f.Shown(f.Panel->ScalePaintBox()));
        QVERIFY(!f.Freq->isChecked());
        QVERIFY(!f.Driver.PollRx);
        QCOMPARE(f.Panel6X(), TSignalPanel::kPanel6AloneX);
        QCOMPARE(f.Panel->Image1()->Picture(), logo);
        QCOMPARE(squelch.size(), 1); // the current box back to green
        QCOMPARE(squelch.at(0).at(0).toBool(), false);
    }

    void meterWithoutALink() {
        TDisplayFixture f;
        f.Signal->setEnabled(false); // port closed
        f.Controller.MeterToggle();
        QVERIFY(!f.Signal->isChecked());
        QVERIFY(f.Shown(f.Panel->NewMeter()));
        f.Controller.MeterToggle();
        QVERIFY(!f.Shown(f.Panel->NewMeter()));
        QVERIFY(!AllBlack(f.Panel->Image1()->Picture())); // the logo again

        // A meter switched on while the display could not start keeps its place once it does.
        f.Controller.MeterToggle();
        f.Signal->setEnabled(true);
        f.Signal->setChecked(true);
        QVERIFY(f.Shown(f.Panel->NewMeter()));
        QVERIFY(!f.Shown(f.Panel->ScalePaintBox()));
        QCOMPARE(f.Panel6X(), TSignalPanel::kPanel6AloneX);
    }

    void squelchAndFrequencyFollow() {
        TDisplayFixture f;
        QSignalSpy squelch(&f.Controller, &TSignalDisplayController::SquelchStateChanged);
        QSignalSpy heard(&f.Controller, &TSignalDisplayController::SquelchReported);
        QList<TRxDat> followed;
        QObject::connect(&f.Controller, &TSignalDisplayController::FrequencyFollowed,
                         [&followed](const TRxDat& rec) { followed << rec; });

        f.Level(40, true); // display off: only recording hears it
        QCOMPARE(heard.size(), 1);
        QCOMPARE(squelch.size(), 0);

        f.Signal->setChecked(true);
        f.Level(40, true);
        f.Level(90, false);
        QCOMPARE(squelch.size(), 2);
        QCOMPARE(squelch.at(0).at(0).toBool(), true);
        QCOMPARE(squelch.at(1).at(0).toBool(), false);

        f.TuneTo(u"VB RF0432100000 ST025000  AU0 MD0"_s);
        f.Level(90);
        QCOMPARE(followed.size(), 0); // "Fre&q" off

        f.Freq->setChecked(true);
        QVERIFY(f.Driver.PollRx);
        f.Level(90);
        QCOMPARE(followed.size(), 1);
        QCOMPARE(followed.at(0).Vfo, kRxCodeFirstVfo + 1); // "VB"
        QCOMPARE(followed.at(0).Freq, 432.1);

        QChar current = u'M';
        f.Controller.CurrentVfoLetter = [&current] {
            return current;
        };
        f.Level(90);
        QCOMPARE(followed.size(), 1); // the memory is current
        current = u'E';
        f.Level(90);
        QCOMPARE(followed.size(), 2);

        f.Reply(u"MR RF0145500000 ST025000  AU0 MD0 MP0 TM TEXT    "_s);
        f.Level(90);
        QCOMPARE(followed.size(), 2); // not a VFO reply

        f.Freq->setChecked(false);
        QVERIFY(!f.Driver.PollRx);
        QVERIFY(f.Signal->isChecked());
    }

    void levelThatIsNoNumberIsReported() {
        TDisplayFixture f;
        QSignalSpy errors(&f.Controller, &TSignalDisplayController::ErrorMessage);
        f.Signal->setChecked(true);
        TRxDat rec;
        rec.Level = u"1x"_s;
        f.Controller.ShowSignal(rec);
        QCOMPARE(errors.size(), 1);
        QVERIFY(errors.at(0).at(0).toString().contains(u"'1x'"_s));
        QCOMPARE(f.Controller.Average().Held(), 0);
        f.Level(200);
        QCOMPARE(f.NewestY(), TSignalPanel::LevelY(200, kImageHeight));
    }

    void menuAndKeptCheckMarks() {
        QTemporaryDir home;
        const QString fileName = home.filePath(u"Kovela.INI"_s);
        TSignalPanel panel;
        QStringList names;
        for (const QAction* action : panel.PopupMenuGraticules()->actions())
            names << action->objectName();
        QCOMPARE(names, (QStringList{u"Graticules1"_s, u"SignalData"_s, u"UseMeter"_s,
                                     u"AvgMeter1"_s, u"MainRecordtoWav1"_s}));
        QVERIFY(!panel.MainRecordtoWav1()->isEnabled());

        {
            TIniFile empty(fileName);
            TSettings settings;
            settings.Load(empty);
            panel.LoadCheckMarks(settings);
            QVERIFY(panel.Graticules1()->isChecked());
            QVERIFY(!panel.SignalData()->isChecked());
            QVERIFY(panel.AvgMeter1()->isChecked());
        }
        {
            QFile file(fileName);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("[Settings]\r\nGraticules=0\r\nSignalGraphData=1\r\nAvgMeter=0\r\n");
        }
        TSettings settings;
        settings.Load(TIniFile(fileName));
        panel.UseMeter()->setChecked(true);
        panel.LoadCheckMarks(settings);
        QVERIFY(!panel.Graticules1()->isChecked());
        QVERIFY(panel.SignalData()->isChecked());
        QVERIFY(!panel.AvgMeter1()->isChecked());

        panel.Graticules1()->trigger();
        panel.SignalData()->trigger();
        panel.SaveCheckMarks(settings);
        TIniFile ini(fileName);
        QVERIFY(settings.SaveAtExit(ini));
        const TIniFile reread(fileName);
        QCOMPARE(reread.ReadString(u"Settings"_s, u"Graticules"_s, {}), u"1"_s);
        QCOMPARE(reread.ReadString(u"Settings"_s, u"SignalGraphData"_s, {}), u"0"_s);
        QCOMPARE(reread.ReadString(u"Settings"_s, u"AvgMeter"_s, {}), u"0"_s);
    }
};

QTEST_MAIN(TestSignalDisplay)
#include "tst_signaldisplay.moc"
