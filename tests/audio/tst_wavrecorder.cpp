#include "WavRecorder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace Qt::StringLiterals;

namespace {

const QDateTime kAt(QDate(2009, 12, 31), QTime(20, 13, 5, 42));

struct TRecorderFixture {
    TFakeAudioSource* Source = new TFakeAudioSource;
    TWavRecorder Recorder{std::unique_ptr<TAudioSource>(Source)};
    QStringList Messages;
    int LevelQueries = 0;

    TRecorderFixture() {
        Recorder.Clock = [] {
            return kAt;
        };
        Recorder.AddMessage = [this](const QString& text) {
            Messages << text;
        };
        Recorder.SendLevelQuery = [this] {
            ++LevelQueries;
        };
    }
};

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList SoundFiles() {
    return QDir(SoundFolder()).entryList(QDir::Files, QDir::Name);
}

void ClearSoundFolder() {
    QDir(SoundFolder()).removeRecursively();
}

} // namespace

class TstWavRecorder : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { qputenv("KOVELA_HOME", FHome.path().toLocal8Bit()); }
    void init() { ClearSoundFolder(); }

    void names_data() {
        QTest::addColumn<QString>("made");
        QTest::addColumn<QString>("expected");
        QTest::newRow("run") << DefaultWavName(QDateTime(QDate(2009, 12, 31), QTime(23, 59, 59, 7)))
                             << u"Kv7_20091231_235959_7.wav"_s;
        QTest::newRow("search hit") << PerHitFileName({}, {}, u"  145.500000"_s, kAt)
                                    << u"145.500000_Ch__20091231_201305_42.wav"_s;
        QTest::newRow("scan hit") << PerHitFileName(u"17"_s, u"TOWER"_s, u"118.100000"_s, kAt)
                                  << u"118.100000_Ch17_TOWER_20091231_201305_42.wav"_s;
        QTest::newRow("memory text that would leave the folder")
            << PerHitFileName(u"3"_s, u"../..\\a/b\x01:c"_s, u"145.500000"_s, kAt)
            << u"145.500000_Ch3_.abc_20091231_201305_42.wav"_s;
        QTest::newRow("position") << WavPositionText(12005) << u"12.005"_s;
        QTest::newRow("position, tens of ms") << WavPositionText(12050) << u"12.050"_s;
    }
    void names() {
        QFETCH(QString, made);
        QFETCH(QString, expected);
        QCOMPARE(made, expected);
    }

    void recordsAppendsAndSavesOneFile() {
        TRecorderFixture f;
        f.Recorder.OpenWavFile();
        QVERIFY(f.Recorder.WavFileOpen());
        f.Source->Feed(500); // not recording: dropped
        f.Recorder.StartWavRecording();
        f.Source->Feed(1000);
        QCOMPARE(f.Recorder.PositionText(), u"1.000"_s);
        f.Recorder.StopWavRecording();
        QVERIFY(f.Recorder.WavFileOpen());
        QVERIFY(!f.Recorder.WavRecording());
        f.Source->Feed(300); // stopped: dropped
        f.Recorder.StartWavRecording();
        f.Source->Feed(250);
        QCOMPARE(f.Recorder.PositionText(), u"1.250"_s);

        const QString saved = f.Recorder.SaveAndCloseWavFile();
        QCOMPARE(saved, SoundFolder() + u"/Kv7_20091231_201305_42.wav"_s);
        QVERIFY(!f.Recorder.WavFileOpen());
        const QByteArray file = ReadAll(saved);
        QCOMPARE(file.size(), kWavHeaderBytes + 10000); // 1.25 s at 8000 one-byte samples
        QCOMPARE(qFromLittleEndian<quint32>(file.constData() + 24), 8000u);
        QCOMPARE(SoundFiles(), QStringList{u"Kv7_20091231_201305_42.wav"_s});
        QVERIFY(f.Messages.isEmpty());
    }

    void headerCarriesTheRateRecorded() {
        TRecorderFixture f;
        f.Recorder.WavFiles16Bit = true;
        f.Source->ForcedRate = 22050; // the device cannot do 11025
        f.Recorder.OpenWavFile();
        f.Recorder.StartWavRecording();
        f.Source->Feed(100);
        const QByteArray file = ReadAll(f.Recorder.SaveAndCloseWavFile());
        QCOMPARE(qFromLittleEndian<quint32>(file.constData() + 24), 22050u);
        QCOMPARE(qFromLittleEndian<quint16>(file.constData() + 34), quint16(16));
        QCOMPARE(file.size(), kWavHeaderBytes + 2205 * 2);
    }

    void timerTicksAskForLevelsAndKeepThePartFileCurrent() {
        TRecorderFixture f;
        f.Recorder.TimerWavFile().setInterval(10);
        f.Recorder.OpenWavFile();
        f.Recorder.StartWavRecording();
        f.Source->Feed(100);
        QTRY_VERIFY(f.LevelQueries >= 1);
        const QByteArray part = ReadAll(f.Recorder.Writer().PartFileName());
        QCOMPARE(qFromLittleEndian<quint32>(part.constData() + 40), 800u);
        f.Recorder.StopWavRecording();
        QVERIFY(!f.Recorder.TimerWavFile().isActive());
    }

    void noInputDeviceIsToldAndNothingOpens() {
        TRecorderFixture f;
        f.Source->HasDevice = false;
        f.Recorder.OpenWavFile();
        QVERIFY(!f.Recorder.WavFileOpen());
        QCOMPARE(f.Messages.size(), 1);
        QVERIFY(f.Messages.first().startsWith(NoInputDeviceText()));
        f.Recorder.StartWavRecording();
        QVERIFY(!f.Recorder.WavRecording());
        QVERIFY(f.Recorder.SaveAndCloseWavFile().isEmpty());
        QVERIFY(SoundFiles().isEmpty());
    }

    void recorderProgramIsNotAvailable() {
        TRecorderFixture f;
        f.Recorder.UseMCI = false;
        f.Recorder.OpenWavFile();
        QCOMPARE(f.Messages.size(), 1);
        QVERIFY(f.Messages.first().contains(u"not available"_s));
        // The file counts as open, as with a recorder that never answers; nothing is written.
        QVERIFY(f.Recorder.WavFileOpen());
        f.Recorder.StartWavRecording();
        QVERIFY(f.Recorder.SaveAndCloseWavFile().isEmpty());
        QVERIFY(SoundFiles().isEmpty());
    }

    void quietReportsEndRecording_data() {
        QTest::addColumn<bool>("perHit");
        QTest::addColumn<bool>("main");
        QTest::addColumn<int>("limit");
        QTest::addColumn<int>("closedReportsToStop");
        QTest::newRow("one file per run") << false << false << 2 << 3;
        QTest::newRow("one file per hit") << true << false << 2 << 1;
        QTest::newRow("main recording") << false << true << 30 << 31;
    }
    void quietReportsEndRecording() {
        QFETCH(bool, perHit);
        QFETCH(bool, main);
        QFETCH(int, limit);
        QFETCH(int, closedReportsToStop);
        TRecorderFixture f;
        f.Recorder.SearchScanWavFilesByFreq = perHit;
        f.Recorder.QuietLimit = limit;
        f.Recorder.MainRecordingActive = [main] {
            return main;
        };
        f.Recorder.PerHitName = u"145.500000_Ch__20091231_201305_42.wav"_s;
        f.Recorder.OpenWavFile(f.Recorder.PerHitName);
        if (main)
            f.Recorder.LevelReport(false); // the squelch opens: main recording starts itself
        else
            f.Recorder.StartWavRecording();
        QVERIFY(f.Recorder.WavRecording());
        // An open report in between starts the count again.
        f.Recorder.LevelReport(true);
        f.Recorder.LevelReport(false);
        if (perHit) {
            QVERIFY(!f.Recorder.WavRecording());
            return; // the first closed report already ended the hit's file
        }
        for (int i = 1; i < closedReportsToStop; ++i) {
            f.Recorder.LevelReport(true);
            QVERIFY2(f.Recorder.WavRecording(), qPrintable(QString::number(i)));
        }
        f.Recorder.LevelReport(true);
        QVERIFY(!f.Recorder.WavRecording());
        QVERIFY(f.Recorder.WavFileOpen()); // a run's file stays open for the next hit
    }

    void perHitFileIsSavedAtTheFirstClosedReport() {
        TRecorderFixture f;
        f.Recorder.SearchScanWavFilesByFreq = true;
        f.Recorder.PerHitName = PerHitFileName({}, {}, u"145.500000"_s, kAt);
        f.Recorder.OpenWavFile(f.Recorder.PerHitName);
        f.Recorder.StartWavRecording();
        QCOMPARE(f.Recorder.PositionText(), u"-"_s);
        f.Source->Feed(200);
        f.Recorder.LevelReport(true);
        QVERIFY(!f.Recorder.WavFileOpen());
        QVERIFY(f.Recorder.PerHitName.isEmpty());
        QCOMPARE(SoundFiles(), QStringList{u"145.500000_Ch__20091231_201305_42.wav"_s});
    }

    void fullFileRollsOverToANumberedOne() {
        TRecorderFixture f;
        f.Recorder.FileLimitBytes = 6000; // 0.75 s at 8000 one-byte samples
        f.Recorder.OpenWavFile();
        f.Recorder.StartWavRecording();
        f.Source->Feed(1000);
        f.Source->Feed(500);
        const QString saved = f.Recorder.SaveAndCloseWavFile();
        QCOMPARE(QFileInfo(saved).fileName(), u"Kv7_20091231_201305_42_2.wav"_s);
        QCOMPARE(SoundFiles(),
                 (QStringList{u"Kv7_20091231_201305_42.wav"_s, u"Kv7_20091231_201305_42_2.wav"_s}));
        QCOMPARE(ReadAll(SoundFolder() + u"/Kv7_20091231_201305_42.wav"_s).size(),
                 kWavHeaderBytes + 6000);
        QCOMPARE(ReadAll(saved).size(), kWavHeaderBytes + 6000);
        QCOMPARE(f.Messages.size(), 1);
        QVERIFY(f.Messages.first().contains(u"Kv7_20091231_201305_42_2.wav"_s));
    }

    void failedSaveIsReportedAndThePartFileKept() {
        TRecorderFixture f;
        f.Recorder.OpenWavFile();
        f.Recorder.StartWavRecording();
        f.Source->Feed(100);
        const QString part = f.Recorder.Writer().PartFileName();
        QVERIFY(QDir().mkpath(SoundFolder() + u"/Kv7_20091231_201305_42.wav/in"_s));
        QVERIFY(f.Recorder.SaveAndCloseWavFile().isEmpty());
        QVERIFY(!f.Recorder.WavFileOpen());
        QCOMPARE(f.Messages.size(), 1);
        QVERIFY(f.Messages.first().endsWith(u"\r\nIn SaveAndCloseWavFile"_s));
        QCOMPARE(ReadAll(part).size(), kWavHeaderBytes + 800);
    }

private:
    QTemporaryDir FHome;
};

QTEST_GUILESS_MAIN(TstWavRecorder)
#include "tst_wavrecorder.moc"
