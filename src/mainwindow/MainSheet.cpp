#include "MainSheet.h"

#include "EnterEditNoMove.h"
#include "Hints.h"
#include "KeyPreview.h"
#include "LinkController.h"
#include "PageController.h"
#include "SquelchController.h"
#include "TuningController.h"
#include "UpDown.h"
#include "VfoDropTarget.h"
#include "VfoPanelController.h"
#include "VolumeController.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

struct TPlace {
    const char16_t* Name;
    int X;
    int Y;
    int Width;
    int Height;
};

// The page is laid out once: the window has a fixed size. Rows of VFO boxes and selectors are
// placed by the loops below; everything else here (positions inside Panel1 are Panel1's own).
constexpr int kVfoRowTop = 107;
constexpr int kVfoRowPitch = 24;
constexpr int kBoxHeight = 22;
constexpr int kSelectorTop = 308;
constexpr int kSelectorPitch = 22;
constexpr int kSelectorHeight = 21;

constexpr TPlace kPlaces[] = {
    {u"Panel5", 7, 2, 186, 72},
    {u"TimerCheckBox", 4, 76, 58, 18},
    {u"FreqUpdateCheckBox", 62, 76, 50, 18},
    {u"PriorityCheckBox1", 114, 76, 32, 18},
    {u"PriorityDisplayEdit", 148, 76, 30, 18},
    {u"SquelchLabel", 146, 95, 52, 12},
    {u"EnterEdit1", 12, 229, 121, kBoxHeight},
    {u"KeyHintF4", 134, 229, 16, kBoxHeight},
    {u"FrqEditLabel", 151, 229, 47, kBoxHeight},
    {u"Panel1", 2, 253, 196, 52},
    {u"Label18", 2, 3, 29, 22},
    {u"MemEdit", 31, 3, 32, kBoxHeight},
    {u"KeyHintMF3", 64, 3, 21, kBoxHeight},
    {u"MemTextEdit", 85, 3, 63, kBoxHeight},
    {u"SquelchEditM", 149, 4, 30, 20},
    {u"SquelchUpDownM", 179, 4, 15, 20},
    {u"FrqEditM", 10, 27, 121, kBoxHeight},
    {u"MemTableButton", 135, 27, 59, kBoxHeight},
    {u"VolTypeSelectCheckBox", 181, 308, 18, 18},
    {u"VolLabel", 178, 326, 22, 11},
    {u"VolumeControlTrackBar", 180, 337, 18, 90},
    {u"VolumeIndicatorLabel", 178, 427, 22, 11},
    {u"StOffsetBox", 2, 442, 48, 22},
    {u"UpdateSpeedButton", 50, 442, 46, 22},
    {u"AutoSetSpeedButton", 97, 442, 34, 22},
    {u"btnAFC", 132, 442, 66, 22},
    {u"LockDownTuneSpeedButton", 2, 466, 25, 22},
    {u"LockUpTuneSpeedButton", 29, 466, 25, 22},
    {u"btnQd3", 56, 466, 25, 22},
    {u"PowerOffButton", 148, 466, 50, 22},
    {u"OpenPortButton", 2, 490, 70, 24},
    {u"ToggleRemoteSpeedButton", 74, 490, 70, 24},
    {u"LogTableButton", 146, 490, 52, 24},
};

// Selector grid: two columns of label + list; row 4 of the left column is the step pair.
constexpr int kLeftLabelX = 2;
constexpr int kLeftLabelWidth = 38;
constexpr int kLeftListX = 40;
constexpr int kLeftListWidth = 49;
constexpr int kRightLabelX = 91;
constexpr int kRightLabelWidth = 40;
constexpr int kRightListX = 131;
constexpr int kRightListWidth = 47;

struct TGridCell {
    std::size_t Selector;
    int Row;
    bool Right;
    // The label's own name where other code looks it up; else the list's name with "Label".
    const char16_t* LabelName = nullptr;
};

constexpr TGridCell kGrid[] = {
    {kSelMode, 0, false},
    {kSelBandwidth, 0, true},
    {kSelAntenna, 1, false},
    {kSelAtten, 1, true},
    {kSelAgc, 2, false},
    {kSelDeEmphasis, 2, true},
    {kSelLowPass, 3, false},
    {kSelHighPass, 3, true},
    {kSelSubStep, 4, true},
    {kSelCtcss, 5, false, u"Label40"},
    {kSelDescrambler, 5, true, u"Label49"},
};
constexpr int kStepRow = 4;

constexpr char16_t kListStyle[] =
    u"QComboBox { background: black; color: #00ff00; border: 1px solid #404040; padding: 0 2px; }"
    u"QComboBox::drop-down { width: 11px; border: none; background: #202020; }"
    u"QComboBox::down-arrow { image: none; border-left: 3px solid transparent;"
    u" border-right: 3px solid transparent; border-top: 4px solid #00ff00; width: 0; height: 0; }"
    u"QComboBox QAbstractItemView { background: black; color: #00ff00;"
    u" selection-background-color: #008000; }";
constexpr char16_t kTinyLabelStyle[] = u"QLabel { background: black; color: #00ff00; }";
constexpr char16_t kKeyHintStyle[] = u"QLabel { color: #505050; }";

template <typename T> T* Named(T* widget, const QString& name, const QString& hint = {}) {
    widget->setObjectName(name);
    if (!hint.isEmpty())
        SetHint(widget, hint);
    return widget;
}

void PaintBox(QLineEdit* box, const QColor& background, const QColor& text) {
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, background);
    palette.setColor(QPalette::Text, text);
    box->setPalette(palette);
}

QLineEdit* MakeBlackBox(QWidget* parent, const QString& name, const QString& hint, bool readOnly) {
    auto* box = Named(new QLineEdit(parent), name, hint);
    box->setReadOnly(readOnly);
    PaintBox(box, kBoxBlack, kBoxLime);
    return box;
}

QLineEdit* MakeFrequencyBox(QWidget* parent, const QString& name, const QString& hint) {
    QLineEdit* box = MakeBlackBox(parent, name, hint, true);
    QFont font(u"Arial"_s);
    font.setPixelSize(19);
    box->setFont(font);
    box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    box->setCursor(Qt::ArrowCursor);
    box->setTextMargins(0, 0, 1, 0);
    return box;
}

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& caption,
                  const char16_t* style = nullptr) {
    auto* label = Named(new QLabel(caption, parent), name);
    if (style)
        label->setStyleSheet(QString::fromUtf16(style));
    return label;
}

QLabel* MakeKeyHint(QWidget* parent, const QString& name, const QString& caption) {
    QLabel* label = MakeLabel(parent, name, caption, kKeyHintStyle);
    QFont small = label->font();
    small.setPixelSize(9);
    label->setFont(small);
    return label;
}

QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& caption,
                        const QString& hint = {}) {
    return Named(new QPushButton(caption, parent), name, hint);
}

QCheckBox* MakeCheckBox(QWidget* parent, const QString& name, const QString& caption,
                        const QString& hint) {
    return Named(new QCheckBox(caption, parent), name, hint);
}

QComboBox* MakeList(QWidget* parent, const QString& name, std::span<const char* const> items) {
    auto* list = Named(new QComboBox(parent), name);
    for (const char* item : items)
        list->addItem(QString::fromLatin1(item));
    list->setStyleSheet(QString::fromUtf16(kListStyle));
    list->setMaxVisibleItems(20);
    return list;
}

QToolButton* MakeLatchButton(QWidget* parent, const QString& name, Qt::ArrowType arrow,
                             const QString& hint) {
    auto* button = Named(new QToolButton(parent), name, hint);
    button->setCheckable(true);
    button->setArrowType(arrow);
    // Like the speed buttons they stand for: a click never takes the focus from the boxes.
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

void BuildVfoRows(QWidget* page, TMainSheetWidgets& w) {
    constexpr const char16_t* kHints[kVfoCount] = {
        u"L button drag|", u"L/R arrow keys switch|", u"Drag between vfos|",
        u"Drag to/from mem table|", u"Up/Down keys tune|"};
    for (int i = 0; i < kVfoCount; ++i) {
        const QChar letter(u'A' + i);
        const int y = kVfoRowTop + i * kVfoRowPitch;
        auto* label = MakeLabel(page, u"LabelVco"_s + letter, letter);
        label->setGeometry(2, y, 10, kBoxHeight);
        QLineEdit* box =
            MakeFrequencyBox(page, u"EditVco"_s + letter, QString::fromUtf16(kHints[i]));
        box->setGeometry(12, y, 121, kBoxHeight);
        w.EditVco[static_cast<std::size_t>(i)] = box;
        auto* key = MakeKeyHint(page, u"KeyHint"_s + letter, u"F%1"_s.arg(5 + i));
        key->setGeometry(134, y, 16, kBoxHeight);
        QLineEdit* squelch = MakeBlackBox(page, u"SquelchEdit"_s + letter,
                                          i == 0 ? u"Squelch|"_s : QString(), false);
        squelch->setGeometry(151, y + 1, 30, 20);
        auto* upDown = Named(new TUpDown(page), u"SquelchUpDown"_s + letter,
                             i == 0 ? u"RtClick Toggle Bars"_s : u"RtClick ShowBars"_s);
        upDown->setGeometry(181, y + 1, 15, 20);
        w.SquelchEdit[static_cast<std::size_t>(i)] = squelch;
        w.SquelchUpDown[static_cast<std::size_t>(i)] = upDown;
    }
}

void BuildMemoryGroup(QWidget* page, TMainSheetWidgets& w) {
    w.Panel1 = Named(new QFrame(page), u"Panel1"_s, u"[Ctrl-F3] Quick Jump to mem"_s);
    w.Panel1->setFrameShape(QFrame::StyledPanel);
    w.Label18 = MakeLabel(w.Panel1, u"Label18"_s, u"Mem"_s);
    SetHint(w.Label18, u"Toggle Mem Table|"_s);
    w.Label18->setCursor(Qt::PointingHandCursor);
    QFont underlined = w.Label18->font();
    underlined.setUnderline(true);
    w.Label18->setFont(underlined);
    w.MemEdit = MakeBlackBox(w.Panel1, u"MemEdit"_s,
                             u"L+R button drag to vfo,\r\nUp/Down keys\r\nL/R keys\r\nEdit + "
                             u"Enter\r\nPGUP PGDN step through SQL sub selection|"_s,
                             false);
    w.MemEdit->setMaxLength(3);
    MakeKeyHint(w.Panel1, u"KeyHintMF3"_s, u"MF3"_s);
    w.MemTextEdit = MakeBlackBox(w.Panel1, u"MemTextEdit"_s, {}, true);
    w.FrqEditM = MakeFrequencyBox(w.Panel1, u"FrqEditM"_s, {});
    w.SquelchEdit[kMemorySquelchIndex] = MakeBlackBox(w.Panel1, u"SquelchEditM"_s, {}, false);
    w.SquelchUpDown[kMemorySquelchIndex] =
        Named(new TUpDown(w.Panel1), u"SquelchUpDownM"_s, u"RtClick ShowBars"_s);
    w.MemTableButton = MakeButton(w.Panel1, u"MemTableButton"_s, u"&Mem"_s, u"Toggle mem table|"_s);
}

void BuildSelectors(QWidget* page, TMainSheetWidgets& w) {
    for (const TGridCell& cell : kGrid) {
        const TSelector& selector = kSelectors[cell.Selector];
        const int y = kSelectorTop + cell.Row * kSelectorPitch;
        const QString name = QString::fromUtf16(selector.Name);
        const QString labelName =
            cell.LabelName ? QString::fromUtf16(cell.LabelName) : name.chopped(8) + u"Label"_s;
        auto* label = MakeLabel(page, labelName, QString::fromUtf16(selector.Label));
        w.SelectorLabels[cell.Selector] = label;
        label->setGeometry(cell.Right ? kRightLabelX : kLeftLabelX, y,
                           cell.Right ? kRightLabelWidth : kLeftLabelWidth, kSelectorHeight);
        QComboBox* list = MakeList(page, name, selector.Items);
        list->setGeometry(cell.Right ? kRightListX : kLeftListX, y,
                          cell.Right ? kRightListWidth : kLeftListWidth, kSelectorHeight);
        w.Selectors[cell.Selector] = list;
        if (cell.Selector == kSelSubStep)
            label->setToolTip(u"Main, x10 or KHz"_s);
    }
    const int stepY = kSelectorTop + kStepRow * kSelectorPitch;
    w.SpinButton2 = Named(new TUpDown(page), u"SpinButton2"_s);
    w.SpinButton2->setGeometry(2, stepY, 14, kSelectorHeight);
    w.StepComboBox = MakeList(page, u"StepComboBox"_s, kSteps);
    w.StepComboBox->setEditable(true);
    w.StepComboBox->setInsertPolicy(QComboBox::NoInsert);
    w.StepComboBox->setGeometry(17, stepY, kLeftListX + kLeftListWidth - 17, kSelectorHeight);
    w.StepComboBox->setToolTip(u"Step kHz"_s);

    // The receiver's automatic choice, shown beside the list's label.
    const int antennaY = kSelectorTop + 1 * kSelectorPitch;
    w.AutoAntLabel = MakeLabel(page, u"AutoAntLabel"_s, {}, kTinyLabelStyle);
    w.AutoAntLabel->setGeometry(24, antennaY + 5, 8, 11);
    w.AutoAttenLabel = MakeLabel(page, u"AutoAttenLabel"_s, {}, kTinyLabelStyle);
    w.AutoAttenLabel->setGeometry(113, antennaY + 5, 8, 11);
    for (QLabel* label : {w.AutoAntLabel, w.AutoAttenLabel}) {
        QFont tiny = label->font();
        tiny.setPixelSize(9);
        label->setFont(tiny);
        label->setAlignment(Qt::AlignCenter);
        label->hide();
    }
}

void BuildButtonsAndVolume(QWidget* page, TMainSheetWidgets& w) {
    w.StOffsetBox = MakeCheckBox(page, u"StOffsetBox"_s, u"StAdj"_s, u"Step adjust"_s);
    w.UpdateSpeedButton =
        MakeButton(page, u"UpdateSpeedButton"_s, u"&Update"_s, u"Update freq etc|"_s);
    w.AutoSetSpeedButton = MakeButton(page, u"AutoSetSpeedButton"_s, u"Auto"_s,
                                      u"Use Auto to look up settings, leaves \"Auto\" off"_s);
    w.btnAFC =
        MakeButton(page, u"btnAFC"_s, u"AFC/NB"_s, u"Query AFC and NB status\r\n(AR5000 +3)"_s);
    w.LockDownTuneSpeedButton =
        MakeLatchButton(page, u"LockDownTuneSpeedButton"_s, Qt::LeftArrow, u"Auto Tune Down|"_s);
    w.LockUpTuneSpeedButton = MakeLatchButton(page, u"LockUpTuneSpeedButton"_s, Qt::RightArrow,
                                              u"Auto Tune Up RtClick Option|"_s);
    w.LockUpTuneSpeedButtonPopupMenu = Named(new QMenu(page), u"LockUpTuneSpeedButtonPopupMenu"_s);
    w.VfoABSweep1 =
        Named(w.LockUpTuneSpeedButtonPopupMenu->addAction(u"Vfo A/B Sweep"_s), u"VfoABSweep1"_s);
    w.VfoABSweep1->setCheckable(true);
    w.PopupMenuAFC = Named(new QMenu(page), u"PopupMenuAFC"_s);
    w.AFC1 = Named(w.PopupMenuAFC->addAction(u"AFC"_s), u"AFC1"_s);
    w.mnuNoiseBlanker = Named(w.PopupMenuAFC->addAction(u"Noise Blanker"_s), u"mnuNoiseBlanker"_s);
    w.AFC1->setCheckable(true);
    w.mnuNoiseBlanker->setCheckable(true);

    w.PowerOffButton = MakeButton(page, u"PowerOffButton"_s, u"Pw&rOff"_s);
    // Shows whether the spectrum display companion is linked; the companion controller works it.
    w.btnQd3 = MakeButton(page, u"btnQd3"_s, u"&5"_s, u"Qd3 [Alt-5]|"_s);
    w.btnQd3->setCheckable(true);
    w.LogTableButton = MakeButton(page, u"LogTableButton"_s, u"&Log"_s, u"Toggle log table|"_s);
    w.OpenPortButton = MakeButton(page, u"OpenPortButton"_s, u"&Open Port"_s);
    w.ToggleRemoteSpeedButton =
        MakeButton(page, u"ToggleRemoteSpeedButton"_s, u"&Disconnect"_s, u"Temp disconnect|"_s);

    w.VolumeControlTrackBar = Named(new QSlider(Qt::Vertical, page), u"VolumeControlTrackBar"_s,
                                    u"Soundcard Line In vol, Key V|"_s);
    w.VolumeControlTrackBar->setRange(0, 255);
    w.VolumeControlTrackBar->setPageStep(17);
    // Position 0 at the top, as the shown value (255 - position) is loudest there.
    w.VolumeControlTrackBar->setInvertedAppearance(true);
    w.VolumeControlTrackBar->setInvertedControls(true);
    w.VolumeControlTrackBar->setValue(255);
    w.VolLabel = MakeLabel(page, u"VolLabel"_s, u"Vol"_s);
    w.VolumeIndicatorLabel = MakeLabel(page, u"VolumeIndicatorLabel"_s, u"255"_s);
    for (QLabel* label : {w.VolLabel, w.VolumeIndicatorLabel}) {
        QFont small = label->font();
        small.setPixelSize(9);
        label->setFont(small);
        label->setAlignment(Qt::AlignCenter);
    }
    w.VolTypeSelectCheckBox =
        MakeCheckBox(page, u"VolTypeSelectCheckBox"_s, {}, u"Control AR5000 Vol"_s);
}

} // namespace

TMainSheetWidgets BuildMainSheetControls(QWidget* page) {
    TMainSheetWidgets w;
    w.Page = page;
    QFont font(u"Arial"_s);
    font.setPixelSize(10);
    page->setFont(font);

    w.Panel5 = Named(new QWidget(page), u"Panel5"_s);
    w.TimerCheckBox =
        MakeCheckBox(page, u"TimerCheckBox"_s, u"Signal"_s, u"F11 Show signal graph|"_s);
    w.FreqUpdateCheckBox =
        MakeCheckBox(page, u"FreqUpdateCheckBox"_s, u"Fre&q"_s, u"F12 Auto update freq display|"_s);
    w.PriorityCheckBox1 = MakeCheckBox(page, u"PriorityCheckBox1"_s, u"P"_s, u"P for Priority"_s);
    w.PriorityDisplayEdit =
        MakeBlackBox(page, u"PriorityDisplayEdit"_s, u"Priority Channel|"_s, true);
    w.PriorityDisplayEdit->setFocusPolicy(Qt::NoFocus);
    MakeLabel(page, u"SquelchLabel"_s, u"Squelch"_s)->setAlignment(Qt::AlignCenter);

    BuildVfoRows(page, w);
    w.EnterEdit1 = Named(new TEnterEditNoMove(page), u"EnterEdit1"_s, u"L+R button drag|"_s);
    QFont entryFont(u"Arial"_s);
    entryFont.setPixelSize(16);
    w.EnterEdit1->setFont(entryFont);
    MakeKeyHint(page, u"KeyHintF4"_s, u"F4"_s);
    MakeLabel(page, u"FrqEditLabel"_s, u"Frq Edit"_s)->setAlignment(Qt::AlignCenter);
    BuildMemoryGroup(page, w);
    BuildSelectors(page, w);
    BuildButtonsAndVolume(page, w);

    // The tab control's style sheet keeps the page's font from reaching its children: each
    // control without a font of its own is given it.
    for (QWidget* child : page->findChildren<QWidget*>()) {
        if (!child->testAttribute(Qt::WA_SetFont))
            child->setFont(font);
    }
    for (const TPlace& place : kPlaces) {
        if (auto* widget = page->findChild<QWidget*>(QString::fromUtf16(place.Name)))
            widget->setGeometry(place.X, place.Y, place.Width, place.Height);
    }
    for (std::size_t i = 0; i < kSquelchBoxCount; ++i) {
        w.SquelchUpDown[i]->SetRange(0, kSquelchMax);
        w.SquelchUpDown[i]->SetBuddy(w.SquelchEdit[i]);
        w.SquelchUpDown[i]->SetPosition(kSquelchMax);
        w.SquelchEdit[i]->setMaxLength(3);
    }
    return w;
}

// -------------------------------------------------------------------------------------------

TMainSheet::TMainSheet(QTabWidget* pages, TAR5000* driver, TRunFlags& runFlags,
                       const std::unique_ptr<TMemoryWindowLink>& memoryWindow,
                       const TReportFn& reportMessage, const TReportFn& addMessage, QObject* parent)
    : QObject(parent) {
    FContext.Driver = driver;
    FContext.RunFlags = &runFlags;
    FContext.State = &FState;
    FContext.Memory = &memoryWindow;
    FContext.ReportMessage = reportMessage;
    FContext.AddMessage = addMessage;
    FWidgets = BuildMainSheetControls(pages->widget(0));

    FSquelch = new TSquelchController(FWidgets, FContext, this);
    FVfoPanel = new TVfoPanelController(FWidgets, FContext, FSquelch, this);
    FPages = new TPageController(pages, FWidgets, FContext, this);
    FVolume = new TVolumeController(FWidgets, FContext, this);
    FTuning = new TTuningController(FWidgets, FContext, FVfoPanel, FSquelch, FPages, this);
    FKeyPreview = new TKeyPreview(pages->window(), FTuning, this);
    FVfoDrop = new TVfoDropTarget(FWidgets, FContext, *FVfoPanel, *FSquelch, this);

    connect(FSquelch, &TSquelchController::BoxClickRequested, FVfoPanel,
            &TVfoPanelController::ClickBox);
    connect(FVfoPanel, &TVfoPanelController::MainPageWanted, FPages,
            [this] { FPages->ShowPageQuietly(0); });
    connect(FVfoPanel, &TVfoPanelController::AutoTuneReleaseWanted, FTuning,
            &TTuningController::ReleaseAutoTune);
    connect(FVfoPanel, &TVfoPanelController::PanelEnabledChanged, FTuning,
            &TTuningController::SetAutoTuneEnabled);
    connect(FPages, &TPageController::MainPageLeft, FTuning, &TTuningController::ReleaseAutoTune);
    connect(FPages, &TPageController::ScanPageEntered, FVfoPanel,
            &TVfoPanelController::UnhookVfoData);
    connect(FPages, &TPageController::MainPageEntered, FVfoPanel,
            &TVfoPanelController::ReturnToMainPage);
}

TMainSheet::~TMainSheet() = default;

void TMainSheet::ConnectLink(TLinkController* link) {
    connect(link, &TLinkController::LinkOpened, FSquelch, &TSquelchController::LoadSquelchSettings);
    connect(link, &TLinkController::LinkOpened, FVfoPanel, &TVfoPanelController::LinkOpened);
    connect(link, &TLinkController::LinkClosing, FSquelch,
            &TSquelchController::SaveSquelchSettings);
    connect(link, &TLinkController::LinkClosed, FVfoPanel, &TVfoPanelController::ResetPanelColours);
    // Nothing is left to tune once the link is gone.
    connect(link, &TLinkController::LinkClosed, FTuning, &TTuningController::ReleaseAutoTune);
}

void TMainSheet::PlaceSignalPanel(QWidget* panel) {
    panel->setParent(FWidgets.Page);
    panel->setGeometry(FWidgets.Panel5->geometry());
    delete FWidgets.Panel5;
    FWidgets.Panel5 = panel;
    panel->show();
}
