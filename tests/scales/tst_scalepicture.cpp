// The dial and band strip as pictures: where ticks, labels, bands and titles fall.
#include "ScalePicture.h"

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QTest>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr int kWidth = 500;
constexpr int kHeight = 61;
const QColor kLime{0, 255, 0};

QImage Blank() {
    return QImage(kWidth, kHeight, QImage::Format_RGB32);
}

bool AnyPixel(const QImage& image, const QRect& area, const QColor& colour) {
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixelColor(x, y) == colour)
                return true;
    return false;
}

} // namespace

class TestScalePicture : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void dialMarksSitOnTheirKilohertz() {
        const qint64 centre = MHzToHz(145.0075);
        QCOMPARE(DialCellOffset(centre), 37);
        const QList<TDialMark> marks = DialMarks(centre, kWidth);
        const auto at = [&](int x) {
            return std::find_if(marks.begin(), marks.end(),
                                [x](const TDialMark& m) { return m.X == x; });
        };
        // The 10 kHz boundary below the centre is 37 pixels left of it.
        QVERIFY(at(250 - 37) != marks.end());
        QCOMPARE(at(250 - 37)->Label, u"145.00"_s);
        QCOMPARE(at(250 - 37 + 50)->Label, u"145.01"_s);
        QCOMPARE(at(250 - 37 - 50)->Label, u"144.99"_s);
        QVERIFY(!at(250 - 37 + 5)->Ten);
        QVERIFY(at(250 - 37 + 5)->Label.isEmpty());
        // Ticks reach past both edges, so a drag never shows a bare end.
        QVERIFY(marks.first().X < 0);
        QVERIFY(marks.last().X >= kWidth);

        QImage dial = Blank();
        DrawDial(dial, 145.0075, 144.0, 146.0, QFont());
        QCOMPARE(dial.pixelColor(213, 33), kLime);             // a 10 kHz tick reaches y 28
        QCOMPARE(dial.pixelColor(218, 33), QColor(Qt::black)); // a 1 kHz tick stops at y 36
        QCOMPARE(dial.pixelColor(218, 40), kLime);
        QCOMPARE(dial.pixelColor(250, 50), QColor(Qt::red));
    }

    void outsideTheScaleIsInverted() {
        QImage dial = Blank();
        // The scale starts 10 kHz above the dial's centre: 50 pixels to the right.
        DrawDial(dial, 144.0, 144.010, 146.0, QFont());
        QCOMPARE(dial.pixelColor(100, 55), QColor(Qt::white)); // black turned white
        QCOMPARE(dial.pixelColor(299, 55), QColor(Qt::white));
        QCOMPARE(dial.pixelColor(300, 55), QColor(Qt::black));
        QCOMPARE(dial.pixelColor(450, 55), QColor(Qt::black));
    }

    void bandsSpanTheirFrequencies_data() {
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("right");
        QTest::addColumn<bool>("onBlack");
        QTest::newRow("around the centre") << 144.000 << 144.025 << 200 << 325 << false;
        QTest::newRow("starting left of the strip") << 143.900 << 144.020 << 0 << 300 << true;
        QTest::newRow("running past the right") << 144.030 << 145.0 << 350 << 500 << false;
    }
    void bandsSpanTheirFrequencies() {
        QFETCH(double, low);
        QFETCH(double, high);
        QFETCH(int, left);
        QFETCH(int, right);
        QFETCH(bool, onBlack);
        const TScaleBand band{MHzToHz(low), MHzToHz(high), u"B"_s, Qt::yellow};
        const auto span = BandSpan(band, MHzToHz(144.010), kWidth);
        QVERIFY(span);
        QCOMPARE(span->Left, left);
        QCOMPARE(span->Right, right);
        QCOMPARE(span->TitleOnBlack, onBlack);
    }

    void bandsOutOfViewAreNotDrawn() {
        const TScaleBand below{MHzToHz(143.0), MHzToHz(143.960), u"B"_s, Qt::yellow};
        const TScaleBand above{MHzToHz(144.060), MHzToHz(145.0), u"B"_s, Qt::yellow};
        QVERIFY(!BandSpan(below, MHzToHz(144.010), kWidth));
        QVERIFY(!BandSpan(above, MHzToHz(144.010), kWidth));
    }

    void bandStripShowsColoursAndTitles() {
        std::array<TScaleBand, 3> bands{};
        bands[0] = {MHzToHz(144.000), MHzToHz(144.025), u"Phone"_s, Qt::yellow};
        bands[2] = {MHzToHz(143.000), MHzToHz(144.005), u"CW"_s, Qt::cyan};
        QImage strip = Blank();
        DrawBands(strip, 144.010, bands, QFont());
        // Band 1 fills y 0..9 from x 200 to 324, its title black on yellow at x 200.
        QCOMPARE(strip.pixelColor(320, 5), QColor(Qt::yellow));
        QCOMPARE(strip.pixelColor(325, 5), QColor(Qt::black));
        QCOMPARE(strip.pixelColor(199, 5), QColor(Qt::black));
        QVERIFY(AnyPixel(strip, QRect(200, 0, 60, 10), Qt::black));
        QCOMPARE(strip.pixelColor(320, 15), QColor(Qt::black)); // band 2 is empty
        // Band 3 begins off the left edge: its title is white on black at x 0.
        QVERIFY(AnyPixel(strip, QRect(0, 20, 30, 10), Qt::white));
        QVERIFY(!AnyPixel(strip, QRect(0, 20, 10, 10), Qt::cyan));
        QCOMPARE(strip.pixelColor(220, 25), QColor(Qt::cyan));
        QCOMPARE(strip.pixelColor(250, 40), QColor(Qt::red));
    }

    void numbersLoseTheirLeadingZero() {
        QCOMPARE(ScaleNumberText(0.5, 2), u".50"_s);
        QCOMPARE(ScaleNumberText(145.0075, 6), u"145.007500"_s);
    }
};

QTEST_MAIN(TestScalePicture)
#include "tst_scalepicture.moc"
