// kovela-sim: the simulated AR5000 as a program, on a pseudo-terminal or a TCP port.

#include "SimLine.h"
#include "SimReceiver.h"
#include "SimTransports.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTextStream>

#include <cstdio>
#include <memory>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace {

#ifdef Q_OS_UNIX
int gSignalPipe[2] = {-1, -1};

void OnQuitSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(gSignalPipe[0], &byte, 1);
}

// SIGINT and SIGTERM end the event loop, so that everything is closed in order.
void QuitOnSignals(QCoreApplication& app) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, gSignalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(gSignalPipe[1], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [&app] {
        char byte = 0;
        [[maybe_unused]] const ssize_t count = ::read(gSignalPipe[1], &byte, 1);
        app.quit();
    });
    struct sigaction action {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}
#else
void QuitOnSignals(QCoreApplication&) {}
#endif

bool ParseNumberOption(const QCommandLineParser& parser, const QString& name, int low, int high,
                       int& value) {
    if (!parser.isSet(name))
        return true;
    bool ok = false;
    const int parsed = parser.value(name).toInt(&ok);
    if (!ok || parsed < low || parsed > high) {
        std::fprintf(stderr, "kovela-sim: --%s wants a number from %d to %d\n", qPrintable(name),
                     low, high);
        return false;
    }
    value = parsed;
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"kovela-sim"_s);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"A simulated AR5000 receiver for Kovela. It answers the receiver's command set on a "
        "pseudo-terminal (the default) or on a TCP port of this computer, with a seeded band "
        "of signals to search and scan. It runs until it is stopped (Ctrl+C)."_s);
    parser.addHelpOption();
    parser.addOptions({
        {u"pty"_s, u"Serve on a new pseudo-terminal and print its path as \"Device: <path>\" "
                   "(the default)."_s},
        {u"tcp"_s,
         u"Serve on TCP port <port> of 127.0.0.1, one client at a time, instead of a "
         "pseudo-terminal; prints \"Listening: 127.0.0.1:<port>\"."_s,
         u"port"_s},
        {u"baud"_s,
         u"Pace the line at <rate> baud, 11 bits a byte (0, the default, for no "
         "pacing)."_s,
         u"rate"_s},
        {u"latency"_s,
         u"Wait <ms> milliseconds after each command before answering (default "
         "0)."_s,
         u"ms"_s},
        {u"seed"_s, u"Seed of the simulated band and the preset memories (default 1)."_s, u"n"_s},
        {u"ct5000"_s, u"Fit the CTCSS unit (\"CN\" commands)."_s},
        {u"ds8000"_s, u"Fit the descrambler unit (\"SC\" commands)."_s},
        {u"sdu"_s, u"Behave as seen through an SDU-5500: every line in and out starts with "
                   "\"*\"."_s},
        {u"fill"_s, u"Put something in every memory channel of both banks (default: about a "
                    "third)."_s},
        {u"flood"_s, u"Make every step of a search or scan a stop, each reported as soon as the "
                     "line has carried the one before (for measuring hit rates)."_s},
        {u"trace"_s, u"Print every line received (\"> \") and sent (\"< \")."_s},
    });
    parser.process(app);

    TSimOptions options;
    int seed = 1;
    int port = 0;
    if (!ParseNumberOption(parser, u"baud"_s, 0, 1'000'000, options.BaudRate) ||
        !ParseNumberOption(parser, u"latency"_s, 0, 60'000, options.LatencyMs) ||
        !ParseNumberOption(parser, u"seed"_s, 0, 2'147'483'647, seed) ||
        !ParseNumberOption(parser, u"tcp"_s, 1, 65'535, port))
        return 2;
    options.Seed = static_cast<std::uint32_t>(seed);
    options.Ct5000 = parser.isSet(u"ct5000"_s);
    options.Ds8000 = parser.isSet(u"ds8000"_s);
    options.SduMode = parser.isSet(u"sdu"_s);
    options.FillMemories = parser.isSet(u"fill"_s);
    options.FloodHits = parser.isSet(u"flood"_s);

    QTextStream out(stdout);
    TSimReceiver receiver(options);
    if (parser.isSet(u"trace"_s)) {
        QObject::connect(&receiver, &TSimReceiver::LineReceived, &app,
                         [&out](const QString& line) { out << "> " << line << Qt::endl; });
        QObject::connect(&receiver, &TSimReceiver::LineSent, &app,
                         [&out](const QString& line) { out << "< " << line << Qt::endl; });
    }

    std::unique_ptr<QObject> transport;
    if (parser.isSet(u"tcp"_s)) {
        auto server = std::make_unique<TSimTcpServer>(&receiver);
        if (!server->Listen(static_cast<quint16>(port))) {
            std::fprintf(stderr, "kovela-sim: cannot listen on port %d: %s\n", port,
                         qPrintable(server->ErrorText()));
            return 1;
        }
        out << "Listening: 127.0.0.1:" << server->Port() << Qt::endl;
        transport = std::move(server);
    } else {
        auto pty = std::make_unique<TSimPty>(&receiver);
        if (!pty->Open()) {
            std::fprintf(stderr, "kovela-sim: cannot create a pseudo-terminal: %s\n",
                         qPrintable(pty->ErrorText()));
            return 1;
        }
        out << "Device: " << pty->SlavePath() << Qt::endl;
        transport = std::move(pty);
    }

    QuitOnSignals(app);
    return QCoreApplication::exec();
}
