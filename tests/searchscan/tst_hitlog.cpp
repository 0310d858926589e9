// What becomes of hits: the hit log file line by line, its menu item, a file that can no longer be
// written, auto-store with the memory table cleared for it, and auto-logging of search hits.
#include "SearchScanFixture.h"

#include "HitKeeper.h"
#include "HitLogFile.h"
#include "Levels.h"
#include "PageWidgets.h"
#include "ScanPage.h"
#include "SearchPage.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

constexpr int kMainPage = 0;
constexpr int kScanPage = 1;
constexpr int kSearchPage = 2;
constexpr int kBank = kTwoCarrierBank;

// 10:03:07.045 on 8 March 2009.
const QDateTime kAt(QDate(2009, 3, 8), QTime(10, 3, 7, 45));

QDateTime FixedClock() {
    return kAt;
}

THit Hit(double mhz, const QString& level, int channel = -1, const QString& text = {}) {
    THit hit;
    hit.Record.Freq = mhz;
    hit.Record.Level = level;
    hit.Level = level.toInt();
    hit.Channel = channel;
    hit.MemoryText = text;
    return hit;
}

QString ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QStringList ReadLines(const QString& path) {
    QStringList lines = ReadAll(path).split(u"\r\n"_s);
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// Flooded hits stop on every step of bank 5, whatever the band holds there.
const QRegularExpression kSearchHitLine(u"^10:3:7,45,(145(?:\\.\\d+)?),(\\d+),(-?\\d+)$"_s);

// A log window that records what it was asked.
struct TFakeLogWindow {
    bool Exists = true;
    bool TableOpen = true;
    bool Enabled = true;
    int Chosen = 0;
    QList<TAutoLogEntry> Entries;

    TAutoLogTarget Target() {
        return {[this] { return Exists; }, [this] { return TableOpen; }, [this] { ++Chosen; },
                [this](const TAutoLogEntry& entry) { Entries << entry; },
                [this](bool on) {
                    Enabled = on;
                }};
    }
};

} // namespace

class TestHitLog : public QObject {
    Q_OBJECT

private:
    QTemporaryDir FHome;

    static const TSearchPageWidgets& W(TSearchScanFixture& f) {
        return f.Pages->SearchPage()->Widgets();
    }
    static QAction* LogItem(TPanelFixture& f) { return f.Find<QAction>(u"Logtofile1"_s); }

    // The search page shown with bank 5 read into the editor.
    static bool ShowBank(TSearchScanFixture& f) {
        PrepareTwoCarrierBand(f.Receiver);
        if (!f.Open())
            return false;
        f.ShowPage(kSearchPage);
        W(f).SearchFreqTabControl->Tab(kBank)->click();
        return QTest::qWaitFor([&] { return W(f).TTEdit->text() == u"TWOM"_s; },
                               TPanelFixture::kPatientMs);
    }
    // Bank 5 shown and "Log to file" opened on `path` with a fixed clock.
    static bool OpenLoggingOnBank(TSearchScanFixture& f, const QString& path) {
        if (!ShowBank(f))
            return false;
        f.Pages->HitKeeper()->LogFile().Clock = FixedClock;
        f.Answers->SaveAnswer = path;
        LogItem(f)->trigger();
        return LogItem(f)->isChecked();
    }
    // Waits until the file holds at least `count` hit lines.
    static bool WaitForHitLines(const QString& path, int count) {
        return QTest::qWaitFor(
            [&] { return ReadLines(path).filter(kSearchHitLine).size() >= count; },
            TPanelFixture::kPatientMs);
    }

private Q_SLOTS:
    void initTestCase() {
        qputenv("KOVELA_HOME", FHome.path().toLocal8Bit());
        SetMeterAttenuationFromIndex(0);
    }

    void RunWritesItsLines_data() {
        QTest::addColumn<int>("source");
        QTest::addColumn<QString>("expected");
        const QString dbm9 = QString::number(LevelToDbm(9, 446.00625));
        const QString dbm200 = QString::number(LevelToDbm(200, 145.5));
        const QString hits = u"10:3:7,45,118.1,142,-77,17,TOWER\r\n"_s +
                             u"10:3:7,45,446.00625,9,%1,512,\"PMR, \"\"ch 1\"\"\"\r\n"_s.arg(dbm9) +
                             u"10:3:7,45,145.5,200,%1,0,\r\n"_s.arg(dbm200);
        QTest::newRow("bank scan") << static_cast<int>(THitSource::BankScan)
                                   << u"Scan Started at 10:3:7 45 On 8/3/2009\r\n\r\n"
                                      u"Time,ms,Freq,SigByte,dBm,ChannelNum,Text\r\n"_s +
                                          hits + u"\r\nScan Stopped at 10:3:7 45 On 8/3/2009\r\n"_s;
        QTest::newRow("select scan")
            << static_cast<int>(THitSource::SelectScan)
            << u"Select Scan Started at 10:3:7 45 On 8/3/2009\r\n\r\n"
               u"Time,ms,Freq,SigByte,dBm,ChannelNum,Text\r\n"_s +
                   hits + u"\r\nScan Stopped at 10:3:7 45 On 8/3/2009\r\n"_s;
        QTest::newRow("search") << static_cast<int>(THitSource::ProgramSearch)
                                << u"Search Started at 10:3:7 45 On 8/3/2009\r\n\r\n"
                                   u"Searching AIR, BAND, Bank 12\r\n"
                                   u"Low  Frequency Limit 118.000000\r\n"
                                   u"High Frequency Limit 137.000000\r\n"
                                   u"Mode AM, BandWidth 15kHz, Antenna Ant 1\r\n\r\n"
                                   u"Time,ms,Freq,SigByte,dBm\r\n"
                                   u"10:3:7,45,118.1,142,-77\r\n"_s +
                                       u"10:3:7,45,446.00625,9,%1\r\n"_s.arg(dbm9) +
                                       u"10:3:7,45,145.5,200,%1\r\n"_s.arg(dbm200) +
                                       u"\r\nSearch Stopped at 10:3:7 45 On 8/3/2009\r\n"_s;
    }
    void RunWritesItsLines() {
        QFETCH(int, source);
        QFETCH(QString, expected);
        const auto run = static_cast<THitSource>(source);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"hits.csv"_s);
        THitLogFile log;
        log.Clock = FixedClock;
        QVERIFY(log.Open(path));
        // A German desktop must not turn the frequencies' points into commas.
        const QLocale previous;
        QLocale::setDefault(QLocale(QLocale::German));
        log.WriteRunStart(run, {u"AIR, BAND"_s, 12, u"118.000000"_s, u"137.000000"_s, u"AM"_s,
                                u"15kHz"_s, u"Ant 1"_s});
        log.WriteHit(run, Hit(118.1, u"142"_s, 17, u"TOWER"_s));
        log.WriteHit(run, Hit(446.00625, u"9"_s, 512, u"PMR, \"ch 1\""_s));
        log.WriteHit(run, Hit(145.5, u"200"_s));
        log.WriteRunStop(run);
        QLocale::setDefault(previous);
        QCOMPARE(ReadAll(path), expected);
    }

    void RecordingPositionIsTheLastColumn() {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"hits.csv"_s);
        THitLogFile log;
        log.Clock = FixedClock;
        log.WavPosition = [] {
            return std::optional<QString>(u"12.005"_s);
        };
        QVERIFY(log.Open(path));
        log.WriteRunStart(THitSource::BankScan);
        log.WriteHit(THitSource::BankScan, Hit(118.1, u"142"_s, 17, u"TOWER"_s));
        const QStringList lines = ReadLines(path);
        QCOMPARE(lines.value(2),
                 u"Time,ms,Freq,SigByte,dBm,ChannelNum,Text, WaveFilePosition Sec"_s);
        QCOMPARE(lines.value(3), u"10:3:7,45,118.1,142,-77,17,TOWER,12.005"_s);
    }

    void WriteFailureIsToldOnceAndCloses_data() {
        QTest::addColumn<bool>("removed");
        QTest::newRow("disk full") << false;
        QTest::newRow("file removed") << true;
    }
    void WriteFailureIsToldOnceAndCloses() {
        QFETCH(bool, removed);
        QTemporaryDir dir;
        const QString path = removed ? dir.filePath(u"hits.csv"_s) : u"/dev/full"_s;
        THitLogFile log;
        QStringList told;
        log.OnFailed = [&](const QString& error) {
            told << error;
        };
        QVERIFY(log.Open(path));
        if (removed)
            QVERIFY(QFile::remove(path));
        log.WriteRunStart(THitSource::BankScan);
        log.WriteHit(THitSource::BankScan, Hit(118.1, u"142"_s));
        log.WriteRunStop(THitSource::BankScan);
        QCOMPARE(told.size(), 1);
        QVERIFY2(told.first().contains(path), qPrintable(told.first()));
        QVERIFY(!log.IsOpen());
        if (removed)
            QVERIFY2(!QFile::exists(path), "nothing is written after the failure");
    }

    void LoggedSearchWritesTheFileAndTheMainPageClosesIt() {
        TSearchScanFixture f;
        QTemporaryDir dir;
        const QString path = dir.filePath(u"hits.csv"_s);
        QVERIFY(!LogItem(f)->isEnabled());
        QVERIFY(OpenLoggingOnBank(f, dir.filePath(u"hits"_s)));
        QCOMPARE(f.Answers->SaveAsked.value(2), u"Kovela.csv"_s);
        QCOMPARE(LogItem(f)->text(), u"Close Logfile"_s);
        QCOMPARE(W(f).StatusBar3->text(), u"Logging to hits.csv"_s);
        QCOMPARE(f.Find<QLabel>(u"StatusBar2"_s)->text(), u"Logging to hits.csv"_s);

        W(f).StartSearchMyBitButton->click();
        f.Receiver.SetFloodHits(true);
        QVERIFY(WaitForHitLines(path, 3));
        W(f).SearchStopButton->click();

        const QStringList lines = ReadLines(path);
        QCOMPARE(lines.mid(0, 8),
                 (QStringList{u"Search Started at 10:3:7 45 On 8/3/2009"_s, QString(),
                              u"Searching TWOM, Bank 5"_s,
                              u"Low  Frequency Limit "_s + W(f).SLEdit->text(),
                              u"High Frequency Limit "_s + W(f).SUEdit->text(),
                              u"Mode "_s + W(f).SModeComboBox->currentText() + u", BandWidth "_s +
                                  W(f).SBandwidthComboBox->currentText() + u", Antenna "_s +
                                  W(f).SAntennaComboBox->currentText(),
                              QString(), u"Time,ms,Freq,SigByte,dBm"_s}));
        QCOMPARE(lines.mid(lines.size() - 2),
                 (QStringList{QString(), u"Search Stopped at 10:3:7 45 On 8/3/2009"_s}));
        const QStringList hitLines = lines.mid(8, lines.size() - 10);
        for (const QString& line : hitLines) {
            const QRegularExpressionMatch hit = kSearchHitLine.match(line);
            QVERIFY2(hit.hasMatch(), qPrintable(line));
            QCOMPARE(hit.captured(3).toInt(),
                     LevelToDbm(hit.captured(2).toInt(), hit.captured(1).toDouble()));
        }

        f.ShowPage(kMainPage);
        QVERIFY(!LogItem(f)->isChecked());
        QVERIFY(!LogItem(f)->isEnabled());
        QCOMPARE(LogItem(f)->text(), u"Log to File"_s);
        QVERIFY(W(f).StatusBar3->text().isEmpty());
        QVERIFY(f.Pages->ScanPage()->Widgets().StatusBar2->text().isEmpty());
        f.ShowPage(kScanPage);
        QVERIFY(LogItem(f)->isEnabled());
        QVERIFY(!LogItem(f)->isChecked());
        QVERIFY(!f.Pages->HitKeeper()->LogFile().IsOpen());
    }

    void ResetFlagsAndAClosedLinkStopLogging_data() {
        QTest::addColumn<bool>("resetFlags");
        QTest::newRow("Reset Flags") << true;
        QTest::newRow("link closed") << false;
    }
    void ResetFlagsAndAClosedLinkStopLogging() {
        QFETCH(bool, resetFlags);
        TSearchScanFixture f;
        QTemporaryDir dir;
        QVERIFY(OpenLoggingOnBank(f, dir.filePath(u"hits.csv"_s)));
        if (resetFlags) {
            f.Answers->ConfirmAnswer = true;
            f.Find<QAction>(u"ResetFlags1"_s)->trigger();
        } else {
            f.Find<QPushButton>(u"OpenPortButton"_s)->click();
            QVERIFY(!f.Form->Driver()->Connected());
        }
        QVERIFY(!f.Pages->HitKeeper()->LogFile().IsOpen());
        QVERIFY(!LogItem(f)->isChecked());
        QCOMPARE(LogItem(f)->text(), u"Log to File"_s);
        QVERIFY(W(f).StatusBar3->text().isEmpty());
    }

    void AFileThatCannotBeCreatedIsToldAndNotChecked() {
        TSearchScanFixture f;
        QTemporaryDir dir;
        QVERIFY(f.Open());
        f.ShowPage(kScanPage);
        f.Answers->SaveAnswer = dir.filePath(u"missing/hits.csv"_s);
        LogItem(f)->trigger();
        QVERIFY(!LogItem(f)->isChecked());
        QVERIFY(f.Answers->Errors.join(u'\n').contains(u"missing/hits.csv"_s));
        QVERIFY(W(f).StatusBar3->text().isEmpty());
    }

    void FileRemovedDuringASearchIsToldOnce() {
        TSearchScanFixture f;
        QTemporaryDir dir;
        const QString path = dir.filePath(u"hits.csv"_s);
        QVERIFY(OpenLoggingOnBank(f, path));
        W(f).StartSearchMyBitButton->click();
        f.Receiver.SetFloodHits(true);
        QVERIFY(WaitForHitLines(path, 1));
        f.Messages.clear();
        QVERIFY(QFile::remove(path));
        const qint64 reported = f.Receiver.HitsReported();
        QTRY_VERIFY_WITH_TIMEOUT(f.Receiver.HitsReported() > reported + 5, f.kPatientMs);
        QTRY_VERIFY_WITH_TIMEOUT(!f.Messages.isEmpty(), f.kPatientMs);
        QCOMPARE(f.Messages.filter(u"hit log"_s).size(), 1);
        QVERIFY(!LogItem(f)->isChecked());
        QCOMPARE(LogItem(f)->text(), u"Log to File"_s);
        QVERIFY(W(f).StatusBar3->text().isEmpty());
        QVERIFY(f.Form->RunFlags().SearchRunning);
        QVERIFY(!QFile::exists(path));
        W(f).SearchStopButton->click();
        QVERIFY(!QFile::exists(path));
    }

    // The line goes bad in the middle of a logged search: every hit received so far stays in the
    // file, the run ends with its stop line, and the user is told.
    void FaultsDuringALoggedSearchKeepTheHits_data() {
        QTest::addColumn<int>("fault");
        QTest::addColumn<bool>("dropped");
        QTest::newRow("garbage") << static_cast<int>(TSimFault::Garbage) << false;
        QTest::newRow("silence") << static_cast<int>(TSimFault::Silence) << false;
        QTest::newRow("dropped connection") << static_cast<int>(TSimFault::None) << true;
    }
    void FaultsDuringALoggedSearchKeepTheHits() {
        QFETCH(int, fault);
        QFETCH(bool, dropped);
        TSearchScanFixture f;
        QTemporaryDir dir;
        const QString path = dir.filePath(u"hits.csv"_s);
        QVERIFY(OpenLoggingOnBank(f, path));
        W(f).StartSearchMyBitButton->click();
        f.Receiver.SetFloodHits(true);
        QVERIFY(WaitForHitLines(path, 3));
        f.Form->Driver()->Timeout = 300;
        f.Messages.clear();
        // Nothing runs between reading the file and the fault: these are all hits received.
        const QStringList before = ReadLines(path);
        if (dropped) {
            f.Receiver.DropConnection();
            QTRY_VERIFY_WITH_TIMEOUT(!f.Form->RunFlags().SearchRunning, f.kPatientMs);
        } else {
            f.Receiver.SetFault(static_cast<TSimFault>(fault));
            W(f).SearchStopButton->click();
        }
        QVERIFY(!f.Form->RunFlags().SearchRunning);
        QVERIFY2(!f.Messages.isEmpty(), "the user is told");
        const QStringList after = ReadLines(path);
        QCOMPARE(after.mid(0, before.size()), before);
        QCOMPARE(after.last(), u"Search Stopped at 10:3:7 45 On 8/3/2009"_s);
    }

    void ViewALogSaysWhenNothingOpensIt() {
        TSearchScanFixture f;
        QStringList opened;
        bool opens = true;
        f.Pages->HitKeeper()->OpenDocument = [&](const QString& file) {
            opened << file;
            return opens;
        };
        f.Answers->OpenAnswer = u"/tmp/some.csv"_s;
        QAction* view = f.Find<QAction>(u"ViewaLog1"_s);
        view->trigger();
        QCOMPARE(opened, QStringList{u"/tmp/some.csv"_s});
        QCOMPARE(f.Answers->OpenAsked.value(2), u"Kovela.csv"_s);
        QVERIFY(f.Answers->Errors.isEmpty());
        opens = false;
        view->trigger();
        QCOMPARE(f.Answers->Errors.size(), 1);
        QVERIFY(f.Answers->Errors.first().contains(u"/tmp/some.csv"_s));
    }

    void AutoStoreYesBlanksTheFirstHundredChannelsOfTheTable() {
        TScanFixture f;
        QVERIFY(f.Sql(u"UPDATE MemoryBank0.dbf SET FREQ = 145.5, TEXT = 'KEEP', MODE = 1, "
                      u"PASS = TRUE WHERE MEM <= '120'"_s));
        // The memory window shows only part of bank 0: the blanking reaches past it.
        const QString subSelect = u"SELECT * FROM MemoryBank0.dbf WHERE MEM >= '090'"_s;
        QVERIFY(f.Data.ReopenMemoryView(subSelect));
        QVERIFY(f.Panel.Open());
        f.ShowPage(kSearchPage);
        f.TakeSent();
        auto* box = f.Panel.Find<QCheckBox>(u"AutoStoreCheckBox"_s);

        f.Panel.Answers->ConfirmAnswer = true;
        box->click();
        QCOMPARE(f.Panel.Answers->ConfirmAsked, QStringList{u"Clear mems 000-099 now?"_s});
        QCOMPARE(f.TakeSent(), QStringList{u"AS2"_s});
        TTableEngine& engine = f.Data.Engine();
        QCOMPARE(engine
                     .QueryValue(u"SELECT COUNT(*) FROM MemoryBank0.dbf WHERE MEM <= '099' AND "
                                 u"(FREQ IS NOT NULL OR TEXT IS NOT NULL OR MODE IS NOT NULL "
                                 u"OR PASS IS NOT NULL)"_s)
                     ->toInt(),
                 0);
        QCOMPARE(engine
                     .QueryValue(u"SELECT COUNT(*) FROM MemoryBank0.dbf WHERE MEM >= '100' AND "
                                 u"MEM <= '120' AND TEXT = 'KEEP'"_s)
                     ->toInt(),
                 21);
        // The view was read again: its rows show the blanked channels, on the same statement.
        TTableView& view = f.Data.MemQuery1();
        QCOMPARE(view.Sql(), subSelect);
        QCOMPARE(view.Locate(u"MEM", u"095"_s), TLocateResult::Found);
        QVERIFY(view.Value(u"FREQ").isNull());

        box->click();
        QCOMPARE(f.TakeSent(), QStringList{u"AS0"_s});
    }

    void AutoStoreNoSendsAs1AndChangesNoRow() {
        TScanFixture f;
        QVERIFY(f.Sql(u"UPDATE MemoryBank0.dbf SET FREQ = 145.5, TEXT = 'KEEP' WHERE MEM <= "
                      u"'099'"_s));
        QVERIFY(f.Panel.Open());
        f.ShowPage(kSearchPage);
        f.TakeSent();
        f.Panel.Answers->ConfirmAnswer = false;
        f.Panel.Find<QCheckBox>(u"AutoStoreCheckBox"_s)->click();
        QCOMPARE(f.TakeSent(), QStringList{u"AS1"_s});
        QCOMPARE(f.Data.Engine()
                     .QueryValue(u"SELECT COUNT(*) FROM MemoryBank0.dbf WHERE TEXT = 'KEEP'"_s)
                     ->toInt(),
                 100);
    }

    // The table learns of stored hits only from an upload: a search stop reminds the user.
    void AutoStoreReminderAtSearchStop() {
        TSearchScanFixture f;
        QVERIFY(ShowBank(f));
        const QString reminder = u"After AUTOSTORE:\r\nRemember to \"Upload From Rx\"\r\non "
                                 u"MemoryForm to update memory table\r\nWhen prompted check "
                                 u"\"Only Get Bank 0\""_s;
        W(f).StartSearchMyBitButton->click();
        W(f).SearchStopButton->click();
        QVERIFY(!f.Messages.contains(reminder));
        W(f).AutoStoreCheckBox->setChecked(true);
        W(f).StartSearchMyBitButton->click();
        W(f).SearchStopButton->click();
        QCOMPARE(f.Messages.count(reminder), 1);
    }

    void AutoLoggingChoosesAddsSearchHitsAndEndsAtStop() {
        TSearchScanFixture f;
        TFakeLogWindow log;
        f.Pages->HitKeeper()->SetAutoLogTarget(log.Target());
        QVERIFY(ShowBank(f));
        QAction* item = W(f).AutoLogtoLogtable1;
        Q_EMIT W(f).PopupMenuSearchRecordToWav->aboutToShow();
        QVERIFY(item->isEnabled());
        item->trigger();
        QVERIFY(item->isChecked());

        W(f).StartSearchMyBitButton->click();
        QCOMPARE(log.Chosen, 1);
        QVERIFY(!log.Enabled);
        QTRY_VERIFY_WITH_TIMEOUT(!log.Entries.isEmpty(), f.kPatientMs);
        const TAutoLogEntry& entry = log.Entries.first();
        QVERIFY2(entry.FreqText.trimmed() == u"145.025000"_s ||
                     entry.FreqText.trimmed() == u"145.075000"_s,
                 qPrintable(entry.FreqText));
        QCOMPARE(entry.Level, 200);
        QCOMPARE(entry.Squelch, 130);
        QCOMPARE(entry.ModeText, W(f).SModeComboBox->currentText());
        QCOMPARE(entry.Stadj, W(f).SStOffsetBox->isChecked());
        QCOMPARE(entry.AntText, W(f).SAntennaComboBox->currentText());
        QCOMPARE(entry.StepText, W(f).SStepComboBox->currentText());
        QCOMPARE(entry.BwText, W(f).SBandwidthComboBox->currentText());

        W(f).SearchStopButton->click();
        QVERIFY(!item->isChecked());
        QVERIFY(log.Enabled);

        // Scan hits are not logged, whatever the item says.
        const qsizetype logged = log.Entries.size();
        item->setChecked(true);
        f.ShowPage(kScanPage);
        f.Pages->ScanPage()->Widgets().ScanMyBitButton->click();
        const qint64 reported = f.Receiver.HitsReported();
        f.Receiver.SetFloodHits(true);
        QTRY_VERIFY_WITH_TIMEOUT(f.Receiver.HitsReported() > reported + 3, f.kPatientMs);
        f.Pages->ScanPage()->StopScanButtonClick();
        QCOMPARE(log.Entries.size(), logged);
        QCOMPARE(log.Chosen, 1);
    }

    void AutoLoggingWantsAnOpenLogWindow() {
        TSearchScanFixture f;
        TFakeLogWindow log;
        log.Exists = false;
        f.Pages->HitKeeper()->SetAutoLogTarget(log.Target());
        QVERIFY(f.Open());
        QAction* item = W(f).AutoLogtoLogtable1;
        f.Pages->HitKeeper()->AutoLogtoLogtable1Click(true);
        QVERIFY(!item->isChecked());
        QCOMPARE(f.Answers->Errors,
                 QStringList{u"   You must have the Log Form open for Auto Logging\r\nPlease open "
                             u"the Log Form and then open a database table\r\n             to "
                             u"receive auto logged entries"_s});
        item->setChecked(true);
        Q_EMIT W(f).PopupMenuSearchRecordToWav->aboutToShow();
        QVERIFY(!item->isEnabled());
        QVERIFY(!item->isChecked());

        // A log window without a table, or without a link, does not offer it either.
        log.Exists = true;
        log.TableOpen = false;
        Q_EMIT W(f).PopupMenuSearchRecordToWav->aboutToShow();
        QVERIFY(!item->isEnabled());
        log.TableOpen = true;
        Q_EMIT W(f).PopupMenuSearchRecordToWav->aboutToShow();
        QVERIFY(item->isEnabled());
    }
};

QTEST_MAIN(TestHitLog)
#include "tst_hitlog.moc"
