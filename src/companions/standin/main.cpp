// kovela-companion: stands in for a companion program, so the link can be watched and tested
// without the real one. It listens under the window class given on the command line, prints
// every message it receives, and sends what is typed on standard input ("tune 7.05",
// "status 3", "end", "send 0x593 50000 0x70000", "quit").

#include "CompanionFrame.h"
#include "CompanionLink.h"
#include "CompanionText.h"

#include <QCoreApplication>
#include <QList>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

void Print(const QString& line) {
    std::fputs(qPrintable(line + u'\n'), stdout);
    std::fflush(stdout);
}

class TStandIn : public QObject {
public:
    explicit TStandIn(QLocalServer& server)
        : FServer(server) {
        connect(&FServer, &QLocalServer::newConnection, this, &TStandIn::Accept);
    }

    void Command(const QString& line) {
        if (line.trimmed() == u"quit") {
            QCoreApplication::quit();
            return;
        }
        const std::optional<TCompanionFrame> frame = ParseCommandLine(line);
        if (!frame) {
            Print(u"? %1"_s.arg(line.trimmed()));
            return;
        }
        int sent = 0;
        for (const auto& client : FClients) {
            if (client && client->state() == QLocalSocket::ConnectedState) {
                client->write(EncodeFrame(*frame));
                client->flush();
                ++sent;
            }
        }
        Print(u"sent %1 to %2 client(s)"_s.arg(DescribeFrame(*frame)).arg(sent));
    }

private:
    void Accept() {
        while (QLocalSocket* client = FServer.nextPendingConnection()) {
            auto reader = std::make_shared<TFrameReader>();
            FClients.append(client);
            Print(u"linked"_s);
            const auto read = [client, reader] {
                reader->Feed(client->readAll());
                while (const std::optional<TCompanionFrame> frame = reader->Next()) {
                    Print(DescribeFrame(*frame));
                    if (frame->Message == kWmClose)
                        QCoreApplication::quit();
                }
                if (const QString error = reader->TakeError(); !error.isEmpty())
                    Print(error);
            };
            connect(client, &QLocalSocket::readyRead, this, read);
            // What came before the connection was taken raises no readyRead of its own.
            read();
            connect(client, &QLocalSocket::disconnected, this, [client] {
                Print(u"unlinked"_s);
                client->deleteLater();
            });
        }
    }

    QLocalServer& FServer;
    QList<QPointer<QLocalSocket>> FClients;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 2 || arguments[1].startsWith(u'-')) {
        std::fputs("usage: kovela-companion <window class>, e.g. TQd3MainForm\n", stderr);
        return 2;
    }
    QLocalServer server;
    server.setSocketOptions(QLocalServer::UserAccessOption);
    const QString name = CompanionServerName(arguments[1]);
    if (!server.listen(name)) {
        // A server left behind by a companion that crashed blocks the name until removed.
        QLocalServer::removeServer(name);
        if (!server.listen(name)) {
            std::fputs(qPrintable(u"cannot listen as %1: %2\n"_s.arg(name, server.errorString())),
                       stderr);
            return 1;
        }
    }
    TStandIn standIn(server);
    Print(u"listening as %1"_s.arg(name));

    // Standard input blocks, so it is read beside the event loop and handed over line by line.
    std::thread input([&standIn] {
        std::string line;
        while (std::getline(std::cin, line))
            QMetaObject::invokeMethod(&standIn, [&standIn, text = QString::fromStdString(line)] {
                standIn.Command(text);
            });
    });
    input.detach();
    const int code = app.exec();
    // The reader may still be blocked on standard input and would hand a late line to an object
    // that is gone: end without unwinding.
    std::fflush(stdout);
    std::_Exit(code);
}
