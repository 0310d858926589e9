// The scaled drawing surface: logical units to pixels and back, the target painted from the
// picture before its own painting, and the picture handed on.
#include "components/ScaleDrawSurface.h"

#include <QApplication>
#include <QClipboard>
#include <QPainter>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// A widget that paints a white square in its top left corner after whatever was there.
class TCornerWidget : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(0, 0, 10, 10, Qt::white);
    }
};

} // namespace

class TestScaleDrawSurface : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void ConvertsBetweenUnitsAndPixels_data() {
        QTest::addColumn<QSize>("pixels");
        QTest::addColumn<int>("maxX");
        QTest::addColumn<int>("maxY");
        QTest::addColumn<QPoint>("logical");
        QTest::addColumn<QPoint>("pixel");
        QTest::addColumn<QPoint>("pixelBack");
        QTest::addColumn<QPoint>("logicalBack");
        QTest::newRow("10000 across 500 px")
            << QSize(500, 256) << 10000 << 256 << QPoint(5000, 128) << QPoint(250, 128)
            << QPoint(333, 10) << QPoint(6660, 10);
        QTest::newRow("256 down 512 px") << QSize(100, 512) << 100 << 256 << QPoint(50, 128)
                                         << QPoint(50, 256) << QPoint(99, 511) << QPoint(99, 256);
        // A range of 0 is taken as 1: nothing divides by zero.
        QTest::newRow("no range") << QSize(40, 20) << 0 << -5 << QPoint(1, 1) << QPoint(40, 20)
                                  << QPoint(20, 10) << QPoint(0, 0);
    }
    void ConvertsBetweenUnitsAndPixels() {
        QFETCH(QSize, pixels);
        QFETCH(int, maxX);
        QFETCH(int, maxY);
        QFETCH(QPoint, logical);
        QFETCH(QPoint, pixel);
        QFETCH(QPoint, pixelBack);
        QFETCH(QPoint, logicalBack);
        TScaleDrawSurface surface;
        surface.SetSize(pixels);
        surface.SetMaxX(maxX);
        surface.SetMaxY(maxY);
        QCOMPARE(surface.ToPixels(logical), pixel);
        QCOMPARE(surface.ToLogical(pixelBack), logicalBack);
    }

    void FollowsItsTargetDownToOnePixel() {
        QWidget target;
        target.resize(500, 300);
        TScaleDrawSurface surface;
        surface.SetMaxX(10000);
        surface.SetMaxY(256);
        surface.SetTarget(&target);
        surface.BrushColor = Qt::blue;
        surface.FillRect(0, 0, 5000, 128);
        QCOMPARE(surface.Bitmap().size(), QSize(500, 300));
        target.resize(200, 0);
        surface.Clear();
        QCOMPARE(surface.Bitmap().size(), QSize(200, 1));
        QCOMPARE(surface.ScaleY(), 1.0 / 256);
        // Read at the target's size, even before anything is drawn at it.
        target.resize(1000, 256);
        QCOMPARE(surface.ToLogical({500, 128}), QPoint(5000, 128));
    }

    void FillsLogicalRectanglesWithoutTheirRightAndBottomEdges() {
        TScaleDrawSurface surface;
        surface.SetSize({100, 100});
        surface.SetMaxX(1000);
        surface.SetMaxY(1000);
        surface.Clear();
        surface.BrushColor = Qt::green;
        surface.FillRect(100, 200, 300, 400);
        const QImage& picture = surface.Bitmap();
        QCOMPARE(picture.pixelColor(10, 20), QColor(Qt::green));
        QCOMPARE(picture.pixelColor(29, 39), QColor(Qt::green));
        QCOMPARE(picture.pixelColor(30, 39), QColor(Qt::black));
        QCOMPARE(picture.pixelColor(29, 40), QColor(Qt::black));
        QCOMPARE(picture.pixelColor(9, 20), QColor(Qt::black));
        // Narrower than a pixel: still one pixel, not nothing.
        surface.FillRect(503, 600, 506, 700);
        QCOMPARE(picture.pixelColor(50, 65), QColor(Qt::green));
        QCOMPARE(picture.pixelColor(51, 65), QColor(Qt::black));
    }

    void TargetShowsThePictureThenItsOwnPainting() {
        TCornerWidget target;
        target.resize(60, 40);
        TScaleDrawSurface surface;
        surface.SetMaxX(60);
        surface.SetMaxY(40);
        surface.SetTarget(&target);
        surface.BrushColor = Qt::blue;
        surface.Clear();
        target.show();
        QVERIFY(QTest::qWaitForWindowExposed(&target));
        surface.Paint();
        const QImage shown = target.grab().toImage();
        QCOMPARE(shown.pixelColor(5, 5), QColor(Qt::white));  // the widget's own, painted last
        QCOMPARE(shown.pixelColor(40, 30), QColor(Qt::blue)); // the picture
    }

    void RefusesFontsWithoutHeight() {
        TScaleDrawSurface surface;
        QVERIFY(surface.SetFontPixelHeight(9));
        QVERIFY(!surface.SetFontPixelHeight(0));
        QVERIFY(!surface.SetFontPixelHeight(-3));
        QCOMPARE(surface.Font().pixelSize(), 9);
    }

    void HandsThePictureOn() {
        TScaleDrawSurface surface;
        surface.SetSize({30, 20});
        surface.BrushColor = Qt::red;
        surface.Clear();
        QImage copy;
        surface.CopyToBitmap(copy);
        QCOMPARE(copy.size(), QSize(30, 20));
        QCOMPARE(copy.pixelColor(15, 10), QColor(Qt::red));
        // A copy, not a view of the picture.
        surface.BrushColor = Qt::blue;
        surface.Clear();
        QCOMPARE(copy.pixelColor(15, 10), QColor(Qt::red));

        surface.CopyToClipboard();
        const QImage pasted = QApplication::clipboard()->image();
        QCOMPARE(pasted.size(), QSize(30, 20));
        QCOMPARE(pasted.pixelColor(15, 10), QColor(Qt::blue));
    }
};

QTEST_MAIN(TestScaleDrawSurface)
#include "tst_scaledrawsurface.moc"
