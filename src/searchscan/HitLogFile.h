#pragma once

#include "HitSink.h"

#include <QDateTime>
#include <QFile>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The bank a program search runs on, as the page shows it when the search starts.
struct TSearchDescription {
    QString Label;
    int Bank = 0;
    QString Lower;
    QString Upper;
    QString Mode;
    QString Bandwidth;
    QString Antenna;
};

// "9:5:7 12 On 8/3/2009": the time and date of a start or stop line, no leading zeros.
QString HitLogStamp(const QDateTime& at);
// The frequency in MHz in its shortest decimal form, "." whatever the locale: 145.5, 118.1.
QString HitLogFrequency(double mhz);
// The lines a run starts with: the start line, an empty line, for a program search its bank,
// and the column header.
QStringList RunStartLines(THitSource source, const QDateTime& at, const TSearchDescription& search,
                          bool withWavPosition);
// "10:3:7,45,118.1,142,-77,17,TOWER": time, milliseconds, frequency, level as received, dBm, for
// a scan the channel (0 when none was found) and the memory text, then the recording position
// when there is one.
QString HitLine(THitSource source, const QDateTime& at, const THit& hit,
                const std::optional<QString>& wavPosition);
// An empty line and the stop line.
QStringList RunStopLines(THitSource source, const QDateTime& at);

// The hit log: one comma-separated text file, lines ending CR LF, each written line flushed to
// disk before the next hit. The first failure to write closes the file and is told once through
// OnFailed; after that nothing is written until the file is opened again.
class THitLogFile {
public:
    THitLogFile() = default;
    THitLogFile(const THitLogFile&) = delete;
    THitLogFile& operator=(const THitLogFile&) = delete;

    // Creates the file, emptying one that exists; false with ErrorText when it cannot.
    bool Open(const QString& path);
    void Close();
    bool IsOpen() const { return FFile.isOpen(); }
    QString FileName() const { return FFile.fileName(); }
    const QString& ErrorText() const { return FErrorText; }

    void WriteRunStart(THitSource source, const TSearchDescription& search = {});
    void WriteHit(THitSource source, const THit& hit);
    void WriteRunStop(THitSource source);
    // "Audio was saved to " and the file a run's recording went into.
    void WriteAudioSaved(const QString& fileName);

    std::function<QDateTime()> Clock = [] {
        return QDateTime::currentDateTime();
    };
    // The recording's position for a hit line while a WAV file is open; nullopt when none is.
    std::function<std::optional<QString>()> WavPosition;
    // The file could not be written and has been closed; the text says which file and why.
    std::function<void(const QString& error)> OnFailed;

private:
    void WriteLines(const QStringList& lines);
    std::optional<QString> CurrentWavPosition() const;

    QFile FFile;
    QString FErrorText;
};
