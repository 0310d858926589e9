#include "CompanionController.h"

#include "AR5000.h"
#include "Main.h"
#include "MainSheet.h"
#include "VfoPanelController.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPointer>
#include <QShortcut>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>

#include <array>

using namespace Qt::StringLiterals;

namespace {

constexpr std::array<const char16_t*, 14> kRecorderStatusTexts = {
    u"Format Selected",
    u"File Closed",
    u"File Opened",
    u"RECORDING",
    u"Paused",
    u"Recording",
    u"Stopped",
    u"App Closed",
    u"Form visible",
    u"Form hidden",
    u"Recording Logged Posn",
    u"",
    u"File Closed",
    u"",
};

constexpr std::uint32_t kStatusAppClosed = 7;
constexpr std::uint32_t kStatusLoggedPosition = 10;
constexpr std::uint32_t kStatusRecordingEnded = 11;
constexpr std::uint32_t kStatusFileClosed = 12;
constexpr std::uint32_t kStatusRecordingEndedToo = 13;
constexpr std::uint32_t kRecorderClosing = 7;

bool ControlHeld() {
    return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier);
}

} // namespace

QString TCompanionController::RecorderStatusText(std::uint32_t code) {
    return code < kRecorderStatusTexts.size() ? QString::fromUtf16(kRecorderStatusTexts[code])
                                              : QString();
}

TCompanionController::TCompanionController(TMainForm& main, const QString& programFolder,
                                           QObject* parent)
    : QObject(parent)
    , CtrlHeld(ControlHeld)
    , FMain(main) {
    for (const TCompanion companion : {TCompanion::Qd3, TCompanion::Kv7Agent,
                                       TCompanion::Kv7Grabber, TCompanion::Kv7WavRecorder}) {
        auto& link = FLinks[static_cast<int>(companion)];
        link = std::make_unique<TCompanionLink>(CompanionInfo(companion), programFolder);
        connect(link.get(), &TCompanionLink::FrameReceived, this,
                &TCompanionController::FrameFromCompanion);
        connect(link.get(), &TCompanionLink::FrameRejected, &FMain, &TMainForm::AddMessage);
    }
    // A spectrum display that went away is no longer linked, whatever the item says.
    connect(&Link(TCompanion::Qd3), &TCompanionLink::Forgotten, this,
            [this] { SetQd3Linked(false); });
    connect(&Link(TCompanion::Kv7Agent), &TCompanionLink::Forgotten, this, [this] {
        if (FLinkToKv7Agent)
            FLinkToKv7Agent->setChecked(false);
    });

    FLinkToQd3 = FMain.findChild<QAction*>(u"LinkToQd3"_s);
    FLinkToKv7Agent = FMain.findChild<QAction*>(u"LinkToKv7Agent"_s);
    FBtnQd3 = FMain.findChild<QAbstractButton*>(u"btnQd3"_s);
    // The items show the link, not the click: each handler sets their state itself.
    if (FLinkToQd3)
        connect(FLinkToQd3, &QAction::triggered, this, &TCompanionController::LinkToQd3Click);
    if (FBtnQd3)
        connect(FBtnQd3, &QAbstractButton::clicked, this, &TCompanionController::LinkToQd3Click);
    if (FLinkToKv7Agent)
        connect(FLinkToKv7Agent, &QAction::triggered, this,
                &TCompanionController::LinkToKv7AgentClick);
    if (auto* grabber = FMain.findChild<QAction*>(u"StartKv7Grabber1"_s))
        connect(grabber, &QAction::triggered, this, &TCompanionController::StartKv7Grabber1Click);
    if (FMain.MainSheet())
        FMain.MainSheet()->VfoPanel()->OnFrequencyFormatted = [this](double mhz) {
            FrequencyShown(mhz);
        };
    connect(&FMain, &TMainForm::Closed, this, &TCompanionController::ProgramClosing);
    FCtrlT = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_T), &FMain);
    connect(FCtrlT, &QShortcut::activated, this, &TCompanionController::SendCtrlTToQd3);
}

TCompanionController::~TCompanionController() {
    delete FCtrlT;
    if (FMain.MainSheet())
        FMain.MainSheet()->VfoPanel()->OnFrequencyFormatted = nullptr;
}

TCompanionLink& TCompanionController::Link(TCompanion companion) const {
    return *FLinks[static_cast<int>(companion)];
}

bool TCompanionController::FindOrStart(TCompanion companion) {
    QString error;
    if (Link(companion).FindOrStart(error))
        return true;
    FMain.AddMessage(error);
    return false;
}

void TCompanionController::SetQd3Linked(bool linked) {
    if (FLinkToQd3)
        FLinkToQd3->setChecked(linked);
    if (FBtnQd3)
        FBtnQd3->setChecked(linked);
    Q_EMIT Qd3LinkChanged(linked);
}

void TCompanionController::LinkToQd3Click() {
    TCompanionLink& qd3 = Link(TCompanion::Qd3);
    if (qd3.Linked()) {
        // With Ctrl only the link ends and the display stays open.
        if (CtrlHeld())
            qd3.Post(kMsgQd3Frequency, 0, 0);
        else
            qd3.Post(kWmClose, 0, 0);
        qd3.Forget();
        SetQd3Linked(false);
        return;
    }
    const bool found = FindOrStart(TCompanion::Qd3);
    SetQd3Linked(found);
    if (found && FMain.Driver()->Connected())
        SendShownFrequency(TCompanion::Qd3);
}

void TCompanionController::LinkToKv7AgentClick() {
    TCompanionLink& agent = Link(TCompanion::Kv7Agent);
    if (agent.Linked()) {
        if (CtrlHeld())
            agent.Post(kWmClose, 0, 0);
        agent.Forget();
        if (FLinkToKv7Agent)
            FLinkToKv7Agent->setChecked(false);
        return;
    }
    const bool found = FindOrStart(TCompanion::Kv7Agent);
    if (FLinkToKv7Agent)
        FLinkToKv7Agent->setChecked(found);
    if (!found)
        return;
    FAgentLastFrequency = 0.0;
    if (FMain.Driver()->Connected())
        SendShownFrequency(TCompanion::Kv7Agent);
}

void TCompanionController::StartKv7Grabber1Click() {
    TCompanionLink& grabber = Link(TCompanion::Kv7Grabber);
    if (grabber.Find()) {
        if (CtrlHeld())
            grabber.Post(kWmClose, 0, 0);
        else
            grabber.Post(kMsgGrabberStart, 0, 0);
        return;
    }
    if (FindOrStart(TCompanion::Kv7Grabber))
        grabber.Post(kMsgGrabberStart, 0, 0);
}

void TCompanionController::SendCallSign(const QString& callSign) {
    TCompanionLink& qd3 = Link(TCompanion::Qd3);
    for (const TPackedPair& half : PackText(callSign))
        qd3.Post(kMsgQd3CallSign, half);
}

int TCompanionController::ModeIndex() const {
    const auto* mode = FMain.findChild<QComboBox*>(u"ModeComboBox"_s);
    return mode && mode->currentIndex() >= 0 ? mode->currentIndex() : 0;
}

bool TCompanionController::PriorityWatching() const {
    const auto* priority = FMain.findChild<QCheckBox*>(u"PriorityCheckBox1"_s);
    return priority && priority->isChecked();
}

bool TCompanionController::MainPageShowing() const {
    const auto* pages = FMain.findChild<QTabWidget*>(u"PageControl1"_s);
    return !pages || pages->currentIndex() == 0;
}

void TCompanionController::SendFrequency(TCompanion companion, double mhz) {
    const std::uint32_t message = companion == TCompanion::Qd3 ? kMsgQd3Frequency : kMsgAgent;
    Link(companion).Post(message, PackFrequency(mhz, ModeIndex()));
    if (companion == TCompanion::Kv7Agent)
        FAgentLastFrequency = mhz;
}

void TCompanionController::SendShownFrequency(TCompanion companion) {
    TVfoPanelController* panel = FMain.MainSheet()->VfoPanel();
    const QChar letter = panel->CurrentLetter();
    if (companion == TCompanion::Kv7Agent && letter == u'M') {
        const auto* text = FMain.findChild<QLineEdit*>(u"MemTextEdit"_s);
        if (text && !text->text().isEmpty()) {
            for (const TPackedPair& half : PackText(text->text()))
                Link(companion).Post(kMsgAgent, half);
            return;
        }
    }
    if (const std::optional<double> mhz = panel->ShownFrequency(letter))
        SendFrequency(companion, *mhz);
}

void TCompanionController::FrequencyShown(double mhz) {
    if (Link(TCompanion::Qd3).Linked() && MainPageShowing())
        SendFrequency(TCompanion::Qd3, mhz);
    if (!Link(TCompanion::Kv7Agent).Linked())
        return;
    const TRunFlags& flags = FMain.RunFlags();
    const bool watching = flags.SearchRunning || flags.ScanRunning || flags.SelectScanRunning ||
                          (VfoSearchRunning && VfoSearchRunning()) || PriorityWatching();
    if (!watching && (!MainPageShowing() || mhz == FAgentLastFrequency))
        return;
    const QChar letter = FMain.MainSheet()->VfoPanel()->CurrentLetter();
    const auto* text = FMain.findChild<QLineEdit*>(u"MemTextEdit"_s);
    TellAgent(letter == u'M' && text ? text->text() : QString(), mhz);
}

void TCompanionController::TellAgent(const QString& memoryText, double mhz) {
    if (memoryText.isEmpty()) {
        SendFrequency(TCompanion::Kv7Agent, mhz);
        return;
    }
    for (const TPackedPair& half : PackText(memoryText))
        Link(TCompanion::Kv7Agent).Post(kMsgAgent, half);
    FAgentLastFrequency = mhz;
}

void TCompanionController::ScanHitLocated(const QString& memoryText, double mhz) {
    if (Link(TCompanion::Kv7Agent).Linked())
        TellAgent(memoryText, mhz);
}

void TCompanionController::SendCtrlTToQd3() {
    TCompanionLink& qd3 = Link(TCompanion::Qd3);
    if (!qd3.Linked())
        return;
    const std::uint32_t keyT = 'T';
    for (const TCompanionFrame& key :
         {TCompanionFrame{kWmKeyDown, kVkControl, 0}, TCompanionFrame{kWmKeyDown, keyT, 0},
          TCompanionFrame{kWmKeyUp, keyT, 0}, TCompanionFrame{kWmKeyUp, kVkControl, 0}})
        qd3.Post(key.Message, key.WParam, key.LParam);
}

void TCompanionController::PriorityChannelHeld(const QString& memoryText, double mhz) {
    if (mhz != FAgentLastFrequency)
        ScanHitLocated(memoryText, mhz);
}

QString TCompanionController::Refusal() const {
    const TRunFlags& flags = FMain.RunFlags();
    if (flags.SearchRunning || flags.ScanRunning || flags.SelectScanRunning ||
        (VfoSearchRunning && VfoSearchRunning()))
        return u"a scan or search is running"_s;
    if (!FMain.Driver()->Connected())
        return u"the receiver link is closed"_s;
    if (flags.SweepRunning)
        return u"a sweep is running"_s;
    if (FMain.MainSheet()->State().DragInProgress)
        return u"a drag is in progress"_s;
    if (QApplication::activeModalWidget())
        return u"a window is waiting for an answer"_s;
    return {};
}

void TCompanionController::TuneRequest(const TCompanionFrame& frame) {
    const double mhz = UnpackTuneRequest(frame.WParam, frame.LParam);
    if (const QString reason = Refusal(); !reason.isEmpty()) {
        FMain.AddMessage(u"Tune request to %1 MHz not done: %2"_s.arg(mhz, 0, 'f', 6).arg(reason));
        return;
    }
    TVfoPanelController* panel = FMain.MainSheet()->VfoPanel();
    const QChar letter = panel->CurrentLetter();
    if (letter >= u'A' && letter <= u'E')
        FMain.Driver()->SetFrequency(letter, mhz);
    panel->ReadBackCurrent();
}

void TCompanionController::FrameFromCompanion(const TCompanionFrame& frame) {
    auto* link = qobject_cast<TCompanionLink*>(sender());
    switch (frame.Message) {
    case kMsgTuneRequest:
        TuneRequest(frame);
        break;
    case kMsgQd3Ends:
        if (link == &Link(TCompanion::Qd3) && frame.WParam == 0 && frame.LParam == 0) {
            Link(TCompanion::Qd3).Forget();
            SetQd3Linked(false);
        }
        break;
    case kMsgRecorderStatus:
        if (link == &Link(TCompanion::Kv7WavRecorder))
            ShowRecorderStatus(frame);
        break;
    default:
        FMain.AddMessage(u"%1 sent message 0x%2, which is not for this program"_s.arg(
            link ? link->Info().Name : QString(), QString::number(frame.Message, 16)));
        break;
    }
}

void TCompanionController::ShowRecorderStatus(const TCompanionFrame& frame) {
    const std::uint32_t code = frame.LParam & 0x7F;
    QStatusBar* bar = FMain.statusBar();
    // A temporary message hides the three panels: the bar becomes one panel.
    bar->showMessage(RecorderStatusText(code));
    if (code == kStatusLoggedPosition)
        FLoggedPosition = frame.WParam;
    if (code == kStatusFileClosed)
        bar->clearMessage();
    if (code == kStatusAppClosed || code == kStatusRecordingEnded ||
        code == kStatusRecordingEndedToo) {
        if (code == kStatusAppClosed)
            Link(TCompanion::Kv7WavRecorder).Forget();
        if (auto* timer = FMain.findChild<QCheckBox*>(u"TimerCheckBox"_s))
            timer->setChecked(false);
        Q_EMIT RecordingEnded();
    }
    Q_EMIT RecorderStatus(code, frame.WParam);
}

bool TCompanionController::ConnectRecorder() {
    if (RecorderLinked())
        return true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool found = FindOrStart(TCompanion::Kv7WavRecorder);
    QApplication::restoreOverrideCursor();
    return found;
}

bool TCompanionController::RecorderLinked() const {
    return Link(TCompanion::Kv7WavRecorder).Linked();
}

void TCompanionController::PostRecorderCommand(std::uint32_t code) {
    // The recorder answers to the window that commands it; our side has no window number, so
    // the process id stands in for it.
    Link(TCompanion::Kv7WavRecorder)
        .Post(kMsgRecorderCommand, static_cast<std::uint32_t>(QApplication::applicationPid()),
              code);
}

std::optional<std::uint32_t> TCompanionController::AwaitLoggedPosition(int timeoutMs) {
    TCompanionLink& recorder = Link(TCompanion::Kv7WavRecorder);
    std::optional<std::uint32_t> position;
    bool gone = !recorder.Linked();
    if (!gone) {
        // The recorder's one wait: the hit log line needs the position before it is written.
        QEventLoop loop;
        QTimer deadline;
        deadline.setSingleShot(true);
        connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
        connect(&recorder, &TCompanionLink::Forgotten, &loop, [&] {
            gone = true;
            loop.quit();
        });
        connect(this, &TCompanionController::RecorderStatus, &loop,
                [&](std::uint32_t code, std::uint32_t value) {
                    if (code != kStatusLoggedPosition)
                        return;
                    position = value;
                    loop.quit();
                });
        deadline.start(timeoutMs);
        loop.exec();
    }
    if (!position) {
        FMain.AddMessage(gone ? u"Kv7WavRecorder went away while waiting for wav file position"_s
                              : u"Timed Out waiting for wav file position"_s);
        if (QStatusBar* bar = FMain.statusBar())
            bar->clearMessage();
    }
    return position;
}

void TCompanionController::ProgramClosing() {
    PostRecorderCommand(kRecorderClosing);
    if (FBtnQd3 && FBtnQd3->isChecked() && Link(TCompanion::Qd3).Linked()) {
        Link(TCompanion::Qd3).Post(kWmClose, 0, 0);
        Link(TCompanion::Qd3).Forget();
        SetQd3Linked(false);
    }
}
