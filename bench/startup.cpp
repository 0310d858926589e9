// Start-up: from process start to the main window shown (without the splash, whose fixed
// minimum is printed separately), and resident memory once the link to the built-in simulated
// receiver is open.
#include "BenchFigures.h"

#include "AR5000.h"
#include "KovelaApplication.h"
#include "Main.h"
#include "SplashForm.h"

#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

namespace {

// Milliseconds since the process started: the loader's work counts too.
double ProcessAgeMs() {
#ifdef Q_OS_LINUX
    QFile stat(QStringLiteral("/proc/self/stat"));
    QFile uptime(QStringLiteral("/proc/uptime"));
    if (stat.open(QIODevice::ReadOnly) && uptime.open(QIODevice::ReadOnly)) {
        const QByteArray statText = stat.readAll();
        // Field 22 (start time in clock ticks) counts from the closing parenthesis of field 2.
        const QList<QByteArray> fields = statText.mid(statText.lastIndexOf(')') + 2).split(' ');
        const double startTicks = fields.value(19).toDouble();
        const double upSeconds = uptime.readAll().split(' ').value(0).toDouble();
        const double ticksPerSecond = 100.0; // USER_HZ on every Linux ABI
        return (upSeconds - startTicks / ticksPerSecond) * 1000.0;
    }
#endif
    return -1.0;
}

} // namespace

int main(int argc, char* argv[]) {
    QTemporaryDir home;
    qputenv("KOVELA_HOME", home.path().toLocal8Bit());
    TKovelaApplication app(argc, argv);
    TStartOptions options;
    options.Simulate = true;
    options.Splash = false;
    QEventLoop loop;
    QObject::connect(&app, &TKovelaApplication::Started, &loop, &QEventLoop::quit);
    if (!app.Start(options))
        return 1;
    const double startupMs = ProcessAgeMs(); // the main window has been shown
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    if (!app.MainForm()->Driver()->Connected()) {
        std::fprintf(stderr, "the link to the simulated receiver did not open\n");
        return 1;
    }
    PrintFigure("startup_ms", startupMs, "ms");
    PrintFigure("splash_min_ms", TSplashForm::kMinimumMs, "ms");
    PrintFigure("rss_mb", ResidentMb(), "MB");
    return 0;
}
