#pragma once

#include "CompanionFrame.h"

#include <QObject>
#include <QPointer>
#include <QString>

class QLocalSocket;

// Who a companion is: the class name its window registers under, its program file and how long
// it may take to appear once started.
struct TCompanionInfo {
    QString Name;        // "Qd3"
    QString WindowClass; // "TQd3MainForm"
    QString ProgramFile; // "Qd3.exe"
    int StartWaitMs = 10000;
    QString NotFoundText;
};

enum class TCompanion { Qd3, Kv7Agent, Kv7Grabber, Kv7WavRecorder };
const TCompanionInfo& CompanionInfo(TCompanion companion);

// The local server name a companion listens on: its window class and the user's name, so that
// one user's companions never answer another user's program.
QString CompanionServerName(const QString& windowClass);

// The link to one companion program over its local socket. Find() connects to a running one;
// FindOrStart() also starts the program file from the program folder and waits for it. A
// companion whose socket closes is forgotten, so the next message finds or starts it again.
class TCompanionLink : public QObject {
    Q_OBJECT

public:
    TCompanionLink(TCompanionInfo info, QString programFolder, QObject* parent = nullptr);
    ~TCompanionLink() override;

    const TCompanionInfo& Info() const { return FInfo; }
    int StartWaitMs;
    // How often a started companion is looked for while waiting.
    int StartPollMs = 50;

    bool Linked() const;
    // Connects to a running companion; true when linked afterwards.
    bool Find();
    // Find(), else start the program and wait for it; on failure `error` holds the message.
    bool FindOrStart(QString& error);
    // The program file found in the program folder (on systems without ".exe" the bare name is
    // accepted too); empty when there is none.
    QString ProgramPath() const;
    // Lost without error when not linked, as a message to a window that has gone would be.
    void Post(std::uint32_t message, std::uint32_t wParam, std::uint32_t lParam);
    void Post(std::uint32_t message, const TPackedPair& pair);
    // Closes our side; the companion keeps running.
    void Forget();

Q_SIGNALS:
    void FrameReceived(const TCompanionFrame& frame);
    // What the companion sent could not be read; the link stays up.
    void FrameRejected(const QString& reason);
    // The companion's socket closed (it ended, or Forget()).
    void Forgotten();

private:
    bool Connect();
    void ReadFrames();
    void Dropped();

    TCompanionInfo FInfo;
    QString FProgramFolder;
    QPointer<QLocalSocket> FSocket;
    TFrameReader FReader;
};
