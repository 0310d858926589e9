#include "AR5000.h"

#include "CommandText.h"
#include "RelayServer.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QMetaObject>
#include <QScopedValueRollback>
#include <QTcpSocket>
#include <QThread>

#include <array>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

constexpr char kStepUpByte = 0x1E;
constexpr char kStepDownByte = 0x1F;

// A hook may replace or clear itself while it runs: call a copy.
template <typename Hook, typename... Args> void Fire(const Hook& hook, Args&&... args) {
    if (hook) {
        const Hook copy = hook;
        copy(std::forward<Args>(args)...);
    }
}

// CR, LF or CR LF all end a line on the network; the empty line between CR and LF is skipped.
qsizetype LineEnd(const QByteArray& buffer) {
    for (qsizetype i = 0; i < buffer.size(); ++i) {
        if (buffer.at(i) == '\r' || buffer.at(i) == '\n')
            return i;
    }
    return -1;
}

// Every second character of a field: the link-bank lists are sent as " 0 1 - ...".
QString EveryOther(const QString& field) {
    QString result;
    for (qsizetype i = 1; i < field.size(); i += 2)
        result.append(field.at(i));
    return result;
}

// Blanks and control characters around a received line are noise from the line, not data.
// No reply begins with a control byte or a byte above 0x7E: such bytes in front of a line are
// noise (a receiver powering up, a wrong baud rate) and are dropped, counted in `noise`, so the
// reply behind them is still recognised.
QByteArray TrimLine(const QByteArray& line, quint64* noise = nullptr) {
    qsizetype begin = 0;
    qsizetype end = line.size();
    for (; begin < end; ++begin) {
        const auto byte = static_cast<unsigned char>(line.at(begin));
        const bool blank = byte == ' ' || byte == '\t' || byte == '\r' || byte == '\n';
        if (!blank && byte > 0x20 && byte <= 0x7E)
            break;
        if (!blank && noise)
            ++*noise;
    }
    while (end > begin && static_cast<unsigned char>(line.at(end - 1)) <= 0x20)
        --end;
    return line.mid(begin, end - begin);
}

} // namespace

struct TAR5000::TWait {
    explicit TWait(std::function<bool()> done)
        : Done(std::move(done)) {}
    std::function<bool()> Done;
    QEventLoop Loop;
};

TAR5000::TAR5000(QObject* owner)
    : QObject(owner)
    , FSerial(new TSerial(this))
    , FParser([this](const QString& text) { ReportError(text); }) {
    FSerial->SetCheckParity(false);
    FSerial->SetDataBits(TSerial::d8bit);
    FSerial->SetFlowMode(TSerial::fcXON_XOF);
    FSerial->SetNotifyErrors(TSerial::neEvent);
    FSerial->SetParity(TSerial::paNone);
    FSerial->SetRxEventMode(TSerial::rxNormal);
    FSerial->SetRxQueueSize(1024);
    FSerial->SetStopBits(TSerial::st2bit);
    FSerial->SetTxQueueSize(1024);
    FSerial->OnRxData = [this](TSerial*) {
        FRxData();
    };
    FSerial->OnError = [this](TSerial*) {
        HandleSerialError();
    };

    FPollTimer.setInterval(kLocalPollMs);
    connect(&FPollTimer, &QTimer::timeout, this, &TAR5000::PollTimer);
}

TAR5000::~TAR5000() {
    // A wait still running (the window closed under it) must not wake into a dead object.
    for (TWait* wait : std::as_const(FWaits))
        wait->Loop.exit(1);
}

void TAR5000::SetConnectionMode(std::uint8_t mode) {
    FConnectionMode = mode;
    FPollTimer.setInterval(mode > 1 ? kClientPollMs : kLocalPollMs);
    ApplyTimeout();
}

void TAR5000::SetSduMode(bool on) {
    FSduMode = on;
    ApplyTimeout();
}

void TAR5000::ApplyTimeout() {
    // Both the network and the SDU-5500 add their delay to every reply, whichever was set last.
    Timeout = FConnectionMode > 1 || FSduMode ? kRemoteTimeoutMs : kLocalTimeoutMs;
}

void TAR5000::SetClientSocket(QTcpSocket* socket) {
    if (FClientSocket)
        disconnect(FClientSocket, nullptr, this, nullptr);
    FClientSocket = socket;
    if (socket) {
        connect(socket, &QTcpSocket::readyRead, this, &TAR5000::QueueClientRead);
        connect(socket, &QTcpSocket::stateChanged, this, &TAR5000::HandleClientStateChanged);
    }
}

void TAR5000::SetServerSocket(TRelayServer* server) {
    if (FServer)
        disconnect(FServer, nullptr, this, nullptr);
    FServer = server;
    if (server)
        connect(server, &TRelayServer::ClientLine, this, &TAR5000::CommandFromClient);
}

// ---------------------------------------------------------------------------------------------
// Waiting

bool TAR5000::WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    if (done())
        return true;
    TWait wait(done);
    FWaits.append(&wait);
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &wait.Loop, [&wait] { wait.Loop.exit(1); });
    timer.start(timeoutMs);
    wait.Loop.exec();
    FWaits.removeOne(&wait);
    return done();
}

bool TAR5000::WaitUntil(const std::function<bool()>& done) {
    return WaitUntil(done, static_cast<int>(Timeout));
}

bool TAR5000::WaitFlag(bool& flag, const QString& message) {
    if (WaitUntil([&flag] { return !flag; }))
        return true;
    ReportError(message);
    flag = false;
    // After a reply failed to come, a partial line in the buffer is noise; left there it
    // would spoil the first reply of the next request.
    FReceiveBuffer.clear();
    FClientBuffer.clear();
    return false;
}

void TAR5000::WakeWaiters() {
    for (TWait* wait : std::as_const(FWaits)) {
        if (wait->Done())
            wait->Loop.exit(0);
    }
}

bool TAR5000::LinkIdle() const {
    return !FFlags.RxPending && !FFlags.LevelPending && !FFlags.ExtraDataPending;
}

void TAR5000::Pause(int ms) {
    FlushOutput();
    if (ms > 0)
        QThread::msleep(static_cast<unsigned long>(ms));
}

void TAR5000::FlushOutput() {
    if (FSerial->IsOpen())
        FSerial->Flush();
    else if (FConnectionMode > 1 && Connected())
        FClientSocket->flush();
}

void TAR5000::Trace(const QString& text) {
    Fire(OnRxLine, text);
    Q_EMIT RxLine(text);
}

// ---------------------------------------------------------------------------------------------
// Link

bool TAR5000::Connected() const {
    if (FConnectionMode > 1)
        return FClientSocket && FClientSocket->state() == QAbstractSocket::ConnectedState;
    return FSerial->IsOpen();
}

void TAR5000::FSetPort(bool open) {
    if (FConnectionMode > 1) {
        FPollTimer.stop();
        DoClientSocketConnect(open);
        return;
    }
    if (!open) {
        FPollTimer.stop();
        if (!WaitUntil([this] { return LinkIdle(); }))
            ReportError(u"Timeout waiting for pending data. Func FSetPort"_s);
        FSerial->SetOpen(false);
        if (FServer && FServer->IsActive())
            FServer->Stop();
        return;
    }

    FRemote = false;
    FReceiveBuffer.clear();
    FOverflowReported = false;
    FSerial->SetOpen(true);
    if (!FSerial->IsOpen())
        return;
    if (FConnectionMode == 1 && (!FServer || !FServer->Start(ServerPort))) {
        FSerial->SetOpen(false);
        return;
    }
    Initialise();
    if (!FRemote) {
        FSerial->SetOpen(false);
        if (FServer)
            FServer->Stop();
    }
}

void TAR5000::Initialise() {
    // The receiver is given InitialiseWaitMs to answer; the wait ends early once a whole reply
    // has been dispatched, because nothing more is to be learned by waiting longer.
    const quint64 linesBefore = FLinesDispatched;
    SendCommand(u"RX"_s);
    WaitUntil([this, linesBefore] { return FLinesDispatched != linesBefore; }, InitialiseWaitMs);
}

void TAR5000::UnRemote() {
    FPollTimer.stop();
    if (!WaitUntil([this] { return LinkIdle(); }))
        ReportError(u"timeout waiting for pending data. Proc UnRemote"_s);
    SendCommand(u"EX"_s);
    FRemote = false;
}

void TAR5000::DoClientSocketConnect(bool open) {
    if (!FClientSocket)
        return;
    // Closed here, so not lost: the socket's going down is no news.
    FClientLinkOpen = false;
    FClientBuffer.clear();
    if (!open) {
        if (FClientSocket->state() != QAbstractSocket::UnconnectedState)
            FClientSocket->abort();
        return;
    }
    FServerEndsLines = false;
    if (FClientSocket->state() != QAbstractSocket::UnconnectedState)
        FClientSocket->abort();
    FClientSocket->connectToHost(RemoteHost, ClientPort);
    // Ends as soon as the attempt has an outcome: connected, or refused (back to unconnected).
    WaitUntil(
        [this] {
            const auto state =
                FClientSocket ? FClientSocket->state() : QAbstractSocket::UnconnectedState;
            return state == QAbstractSocket::ConnectedState ||
                   state == QAbstractSocket::UnconnectedState;
        },
        static_cast<int>(Timeout));
    if (FClientSocket && FClientSocket->state() != QAbstractSocket::ConnectedState)
        FClientSocket->abort();
    FClientLinkOpen = Connected();
}

void TAR5000::HandleClientStateChanged() {
    if (FClientLinkOpen && !Connected()) {
        // What the server said before the connection ended is still to be read: its last
        // message says why.
        ClientSocketRead();
        if (FClientLinkOpen) {
            FClientLinkOpen = false;
            FRemote = false;
            FClientBuffer.clear();
            EndPendingRequests();
            Q_EMIT LinkLost();
        }
    }
    WakeWaiters();
}

void TAR5000::EndPendingRequests() {
    // Nothing more will arrive: every request still waiting ends now, not at its time-out.
    FPollTimer.stop();
    const TReplyFlags okFlags = FFlags;
    FFlags = TReplyFlags{};
    FFlags.VfoOk = okFlags.VfoOk;
    FFlags.MemoryOk = okFlags.MemoryOk;
    WakeWaiters();
}

void TAR5000::HandleSerialError() {
    if (!FSerial->IsOpen()) {
        FRemote = false;
        FReceiveBuffer.clear();
        EndPendingRequests();
    }
    ReportError(FSerial->ErrorText());
    if (!FSerial->IsOpen())
        Q_EMIT LinkLost();
}

// ---------------------------------------------------------------------------------------------
// Framing

void TAR5000::SendCommand(const QString& text) {
    const bool serial = FSerial->IsOpen();
    if (!serial && !(FConnectionMode > 1 && Connected()))
        return;
    if (const auto refusal = RefuseCommand(text)) {
        ReportError(*refusal);
        return;
    }
    if (serial) {
        const QString framed = FSduMode ? u'*' + text : text;
        FSerial->Write(framed.toLatin1() + "\r\n");
        Fire(OnTxLine, framed);
    } else {
        FClientSocket->write(text.toLatin1() + "\r\n");
        Fire(OnTxLine, text);
    }
}

std::optional<QString> TAR5000::RefuseCommand(const QString& text) const {
    const qsizetype prefix = FSduMode || FConnectionMode > 1 ? 1 : 0;
    const qsizetype room = TSerial::kMaxWriteChars - prefix - 2;
    if (text.size() <= room)
        return std::nullopt;
    return u"Command not sent: it is %1 characters long, and at most %2 fit in one line to "
           u"the receiver"_s.arg(text.size())
               .arg(room);
}

void TAR5000::SendCommandUpper(const QString& text) {
    SendCommand(text.toUpper());
}

void TAR5000::SendSingleByte(char byte) {
    const QByteArray bytes(1, byte);
    if (FSerial->IsOpen()) {
        FSerial->Write(bytes);
        Fire(OnTxLine, QString::fromLatin1(bytes));
    } else if (FConnectionMode > 1 && Connected()) {
        FClientSocket->write(bytes + "\r\n");
        Fire(OnTxLine, QString::fromLatin1(bytes));
    }
}

void TAR5000::StepUp() {
    SendSingleByte(kStepUpByte);
}

void TAR5000::StepDown() {
    SendSingleByte(kStepDownByte);
}

// ---------------------------------------------------------------------------------------------
// Polling and flags

void TAR5000::FSetTimerStatus(bool on) {
    if (!Connected()) {
        FPollTimer.stop();
        return;
    }
    if (on) {
        FLevelRequestedAt.start();
        FPollTimer.start();
        return;
    }
    FPollTimer.stop();
    if (!WaitUntil([this] { return LinkIdle(); })) {
        ReportError(u"Timeout waiting for pending data. Func FSetTimerStatus"_s);
        FPollTimer.stop();
        FFlags.LevelPending = false;
    }
}

void TAR5000::PollTimer() {
    if (!Connected())
        return;
    if (FFlags.LevelPending) {
        // A lost level reply would otherwise stop the display for good without a word.
        if (FLevelRequestedAt.isValid() && FLevelRequestedAt.elapsed() > Timeout)
            ReportError(u"Timeout waiting for LM data, timer off. Func PollTimer"_s);
        return;
    }
    FFlags.LevelPending = true;
    FLevelRequestedAt.start();
    if (PollRx && !FFlags.RxPending) {
        FFlags.RxPending = true;
        SendCommand(u"RX"_s);
    }
    SendCommand(u"LM"_s);
}

void TAR5000::ResetFlags() {
    FPollTimer.stop();
    FFlags.RxPending = false;
    FFlags.LevelPending = false;
    FFlags.ExtraDataPending = false;
    WakeWaiters();
}

void TAR5000::ReportError(const QString& text) {
    ResetFlags();
    Fire(OnErrorMessage, text);
}

// ---------------------------------------------------------------------------------------------
// Receiving

void TAR5000::AppendReceived(QByteArray& buffer, const QByteArray& bytes) {
    buffer.append(bytes);
    if (buffer.size() <= kReceiveBufferCap || buffer.contains("\r\n"))
        return;
    // No reply is anywhere near this long: what has piled up without a line end is noise.
    const qsizetype dropped = buffer.size();
    buffer.clear();
    if (!FOverflowReported) {
        FOverflowReported = true;
        ReportError(
            u"Receive buffer overflow: %1 bytes without a line end discarded. Func FRxData"_s.arg(
                dropped));
    }
}

void TAR5000::FRxData() {
    FRemote = true;
    QByteArray bytes;
    char byte = 0;
    while (FSerial->ReadByte(byte) == 1)
        bytes.append(byte);
    AppendReceived(FReceiveBuffer, bytes);

    qsizetype end = -1;
    // Each line leaves the buffer before it is dispatched: a handler that waits for more
    // replies re-enters here and must find only the lines that follow it.
    while ((end = FReceiveBuffer.indexOf("\r\n")) >= 0) {
        const QByteArray line = FReceiveBuffer.left(end + 2);
        FReceiveBuffer.remove(0, end + 2);
        RelayToClient(line);
        const QByteArray trimmed = TrimLine(line, &FNoiseBytes);
        if (!trimmed.isEmpty())
            FProcessDataStr(QString::fromLatin1(trimmed));
    }
}

void TAR5000::RelayToClient(const QByteArray& line) {
    if (FConnectionMode != 1 || !FServer || FServer->ActiveConnections() < 1)
        return;
    QByteArray relayed = line;
    // The network never carries the SDU-5500's prefix; a line without it is the unit's own.
    if (FSduMode && !relayed.startsWith('*'))
        return;
    if (FSduMode)
        relayed.remove(0, 1);
    if (!FServer->Send(relayed)) {
        const QTcpSocket* client = FServer->FirstClient();
        ReportError((client ? client->errorString() : u"No client"_s) + u" In FRxData SendBuf"_s);
    }
}

void TAR5000::CommandFromClient(const QByteArray& line) {
    if (FConnectionMode != 1 || !FSerial->IsOpen())
        return;
    if (line.size() == 1 && line.at(0) == kStepUpByte) {
        StepUp();
        return;
    }
    if (line.size() == 1 && line.at(0) == kStepDownByte) {
        StepDown();
        return;
    }
    // Only printable text reaches the receiver: a control byte in a command could end it early
    // or start a tuning step the client never asked for.
    QByteArray text;
    text.reserve(line.size());
    for (const char byte : line) {
        const auto code = static_cast<unsigned char>(byte);
        if (code >= 0x20 && code <= 0x7E)
            text.append(byte);
    }
    text = text.trimmed();
    if (text.isEmpty())
        return;
    const QString command = QString::fromLatin1(text);
    if (const auto refusal = RefuseCommand(command)) {
        // The client's mistake: the server's own requests go on.
        Fire(OnErrorMessage, u"From the network client: "_s + *refusal);
        return;
    }
    SendCommandUpper(command);
}

void TAR5000::QueueClientRead() {
    // Read from the event loop rather than inside readyRead, as the serial port does: the
    // socket does not announce more data while its readyRead handler runs, so a line handler
    // that waits for further replies would never hear of them.
    if (FClientReadQueued)
        return;
    FClientReadQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            FClientReadQueued = false;
            ClientSocketRead();
        },
        Qt::QueuedConnection);
}

void TAR5000::ClientSocketRead() {
    if (!FClientSocket)
        return;
    const QByteArray bytes = FClientSocket->readAll();
    if (bytes.isEmpty())
        return;
    FRemote = true;
    AppendReceived(FClientBuffer, bytes);
    // Unlike a serial read, a TCP read may end anywhere in a line: a partial line waits for
    // the rest instead of being dispatched as two fragments. Each line leaves the buffer
    // before it is handled, for a handler that waits re-enters here.
    for (qsizetype end = LineEnd(FClientBuffer); end >= 0; end = LineEnd(FClientBuffer)) {
        const QByteArray line = TrimLine(FClientBuffer.left(end + 1));
        FClientBuffer.remove(0, end + 1);
        if (line.isEmpty())
            continue;
        if (line.startsWith(kServerMessageTag)) {
            FServerEndsLines = true;
            TakeServerMessage(line);
        } else {
            FProcessDataStr(QString::fromLatin1(line));
        }
    }
    // Servers of earlier versions sent their messages without a line end. Such a message is
    // taken whole when a read ends in it; once this server has ended a message with a line
    // end, a message left at the end of a read is one cut short, and waits for its rest.
    if (!FServerEndsLines && FClientBuffer.startsWith(kServerMessageTag))
        TakeServerMessage(TrimLine(std::exchange(FClientBuffer, {})));
}

void TAR5000::TakeServerMessage(const QByteArray& line) {
    // News from the server, not a failure here: requests waiting for the receiver's replies
    // go on waiting, for the replies still come.
    Fire(OnErrorMessage, u"Message From Server "_s + RemoteHost + u"\r\nServer Reports "_s +
                             QString::fromLatin1(line));
}

// ---------------------------------------------------------------------------------------------
// Dispatch

void TAR5000::ProcessBlockLine(const QString& line) {
    if (!line.startsWith(u"MR"_s) && !line.startsWith(u"MX"_s))
        return;
    TRxDat parsed;
    const auto result = FParser.ParseMemoryReply(line, parsed);
    if (FBlockCount < static_cast<int>(FBlock.size())) {
        TRxDat& slot = FBlock[static_cast<size_t>(FBlockCount)];
        slot = TRxDat{};
        slot.Vfo = parsed.Vfo;
        slot.Channel = parsed.Channel;
        slot.Empty = result == TReplyParser::TMemoryResult::Empty;
        if (result == TReplyParser::TMemoryResult::Ok)
            CopyMemoryFields(parsed, slot);
        if (result == TReplyParser::TMemoryResult::Failed)
            ++FBlockFailures;
    }
    ++FBlockCount;
    if (FBlockCount >= static_cast<int>(FBlock.size())) {
        FFlags.BlockComplete = true;
        FFlags.BlockPending = false;
    }
}

void TAR5000::FProcessDataStr(const QString& received) {
    Fire(OnRxLine, received);
    Q_EMIT RxLine(received);
    if (received.size() < 2)
        return;
    QString line = received;
    if (FConnectionMode > 1) {
        // The network carries no SDU-5500 prefix, but servers of earlier versions passed it on.
        if (line.startsWith(u'*'))
            line.remove(0, 1);
        if (line.size() < 2)
            return;
    } else if (FSduMode) {
        if (line.size() < 3 || !line.startsWith(u'*'))
            return;
        line.remove(0, 1);
    }
    ++FLinesDispatched;
    FOverflowReported = false;
    if (FFlags.BlockPending) {
        ProcessBlockLine(line);
    } else {
        Dispatch(line);
    }
    WakeWaiters();
}

void TAR5000::Dispatch(const QString& line) {
    using THandler = void (*)(TAR5000&, const QString&);
    struct TEntry {
        const char16_t* Prefix;
        THandler Handle;
    };
    auto vfoReply = [](TAR5000& d, const QString& l) {
        d.FFlags.VfoOk = d.FParser.ParseVfoReply(l, d.FRxDat);
        d.FFlags.RxPending = false;
    };
    auto memoryReply = [](TAR5000& d, const QString& l) {
        d.FFlags.MemoryOk =
            d.FParser.ParseMemoryReply(l, d.FRxDat) == TReplyParser::TMemoryResult::Ok;
        d.FFlags.RxPending = false;
    };
    // "VER" is looked at before the two-letter prefixes: it also begins like VFO E's reply.
    static const TEntry kTable[] = {
        {u"VER",
         [](TAR5000& d, const QString& l) {
             d.FVersion = l;
             d.FFlags.VersionPending = false;
         }},
        {u"AC",
         [](TAR5000& d, const QString& l) {
             d.FFlags.AgcOk = d.FParser.ParseAgc(l, d.FRxDat);
         }},
        {u"AF",
         [](TAR5000& d, const QString& l) {
             d.FFlags.AfcOk = d.FParser.ParseState(l, u"AF", d.FAfc);
             d.FFlags.AfcPending = false;
         }},
        {u"AN",
         [](TAR5000& d, const QString& l) {
             d.FFlags.AntennaOk = d.FParser.ParseAntenna(l, d.FRxDat);
         }},
        {u"AS",
         [](TAR5000& d, const QString& l) {
             d.FFlags.AutoStoreOk = d.FParser.ParseSmallInteger(l, u"AS", d.FAutoStore);
             d.FFlags.AutoStorePending = false;
         }},
        {u"AT",
         [](TAR5000& d, const QString& l) {
             d.FFlags.AttenuatorOk = d.FParser.ParseAttenuator(l, d.FRxDat);
             if (d.FFlags.AttenuatorOk)
                 Fire(d.OnAttenuator, &d);
         }},
        {u"BM",
         [](TAR5000& d, const QString& l) {
             const auto banks = TReplyParser::Field(l, u"BM", 20);
             d.FFlags.LinkBanksOk = banks.has_value();
             if (banks)
                 d.FScanGroup.LinkedBanks = EveryOther(*banks);
             d.FFlags.ScanGroupPending = false;
         }},
        {u"BN",
         [](TAR5000& d, const QString& l) {
             d.FFlags.BankOk = d.FParser.ParseSmallInteger(l, u"BN", d.FBank);
             d.FFlags.BankPending = false;
         }},
        {u"BW",
         [](TAR5000& d, const QString& l) {
             d.FFlags.BandwidthOk = d.FParser.ParseDigit(l, u"BW", d.FRxDat.Bandwidth);
         }},
        {u"CN",
         [](TAR5000& d, const QString& l) {
             d.FFlags.CtcssOk = d.FParser.ParseCtcss(l, d.FRxDat);
         }},
        {u"DA",
         [](TAR5000& d, const QString& l) {
             d.FFlags.VoiceSquelchOk = d.FParser.ParseText(l, u"DA", 4, d.FVoiceSquelch);
             d.FFlags.VoiceSquelchPending = false;
         }},
        {u"DB",
         [](TAR5000& d, const QString& l) {
             d.FFlags.LevelSquelchOk = d.FParser.ParseText(l, u"DB", 4, d.FLevelSquelch);
             d.FFlags.LevelSquelchPending = false;
         }},
        {u"DD",
         [](TAR5000& d, const QString& l) {
             d.FFlags.DelayOk = d.FParser.ParseText(l, u"DD", 3, d.FDelay);
             d.FFlags.DelayPending = false;
         }},
        {u"DS",
         [](TAR5000& d, const QString& l) {
             d.FFlags.CyberScanOk = d.FParser.ParseState(l, u"DS", d.FCyberScan);
             d.FFlags.CyberScanPending = false;
         }},
        {u"EN",
         [](TAR5000& d, const QString& l) {
             d.FFlags.DeEmphasisOk = d.FParser.ParseDigit(l, u"EN", d.FRxDat.DeEmphasis);
         }},
        {u"GM",
         [](TAR5000& d, const QString& l) {
             d.FFlags.ScanGroupOk = d.FParser.ParseScanGroup(l, d.FScanGroup);
             d.FFlags.ScanGroupPending = false;
         }},
        {u"GS",
         [](TAR5000& d, const QString& l) {
             d.FFlags.SearchGroupOk = d.FParser.ParseSearchGroup(l, d.FSearchGroup);
             d.FFlags.SearchGroupPending = false;
         }},
        {u"HP",
         [](TAR5000& d, const QString& l) {
             d.FFlags.HighPassOk = d.FParser.ParseDigit(l, u"HP", d.FRxDat.HighPass);
         }},
        {u"LC",
         [](TAR5000& d, const QString& l) {
             d.FFlags.LevelOutputOk = d.FParser.ParseLevelOutput(l, d.FRxDat);
         }},
        {u"LM",
         [](TAR5000& d, const QString& l) {
             d.FParser.ParseLevel(l, d.FRxDat);
             d.FFlags.LevelPending = false;
             Fire(d.OnSignalLevel, d.FRxDat);
         }},
        {u"LP",
         [](TAR5000& d, const QString& l) {
             d.FFlags.LowPassOk = d.FParser.ParseDigit(l, u"LP", d.FRxDat.LowPass);
         }},
        {u"MR", memoryReply},
        {u"MS", memoryReply},
        {u"ML",
         [](TAR5000& d, const QString& l) {
             d.FFlags.ScanLinkOk = d.FParser.ParseState(l, u"ML", d.FScanLink);
         }},
        {u"MX",
         [](TAR5000& d, const QString& l) {
             if (const auto channel = TReplyParser::Field(l, u"MX", 3)) {
                 d.FRxDat.Channel = d.FParser.StrToIntSafe(*channel);
                 Fire(d.OnMemoryChannel, d.FRxDat.Channel);
             }
         }},
        {u"NB",
         [](TAR5000& d, const QString& l) {
             d.FFlags.NoiseBlankerOk = d.FParser.ParseState(l, u"NB", d.FNoiseBlanker);
             d.FFlags.NoiseBlankerPending = false;
         }},
        {u"PR",
         [](TAR5000& d, const QString& l) {
             if (const auto pass = d.FParser.ParsePass(l)) {
                 d.FPass = *pass;
                 Fire(d.OnPassFrequency, d.FPass);
             }
         }},
        {u"QM",
         [](TAR5000& d, const QString& l) {
             d.FFlags.DtmfOutputOk = d.FParser.ParseState(l, u"QM", d.FDtmfOutput);
         }},
        {u"RF",
         [](TAR5000& d, const QString& l) {
             d.FFlags.FrequencyOk = d.FParser.ParseFrequency(l, d.FRxDat);
             Fire(d.OnFrequency, d.FRxDat);
         }},
        {u"SC",
         [](TAR5000& d, const QString& l) {
             d.FFlags.DescramblerOk = d.FParser.ParseDescrambler(l, d.FRxDat);
             d.FFlags.ExtraDataPending = false;
             Fire(d.OnVfoData, d.FRxDat);
         }},
        {u"SJ",
         [](TAR5000& d, const QString& l) {
             d.FFlags.SubStepOk = d.FParser.ParseSubStep(l, d.FRxDat);
             if (!d.DS8000) {
                 d.FFlags.ExtraDataPending = false;
                 Fire(d.OnVfoData, d.FRxDat);
             }
         }},
        // During a select scan the receiver answers "RX" with an "SM" line: it is the reply.
        {u"SM", memoryReply},
        {u"SR",
         [](TAR5000& d, const QString& l) {
             d.FFlags.SearchListOk = d.FParser.ParseSearchBank(l, d.FSearchList);
             d.FFlags.SearchListPending = false;
             Fire(d.OnSearchBank, d.FSearchList.Bank);
         }},
        {u"SS", vfoReply},
        {u"VA", vfoReply},
        {u"VB", vfoReply},
        {u"VC", vfoReply},
        {u"VD", vfoReply},
        {u"VE", vfoReply},
        {u"VS", vfoReply},
    };
    for (const TEntry& entry : kTable) {
        if (line.startsWith(QStringView(entry.Prefix))) {
            entry.Handle(*this, line);
            return;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Conversions

QString TAR5000::FormatHz(double mhz) {
    return CommandText::FormatHz(mhz, [this](const QString& text) { ReportError(text); });
}

bool TAR5000::LevelToSUnits(int level, double mhz, TSUnits& result) const {
    return ::LevelToSUnits(level, mhz, FRxDat.Freq, result);
}
