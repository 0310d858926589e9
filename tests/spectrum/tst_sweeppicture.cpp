// The sweep's picture and arithmetic without a window: scale, bars, grids, labels, read-out.
#include "SweepPicture.h"

#include "VfoPanelController.h"

#include <QGuiApplication>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QColor kLime{0, 255, 0};
const QColor kGrey{0x80, 0x80, 0x80};

// 145 to 146 MHz in 12.5 kHz steps on a picture of 1000 x 256 pixels: ten logical units a pixel
// across, one down, so a level L bar starts at pixel row 255 - L.
struct TPicture {
    TSweepPicture Picture;

    explicit TPicture(QSize pixels = {1000, 256}, double low = 145.0, double high = 146.0,
                      const QString& step = u"12.500"_s) {
        Picture.Surface().SetSize(pixels);
        const TSweepSetUp setUp = ComputeSweepScale(low, high, step);
        if (!setUp.Scale)
            qFatal("no scale: %s", qPrintable(setUp.Refusal));
        Picture.SetScale(*setUp.Scale);
        Picture.CreateLabelFont(pixels.width());
        Picture.Surface().Clear();
    }
    QColor At(int x, int y) const { return Picture.Surface().Bitmap().pixelColor(x, y); }
    int Count(const QRect& area, const QColor& colour) const {
        int found = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                found += At(x, y) == colour ? 1 : 0;
        return found;
    }
    // Any colour but the background and the grid.
    int Drawn(const QRect& area) const {
        return area.width() * area.height() - Count(area, Qt::black) - Count(area, kGrey);
    }
};

} // namespace

class TestSweepPicture : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void ScalesTheBandBetweenTheLimits() {
        const TSweepSetUp up = ComputeSweepScale(145.0, 146.0, u"12.500"_s);
        QVERIFY(up.Scale);
        QVERIFY(qAbs(up.Scale->UnitsPerMHz - 10000 / 1.0125) < 1e-9);
        QCOMPARE(up.Scale->BarWidth, 123);
        QCOMPARE(up.Scale->StepCount, 81);
        QVERIFY(qAbs(up.Scale->UnitsPerStep - 123.4568) < 1e-3);
        QVERIFY(!up.Scale->Swapped);

        const TSweepSetUp down = ComputeSweepScale(146.0, 145.0, u"12.500"_s);
        QVERIFY(down.Scale);
        QCOMPARE(down.Scale->SweepLow, 145.0);
        QCOMPARE(down.Scale->SweepHigh, 146.0);
        QVERIFY(down.Scale->Swapped);
        QCOMPARE(down.Scale->StepCount, 81);
    }

    void RefusesSweepsItCannotDraw_data() {
        QTest::addColumn<double>("a");
        QTest::addColumn<double>("b");
        QTest::addColumn<QString>("step");
        QTest::addColumn<QString>("says");
        QTest::newRow("equal limits")
            << 145.0 << 145.0 << u"12.500"_s << u"Start and Stop Frequencies must be different!"_s;
        QTest::newRow("step 0") << 145.0 << 146.0 << u"0.000"_s << u"more than 0 kHz"_s;
        QTest::newRow("no step") << 145.0 << 146.0 << u""_s << u"more than 0 kHz"_s;
        QTest::newRow("not a number") << 145.0 << 146.0 << u"abc"_s << u"more than 0 kHz"_s;
        QTest::newRow("negative") << 145.0 << 146.0 << u"-5"_s << u"more than 0 kHz"_s;
        QTest::newRow("absurd count") << 0.1 << 2000.0 << u"0.001"_s << u"1000000 steps"_s;
    }
    void RefusesSweepsItCannotDraw() {
        QFETCH(double, a);
        QFETCH(double, b);
        QFETCH(QString, step);
        QFETCH(QString, says);
        const TSweepSetUp up = ComputeSweepScale(a, b, step);
        QVERIFY(!up.Scale);
        QVERIFY2(up.Refusal.contains(says), qPrintable(up.Refusal));
    }

    void FitsGridOptionsToTheWidth_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<qint64>("steps");
        QTest::addColumn<bool>("vGrid");
        QTest::addColumn<bool>("text");
        QTest::addColumn<int>("fontPixels");
        QTest::newRow("2000 steps on 1000 px") << 1000 << qint64(2000) << false << false << -1;
        QTest::newRow("6 px a step") << 600 << qint64(100) << true << false << 5;
        QTest::newRow("10 px a step") << 1000 << qint64(100) << true << true << 9;
        QTest::newRow("no steps yet") << 1000 << qint64(0) << true << true << 12;
    }
    void FitsGridOptionsToTheWidth() {
        QFETCH(int, width);
        QFETCH(qint64, steps);
        QFETCH(bool, vGrid);
        QFETCH(bool, text);
        QFETCH(int, fontPixels);
        const TGridFit fit = GridOptionsFit(width, steps);
        QCOMPARE(fit.VGrid, vGrid);
        QCOMPARE(fit.Text, text);
        QCOMPARE(LabelFontPixels(width, steps), fontPixels);
    }

    void LabelsTheLevelGridByBandAndAttenuation_data() {
        QTest::addColumn<int>("attenuationDb");
        QTest::addColumn<double>("mhz");
        QTest::addColumn<QString>("label");
        QTest::newRow("VHF, none") << 0 << 145.0 << u"~ -30dBm"_s;
        QTest::newRow("VHF, 10 dB counts 20") << 10 << 145.0 << u"~ -10dBm"_s;
        QTest::newRow("VHF, 20 dB counts 30") << 20 << 145.0 << u"~ -0dBm"_s;
        QTest::newRow("UHF, 10 dB") << 10 << 430.0 << u"~ -20dBm"_s;
        QTest::newRow("HF, none") << 0 << 7.0 << u"~ -20dBm"_s;
        QTest::newRow("HF, 20 dB") << 20 << 7.0 << u"~ -0dBm"_s;
        QTest::newRow("30 MHz is HF") << 0 << 30.0 << u"~ -20dBm"_s;
        QTest::newRow("HF, unknown") << 30 << 7.0 << QString();
    }
    void LabelsTheLevelGridByBandAndAttenuation() {
        QFETCH(int, attenuationDb);
        QFETCH(double, mhz);
        QFETCH(QString, label);
        QCOMPARE(LevelGridLabel(attenuationDb, mhz), label);
    }

    void DrawsLimeBarsAndReplacesAnOlderOne() {
        TPicture p;
        // 145.5 MHz: logical x 4938 .. 5061, pixels 494 .. 505.
        p.Picture.PlotHit(145.5, 200, true);
        QCOMPARE(p.At(500, 100), kLime);
        QCOMPARE(p.At(500, 55), kLime);
        QCOMPARE(p.At(500, 54), QColor(Qt::black));
        QCOMPARE(p.At(490, 100), QColor(Qt::black));
        p.Picture.PlotHit(145.5, 50, true);
        QCOMPARE(p.At(500, 100), QColor(Qt::black));
        QCOMPARE(p.At(500, 230), kLime);
        QCOMPARE(p.Picture.HitList().size(), std::size_t(1));
        QCOMPARE(p.Picture.HitList().at(u"0145.500000"_s), 50);
    }

    void DrawsGridsInGreyWithTheLevelLabel() {
        TPicture p;
        p.Picture.Reading = [] {
            return TReceiverReading{0, 145.0};
        };
        p.Picture.VGrid = true;
        p.Picture.HGrid = true;
        p.Picture.DrawGraticules();
        // Vertical lines every 123.46 units, the first at pixel 12; level lines at fixed rows.
        QCOMPARE(p.At(12, 150), kGrey);
        QCOMPARE(p.At(25, 150), kGrey);
        QCOMPARE(p.At(18, 150), QColor(Qt::black));
        for (const int row : kLevelGridRows)
            QCOMPARE(p.At(700, row), kGrey);
        QVERIFY(p.Count(QRect(0, 0, 100, 27), Qt::red) > 0);

        TPicture plain;
        plain.Picture.DrawGraticules();
        QCOMPARE(plain.Count(QRect(0, 0, 1000, 256), kGrey), 0);
    }

    void WritesFrequencyLabelsOnlyWhenAsked() {
        TPicture p;
        const QRect aboveBar(480, 0, 40, 50);
        p.Picture.PlotHit(145.5, 200, false);
        QCOMPARE(p.Drawn(aboveBar), 0);
        p.Picture.Text = true;
        p.Picture.PlotHit(145.5, 200, false);
        QVERIFY(p.Count(aboveBar, Qt::red) > 0);
    }

    void NoLabelWhenNoFontFitsAStep() {
        // 2000 steps on 1000 pixels: the label font would be -1 pixels high.
        TPicture p({1000, 256}, 145.0, 170.0, u"12.500"_s);
        QVERIFY(!p.Picture.LabelFontFits());
        QTest::failOnWarning(QRegularExpression(u"QFont"_s));
        p.Picture.Text = true;
        p.Picture.PlotHit(150.0, 200, true);
        QCOMPARE(p.Count(QRect(0, 0, 1000, 256), Qt::red), 0);
        QVERIFY(p.Count(QRect(0, 0, 1000, 256), kLime) > 0);
    }

    void RedrawsEveryHitAfterAResize() {
        TPicture p;
        p.Picture.PlotHit(145.25, 100, false);
        p.Picture.PlotHit(145.75, 250, true);
        p.Picture.Surface().SetSize({500, 256});
        p.Picture.RedrawSweep();
        QCOMPARE(p.Picture.Surface().Bitmap().width(), 500);
        // 145.25 MHz at logical 2469 (pixel 123), 145.75 MHz at 7407 (pixel 370).
        QCOMPARE(p.At(125, 200), kLime);
        QCOMPARE(p.At(125, 150), QColor(Qt::black));
        QCOMPARE(p.At(372, 10), kLime);
        QCOMPARE(p.At(250, 200), QColor(Qt::black));
    }

    void ReadsOutTheHitUnderTheMouse() {
        TPicture p;
        p.Picture.PlotHit(145.025, 2, true);
        // Pixel 30 is logical 300: the third step, 145.025 MHz.
        const TReadOut weak = p.Picture.ReadOut({30, 100});
        QCOMPARE(weak.FreqMHz, 145.025);
        QCOMPARE(weak.FreqLabel, FormatFrequencyText(145.025));
        QVERIFY(weak.Hint);
        QVERIFY2(weak.Hint->startsWith(u"145.025MHz < -"_s), qPrintable(*weak.Hint));
        QVERIFY(weak.Hint->contains(u"µV S"_s));
        QVERIFY(weak.Hint->endsWith(u"   "_s));

        p.Picture.PlotHit(145.025, 200, true);
        const TReadOut strong = p.Picture.ReadOut({30, 100});
        QVERIFY2(strong.Hint && strong.Hint->startsWith(u"145.025MHz -"_s),
                 qPrintable(strong.Hint.value_or(u"none"_s)));

        const TReadOut miss = p.Picture.ReadOut({60, 100});
        QVERIFY(!miss.Hint);
        QCOMPARE(miss.FreqLabel, FormatFrequencyText(145.05));
    }

    void DrawsOnAPictureOfAnySize() {
        TPicture p({1920, 1080}, 100.0, 200.0, u"25.000"_s);
        p.Picture.HGrid = true;
        for (int i = 0; i < 50; ++i)
            p.Picture.PlotHit(100.0 + i * 2.0, 40 + i * 4, false);
        p.Picture.RedrawSweep();
        QCOMPARE(p.Picture.HitList().size(), std::size_t(50));
        QCOMPARE(p.Picture.Surface().Bitmap().size(), QSize(1920, 1080));
        QVERIFY(p.Count(QRect(0, 1070, 1920, 10), kLime) > 0);
    }
};

QTEST_MAIN(TestSweepPicture)
#include "tst_sweeppicture.moc"
