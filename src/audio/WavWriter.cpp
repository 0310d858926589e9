#include "WavWriter.h"

#include <QtEndian>

#include <filesystem>
#include <system_error>

using namespace Qt::StringLiterals;

namespace {

void PutU32(QByteArray& out, quint32 value) {
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

void PutU16(QByteArray& out, quint16 value) {
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

constexpr quint16 kPcmFormatTag = 1;
constexpr quint16 kMonoChannels = 1;
constexpr quint32 kFormatChunkBytes = 16;

} // namespace

QByteArray WavHeader(TWavFormat format, qint64 dataBytes) {
    const auto data = static_cast<quint32>(qBound<qint64>(0, dataBytes, kWavMaxDataBytes));
    QByteArray out;
    out.reserve(kWavHeaderBytes);
    out.append("RIFF");
    PutU32(out, data + (kWavHeaderBytes - 8));
    out.append("WAVEfmt ");
    PutU32(out, kFormatChunkBytes);
    PutU16(out, kPcmFormatTag);
    PutU16(out, kMonoChannels);
    PutU32(out, static_cast<quint32>(format.SampleRate));
    PutU32(out, static_cast<quint32>(format.BytesPerSecond()));
    PutU16(out, static_cast<quint16>(format.BytesPerSample()));
    PutU16(out, static_cast<quint16>(format.BitsPerSample));
    out.append("data");
    PutU32(out, data);
    return out;
}

TWavWriter::~TWavWriter() {
    // An unsaved recording stays as its part file, with a header that plays.
    if (IsOpen())
        UpdateHeader();
}

bool TWavWriter::Fail(const QString& what) {
    FErrorText = u"%1 %2: %3"_s.arg(what, FFile.fileName(), FFile.errorString());
    FFile.close();
    return false;
}

bool TWavWriter::Open(const QString& fileName, TWavFormat format) {
    if (IsOpen())
        FFile.close();
    FFileName = fileName;
    FFormat = format;
    FDataBytes = 0;
    FHeaderDataBytes = -1;
    FErrorText.clear();
    FFile.setFileName(PartFileName());
    if (!FFile.open(QIODevice::ReadWrite | QIODevice::Truncate))
        return Fail(u"Cannot create"_s);
    return UpdateHeader();
}

qint64 TWavWriter::Write(const char* data, qint64 size) {
    if (!IsOpen() || size <= 0)
        return 0;
    const qint64 sampleBytes = FFormat.BytesPerSample();
    const qint64 room = (LimitBytes - FDataBytes) / sampleBytes * sampleBytes;
    const qint64 take = qMin(size / sampleBytes * sampleBytes, qMax<qint64>(room, 0));
    if (take == 0)
        return 0;
    if (!FFile.seek(kWavHeaderBytes + FDataBytes) || FFile.write(data, take) != take) {
        Fail(u"Cannot write"_s);
        return 0;
    }
    FDataBytes += take;
    return take;
}

bool TWavWriter::UpdateHeader() {
    if (!IsOpen())
        return false;
    if (FHeaderDataBytes == FDataBytes)
        return true;
    const QByteArray header = WavHeader(FFormat, FDataBytes);
    if (!FFile.seek(0) || FFile.write(header) != header.size() || !FFile.flush())
        return Fail(u"Cannot write"_s);
    FHeaderDataBytes = FDataBytes;
    return true;
}

bool TWavWriter::Save(const QString& fileName) {
    if (!fileName.isEmpty())
        FFileName = fileName;
    if (!IsOpen()) {
        if (FErrorText.isEmpty())
            FErrorText = u"Nothing is being recorded to save as %1"_s.arg(FFileName);
        return false;
    }
    if (!UpdateHeader())
        return false;
    const QString part = FFile.fileName();
    FFile.close();
    // std::filesystem::rename replaces an existing file in one step on every platform.
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(part.toStdU16String()),
                            std::filesystem::path(FFileName.toStdU16String()), error);
    if (error) {
        FErrorText = u"Cannot save %1 as %2: %3"_s.arg(
            part, FFileName, QString::fromLocal8Bit(error.message().c_str()));
        return false;
    }
    FErrorText.clear();
    return true;
}

void TWavWriter::Discard() {
    if (!IsOpen())
        return;
    FFile.close();
    FFile.remove();
}

qint64 TWavWriter::DurationMs() const {
    return FDataBytes * 1000 / FFormat.BytesPerSecond();
}
