#include "HitLogFile.h"

#include "CsvText.h"
#include "Levels.h"

#include <QFileInfo>
#include <QLocale>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QString kLineEnd = u"\r\n"_s;

bool IsScan(THitSource source) {
    return source == THitSource::BankScan || source == THitSource::SelectScan;
}

QString ClockText(const QTime& time) {
    return u"%1:%2:%3"_s.arg(time.hour()).arg(time.minute()).arg(time.second());
}

QString StartCaption(THitSource source) {
    switch (source) {
    case THitSource::BankScan:
        return u"Scan Started at "_s;
    case THitSource::SelectScan:
        return u"Select Scan Started at "_s;
    default:
        return u"Search Started at "_s;
    }
}

} // namespace

QString HitLogStamp(const QDateTime& at) {
    const QDate date = at.date();
    return ClockText(at.time()) + u' ' + QString::number(at.time().msec()) + u" On "_s +
           u"%1/%2/%3"_s.arg(date.day()).arg(date.month()).arg(date.year());
}

QString HitLogFrequency(double mhz) {
    return QString::number(mhz, 'g', QLocale::FloatingPointShortest);
}

QStringList RunStartLines(THitSource source, const QDateTime& at, const TSearchDescription& search,
                          bool withWavPosition) {
    QStringList lines{StartCaption(source) + HitLogStamp(at), QString()};
    if (!IsScan(source)) {
        lines << u"Searching "_s + search.Label + u", Bank "_s + QString::number(search.Bank)
              << u"Low  Frequency Limit "_s + search.Lower
              << u"High Frequency Limit "_s + search.Upper
              << u"Mode "_s + search.Mode + u", BandWidth "_s + search.Bandwidth + u", Antenna "_s +
                     search.Antenna
              << QString();
    }
    QString header = IsScan(source) ? u"Time,ms,Freq,SigByte,dBm,ChannelNum,Text"_s
                                    : u"Time,ms,Freq,SigByte,dBm"_s;
    if (withWavPosition)
        header += u", WaveFilePosition Sec"_s;
    lines << header;
    return lines;
}

QString HitLine(THitSource source, const QDateTime& at, const THit& hit,
                const std::optional<QString>& wavPosition) {
    QStringList fields{ClockText(at.time()), QString::number(at.time().msec()),
                       HitLogFrequency(hit.Record.Freq), CsvField(hit.Record.Level),
                       QString::number(LevelToDbm(hit.Level, hit.Record.Freq))};
    if (IsScan(source)) {
        fields << QString::number(std::max(hit.Channel, 0)) << CsvField(hit.MemoryText);
    }
    if (wavPosition)
        fields << CsvField(*wavPosition);
    return fields.join(u',');
}

QStringList RunStopLines(THitSource source, const QDateTime& at) {
    return {QString(),
            (IsScan(source) ? u"Scan Stopped at "_s : u"Search Stopped at "_s) + HitLogStamp(at)};
}

bool THitLogFile::Open(const QString& path) {
    Close();
    FFile.setFileName(path);
    if (!FFile.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        FErrorText = u"Could not create the hit log %1: %2"_s.arg(path, FFile.errorString());
        return false;
    }
    FErrorText.clear();
    return true;
}

void THitLogFile::Close() {
    if (FFile.isOpen())
        FFile.close();
}

std::optional<QString> THitLogFile::CurrentWavPosition() const {
    return WavPosition ? WavPosition() : std::nullopt;
}

void THitLogFile::WriteRunStart(THitSource source, const TSearchDescription& search) {
    WriteLines(RunStartLines(source, Clock(), search, CurrentWavPosition().has_value()));
}

void THitLogFile::WriteHit(THitSource source, const THit& hit) {
    WriteLines({HitLine(source, Clock(), hit, CurrentWavPosition())});
}

void THitLogFile::WriteRunStop(THitSource source) {
    WriteLines(RunStopLines(source, Clock()));
}

void THitLogFile::WriteAudioSaved(const QString& fileName) {
    WriteLines({u"Audio was saved to "_s + fileName});
}

void THitLogFile::WriteLines(const QStringList& lines) {
    if (!FFile.isOpen())
        return;
    // An open handle goes on writing into a file that was deleted or moved away: the log the
    // user reads would silently stop growing, so the name is checked as well.
    QString reason;
    if (!QFileInfo::exists(FFile.fileName())) {
        reason = u"the file was removed"_s;
    } else {
        for (const QString& line : lines) {
            const QByteArray bytes = (line + kLineEnd).toUtf8();
            if (FFile.write(bytes) != bytes.size() || !FFile.flush()) {
                reason = FFile.errorString();
                break;
            }
        }
    }
    if (reason.isEmpty())
        return;
    FErrorText = u"Could not write to the hit log %1: %2\r\nLogging to file has stopped."_s.arg(
        FFile.fileName(), reason);
    FFile.close();
    if (OnFailed)
        OnFailed(FErrorText);
}
