#include "CompanionLink.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// A connection attempt to a local server answers at once or not at all.
constexpr int kConnectWaitMs = 200;

const TCompanionInfo kCompanions[] = {
    {u"Qd3"_s, u"TQd3MainForm"_s, u"Qd3.exe"_s, 12000,
     u"Qd3 not found in Kv7 folder.  See Qd3 in Help index for info."_s},
    {u"Kv7Agent"_s, u"TKv7AgentMainForm"_s, u"Kv7Agent.exe"_s, 10000,
     u"Kv7Agent not found in Kv7 folder. You must run Kv7Agent before linking"_s},
    {u"Kv7Grabber"_s, u"TKv7GrabberMainForm"_s, u"Kv7Grabber.exe"_s, 10000,
     u"Kv7Grabber not found in Kv7 folder. You must run Kv7Grabber before linking"_s},
    {u"Kv7WavRecorder"_s, u"TKv7WavRecorderForm"_s, u"Kv7WavRecorder.exe"_s, 15000,
     u"Kv7WavRecorder not found in Kv7 folder."_s},
};

QString UserName() {
    for (const char* variable : {"USER", "USERNAME", "LOGNAME"}) {
        const QString name = qEnvironmentVariable(variable);
        if (!name.isEmpty())
            return name;
    }
    return u"user"_s;
}

} // namespace

const TCompanionInfo& CompanionInfo(TCompanion companion) {
    return kCompanions[static_cast<int>(companion)];
}

QString CompanionServerName(const QString& windowClass) {
    return windowClass + u'-' + UserName();
}

TCompanionLink::TCompanionLink(TCompanionInfo info, QString programFolder, QObject* parent)
    : QObject(parent)
    , StartWaitMs(info.StartWaitMs)
    , FInfo(std::move(info))
    , FProgramFolder(std::move(programFolder)) {}

TCompanionLink::~TCompanionLink() {
    if (FSocket) {
        FSocket->disconnect(this);
        delete FSocket.data();
    }
}

bool TCompanionLink::Linked() const {
    return FSocket && FSocket->state() == QLocalSocket::ConnectedState;
}

bool TCompanionLink::Connect() {
    auto* socket = new QLocalSocket(this);
    socket->connectToServer(CompanionServerName(FInfo.WindowClass));
    if (!socket->waitForConnected(kConnectWaitMs)) {
        delete socket;
        return false;
    }
    FSocket = socket;
    FReader = TFrameReader();
    connect(socket, &QLocalSocket::readyRead, this, &TCompanionLink::ReadFrames);
    connect(socket, &QLocalSocket::disconnected, this, &TCompanionLink::Dropped);
    return true;
}

bool TCompanionLink::Find() {
    return Linked() || Connect();
}

QString TCompanionLink::ProgramPath() const {
    const QDir folder(FProgramFolder);
    QString bare = FInfo.ProgramFile;
    bare.chop(QStringLiteral(".exe").size());
    for (const QString& name : {FInfo.ProgramFile, bare}) {
        const QFileInfo file(folder.filePath(name));
        if (file.isFile() && file.isExecutable())
            return file.absoluteFilePath();
    }
    return {};
}

bool TCompanionLink::FindOrStart(QString& error) {
    error.clear();
    if (Find())
        return true;
    const QString program = ProgramPath();
    if (program.isEmpty()) {
        error = FInfo.NotFoundText;
        return false;
    }
    QProcess process;
    process.setProgram(program);
    process.setWorkingDirectory(FProgramFolder);
    if (!process.startDetached()) {
        error = process.errorString() + u"\r\nFailed to start "_s + FInfo.Name;
        return false;
    }
    // The one wait of this link: the user's program stays live while the companion comes up.
    QEventLoop loop;
    QTimer poll;
    QTimer deadline;
    deadline.setSingleShot(true);
    connect(&poll, &QTimer::timeout, &loop, [this, &loop] {
        if (Connect())
            loop.quit();
    });
    connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    poll.start(StartPollMs);
    deadline.start(StartWaitMs);
    loop.exec();
    if (Linked())
        return true;
    error = u"Timed out waiting for %1 to start"_s.arg(FInfo.Name);
    return false;
}

void TCompanionLink::Post(std::uint32_t message, std::uint32_t wParam, std::uint32_t lParam) {
    if (!Linked())
        return;
    FSocket->write(EncodeFrame({message, wParam, lParam}));
    FSocket->flush();
}

void TCompanionLink::Post(std::uint32_t message, const TPackedPair& pair) {
    Post(message, pair.WParam, pair.LParam);
}

void TCompanionLink::Forget() {
    if (!FSocket)
        return;
    FSocket->disconnect(this);
    // What was posted last (a close request) still goes out before the socket closes.
    FSocket->disconnectFromServer();
    FSocket->deleteLater();
    FSocket = nullptr;
    Q_EMIT Forgotten();
}

void TCompanionLink::ReadFrames() {
    if (!FSocket)
        return;
    FReader.Feed(FSocket->readAll());
    // A handler may forget the link (the companion ends it): stop reading then.
    while (FSocket) {
        const std::optional<TCompanionFrame> frame = FReader.Next();
        if (const QString error = FReader.TakeError(); !error.isEmpty())
            Q_EMIT FrameRejected(error);
        if (!frame)
            break;
        Q_EMIT FrameReceived(*frame);
    }
}

void TCompanionLink::Dropped() {
    ReadFrames();
    FReader.Finish();
    if (const QString error = FReader.TakeError(); !error.isEmpty())
        Q_EMIT FrameRejected(error);
    Forget();
}
