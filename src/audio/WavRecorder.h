#pragma once

#include "AudioSource.h"
#include "RecorderProgram.h"
#include "WavWriter.h"

#include <QDateTime>
#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>

// "_20091231_235959_7": the date-time part of every recording's name, milliseconds without
// leading zeros.
QString WavNameStamp(const QDateTime& at);
// "Kv7_20091231_235959_7.wav": the name of a whole run's or the main page's recording.
QString DefaultWavName(const QDateTime& at);
// The name of one hit's file: the frequency as shown, the channel and the memory text, then the
// date-time. User text that could leave the folder or upset the file system is dropped.
QString PerHitFileName(const QString& channel, const QString& text, const QString& frequency,
                       const QDateTime& at);
// A name made safe for a file: no "/", "\", "..", control characters or characters that
// Windows refuses in names.
QString SanitizedFileName(const QString& name);
// "data/sound" in the program folder, created when missing; empty when it cannot be.
QString SoundFolder();
// The newest "Kv7_*.wav" in the sound folder: what the recorder program saved last.
QString LatestSavedWav();
// "12.005": a position in milliseconds as seconds with three decimals.
QString WavPositionText(qint64 ms);

// Records the receiver's audio into WAV files: the built-in recording (a sound input and our
// own writer) or the companion recorder program. A file is opened, recorded into, stopped and
// started again (appending), then saved under its name. Recording ends by itself when the
// squelch has stayed closed for more level reports than QuietLimit.
class TWavRecorder : public QObject {
    Q_OBJECT

public:
    TWavRecorder(std::unique_ptr<TAudioSource> source,
                 std::unique_ptr<TRecorderProgram> program = nullptr, QObject* parent = nullptr);
    ~TWavRecorder() override;

    void OpenWavFile(const QString& perHitName = {});
    void StartWavRecording();
    void StopWavRecording();
    // Stops if needed, saves and closes; the full path saved, empty when nothing was.
    QString SaveAndCloseWavFile(const QString& name = {});
    void CloseWavFile();
    void EndHitRecording();
    // Each tick while recording: the part file's header brought up to date, the level asked for.
    void TimerWavFileTimer();
    // One level report while a file is open.
    void LevelReport(bool squelchClosed);
    // The recording's position for the hit log: "-" for per-hit files, empty when unknown.
    QString PositionText() const;

    bool WavFileOpen() const { return FWavFileOpen; }
    bool WavRecording() const { return FWavRecording; }
    bool WavStopping() const { return FWavStopping; }
    // The built-in recording, one file per hit.
    bool PerHitFiles() const { return SearchScanWavFilesByFreq && UseMCI; }

    TAudioSource& Source() { return *FSource; }
    TRecorderProgram& Program() { return *FProgram; }
    QTimer& TimerWavFile() { return FTimerWavFile; }
    const TWavWriter& Writer() const { return FWriter; }

    // Settings: the built-in recording (else the companion program), 16-bit files, per-hit files.
    bool UseMCI = true;
    bool WavFiles16Bit = false;
    bool SearchScanWavFilesByFreq = false;
    QString PerHitName;
    int QuietCount = 0;
    int QuietLimit = 2;
    // Bytes a file may hold before the next one is started; smaller only in tests.
    qint64 FileLimitBytes = kWavMaxDataBytes;

    std::function<QDateTime()> Clock = [] {
        return QDateTime::currentDateTime();
    };
    // Each TimerWavFile tick: ask the receiver for its level, so that reports keep coming.
    std::function<void()> SendLevelQuery;
    std::function<void(const QString& text)> AddMessage;
    // "Record to Wav" on the main page with "Signal" on.
    std::function<bool()> MainRecordingActive;

Q_SIGNALS:
    // EndHitRecording ran: the record options go off.
    void RecordingEnded();
    // Main recording started or stopped on the squelch.
    void MainRecordingChanged(bool recording);

private:
    void Report(const QString& text);
    void TakeSamples(const QByteArray& data);
    bool OpenWriter();
    void RollOver();
    QString NumberedName(const QString& path) const;

    std::unique_ptr<TAudioSource> FSource;
    std::unique_ptr<TRecorderProgram> FProgram;
    bool FProgramFound = false;
    TWavWriter FWriter;
    QTimer FTimerWavFile;
    bool FWavFileOpen = false;
    bool FWavRecording = false;
    bool FWavStopping = false;
    // The file the open recording will be saved as, and how many files it has filled.
    QString FTargetName;
    int FFileNumber = 1;
};
