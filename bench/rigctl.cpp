// Frequency reads per second that Hamlib's rigctl makes through Kovela's network rig-control
// endpoint (a main window on the simulated receiver's pseudo-terminal at 19200 baud), beside
// the same reads made by rigctl with Hamlib's own driver for the receiver, directly on the
// same pseudo-terminal. Each read crosses the line: Hamlib's read cache is switched off.
#include "BenchFigures.h"

#include "AR5000.h"
#include "LinkController.h"
#include "Main.h"
#include "RigctlController.h"
#include "Settings.h"
#include "Simulator.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

constexpr int kBaud = 19200;
constexpr int kReads = 100;
constexpr int kPatientMs = 120000;

// Runs the event loop (without the pauses QTest's waits make between rounds, which would count
// against every hop) until `done` holds after `signal`, or the time is up.
template <typename Sender, typename Signal>
bool RunUntil(Sender* sender, Signal signal, const std::function<bool()>& done) {
    if (done())
        return true;
    QEventLoop loop;
    QTimer::singleShot(kPatientMs, &loop, &QEventLoop::quit);
    QObject::connect(sender, signal, &loop, [&] {
        if (done())
            loop.quit();
    });
    loop.exec();
    return done();
}

// Reads per second of `kReads` frequency reads in one rigctl run, or a negative number when the
// run failed. The event loop runs meanwhile: the endpoint and the simulator answer.
double ReadsPerSecond(const QString& rigctl, const QStringList& target) {
    // Hamlib answers repeated reads from its own cache for half a second: every read here is
    // to reach the receiver.
    QStringList arguments = target + QStringList{u"-C"_s, u"cache_timeout=0"_s};
    for (int i = 0; i < kReads; ++i)
        arguments << u"f"_s;
    QProcess process;
    QElapsedTimer elapsed;
    elapsed.start();
    process.start(rigctl, arguments);
    if (!process.waitForStarted(5000))
        return -1.0;
    const bool ended = RunUntil(&process, &QProcess::finished,
                                [&] { return process.state() == QProcess::NotRunning; });
    const double seconds = static_cast<double>(elapsed.nsecsElapsed()) / 1e9;
    const QList<QByteArray> lines = process.readAllStandardOutput().trimmed().split('\n');
    if (!ended || process.exitCode() != 0 || lines.size() != kReads ||
        lines.first().toLongLong() <= 0) {
        std::fprintf(stderr, "rigctl %s failed: %s\n", qPrintable(target.join(u' ')),
                     process.readAllStandardError().constData());
        return -1.0;
    }
    return kReads / seconds;
}

// The same reads from a client that only writes "f" and reads the line back: Kovela's share of
// the time, without Hamlib's network client around it.
double BareReadsPerSecond(quint16 port) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(5000))
        return -1.0;
    QElapsedTimer elapsed;
    elapsed.start();
    for (int i = 0; i < kReads; ++i) {
        socket.write("f\n");
        QByteArray reply;
        const bool answered = RunUntil(&socket, &QTcpSocket::readyRead, [&] {
            reply += socket.readAll();
            return reply.endsWith('\n');
        });
        if (!answered || reply.toLongLong() <= 0)
            return -1.0;
    }
    return kReads / (static_cast<double>(elapsed.nsecsElapsed()) / 1e9);
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString rigctl = QStandardPaths::findExecutable(u"rigctl"_s);
    if (rigctl.isEmpty()) {
        std::fprintf(stderr, "rigctl (Debian package libhamlib-utils) is not installed\n");
        return 1;
    }

    TSimOptions options;
    options.BaudRate = kBaud;
    TSimReceiver receiver(options);
    TSimPty pty(&receiver);
    if (!pty.Open()) {
        std::fprintf(stderr, "no pseudo-terminal for the simulated receiver\n");
        return 1;
    }

    TSettings settings;
    settings.ComPort = pty.SlavePath();
    settings.BaudRate = QString::number(kBaud);
    settings.RigctlEnabled = true;
    settings.RigctlPort = 0;
    TMainForm form(settings);
    form.MessageSink = [](const QString& text) {
        std::fprintf(stderr, "%s\n", qPrintable(text));
    };
    form.ApplyCommsSettings();
    auto* open = form.findChild<QPushButton*>(u"OpenPortButton"_s);
    open->click();
    TRigctlServer& server = form.Rigctl()->Server();
    if (!QTest::qWaitFor([&] { return server.IsActive(); }, kPatientMs)) {
        std::fprintf(stderr, "the link did not open on %s\n", qPrintable(pty.SlavePath()));
        return 1;
    }
    const QStringList endpoint{u"-m"_s, u"2"_s, u"-r"_s,
                               u"127.0.0.1:%1"_s.arg(server.ServerPort())};
    // As users run it, with the signal display's level polling off, then with it on.
    auto* signalTimer = form.findChild<QCheckBox*>(u"TimerCheckBox"_s);
    signalTimer->setChecked(false);
    const double bare = BareReadsPerSecond(server.ServerPort());
    const double throughKovela = ReadsPerSecond(rigctl, endpoint);
    signalTimer->setChecked(true);
    const double whilePolling = ReadsPerSecond(rigctl, endpoint);
    signalTimer->setChecked(false);
    open->click();
    if (!QTest::qWaitFor([&] { return !form.Driver()->Connected(); }, kPatientMs)) {
        std::fprintf(stderr, "the link did not close\n");
        return 1;
    }

    const double direct = ReadsPerSecond(
        rigctl, {u"-m"_s, u"5004"_s, u"-r"_s, pty.SlavePath(), u"-s"_s, QString::number(kBaud)});
    if (throughKovela <= 0 || whilePolling <= 0 || bare <= 0 || direct <= 0)
        return 1;
    PrintFigure("reads_per_s", throughKovela);
    PrintFigure("reads_per_s_level_polling", whilePolling);
    PrintFigure("bare_client_reads_per_s", bare);
    PrintFigure("direct_reads_per_s", direct);
    PrintFigure("vs_direct", throughKovela / direct);
    PrintFigure("bare_vs_direct", bare / direct);
    return 0;
}
