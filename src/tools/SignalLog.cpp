#include "SignalLog.h"

#include "CommandText.h"
#include "CsvText.h"
#include "DataUnit1.h"
#include "Levels.h"
#include "ProgramInfo.h"
#include "ValueTables.h"

#include <QDir>
#include <QFileInfo>

#include <limits>
#include <numeric>

using namespace Qt::StringLiterals;

namespace {

const QString kLineEnd = u"\r\n"_s;
const QString kGroupHeader =
    u"Date,Time,Mem,Text,Frequency,Bandwidth,Signal Byte,~Signal dBm,Antenna,"_s;

template <std::size_t N>
std::optional<int> TableIndex(const std::array<const char*, N>& list, const QVariant& value) {
    const QString text = value.toString().trimmed();
    for (std::size_t i = 0; i < N; ++i)
        if (text.compare(QLatin1StringView(list[i]), Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return std::nullopt;
}

QString OptionalNumber(const std::optional<int>& value) {
    return value ? QString::number(*value) : QString();
}

} // namespace

std::vector<TSignalLogChannel> TDataModuleSignalLogSet::Channels() {
    TTableView& view = FData.MemQuery1();
    std::vector<TSignalLogChannel> channels;
    if (!view.Active())
        return channels;
    view.FetchMore(std::numeric_limits<int>::max());
    const int mem = view.FieldIndex(u"MEM");
    const int text = view.FieldIndex(u"TEXT");
    const int freq = view.FieldIndex(u"FREQ");
    const int bw = view.FieldIndex(u"BW");
    const int ant = view.FieldIndex(u"ANT");
    if (mem < 0 || freq < 0)
        return channels;
    for (int row = 0; row < view.FetchedCount(); ++row) {
        const QVariant frequency = view.ValueAt(row, freq);
        if (frequency.isNull())
            continue;
        TSignalLogChannel channel;
        channel.Mem = view.ValueAt(row, mem).toString();
        channel.Text = text < 0 ? QString() : view.ValueAt(row, text).toString().trimmed();
        channel.FreqMHz = frequency.toDouble();
        if (bw >= 0)
            channel.Bandwidth = TableIndex(kBandwidths, view.ValueAt(row, bw));
        if (ant >= 0)
            channel.Antenna = TableIndex(kAntennas, view.ValueAt(row, ant));
        channels.push_back(channel);
    }
    return channels;
}

QString SignalLogTitleLine() {
    return u"Logged by Kv7.  "_s + QString::fromLatin1(kProgramWebAddress);
}

QString SignalLogHeaderLine(int channels) {
    return kGroupHeader.repeated(std::max(channels, 0));
}

QString SignalLogGroup(const QDateTime& at, const TSignalLogChannel& channel, int averageLevel) {
    const QStringList fields{at.date().toString(Qt::ISODate),
                             at.time().toString(u"hh:mm:ss"_s),
                             CsvField(channel.Mem),
                             CsvField(channel.Text),
                             CommandText::FormatHz(channel.FreqMHz),
                             OptionalNumber(channel.Bandwidth),
                             QString::number(averageLevel),
                             QString::number(LevelToDbm(averageLevel, channel.FreqMHz)),
                             OptionalNumber(channel.Antenna)};
    return fields.join(u',') + u',';
}

// ---------------------------------------------------------------------------------------------

TSignalLogPass::TSignalLogPass(std::vector<TSignalLogChannel> channels, int pointsPerSample)
    : FChannels(std::move(channels))
    , FPoints(std::max(pointsPerSample, 1)) {
    FReadings.reserve(static_cast<std::size_t>(FPoints));
}

void TSignalLogPass::Start() {
    FChannel = 0;
    FReadings.clear();
    FRunning = !FChannels.empty();
}

std::optional<TSignalLogPass::TChannelDone> TSignalLogPass::AddReading(int level) {
    if (!FRunning)
        return std::nullopt;
    FReadings.push_back(level);
    if (static_cast<int>(FReadings.size()) < FPoints)
        return std::nullopt;
    // Replies are not checked for range, and 65536 of them may be large.
    const qint64 sum = std::accumulate(FReadings.cbegin(), FReadings.cend(), qint64{0});
    TChannelDone done;
    done.Average = static_cast<int>(sum / static_cast<qint64>(FReadings.size()));
    FReadings.clear();
    if (++FChannel >= FChannels.size()) {
        FChannel = 0;
        FRunning = false;
        ++FPasses;
        done.PassDone = true;
    }
    return done;
}

// ---------------------------------------------------------------------------------------------

QString TSignalLogFile::BackupName(const QString& fileName) {
    const QFileInfo info(fileName);
    return info.dir().filePath(info.completeBaseName() + u".bak"_s);
}

bool TSignalLogFile::Create(const QString& fileName, int channels) {
    Close();
    FErrorText.clear();
    FFile.setFileName(fileName);
    FBackup.setFileName(BackupName(fileName));
    // Unbuffered: every write reaches the system at once, and a full disk shows at that write.
    for (QFile* file : {&FFile, &FBackup}) {
        if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
            return Fail(u"Could not create %1: %2"_s.arg(file->fileName(), file->errorString()));
    }
    return Write(SignalLogTitleLine() + kLineEnd + SignalLogHeaderLine(channels) + kLineEnd);
}

bool TSignalLogFile::AppendGroup(const QString& group) {
    return Write(group);
}

bool TSignalLogFile::EndLine() {
    return Write(kLineEnd);
}

void TSignalLogFile::Close() {
    FFile.close();
    FBackup.close();
}

bool TSignalLogFile::Write(const QString& text) {
    if (!FFile.isOpen())
        return false;
    const QByteArray bytes = text.toUtf8();
    for (QFile* file : {&FFile, &FBackup}) {
        // A handle goes on writing into a file that was deleted or renamed: the log the user
        // looks at would stop growing without a word.
        if (!QFileInfo::exists(file->fileName()))
            return Fail(u"%1 was removed"_s.arg(file->fileName()));
        if (file->write(bytes) != bytes.size())
            return Fail(u"Could not write %1: %2"_s.arg(file->fileName(), file->errorString()));
    }
    return true;
}

bool TSignalLogFile::Fail(const QString& reason) {
    FErrorText = reason;
    Close();
    return false;
}
