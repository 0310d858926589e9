// The DTMF window on the main window and the in-process simulated receiver: what showing and
// closing send, the lines it shows and logs, timed checking, Clear, and the Tools menu item.
#include "DtmfController.h"
#include "GetDtmfForm.h"
#include "mainwindow/PanelFixture.h"

#include "ProgramFolder.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

constexpr int kPatientMs = TPanelFixture::kPatientMs;
const QString kDigits = u"4#7*"_s;

// What was sent until now, once it has all reached the receiver; then forgotten.
QStringList TakeSent(TPanelFixture& f) {
    const QStringList lines = f.SentSettled();
    f.Receiver.ClearReceivedLines();
    return lines;
}

// The main window with an open link, tuned to a transmitter that sends kDigits once a second.
// The receiver's clock is the test's: `Seconds(n)` lets n bursts go by.
struct TDtmfFixture : TPanelFixture {
    qint64 SimNowMs = 0;

    TDtmfFixture() {
        Receiver.SetClock([this] { return SimNowMs; });
        if (!Open())
            qFatal("the link did not open");
        TSimSignal dtmf;
        dtmf.FreqHz = Receiver.TunedHz();
        dtmf.Kind = TSimSignalKind::Dtmf;
        dtmf.OnMs = 100;
        dtmf.OffMs = 900;
        dtmf.Digits = kDigits;
        Receiver.Band().SetSignals({dtmf});
    }
    void Seconds(int n) { SimNowMs += n * 1000; }
    QStringList TakeSent() { return ::TakeSent(*this); }
    QCheckBox* Box(const QString& name) const { return Find<QCheckBox>(name); }
};

// The window as the menu item runs it, but shown without blocking so the test can act on it.
struct TOpenDtmf {
    TGetDtmfForm Form;
    explicit TOpenDtmf(TMainForm& main)
        : Form(main) {}
    template <typename T> T* Find(const QString& name) const {
        T* found = Form.findChild<T*>(name);
        if (!found)
            qFatal("no control %s", qPrintable(name));
        return found;
    }
    QStringList Lines() const {
        const QString text = Find<QPlainTextEdit>(u"DtmfMemo"_s)->toPlainText();
        return text.isEmpty() ? QStringList() : text.split(u'\n');
    }
    QAction* Action(const QString& name) const { return Find<QAction>(name); }
};

// The colour the check box is painted in, right of its text.
QColor Painted(QWidget* control) {
    const QImage image = control->grab().toImage();
    return image.pixelColor(image.width() - 2, image.height() / 2);
}

QString ReadAll(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromUtf8(file.readAll());
}

} // namespace

class TestDtmf : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void showingStopsLevelsAndAsksForDigits();
    void receivedLinesAreShownAndLoggedWithTheTime();
    void timedCheckAsksAtEachIntervalUntilUnchecked();
    void closingStopsDigitsAndLeavesTheCommsHook();
    void clearAsksFirst();
    void viewLogSaysWhenNothingCanShowTheFile();
    void menuItemFollowsTheLinkAndStopsPriority();
};

void TestDtmf::showingStopsLevelsAndAsksForDigits() {
    TDtmfFixture f;
    f.Box(u"TimerCheckBox"_s)->setChecked(true);
    f.Seconds(3);
    f.TakeSent();

    TOpenDtmf dtmf(*f.Form);
    QCOMPARE(dtmf.Form.objectName(), u"GetDtmfForm"_s);
    QCOMPARE(dtmf.Form.windowTitle(), u"DTMF"_s);
    QVERIFY(!dtmf.Action(u"LogToFile1"_s)->isEnabled());
    dtmf.Form.show();

    QVERIFY(!f.Box(u"TimerCheckBox"_s)->isChecked());
    const QStringList sent = f.TakeSent();
    QVERIFY2(sent.indexOf(u"LC0"_s) >= 0 && sent.indexOf(u"LC0"_s) < sent.indexOf(u"QM1"_s),
             qPrintable(sent.join(u' ')));
    // Three bursts went by since the receiver was last asked.
    QTRY_COMPARE_WITH_TIMEOUT(dtmf.Lines().value(0), u"DT"_s + kDigits.repeated(3), kPatientMs);
    QVERIFY(dtmf.Action(u"LogToFile1"_s)->isEnabled());
    // Left of the main window, 10 pixels clear of it, level with its top.
    QCOMPARE(dtmf.Form.frameGeometry().right() + 1 + 10, f.Form->frameGeometry().left());
    QCOMPARE(dtmf.Form.y(), f.Form->y());
}

void TestDtmf::receivedLinesAreShownAndLoggedWithTheTime() {
    TDtmfFixture f;
    QTemporaryDir dir;
    const QString logName = dir.filePath(u"capture.txt"_s);
    TOpenDtmf dtmf(*f.Form);
    dtmf.Form.Now = [] {
        return QDateTime(QDate(2026, 3, 1), QTime(12, 34, 56));
    };
    dtmf.Form.show();
    QTRY_VERIFY_WITH_TIMEOUT(f.Sent().contains(u"QM1"_s), kPatientMs);

    f.Answers->SaveAnswer = logName;
    QAction* logToFile = dtmf.Action(u"LogToFile1"_s);
    logToFile->trigger();
    QCOMPARE(f.Answers->SaveAsked.mid(1, 2), (QStringList{DataFolder(), u"DTMF Log.txt"_s}));
    QVERIFY(dtmf.Form.Logging());
    QVERIFY(logToFile->isChecked());
    QCOMPARE(logToFile->text(), u"Close Logfile"_s);
    QCOMPARE(dtmf.Find<QStatusBar>(u"DtmfStatusBar"_s)->currentMessage(),
             u"Logging to "_s + logName);

    // Every line, not only digits: the version reply is shown and logged as well.
    f.Seconds(1);
    QTest::mouseClick(dtmf.Find<QPushButton>(u"GetDtmfButton"_s), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(dtmf.Lines().contains(u"DT"_s + kDigits), kPatientMs);
    const QString version = f.Form->Driver()->GetVersion();
    QVERIFY(!version.isEmpty());
    QTRY_VERIFY(dtmf.Lines().contains(version));
    // Flushed as each line came: the file is complete while logging goes on.
    QCOMPARE(ReadAll(logName),
             u"DT%1\t2026-03-01T12:34:56\n%2\t2026-03-01T12:34:56\n"_s.arg(kDigits, version));

    logToFile->trigger();
    QVERIFY(!dtmf.Form.Logging());
    QVERIFY(!logToFile->isChecked());
    QCOMPARE(logToFile->text(), u"Log to File"_s);
    QVERIFY(dtmf.Find<QStatusBar>(u"DtmfStatusBar"_s)->currentMessage().isEmpty());
    f.Form->Driver()->GetVersion();
    QCOMPARE(dtmf.Lines().count(version), 2);
    QCOMPARE(ReadAll(logName).count(u'\n'), 2);
}

void TestDtmf::timedCheckAsksAtEachIntervalUntilUnchecked() {
    TDtmfFixture f;
    TOpenDtmf dtmf(*f.Form);
    dtmf.Form.IntervalUnitMs = 5;
    dtmf.Form.show();
    QSpinBox* interval = dtmf.Find<QSpinBox>(u"IntervalSpinEdit"_s);
    QCOMPARE(interval->value(), 60);
    QCOMPARE(interval->minimum(), 10);
    QCOMPARE(interval->maximum(), 999);
    interval->setValue(10);
    QTRY_VERIFY_WITH_TIMEOUT(f.Sent().contains(u"QM1"_s), kPatientMs);
    f.TakeSent();

    QCheckBox* timed = dtmf.Find<QCheckBox>(u"DtmfTimedCheckBox"_s);
    const QColor normal = Painted(timed);
    QTest::mouseClick(timed, Qt::LeftButton, {}, QPoint(4, timed->height() / 2));
    QVERIFY(timed->isChecked());
    QTRY_VERIFY_WITH_TIMEOUT(f.Sent().count(u"QM1"_s) >= 3, kPatientMs);
    QCOMPARE(Painted(timed), QColor(0x00, 0x80, 0x00));

    // The colour goes back half a second after the last tick: back to normal means no tick
    // came for ten intervals.
    QTest::mouseClick(timed, Qt::LeftButton, {}, QPoint(4, timed->height() / 2));
    QVERIFY(!timed->isChecked());
    f.TakeSent();
    QTRY_COMPARE_WITH_TIMEOUT(Painted(timed), normal, kPatientMs);
    QVERIFY(!f.TakeSent().contains(u"QM1"_s));
}

void TestDtmf::closingStopsDigitsAndLeavesTheCommsHook() {
    TDtmfFixture f;
    // The comms monitor's hook, as it holds it while open.
    QStringList monitored;
    f.Form->Driver()->OnRxLine = [&monitored](const QString& line) {
        monitored << line;
    };
    QTemporaryDir dir;
    f.Answers->SaveAnswer = dir.filePath(u"dtmf.txt"_s);
    f.Seconds(1);
    {
        TOpenDtmf dtmf(*f.Form);
        dtmf.Form.IntervalUnitMs = 5;
        dtmf.Form.show();
        QTRY_VERIFY_WITH_TIMEOUT(!dtmf.Lines().isEmpty(), kPatientMs);
        QVERIFY(!monitored.isEmpty());
        dtmf.Action(u"LogToFile1"_s)->trigger();
        dtmf.Find<QCheckBox>(u"DtmfTimedCheckBox"_s)->click();
        f.TakeSent();

        dtmf.Action(u"Close1"_s)->trigger();
        QVERIFY(!dtmf.Form.isVisible());
        QVERIFY(!dtmf.Form.Logging());
        QCOMPARE(dtmf.Action(u"LogToFile1"_s)->text(), u"Log to File"_s);
        QVERIFY(!dtmf.Find<QCheckBox>(u"DtmfTimedCheckBox"_s)->isChecked());
        QCOMPARE(f.TakeSent(), QStringList{u"QM0"_s});

        // Closed, the window hears nothing more.
        const QStringList shown = dtmf.Lines();
        monitored.clear();
        const QString version = f.Form->Driver()->GetVersion();
        QCOMPARE(monitored, QStringList{version});
        QCOMPARE(dtmf.Lines(), shown);
    }
    QVERIFY(f.Form->Driver()->OnRxLine);
}

void TestDtmf::clearAsksFirst() {
    TDtmfFixture f;
    f.Seconds(1);
    TOpenDtmf dtmf(*f.Form);
    dtmf.Form.show();
    QTRY_VERIFY_WITH_TIMEOUT(!dtmf.Lines().isEmpty(), kPatientMs);
    auto* clear = dtmf.Find<QToolButton>(u"SpeedButton1"_s);
    QCOMPARE(clear->toolTip(), u"Clear"_s);

    f.Answers->ConfirmAnswer = false;
    clear->click();
    QCOMPARE(f.Answers->ConfirmAsked, QStringList{u"Erase all DTMF results?"_s});
    QVERIFY(!dtmf.Lines().isEmpty());
    f.Answers->ConfirmAnswer = true;
    clear->click();
    QVERIFY(dtmf.Lines().isEmpty());
}

void TestDtmf::viewLogSaysWhenNothingCanShowTheFile() {
    TDtmfFixture f;
    QTemporaryDir dir;
    const QString existing = dir.filePath(u"DTMF Log.txt"_s);
    QFile file(existing);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    TOpenDtmf dtmf(*f.Form);
    QStringList opened;
    bool opens = true;
    dtmf.Form.OpenDocument = [&](const QString& fileName) {
        opened << fileName;
        return opens;
    };
    f.Answers->OpenAnswer = existing;
    dtmf.Action(u"ViewLog1"_s)->trigger();
    QCOMPARE(f.Answers->OpenAsked.mid(1, 2), (QStringList{DataFolder(), u"DTMF Log.txt"_s}));
    QCOMPARE(opened, QStringList{existing});
    QVERIFY(f.Answers->Errors.isEmpty());

    opens = false;
    dtmf.Action(u"ViewLog1"_s)->trigger();
    QCOMPARE(f.Answers->Errors.size(), 1);
    QVERIFY(f.Answers->Errors.first().contains(existing));
}

void TestDtmf::menuItemFollowsTheLinkAndStopsPriority() {
    TPanelFixture f;
    new TDtmfController(*f.Form);
    QAction* item = f.Find<QAction>(u"GetDTMFMenuIItem"_s);
    QVERIFY(!item->isEnabled());
    QVERIFY(f.Open());
    QVERIFY(item->isEnabled());

    QCheckBox* priority = f.Find<QCheckBox>(u"PriorityCheckBox1"_s);
    priority->setChecked(true);
    bool priorityOffWhileShown = false;
    bool modal = false;
    // The window runs modally: the test looks at it from inside its own event loop.
    QTimer::singleShot(0, [&] {
        if (!QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; },
                             kPatientMs))
            return;
        QWidget* shown = QApplication::activeModalWidget();
        if (!shown || shown->objectName() != u"GetDtmfForm"_s)
            return;
        modal = true;
        priorityOffWhileShown = !priority->isChecked();
        shown->close();
    });
    item->trigger();
    QVERIFY(modal);
    QVERIFY(priorityOffWhileShown);
    QVERIFY(TakeSent(f).endsWith(u"QM0"_s));

    f.Find<QPushButton>(u"OpenPortButton"_s)->click();
    QTRY_VERIFY_WITH_TIMEOUT(!f.Form->Driver()->Connected(), kPatientMs);
    QVERIFY(!item->isEnabled());
}

QTEST_MAIN(TestDtmf)
#include "tst_dtmf.moc"
