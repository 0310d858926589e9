#pragma once

#include "AR5000.h"
#include "LoopbackLink.h"

#include <QByteArray>
#include <QObject>
#include <QStringList>
#include <QTest>

#include <functional>

// A receiver whose answers the test writes: it records every command line the driver sends and
// answers with whatever `Answer` returns for it (raw bytes, so tests can send broken replies).
class TScriptedReceiver : public QObject {
public:
    explicit TScriptedReceiver(TLoopbackEnd* end)
        : FEnd(end) {
        FEnd->open(QIODevice::ReadWrite);
        connect(FEnd, &QIODevice::readyRead, this, [this] { Read(); });
    }

    // Returns the bytes to send back for a command line (without its CR LF).
    std::function<QByteArray(const QString& command)> Answer = [](const QString&) {
        return QByteArray();
    };
    QStringList Received;

    void Send(const QByteArray& bytes) { FEnd->write(bytes); }
    void Unplug() { FEnd->close(); }

private:
    void Read() {
        FPending.append(FEnd->readAll());
        for (;;) {
            if (!FPending.isEmpty() && (FPending.at(0) == 0x1E || FPending.at(0) == 0x1F)) {
                Received.append(QString::fromLatin1(FPending.left(1)));
                FPending.remove(0, 1);
                continue;
            }
            const qsizetype end = FPending.indexOf("\r\n");
            if (end < 0)
                return;
            const QString line = QString::fromLatin1(FPending.left(end));
            FPending.remove(0, end + 2);
            Received.append(line);
            const QByteArray reply = Answer(line);
            if (!reply.isEmpty())
                FEnd->write(reply);
        }
    }

    TLoopbackEnd* FEnd;
    QByteArray FPending;
};

// A driver on an in-process line to a scripted receiver, with short time-outs, and every text the
// driver reports collected.
struct TDriverFixture {
    TLoopbackLink Link;
    TAR5000 Driver;
    TScriptedReceiver Receiver{Link.DeviceEnd()};
    QStringList Errors;
    QStringList RxLines;
    QStringList TxLines;

    explicit TDriverFixture(int timeoutMs = 300) {
        Driver.Serial()->SetDevice(Link.DriverEnd());
        Driver.Timeout = static_cast<std::uint32_t>(timeoutMs);
        Driver.InitialiseWaitMs = timeoutMs;
        Driver.ChangeVfoPauseMs = 0;
        Driver.SetBankPauseMs = 0;
        Driver.OnErrorMessage = [this](const QString& text) {
            Errors.append(text);
        };
        Driver.OnRxLine = [this](const QString& line) {
            RxLines.append(line);
        };
        Driver.OnTxLine = [this](const QString& line) {
            TxLines.append(line);
        };
    }

    // Opens the link to a receiver that answers "RX" on VFO A.
    bool Open() {
        const auto answer = Receiver.Answer;
        Receiver.Answer = [](const QString& command) {
            return command == QLatin1StringView("RX")
                       ? QByteArray("VA RF0145500000 ST025000  AU0 MD0\r\n")
                       : QByteArray();
        };
        Driver.FSetPort(true);
        Receiver.Answer = answer;
        Receiver.Received.clear();
        TxLines.clear();
        RxLines.clear();
        return Driver.Connected();
    }

    // Lets queued deliveries on the line happen.
    static void Settle(int ms = 20) { QTest::qWait(ms); }
};
