// Drops on the VFO boxes and the entry box against the simulated receiver: the commands each kind
// of drop sends, in order, what the panel shows afterwards, and the drops that are refused.
#include "CommandText.h"
#include "DragData.h"
#include "PanelFixture.h"
#include "SquelchController.h"
#include "VfoDropTarget.h"
#include "VfoPanelController.h"

#include "ProgramFolder.h"

#include <QComboBox>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

// The lines sent before the read-back that ends every drop on a VFO.
QStringList BeforeReadBack(const QStringList& sent) {
    const qsizetype rx = sent.indexOf(u"RX"_s);
    return rx < 0 ? sent : sent.mid(0, rx);
}

TDropRow MemoryRow(std::optional<int> squelch, const QString& mode = u"AM"_s) {
    TDropRow row;
    row.FreqMHz = 433.5;
    row.Squelch = squelch;
    // Letter case as a hand-edited table may hold it: "fast" is still the AGC's "Fast".
    row.Settings = {mode,      u"15"_s, u"2"_s,   u"10"_s, u"Main"_s,
                    u"fast"_s, u"6"_s,  u"0.3"_s, u"50"_s};
    row.StepAdjust = false;
    row.Step = u"25.000"_s;
    return row;
}

struct TDropFixture : TPanelFixture {
    explicit TDropFixture(const TSimOptions& options = {})
        : TPanelFixture({}, options) {}

    TVfoDropTarget& Drop() const { return *Sheet().VfoDrop(); }

    // Sends a drop to a box as the window system does, and waits for its sequence to end.
    bool DropOn(const QString& target, const QMimeData& mime) {
        QWidget* box = Edit(target);
        const QPoint at = box->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(box, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(box, &drop);
        if (!drop.isAccepted())
            return false;
        // The sequence waits for the event loop: nothing is sent while the drop event runs.
        if (!Sent().isEmpty())
            qWarning("the drop talked to the receiver inside its event");
        return WaitForDrop();
    }
    bool WaitForDrop() {
        return QTest::qWaitFor([this] { return !State().DragInProgress; }, kPatientMs);
    }
    // Everything a drop leaves behind as it was before.
    void VerifyRestored(bool timerWasOn) const {
        QVERIFY(!State().DragInProgress);
        QVERIFY(Form->isEnabled());
        QVERIFY(Form->Driver()->OnVfoData);
        QCOMPARE(Form->Driver()->TimerStatus(), timerWasOn);
    }
    void SetSelector(std::size_t selector, int index) const {
        Sheet().Widgets().Selectors[selector]->setCurrentIndex(index);
    }
};

} // namespace

class TestVfoDrop : public QObject {
    Q_OBJECT

private:
    QTemporaryDir FHome;

private Q_SLOTS:
    void initTestCase() { qputenv("KOVELA_HOME", FHome.path().toLocal8Bit()); }
    void init() { QFile::remove(SettingsFileName()); }

    void vfoBoxOntoVfoCopiesPanelSettingsAndSquelch() {
        TDropFixture f(TSimOptions{.Ct5000 = true});
        QVERIFY(f.Open());
        f.Form->Driver()->CT5000 = true;
        f.Form->Driver()->FSetTimerStatus(true);
        const QString shownA = f.Edit(u"EditVcoA"_s)->text();
        const auto mhzA = f.Sheet().VfoPanel()->ShownFrequency(u'A');
        QVERIFY(mhzA);
        f.SetSelector(kSelMode, 1);
        f.SetSelector(kSelBandwidth, 2);
        f.SetSelector(kSelAntenna, 3);
        f.SetSelector(kSelAtten, 1);
        f.SetSelector(kSelSubStep, 0);
        f.SetSelector(kSelAgc, 2);
        f.SetSelector(kSelLowPass, 1);
        f.SetSelector(kSelHighPass, 2);
        f.SetSelector(kSelDeEmphasis, 3);
        f.SetSelector(kSelCtcss, 7);
        f.Sheet().Widgets().StepComboBox->setEditText(u"12.5"_s);
        f.Sheet().Squelch()->SetValue(u'A', 40);
        f.Sheet().Squelch()->SetValue(u'C', 200);

        const auto mime = FrequencyBoxDragData(u"EditVcoA"_s);
        QVERIFY(f.DropOn(u"EditVcoC"_s, *mime));
        const QStringList sent = f.SentSettled();
        const QString frequency = CommandText::Frequency(u'C', *mhzA, false);
        QCOMPARE(BeforeReadBack(sent),
                 (QStringList{u"VC"_s, frequency, u"MD1"_s, u"BW2"_s, u"AN3"_s, u"AT1"_s, u"SJ0"_s,
                              u"AC2"_s, u"LP1"_s, u"HP2"_s, u"EN3"_s, u"ST12500"_s, u"CN07"_s}));
        QCOMPARE(sent.last(), u"RQ40"_s);
        QCOMPARE(f.Edit(u"SquelchEditC"_s)->text(), u"40"_s);
        QCOMPARE(f.Edit(u"EditVcoC"_s)->text(), shownA);
        QCOMPARE(f.State().CurrentVfo, QChar(u'C'));
        QVERIFY(f.Messages.isEmpty());
        f.VerifyRestored(true);
    }

    void entryBoxOntoVfoSendsOnlyTheFrequency() {
        TDropFixture f;
        QVERIFY(f.Open());
        f.Edit(u"EnterEdit1"_s)->setText(u"145.5"_s);
        f.Sheet().Squelch()->SetValue(u'B', 120);
        const auto mime = FrequencyBoxDragData(u"EnterEdit1"_s);
        QVERIFY(f.DropOn(u"EditVcoB"_s, *mime));
        const QStringList sent = f.SentSettled();
        QCOMPARE(BeforeReadBack(sent), (QStringList{u"VB"_s, u"VB0145500000"_s}));
        QCOMPARE(sent.last(), u"RQ120"_s);
        QCOMPARE(f.Edit(u"EditVcoB"_s)->text(), u"  145.500000"_s);
        QCOMPARE(f.State().CurrentVfo, QChar(u'B'));
        f.VerifyRestored(false);
    }

    void vfoBoxOntoEntryBoxOnlyCopiesText() {
        TDropFixture f;
        QVERIFY(f.Open());
        const auto mime = FrequencyBoxDragData(u"EditVcoC"_s);
        QVERIFY(f.DropOn(u"EnterEdit1"_s, *mime));
        QCOMPARE(f.Edit(u"EnterEdit1"_s)->text(), u"145.500000"_s);
        QVERIFY(f.SentSettled().isEmpty());
    }

    void textThatIsNoFrequencyIsReportedBeforeAnythingIsWritten_data() {
        QTest::addColumn<QString>("target");
        QTest::newRow("onto a VFO") << u"EditVcoB"_s;
        QTest::newRow("onto the entry box") << u"EnterEdit1"_s;
    }
    void textThatIsNoFrequencyIsReportedBeforeAnythingIsWritten() {
        QFETCH(QString, target);
        TDropFixture f;
        QVERIFY(f.Open());
        const QString before = f.Edit(target)->text();
        // A text box of the program that does not hold a number.
        f.Edit(u"MemTextEdit"_s)->setText(u"12a5"_s);
        const auto mime = FrequencyBoxDragData(u"MemTextEdit"_s);
        QVERIFY(f.DropOn(target, *mime));
        QCOMPARE(f.Messages, QStringList{u"'12a5' is not a valid floating point value"_s});
        QCOMPARE(f.Edit(target)->text(), before);
        QVERIFY(f.SentSettled().isEmpty());
        f.VerifyRestored(false);
    }

    void dropWithoutTheLinkIsReported() {
        TDropFixture f;
        f.Edit(u"EnterEdit1"_s)->setText(u"145.5"_s);
        // Not even offered while the link is closed ...
        const auto mime = FrequencyBoxDragData(u"EnterEdit1"_s);
        QVERIFY(!f.Drop().Accepts(mime.get(), f.Edit(u"EditVcoB"_s)));
        // ... and a sequence that finds it closed says so and sends nothing.
        f.Drop().Sequence().TextDrop(u'B', u"EnterEdit1"_s, u"145.5"_s);
        f.Drop().Sequence().MemoryRowDrop(u'B', MemoryRow(100), false);
        QCOMPARE(f.Messages, (QStringList{u"Not Connected to Rx"_s, u"Not Connected to Rx"_s}));
        QVERIFY(f.Sent().isEmpty());
        QVERIFY(f.Form->isEnabled());
    }

    void memoryRowSquelchAndSettings_data() {
        QTest::addColumn<std::optional<int>>("squelch");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QStringList>("expected");
        const QStringList settings{u"BW3"_s, u"AN2"_s, u"AT1"_s, u"SJ0"_s,    u"AC0"_s,
                                   u"LP2"_s, u"HP2"_s, u"EN1"_s, u"ST25000"_s};
        QTest::newRow("closed squelch before the frequency")
            << std::optional<int>(100) << u"AM"_s
            << QStringList{u"VB"_s, u"RQ100"_s, u"VB0433500000"_s, u"MD1"_s} + settings;
        QTest::newRow("no squelch stored: 255 after the settings")
            << std::optional<int>() << u"AM"_s
            << QStringList{u"VB"_s, u"VB0433500000"_s, u"MD1"_s} + settings +
                   QStringList{u"RQ255"_s};
        QTest::newRow("mode not in the list: no mode command")
            << std::optional<int>(151) << u"XYZ"_s
            << QStringList{u"VB"_s, u"VB0433500000"_s} + settings + QStringList{u"RQ151"_s};
    }
    void memoryRowSquelchAndSettings() {
        QFETCH(std::optional<int>, squelch);
        QFETCH(QString, mode);
        QFETCH(QStringList, expected);
        TDropFixture f;
        QVERIFY(f.Open());
        f.Drop().Sequence().MemoryRowDrop(u'B', MemoryRow(squelch, mode), false);
        QCOMPARE(BeforeReadBack(f.SentSettled()), expected);
        QCOMPARE(f.Edit(u"SquelchEditB"_s)->text(), QString::number(squelch.value_or(255)));
        QCOMPARE(f.Edit(u"EditVcoB"_s)->text(), u"  433.500000"_s);
        QCOMPARE(f.State().CurrentVfo, QChar(u'B'));
        f.VerifyRestored(false);
    }

    void memEditKeepsTheToneTheGridTurnsItOff_data() {
        QTest::addColumn<QString>("origin");
        QTest::addColumn<QString>("ctcss");
        QTest::newRow("MemEdit") << u"MemEdit"_s << u"CN05"_s;
        QTest::newRow("grid row") << u"DBGrid1"_s << u"CN00"_s;
    }
    void memEditKeepsTheToneTheGridTurnsItOff() {
        QFETCH(QString, origin);
        QFETCH(QString, ctcss);
        TDropFixture f(TSimOptions{.Ct5000 = true, .Ds8000 = true});
        QVERIFY(f.Open());
        f.Form->Driver()->CT5000 = true;
        f.Form->Driver()->DS8000 = true;
        f.SetSelector(kSelCtcss, 5);
        QList<std::pair<int, int>> asked;
        f.Drop().Rows.MemoryRow = [&asked](int bank, int channel) -> std::optional<TDropRow> {
            asked.append({bank, channel});
            return MemoryRow(200);
        };
        const auto mime = MemoryRowDragData(origin, 1, 42);
        QVERIFY(f.DropOn(u"EditVcoD"_s, *mime));
        QCOMPARE(asked, (QList<std::pair<int, int>>{{1, 42}}));
        const QStringList sent = BeforeReadBack(f.SentSettled());
        QCOMPARE(sent.mid(0, 4), (QStringList{u"VD"_s, u"VD0433500000"_s, ctcss, u"SC0"_s}));
    }

    void memoryRowOntoEntryBoxSendsNothing() {
        TDropFixture f;
        QVERIFY(f.Open());
        f.Drop().Rows.MemoryRow = [](int, int) {
            return std::optional(MemoryRow(10));
        };
        const auto mime = MemoryRowDragData(u"DBGrid1"_s, 0, 7);
        QVERIFY(f.DropOn(u"EnterEdit1"_s, *mime));
        QCOMPARE(f.Edit(u"EnterEdit1"_s)->text(), u"  433.500000"_s);
        QVERIFY(f.SentSettled().isEmpty());
    }

    void logRowSendsItsOwnSettingsWithAutoAttenuator() {
        TDropFixture f(TSimOptions{.Ct5000 = true, .Ds8000 = true});
        QVERIFY(f.Open());
        f.Form->Driver()->CT5000 = true;
        f.Form->Driver()->DS8000 = true;
        TDropRow entry = MemoryRow(60, u"USB"_s);
        entry.StepAdjust = true;
        f.Drop().Rows.LogRow = [&entry](qint64 id) {
            return id == 17 ? std::optional(entry) : std::nullopt;
        };
        const auto mime = LogRowDragData(u"dxDBGrid1"_s, 17);
        QVERIFY(f.DropOn(u"EditVcoE"_s, *mime));
        QCOMPARE(BeforeReadBack(f.SentSettled()),
                 (QStringList{u"RQ60"_s, u"VE"_s, u"VE0433500000"_s, u"CN00"_s, u"SC0"_s, u"MD3"_s,
                              u"BW3"_s, u"AN2"_s, u"ATF"_s, u"ST25000+"_s}));
        QCOMPARE(f.Edit(u"SquelchEditE"_s)->text(), u"60"_s);
        QCOMPARE(f.State().CurrentVfo, QChar(u'E'));
        f.VerifyRestored(false);
    }

    void logRowWithoutFrequencyChangesNothing() {
        TDropFixture f;
        QVERIFY(f.Open());
        f.Form->Driver()->FSetTimerStatus(true);
        TDropRow entry = MemoryRow(60);
        entry.FreqMHz.reset();
        f.Drop().Rows.LogRow = [&entry](qint64) {
            return std::optional(entry);
        };
        // The log window's double click takes the same road as a drag.
        f.Drop().DropLogRow(u'A', 3);
        QVERIFY(f.WaitForDrop());
        QVERIFY(f.SentSettled().isEmpty());
        QVERIFY(f.Messages.isEmpty());
        f.VerifyRestored(true);
    }

    void dropsRefusedWhileSearchOrScanRuns_data() {
        QTest::addColumn<bool TRunFlags::*>("flag");
        QTest::addColumn<QString>("message");
        QTest::newRow("search") << &TRunFlags::SearchRunning << u"Stop Search First"_s;
        QTest::newRow("scan") << &TRunFlags::ScanRunning << u"Stop Scan First"_s;
    }
    void dropsRefusedWhileSearchOrScanRuns() {
        QFETCH(bool TRunFlags::*, flag);
        QFETCH(QString, message);
        TDropFixture f;
        QVERIFY(f.Open());
        f.Form->RunFlags().*flag = true;
        f.Edit(u"EnterEdit1"_s)->setText(u"145.5"_s);
        const auto mime = FrequencyBoxDragData(u"EnterEdit1"_s);
        QVERIFY(f.DropOn(u"EditVcoB"_s, *mime));
        QCOMPARE(f.Messages, QStringList{message});
        QVERIFY(f.SentSettled().isEmpty());
        f.Form->RunFlags().*flag = false;
        f.VerifyRestored(false);
    }

    void dropsNotMadeHereAreRefused_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("target");
        const QByteArray pid = QByteArray::number(QCoreApplication::applicationPid());
        QTest::newRow("plain text from another program")
            << u"text/plain"_s << QByteArray("145.5") << u"EditVcoB"_s;
        QTest::newRow("a row of another Kovela")
            << QString::fromLatin1(kMemoryRowMimeType)
            << QByteArray::number(QCoreApplication::applicationPid() + 1) + "\nDBGrid1\n0\n5"
            << u"EditVcoB"_s;
        QTest::newRow("a row with a broken channel") << QString::fromLatin1(kMemoryRowMimeType)
                                                     << pid + "\nDBGrid1\n0\nfive" << u"EditVcoB"_s;
        QTest::newRow("a box onto itself")
            << QString::fromLatin1(kFrequencyBoxMimeType) << pid + "\nEditVcoB" << u"EditVcoB"_s;
        QTest::newRow("a box that is not there")
            << QString::fromLatin1(kFrequencyBoxMimeType) << pid + "\nNoSuchEdit" << u"EditVcoB"_s;
        QTest::newRow("a log row onto the entry box")
            << QString::fromLatin1(kLogRowMimeType) << pid + "\ndxDBGrid1\n4" << u"EnterEdit1"_s;
    }
    void dropsNotMadeHereAreRefused() {
        QFETCH(QString, format);
        QFETCH(QByteArray, data);
        QFETCH(QString, target);
        TDropFixture f;
        QVERIFY(f.Open());
        const QString before = f.Edit(target)->text();
        QMimeData mime;
        mime.setData(format, data);
        QVERIFY(!f.DropOn(target, mime));
        QVERIFY(!f.State().DragInProgress);
        QCOMPARE(f.Edit(target)->text(), before);
        QVERIFY(f.SentSettled().isEmpty());
    }
};

QTEST_MAIN(TestVfoDrop)
#include "tst_vfodrop.moc"
