#include "VfoSearch.h"

#include "AR5000.h"
#include "HelpContext.h"
#include "Main.h"
#include "MainSheet.h"
#include "PageWidgets.h"
#include "TuningController.h"
#include "VfoPanelController.h"

#include <QAction>
#include <QCheckBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;
using PageWidgets::Named;

namespace {

constexpr int kResetDelayTenths = 15;

QSpinBox* SpinEdit(QWidget* parent, const QString& name, int maximum, int width) {
    auto* spin = Named(new QSpinBox(parent), name);
    spin->setRange(0, maximum);
    spin->setFixedWidth(width);
    return spin;
}

} // namespace

TSetUpVfoSearchForm::TSetUpVfoSearchForm(TAR5000& driver, int& vfoSearchSquelch, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
    , FDriver(driver)
    , FVfoSearchSquelch(vfoSearchSquelch) {
    setObjectName(u"SetUpVfoSearchForm"_s);
    setWindowTitle(u"Set Up Vfo Search Options"_s);
    auto* column = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    FLevel = SpinEdit(this, u"VfoLevelSqSpinEdit"_s, 255, 56);
    FVoice = SpinEdit(this, u"VfoVoiceLevelSpinEdit"_s, 255, 56);
    FDelay = SpinEdit(this, u"VfoDelayTimeSpinEdit"_s, 99, 48);
    FSquelch = SpinEdit(this, u"VfoSquelchSpinEdit"_s, 255, 56);
    FSquelch->setValue(kDefaultVfoSearchSquelch);
    form->addRow(u"Level Squelch"_s, FLevel);
    form->addRow(u"Voice Level"_s, FVoice);
    auto* delay = new QHBoxLayout;
    delay->addWidget(FDelay);
    delay->addWidget(new QLabel(u"1/10ths Sec"_s, this));
    form->addRow(u"Delay Time"_s, delay);
    form->addRow(u"Squelch for Search"_s, FSquelch);
    column->addLayout(form);
    FCyber = Named(new QCheckBox(u"C&yber Scan"_s, this), u"VfoCyberScanCheckBox"_s,
                   u"Toggle Cyber Scan|"_s);
    column->addWidget(FCyber);
    auto* buttons = new QHBoxLayout;
    auto* ok = Named(new QPushButton(u"&OK"_s, this), u"Button1"_s);
    ok->setDefault(true);
    auto* reset = Named(new QPushButton(u"Reset &All"_s, this), u"Button2"_s);
    auto* cancel = Named(new QPushButton(u"&Cancel"_s, this), u"Button3"_s);
    for (QPushButton* button : {ok, reset, cancel})
        buttons->addWidget(button);
    column->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this, &TSetUpVfoSearchForm::Button1Click);
    connect(reset, &QPushButton::clicked, this, &TSetUpVfoSearchForm::Button2Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(FCyber, &QCheckBox::clicked, this,
            [this](bool checked) { FDriver.SetCyberScan(checked ? 1 : 0); });
    connect(FSquelch, &QSpinBox::valueChanged, this, [this](int value) {
        if (SpectrumVisible && SpectrumVisible())
            FDriver.SetSquelch(value);
    });
    ApplyHelpContexts(this);
}

void TSetUpVfoSearchForm::FormShow() {
    const QSignalBlocker squelch(FSquelch);
    FLevel->setValue(FDriver.GetDB());
    FVoice->setValue(FDriver.GetDA());
    FDelay->setValue(FDriver.GetDD());
    FCyber->setChecked(FDriver.GetDS());
    FSquelch->setValue(FVfoSearchSquelch);
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TSetUpVfoSearchForm::Button1Click() {
    FDriver.SetLevelSquelch(FLevel->value());
    FDriver.SetVoiceSquelch(FVoice->value());
    FDriver.SetDelay(FDelay->value());
    FVfoSearchSquelch = FSquelch->value();
    accept();
}

void TSetUpVfoSearchForm::Button2Click() {
    FLevel->setValue(0);
    FVoice->setValue(0);
    FDelay->setValue(kResetDelayTenths);
    FSquelch->setValue(kDefaultVfoSearchSquelch);
}

// A VFO search in progress on one VFO: the run flag and the driver's frequency event belong to
// it for exactly as long as this lives.
class TVfoSearchController::TRun {
public:
    TRun(TVfoSearchController& owner, QChar letter)
        : Letter(letter)
        , FOwner(owner) {
        FOwner.FContext.RunFlags->SearchRunning = true;
    }
    ~TRun() {
        if (FAbandoned)
            return;
        FOwner.FContext.Driver->OnFrequency = {};
        FOwner.FContext.RunFlags->SearchRunning = false;
    }
    TRun(const TRun&) = delete;
    TRun& operator=(const TRun&) = delete;
    void Abandon() { FAbandoned = true; }

    const QChar Letter;

private:
    TVfoSearchController& FOwner;
    bool FAbandoned = false;
};

TVfoSearchController::TVfoSearchController(const TSearchScanContext& context, QObject* parent)
    : QObject(parent)
    , FContext(context) {
    const TMainSheetWidgets& sheet = FContext.Sheet->Widgets();
    FButton = Named(new QPushButton(u"VfoSrch"_s, sheet.Page), u"VfoSearchButton"_s,
                    u"Right Click for Options|"_s);
    FButton->setCheckable(true);
    FButton->setFocusPolicy(Qt::NoFocus);
    FButton->setGeometry(56, 466, 50, 22);
    FButton->installEventFilter(this);
    FAddPass = Named(new QPushButton(u"+Pass"_s, sheet.Page), u"AddVfoPassFreqButton"_s,
                     u"Add to Pass List"_s);
    FAddPass->setGeometry(108, 466, 38, 22);
    FAddPass->setFocusPolicy(Qt::NoFocus);
    FAddPass->setEnabled(false);
    // The page may already be on screen when these are added.
    FButton->show();
    FAddPass->show();
    FContext.Sheet->Tuning()->AddToAutoTuneGroup(FButton);

    FPopup = Named(new QMenu(sheet.Page), u"VfoOptionsPopupMenu"_s);
    QAction* options = Named(FPopup->addAction(u"Vfo Search Options"_s), u"VfoSearchOptions"_s);
    // The pass lists take it over once they exist.
    Named(FPopup->addAction(u"Show Vfo Pass Freqs"_s), u"ShowVfoPassFreqs"_s)->setEnabled(false);
    connect(options, &QAction::triggered, this, [this] { VfoSearchOptionsClick(true); });
    for (QAction* menu : FContext.Form->menuBar()->actions()) {
        if (menu->text() == u"&Setup"_s && menu->menu()) {
            QAction* item =
                Named(menu->menu()->addAction(u"&Vfo Search Options"_s), u"VfoSearchOptions1"_s);
            connect(item, &QAction::triggered, this, [this] { VfoSearchOptionsClick(false); });
        }
    }
    connect(FButton, &QPushButton::clicked, this, &TVfoSearchController::VfoSearchButtonClick);
}

TVfoSearchController::~TVfoSearchController() {
    if (FRunning)
        FRunning->Abandon();
}

bool TVfoSearchController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == FButton && event->type() == QEvent::MouseButtonPress) {
        const auto* mouse = static_cast<const QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton) {
            FPopup->popup(mouse->globalPosition().toPoint());
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void TVfoSearchController::VfoSearchButtonClick(bool down) {
    TAR5000* driver = FContext.Driver;
    const QChar letter = FRunning ? FRunning->Letter : FContext.State().CurrentVfo;
    if (!FContext.Connected() || letter == u'M') {
        FButton->setChecked(false);
        return;
    }
    TVfoPanelController* panel = FContext.Sheet->VfoPanel();
    if (down) {
        if (FRunning || FContext.RunFlags->SearchRunning || FContext.RunFlags->ScanRunning) {
            FButton->setChecked(static_cast<bool>(FRunning));
            return;
        }
        FRunning = std::make_unique<TRun>(*this, letter);
        driver->SetLevelOutput(true);
        driver->OnFrequency = [this](const TRxDat& rec) {
            VfoSearchHit(rec);
        };
        driver->SetSquelch(VfoSearchSquelch);
        FContext.StopSignalPolling();
        panel->SetVfoPanelEnabled(false);
        driver->SetVfoSearch(letter);
        return;
    }
    if (!FRunning)
        return;
    FButton->setChecked(false);
    driver->SetLevelOutput(false);
    driver->OnFrequency = {};
    FAddPass->setEnabled(false);
    FRunning.reset();
    panel->SetVfoPanelEnabled(true);
    driver->ChangeVfo(letter);
    FContext.Hits->RunStopped(THitSource::VfoSearch);
}

void TVfoSearchController::VfoSearchHit(const TRxDat& rec) {
    if (!FRunning)
        return;
    TVfoPanelController* panel = FContext.Sheet->VfoPanel();
    panel->Box(FRunning->Letter)->setText(FormatFrequencyText(rec.Freq));
    FAddPass->setEnabled(true);
    FContext.Hits->HitShown(THitSource::VfoSearch,
                            THit{rec, FContext.Driver->StrToIntSafe(rec.Level), -1, {}});
}

void TVfoSearchController::VfoSearchOptionsClick(bool needsRemote) {
    TAR5000* driver = FContext.Driver;
    if (!driver->Connected() || (needsRemote && !driver->Remote()))
        return;
    TSetUpVfoSearchForm form(*driver, VfoSearchSquelch, FContext.Form);
    form.FormShow();
    form.exec();
}

void TVfoSearchController::LinkGone() {
    if (!FRunning)
        return;
    FButton->setChecked(false);
    FAddPass->setEnabled(false);
    FRunning.reset();
    FContext.Sheet->VfoPanel()->SetVfoPanelEnabled(true);
    FContext.Hits->RunStopped(THitSource::VfoSearch);
    FContext.AddMessage(u"Vfo search stopped: the link to the receiver was lost"_s);
}

void TVfoSearchController::ResetToIdle() {
    FRunning.reset();
    FButton->setChecked(false);
    FAddPass->setEnabled(false);
}
