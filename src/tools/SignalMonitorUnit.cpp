#include "SignalMonitorUnit.h"

#include "AR5000.h"
#include "HelpContext.h"
#include "Main.h"
#include "ProgramFolder.h"
#include "Prompt.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <utility>

using namespace Qt::StringLiterals;

namespace {

const QString kCaption = u"Signal Monitor Setup"_s;
const QString kFileFilter = u"Csv files *.csv (*.csv);;All files *.* (*)"_s;
const QString kHelpText =
    u"To log the signal level of a set of memory channels:\n"
    "1. In the memory window show only the channels to watch (sub-select or filter them).\n"
    "2. Set the minutes between passes, the readings averaged for each channel and the time "
    "between two readings.\n"
    "3. Press Go and name the file; a backup \".bak\" is kept beside it.\n"
    "4. Each pass adds one line to the file. Stop ends the log."_s;

struct TSpinSetting {
    const char16_t* Name;
    int Minimum;
    int Maximum;
    int Step;
    int Default;
};
constexpr TSpinSetting kSampleInterval{u"SpinEditSampleInterval", 1, 65536, 1, 5};
constexpr TSpinSetting kNumSamples{u"SpinEditNumSamples", 1, 65536, 1, 16};
constexpr TSpinSetting kDataPointInterval{u"SpinEditDataPointInterval", 100, 65536, 100, 500};

QSpinBox* MakeSpin(QWidget* parent, const TSpinSetting& setting) {
    auto* spin = new QSpinBox(parent);
    spin->setObjectName(QString::fromUtf16(setting.Name));
    spin->setRange(setting.Minimum, setting.Maximum);
    spin->setSingleStep(setting.Step);
    spin->setValue(setting.Default);
    return spin;
}

QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    return button;
}

QString PassCountText(int passes) {
    return QString::number(passes) + u": Passes Completed"_s;
}

} // namespace

// A run from Go to its end: the pass, the file, and the driver's level hook, which goes back to
// whoever held it before on every way the run ends.
class TFormSignalMonitor::TRun {
public:
    TRun(TAR5000& driver, std::vector<TSignalLogChannel> channels, int points, int minutes,
         std::function<void(const TRxDat&)> levelHook)
        : Driver(driver)
        , Pass(std::move(channels), points)
        , PassMinutes(minutes)
        , MinutesLeft(minutes)
        , KeptHook(std::exchange(driver.OnSignalLevel, std::move(levelHook))) {}
    ~TRun() {
        Driver.OnSignalLevel = std::move(KeptHook);
        File.Close();
    }
    TRun(const TRun&) = delete;
    TRun& operator=(const TRun&) = delete;

    TAR5000& Driver;
    TSignalLogPass Pass;
    TSignalLogFile File;
    // Counted in 64 bits and a tick a minute: minutes x 60000 ms does not fit a timer's int.
    qint64 PassMinutes;
    qint64 MinutesLeft;
    std::function<void(const TRxDat&)> KeptHook;
};

TFormSignalMonitor::TFormSignalMonitor(TMainForm& main, std::unique_ptr<TSignalLogSet> set,
                                       std::function<void()> closeLogWindow, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , FMain(main)
    , FSet(std::move(set))
    , FCloseLogWindow(std::move(closeLogWindow)) {
    setObjectName(u"FormSignalMonitor"_s);
    setWindowTitle(kCaption);
    BuildControls();

    TimerMonitor = new QTimer(this);
    TimerMonitor->setObjectName(u"TimerMonitor"_s);
    TimerMonitor->setTimerType(Qt::PreciseTimer);
    TimerSample = new QTimer(this);
    TimerSample->setObjectName(u"TimerSample"_s);
    TimerSample->setTimerType(Qt::PreciseTimer);

    connect(BitBtnStart, &QPushButton::clicked, this, &TFormSignalMonitor::BitBtnStartClick);
    connect(BitBtnStop, &QPushButton::clicked, this, &TFormSignalMonitor::BitBtnStopClick);
    connect(BitBtnAppMinimise, &QPushButton::clicked, this,
            &TFormSignalMonitor::BitBtnAppMinimiseClick);
    connect(TimerMonitor, &QTimer::timeout, this, &TFormSignalMonitor::TimerMonitorTimer);
    connect(TimerSample, &QTimer::timeout, this, &TFormSignalMonitor::TimerSampleTimer);
    ApplyHelpContexts(this);
}

TFormSignalMonitor::~TFormSignalMonitor() {
    EndRun();
}

void TFormSignalMonitor::BuildControls() {
    HelpLabel = new QLabel(kHelpText, this);
    HelpLabel->setObjectName(u"HelpLabel"_s);
    HelpLabel->setWordWrap(true);

    SpinEditSampleInterval = MakeSpin(this, kSampleInterval);
    SpinEditNumSamples = MakeSpin(this, kNumSamples);
    SpinEditDataPointInterval = MakeSpin(this, kDataPointInterval);

    auto* settings = new QGridLayout;
    settings->addWidget(new QLabel(u"Sample every"_s, this), 0, 0);
    settings->addWidget(SpinEditSampleInterval, 0, 1);
    settings->addWidget(new QLabel(u"Mins"_s, this), 0, 2);
    settings->addWidget(new QLabel(u"Averaged points per sample"_s, this), 1, 0);
    settings->addWidget(SpinEditNumSamples, 1, 1);
    settings->addWidget(new QLabel(u"Interval between data points for average"_s, this), 2, 0);
    settings->addWidget(SpinEditDataPointInterval, 2, 1);
    settings->addWidget(new QLabel(u"ms"_s, this), 2, 2);
    settings->setColumnStretch(3, 1);

    LabelPassCount = new QLabel(PassCountText(0), this);
    LabelPassCount->setObjectName(u"LabelPassCount"_s);
    LabelGettingData = new QLabel(this);
    LabelGettingData->setObjectName(u"LabelGettingData"_s);
    // Its room stays kept, so that showing it during a pass does not squeeze the help text.
    QSizePolicy keepRoom = LabelGettingData->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    LabelGettingData->setSizePolicy(keepRoom);
    LabelGettingData->hide();

    BitBtnStart = MakeButton(this, u"BitBtnStart"_s, u"&Go"_s);
    BitBtnStop = MakeButton(this, u"BitBtnStop"_s, u"Sto&p"_s);
    BitBtnAppMinimise = MakeButton(this, u"BitBtnAppMinimise"_s, u"Minimi&ze"_s);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BitBtnStart);
    buttons->addWidget(BitBtnStop);
    buttons->addStretch(1);
    buttons->addWidget(BitBtnAppMinimise);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(HelpLabel);
    layout->addLayout(settings);
    layout->addWidget(LabelPassCount);
    layout->addWidget(LabelGettingData);
    layout->addStretch(1);
    layout->addLayout(buttons);
}

qint64 TFormSignalMonitor::MinutesToNextPass() const {
    return FRun ? FRun->MinutesLeft : 0;
}

const TSignalLogPass* TFormSignalMonitor::Pass() const {
    return FRun ? &FRun->Pass : nullptr;
}

void TFormSignalMonitor::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (std::exchange(FShown, true))
        return;
    // The log cannot share the receiver: nothing else may send while a pass runs.
    FMain.setEnabled(false);
    if (FCloseLogWindow)
        FCloseLogWindow();
    if (FMain.MemoryWindow().IsVisible())
        FMain.MemoryWindow().SetWindowEnabled(false);
}

void TFormSignalMonitor::closeEvent(QCloseEvent* event) {
    EndRun();
    FMain.setEnabled(true);
    FMain.MemoryWindow().SetWindowEnabled(true);
    QWidget::closeEvent(event);
}

void TFormSignalMonitor::BitBtnStartClick() {
    if (FRun)
        return;
    std::vector<TSignalLogChannel> channels;
    if (FSet)
        channels = FSet->Channels();
    if (channels.empty()) {
        Prompt().Information(kCaption, u"The memory window shows no channel with a frequency. "
                                       "Show the channels to log there first."_s);
        return;
    }
    const QString fileName = Prompt().SaveFileName(
        u"Save Signal Log As"_s, DataFolder(), QString::fromLatin1(kDefaultFileName), kFileFilter);
    if (fileName.isEmpty())
        return;

    const int minutes = SpinEditSampleInterval->value();
    const int points = SpinEditNumSamples->value();
    const int pointMs = SpinEditDataPointInterval->value();
    const qint64 passMs = static_cast<qint64>(channels.size()) * points * pointMs;
    const qint64 periodMs = static_cast<qint64>(minutes) * MinuteMs;
    if (passMs > periodMs) {
        Prompt().Information(
            kCaption,
            u"One pass over %1 channels takes at least %2 s, longer than the %3 minutes between "
            "passes. A pass that falls due while one is still running is left out."_s
                .arg(channels.size())
                .arg((passMs + 999) / 1000)
                .arg(minutes));
    }

    const auto channelCount = static_cast<int>(channels.size());
    FRun = std::make_unique<TRun>(*FMain.Driver(), std::move(channels), points, minutes,
                                  [this](const TRxDat& rec) { SignalLevel(rec); });
    if (!FRun->File.Create(fileName, channelCount)) {
        const QString error = FRun->File.ErrorText();
        FRun.reset();
        Prompt().Error(kCaption, error);
        return;
    }
    SetSetupEnabled(false);
    LabelPassCount->setText(PassCountText(0));
    TimerSample->setInterval(pointMs);
    TimerMonitor->setInterval(MinuteMs);
    TimerMonitor->start();
    setWindowTitle(u"Signal Monitor Running..."_s);
}

void TFormSignalMonitor::BitBtnStopClick() {
    EndRun();
    setWindowTitle(u"Signal Monitor Stopped"_s);
    close();
}

void TFormSignalMonitor::BitBtnAppMinimiseClick() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible())
            window->showMinimized();
    }
}

void TFormSignalMonitor::TimerMonitorTimer() {
    if (!FRun || --FRun->MinutesLeft > 0)
        return;
    FRun->MinutesLeft = FRun->PassMinutes;
    // A pass still running when the next falls due goes on; starting over would throw away the
    // channels already sampled and, with a long pass, never finish a line.
    if (FRun->Pass.Running())
        return;
    StartPass();
}

void TFormSignalMonitor::StartPass() {
    FRun->Pass.Start();
    RecallCurrentChannel();
}

void TFormSignalMonitor::RecallCurrentChannel() {
    const QString mem = FRun->Pass.Current().Mem;
    FRun->Driver.RecallMemory(mem.toInt());
    TimerSample->start();
    LabelGettingData->setText(u"Getting Data Ch: "_s + mem);
    LabelGettingData->show();
}

void TFormSignalMonitor::TimerSampleTimer() {
    if (FRun)
        FRun->Driver.SendCommandUpper(u"LM"_s);
}

void TFormSignalMonitor::SignalLevel(const TRxDat& rec) {
    if (!FRun || !FRun->Pass.Running())
        return;
    const TSignalLogChannel channel = FRun->Pass.Current();
    const std::optional<TSignalLogPass::TChannelDone> done =
        FRun->Pass.AddReading(FRun->Driver.StrToIntSafe(rec.Level));
    if (!done)
        return;
    TimerSample->stop();
    if (!FRun->File.AppendGroup(SignalLogGroup(Clock(), channel, done->Average))) {
        FailRun(FRun->File.ErrorText());
        return;
    }
    if (!done->PassDone) {
        RecallCurrentChannel();
        return;
    }
    if (!FRun->File.EndLine()) {
        FailRun(FRun->File.ErrorText());
        return;
    }
    LabelPassCount->setText(PassCountText(FRun->Pass.Passes()));
    LabelGettingData->hide();
}

void TFormSignalMonitor::EndRun() {
    TimerMonitor->stop();
    TimerSample->stop();
    FRun.reset();
    LabelGettingData->hide();
    SetSetupEnabled(true);
}

void TFormSignalMonitor::FailRun(QString text) {
    EndRun();
    setWindowTitle(u"Signal Monitor Stopped"_s);
    Prompt().Error(kCaption, text + u"\nThe signal log has stopped."_s);
}

void TFormSignalMonitor::SetSetupEnabled(bool on) {
    for (QWidget* control : std::initializer_list<QWidget*>{
             BitBtnStart, SpinEditSampleInterval, SpinEditNumSamples, SpinEditDataPointInterval})
        control->setEnabled(on);
}
