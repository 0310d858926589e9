// Scale windows against the simulated receiver: "Use", tuning by mouse, following the VFO and
// letting go of it.
#include "CommandText.h"
#include "IniFile.h"
#include "ScaleFile.h"
#include "ScalesController.h"
#include "TuningScaleForm.h"
#include "VfoPanelController.h"
#include "mainwindow/PanelFixture.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QTabWidget>
#include <QTemporaryDir>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

// Mode, bandwidth, antenna, attenuator, sub-step, AGC, low-pass, high-pass, de-emphasis.
constexpr std::array<int, kScaleSettingCount> kSettings = {1, 2, 3, 1, 2, 2, 1, 3, 4};

struct TScaleFixture : TPanelFixture {
    TScalesController* Scales;
    QString Chosen;

    TScaleFixture() {
        Scales = new TScalesController(*Form);
        Scales->AskOpen = [this](const QString&, const QString&, const QString&) {
            return Chosen;
        };
    }
    TTuningScaleForm* Use(const QString& file) {
        Chosen = file;
        Find<QAction>(u"Use1"_s)->trigger();
        auto* window =
            dynamic_cast<TTuningScaleForm*>(State().VfoScaleWindow.Window(State().CurrentVfo));
        // The new window takes the activation; then keys go to the main window again.
        if (window && !Activated(window))
            qWarning("the scale window did not become active");
        if (!Activated(Form.get()))
            qWarning("the main window did not become active again");
        return window;
    }
    // Waits until `window` itself has the focus (a tool window counts as active whenever its
    // owner is, so QWidget::isActiveWindow cannot tell).
    static bool Activated(QWidget* window) {
        window->activateWindow();
        return QTest::qWaitFor(
            [window] {
                return window->windowHandle() &&
                       QGuiApplication::focusWindow() == window->windowHandle();
            },
            kPatientMs);
    }
    void Click(QChar letter) {
        QTest::mouseClick(Edit(u"EditVco"_s + letter), Qt::LeftButton);
        WaitForSwitch();
    }
    QString Frequency(QChar letter, double mhz) const {
        return CommandText::Frequency(letter, mhz, false);
    }
};

void Mouse(QWidget* target, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons,
           int x) {
    const QPointF at(x, 30);
    QMouseEvent event(type, at, target->mapToGlobal(at), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

} // namespace

class TestTuningScale : public QObject {
    Q_OBJECT

private:
    QTemporaryDir FHome;

    QString WriteScale(const QString& name, const std::function<void(TScaleText&)>& change = {}) {
        TScaleText text;
        text.LowF = u"144.0"_s;
        text.HiF = u"146.0"_s;
        for (std::size_t i = 0; i < kScaleSettingCount; ++i)
            text.Settings[i] = QString::number(kSettings[i]);
        text.Step = u"12.5"_s;
        text.StepOffsetStatus = u"1"_s;
        text.Description = u"Two metres"_s;
        text.Bands[0] = {u"144.0"_s, u"144.025"_s, u"CW"_s, u"$0000FFFF"_s};
        if (change)
            change(text);
        const QString file = FHome.filePath(name);
        QFile::remove(file);
        WriteScaleText(file, text);
        return file;
    }

private Q_SLOTS:
    void initTestCase() { qputenv("KOVELA_HOME", FHome.path().toLocal8Bit()); }

    void useSetsTheReceiverUpFromTheFile() {
        TScaleFixture f;
        QVERIFY(f.Open());
        f.Click(u'B');
        TTuningScaleForm* window = f.Use(WriteScale(u"good.scl"_s));
        QVERIFY(window);
        QStringList expected{f.Frequency(u'B', 144.0)};
        // The order the receiver is set up in, whatever the order of the keys in the file.
        using TCommand = std::optional<QString> (*)(int);
        const std::pair<TCommand, int> settings[] = {
            {CommandText::Mode, 1},      {CommandText::Bandwidth, 2},
            {CommandText::Antenna, 3},   {CommandText::Attenuator, 1},
            {CommandText::SubStep, 2},   {CommandText::Agc, 2},
            {CommandText::LowPass, 1},   {CommandText::HighPass, 3},
            {CommandText::DeEmphasis, 4}};
        for (const auto& [command, index] : settings)
            expected << command(index).value();
        expected << *CommandText::Step(12.5, true);
        QCOMPARE(f.SentSettled(), expected);

        // The panel shows the same settings without sending them again.
        for (std::size_t i = 0; i < kScaleSettingCount; ++i)
            QCOMPARE(f.Sheet().Widgets().Selectors[kScaleSettings[i].Selector]->currentIndex(),
                     kSettings[i]);
        QCOMPARE(f.Sheet().Widgets().StepComboBox->currentText(), u"12.5"_s);
        QVERIFY(f.Sheet().Widgets().StOffsetBox->isChecked());
        QCOMPARE(f.Edit(u"EditVcoB"_s)->text(), FormatFrequencyText(144.0));
        QCOMPARE(f.SentSettled(), expected);

        QVERIFY(window->isVisible());
        QCOMPARE(window->windowTitle(), u"Two metres"_s);
        QCOMPARE(window->CentreHz(), 144000000);
        QCOMPARE(window->size(), QSize(522, 153));
        QCOMPARE(window->Image1()->size(), QSize(500, 61));
    }

    void useStopsCleanlyOnABadFile_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("box");
        QTest::newRow("a mode that is not a number")
            << u"Mode"_s << u"FM"_s << u"Mode: 'FM' is not a valid integer value"_s << QString();
        QTest::newRow("no step") << u"Step"_s << QString()
                                 << u"Step: '' is not a valid floating point value"_s << QString();
        QTest::newRow("no limits") << u"HiF"_s << QString()
                                   << u"Frequency Limit not set, edit the scale in "
                                      u"File|tuningScales|New/Edit"_s
                                   << u"box"_s;
    }
    void useStopsCleanlyOnABadFile() {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QString, message);
        QFETCH(QString, box);
        TScaleFixture f;
        QVERIFY(f.Open());
        QPointer<TTuningScaleForm> earlier = f.Use(WriteScale(u"first.scl"_s));
        QVERIFY(earlier);
        f.SentSettled();
        f.Receiver.ClearReceivedLines();
        const QString bad = WriteScale(u"bad.scl"_s, [&](TScaleText& text) {
            if (key == u"Mode"_s)
                text.Settings[0] = value;
            else if (key == u"Step"_s)
                text.Step = value;
            else
                text.HiF = value;
        });
        QVERIFY(!f.Use(bad));
        QCOMPARE(f.SentSettled(), QStringList());
        const QStringList& told = box.isEmpty() ? f.Messages : f.Answers->Errors;
        QCOMPARE(told.size(), 1);
        QVERIFY2(told.first().startsWith(message), qPrintable(told.first()));
        // The new window is gone and the VFO has none; the earlier one stays open, detached.
        QCOMPARE(f.Form->findChildren<TTuningScaleForm*>().size(), 1);
        QVERIFY(earlier && earlier->isVisible());
        QCOMPARE(f.State().VfoScaleWindow.Window(f.State().CurrentVfo), nullptr);
    }

    void useNeedsAVfo() {
        TScaleFixture f;
        QVERIFY(f.Open());
        QTest::mouseClick(f.Edit(u"MemEdit"_s), Qt::LeftButton);
        f.WaitForSwitch();
        f.Chosen = WriteScale(u"good.scl"_s);
        bool asked = false;
        f.Scales->AskOpen = [&](const QString&, const QString&, const QString&) {
            asked = true;
            return f.Chosen;
        };
        QVERIFY(!f.Scales->Use1Click());
        QVERIFY(!asked);
        QCOMPARE(f.Messages, QStringList{u"Click on a vfo first"_s});
        QCOMPARE(f.SentSettled(), QStringList());
    }

    void rightClickTunesUnderThePointer_data() {
        QTest::addColumn<QString>("strip");
        QTest::addColumn<int>("x");
        QTest::addColumn<double>("mhz");
        QTest::newRow("left edge of the dial: 50 kHz below") << u"Image1"_s << 0 << 143.950;
        QTest::newRow("band strip, 50 pixels right") << u"Image2"_s << 300 << 144.010;
        QTest::newRow("right edge") << u"Image1"_s << 499 << 144.0498;
    }
    void rightClickTunesUnderThePointer() {
        QFETCH(QString, strip);
        QFETCH(int, x);
        QFETCH(double, mhz);
        TScaleFixture f;
        QVERIFY(f.Open());
        TTuningScaleForm* window = f.Use(WriteScale(u"good.scl"_s));
        QVERIFY(window);
        f.SentSettled();
        f.Receiver.ClearReceivedLines();
        f.Find<QCheckBox>(u"FreqUpdateCheckBox"_s)->setChecked(true);
        auto* image = window->findChild<QWidget*>(strip);
        Mouse(image, QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton, x);
        Mouse(image, QEvent::MouseButtonRelease, Qt::RightButton, Qt::NoButton, x);
        QCOMPARE(f.SentSettled(), QStringList{f.Frequency(u'A', mhz)});
        QCOMPARE(window->CentreHz(), MHzToHz(mhz));
        QCOMPARE(f.Edit(u"EditVcoA"_s)->text(), FormatFrequencyText(mhz));
        QVERIFY(!f.Find<QCheckBox>(u"FreqUpdateCheckBox"_s)->isChecked());
    }

    void leftDragMovesTheDialAndReleaseTunes() {
        TScaleFixture f;
        QVERIFY(f.Open());
        TTuningScaleForm* window = f.Use(WriteScale(u"good.scl"_s));
        QVERIFY(window);
        f.SentSettled();
        f.Receiver.ClearReceivedLines();
        QWidget* dial = window->Image1();

        // Press and release without moving: the box already shows the centre.
        Mouse(dial, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, 300);
        Mouse(dial, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, 300);
        QCOMPARE(f.SentSettled(), QStringList());

        Mouse(dial, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, 300);
        Mouse(dial, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, 280);
        Mouse(dial, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, 250);
        QCOMPARE(window->CentreHz(), 144010000); // dragged 50 pixels left: 10 kHz up
        QCOMPARE(f.SentSettled(), QStringList());
        // Moving with no button held only follows the pointer.
        Mouse(dial, QEvent::MouseMove, Qt::NoButton, Qt::NoButton, 200);
        QCOMPARE(window->CentreHz(), 144010000);
        Mouse(dial, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, 150);
        QCOMPARE(window->CentreHz(), 144020000);
        Mouse(dial, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, 150);
        QCOMPARE(f.SentSettled(), QStringList{f.Frequency(u'A', 144.02)});
        QCOMPARE(f.Edit(u"EditVcoA"_s)->text(), FormatFrequencyText(144.02));
    }

    void theAttachedScaleFollowsItsVfo() {
        TScaleFixture f;
        QVERIFY(f.Open());
        TTuningScaleForm* window = f.Use(WriteScale(u"good.scl"_s));
        QVERIFY(window);
        f.SentSettled();
        f.Edit(u"EditVcoA"_s)->setFocus();
        f.Stroke(Qt::Key_Up);
        const auto shown = f.Sheet().VfoPanel()->ShownFrequency(u'A');
        QVERIFY(shown);
        QVERIFY(*shown > 144.0);
        QCOMPARE(window->CentreHz(), MHzToHz(*shown));

        f.TypeInto(f.Edit(u"EnterEdit1"_s), u"144.5"_s);
        f.Enter(f.Edit(u"EnterEdit1"_s));
        QTRY_COMPARE(window->CentreHz(), 144500000);
    }

    void aReplacedOrClosedWindowLetsGoOfItsVfo() {
        TScaleFixture f;
        QVERIFY(f.Open());
        QPointer<TTuningScaleForm> first = f.Use(WriteScale(u"good.scl"_s));
        QPointer<TTuningScaleForm> second = f.Use(WriteScale(u"good.scl"_s));
        QVERIFY(first && second && first != second);
        QCOMPARE(f.State().VfoScaleWindow.Window(u'A'), second.data());
        f.SentSettled();
        f.Receiver.ClearReceivedLines();

        // The replaced window stays open but neither tunes the VFO nor follows it.
        const qint64 firstCentre = first->CentreHz();
        Mouse(first->Image1(), QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton, 0);
        QCOMPARE(f.SentSettled(), QStringList());
        f.Edit(u"EditVcoA"_s)->setFocus();
        f.Stroke(Qt::Key_Up);
        QCOMPARE(first->CentreHz(), firstCentre);
        QVERIFY(second->CentreHz() > firstCentre);

        second->close();
        QTRY_VERIFY(!second);
        QCOMPARE(f.State().VfoScaleWindow.Window(u'A'), nullptr);
    }

    void menuIsOnlyOfferedOnTheMainPage() {
        TScaleFixture f;
        QVERIFY(f.Open());
        QAction* scales = f.Find<QAction>(u"TuningScales1"_s);
        auto* pages = f.Find<QTabWidget>(u"PageControl1"_s);
        for (int page : {1, 2, 3}) {
            pages->setCurrentIndex(page);
            QVERIFY2(!scales->isEnabled(), qPrintable(QString::number(page)));
            pages->setCurrentIndex(0);
            QVERIFY(scales->isEnabled());
        }
    }

    void activationSelectsTheWindowsVfo() {
        TScaleFixture f;
        QVERIFY(f.Open());
        f.Click(u'C');
        TTuningScaleForm* window = f.Use(WriteScale(u"good.scl"_s));
        QVERIFY(window);
        f.Click(u'A');
        QCOMPARE(window->palette().color(QPalette::Window), QColor(0x80, 0x80, 0x80));
        // The main window's own activation leaves the current VFO alone.
        QVERIFY(TScaleFixture::Activated(window));
        QCOMPARE(f.State().CurrentVfo, u'C');
        f.WaitForSwitch(); // the receiver was switched too
        QCOMPARE(window->palette().color(QPalette::Window), QPalette().color(QPalette::Button));
        QVERIFY(TScaleFixture::Activated(f.Form.get()));
        QCOMPARE(f.State().CurrentVfo, u'C');
    }
};

QTEST_MAIN(TestTuningScale)
#include "tst_tuningscale.moc"
