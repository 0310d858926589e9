#pragma once

#include <QDateTime>
#include <QFile>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class TDataModule1;

// One memory channel the signal log watches, as the memory table holds it.
struct TSignalLogChannel {
    QString Mem;
    QString Text;
    double FreqMHz = 0.0;
    std::optional<int> Bandwidth; // index into the bandwidth table; none when the row's is unknown
    std::optional<int> Antenna;   // likewise for the antenna
};

// Where the watched channels come from: the rows the memory window's table shows.
class TSignalLogSet {
public:
    virtual ~TSignalLogSet() = default;
    // The rows that hold a frequency, in the table's order.
    virtual std::vector<TSignalLogChannel> Channels() = 0;
};

// The data module's live view. Rows are read where they stand, so the user's current row stays
// where it was.
class TDataModuleSignalLogSet final : public TSignalLogSet {
public:
    explicit TDataModuleSignalLogSet(TDataModule1& data)
        : FData(data) {}
    std::vector<TSignalLogChannel> Channels() override;

private:
    TDataModule1& FData;
};

// The first line of a log file.
QString SignalLogTitleLine();
// The column names of one channel's group, repeated for every channel, each group ending in ",".
QString SignalLogHeaderLine(int channels);
// One channel's group, ending in ",": ISO date, time, MEM, TEXT, 10-digit Hz, bandwidth index,
// the averaged level, its dBm at the channel's frequency, antenna index.
QString SignalLogGroup(const QDateTime& at, const TSignalLogChannel& channel, int averageLevel);

// The pass over the set: which channel is sampled, its readings, their average and the count of
// completed passes. No timers and no receiver: the caller feeds it readings.
class TSignalLogPass {
public:
    TSignalLogPass(std::vector<TSignalLogChannel> channels, int pointsPerSample);

    const std::vector<TSignalLogChannel>& Channels() const { return FChannels; }
    int PointsPerSample() const { return FPoints; }
    // Sampling begins at the first channel with no readings.
    void Start();
    bool Running() const { return FRunning; }
    int ChannelIndex() const { return static_cast<int>(FChannel); }
    const TSignalLogChannel& Current() const { return FChannels[FChannel]; }
    int Readings() const { return static_cast<int>(FReadings.size()); }
    int Passes() const { return FPasses; }

    struct TChannelDone {
        int Average = 0;       // the readings' sum divided by their count, integer division
        bool PassDone = false; // the last channel of the set: the line ends
    };
    // Stores one reading of the current channel. When it completes the channel, the pass moves
    // on to the next one (or ends) and the finished channel's average is returned.
    std::optional<TChannelDone> AddReading(int level);

private:
    std::vector<TSignalLogChannel> FChannels;
    int FPoints = 1;
    std::vector<int> FReadings;
    std::size_t FChannel = 0;
    int FPasses = 0;
    bool FRunning = false;
};

// The log file and its backup ("<name>.bak"), written side by side: the same lines go to both,
// each group reaches the system before the next reading, so a crash loses at most the group in
// progress and the backup always matches. The first failure closes both and is kept in
// ErrorText; nothing more is written after it.
class TSignalLogFile {
public:
    static QString BackupName(const QString& fileName);

    // Creates both files (emptying ones that exist) and writes the title and header lines.
    bool Create(const QString& fileName, int channels);
    bool AppendGroup(const QString& group);
    bool EndLine();
    void Close();
    bool IsOpen() const { return FFile.isOpen(); }
    const QString& ErrorText() const { return FErrorText; }

private:
    bool Write(const QString& text);
    bool Fail(const QString& reason);

    QFile FFile;
    QFile FBackup;
    QString FErrorText;
};
