// Recording cost: 60 s (or the seconds given as the argument) of 16-bit audio from a fake input,
// delivered in 100 ms pieces as a sound device does but as fast as the recorder takes them, with
// the header brought up to date every 2 s as the recording timer does. Prints the processor time
// used per recorded second as a share of one core, and for a per-hit cycle (open, record 1 s,
// save) the milliseconds it costs beyond the recorded second, averaged over 50 hits.
#include "BenchFigures.h"

#include "AudioSource.h"
#include "WavRecorder.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir home;
    qputenv("KOVELA_HOME", home.path().toLocal8Bit());
    const int seconds = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 60;
    constexpr int kPieceMs = 100;
    constexpr int kTickMs = 2000;

    auto* source = new TFakeAudioSource;
    TWavRecorder recorder{std::unique_ptr<TAudioSource>(source)};
    recorder.WavFiles16Bit = true;
    QStringList messages;
    recorder.AddMessage = [&](const QString& text) {
        messages << text;
    };

    recorder.OpenWavFile();
    recorder.StartWavRecording();
    const double cpuStart = ProcessCpuSeconds();
    for (int ms = 0; ms < seconds * 1000; ms += kPieceMs) {
        source->Feed(kPieceMs);
        if ((ms + kPieceMs) % kTickMs == 0)
            recorder.TimerWavFileTimer();
    }
    const QString saved = recorder.SaveAndCloseWavFile();
    const double cpu = ProcessCpuSeconds() - cpuStart;
    PrintFigure("recorded_s", static_cast<double>(recorder.Writer().DurationMs()) / 1000.0, "s");
    PrintFigure("record_cpu_percent", cpu / seconds * 100.0, "%");

    recorder.SearchScanWavFilesByFreq = true;
    constexpr int kHits = 50;
    std::vector<double> cycles;
    for (int hit = 0; hit < kHits; ++hit) {
        QElapsedTimer clock;
        clock.start();
        recorder.PerHitName = u"145.%1_Ch__bench.wav"_s.arg(hit, 6, 10, QLatin1Char('0'));
        recorder.OpenWavFile(recorder.PerHitName);
        recorder.StartWavRecording();
        for (int ms = 0; ms < 1000; ms += kPieceMs)
            source->Feed(kPieceMs);
        recorder.LevelReport(true); // the squelch closes: the hit's file is saved
        cycles.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    }
    std::sort(cycles.begin(), cycles.end());
    double sum = 0;
    for (double ms : cycles)
        sum += ms;
    PrintFigure("hit_cycle_overhead_ms", sum / kHits, "ms");
    PrintFigure("hit_cycle_overhead_p90_ms", cycles[kHits * 9 / 10], "ms");
    PrintFigure("hit_files",
                static_cast<double>(QDir(SoundFolder()).entryList(QDir::Files).size()));
    if (saved.isEmpty() || !messages.isEmpty()) {
        std::fprintf(stderr, "recording failed: %s\n", qPrintable(messages.join(u'\n')));
        return 1;
    }
    return 0;
}
