#include "PulseServer.h"
#include "WavRecorder.h"

#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <cmath>
#include <numbers>

using namespace Qt::StringLiterals;

namespace {

constexpr int kPlayRate = 44100;
constexpr double kToneHz = 1000.0;
constexpr int kPlaySeconds = 20;
constexpr int kRecordMs = 2500;
constexpr int kPatientMs = 20000;

QByteArray Tone(double hz, int rate, int seconds) {
    const qsizetype count = qsizetype{rate} * seconds;
    QByteArray samples(count * 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < count; ++i) {
        const double value = 0.5 * std::sin(2.0 * std::numbers::pi * hz * static_cast<double>(i) /
                                            static_cast<double>(rate));
        qToLittleEndian(static_cast<qint16>(std::lround(value * 32767)), samples.data() + i * 2);
    }
    return samples;
}

// The samples of a PCM WAV file as -1..1.
std::vector<double> Samples(const QByteArray& file, int bits) {
    std::vector<double> values;
    const char* data = file.constData() + kWavHeaderBytes;
    const qsizetype bytes = file.size() - kWavHeaderBytes;
    if (bits == 8) {
        for (qsizetype i = 0; i < bytes; ++i)
            values.push_back((static_cast<quint8>(data[i]) - 128) / 128.0);
    } else {
        for (qsizetype i = 0; i + 1 < bytes; i += 2)
            values.push_back(qFromLittleEndian<qint16>(data + i) / 32768.0);
    }
    return values;
}

double Rms(const std::vector<double>& x) {
    double sum = 0;
    for (double v : x)
        sum += v * v;
    return x.empty() ? 0 : std::sqrt(sum / static_cast<double>(x.size()));
}

// The share of the signal's energy at one frequency (Goertzel): near 1 for a pure tone there.
double EnergyShareAt(const std::vector<double>& x, double hz, int rate) {
    const double w = 2.0 * std::numbers::pi * hz / rate;
    const double coefficient = 2.0 * std::cos(w);
    double s1 = 0;
    double s2 = 0;
    double total = 0;
    for (double v : x) {
        const double s0 = v + coefficient * s1 - s2;
        s2 = s1;
        s1 = s0;
        total += v * v;
    }
    const double power = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
    return total > 0 ? 2.0 * power / static_cast<double>(x.size()) / total : 0;
}

} // namespace

// Kovela's own sound input and recorder on a real sound server, with a tone played into it.
class TstRealSound : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        qputenv("KOVELA_HOME", FHome.path().toLocal8Bit());
        FStarted = FServer.Start();
        // Qt's sound devices follow the server named here from their first use on.
        if (FStarted)
            qputenv("PULSE_SERVER", FServer.ServerAddress().toLocal8Bit());
    }
    void cleanupTestCase() { FServer.Stop(); }

    void recordsAPlayedTone_data() {
        QTest::addColumn<bool>("sixteenBit");
        QTest::newRow("8-bit") << false;
        QTest::newRow("16-bit") << true;
    }
    void recordsAPlayedTone() {
        QFETCH(bool, sixteenBit);
        if (!FStarted)
            QSKIP(qPrintable(u"no private sound server: "_s + FServer.Why()));
        TWavRecorder recorder(std::make_unique<TQtAudioSource>());
        QStringList messages;
        recorder.AddMessage = [&messages](const QString& text) {
            messages << text;
        };
        recorder.WavFiles16Bit = sixteenBit;
        QVERIFY2(recorder.Source().Available(), "the sound server's input is not seen");

        QVERIFY(FServer.Play(Tone(kToneHz, kPlayRate, kPlaySeconds), kPlayRate));
        recorder.OpenWavFile();
        recorder.StartWavRecording();
        QVERIFY2(recorder.WavRecording(), qPrintable(messages.join(u" / "_s)));
        const TWavFormat format = recorder.Source().Format();
        const qint64 wantedBytes =
            qint64{format.SampleRate} * format.BytesPerSample() * kRecordMs / 1000;
        QTRY_VERIFY_WITH_TIMEOUT(recorder.Writer().DataBytes() >= wantedBytes, kPatientMs);
        const QString saved = recorder.SaveAndCloseWavFile();
        FServer.StopPlaying();
        QVERIFY(!saved.isEmpty());
        QVERIFY2(messages.isEmpty(), qPrintable(messages.join(u" / "_s)));

        QFile file(saved);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QCOMPARE(qFromLittleEndian<quint16>(bytes.constData() + 34), quint16(sixteenBit ? 16 : 8));
        const int rate = static_cast<int>(qFromLittleEndian<quint32>(bytes.constData() + 24));
        QCOMPARE(rate, format.SampleRate);
        // The tone may reach the input a little after recording starts: judge the last second.
        std::vector<double> samples = Samples(bytes, sixteenBit ? 16 : 8);
        QVERIFY(samples.size() >= static_cast<std::size_t>(rate));
        samples.erase(samples.begin(), samples.end() - rate);
        QVERIFY2(Rms(samples) > 0.1, qPrintable(u"level %1"_s.arg(Rms(samples))));
        const double atTone = EnergyShareAt(samples, kToneHz, rate);
        const double elsewhere = EnergyShareAt(samples, kToneHz * 0.7, rate);
        QVERIFY2(atTone > 0.8, qPrintable(u"share at the tone %1"_s.arg(atTone)));
        QVERIFY2(elsewhere < 0.05, qPrintable(u"share off the tone %1"_s.arg(elsewhere)));
    }

private:
    QTemporaryDir FHome;
    TPulseServer FServer;
    bool FStarted = false;
};

QTEST_MAIN(TstRealSound)
#include "tst_realsound.moc"
