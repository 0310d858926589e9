// Recording search hits against the simulated receiver, with a fake sound input.
#include "searchscan/SearchScanFixture.h"

#include "AudioSource.h"
#include "HitKeeper.h"
#include "HitRecorder.h"
#include "PageWidgets.h"
#include "PanelState.h"
#include "ProgramFolder.h"
#include "ScanPage.h"
#include "SearchPage.h"
#include "VfoPanelController.h"
#include "WavRecorder.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

constexpr int kSearchPage = 2;
constexpr int kScanPage = 1;
const QDateTime kAt(QDate(2009, 12, 31), QTime(20, 13, 5, 42));

QStringList ReadLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(u"\r\n"_s, Qt::SkipEmptyParts);
}

qint64 FileSize(const QString& path) {
    return QFileInfo(path).size();
}

// The search page on the two-carrier bank, with recording on a fake input and a fixed clock.
struct THitRecordingFixture : TSearchScanFixture {
    TAudioRecording* Audio = nullptr;
    TFakeAudioSource* Source = nullptr;

    explicit THitRecordingFixture(bool perHit) {
        Settings.SearchScanWavFilesByFreq = perHit;
        auto source = std::make_unique<TFakeAudioSource>();
        Source = source.get();
        Audio = new TAudioRecording(*Form, *Pages, std::move(source));
        Recorder().Clock = [] {
            return kAt;
        };
    }
    TWavRecorder& Recorder() { return Audio->Recorder(); }
    QColor DigitColour() {
        return Sheet().VfoPanel()->CurrentBox()->palette().color(QPalette::Text);
    }
    const TSearchPageWidgets& W() { return Pages->SearchPage()->Widgets(); }

    bool OpenOnBank() {
        PrepareTwoCarrierBand(Receiver);
        if (!Open())
            return false;
        ShowPage(kSearchPage);
        W().SearchFreqTabControl->Tab(kTwoCarrierBank)->click();
        return QTest::qWaitFor([&] { return W().TTEdit->text() == u"TWOM"_s; }, kPatientMs);
    }
    // Starts the search with "Record To Wav File" checked and waits for the first hit.
    bool SearchUntilHit() {
        if (!W().RecordToWavFile1->isEnabled())
            return false;
        W().RecordToWavFile1->trigger();
        W().StartSearchMyBitButton->click();
        return QTest::qWaitFor([&] { return !W().AutoSDisplayEdit->text().isEmpty(); }, kPatientMs);
    }
    // The carriers go off the air: the squelch closes and level reports say so.
    void SilenceTheBand() {
        Recorder().TimerWavFile().setInterval(20);
        Receiver.Band().SetSignals({});
    }
};

} // namespace

class TstHitRecording : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { qputenv("KOVELA_HOME", FHome.path().toLocal8Bit()); }
    void init() { QDir(SoundFolder()).removeRecursively(); }

    void oneFileForTheRunIsNamedInTheHitLog() {
        THitRecordingFixture f(false);
        QVERIFY(f.OpenOnBank());
        const QString log = FHome.filePath(u"hits.csv"_s);
        f.Answers->SaveAnswer = log;
        f.Form->findChild<QAction*>(u"Logtofile1"_s)->trigger();
        QVERIFY(f.SearchUntilHit());
        QVERIFY(f.Recorder().WavRecording());
        f.Source->Feed(1000);

        f.SilenceTheBand();
        // Recording stops once the squelch has stayed closed; the run's file stays open.
        QTRY_VERIFY_WITH_TIMEOUT(!f.Recorder().WavRecording(), f.kPatientMs);
        QVERIFY(f.Recorder().WavFileOpen());
        f.Source->Feed(500); // not recording: not kept

        f.W().SearchStopButton->click();
        QVERIFY(!f.Recorder().WavFileOpen());
        QVERIFY(!f.W().RecordToWavFile1->isChecked());
        const QString wav = SoundFolder() + u"/Kv7_20091231_201305_42.wav"_s;
        QCOMPARE(FileSize(wav), kWavHeaderBytes + 8000);

        const QStringList lines = ReadLines(log);
        QVERIFY(lines.filter(u"Time,ms,Freq,SigByte,dBm, WaveFilePosition Sec"_s).size() == 1);
        // The hit line carries where in the file the hit begins.
        const QStringList hits = lines.filter(u",145.0"_s);
        QVERIFY2(!hits.isEmpty() && hits.first().endsWith(u",0.000"_s),
                 qPrintable(lines.join(u'\n')));
        QCOMPARE(lines.last(), u"Audio was saved to "_s + wav);
    }

    void oneFilePerHitEndsWhenTheSquelchCloses() {
        THitRecordingFixture f(true);
        QVERIFY(f.OpenOnBank());
        QVERIFY(f.SearchUntilHit());
        QVERIFY(f.Recorder().WavRecording());
        QCOMPARE(f.Recorder().PositionText(), u"-"_s);
        const QString shown = f.W().AutoSDisplayEdit->text().trimmed();
        const QString expected = shown + u"_Ch__20091231_201305_42.wav"_s;
        QCOMPARE(f.Recorder().PerHitName, expected);
        f.Source->Feed(300);

        f.SilenceTheBand();
        QTRY_VERIFY_WITH_TIMEOUT(!f.Recorder().WavFileOpen(), f.kPatientMs);
        QCOMPARE(QDir(SoundFolder()).entryList(QDir::Files), QStringList{expected});
        QCOMPARE(FileSize(SoundFolder() + u"/"_s + expected), kWavHeaderBytes + 2400);

        f.W().SearchStopButton->click();
        QVERIFY(!f.W().RecordToWavFile1->isChecked());
        QCOMPARE(QDir(SoundFolder()).entryList(QDir::Files).size(), 1);
    }

    void optionsAreOfferedOnlyWithTheLink() {
        THitRecordingFixture f(false);
        QVERIFY(!f.W().RecordToWavFile1->isEnabled());
        QVERIFY(!f.Pages->ScanPage()->Widgets().CheckBoxRecordScanToWav->isEnabled());
        QVERIFY(f.Open());
        QVERIFY(f.W().RecordToWavFile1->isEnabled());
        QVERIFY(f.Pages->ScanPage()->Widgets().CheckBoxRecordScanToWav->isEnabled());
    }

    void mainRecordingFollowsTheSquelchWhileItIsOn() {
        THitRecordingFixture f(true); // the per-hit setting does not apply here
        PrepareTwoCarrierBand(f.Receiver);
        TRxDat onCarrier = StoredChannel(kTwoCarriersHz.first(), {});
        f.Receiver.SetVfo(u'A', onCarrier);
        QVERIFY(f.Open());
        // Between the carrier and the noise floor.
        f.Form->Driver()->SetSquelch(100);
        QTRY_COMPARE_WITH_TIMEOUT(f.Receiver.Settings().Squelch, 100, f.kPatientMs);
        auto* record = f.Form->findChild<QAction*>(u"MainRecordtoWav1"_s);
        QCheckBox* signal = f.Sheet().Widgets().TimerCheckBox;
        QCheckBox* priority = f.Sheet().Widgets().PriorityCheckBox1;
        QVERIFY(record->isEnabled());
        QVERIFY(!signal->isChecked());

        record->trigger();
        QVERIFY(signal->isChecked());
        QVERIFY(!priority->isEnabled());
        QVERIFY(f.Recorder().WavFileOpen());
        // Level polling finds the squelch open and recording starts, shown in red digits.
        QTRY_VERIFY_WITH_TIMEOUT(f.Recorder().WavRecording(), f.kPatientMs);
        QCOMPARE(f.DigitColour(), kValueRed);
        f.Source->Feed(500);

        f.SilenceTheBand();
        QTRY_VERIFY_WITH_TIMEOUT(!f.Recorder().WavRecording(), f.kPatientMs);
        QVERIFY(f.Recorder().QuietCount > 30);
        QCOMPARE(f.DigitColour(), kBoxLime);
        QVERIFY(f.Recorder().WavFileOpen());

        // Switching the signal display off ends main recording and saves its file.
        signal->click();
        QVERIFY(!record->isChecked());
        QVERIFY(!f.Recorder().WavFileOpen());
        QVERIFY(priority->isEnabled());
        QCOMPARE(FileSize(SoundFolder() + u"/Kv7_20091231_201305_42.wav"_s),
                 kWavHeaderBytes + 4000);
    }

    void resetFlagsEndsMainRecordingAndOffersEverythingAgain() {
        THitRecordingFixture f(false);
        PrepareTwoCarrierBand(f.Receiver);
        f.Receiver.SetVfo(u'A', StoredChannel(kTwoCarriersHz.first(), {}));
        QVERIFY(f.Open());
        auto* record = f.Form->findChild<QAction*>(u"MainRecordtoWav1"_s);
        auto* play = f.Form->findChild<QAction*>(u"PlayWavFile1"_s);
        QCheckBox* priority = f.Sheet().Widgets().PriorityCheckBox1;
        record->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(f.Recorder().WavRecording(), f.kPatientMs);
        f.Source->Feed(800);
        QVERIFY(!priority->isEnabled());
        QVERIFY(!play->isEnabled());

        f.Answers->ConfirmAnswer = true;
        f.Form->findChild<QAction*>(u"ResetFlags1"_s)->trigger();
        QVERIFY(!f.Recorder().WavFileOpen());
        QVERIFY(!record->isChecked());
        QVERIFY(record->isEnabled());
        QVERIFY(priority->isEnabled());
        QVERIFY(play->isEnabled());
        QVERIFY(f.W().RecordToWavFile1->isEnabled());
        QCOMPARE(f.DigitColour(), kBoxLime);
        // What was recorded is kept.
        QCOMPARE(FileSize(SoundFolder() + u"/Kv7_20091231_201305_42.wav"_s),
                 kWavHeaderBytes + 6400);
    }

    void scanHitsAreNamedByChannelAndSafeText() {
        TScanFixture f;
        auto source = std::make_unique<TFakeAudioSource>();
        TFakeAudioSource* fake = source.get();
        f.Panel.Settings.SearchScanWavFilesByFreq = true;
        auto* audio = new TAudioRecording(*f.Panel.Form, *f.Pages, std::move(source));
        audio->Recorder().Clock = [] {
            return kAt;
        };
        TSimReceiver& rx = f.Panel.Receiver;
        for (int channel = 0; channel < TSimReceiver::kChannelCount; ++channel)
            rx.ClearMemory(0, channel);
        rx.SetMemory(0, 312, StoredChannel(kTwoCarriersHz.first(), u"A/B..C"_s));
        TScanGroupDat group = rx.ScanGroup(0);
        group.Mode = kScanModeFree;
        group.Link = false;
        rx.SetScanGroup(group);
        PrepareTwoCarrierBand(rx);
        rx.Band().SetSignals({rx.Band().Signals().first()});
        QVERIFY(f.Sql(u"UPDATE MemoryBank0.dbf SET FREQ = NULL, TEXT = NULL"_s));
        QVERIFY(f.Sql(u"UPDATE MemoryBank0.dbf SET FREQ = 145.025, TEXT = 'A/B..C' "
                      u"WHERE MEM = '312'"_s));
        QVERIFY(f.Panel.Open());
        f.ShowPage(kScanPage);
        const TScanPageWidgets& w = f.Pages->ScanPage()->Widgets();
        w.CheckBoxRecordScanToWav->click();
        w.BankNoSpinEdit->setValue(3);
        w.ScanMyBitButton->click();
        QTRY_VERIFY_WITH_TIMEOUT(audio->Recorder().WavRecording(), f.Panel.kPatientMs);
        fake->Feed(100);
        const QString name = audio->Recorder().PerHitName;
        QVERIFY2(name.startsWith(w.AutoFDisplayEdit->text().trimmed() + u"_Ch312_"_s),
                 qPrintable(name));
        QVERIFY2(!name.contains(u'/') && !name.contains(u".."_s), qPrintable(name));
        QVERIFY2(name.endsWith(u"_20091231_201305_42.wav"_s), qPrintable(name));
        w.StopScanButton->click();
        QVERIFY(!audio->Recorder().WavFileOpen());
        QCOMPARE(QDir(SoundFolder()).entryList(QDir::Files), QStringList{name});
    }

    void recordingOptionsSayWhenThereIsNoSoundInput_data() {
        QTest::addColumn<bool>("device");
        QTest::newRow("no input") << false;
        QTest::newRow("input") << true;
    }
    void recordingOptionsSayWhenThereIsNoSoundInput() {
        QFETCH(bool, device);
        THitRecordingFixture f(false);
        f.Source->HasDevice = device;
        QString shown;
        bool visible = false;
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (!dialog)
                return;
            auto* label = dialog->findChild<QLabel*>(u"NoSoundInputLabel"_s);
            visible = label && label->isVisibleTo(dialog);
            shown = label ? label->text() : QString();
            static_cast<QDialog*>(dialog)->reject();
        });
        answer.start(10);
        f.Form->findChild<QAction*>(u"SetupRecording"_s)->trigger();
        QCOMPARE(visible, !device);
        if (!device)
            QCOMPARE(shown, NoInputDeviceText());
    }

    void fileMenuPlaysAndOpensFolders() {
        THitRecordingFixture f(false);
        QStringList opened;
        bool opens = true;
        f.Audio->OpenDocument = [&](const QString& path) {
            opened << path;
            return opens;
        };
        const QString wav = SoundFolder() + u"/Kv7_x.wav"_s;
        f.Answers->OpenAnswer = wav;
        f.Form->findChild<QAction*>(u"PlayWavFile1"_s)->trigger();
        QCOMPARE(f.Answers->OpenAsked.value(1), SoundFolder());
        f.Form->findChild<QAction*>(u"OpenWavFilesFolder1"_s)->trigger();
        f.Form->findChild<QAction*>(u"OpenDatafolder1"_s)->trigger();
        QCOMPARE(opened, (QStringList{wav, SoundFolder(), DataFolder()}));
        QVERIFY(f.Messages.isEmpty());

        opens = false;
        f.Form->findChild<QAction*>(u"PlayWavFile1"_s)->trigger();
        QCOMPARE(f.Messages.size(), 1);
        QVERIFY(f.Messages.first().endsWith(u"In PlayWavFile1Click"_s));
    }

    void mixerItemsStartThePlatformsMixer() {
        THitRecordingFixture f(false);
        QStringList started;
        bool found = true;
        f.Audio->FindProgram = [&](const QString& name) {
            return found ? u"/usr/bin/"_s + name : QString();
        };
        f.Audio->StartProgram = [&](const QString& program, const QStringList& arguments) {
            started << (QStringList{program} + arguments).join(u' ');
            return true;
        };
        f.Form->findChild<QAction*>(u"PlayBackControls1"_s)->trigger();
        f.Form->findChild<QAction*>(u"RecordingControls1"_s)->trigger();
        QCOMPARE(started.size(), 2);
        QVERIFY(started[0] != started[1]); // the recording controls open on their own page
        QVERIFY(f.Messages.isEmpty());

        found = false;
        f.Form->findChild<QAction*>(u"PlayBackControls1"_s)->trigger();
        QCOMPARE(f.Messages.size(), 1);
        QVERIFY(f.Messages.first().endsWith(u"\r\nPlaybackControls1Click"_s));
    }

private:
    QTemporaryDir FHome;
};

QTEST_MAIN(TstHitRecording)
#include "tst_hitrecording.moc"
