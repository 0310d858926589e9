// The main window's components without a window around them: the averaging ring and the meter.
#include "components/AveragedArray.h"
#include "components/Meter.h"

#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include <limits>

using namespace Qt::StringLiterals;

namespace {

// Counts the paints a widget receives.
class TPaintCounter : public QObject {
public:
    explicit TPaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int Count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++Count;
        return false;
    }
};

// A shown needle meter as the signal display sets it up, with a paint counter settled at 0.
struct TShownMeter {
    TMeter Meter;
    TPaintCounter Paints{&Meter};

    TShownMeter() {
        Meter.resize(151, 59);
        Meter.SetKind(TMeter::TKind::Needle);
        Meter.SetMaxValue(255);
        Meter.SetMinValue(1);
        Meter.show();
        if (!QTest::qWaitForWindowExposed(&Meter))
            qFatal("the meter window was not exposed");
        Settle();
        Paints.Count = 0;
    }
    void Settle() { QCoreApplication::processEvents(); }
};

// The needle is drawn smooth: a red pixel at or next to `point`.
bool RedNear(const QImage& image, QPoint point) {
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            const QColor colour = image.pixelColor(point + QPoint(dx, dy));
            if (colour.red() > 200 && colour.green() < 60 && colour.blue() < 80)
                return true;
        }
    }
    return false;
}

} // namespace

class TestComponents : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void averageIsTheMeanOfTheLatestReadings_data() {
        QTest::addColumn<int>("capacity");
        QTest::addColumn<QList<int>>("readings");
        QTest::addColumn<int>("average");
        QTest::newRow("none held") << 16 << QList<int>{} << 0;
        QTest::newRow("three of sixteen") << 16 << QList<int>{10, 20, 40} << 23;
        QList<int> twenty;
        for (int value = 1; value <= 20; ++value)
            twenty << value * 10;
        // The first four (10..40) have been overwritten: (50 + ... + 200) / 16.
        QTest::newRow("twenty into sixteen") << 16 << twenty << 125;
        QTest::newRow("ring wraps twice") << 2 << QList<int>{1, 2, 3, 4, 9} << 6;
        QTest::newRow("truncated, not rounded") << 16 << QList<int>{1, 2} << 1;
        QTest::newRow("truncated toward zero") << 16 << QList<int>{-1, -2} << -1;
        const int top = std::numeric_limits<int>::max();
        QTest::newRow("no overflow near the limits") << 4 << QList<int>{top, top, top} << top;
    }

    void averageIsTheMeanOfTheLatestReadings() {
        QFETCH(int, capacity);
        QFETCH(QList<int>, readings);
        QFETCH(int, average);
        TAveragedArray array(capacity);
        for (const int value : readings)
            array.Add(value);
        QCOMPARE(array.Average(), average);
        QCOMPARE(array.Held(), std::min(capacity, static_cast<int>(readings.size())));
    }

    void clearAndNewCapacityStartAfresh() {
        TAveragedArray array;
        QCOMPARE(array.Capacity(), 16);
        for (int i = 0; i < 20; ++i)
            array.Add(100);
        array.Clear();
        QCOMPARE(array.Average(), 0);
        array.Add(7);
        QCOMPARE(array.Average(), 7); // nothing of before the clear is left in the sum

        array.SetCapacity(3);
        QCOMPARE(array.Held(), 0);
        for (const int value : {30, 60, 90, 120})
            array.Add(value);
        QCOMPARE(array.Average(), 90);
        array.SetCapacity(0); // still a ring of one
        array.Add(5);
        array.Add(8);
        QCOMPARE(array.Average(), 8);
    }

    void percentDone_data() {
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("progress");
        QTest::addColumn<int>("percent");
        QTest::newRow("bottom") << 1 << 255 << 1 << 0;
        QTest::newRow("cut off, not rounded") << 1 << 255 << 255 - 2 << 99;
        QTest::newRow("top") << 1 << 255 << 255 << 100;
        QTest::newRow("clamped below") << 1 << 255 << -50 << 0;
        QTest::newRow("clamped above") << 1 << 255 << 999 << 100;
        QTest::newRow("empty range") << 5 << 5 << 5 << 0;
        QTest::newRow("negative range") << -200 << -100 << -150 << 50;
        const int top = std::numeric_limits<int>::max();
        QTest::newRow("whole int range") << -top << top << top - 1 << 99;
    }

    void percentDone() {
        QFETCH(int, minimum);
        QFETCH(int, maximum);
        QFETCH(int, progress);
        QFETCH(int, percent);
        TMeter meter;
        QVERIFY(meter.SetMinValue(-std::numeric_limits<int>::max()));
        QVERIFY(meter.SetMaxValue(maximum));
        QVERIFY(meter.SetMinValue(minimum));
        meter.SetProgress(progress);
        QCOMPARE(meter.PercentDone(), percent);
        QVERIFY(meter.Progress() >= minimum && meter.Progress() <= maximum);
    }

    void rangeErrorsRefuseTheValue() {
        TMeter meter; // 0..100
        QSignalSpy errors(&meter, &TMeter::RangeError);
        meter.SetProgress(40);

        QVERIFY(!meter.SetMinValue(101));
        QCOMPARE(meter.MinValue(), 0);
        QVERIFY(!meter.SetMaxValue(-1));
        QCOMPARE(meter.MaxValue(), 100);
        QCOMPARE(errors.size(), 2);
        QCOMPARE(errors.at(0).at(0).toString(), u"Value must be between -2147483647 and 99"_s);
        QCOMPARE(errors.at(1).at(0).toString(), u"Value must be between 1 and 2147483647"_s);
        QCOMPARE(meter.Progress(), 40);

        // Accepted limits drag Progress along.
        QVERIFY(meter.SetMinValue(60));
        QCOMPARE(meter.Progress(), 60);
        QVERIFY(meter.SetMinValue(100)); // equal to the maximum is allowed
        QCOMPARE(meter.PercentDone(), 0);
        QVERIFY(meter.SetMinValue(0));
        QVERIFY(meter.SetMaxValue(30));
        QCOMPARE(meter.Progress(), 30);
        QCOMPARE(errors.size(), 2);
    }

    void progressRepaintsOnlyWhenThePercentageChanges() {
        TShownMeter shown;
        for (int position = 1; position <= 255; ++position) {
            shown.Meter.SetProgress(position);
            shown.Settle();
        }
        // 254 steps of 255 positions on a 0..100 scale: one paint per new whole percent.
        QCOMPARE(shown.Paints.Count, 100);

        shown.Paints.Count = 0;
        shown.Meter.SetProgress(254); // 99.6 %: still 99 after falling from 100
        shown.Settle();
        QCOMPARE(shown.Paints.Count, 1);
        shown.Meter.SetProgress(253); // 99.2 %
        shown.Meter.SetProgress(400); // clamped to 255: 100 % again
        shown.Meter.SetProgress(255);
        shown.Settle();
        QCOMPARE(shown.Paints.Count, 2);
    }

    void settersRepaintOnlyOnChange() {
        TShownMeter shown;
        TMeter& meter = shown.Meter;
        meter.SetKind(TMeter::TKind::Needle);
        meter.SetForeColor(meter.ForeColor());
        meter.SetBackColor(meter.BackColor());
        meter.SetShowText(meter.ShowText());
        meter.SetBorderStyle(meter.BorderStyle());
        meter.SetBackImage(meter.BackImage());
        QVERIFY(meter.SetMinValue(meter.MinValue()));
        QVERIFY(meter.SetMaxValue(meter.MaxValue()));
        shown.Settle();
        QCOMPARE(shown.Paints.Count, 0);

        meter.SetForeColor(Qt::red);
        shown.Settle();
        QCOMPARE(shown.Paints.Count, 1);
        QPixmap face(10, 10);
        face.fill(Qt::blue);
        meter.SetBackImage(face);
        shown.Settle();
        QCOMPARE(shown.Paints.Count, 2);
    }

    void needleSweepsFromUpperLeftToJustBelowRight_data() {
        QTest::addColumn<int>("percent");
        QTest::addColumn<QLine>("needle");
        // 151 x 59: pivot (75, 58), radius 59 * 4 div 6 = 39.
        QTest::newRow("0 %: 22.5 degrees above the left") << 0 << QLine(75, 58, 39, 43);
        QTest::newRow("50 %: 15 degrees right of upright") << 50 << QLine(75, 58, 85, 20);
        QTest::newRow("100 %: 8.1 degrees below the right") << 100 << QLine(75, 58, 114, 63);
    }

    void needleSweepsFromUpperLeftToJustBelowRight() {
        QFETCH(int, percent);
        QFETCH(QLine, needle);
        QCOMPARE(TMeter::NeedleLine(151, 59, 59, percent), needle);
    }

    void needleIsPaintedInItsColourOverThePicture() {
        TMeter meter;
        meter.resize(151, 59);
        meter.SetKind(TMeter::TKind::Needle);
        meter.SetShowText(false);
        meter.SetForeColor(Qt::red);
        QPixmap face(151, 59);
        face.fill(Qt::darkBlue);
        meter.SetBackImage(face);
        meter.SetProgress(0);
        const QImage low = meter.grab().toImage();
        QVERIFY(RedNear(low, {57, 50})); // half-way along the needle
        QCOMPARE(low.pixelColor(140, 5), QColor(Qt::darkBlue));
        QCOMPARE(low.pixelColor(0, 0), QColor(Qt::darkBlue)); // the picture covers the border

        meter.SetShowText(true);
        meter.SetProgress(100);
        const QImage high = meter.grab().toImage();
        QVERIFY(!RedNear(high, {57, 50}));
        QVERIFY(RedNear(high, {80, 57}));
        bool whiteText = false;
        for (int x = 60; x < 90 && !whiteText; ++x)
            whiteText = high.pixelColor(x, 29) == QColor(Qt::white);
        QVERIFY(whiteText);
    }

    void plainKindsFillTheirShare_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QPoint>("filled");
        QTest::addColumn<QPoint>("empty");
        QTest::newRow("horizontal bar") << 1 << QPoint(20, 80) << QPoint(80, 80);
        QTest::newRow("vertical bar") << 2 << QPoint(80, 80) << QPoint(80, 20);
        QTest::newRow("pie") << 3 << QPoint(70, 30) << QPoint(30, 70);
    }

    void plainKindsFillTheirShare() {
        QFETCH(int, kind);
        QFETCH(QPoint, filled);
        QFETCH(QPoint, empty);
        TMeter meter; // 100 x 100, black on white
        meter.SetKind(static_cast<TMeter::TKind>(kind));
        meter.SetShowText(false);
        meter.SetProgress(40);
        const QImage picture = meter.grab().toImage();
        QCOMPARE(picture.pixelColor(filled), QColor(Qt::black));
        QCOMPARE(picture.pixelColor(empty), QColor(Qt::white));
    }
};

QTEST_MAIN(TestComponents)
#include "tst_components.moc"
