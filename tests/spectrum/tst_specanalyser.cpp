// The "Spectrum Sweep" window against the simulated receiver, opened as the main window's menu
// opens it.
#include "searchscan/SearchScanFixture.h"

#include "IniFile.h"
#include "PriorityPage.h"
#include "ProgramFolder.h"
#include "SpecAnalyserUnit.h"
#include "SpectrumController.h"
#include "VfoPanelController.h"
#include "VfoSearch.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QSpinBox>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

const QColor kLime{0, 255, 0};
const QString kStepUp = QString(QChar(0x1E));

// VFO A at 145.000 and VFO B at 145.100 MHz in 12.5 kHz steps; carriers at 145.025 and 145.075.
void PrepareBand(TSimReceiver& rx, double vfoB = 145.1, const QString& step = u"12.500"_s) {
    PrepareTwoCarrierBand(rx);
    TRxDat a = rx.Vfo(u'A');
    a.Freq = 145.0;
    a.Step = step;
    rx.SetVfo(u'A', a);
    TRxDat b = rx.Vfo(u'B');
    b.Freq = vfoB;
    rx.SetVfo(u'B', b);
}

// The mouse moved over `widget` with no button down. Sent to the widget itself: the offscreen
// platform's pointer goes to whichever of the overlapping windows it takes for the top one.
void Hover(QWidget* widget, QPoint pos) {
    QMouseEvent move(QEvent::MouseMove, pos, widget->mapToGlobal(pos), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

struct TSweepFixture : TSearchScanFixture {
    int LogClosed = 0;
    std::unique_ptr<TSpectrumController> Spectrum;
    TSpecAnalyserForm* Window = nullptr;

    explicit TSweepFixture(double vfoB = 145.1, const QString& step = u"12.500"_s) {
        PrepareBand(Receiver, vfoB, step);
        Spectrum = std::make_unique<TSpectrumController>(*Form, Pages, [this] { ++LogClosed; });
    }
    // The link opened, then File, "Spec Analyser".
    bool OpenWindow() {
        if (!Open())
            return false;
        Form->findChild<QAction*>(u"SpecAnalyser1"_s)->trigger();
        Window = Spectrum->Form();
        return Window && Window->isVisible();
    }
    template <typename T> T* In(const QString& name) const {
        T* found = Window->findChild<T*>(name);
        if (!found)
            qFatal("no control %s", qPrintable(name));
        return found;
    }
    QPushButton* SweepButton() const { return In<QPushButton>(u"SARunSpeedButton"_s); }
    const std::map<QString, int>& Hits() const { return Window->Picture().HitList(); }
    bool Swept(const QString& key) const { return Hits().count(key) > 0; }
    // One sweep, stopped once `key` has been hit.
    bool SweepUntil(const QString& key) {
        SweepButton()->click();
        const bool hit = QTest::qWaitFor([&] { return Swept(key); }, kPatientMs);
        SweepButton()->click();
        return hit;
    }
};

} // namespace

class TestSpecAnalyser : public QObject {
    Q_OBJECT

private:
    QTemporaryDir FHome;

private Q_SLOTS:
    void initTestCase() { qputenv("KOVELA_HOME", FHome.path().toLocal8Bit()); }

    void SweepsBetweenVfoAAndBAndStopsOnVfoA() {
        TSweepFixture f;
        QVERIFY(f.OpenWindow());
        QCOMPARE(f.Window->windowTitle(), u"Spectrum Sweep"_s);
        QCOMPARE(f.In<QLabel>(u"LowFreqLabel"_s)->text().trimmed(), u"145.000000"_s);
        QCOMPARE(f.In<QLabel>(u"HiFreqLabel"_s)->text().trimmed(), u"145.100000"_s);
        QCOMPARE(f.Window->Picture().Scale().StepCount, 9);
        auto* priority = f.Pages->Priority()->PriorityCheckBox1();
        priority->setChecked(true);
        f.TakeSent();

        f.SweepButton()->click();
        QCOMPARE(f.SweepButton()->text(), u"Stop"_s);
        QVERIFY(f.Form->RunFlags().SweepRunning);
        QVERIFY(!f.Form->isEnabled());
        QVERIFY(!priority->isChecked());
        QCOMPARE(f.LogClosed, 1);
        QVERIFY(!f.Sheet().VfoPanel()->VfoDataHooked());
        QTRY_VERIFY_WITH_TIMEOUT(f.Swept(u"0145.025000"_s) && f.Swept(u"0145.075000"_s),
                                 f.kPatientMs);
        // Only where the carriers are.
        for (const auto& [key, level] : f.Hits())
            QVERIFY2(key == u"0145.025000"_s || key == u"0145.075000"_s, qPrintable(key));
        const QStringList started = f.TakeSent();
        QVERIFY2(started.contains(u"LC1"_s) && started.contains(u"RQ130"_s) &&
                     started.contains(u"VSA"_s) && started.contains(kStepUp),
                 qPrintable(started.join(u' ')));
        // 145.025 MHz is a quarter across: its bar stands there.
        const QImage picture = f.Window->Picture().Surface().Bitmap();
        const int x = qRound(picture.width() * 0.025 / 0.1125) + 1;
        QCOMPARE(picture.pixelColor(x, picture.height() - 2), kLime);
        QCOMPARE(f.In<QLabel>(u"CurrentFreqLabel"_s)->text().isEmpty(), false);

        f.SweepButton()->click();
        QCOMPARE(f.SweepButton()->text(), u"Sweep"_s);
        QVERIFY(!f.Form->RunFlags().SweepRunning);
        QVERIFY(f.Form->isEnabled());
        QVERIFY(!f.Form->Driver()->OnFrequency);
        QVERIFY(f.Sheet().VfoPanel()->VfoDataHooked());
        QStringList stopped = f.TakeSent();
        stopped.removeAll(kStepUp); // for hits that came in meanwhile
        QVERIFY2(stopped.indexOf(u"LC0"_s) == 0 && stopped.indexOf(u"VA"_s) == 1,
                 qPrintable(stopped.join(u' ')));
        QVERIFY(!f.Receiver.Running());
    }

    void PauseOnHitHoldsTheReceiverUntilUnchecked() {
        TSweepFixture f;
        QVERIFY(f.OpenWindow());
        f.In<QCheckBox>(u"cbPause"_s)->click();
        f.SweepButton()->click();
        QTRY_VERIFY_WITH_TIMEOUT(!f.Hits().empty(), f.kPatientMs);
        // The carrier holds the squelch open: nothing moves on until told.
        const QStringList held = f.TakeSent();
        QVERIFY2(!held.contains(kStepUp), qPrintable(held.join(u' ')));
        QCOMPARE(f.Hits().size(), std::size_t(1));

        f.In<QCheckBox>(u"cbPause"_s)->click();
        QVERIFY(f.TakeSent().contains(kStepUp));
        QTRY_COMPARE_WITH_TIMEOUT(f.Hits().size(), std::size_t(2), f.kPatientMs);
        f.SweepButton()->click();
    }

    void BoxesDrawClearAndSendWhileSweeping() {
        TSweepFixture f;
        QVERIFY(f.OpenWindow());
        auto* clear = f.In<QCheckBox>(u"ClearCheckBox"_s);
        auto* timer1 = f.In<QTimer>(u"Timer1"_s);
        clear->click();
        QVERIFY(!timer1->isActive());           // only while sweeping
        f.In<QCheckBox>(u"cbPause"_s)->click(); // held on the first hit
        f.SweepButton()->click();
        QVERIFY(timer1->isActive());
        QCOMPARE(timer1->interval(), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(f.Swept(u"0145.025000"_s), f.kPatientMs);
        const TScaleDrawSurface& surface = f.Window->Picture().Surface();
        const int first = qRound(surface.Bitmap().width() * 0.025 / 0.1125) + 1;
        QCOMPARE(surface.Bitmap().pixelColor(first, surface.Bitmap().height() - 2), kLime);
        f.Window->Timer1Timer();
        QVERIFY(f.Hits().empty());
        QCOMPARE(surface.Bitmap().pixelColor(first, surface.Bitmap().height() - 2),
                 QColor(Qt::black));
        f.SweepButton()->click();
        QVERIFY(!timer1->isActive());
        f.In<QCheckBox>(u"cbPause"_s)->click();

        // The level grid comes and goes; the bars stay.
        QVERIFY(f.SweepUntil(u"0145.075000"_s));
        const int row = qRound(surface.Bitmap().height() * kLevelGridRows.front() / 256.0);
        const int bar = qRound(surface.Bitmap().width() * 0.075 / 0.1125) + 1;
        const QColor grey(0x80, 0x80, 0x80);
        f.In<QCheckBox>(u"ShowHGraticulesCheckBox"_s)->click();
        QCOMPARE(surface.Bitmap().pixelColor(3, row), grey);
        f.In<QCheckBox>(u"ShowHGraticulesCheckBox"_s)->click();
        QCOMPARE(surface.Bitmap().pixelColor(3, row), QColor(Qt::black));
        QCOMPARE(surface.Bitmap().pixelColor(bar, surface.Bitmap().height() - 2), kLime);

        f.TakeSent();
        f.In<QCheckBox>(u"CyberScanCheckBox"_s)->click();
        QCOMPARE(f.TakeSent(), QStringList{u"DS1"_s});
    }

    void SharesTheVfoSearchOptions() {
        TSweepFixture f;
        QVERIFY(f.OpenWindow());
        auto* popup = f.Pages->VfoSearch()->VfoOptionsPopupMenu();
        QWidget* panel = f.In<QWidget>(u"Panel2"_s);
        QTest::mousePress(panel, Qt::RightButton, {}, {3, 3});
        QTRY_VERIFY(popup->isVisible());
        popup->hide();

        // The options dialog's squelch reaches a shown sweep window at once.
        int squelch = 130;
        TSetUpVfoSearchForm dialog(*f.Form->Driver(), squelch, f.Form.get());
        dialog.show();
        QVERIFY(dialog.SpectrumVisible && dialog.SpectrumVisible());
        f.TakeSent();
        dialog.findChild<QSpinBox*>(u"VfoSquelchSpinEdit"_s)->setValue(77);
        QCOMPARE(f.TakeSent(), QStringList{u"RQ77"_s});
        f.Window->close();
        QTRY_VERIFY(!f.Spectrum->Form());
        QVERIFY(!dialog.SpectrumVisible());
    }

    void RefusesWhileAScanOrSearchRuns() {
        TSweepFixture f;
        QVERIFY(f.OpenWindow());
        for (bool TRunFlags::*flag :
             {&TRunFlags::ScanRunning, &TRunFlags::SearchRunning, &TRunFlags::SelectScanRunning}) {
            f.Form->RunFlags().*flag = true;
            f.TakeSent();
            f.Answers->Errors.clear();
            f.SweepButton()->click();
            QVERIFY(!f.SweepButton()->isChecked());
            QCOMPARE(f.SweepButton()->text(), u"Sweep"_s);
            QCOMPARE(f.Answers->Errors, QStringList{u"Stop scan or search first"_s});
            QVERIFY(!f.Form->RunFlags().SweepRunning);
            QVERIFY(f.TakeSent().isEmpty());
            f.Form->RunFlags().*flag = false;
        }
    }

    void RefusesLimitsOrStepsItCannotSweep_data() {
        QTest::addColumn<double>("vfoB");
        QTest::addColumn<QString>("step");
        QTest::addColumn<QString>("says");
        QTest::newRow("equal limits")
            << 145.0 << u"12.500"_s << u"Start and Stop Frequencies must be different!"_s;
        QTest::newRow("step 0") << 145.1 << u"0.000"_s << u"more than 0 kHz"_s;
    }
    void RefusesLimitsOrStepsItCannotSweep() {
        QFETCH(double, vfoB);
        QFETCH(QString, step);
        QFETCH(QString, says);
        TSweepFixture f(vfoB, step);
        QVERIFY(f.OpenWindow());
        f.TakeSent();
        f.Answers->Errors.clear();
        f.SweepButton()->click();
        QVERIFY(!f.SweepButton()->isChecked());
        QCOMPARE(f.Answers->Errors.size(), 1);
        QVERIFY2(f.Answers->Errors.first().contains(says), qPrintable(f.Answers->Errors.first()));
        QVERIFY(!f.Form->RunFlags().SweepRunning);
        QVERIFY(f.Form->isEnabled());
        QVERIFY(f.Sheet().VfoPanel()->VfoDataHooked());
        QVERIFY(!f.TakeSent().contains(u"VSA"_s));
    }

    void ALostLinkRunsTheStopPath() {
        TSweepFixture f;
        QVERIFY(f.OpenWindow());
        f.SweepButton()->click();
        QVERIFY(f.Form->RunFlags().SweepRunning);
        f.Receiver.DropConnection();
        QTRY_VERIFY_WITH_TIMEOUT(!f.Form->RunFlags().SweepRunning, f.kPatientMs);
        QVERIFY(!f.SweepButton()->isChecked());
        QVERIFY(f.Form->isEnabled());
        QVERIFY(!f.Form->Driver()->OnFrequency);
        QVERIFY(f.Sheet().VfoPanel()->VfoDataHooked());
    }

    void DoubleClickTunesVfoAAndTheNextSweepOffersItBack() {
        TSweepFixture f;
        QVERIFY(f.OpenWindow());
        QWidget* paintBox = f.In<QWidget>(u"PaintBox1"_s);
        // Half way along the fourth step: 145.0375 MHz.
        const QPoint third(qRound(paintBox->width() * 3.5 / 9), 20);
        Hover(paintBox, third);
        QTRY_VERIFY(!f.In<QLabel>(u"FreqLabel"_s)->text().isEmpty());
        const QString shown = f.In<QLabel>(u"FreqLabel"_s)->text();
        f.TakeSent();
        QTest::mouseDClick(paintBox, Qt::LeftButton, {}, third);
        QCOMPARE(f.Edit(u"EditVcoA"_s)->text(), shown);
        QVERIFY(f.Window->VfoARetuned());
        const QStringList tuned = f.TakeSent();
        QVERIFY2(tuned.contains(u"VA0145037500"_s), qPrintable(shown + tuned.join(u' ')));

        f.Answers->ConfirmAnswer = true;
        f.SweepButton()->click();
        QCOMPARE(f.Answers->ConfirmAsked.size(), 1);
        QVERIFY2(f.Answers->ConfirmAsked.first().startsWith(
                     u"Limit frequency in VfoA is now set to: 145.037500 MHz\r\n\r\n"
                     "Reset original frequency: 145.000000 MHz?"_s),
                 qPrintable(f.Answers->ConfirmAsked.first()));
        QVERIFY(f.TakeSent().contains(u"VA0145000000"_s));
        QCOMPARE(f.Edit(u"EditVcoA"_s)->text().trimmed(), u"145.000000"_s);
        // No tuning while sweeping.
        QTest::mouseDClick(paintBox, Qt::LeftButton, {}, third);
        QVERIFY(!f.Window->VfoARetuned());
        f.SweepButton()->click();
    }

    void ReadsOutAHitUnderTheMouse() {
        TSweepFixture f;
        QVERIFY(f.OpenWindow());
        QVERIFY(f.SweepUntil(u"0145.025000"_s));
        QWidget* paintBox = f.In<QWidget>(u"PaintBox1"_s);
        auto* hint = f.Window->findChild<QLabel*>(u"HintWindow"_s);
        // 145.025 MHz is the third step of nine.
        const QPoint over(qRound(paintBox->width() * 2.5 / 9), 50);
        Hover(paintBox, over);
        QTRY_VERIFY2(hint->isVisible(), qPrintable(f.In<QLabel>(u"FreqLabel"_s)->text()));
        QVERIFY2(hint->text().startsWith(u"145.025MHz "_s), qPrintable(hint->text()));
        QVERIFY(f.In<QTimer>(u"tmrCloseHintWindow"_s)->isActive());
        Hover(f.In<QWidget>(u"Panel2"_s), {5, 5});
        QTRY_VERIFY(!hint->isVisible());
        QVERIFY(f.In<QLabel>(u"FreqLabel"_s)->text().isEmpty());
    }

    void SavesPicturesAsBmpOrJpegOnly() {
        TSweepFixture f;
        QVERIFY(f.OpenWindow());
        f.SweepButton()->click();
        QTRY_VERIFY_WITH_TIMEOUT(!f.Hits().empty(), f.kPatientMs);
        QTemporaryDir folder;
        for (const QString& name : {u"sweep.jpg"_s, u"sweep.BMP"_s}) {
            f.Answers->SaveAnswer = folder.filePath(name);
            f.In<QAction>(u"SaveImage1"_s)->trigger();
            // Saving stops the sweep first.
            QVERIFY(!f.Form->RunFlags().SweepRunning);
            QImage back(folder.filePath(name));
            QVERIFY2(!back.isNull(), qPrintable(name));
            QCOMPARE(back.size(), f.Window->Picture().Surface().Bitmap().size());
        }
        QCOMPARE(f.Answers->SaveAsked.value(2), u"Kv7Spectrum1.jpg"_s);
        QCOMPARE(f.Answers->SaveAsked.value(1), DataFolder());

        f.Answers->Errors.clear();
        f.Answers->SaveAnswer = folder.filePath(u"sweep.png"_s);
        f.In<QAction>(u"SaveImage1"_s)->trigger();
        QVERIFY(!QFile::exists(folder.filePath(u"sweep.png"_s)));
        QCOMPARE(f.Answers->Errors.size(), 1);

        f.Answers->Errors.clear();
        const QString nowhere = folder.filePath(u"missing/sweep.jpg"_s);
        f.Answers->SaveAnswer = nowhere;
        f.In<QAction>(u"SaveImage1"_s)->trigger();
        QCOMPARE(f.Answers->Errors.size(), 1);
        QVERIFY(QDir(folder.path()).entryList(QDir::Files).size() == 2);
    }

    void KeysCopyRestoreAndToggle() {
        TSweepFixture f;
        QVERIFY(f.OpenWindow());
        f.Window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.Window));
        QWidget* focused = QApplication::focusWidget() ? QApplication::focusWidget() : f.Window;
        QTest::keyClick(focused, Qt::Key_S);
        QVERIFY(f.Form->RunFlags().SweepRunning);
        QTRY_VERIFY_WITH_TIMEOUT(!f.Hits().empty(), f.kPatientMs);
        QTest::keyClick(focused, Qt::Key_S, Qt::ShiftModifier);
        QVERIFY(!f.Form->RunFlags().SweepRunning);

        QApplication::clipboard()->clear();
        QTest::keyClick(focused, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32),
                 f.Window->Picture().Surface().Bitmap().convertToFormat(QImage::Format_RGB32));

        f.Window->move(300, 200);
        QTest::keyClick(focused, Qt::Key_D, Qt::ControlModifier);
        QCOMPARE(f.Window->pos(), QPoint(10, 10));
        QCOMPARE(f.Window->height(), f.Form->height());
    }

    void ResizingRedrawsFromTheHits() {
        TSweepFixture f;
        QVERIFY(f.OpenWindow());
        QVERIFY(f.SweepUntil(u"0145.075000"_s));
        QWidget* paintBox = f.In<QWidget>(u"PaintBox1"_s);
        f.Window->resize(f.Window->width() / 2 + 37, f.Window->height());
        const TScaleDrawSurface& surface = f.Window->Picture().Surface();
        QTRY_COMPARE(surface.Bitmap().width(), paintBox->width());
        // 145.075 MHz is three quarters across at any width.
        const int x = qRound(paintBox->width() * 0.075 / 0.1125) + 1;
        QTRY_COMPARE(surface.Bitmap().pixelColor(x, surface.Bitmap().height() - 2), kLime);
    }

    void ClosingStopsTheSweepAndKeepsThePlacement() {
        TSweepFixture f;
        QVERIFY(f.OpenWindow());
        f.Form->findChild<QAction*>(u"SpecAnalyser1"_s)->trigger();
        QCOMPARE(f.Spectrum->Form(), f.Window);
        const QSize placed(f.Window->minimumSizeHint().width() + 13, 300);
        f.Window->setGeometry(QRect(QPoint(120, 130), placed));
        f.SweepButton()->click();
        QVERIFY(f.Form->RunFlags().SweepRunning);
        f.TakeSent();
        QVERIFY(f.Window->close());
        QVERIFY(!f.Form->RunFlags().SweepRunning);
        QVERIFY(f.Form->isEnabled());
        QVERIFY(f.Sheet().VfoPanel()->VfoDataHooked());
        QVERIFY(f.TakeSent().contains(u"LC0"_s));
        QTRY_VERIFY(!f.Spectrum->Form());
        const TIniFile ini(SettingsFileName());
        QCOMPARE(ini.ReadInteger(u"SpecAnalyserForm"_s, u"width"_s, 0), placed.width());
        QCOMPARE(ini.ReadInteger(u"SpecAnalyserForm"_s, u"height"_s, 0), placed.height());

        f.Form->findChild<QAction*>(u"SpecAnalyser1"_s)->trigger();
        QCOMPARE(f.Spectrum->Form()->size(), placed);
        f.Spectrum->Form()->close();
    }
};

QTEST_MAIN(TestSpecAnalyser)
#include "tst_specanalyser.moc"
