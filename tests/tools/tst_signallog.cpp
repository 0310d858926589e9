// The long-term signal log: its lines as plain code, and runs of the window against the
// in-process simulated receiver.
#include "memorywindow/MemFormFixture.h"

#include "Levels.h"
#include "MainSheet.h"
#include "ProgramFolder.h"
#include "SignalDisplay.h"
#include "SignalLog.h"
#include "SignalMonitorController.h"
#include "SignalMonitorUnit.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(TSignalLogChannel)

namespace {

const QDateTime kAt(QDate(2026, 3, 4), QTime(5, 6, 7));
constexpr qint64 kCarrierHz = 145'025'000;
constexpr qint64 kQuietHz = 145'600'000;
constexpr int kCarrierPeak = 200;
const QString kGroupHeader =
    u"Date,Time,Mem,Text,Frequency,Bandwidth,Signal Byte,~Signal dBm,Antenna,"_s;

struct TSignalLogFixture : TMemFormFixture {
    TSignalMonitorController* Controller = nullptr;
    QString FileName = Home.Path(u"data/run.csv"_s);

    TSignalLogFixture() {
        Controller = new TSignalMonitorController(*Panel.Form, Data, {}, Panel.Form.get());
        QList<TSimSignal> signals;
        TSimSignal carrier;
        carrier.FreqHz = kCarrierHz;
        carrier.WidthHz = 5000;
        carrier.PeakLevel = kCarrierPeak;
        signals << carrier;
        Panel.Receiver.Band().SetSignals(signals);
        Panel.Receiver.Band().SetNoiseFloor(20);
        if (!Sql(u"UPDATE MemoryBank0.dbf SET FREQ = NULL, TEXT = NULL"_s))
            qFatal("could not blank the table");
        Answers().SaveAnswer = FileName;
    }
    ~TSignalLogFixture() { delete Controller; }

    // A channel in the table and the same channel in the receiver's bank 0.
    bool AddChannel(int channel, qint64 hz, const QString& text) {
        TRxDat rec;
        rec.Freq = static_cast<double>(hz) / 1e6;
        rec.Step = u"12.500"_s;
        rec.Text = text;
        rec.Channel = channel;
        Panel.Receiver.SetMemory(0, channel, rec);
        return Sql(u"UPDATE MemoryBank0.dbf SET FREQ = %1, TEXT = '%2', BW = '15', ANT = '2' "
                   "WHERE MEM = '%3'"_s.arg(rec.Freq, 0, 'f', 6)
                       .arg(QString(text).replace(u'\'', u"''"_s), FormatMemNumber(channel)));
    }
    TFormSignalMonitor* Monitor() const { return Controller->Form(); }
    template <typename T> T* Control(const QString& name) const {
        T* found = Monitor()->findChild<T*>(name);
        if (!found)
            qFatal("no control %s", qPrintable(name));
        return found;
    }
    // Opens the window from the menu and sets it up for a short run.
    void OpenMonitor(int minutes, int points, int pointMs, int minuteMs) {
        Panel.Find<QAction>(u"Longtermsignallog1"_s)->trigger();
        Monitor()->MinuteMs = minuteMs;
        Monitor()->Clock = [] {
            return kAt;
        };
        Control<QSpinBox>(u"SpinEditSampleInterval"_s)->setValue(minutes);
        Control<QSpinBox>(u"SpinEditNumSamples"_s)->setValue(points);
        Control<QSpinBox>(u"SpinEditDataPointInterval"_s)->setValue(pointMs);
    }
    void Go() { Control<QPushButton>(u"BitBtnStart"_s)->click(); }
    void Start(int minutes, int points, int pointMs, int minuteMs) {
        OpenMonitor(minutes, points, pointMs, minuteMs);
        Go();
    }
    // Channel 001 on a carrier, 002 where nothing transmits.
    bool AddCarrierAndQuiet(const QString& carrierText, const QString& quietText) {
        return AddChannel(1, kCarrierHz, carrierText) && AddChannel(2, kQuietHz, quietText);
    }
    int Passes() const { return Monitor()->Pass() ? Monitor()->Pass()->Passes() : -1; }
    QStringList Lines(const QString& path) const {
        return QString::fromUtf8(ReadBytes(path)).split(u"\r\n"_s);
    }
    QStringList MemoryRecalls() const { return Sent().filter(QRegularExpression(u"^MR\\d{3}$"_s)); }
};

// The fields of one line's groups; the texts the tests use hold no quotes.
QList<QStringList> Groups(const QString& line) {
    QStringList fields = line.split(u',');
    QList<QStringList> groups;
    if (fields.isEmpty() || !fields.last().isEmpty())
        return groups;
    fields.removeLast();
    for (qsizetype i = 0; i + 9 <= fields.size(); i += 9)
        groups << fields.mid(i, 9);
    return fields.size() % 9 == 0 ? groups : QList<QStringList>{};
}

TSignalLogChannel Channel(const QString& text, std::optional<int> bw = 3,
                          std::optional<int> ant = 2) {
    return {u"007"_s, text, 145.025, bw, ant};
}

} // namespace

class TestSignalLog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void groupFields_data();
    void groupFields();
    void averageIsIntegerDivisionAndPassesCount();
    void twoPassRun();
    void oneChannelEndsTheLineAfterItsGroup();
    void openingStopsOtherPollingAndDisablesWindows();
    void emptySetIsRefused();
    void slowPassIsWarnedAndTicksDuringItAreSkipped();
    void longIntervalsDoNotOverflow();
    void levelThatIsNotANumberCountsAsZero();
    void stopClosesAndGivesTheLevelHookBack();
    void closingTheLinkStopsTheRun();
    void writeErrorsStopTheRunWithAMessage();
};

void TestSignalLog::groupFields_data() {
    QTest::addColumn<TSignalLogChannel>("channel");
    QTest::addColumn<QString>("expected");
    const QString dbm = QString::number(LevelToDbm(100, 145.025));
    QTest::newRow("plain") << Channel(u"TOWER"_s)
                           << u"2026-03-04,05:06:07,007,TOWER,0145025000,3,100,"_s + dbm + u",2,"_s;
    QTest::newRow("comma and quote")
        << Channel(u"A,\"B\""_s)
        << u"2026-03-04,05:06:07,007,\"A,\"\"B\"\"\",0145025000,3,100,"_s + dbm + u",2,"_s;
    QTest::newRow("line break") << Channel(u"A\nB"_s)
                                << u"2026-03-04,05:06:07,007,\"A\nB\",0145025000,3,100,"_s + dbm +
                                       u",2,"_s;
    QTest::newRow("unknown bandwidth and antenna")
        << Channel(u"X"_s, std::nullopt, std::nullopt)
        << u"2026-03-04,05:06:07,007,X,0145025000,,100,"_s + dbm + u",,"_s;
}

void TestSignalLog::groupFields() {
    QFETCH(TSignalLogChannel, channel);
    QFETCH(QString, expected);
    // Files do not follow the user's locale: no local date order, no decimal comma.
    const QLocale kept;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QString group = SignalLogGroup(kAt, channel, 100);
    QLocale::setDefault(kept);
    QCOMPARE(group, expected);
    QCOMPARE(SignalLogHeaderLine(2), kGroupHeader + kGroupHeader);
}

void TestSignalLog::averageIsIntegerDivisionAndPassesCount() {
    TSignalLogPass pass({Channel(u"A"_s), Channel(u"B"_s)}, 3);
    QVERIFY(!pass.AddReading(10)); // nothing is taken before a pass starts
    pass.Start();
    QVERIFY(!pass.AddReading(10));
    QVERIFY(!pass.AddReading(11));
    const auto first = pass.AddReading(12);
    QVERIFY(first && first->Average == 11 && !first->PassDone);
    QCOMPARE(pass.ChannelIndex(), 1);
    pass.AddReading(255);
    pass.AddReading(255);
    const auto second = pass.AddReading(254); // 764 / 3 = 254.67
    QVERIFY(second && second->Average == 254 && second->PassDone);
    QCOMPARE(pass.Passes(), 1);
    QVERIFY(!pass.Running());
    pass.Start();
    QCOMPARE(pass.ChannelIndex(), 0);
    QCOMPARE(pass.Readings(), 0);
}

void TestSignalLog::twoPassRun() {
    TSignalLogFixture f;
    QVERIFY(f.AddCarrierAndQuiet(u"TOWER"_s, u"QUIET"_s));
    QVERIFY(f.Panel.Open());
    f.Start(1, 2, 100, 500);
    QVERIFY(f.Monitor()->Running());
    QCOMPARE(f.Monitor()->windowTitle(), u"Signal Monitor Running..."_s);
    QCOMPARE(f.Answers().SaveAsked.mid(1),
             (QStringList{DataFolder(), u"Kv7Monitor.csv"_s,
                          u"Csv files *.csv (*.csv);;All files *.* (*)"_s}));
    QTRY_COMPARE_WITH_TIMEOUT(f.Passes(), 2, TPanelFixture::kPatientMs);
    QCOMPARE(f.Control<QLabel>(u"LabelPassCount"_s)->text(), u"2: Passes Completed"_s);
    f.Control<QPushButton>(u"BitBtnStop"_s)->click();

    const QStringList lines = f.Lines(f.FileName);
    QCOMPARE(lines.size(), 5); // the last line ended too
    QVERIFY(lines[0].startsWith(u"Logged by Kv7.  "_s));
    QCOMPARE(lines[1], kGroupHeader + kGroupHeader);
    QCOMPARE(lines[4], QString());
    for (const QString& line : lines.mid(2, 2)) {
        const QList<QStringList> groups = Groups(line);
        QCOMPARE(groups.size(), 2);
        const struct {
            QString Mem, Text, Hz;
            int Low, High;
        } expected[] = {{u"001"_s, u"TOWER"_s, u"0145025000"_s, kCarrierPeak - 3, kCarrierPeak + 3},
                        {u"002"_s, u"QUIET"_s, u"0145600000"_s, 0, 20}};
        for (int i = 0; i < 2; ++i) {
            const QStringList& g = groups[i];
            QCOMPARE(g.mid(0, 6), (QStringList{u"2026-03-04"_s, u"05:06:07"_s, expected[i].Mem,
                                               expected[i].Text, expected[i].Hz, u"3"_s}));
            const int average = g[6].toInt();
            QVERIFY2(average >= expected[i].Low && average <= expected[i].High, qPrintable(g[6]));
            QCOMPARE(g[7].toInt(), LevelToDbm(average, expected[i].Hz.toDouble() / 1e6));
            QCOMPARE(g[8], u"2"_s);
        }
    }
    QCOMPARE(ReadBytes(f.Home.Path(u"data/run.bak"_s)), ReadBytes(f.FileName));
}

void TestSignalLog::oneChannelEndsTheLineAfterItsGroup() {
    TSignalLogFixture f;
    QVERIFY(f.AddChannel(5, kCarrierHz, u"ONE"_s));
    QVERIFY(f.Panel.Open());
    f.Start(1, 1, 100, 300);
    QTRY_COMPARE_WITH_TIMEOUT(f.Passes(), 2, TPanelFixture::kPatientMs);
    const QStringList lines = f.Lines(f.FileName);
    QVERIFY(lines.size() >= 4);
    QCOMPARE(lines[1], kGroupHeader);
    QCOMPARE(Groups(lines[2]).size(), 1);
    QCOMPARE(Groups(lines[3]).size(), 1);
    QCOMPARE(Groups(lines[3]).value(0).value(2), u"005"_s);
}

void TestSignalLog::openingStopsOtherPollingAndDisablesWindows() {
    TSignalLogFixture f;
    QVERIFY(f.Panel.Open());
    auto* signal = f.Panel.Find<QCheckBox>(u"TimerCheckBox"_s);
    auto* priority = f.Panel.Find<QCheckBox>(u"PriorityCheckBox1"_s);
    auto* autoTune = f.Panel.Find<QToolButton>(u"LockUpTuneSpeedButton"_s);
    signal->setChecked(true);
    priority->setChecked(true);
    autoTune->click();
    QVERIFY(autoTune->isChecked());
    QVERIFY(f.Panel.Form->Driver()->TimerStatus());

    f.Panel.Find<QAction>(u"Longtermsignallog1"_s)->trigger();
    QVERIFY(!signal->isChecked() && !priority->isChecked() && !autoTune->isChecked());
    QVERIFY(!f.Panel.Form->Driver()->TimerStatus());
    QTRY_VERIFY(f.Monitor()->isVisible());
    QCOMPARE(f.Monitor()->objectName(), u"FormSignalMonitor"_s);
    QCOMPARE(f.Monitor()->windowTitle(), u"Signal Monitor Setup"_s);
    QVERIFY(!f.Panel.Form->isEnabled());
    QVERIFY(!f.Form->isEnabled());
    QVERIFY(f.Control<QLabel>(u"LabelGettingData"_s)->isHidden());
    QCOMPARE(f.Control<QLabel>(u"LabelPassCount"_s)->text(), u"0: Passes Completed"_s);
    struct {
        const char16_t* Name;
        int Minimum, Maximum, Step, Default;
    } const spins[] = {{u"SpinEditSampleInterval", 1, 65536, 1, 5},
                       {u"SpinEditNumSamples", 1, 65536, 1, 16},
                       {u"SpinEditDataPointInterval", 100, 65536, 100, 500}};
    for (const auto& s : spins) {
        auto* spin = f.Control<QSpinBox>(QString::fromUtf16(s.Name));
        QCOMPARE(QList<int>({spin->minimum(), spin->maximum(), spin->singleStep(), spin->value()}),
                 QList<int>({s.Minimum, s.Maximum, s.Step, s.Default}));
    }
    QCOMPARE(f.Control<QPushButton>(u"BitBtnStart"_s)->text(), u"&Go"_s);
    QCOMPARE(f.Control<QPushButton>(u"BitBtnStop"_s)->text(), u"Sto&p"_s);
    QCOMPARE(f.Control<QPushButton>(u"BitBtnAppMinimise"_s)->text(), u"Minimi&ze"_s);
}

void TestSignalLog::emptySetIsRefused() {
    TSignalLogFixture f;
    QVERIFY(f.Panel.Open());
    f.Start(1, 1, 100, 60000);
    QVERIFY(!f.Monitor()->Running());
    QCOMPARE(f.Answers().Errors.size(), 1);
    QVERIFY(f.Answers().SaveAsked.isEmpty()); // refused before a file is asked for
    QVERIFY(!QFile::exists(f.FileName));
    QVERIFY(f.Control<QPushButton>(u"BitBtnStart"_s)->isEnabled());
}

void TestSignalLog::slowPassIsWarnedAndTicksDuringItAreSkipped() {
    TSignalLogFixture f;
    QVERIFY(f.AddCarrierAndQuiet(u"A"_s, u"B"_s));
    QVERIFY(f.Panel.Open());
    // A pass takes at least 2 x 3 x 100 ms; passes fall due every 60 ms.
    f.Start(1, 3, 100, 60);
    QCOMPARE(f.Answers().Errors.size(), 1);
    QVERIFY(f.Monitor()->Running()); // warned, not refused
    QTRY_COMPARE_WITH_TIMEOUT(f.Passes(), 2, TPanelFixture::kPatientMs);
    f.Control<QPushButton>(u"BitBtnStop"_s)->click();

    const QStringList lines = f.Lines(f.FileName);
    QVERIFY(lines.size() >= 4);
    for (const QString& line : lines.mid(2, 2)) {
        const QList<QStringList> groups = Groups(line);
        QCOMPARE(groups.size(), 2);
        QCOMPARE(groups[0][2], u"001"_s);
        QCOMPARE(groups[1][2], u"002"_s);
    }
    // Every pass recalls each channel once, in order, and is never started over.
    const QStringList recalls = f.MemoryRecalls();
    QVERIFY(recalls.size() >= 4);
    for (qsizetype i = 0; i < recalls.size(); ++i)
        QCOMPARE(recalls[i], i % 2 == 0 ? u"MR001"_s : u"MR002"_s);
}

void TestSignalLog::longIntervalsDoNotOverflow() {
    TSignalLogFixture f;
    QVERIFY(f.AddChannel(1, kCarrierHz, u"A"_s));
    QVERIFY(f.Panel.Open());
    f.Start(65536, 1, 100, 60000);
    auto* timer = f.Control<QTimer>(u"TimerMonitor"_s);
    QVERIFY(timer->isActive());
    QVERIFY(timer->interval() > 0);
    QCOMPARE(f.Monitor()->MinutesToNextPass() * f.Monitor()->MinuteMs, 65536LL * 60000);

    // The pass falls due at the last of its minutes, not before.
    f.Control<QPushButton>(u"BitBtnStop"_s)->click();
    f.Start(3, 1, 100, 60000);
    f.Monitor()->TimerMonitorTimer();
    f.Monitor()->TimerMonitorTimer();
    QVERIFY(!f.Monitor()->Pass()->Running());
    f.Monitor()->TimerMonitorTimer();
    QVERIFY(f.Monitor()->Pass()->Running());
    QCOMPARE(f.Monitor()->MinutesToNextPass(), 3);
}

void TestSignalLog::levelThatIsNotANumberCountsAsZero() {
    TSignalLogFixture f;
    QVERIFY(f.AddChannel(1, kCarrierHz, u"A"_s));
    // No link: nothing answers, so the only readings are the ones given here. The menu item
    // waits for a link, the window does not.
    f.Panel.Find<QAction>(u"Longtermsignallog1"_s)->setEnabled(true);
    f.Start(1, 2, 65500, 60000);
    f.Monitor()->TimerMonitorTimer();
    QVERIFY(f.Monitor()->Pass()->Running());
    TRxDat rec;
    rec.Level = u"200"_s;
    f.Panel.Form->Driver()->OnSignalLevel(rec);
    rec.Level = u"2x0"_s;
    f.Panel.Form->Driver()->OnSignalLevel(rec);
    QCOMPARE(f.Passes(), 1);
    const QStringList lines = f.Lines(f.FileName);
    QVERIFY(lines.size() >= 3);
    QCOMPARE(Groups(lines[2]).value(0).value(6), u"100"_s);
}

void TestSignalLog::stopClosesAndGivesTheLevelHookBack() {
    TSignalLogFixture f;
    QVERIFY(f.AddChannel(1, kCarrierHz, u"A"_s));
    QVERIFY(f.Panel.Open());
    auto* display = f.Panel.Form->findChild<TSignalDisplayController*>();
    QVERIFY(display);
    QSignalSpy displayed(display, &TSignalDisplayController::SquelchReported);
    TRxDat rec;
    rec.Level = u"50"_s;

    f.Start(1, 1, 100, 60000);
    f.Panel.Form->Driver()->OnSignalLevel(rec);
    QCOMPARE(displayed.size(), 0); // the monitor has the replies while it runs

    const QPointer<TFormSignalMonitor> monitor = f.Monitor();
    f.Control<QPushButton>(u"BitBtnStop"_s)->click();
    QTRY_VERIFY(monitor.isNull());
    QVERIFY(f.Panel.Form->isEnabled());
    QVERIFY(f.Form->isEnabled());
    f.Panel.Form->Driver()->OnSignalLevel(rec);
    QCOMPARE(displayed.size(), 1);
}

void TestSignalLog::closingTheLinkStopsTheRun() {
    TSignalLogFixture f;
    QVERIFY(f.AddChannel(1, kCarrierHz, u"A"_s));
    QVERIFY(f.Panel.Open());
    f.Start(1, 1, 100, 100);
    QTRY_COMPARE_WITH_TIMEOUT(f.Passes(), 1, TPanelFixture::kPatientMs);
    const QPointer<TFormSignalMonitor> monitor = f.Monitor();
    f.Panel.Form->Link()->OpenPortButtonClick();
    QVERIFY(!f.Panel.Form->Driver()->Connected());
    QVERIFY(monitor.isNull() || !monitor->Running());
    QTRY_VERIFY(monitor.isNull());
    QVERIFY(f.Panel.Form->isEnabled());
    QVERIFY(ReadBytes(f.FileName).endsWith("\r\n"));
}

void TestSignalLog::writeErrorsStopTheRunWithAMessage() {
    TSignalLogFixture f;
    QVERIFY(f.AddChannel(1, kCarrierHz, u"A"_s));
    QVERIFY(f.Panel.Open());
    // A disk that is full from the start: Go tells and does not run.
    if (QFile::exists(u"/dev/full"_s)) {
        const QString full = f.Home.Path(u"full.csv"_s);
        QVERIFY(QFile::link(u"/dev/full"_s, full));
        f.Answers().SaveAnswer = full;
        f.OpenMonitor(1, 1, 100, 100);
        f.Go();
        QVERIFY(!f.Monitor()->Running());
        QCOMPARE(f.Answers().Errors.size(), 1);
        QVERIFY(f.Control<QPushButton>(u"BitBtnStart"_s)->isEnabled());
        f.Answers().SaveAnswer = f.FileName;
    } else {
        f.OpenMonitor(1, 1, 100, 100);
    }
    // A file taken away during the run: the next group cannot be kept, and the run stops.
    const qsizetype errorsBefore = f.Answers().Errors.size();
    f.Go();
    QTRY_COMPARE_WITH_TIMEOUT(f.Passes(), 1, TPanelFixture::kPatientMs);
    QVERIFY(QFile::remove(f.FileName));
    QTRY_VERIFY_WITH_TIMEOUT(!f.Monitor()->Running(), TPanelFixture::kPatientMs);
    QCOMPARE(f.Answers().Errors.size(), errorsBefore + 1);
    QVERIFY(f.Answers().Errors.last().contains(f.FileName));
    QCOMPARE(f.Monitor()->windowTitle(), u"Signal Monitor Stopped"_s);
    QVERIFY(!f.Control<QTimer>(u"TimerSample"_s)->isActive());
    QVERIFY(!f.Control<QTimer>(u"TimerMonitor"_s)->isActive());
}

QTEST_MAIN(TestSignalLog)
#include "tst_signallog.moc"
