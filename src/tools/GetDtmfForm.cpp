#include "GetDtmfForm.h"

#include "AR5000.h"
#include "HelpContext.h"
#include "Main.h"
#include "MainSheet.h"
#include "Prompt.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

const QString kDefaultLogName = u"DTMF Log.txt"_s;
const QColor kTickColour(0x00, 0x80, 0x00);
constexpr int kMinIntervalSecs = 10;
constexpr int kMaxIntervalSecs = 999;
constexpr int kGapToMainWindow = 10;

} // namespace

TGetDtmfForm::TGetDtmfForm(TMainForm& main)
    : QDialog(&main)
    , FMain(main) {
    setObjectName(u"GetDtmfForm"_s);
    setWindowTitle(u"DTMF"_s);
    setModal(true);
    OpenDocument = OpenWithSystem;
    BuildControls();

    HighlightTimer.setSingleShot(true);
    HighlightTimer.setInterval(kHighlightMs);
    connect(&HighlightTimer, &QTimer::timeout, this,
            [this] { DtmfTimedCheckBox->setPalette(FCheckBoxColours); });
    connect(&DtmfTimer, &QTimer::timeout, this, &TGetDtmfForm::DtmfTimerTick);
    ApplyHelpContexts(this);
}

TGetDtmfForm::~TGetDtmfForm() {
    disconnect(FRxLines);
}

void TGetDtmfForm::BuildControls() {
    auto* menuBar = new QMenuBar(this);
    QMenu* file = menuBar->addMenu(u"&File"_s);
    LogToFile1 = file->addAction(u"&Log To File"_s);
    LogToFile1->setObjectName(u"LogToFile1"_s);
    LogToFile1->setCheckable(true);
    LogToFile1->setEnabled(false);
    ViewLog1 = file->addAction(u"&View Log"_s);
    ViewLog1->setObjectName(u"ViewLog1"_s);
    file->addSeparator();
    Close1 = file->addAction(u"&Close"_s);
    Close1->setObjectName(u"Close1"_s);
    connect(ViewLog1, &QAction::triggered, this,
            [this] { ViewLogFile(this, kDefaultLogName, OpenDocument); });
    connect(Close1, &QAction::triggered, this, &QWidget::close);

    DtmfMemo = new QPlainTextEdit(this);
    DtmfMemo->setObjectName(u"DtmfMemo"_s);
    DtmfMemo->setReadOnly(true);
    DtmfMemo->setMinimumSize(260, 180);

    GetDtmfButton = new QPushButton(u"Get Now"_s, this);
    GetDtmfButton->setObjectName(u"GetDtmfButton"_s);
    GetDtmfButton->setAutoDefault(false);
    connect(GetDtmfButton, &QPushButton::clicked, this, &TGetDtmfForm::GetDtmfButtonClick);

    DtmfTimedCheckBox = new QCheckBox(u"Check DTMF every"_s, this);
    DtmfTimedCheckBox->setObjectName(u"DtmfTimedCheckBox"_s);
    DtmfTimedCheckBox->setToolTip(u"Auto check for DTMF text"_s);
    DtmfTimedCheckBox->setAutoFillBackground(true);
    FCheckBoxColours = DtmfTimedCheckBox->palette();
    connect(DtmfTimedCheckBox, &QCheckBox::toggled, this, &TGetDtmfForm::TimedCheck);

    IntervalSpinEdit = new QSpinBox(this);
    IntervalSpinEdit->setObjectName(u"IntervalSpinEdit"_s);
    IntervalSpinEdit->setRange(kMinIntervalSecs, kMaxIntervalSecs);
    IntervalSpinEdit->setValue(kDefaultIntervalSecs);
    connect(IntervalSpinEdit, &QSpinBox::valueChanged, this,
            [this](int secs) { DtmfTimer.setInterval(secs * IntervalUnitMs); });
    auto* secsLabel = new QLabel(u"Secs."_s, this);

    SpeedButton1 = new QToolButton(this);
    SpeedButton1->setObjectName(u"SpeedButton1"_s);
    SpeedButton1->setToolTip(u"Clear"_s);
    SpeedButton1->setIcon(style()->standardIcon(QStyle::SP_DialogResetButton));
    SpeedButton1->setAutoRaise(true);
    connect(SpeedButton1, &QToolButton::clicked, this, &TGetDtmfForm::ClearClick);

    DtmfStatusBar = new QStatusBar(this);
    DtmfStatusBar->setObjectName(u"DtmfStatusBar"_s);
    DtmfStatusBar->setSizeGripEnabled(false);
    FLog = new TWindowLog(this, LogToFile1, DtmfStatusBar, kDefaultLogName);
    connect(LogToFile1, &QAction::triggered, FLog, &TWindowLog::Toggle);

    auto* controls = new QHBoxLayout;
    controls->addWidget(GetDtmfButton);
    controls->addWidget(DtmfTimedCheckBox);
    controls->addWidget(IntervalSpinEdit);
    controls->addWidget(secsLabel);
    controls->addStretch();
    controls->addWidget(SpeedButton1);
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar);
    layout->setContentsMargins(4, 4, 4, 0);
    layout->addWidget(DtmfMemo, 1);
    layout->addLayout(controls);
    layout->addWidget(DtmfStatusBar);
}

void TGetDtmfForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (FRxLines)
        return;
    // Beside the main window, clear of it, and on its screen; placed now that the size is known.
    int left = FMain.frameGeometry().left() - frameGeometry().width() - kGapToMainWindow;
    if (const QScreen* screen = FMain.screen())
        left = std::max(left, screen->availableGeometry().left());
    move(left, FMain.y());
    TAR5000* driver = FMain.Driver();
    // Level lines would bury the digits.
    FMain.MainSheet()->Widgets().TimerCheckBox->setChecked(false);
    driver->SetLevelOutput(false);
    FRxLines = connect(driver, &TAR5000::RxLine, this, &TGetDtmfForm::RxLine);
    DtmfMemo->clear();
    driver->SetDtmfOutput(1);
    LogToFile1->setEnabled(driver->Connected());
}

void TGetDtmfForm::done(int result) {
    DtmfTimedCheckBox->setChecked(false);
    DtmfTimer.stop();
    if (FRxLines) {
        FMain.Driver()->SetDtmfOutput(0);
        disconnect(FRxLines);
        FRxLines = {};
    }
    if (Logging())
        FLog->Stop();
    QDialog::done(result);
}

void TGetDtmfForm::RxLine(const QString& line) {
    DtmfMemo->appendPlainText(line);
    if (Logging())
        FLog->Write(line + u'\t' + Now().toString(Qt::ISODate));
}

void TGetDtmfForm::GetDtmfButtonClick() {
    if (FMain.Driver()->Connected())
        FMain.Driver()->SetDtmfOutput(1);
}

void TGetDtmfForm::TimedCheck(bool on) {
    if (!on) {
        DtmfTimer.stop();
        return;
    }
    DtmfTimer.start(IntervalSpinEdit->value() * IntervalUnitMs);
}

void TGetDtmfForm::DtmfTimerTick() {
    QPalette ticked = FCheckBoxColours;
    ticked.setColor(DtmfTimedCheckBox->backgroundRole(), kTickColour);
    DtmfTimedCheckBox->setPalette(ticked);
    HighlightTimer.start();
    GetDtmfButtonClick();
}

void TGetDtmfForm::ClearClick() {
    if (Prompt().ConfirmOkCancel(windowTitle(), u"Erase all DTMF results?"_s))
        DtmfMemo->clear();
}
