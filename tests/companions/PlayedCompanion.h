#pragma once

#include "CompanionLink.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTest>

#include <utility>

// Plays a companion program: listens under a window class's server name and keeps what arrives,
// as raw bytes and as frames.
struct TPlayedCompanion {
    static constexpr int kPatientMs = 20000;

    QLocalServer Server;
    QPointer<QLocalSocket> Client;
    QByteArray Received;
    TFrameReader Reader;
    QList<TCompanionFrame> Frames;

    explicit TPlayedCompanion(const QString& windowClass) {
        const QString name = CompanionServerName(windowClass);
        QLocalServer::removeServer(name);
        Server.setSocketOptions(QLocalServer::UserAccessOption);
        if (!Server.listen(name))
            qFatal("cannot listen as %s", qPrintable(name));
        QObject::connect(&Server, &QLocalServer::newConnection, &Server, [this] {
            Client = Server.nextPendingConnection();
            QObject::connect(Client, &QLocalSocket::readyRead, &Server, [this] { Read(); });
            // What came before the connection was taken raises no readyRead of its own.
            Read();
        });
    }
    explicit TPlayedCompanion(TCompanion companion)
        : TPlayedCompanion(CompanionInfo(companion).WindowClass) {}

    void Read() {
        const QByteArray bytes = Client->readAll();
        Received += bytes;
        Reader.Feed(bytes);
        while (const auto frame = Reader.Next())
            Frames.append(*frame);
    }
    void Send(const QByteArray& bytes) {
        Client->write(bytes);
        Client->flush();
    }
    void Send(const TCompanionFrame& frame) { Send(EncodeFrame(frame)); }
    // The frames received once there are `count` of them (or what there is when they do not
    // come), then forgotten.
    QList<TCompanionFrame> Take(qsizetype count = 1) {
        (void)QTest::qWaitFor([this, count] { return Frames.size() >= count; }, kPatientMs);
        return std::exchange(Frames, {});
    }
};
