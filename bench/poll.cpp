// The level poll against kovela-sim on a pseudo-terminal, paced at 4800, 9600 and 19200 baud:
// level replies per second, and the processor time this process (the driver alone) uses.
#include "BenchFigures.h"

#include "AR5000.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

constexpr int kRunMs = 5000;

QString SimulatorPath() {
    const QString fromEnv = qEnvironmentVariable("KOVELA_SIM");
    if (!fromEnv.isEmpty())
        return fromEnv;
    return QCoreApplication::applicationDirPath() + u"/../src/simulator/kovela-sim"_s;
}

bool RunAt(int baud) {
    QProcess simulator;
    simulator.start(SimulatorPath(), {u"--pty"_s, u"--baud"_s, QString::number(baud)});
    if (!simulator.waitForStarted(5000)) {
        std::fprintf(stderr, "cannot start %s\n", qPrintable(SimulatorPath()));
        return false;
    }
    QString device;
    while (device.isEmpty() && simulator.waitForReadyRead(5000)) {
        const QString line = QString::fromLocal8Bit(simulator.readLine()).trimmed();
        if (line.startsWith(u"Device: "_s))
            device = line.mid(8);
    }
    if (device.isEmpty()) {
        std::fprintf(stderr, "kovela-sim printed no device\n");
        return false;
    }

    TAR5000 driver;
    driver.Serial()->SetPortName(device);
    driver.Serial()->SetBaudrate(baud);
    driver.OnErrorMessage = [](const QString& text) {
        std::fprintf(stderr, "driver: %s\n", qPrintable(text));
    };
    driver.FSetPort(true);
    if (!driver.Connected()) {
        std::fprintf(stderr, "the simulated receiver did not answer at %d baud\n", baud);
        return false;
    }
    int replies = 0;
    driver.OnSignalLevel = [&replies](const TRxDat&) {
        ++replies;
    };

    const double cpuBefore = ProcessCpuSeconds();
    QElapsedTimer elapsed;
    elapsed.start();
    driver.FSetTimerStatus(true);
    QEventLoop loop;
    QTimer::singleShot(kRunMs, &loop, &QEventLoop::quit);
    loop.exec();
    driver.FSetTimerStatus(false);
    const double seconds = static_cast<double>(elapsed.elapsed()) / 1000.0;
    const double cpuSeconds = ProcessCpuSeconds() - cpuBefore;
    driver.FSetPort(false);
    simulator.terminate();
    simulator.waitForFinished(3000);

    const QByteArray suffix = QByteArray::number(baud);
    PrintFigure(("replies_per_s_" + suffix).constData(), replies / seconds);
    PrintFigure(("cpu_ms_per_s_" + suffix).constData(), cpuSeconds * 1000.0 / seconds, "ms");
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    for (const int baud : {4800, 9600, 19200}) {
        if (!RunAt(baud))
            return 1;
    }
    return 0;
}
