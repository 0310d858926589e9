#pragma once

// A private sound server for tests that need real sound: a null sink whose monitor is the
// default input (through a remapped source, as Qt lists no monitor sources), reachable only through
// a socket in the fixture's own temporary folder, so that tests running side by side (and the
// user's own server) never meet.
#include <QByteArray>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>

#include <sys/prctl.h>

class TPulseServer {
public:
    static constexpr int kStartMs = 15000;
    static constexpr int kStopMs = 5000;
    static constexpr const char* kSinkName = "kovela_test_sink";
    static constexpr const char* kSourceName = "kovela_test_input";

    TPulseServer() = default;
    ~TPulseServer() { Stop(); }
    TPulseServer(const TPulseServer&) = delete;
    TPulseServer& operator=(const TPulseServer&) = delete;

    // Starts the server and waits until it accepts clients; false with Why() set when the server
    // is not installed or does not come up.
    bool Start() {
        const QString server = QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
        FPlayer = QStandardPaths::findExecutable(QStringLiteral("pacat"));
        if (server.isEmpty() || FPlayer.isEmpty())
            return Fail(QStringLiteral("pulseaudio and pacat are not installed"));
        if (!FFolder.isValid())
            return Fail(QStringLiteral("no temporary folder for the sound server"));
        const QString root = FFolder.path();
        QDir(root).mkpath(QStringLiteral("pulse"));
        FSocket = root + QStringLiteral("/native");
        const QString script = root + QStringLiteral("/server.pa");
        QFile file(script);
        if (!file.open(QIODevice::WriteOnly))
            return Fail(QStringLiteral("cannot write the server's start-up script"));
        file.write(QStringLiteral("load-module module-null-sink sink_name=%1\n"
                                  "load-module module-remap-source master=%1.monitor "
                                  "source_name=%2\n"
                                  "load-module module-native-protocol-unix socket=%3 "
                                  "auth-anonymous=1\n"
                                  "set-default-sink %1\n"
                                  "set-default-source %2\n")
                       .arg(QLatin1StringView(kSinkName), QLatin1StringView(kSourceName), FSocket)
                       .toUtf8());
        file.close();

        FEnvironment = QProcessEnvironment::systemEnvironment();
        FEnvironment.insert(QStringLiteral("HOME"), root);
        FEnvironment.insert(QStringLiteral("XDG_RUNTIME_DIR"), root);
        FEnvironment.insert(QStringLiteral("XDG_CONFIG_HOME"), root + QStringLiteral("/config"));
        FEnvironment.insert(QStringLiteral("PULSE_RUNTIME_PATH"), root + QStringLiteral("/pulse"));
        FEnvironment.insert(QStringLiteral("PULSE_STATE_PATH"), root + QStringLiteral("/pulse"));
        FEnvironment.insert(QStringLiteral("PULSE_SERVER"), ServerAddress());
        FServer.setProcessEnvironment(FEnvironment);
        FServer.setProcessChannelMode(QProcess::MergedChannels);
        // A test killed by its time limit cannot stop the server; the server goes with it.
        FServer.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        // Root is warned about but allowed; there is no session bus, so none is asked for.
        FServer.start(server,
                      {QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                       QStringLiteral("--use-pid-file=no"), QStringLiteral("--disallow-exit"),
                       QStringLiteral("--realtime=no"), QStringLiteral("--high-priority=no"),
                       QStringLiteral("--log-target=stderr"), QStringLiteral("-n"),
                       QStringLiteral("-F"), script});
        if (!FServer.waitForStarted(kStartMs))
            return Fail(QStringLiteral("pulseaudio did not start: ") + FServer.errorString());
        const QDeadlineTimer deadline(kStartMs);
        while (!Accepts()) {
            if (FServer.state() != QProcess::Running || deadline.hasExpired())
                return Fail(QStringLiteral("pulseaudio did not come up: ") +
                            QString::fromLocal8Bit(FServer.readAll()).trimmed());
            QThread::msleep(20);
        }
        return true;
    }

    void Stop() {
        StopPlaying();
        if (FServer.state() == QProcess::NotRunning)
            return;
        FServer.terminate();
        if (!FServer.waitForFinished(kStopMs)) {
            FServer.kill();
            FServer.waitForFinished(kStopMs);
        }
    }

    // For the process environment of clients, before they first look for sound devices.
    QString ServerAddress() const { return QStringLiteral("unix:") + FSocket; }
    QString Why() const { return FWhy; }

    // Plays raw signed 16-bit little-endian mono samples into the sink.
    bool Play(const QByteArray& samples, int rate) {
        StopPlaying();
        FPlaying.setProcessEnvironment(FEnvironment);
        FPlaying.start(FPlayer, {QStringLiteral("--playback"), QStringLiteral("--raw"),
                                 QStringLiteral("--format=s16le"), QStringLiteral("--channels=1"),
                                 QStringLiteral("--rate=%1").arg(rate),
                                 QStringLiteral("--device=%1").arg(QLatin1StringView(kSinkName))});
        if (!FPlaying.waitForStarted(kStartMs))
            return false;
        FPlaying.write(samples);
        FPlaying.closeWriteChannel();
        return true;
    }
    void StopPlaying() {
        if (FPlaying.state() == QProcess::NotRunning)
            return;
        FPlaying.kill();
        FPlaying.waitForFinished(kStopMs);
    }

private:
    bool Fail(const QString& why) {
        FWhy = why;
        Stop();
        return false;
    }
    bool Accepts() const {
        if (!QFile::exists(FSocket))
            return false;
        QLocalSocket probe;
        probe.connectToServer(FSocket);
        return probe.waitForConnected(1000);
    }

    QTemporaryDir FFolder;
    QString FSocket;
    QString FPlayer;
    QString FWhy;
    QProcessEnvironment FEnvironment;
    QProcess FServer;
    QProcess FPlaying;
};
