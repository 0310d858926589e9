#pragma once

#include "WavWriter.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>

class QAudioSource;

// What a recording is refused with when the computer has no sound input.
QString NoInputDeviceText();
class QIODevice;

// Where recorded samples come from. A source delivers mono PCM in the format it reports once
// started, which may differ in rate from the one asked for when the device cannot do that rate.
class TAudioSource : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // False when there is no input device at all; recording then is refused with ErrorText.
    virtual bool Available() const = 0;
    virtual bool Start(TWavFormat wanted) = 0;
    virtual void Stop() = 0;
    virtual bool Running() const = 0;
    // The format actually being delivered.
    virtual TWavFormat Format() const = 0;
    QString ErrorText() const { return FErrorText; }

Q_SIGNALS:
    void Samples(const QByteArray& data);

protected:
    QString FErrorText;
};

// The platform's default sound input through Qt Multimedia.
class TQtAudioSource final : public TAudioSource {
    Q_OBJECT

public:
    explicit TQtAudioSource(QObject* parent = nullptr);
    ~TQtAudioSource() override;

    bool Available() const override;
    bool Start(TWavFormat wanted) override;
    void Stop() override;
    bool Running() const override { return FDevice != nullptr; }
    TWavFormat Format() const override { return FFormat; }

private:
    void ReadAvailable();

    std::unique_ptr<QAudioSource> FSource;
    QIODevice* FDevice = nullptr;
    TWavFormat FFormat;
};

// A tone made on demand, for tests and benchmarks: Feed() delivers as many samples as a real
// device would in the given time, at once.
class TFakeAudioSource final : public TAudioSource {
    Q_OBJECT

public:
    explicit TFakeAudioSource(QObject* parent = nullptr)
        : TAudioSource(parent) {}

    bool Available() const override { return HasDevice; }
    bool Start(TWavFormat wanted) override;
    void Stop() override { FRunning = false; }
    bool Running() const override { return FRunning; }
    TWavFormat Format() const override { return FFormat; }

    // Delivers `ms` of samples while running; nothing otherwise.
    void Feed(int ms);

    bool HasDevice = true;
    // The rate the "device" records at; 0 takes the one asked for.
    int ForcedRate = 0;

private:
    bool FRunning = false;
    TWavFormat FFormat;
    // One second of the tone, which repeats exactly; Feed() copies from it.
    QByteArray FSecond;
    qint64 FOffset = 0;
    qint64 FFedMs = 0;
    qint64 FFedSamples = 0;
};
