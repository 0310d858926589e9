#include "AudioSource.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSource>
#include <QMediaDevices>
#include <QtEndian>

#include <cmath>
#include <numbers>

using namespace Qt::StringLiterals;

namespace {

QAudioFormat ToQt(TWavFormat format) {
    QAudioFormat qt;
    qt.setSampleRate(format.SampleRate);
    qt.setChannelCount(1);
    qt.setSampleFormat(format.BitsPerSample == 8 ? QAudioFormat::UInt8 : QAudioFormat::Int16);
    return qt;
}

} // namespace

QString NoInputDeviceText() {
    return u"No sound input device was found: recording is not possible"_s;
}

TQtAudioSource::TQtAudioSource(QObject* parent)
    : TAudioSource(parent) {}

TQtAudioSource::~TQtAudioSource() {
    Stop();
}

bool TQtAudioSource::Available() const {
    return !QMediaDevices::defaultAudioInput().isNull();
}

bool TQtAudioSource::Start(TWavFormat wanted) {
    Stop();
    const QAudioDevice device = QMediaDevices::defaultAudioInput();
    if (device.isNull()) {
        FErrorText = NoInputDeviceText();
        return false;
    }
    QAudioFormat format = ToQt(wanted);
    if (!device.isFormatSupported(format)) {
        // The sample size and channels matter to the file; another rate only changes its header.
        format.setSampleRate(device.preferredFormat().sampleRate());
        if (!device.isFormatSupported(format)) {
            FErrorText = u"The sound input %1 cannot record %2-bit mono samples"_s.arg(
                device.description(), QString::number(wanted.BitsPerSample));
            return false;
        }
    }
    FFormat = {format.sampleRate(), wanted.BitsPerSample};
    FSource = std::make_unique<QAudioSource>(device, format);
    FDevice = FSource->start();
    if (!FDevice) {
        FErrorText = u"The sound input %1 could not be started (error %2)"_s.arg(
            device.description(), QString::number(FSource->error()));
        FSource.reset();
        return false;
    }
    connect(FDevice, &QIODevice::readyRead, this, &TQtAudioSource::ReadAvailable);
    FErrorText.clear();
    return true;
}

void TQtAudioSource::ReadAvailable() {
    if (!FDevice)
        return;
    const QByteArray data = FDevice->readAll();
    if (!data.isEmpty())
        Q_EMIT Samples(data);
}

void TQtAudioSource::Stop() {
    if (!FSource)
        return;
    // What the device still holds belongs to the recording.
    ReadAvailable();
    FSource->stop();
    FDevice = nullptr;
    FSource.reset();
}

bool TFakeAudioSource::Start(TWavFormat wanted) {
    if (!HasDevice) {
        FErrorText = NoInputDeviceText();
        return false;
    }
    TWavFormat format = wanted;
    if (ForcedRate > 0)
        format.SampleRate = ForcedRate;
    if (format != FFormat || FSecond.isEmpty()) {
        FFormat = format;
        FOffset = 0;
        FFedMs = 0;
        FFedSamples = 0;
        // A whole number of cycles per second, so that the second repeats without a click.
        constexpr double kToneHz = 440.0;
        const qint64 count = FFormat.SampleRate;
        FSecond = QByteArray(count * FFormat.BytesPerSample(), Qt::Uninitialized);
        for (qint64 i = 0; i < count; ++i) {
            const double value = 0.5 * std::sin(2.0 * std::numbers::pi * kToneHz *
                                                static_cast<double>(i) / FFormat.SampleRate);
            if (FFormat.BitsPerSample == 8)
                FSecond[i] = static_cast<char>(static_cast<quint8>(128 + std::lround(value * 127)));
            else
                qToLittleEndian(static_cast<qint16>(std::lround(value * 32767)),
                                FSecond.data() + i * 2);
        }
    }
    FRunning = true;
    FErrorText.clear();
    return true;
}

void TFakeAudioSource::Feed(int ms) {
    if (!FRunning || ms <= 0)
        return;
    // Counted from the start, so that rates not divisible by the piece lose no samples.
    FFedMs += ms;
    const qint64 due = qint64{FFormat.SampleRate} * FFedMs / 1000;
    qint64 left = (due - FFedSamples) * FFormat.BytesPerSample();
    FFedSamples = due;
    QByteArray data;
    data.reserve(left);
    while (left > 0) {
        const qint64 piece = qMin(left, FSecond.size() - FOffset);
        data.append(FSecond.constData() + FOffset, piece);
        FOffset = (FOffset + piece) % FSecond.size();
        left -= piece;
    }
    Q_EMIT Samples(data);
}
