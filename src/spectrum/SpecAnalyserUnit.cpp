#include "SpecAnalyserUnit.h"

#include "AR5000.h"
#include "FormPlacement.h"
#include "HelpContext.h"
#include "HelpFile.h"
#include "IniFile.h"
#include "Levels.h"
#include "LinkController.h"
#include "Main.h"
#include "MainSheet.h"
#include "NumberText.h"
#include "ProgramFolder.h"
#include "Prompt.h"
#include "UpDown.h"
#include "VfoPanelController.h"
#include "VfoSearch.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QSaveFile>
#include <QScopedValueRollback>
#include <QScreen>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>

#include <array>
#include <type_traits>

using namespace Qt::StringLiterals;

namespace {

constexpr int kHiFreqLabelMargin = 10;
constexpr int kDefaultLeft = 10;
constexpr int kDefaultTop = 10;
constexpr int kDefaultGap = 30;
constexpr int kHintOffset = 20;

template <typename T> T* Named(T* object, const QString& name, const QString& hint = {}) {
    object->setObjectName(name);
    if constexpr (std::is_base_of_v<QWidget, T>) {
        if (!hint.isEmpty())
            object->setToolTip(hint);
    }
    return object;
}

QLabel* ColouredLabel(QWidget* parent, const QString& name, const QColor& colour,
                      const QString& text = {}) {
    auto* label = Named(new QLabel(text, parent), name);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    return label;
}

void PaintBlack(QWidget* widget, const QColor& colour = Qt::black) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

// The picture formats a saved picture may have, by upper-cased extension.
struct TPictureFormat {
    const char16_t* Extension;
    const char* Format;
};
constexpr std::array<TPictureFormat, 2> kPictureFormats = {{{u".BMP", "BMP"}, {u".JPG", "JPG"}}};

} // namespace

// A sweep in progress: the run flag, the driver's frequency event and the main window's
// disabled state belong to it for exactly as long as it lives, and OnVfoData stays detached.
// The main window must outlive it.
class TSpecAnalyserForm::TRun {
public:
    explicit TRun(TMainForm& main)
        : FMain(main)
        , FFlag(main.RunFlags().SweepRunning, true)
        , FUnhooked(*main.MainSheet()->VfoPanel()) {}
    ~TRun() {
        FMain.Driver()->OnFrequency = {};
        FMain.setEnabled(true);
    }
    TRun(const TRun&) = delete;
    TRun& operator=(const TRun&) = delete;

private:
    TMainForm& FMain;
    QScopedValueRollback<bool> FFlag;
    TVfoDataUnhooked FUnhooked;
};

TSpecAnalyserForm::TSpecAnalyserForm(TMainForm& main, TSweepNeighbours neighbours, QWidget* parent)
    : QMainWindow(parent)
    , FMain(main)
    , FNeighbours(std::move(neighbours)) {
    setObjectName(u"SpecAnalyserForm"_s);
    setWindowTitle(u"Spectrum Sweep"_s);
    BuildControls();
    BuildMenus();
    Wire();
    FPicture.Surface().SetTarget(PaintBox1);
    FPicture.GridLabelFont = LowFreqLabel->font();
    FPicture.Reading = [this] {
        return TReceiverReading{MeterAttenuationDb, FMain.Driver()->CurrentRecord().Freq};
    };
    const QRect defaults = DefaultGeometry();
    resize(defaults.size());
    RestoreFormPlacement(this, defaults.x(), defaults.y(), TIniFile(SettingsFileName()),
                         defaults.height(), defaults.width());
    ApplyHelpContexts(this);
}

TSpecAnalyserForm::~TSpecAnalyserForm() {
    qApp->removeEventFilter(this);
}

void TSpecAnalyserForm::BuildControls() {
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* strip = new QWidget(central);
    PaintBlack(strip);
    auto* limits = new QHBoxLayout(strip);
    limits->setContentsMargins(2, 0, kHiFreqLabelMargin, 0);
    LowFreqLabel = ColouredLabel(strip, u"LowFreqLabel"_s, Qt::yellow);
    HiFreqLabel = ColouredLabel(strip, u"HiFreqLabel"_s, Qt::yellow);
    limits->addWidget(LowFreqLabel);
    limits->addStretch(1);
    limits->addWidget(HiFreqLabel);
    column->addWidget(strip);

    PaintBox1 = Named(new QWidget(central), u"PaintBox1"_s,
                      u"To tune Vfo A, stop sweep and double click\r\n"
                      "Signal strength approximate only"_s);
    PaintBlack(PaintBox1);
    PaintBox1->setMouseTracking(true);
    PaintBox1->setMinimumSize(1, 1);
    PaintBox1->installEventFilter(this);
    column->addWidget(PaintBox1, 1);

    Panel2 = Named(new QFrame(central), u"Panel2"_s, u"Right Click Sweep Options"_s);
    Panel2->setFrameShape(QFrame::StyledPanel);
    Panel2->setMouseTracking(true);
    Panel2->installEventFilter(this);
    auto* row = new QHBoxLayout(Panel2);
    row->setContentsMargins(4, 2, 4, 2);
    SARunSpeedButton =
        Named(new QPushButton(u"Sweep"_s, Panel2), u"SARunSpeedButton"_s, u"S Toggles"_s);
    SARunSpeedButton->setCheckable(true);
    SARunSpeedButton->setFocusPolicy(Qt::NoFocus);
    row->addWidget(SARunSpeedButton);
    SpeedButton1 = Named(new QToolButton(Panel2), u"SpeedButton1"_s, u"Help"_s);
    SpeedButton1->setText(u"?"_s);
    SpeedButton1->setAutoRaise(true);
    SpeedButton2 = Named(new QToolButton(Panel2), u"SpeedButton2"_s, u"Close"_s);
    SpeedButton2->setText(u"X"_s);
    SpeedButton2->setAutoRaise(true);
    row->addWidget(SpeedButton1);
    row->addWidget(SpeedButton2);

    struct TBoxSpec {
        QCheckBox** Box;
        const char16_t* Name;
        const char16_t* Caption;
        const char16_t* Hint;
    };
    const std::array<TBoxSpec, 6> boxes = {{
        {&ShowHGraticulesCheckBox, u"ShowHGraticulesCheckBox", u"&H Grid", u"Show horizontal grid"},
        {&ShowVGraticulesCheckBox, u"ShowVGraticulesCheckBox", u"&V Grid", u"Show vertical grid"},
        {&ShowTextCheckBox, u"ShowTextCheckBox", u"&Text", u"Show frequency idents"},
        {&CyberScanCheckBox, u"CyberScanCheckBox", u"C&yber Sweep", u"AR5000 fast search"},
        {&ClearCheckBox, u"ClearCheckBox", u"&Clear 10 secs", u"Clear display every 10 seconds"},
        {&cbPause, u"cbPause", u"&Pause on hit", u"Pause on hit\r\nelse auto continue"},
    }};
    for (const TBoxSpec& spec : boxes) {
        *spec.Box = Named(new QCheckBox(QString::fromUtf16(spec.Caption), Panel2),
                          QString::fromUtf16(spec.Name), QString::fromUtf16(spec.Hint));
        row->addWidget(*spec.Box);
    }
    row->addStretch(1);

    auto* readOut = new QFrame(Panel2);
    PaintBlack(readOut, QColor(0, 128, 0));
    auto* readOutRow = new QHBoxLayout(readOut);
    readOutRow->setContentsMargins(4, 1, 4, 1);
    FreqLabel = Named(ColouredLabel(readOut, u"FreqLabel"_s, Qt::yellow, u"####.######"_s),
                      u"FreqLabel"_s, u"Mouse Freq"_s);
    CurrentFreqLabel =
        Named(ColouredLabel(readOut, u"CurrentFreqLabel"_s, QColor(0, 255, 0), u"####.######"_s),
              u"CurrentFreqLabel"_s, u"Last hit"_s);
    // The read-out keeps its width whatever it shows, so the window does not jump about.
    for (QLabel* label : {FreqLabel, CurrentFreqLabel})
        label->setFixedWidth(label->fontMetrics().horizontalAdvance(u"  8888.888888 "_s));
    readOutRow->addWidget(FreqLabel);
    readOutRow->addWidget(CurrentFreqLabel);
    row->addWidget(readOut);
    column->addWidget(Panel2);
    setCentralWidget(central);

    FHintWindow = Named(new QLabel(this, Qt::ToolTip), u"HintWindow"_s);
    FHintWindow->setPalette(QToolTip::palette());
    FHintWindow->setAutoFillBackground(true);
    FHintWindow->hide();

    Timer1 = Named(new QTimer(this), u"Timer1"_s);
    Timer1->setInterval(kClearMs);
    tmrUpdateAfterResize = Named(new QTimer(this), u"tmrUpdateAfterResize"_s);
    tmrUpdateAfterResize->setInterval(kResizeSettleMs);
    tmrCloseHintWindow = Named(new QTimer(this), u"tmrCloseHintWindow"_s);
    tmrCloseHintWindow->setInterval(kHintShownMs);
}

void TSpecAnalyserForm::BuildMenus() {
    QMenu* file = menuBar()->addMenu(u"&File"_s);
    QAction* save = Named(file->addAction(u"&Save Image"_s), u"SaveImage1"_s);
    QAction* close = Named(file->addAction(u"&Close"_s), u"Close1"_s);
    QMenu* edit = menuBar()->addMenu(u"&Edit"_s);
    QAction* copy = Named(edit->addAction(u"Copy (Ctrl-C)"_s), u"Copy1"_s);
    edit->addSeparator();
    QAction* defaults =
        Named(edit->addAction(u"Default Size / Position (Ctrl-D)"_s), u"DefaultSizePosition1"_s);
    connect(save, &QAction::triggered, this, &TSpecAnalyserForm::SaveImage1Click);
    connect(close, &QAction::triggered, this, &QWidget::close);
    connect(copy, &QAction::triggered, this, &TSpecAnalyserForm::Copy1Click);
    connect(defaults, &QAction::triggered, this, &TSpecAnalyserForm::DefaultSizePosition1Click);
}

void TSpecAnalyserForm::Wire() {
    connect(SARunSpeedButton, &QPushButton::clicked, this,
            &TSpecAnalyserForm::SARunSpeedButtonClick);
    connect(SpeedButton1, &QToolButton::clicked, this,
            [this] { ShowHelpContext(windowTitle(), kHelpContext); });
    connect(SpeedButton2, &QToolButton::clicked, this, &QWidget::close);
    connect(ShowHGraticulesCheckBox, &QCheckBox::clicked, this,
            &TSpecAnalyserForm::GridCheckBoxClick);
    connect(ShowVGraticulesCheckBox, &QCheckBox::clicked, this,
            &TSpecAnalyserForm::GridCheckBoxClick);
    connect(ShowTextCheckBox, &QCheckBox::clicked, this, &TSpecAnalyserForm::ShowTextCheckBoxClick);
    connect(CyberScanCheckBox, &QCheckBox::clicked, this,
            &TSpecAnalyserForm::CyberScanCheckBoxClick);
    connect(ClearCheckBox, &QCheckBox::clicked, this, &TSpecAnalyserForm::ClearCheckBoxClick);
    connect(cbPause, &QCheckBox::clicked, this, &TSpecAnalyserForm::cbPauseClick);
    connect(Timer1, &QTimer::timeout, this, &TSpecAnalyserForm::Timer1Timer);
    connect(tmrUpdateAfterResize, &QTimer::timeout, this,
            &TSpecAnalyserForm::tmrUpdateAfterResizeTimer);
    connect(tmrCloseHintWindow, &QTimer::timeout, this, &TSpecAnalyserForm::HideReadOut);
    // A sweep whose link is gone has nothing left to stop on the receiver.
    const auto linkGone = [this] {
        if (FRun)
            StopSweep();
    };
    connect(FMain.Driver(), &TAR5000::LinkLost, this, linkGone);
    connect(FMain.Link(), &TLinkController::LinkClosed, this, linkGone);
    // Keys reach the window before the focused control.
    qApp->installEventFilter(this);
}

QRect TSpecAnalyserForm::DefaultGeometry() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int screenWidth = screen ? screen->availableGeometry().width() : 1024;
    return {kDefaultLeft, kDefaultTop, std::max(200, screenWidth - FMain.width() - kDefaultGap),
            std::max(150, FMain.height())};
}

void TSpecAnalyserForm::Tell(const QString& text) const {
    Prompt().Information(windowTitle(), text);
}

// ---------------------------------------------------------------------------------------------
// Set-up

void TSpecAnalyserForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TSpecAnalyserForm::FormShow() {
    TAR5000* driver = FMain.Driver();
    TVfoPanelController* panel = FMain.MainSheet()->VfoPanel();
    if (driver->Connected()) {
        const TVfoDataUnhooked unhooked(*panel);
        CyberScanCheckBox->setChecked(driver->GetDS());
    }
    LowFreqLabel->setText(panel->Box(u'A')->text());
    HiFreqLabel->setText(panel->Box(u'B')->text());
    LowFreqLabel->show();
    HiFreqLabel->show();
    FreqLabel->clear();
    CurrentFreqLabel->clear();
    FreqLabel->show();
    if (driver->Connected() && !FRun)
        SetUpSweep();
}

bool TSpecAnalyserForm::SetUpSweep() {
    TAR5000* driver = FMain.Driver();
    TVfoPanelController* panel = FMain.MainSheet()->VfoPanel();
    const TMainSheetWidgets& sheet = FMain.MainSheet()->Widgets();
    panel->ResetPanelColours();
    {
        const TVfoDataUnhooked unhooked(*panel);
        TRxDat rec;
        if (driver->SetVfo(u'A', rec))
            panel->Box(u'A')->setText(panel->FormatFrequency(rec.Freq));
        driver->SetSquelch(sheet.SquelchUpDown[0]->Position());
        if (driver->GetExtraVfoData(rec))
            panel->ShowRxDat(rec);
    }
    panel->MakeCurrent(u'A');

    QLineEdit* boxA = panel->Box(u'A');
    QLineEdit* boxB = panel->Box(u'B');
    const double vfoA = panel->ShownFrequency(u'A').value_or(0.0);
    const double vfoB = panel->ShownFrequency(u'B').value_or(0.0);
    const TSweepSetUp setUp = ComputeSweepScale(vfoA, vfoB, panel->StepText());
    const bool swapped = vfoB < vfoA;
    LowFreqLabel->setText((swapped ? boxB : boxA)->text());
    HiFreqLabel->setText((swapped ? boxA : boxB)->text());
    FSweepStartVfoA = vfoA;
    if (!setUp.Scale) {
        FMain.setEnabled(true);
        Tell(setUp.Refusal);
        SARunSpeedButton->setChecked(false);
        return false;
    }
    FPicture.SetScale(*setUp.Scale);
    UpdateGridOptions();
    return true;
}

void TSpecAnalyserForm::UpdateGridOptions() {
    if (FPicture.Scale().StepCount == 0)
        return;
    const TGridFit fit = GridOptionsFit(PaintBox1->width(), FPicture.Scale().StepCount);
    const auto allow = [](QCheckBox* box, bool fits) {
        if (!fits)
            box->setChecked(false);
        box->setEnabled(fits);
    };
    allow(ShowVGraticulesCheckBox, fit.VGrid);
    allow(ShowTextCheckBox, fit.Text);
    FPicture.VGrid = ShowVGraticulesCheckBox->isChecked();
    FPicture.Text = ShowTextCheckBox->isChecked();
}

void TSpecAnalyserForm::CreateLabelFont() {
    FPicture.CreateLabelFont(PaintBox1->width());
}

// ---------------------------------------------------------------------------------------------
// Start and stop

void TSpecAnalyserForm::PrepareOtherWindows() {
    if (FNeighbours.StopPriority)
        FNeighbours.StopPriority();
    if (FMain.MemoryWindow().IsVisible())
        FMain.MemoryWindow().Toggle(-1);
    if (FNeighbours.CloseLogWindow)
        FNeighbours.CloseLogWindow();
    CurrentFreqLabel->clear();
}

void TSpecAnalyserForm::SARunSpeedButtonClick(bool down) {
    const TRunFlags& flags = FMain.RunFlags();
    if (!FRun && (flags.ScanRunning || flags.SearchRunning || flags.SelectScanRunning)) {
        SARunSpeedButton->setChecked(false);
        SARunSpeedButton->setText(u"Sweep"_s);
        Tell(u"Stop scan or search first"_s);
        return;
    }
    if (down && !FMain.Driver()->Connected()) {
        SARunSpeedButton->setChecked(false);
        return;
    }
    SARunSpeedButton->setChecked(down);
    PrepareOtherWindows();
    if (down) {
        if (!FRun)
            StartSweep();
    } else if (FRun) {
        StopSweep();
    }
}

void TSpecAnalyserForm::StartSweep() {
    TAR5000* driver = FMain.Driver();
    TVfoPanelController* panel = FMain.MainSheet()->VfoPanel();
    if (FVfoARetuned && panel->ShownFrequency(u'A').value_or(0.0) != FSweepStartVfoA) {
        const QString question =
            u"Limit frequency in VfoA is now set to: %1 MHz\r\n\r\nReset original frequency: "
            "%2 MHz?"_s.arg(panel->Box(u'A')->text().trimmed(),
                            panel->FormatFrequency(FSweepStartVfoA).trimmed());
        FVfoARetuned = false;
        if (Prompt().Confirm(windowTitle(), question)) {
            driver->SetFrequency(u'A', FSweepStartVfoA);
            panel->Box(u'A')->setText(panel->FormatFrequency(FSweepStartVfoA));
        }
    }
    FPicture.ClearHits();
    if (!SetUpSweep())
        return;
    SARunSpeedButton->setText(u"Stop"_s);
    FRun = std::make_unique<TRun>(FMain);
    FPicture.ClearPicture(false);
    driver->SetLevelOutput(true);
    driver->OnFrequency = [this](const TRxDat& rec) {
        SweepHit(rec);
    };
    driver->SetSquelch(FNeighbours.VfoSearchSquelch ? FNeighbours.VfoSearchSquelch()
                                                    : kDefaultVfoSearchSquelch);
    FMain.MainSheet()->Widgets().TimerCheckBox->setChecked(false);
    FMain.setEnabled(false);
    driver->SetVfoSearch(u'A');
    CreateLabelFont();
    if (ClearCheckBox->isChecked())
        Timer1->start();
    else
        Timer1->stop();
    // A link lost on the way leaves nothing to sweep with: the stop path puts everything back.
    if (!driver->Connected()) {
        SARunSpeedButton->setChecked(false);
        StopSweep();
    }
}

void TSpecAnalyserForm::StopSweep() {
    TAR5000* driver = FMain.Driver();
    SARunSpeedButton->setChecked(false);
    SARunSpeedButton->setText(u"Sweep"_s);
    Timer1->stop();
    if (driver->Connected()) {
        driver->SetLevelOutput(false);
        driver->OnFrequency = {};
        FMain.setEnabled(true);
        driver->ChangeVfo(u'A');
    }
    FRun.reset();
}

void TSpecAnalyserForm::ToggleSweep() {
    SARunSpeedButton->toggle();
    SARunSpeedButtonClick(SARunSpeedButton->isChecked());
}

void TSpecAnalyserForm::SweepHit(const TRxDat& rec) {
    if (!FRun)
        return;
    FPicture.PlotHit(rec.Freq, FMain.Driver()->StrToIntSafe(rec.Level), true);
    CurrentFreqLabel->setText(FMain.MainSheet()->VfoPanel()->FormatFrequency(rec.Freq));
    if (!cbPause->isChecked())
        FMain.Driver()->StepUp();
}

void TSpecAnalyserForm::cbPauseClick(bool checked) {
    if (!checked && FRun)
        FMain.Driver()->StepUp();
}

void TSpecAnalyserForm::ClearCheckBoxClick(bool checked) {
    if (checked && FRun)
        Timer1->start();
    else
        Timer1->stop();
}

void TSpecAnalyserForm::Timer1Timer() {
    FPicture.ClearPicture(true);
}

void TSpecAnalyserForm::CyberScanCheckBoxClick(bool checked) {
    FMain.Driver()->SetCyberScan(checked ? 1 : 0);
}

void TSpecAnalyserForm::GridCheckBoxClick(bool checked) {
    FPicture.HGrid = ShowHGraticulesCheckBox->isChecked();
    FPicture.VGrid = ShowVGraticulesCheckBox->isChecked();
    if (checked) {
        FPicture.DrawGraticules();
        FPicture.Surface().Paint();
    } else {
        FPicture.RedrawSweep();
    }
}

void TSpecAnalyserForm::ShowTextCheckBoxClick() {
    FPicture.Text = ShowTextCheckBox->isChecked();
    FPicture.RedrawSweep();
}

// ---------------------------------------------------------------------------------------------
// Mouse, keys and size

void TSpecAnalyserForm::PaintBox1MouseMove(QPoint pixel) {
    const TReadOut readOut = FPicture.ReadOut(pixel);
    FreqLabel->setText(FMain.MainSheet()->VfoPanel()->FormatFrequency(readOut.FreqMHz));
    if (!readOut.Hint) {
        HideReadOut();
        return;
    }
    FHintWindow->setText(*readOut.Hint);
    FHintWindow->adjustSize();
    FHintWindow->resize(FHintWindow->width(), FHintWindow->height() + 2);
    const QPoint global = PaintBox1->mapToGlobal(pixel);
    FHintWindow->move(global + QPoint(kHintOffset, -kHintOffset));
    FHintWindow->show();
    tmrCloseHintWindow->start();
}

void TSpecAnalyserForm::HideReadOut() {
    FHintWindow->hide();
    tmrCloseHintWindow->stop();
}

void TSpecAnalyserForm::ClearReadOut() {
    FreqLabel->clear();
    HideReadOut();
}

void TSpecAnalyserForm::PaintBox1DblClick() {
    if (FRun)
        return;
    const std::optional<double> mhz = ParseNumber(FreqLabel->text());
    if (!mhz)
        return;
    TVfoPanelController* panel = FMain.MainSheet()->VfoPanel();
    FMain.Driver()->SetFrequency(u'A', *mhz);
    panel->Box(u'A')->setText(panel->FormatFrequency(*mhz));
    FVfoARetuned = true;
}

bool TSpecAnalyserForm::FormKeyDown(int key, Qt::KeyboardModifiers modifiers) {
    const bool control = modifiers.testFlag(Qt::ControlModifier);
    if (control && key == Qt::Key_C) {
        Copy1Click();
        return true;
    }
    if (control && key == Qt::Key_D) {
        DefaultSizePosition1Click();
        return true;
    }
    if (key == Qt::Key_S) {
        ToggleSweep();
        return true;
    }
    return false;
}

bool TSpecAnalyserForm::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == this) {
            const auto* key = static_cast<QKeyEvent*>(event);
            return FormKeyDown(key->key(), key->modifiers());
        }
        break;
    }
    case QEvent::MouseMove:
        if (watched == PaintBox1) {
            PaintBox1MouseMove(static_cast<QMouseEvent*>(event)->position().toPoint());
        } else if (watched == Panel2) {
            ClearReadOut();
        }
        break;
    case QEvent::Leave:
        // The bottom panel's controls do not track the mouse: leaving the drawing is enough.
        if (watched == PaintBox1)
            ClearReadOut();
        break;
    case QEvent::MouseButtonDblClick:
        if (watched == PaintBox1)
            PaintBox1DblClick();
        break;
    case QEvent::MouseButtonPress:
        if (watched == Panel2 && FNeighbours.VfoOptionsPopupMenu &&
            static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
            FNeighbours.VfoOptionsPopupMenu->popup(
                static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
            return true;
        }
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TSpecAnalyserForm::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (!FResized) {
        FResized = true;
        FPicture.Surface().Clear();
    }
    tmrUpdateAfterResize->start();
}

void TSpecAnalyserForm::tmrUpdateAfterResizeTimer() {
    tmrUpdateAfterResize->stop();
    UpdateGridOptions();
    CreateLabelFont();
    FPicture.RedrawSweep();
}

// ---------------------------------------------------------------------------------------------
// Pictures and placement

void TSpecAnalyserForm::Copy1Click() {
    FPicture.Surface().CopyToClipboard();
}

void TSpecAnalyserForm::DefaultSizePosition1Click() {
    const QRect defaults = DefaultGeometry();
    resize(defaults.size());
    move(defaults.topLeft());
}

void TSpecAnalyserForm::SaveImage1Click() {
    if (FRun) {
        SARunSpeedButton->setChecked(false);
        SARunSpeedButtonClick(false);
    }
    const QString fileName =
        Prompt().SaveFileName(u"Save Image"_s, DataFolder(), u"Kv7Spectrum1.jpg"_s,
                              u"jpg Files *.jpg (*.jpg);;bmp files *.bmp (*.bmp)"_s);
    if (fileName.isEmpty())
        return;
    SavePicture(QFileInfo(fileName).suffix().isEmpty() ? fileName + u".jpg"_s : fileName);
}

bool TSpecAnalyserForm::SavePicture(const QString& fileName) {
    const QString extension = u'.' + QFileInfo(fileName).suffix().toUpper();
    const auto* format =
        std::find_if(kPictureFormats.begin(), kPictureFormats.end(),
                     [&](const TPictureFormat& f) { return extension == f.Extension; });
    if (format == kPictureFormats.end()) {
        Tell(u"Pictures are saved as .jpg or .bmp files: nothing was saved as %1"_s.arg(
            QFileInfo(fileName).fileName()));
        return false;
    }
    QImage picture;
    FPicture.Surface().CopyToBitmap(picture);
    // Written beside the target and renamed when complete: a failed save leaves no broken file.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || !picture.save(&file, format->Format) ||
        !file.commit()) {
        Tell(u"The picture could not be saved as %1: %2"_s.arg(fileName, file.errorString()));
        return false;
    }
    return true;
}

void TSpecAnalyserForm::closeEvent(QCloseEvent* event) {
    if (FRun) {
        FMain.Driver()->OnFrequency = {};
        SARunSpeedButton->setChecked(false);
        SARunSpeedButtonClick(false);
    }
    if (!FMain.isEnabled())
        FMain.setEnabled(true);
    HideReadOut();
    TIniFile ini(SettingsFileName());
    SaveFormPlacement(this, ini);
    event->accept();
}
