#pragma once

#include <QFile>
#include <QString>

#include <cstdint>

// Mono PCM as a WAV file carries it. 8-bit samples are unsigned, 16-bit ones signed little-endian.
struct TWavFormat {
    int SampleRate = 8000;
    int BitsPerSample = 8;

    int BytesPerSample() const { return BitsPerSample / 8; }
    int BytesPerSecond() const { return SampleRate * BytesPerSample(); }
    friend bool operator==(const TWavFormat&, const TWavFormat&) = default;
};

inline constexpr TWavFormat kWav8Bit{8000, 8};
inline constexpr TWavFormat kWav16Bit{11025, 16};

inline constexpr int kWavHeaderBytes = 44;
// The RIFF size field is 32 bits and counts everything after itself: the header's other 36 bytes
// and the samples.
inline constexpr qint64 kWavMaxDataBytes = qint64{UINT32_MAX} - (kWavHeaderBytes - 8);

// Writes one WAV file while it is recorded. The samples go into "<name>.part", whose header is
// brought up to date on every UpdateHeader(), so a crash leaves a playable file behind; Save()
// gives it its name only once it is complete. A failed save keeps the part file.
class TWavWriter {
public:
    TWavWriter() = default;
    TWavWriter(const TWavWriter&) = delete;
    TWavWriter& operator=(const TWavWriter&) = delete;
    ~TWavWriter();

    // Starts "<fileName>.part" (an old part file is emptied); false with ErrorText when it cannot.
    bool Open(const QString& fileName, TWavFormat format);
    // Appends whole samples up to the size limit; returns the bytes taken. Fewer than given
    // means the file is full (Full()) and the rest belongs in a new file, or a write failed
    // (ErrorText, and the file is no longer open).
    qint64 Write(const char* data, qint64 size);
    // The sizes in the header match what has been written.
    bool UpdateHeader();
    // Brings the header up to date, closes the part file and renames it to `fileName` (the name
    // given at Open when empty), replacing an older file of that name. On failure the part file
    // stays where it is and ErrorText says why.
    bool Save(const QString& fileName = {});
    // Closes without saving; the part file is removed.
    void Discard();

    bool IsOpen() const { return FFile.isOpen(); }
    bool Full() const { return FDataBytes + FFormat.BytesPerSample() > LimitBytes; }
    qint64 DataBytes() const { return FDataBytes; }
    qint64 DurationMs() const;
    TWavFormat Format() const { return FFormat; }
    const QString& FileName() const { return FFileName; }
    QString PartFileName() const { return FFileName + QStringLiteral(".part"); }
    const QString& ErrorText() const { return FErrorText; }

    // Samples a file may hold; less than the format's own limit only in tests.
    qint64 LimitBytes = kWavMaxDataBytes;

private:
    bool Fail(const QString& what);

    QFile FFile;
    QString FFileName;
    QString FErrorText;
    TWavFormat FFormat;
    qint64 FDataBytes = 0;
    qint64 FHeaderDataBytes = -1;
};

// The 44-byte header of a mono PCM file holding `dataBytes` of samples.
QByteArray WavHeader(TWavFormat format, qint64 dataBytes);
