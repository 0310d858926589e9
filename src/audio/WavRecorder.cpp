#include "WavRecorder.h"

#include "ProgramFolder.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

constexpr int kTimerWavFileMs = 2000;

// The companion program's command codes.
constexpr int kCmdOpen = 2;
constexpr int kCmdRecord = 3;
constexpr int kCmdStop = 4;
constexpr int kCmdPrepare = 5;
constexpr int kCmdClose = 12;

} // namespace

QString WavNameStamp(const QDateTime& at) {
    return at.toString(u"_yyyyMMdd_HHmmss_"_s) + QString::number(at.time().msec());
}

QString DefaultWavName(const QDateTime& at) {
    return u"Kv7"_s + WavNameStamp(at) + u".wav"_s;
}

QString SanitizedFileName(const QString& name) {
    QString out;
    out.reserve(name.size());
    for (const QChar c : name) {
        if (c.category() == QChar::Other_Control || u"/\\:*?\"<>|"_s.contains(c))
            continue;
        out += c;
    }
    while (out.contains(u".."_s))
        out.replace(u".."_s, u"."_s);
    return out;
}

QString PerHitFileName(const QString& channel, const QString& text, const QString& frequency,
                       const QDateTime& at) {
    return SanitizedFileName(frequency.trimmed() + u"_Ch"_s + channel + u"_"_s + text +
                             WavNameStamp(at)) +
           u".wav"_s;
}

QString SoundFolder() {
    const QString folder = DataFolder() + u"/sound"_s;
    if (!QDir().mkpath(folder))
        return {};
    return folder;
}

QString LatestSavedWav() {
    const QString folder = SoundFolder();
    if (folder.isEmpty())
        return {};
    const QFileInfoList found =
        QDir(folder).entryInfoList({u"Kv7_*.wav"_s}, QDir::Files, QDir::Time);
    return found.isEmpty() ? QString() : found.first().absoluteFilePath();
}

QString WavPositionText(qint64 ms) {
    return u"%1.%2"_s.arg(ms / 1000).arg(ms % 1000, 3, 10, QLatin1Char('0'));
}

TWavRecorder::TWavRecorder(std::unique_ptr<TAudioSource> source,
                           std::unique_ptr<TRecorderProgram> program, QObject* parent)
    : QObject(parent)
    , FSource(std::move(source))
    , FProgram(program ? std::move(program) : std::make_unique<TNoRecorderProgram>()) {
    FSource->setParent(nullptr);
    FTimerWavFile.setObjectName(u"TimerWavFile"_s);
    FTimerWavFile.setInterval(kTimerWavFileMs);
    connect(&FTimerWavFile, &QTimer::timeout, this, &TWavRecorder::TimerWavFileTimer);
    connect(FSource.get(), &TAudioSource::Samples, this, &TWavRecorder::TakeSamples);
    FProgram->RecordingEnded = [this] {
        EndHitRecording();
    };
}

TWavRecorder::~TWavRecorder() {
    FSource->Stop();
}

void TWavRecorder::TimerWavFileTimer() {
    FWriter.UpdateHeader();
    if (SendLevelQuery)
        SendLevelQuery();
}

void TWavRecorder::Report(const QString& text) {
    if (AddMessage)
        AddMessage(text);
}

bool TWavRecorder::OpenWriter() {
    const QString folder = SoundFolder();
    if (folder.isEmpty()) {
        Report(u"Cannot create the folder %1/sound\r\nIn OpenWavFile"_s.arg(DataFolder()));
        return false;
    }
    FWriter.LimitBytes = FileLimitBytes;
    const TWavFormat format = FSource->Running() ? FSource->Format()
                              : WavFiles16Bit    ? kWav16Bit
                                                 : kWav8Bit;
    if (!FWriter.Open(folder + u"/"_s + FTargetName, format)) {
        Report(FWriter.ErrorText() + u"\r\nIn OpenWavFile"_s);
        return false;
    }
    return true;
}

void TWavRecorder::OpenWavFile(const QString& perHitName) {
    if (UseMCI) {
        if (FWavFileOpen || FWavRecording)
            return;
        if (!FSource->Available()) {
            Report(NoInputDeviceText() + u"\r\nIn OpenWavFile"_s);
            return;
        }
        FTargetName = perHitName.isEmpty() ? DefaultWavName(Clock()) : perHitName;
        FFileNumber = 1;
        if (!OpenWriter())
            return;
    } else {
        QString why;
        FProgramFound = FProgram->Start(why);
        if (FProgramFound)
            FProgram->PostCommand(kCmdOpen);
        else if (!why.isEmpty())
            Report(why);
    }
    FWavFileOpen = true;
    QuietCount = 0;
}

void TWavRecorder::StartWavRecording() {
    if (!FWavFileOpen || FWavRecording)
        return;
    if (UseMCI) {
        if (!FSource->Start(FWriter.Format())) {
            Report(FSource->ErrorText() + u"\r\nIn StartWavRecording\r\nRecording terminated"_s);
            SaveAndCloseWavFile();
            return;
        }
        // The header must carry the rate the device really records at.
        if (FSource->Format() != FWriter.Format() && FWriter.DataBytes() == 0 && !OpenWriter()) {
            FSource->Stop();
            CloseWavFile();
            return;
        }
    } else if (FProgramFound) {
        FProgram->PostCommand(kCmdPrepare);
        FProgram->PostCommand(kCmdRecord);
    }
    FTimerWavFile.start();
    QuietCount = 0;
    FWavRecording = true;
}

void TWavRecorder::TakeSamples(const QByteArray& data) {
    if (!FWavRecording || !FWriter.IsOpen())
        return;
    qint64 done = 0;
    while (done < data.size()) {
        const qint64 taken = FWriter.Write(data.constData() + done, data.size() - done);
        done += taken;
        if (done == data.size())
            break;
        if (!FWriter.IsOpen()) {
            Report(FWriter.ErrorText() + u"\r\nIn recording"_s);
            return;
        }
        if (taken == 0 && !FWriter.Full())
            return; // less than one sample left over
        RollOver();
        if (!FWriter.IsOpen())
            return;
    }
}

QString TWavRecorder::NumberedName(const QString& path) const {
    if (FFileNumber <= 1)
        return path;
    const QFileInfo info(path);
    return info.path() + u"/"_s + info.completeBaseName() + u"_%1."_s.arg(FFileNumber) +
           info.suffix();
}

void TWavRecorder::RollOver() {
    const QString full = FWriter.FileName();
    if (!FWriter.Save())
        Report(FWriter.ErrorText() + u"\r\nIn recording"_s);
    ++FFileNumber;
    const QString base = SoundFolder() + u"/"_s + FTargetName;
    const QString next = NumberedName(base);
    Report(u"%1 is full; the recording goes on in %2"_s.arg(QFileInfo(full).fileName(),
                                                            QFileInfo(next).fileName()));
    FWriter.LimitBytes = FileLimitBytes;
    if (!FWriter.Open(next, FSource->Format()))
        Report(FWriter.ErrorText() + u"\r\nIn recording"_s);
}

void TWavRecorder::StopWavRecording() {
    if (!FWavFileOpen)
        return;
    FWavStopping = true;
    if (FWavRecording) {
        if (!PerHitFiles())
            FWavRecording = false;
        FTimerWavFile.stop();
        if (UseMCI) {
            FSource->Stop();
            FWriter.UpdateHeader();
            if (PerHitFiles()) {
                SaveAndCloseWavFile(PerHitName);
                PerHitName.clear();
            }
        } else if (FProgramFound) {
            FProgram->PostCommand(kCmdStop);
        }
    } else {
        FTimerWavFile.stop();
    }
    FWavRecording = false;
    FWavStopping = false;
}

QString TWavRecorder::SaveAndCloseWavFile(const QString& name) {
    if (!FWavFileOpen)
        return {};
    const QString folder = SoundFolder();
    const QString fileName = PerHitFiles() && !name.isEmpty() ? name : DefaultWavName(Clock());
    const bool wasRecording = FWavRecording;
    FWavRecording = false;
    FTimerWavFile.stop();
    QString saved;
    if (UseMCI) {
        if (wasRecording)
            FSource->Stop();
        saved = NumberedName(folder + u"/"_s + fileName);
        if (!FWriter.Save(saved)) {
            Report(FWriter.ErrorText() + u"\r\nIn SaveAndCloseWavFile"_s);
            saved.clear();
        }
    } else if (wasRecording && FProgramFound) {
        FProgram->PostCommand(kCmdStop);
    }
    CloseWavFile();
    return saved;
}

void TWavRecorder::CloseWavFile() {
    if (!FWavFileOpen)
        return;
    FWavFileOpen = false;
    FSource->Stop();
    // Nothing recorded is nothing lost; anything else stays as its part file.
    if (FWriter.IsOpen() && FWriter.DataBytes() == 0)
        FWriter.Discard();
    else if (FWriter.IsOpen())
        FWriter.UpdateHeader();
    if (!UseMCI && FProgramFound)
        FProgram->PostCommand(kCmdClose);
}

void TWavRecorder::EndHitRecording() {
    FWavRecording = false;
    FTimerWavFile.stop();
    if (FWavFileOpen)
        SaveAndCloseWavFile(PerHitName);
    PerHitName.clear();
    QuietCount = 0;
    Q_EMIT RecordingEnded();
}

void TWavRecorder::LevelReport(bool squelchClosed) {
    if (!FWavFileOpen)
        return;
    const bool mainRecording = MainRecordingActive && MainRecordingActive();
    if (squelchClosed) {
        if (QuietCount < QuietLimit) {
            if (PerHitFiles())
                StopWavRecording();
        } else if (mainRecording) {
            if (FWavRecording) {
                StopWavRecording();
                Q_EMIT MainRecordingChanged(false);
            }
        } else if (FWavRecording && FTimerWavFile.isActive()) {
            StopWavRecording();
        }
        ++QuietCount;
        return;
    }
    QuietCount = 0;
    if (mainRecording && !FWavRecording) {
        StartWavRecording();
        Q_EMIT MainRecordingChanged(FWavRecording);
    }
}

QString TWavRecorder::PositionText() const {
    if (!FWavFileOpen)
        return {};
    if (PerHitFiles())
        return u"-"_s;
    if (!UseMCI)
        return FProgramFound ? QString::number(FProgram->RequestPosition().value_or(0)) : QString();
    if (!FWriter.IsOpen())
        return {};
    return WavPositionText(FWriter.DurationMs());
}
