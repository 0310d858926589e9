#include "VfoPanelController.h"

#include "AR5000.h"
#include "CommandText.h"
#include "EnterEditNoMove.h"
#include "NumberText.h"
#include "Prompt.h"
#include "SquelchController.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr std::uint8_t kMemoryScan = 0;   // "MS"
constexpr std::uint8_t kLastVfoCode = 14; // "VE"
constexpr int kFrequencyWidth = 11;
constexpr int kHighestChannel = 999;
constexpr int kCtrlT = 20;

bool IsVfoRecord(const TRxDat& rec) {
    return rec.Vfo >= kRxCodeFirstVfo && rec.Vfo <= kLastVfoCode;
}

QChar RecordLetter(const TRxDat& rec) {
    return QChar(u'A' + (rec.Vfo - kRxCodeFirstVfo));
}

QString ChannelText(int channel) {
    return u"%1"_s.arg(channel, 3, 10, QChar(u'0'));
}

bool IsAsciiLetter(QChar c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

const QKeyEvent* AsKey(QEvent* event) {
    return event->type() == QEvent::KeyPress ? static_cast<const QKeyEvent*>(event) : nullptr;
}

bool IsEnter(const QKeyEvent* key) {
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

bool IsLeftClick(QEvent* event, const QWidget* widget) {
    if (event->type() != QEvent::MouseButtonRelease)
        return false;
    const auto* mouse = static_cast<const QMouseEvent*>(event);
    return mouse->button() == Qt::LeftButton &&
           widget->rect().contains(mouse->position().toPoint());
}

} // namespace

QString FormatFrequencyText(double mhz) {
    QString text = FormatFixed(mhz, 6);
    qsizetype zeros = 0;
    while (zeros < text.size() && text.at(zeros) == u'0')
        ++zeros;
    text.remove(0, zeros);
    const qsizetype shortBy = kFrequencyWidth - text.size();
    if (shortBy > 0)
        text.prepend(QString(2 * shortBy, u' '));
    return text;
}

QChar RecordVfoLetter(const TRxDat& rec) {
    return IsVfoRecord(rec) ? RecordLetter(rec) : QChar();
}

// ---------------------------------------------------------------------------------------------

TVfoDataUnhooked::TVfoDataUnhooked(TVfoPanelController& panel)
    : FPanel(panel) {
    if (FPanel.FUnhookDepth++ == 0)
        FPanel.UnhookVfoData();
}

TVfoDataUnhooked::~TVfoDataUnhooked() {
    if (--FPanel.FUnhookDepth == 0)
        FPanel.HookVfoData();
}

// ---------------------------------------------------------------------------------------------

TVfoPanelController::TVfoPanelController(const TMainSheetWidgets& widgets,
                                         const TPanelContext& context, TSquelchController* squelch,
                                         QObject* parent)
    : QObject(parent)
    , FWidgets(widgets)
    , FContext(context)
    , FSquelch(squelch)
    , FStepEdit(widgets.StepComboBox->lineEdit()) {
    for (QLineEdit* box : FWidgets.EditVco)
        box->installEventFilter(this);
    for (QObject* watched :
         {static_cast<QObject*>(FWidgets.MemEdit), static_cast<QObject*>(FWidgets.EnterEdit1),
          static_cast<QObject*>(FWidgets.StepComboBox), static_cast<QObject*>(FStepEdit),
          static_cast<QObject*>(FWidgets.StOffsetBox), static_cast<QObject*>(FWidgets.Label18)})
        watched->installEventFilter(this);
    connect(FWidgets.MemEdit, &QLineEdit::textChanged, this,
            [this](const QString& text) { FContext.State->MemoryChannel = text; });

    for (std::size_t i = 0; i < kSelectorCount; ++i) {
        connect(FWidgets.Selectors[i], &QComboBox::activated, this,
                [this, i](int index) { SelectorChosen(i, index); });
    }
    FWidgets.StepComboBox->setCompleter(nullptr);
    connect(FStepEdit, &QLineEdit::textEdited, this, &TVfoPanelController::StepTextChanged);
    connect(FWidgets.StepComboBox, &QComboBox::textActivated, this,
            &TVfoPanelController::StepTextChanged);
    connect(FWidgets.StOffsetBox, &QCheckBox::clicked, this,
            &TVfoPanelController::StepAdjustClicked);
    connect(FWidgets.UpdateSpeedButton, &QPushButton::clicked, this,
            [this] { FContext.Driver->ChangeVfo(u'X'); });
    connect(FWidgets.AutoSetSpeedButton, &QPushButton::clicked, this,
            &TVfoPanelController::AutoSetClicked);
    connect(FWidgets.MemTableButton, &QPushButton::clicked, this,
            &TVfoPanelController::ToggleMemoryTable);
    ResetPanelColours();
    PaintBox(CurrentBox(), kBoxGreen);
    HookVfoData();
}

QLineEdit* TVfoPanelController::Box(QChar letter) const {
    if (letter == u'M')
        return FWidgets.FrqEditM;
    const int index = IsVfoLetter(letter) ? letter.unicode() - u'A' : 0;
    return FWidgets.EditVco[static_cast<std::size_t>(index)];
}

void TVfoPanelController::FocusCurrentBox() {
    if (CurrentLetter() == u'M')
        FWidgets.MemEdit->setFocus();
    else
        CurrentBox()->setFocus();
}

std::optional<double> TVfoPanelController::ShownFrequency(QChar letter) const {
    return ParseNumber(Box(letter)->text());
}

QString TVfoPanelController::StepText() const {
    return FWidgets.StepComboBox->currentText();
}

QString TVfoPanelController::SubStepText() const {
    return FWidgets.Selectors[kSelSubStep]->currentText();
}

void TVfoPanelController::PaintBox(QLineEdit* box, const QColor& background) const {
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, background);
    const bool red = FRecordingDigits && box == CurrentBox();
    palette.setColor(QPalette::Text, background == kBoxWhite ? kBoxBlack
                                     : red                   ? kValueRed
                                                             : kBoxLime);
    box->setPalette(palette);
}

// ---------------------------------------------------------------------------------------------
// Showing what the receiver reports

QString TVfoPanelController::FormatFrequency(double mhz) {
    if (OnFrequencyFormatted)
        OnFrequencyFormatted(mhz);
    return FormatFrequencyText(mhz);
}

void TVfoPanelController::SetIndex(std::size_t selector, int index) {
    QComboBox* list = FWidgets.Selectors[selector];
    list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
}

bool TVfoPanelController::ShowRxDat(const TRxDat& rec) {
    TPanelState& state = *FContext.State;
    if (state.ShowingRxDat)
        return false;
    const QScopedValueRollback showing(state.ShowingRxDat, true);
    SetIndex(kSelMode, rec.Mode);
    SetIndex(kSelAtten, rec.AttenuatorAuto ? kAttenuatorAuto : rec.Attenuator);
    FWidgets.AutoAttenLabel->setText(QString::number(rec.Attenuator));
    FWidgets.AutoAttenLabel->setVisible(rec.AttenuatorAuto);
    SetIndex(kSelBandwidth, rec.Bandwidth);
    SetIndex(kSelAntenna, rec.AntennaAuto ? 0 : rec.Antenna);
    FWidgets.AutoAntLabel->setText(QString::number(rec.Antenna));
    FWidgets.AutoAntLabel->setVisible(rec.AntennaAuto);
    FWidgets.StepComboBox->setEditText(rec.Step);
    SetIndex(kSelSubStep, rec.SubStep);
    FWidgets.StOffsetBox->setChecked(rec.StepAdjust);
    SetIndex(kSelAgc, rec.Agc);
    SetIndex(kSelLowPass, rec.LowPass);
    SetIndex(kSelHighPass, rec.HighPass);
    SetIndex(kSelDeEmphasis, rec.DeEmphasis);
    if (FContext.Driver->CT5000)
        SetIndex(kSelCtcss, rec.Ctcss);
    if (FContext.Driver->DS8000)
        SetIndex(kSelDescrambler, rec.Descrambler);
    return true;
}

void TVfoPanelController::FillMemoryBoxes(const TRxDat& rec) {
    FWidgets.MemTextEdit->setText(rec.Text);
    FWidgets.FrqEditM->setText(FormatFrequency(rec.Freq));
    FWidgets.MemEdit->setText(ChannelText(rec.Channel));
    FContext.MemoryWindow().ShowChannel(FWidgets.MemEdit->text());
}

void TVfoPanelController::ProcessRxDat(const TRxDat& rec) {
    if (IsVfoRecord(rec)) {
        Box(RecordLetter(rec))->setText(FormatFrequency(rec.Freq));
        ShowRxDat(rec);
        return;
    }
    if (rec.Vfo != kRxCodeMemory)
        return;
    // The driver keeps the rest of its record from earlier replies: for an empty channel only
    // the emptiness and the channel's number are news. The number stays in view, so that the
    // user sees which channel is empty.
    if (rec.Empty) {
        FWidgets.MemEdit->setText(ChannelText(rec.Channel));
        FWidgets.FrqEditM->clear();
        FWidgets.MemTextEdit->clear();
        FContext.MemoryWindow().ShowChannel(FWidgets.MemEdit->text());
        FSquelch->SetValue(u'M', kSquelchMax);
        return;
    }
    FWidgets.MemTextEdit->setText(rec.Text);
    FWidgets.FrqEditM->setText(FormatFrequency(rec.Freq));
    ShowRxDat(rec);
    FWidgets.MemEdit->setText(ChannelText(rec.Channel));
    FContext.MemoryWindow().ShowChannel(FWidgets.MemEdit->text());
    if (!FContext.MemoryWindow().NoAutoRefresh())
        FContext.MemoryWindow().StoreRxDatInRow(rec);
}

void TVfoPanelController::HookVfoData() {
    FContext.Driver->OnVfoData = [this](const TRxDat& rec) {
        ProcessRxDat(rec);
    };
    FHooked = true;
}

void TVfoPanelController::UnhookVfoData() {
    FContext.Driver->OnVfoData = {};
    FHooked = false;
}

void TVfoPanelController::ReadBackCurrent() {
    const TVfoDataUnhooked unhooked(*this);
    TAR5000& driver = *FContext.Driver;
    TRxDat rec;
    if (!driver.GetRx(rec))
        return;
    if (rec.Vfo == kRxCodeMemory) {
        driver.GetExtraVfoData(rec);
        FWidgets.MemEdit->setText(ChannelText(rec.Channel));
        FContext.MemoryWindow().ShowChannel(FWidgets.MemEdit->text());
        FWidgets.MemTextEdit->setText(rec.Text);
        ShowRxDat(rec);
        FSquelch->ApplyMemorySquelch();
        if (!FContext.MemoryWindow().NoAutoRefresh())
            FContext.MemoryWindow().StoreRxDatInRow(rec);
    }
    CurrentBox()->setText(FormatFrequency(rec.Freq));
}

void TVfoPanelController::ReadAllVfos() {
    const TVfoDataUnhooked unhooked(*this);
    TAR5000& driver = *FContext.Driver;
    TRxDat rec;
    if (!driver.GetRx(rec))
        return;
    Q_EMIT MainPageWanted();
    const std::uint8_t start = rec.Vfo;

    for (int i = 0; i < kVfoCount; ++i) {
        const QChar letter(u'A' + i);
        TRxDat vfo;
        if (driver.SetVfo(letter, vfo))
            Box(letter)->setText(FormatFrequency(vfo.Freq));
    }

    driver.MemoryRead();
    TRxDat memory;
    if (driver.GetRx(memory) && memory.Vfo == kRxCodeMemory) {
        FillMemoryBoxes(memory);
        FSquelch->ApplyMemorySquelch();
    }

    // Back to where the receiver was; the receiver is left on VFO E by the loop above.
    QChar letter = u'E';
    if (IsVfoRecord(rec)) {
        letter = RecordLetter(rec);
        driver.SetVfo(letter, rec);
    } else if (start == kRxCodeMemory || start == kMemoryScan) {
        driver.MemoryRead();
        driver.GetRx(rec);
        letter = u'M';
        SwitchToMemorySelection();
    } else if (start == kRxCodeProgramSearch) {
        letter = u'A';
        driver.SetVfo(letter, rec);
    }
    if (letter != u'M') {
        FContext.State->CurrentVfo = letter;
        Box(letter)->setFocus();
        ResetPanelColours();
        PaintBox(Box(letter), kBoxGreen);
    }

    if (driver.GetExtraVfoData(rec))
        ShowRxDat(rec);
    FContext.State->CurrentVfo = letter;
    driver.SetSquelch(FSquelch->Value(letter));
}

void TVfoPanelController::LinkOpened() {
    ReadAllVfos();
    // The panel follows the receiver from now on, whatever was detached before the link opened.
    HookVfoData();
}

void TVfoPanelController::ReturnToMainPage() {
    TAR5000& driver = *FContext.Driver;
    TRxDat rec;
    {
        const TVfoDataUnhooked unhooked(*this);
        if (!driver.GetRx(rec))
            return;
        driver.GetExtraVfoData(rec);
        ResetPanelColours();
        ProcessRxDat(rec);
        ShowRxDat(rec);
    }
    HookVfoData();
    if (IsVfoRecord(rec)) {
        FContext.State->CurrentVfo = RecordLetter(rec);
        CurrentBox()->setFocus();
        PaintBox(CurrentBox(), kBoxGreen);
    } else if (rec.Vfo == kRxCodeMemory) {
        SwitchToMemorySelection();
        FWidgets.MemEdit->setFocus();
    }
    LocateShownChannel();
}

// ---------------------------------------------------------------------------------------------
// Colours and enabling

void TVfoPanelController::ResetPanelColours() {
    for (QLineEdit* box : FWidgets.EditVco)
        PaintBox(box, kBoxBlack);
    for (QLineEdit* box : {FWidgets.MemEdit, FWidgets.MemTextEdit, FWidgets.FrqEditM})
        PaintBox(box, kBoxBlack);
    FContext.MemoryWindow().SetChannelHighlighted(false);
    FWidgets.FreqUpdateCheckBox->setEnabled(FContext.Driver->Connected());
    FContext.State->VfoScaleWindow.ShowCurrent(QChar());
}

void TVfoPanelController::ShowRecordingDigits(bool recording) {
    FRecordingDigits = recording;
    QLineEdit* box = CurrentBox();
    PaintBox(box, box->palette().color(QPalette::Base));
}

void TVfoPanelController::HighlightMemory() {
    ResetPanelColours();
    for (QLineEdit* box : {FWidgets.MemEdit, FWidgets.MemTextEdit, FWidgets.FrqEditM})
        PaintBox(box, kBoxGreen);
    FContext.MemoryWindow().SetChannelHighlighted(true);
    // Frequency follow reads VFOs only.
    FWidgets.FreqUpdateCheckBox->setChecked(false);
    FWidgets.FreqUpdateCheckBox->setEnabled(false);
}

void TVfoPanelController::ShowSquelchClosed(bool closed) {
    PaintBox(CurrentBox(), closed ? kBoxSquelchClosed : kBoxGreen);
}

void TVfoPanelController::ShowFollowedFrequency(const TRxDat& rec) {
    if (!IsVfoLetter(CurrentLetter()) || !IsVfoRecord(rec))
        return;
    Box(RecordLetter(rec))->setText(FormatFrequency(rec.Freq));
    // After the box, so the scale shows the frequency just read rather than the one before.
    if (const auto shown = ShownFrequency(CurrentLetter()))
        FContext.State->VfoScaleWindow.MoveScaleTo(CurrentLetter(), *shown);
}

void TVfoPanelController::ShowSelector(std::size_t selector, int index) {
    SetIndex(selector, index);
}

void TVfoPanelController::ShowStep(const QString& text, bool adjust) {
    FWidgets.StepComboBox->setEditText(text);
    FWidgets.StOffsetBox->setChecked(adjust);
}

void TVfoPanelController::ShowOptionUnits(bool ctcss, bool descrambler) {
    for (const auto& [selector, fitted] :
         {std::pair{kSelCtcss, ctcss}, std::pair{kSelDescrambler, descrambler}}) {
        FWidgets.Selectors[selector]->setEnabled(fitted);
        FWidgets.SelectorLabels[selector]->setEnabled(fitted);
    }
}

void TVfoPanelController::SetVfoPanelEnabled(bool on) {
    for (QLineEdit* box : FWidgets.EditVco)
        box->setEnabled(on);
    FWidgets.EnterEdit1->setEnabled(on);
    FWidgets.MemEdit->setEnabled(on);
    Q_EMIT PanelEnabledChanged(on);
    PaintBox(CurrentBox(), on ? kBoxGreen : kBoxWhite);
}

// ---------------------------------------------------------------------------------------------
// Choosing the current box

void TVfoPanelController::SwitchVfoWithSquelch(QChar letter, int squelch) {
    TAR5000& driver = *FContext.Driver;
    if (squelch <= kSquelchSwitchLimit)
        driver.SetSquelch(squelch);
    driver.ChangeVfo(letter);
    if (squelch > kSquelchSwitchLimit)
        driver.SetSquelch(squelch);
}

void TVfoPanelController::ClickBox(QChar letter) {
    if (letter == u'M')
        ClickMemoryBox();
    else if (IsVfoLetter(letter))
        ClickVfoBox(letter);
}

void TVfoPanelController::ClickVfoBox(QChar letter) {
    if (FContext.RunFlags->PriorityCheckBusy || !FContext.Driver->Connected())
        return;
    FContext.State->CurrentVfo = letter;
    ResetPanelColours();
    PaintBox(Box(letter), kBoxGreen);
    FContext.State->VfoScaleWindow.ShowCurrent(letter);
    SwitchVfoWithSquelch(letter, FSquelch->Value(letter));
}

void TVfoPanelController::ClickMemoryBox() {
    if (FContext.RunFlags->PriorityCheckBusy)
        return;
    TAR5000& driver = *FContext.Driver;
    FContext.State->CurrentVfo = u'M';
    const int squelch = FSquelch->Value(u'M');
    if (squelch <= kSquelchSwitchLimit)
        driver.SetSquelch(squelch);
    driver.MemoryRead();
    FContext.MemoryWindow().ApplyRowAntenna();
    if (squelch > kSquelchSwitchLimit)
        driver.SetSquelch(squelch);
    driver.ChangeVfo(u'M');
    SwitchToMemorySelection();
    LocateShownChannel();
}

void TVfoPanelController::MakeCurrent(QChar letter) {
    FContext.State->CurrentVfo = letter;
    if (letter == u'M') {
        FWidgets.MemEdit->setFocus();
        ResetPanelColours();
        SwitchToMemorySelection();
        return;
    }
    Box(letter)->setFocus();
    ResetPanelColours();
    PaintBox(Box(letter), kBoxGreen);
    FContext.State->VfoScaleWindow.ShowCurrent(letter);
}

void TVfoPanelController::SwitchToMemorySelection() {
    Q_EMIT AutoTuneReleaseWanted();
    FContext.State->CurrentVfo = u'M';
    HighlightMemory();
    FContext.MemoryWindow().SwitchToMemorySelection();
}

void TVfoPanelController::ShowMemoryRecord(const TRxDat& rec) {
    SwitchToMemorySelection();
    FillMemoryBoxes(rec);
    ShowRxDat(rec);
    FSquelch->ApplyMemorySquelch();
}

void TVfoPanelController::LocateShownChannel() {
    // A channel the table does not hold is no error here.
    if (const auto channel = ParseInteger(FWidgets.MemEdit->text()))
        FContext.MemoryWindow().LocateChannel(static_cast<int>(*channel));
}

// ---------------------------------------------------------------------------------------------
// Typing and the controls' own events

bool TVfoPanelController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == FWidgets.MemEdit) {
        if (IsLeftClick(event, FWidgets.MemEdit)) {
            ClickBox(u'M');
            return false;
        }
        const QKeyEvent* key = AsKey(event);
        if (!key)
            return false;
        if (IsEnter(key)) {
            MemoryEnter();
            return true;
        }
        const QString text = key->text();
        return !text.isEmpty() &&
               (text.at(0) == u'+' || text.at(0) == u'-' || IsAsciiLetter(text.at(0)));
    }
    if (watched == FWidgets.EnterEdit1) {
        const QKeyEvent* key = AsKey(event);
        if (!key)
            return false;
        if (IsEnter(key)) {
            EntryEnter();
            return true;
        }
        const QString text = key->text();
        if (text == u","_s) {
            FWidgets.EnterEdit1->insert(u"."_s);
            return true;
        }
        return !text.isEmpty() && (text.at(0).unicode() == kCtrlT || IsAsciiLetter(text.at(0)));
    }
    // The list keeps the focus and hands typed keys straight to its inner edit, past any filter
    // there: the keys are judged where they arrive.
    if (watched == FWidgets.StepComboBox || watched == FStepEdit) {
        const QKeyEvent* key = AsKey(event);
        if (!key)
            return false;
        if (IsEnter(key))
            return true;
        const QString text = key->text();
        if (text.isEmpty())
            return false;
        const QChar c = text.at(0);
        const bool allowed = c.isDigit() || c == u'.' || c == u',' || c == u'\b' || c == u'\x7f';
        return !allowed;
    }
    if (watched == FWidgets.StOffsetBox) {
        if (const QKeyEvent* key = AsKey(event); key && key->key() == Qt::Key_Space)
            FStepAdjustByKey = true;
        return false;
    }
    if (watched == FWidgets.Label18) {
        if (IsLeftClick(event, FWidgets.Label18))
            ToggleMemoryTable();
        return false;
    }
    if (const auto* box = qobject_cast<QLineEdit*>(watched); box && IsLeftClick(event, box)) {
        ClickBox(VfoLetterOfName(box->objectName()));
        return false;
    }
    return false;
}

void TVfoPanelController::MemoryEnter() {
    const auto channel = ParseInteger(FWidgets.MemEdit->text());
    if (!channel || *channel < 0 || *channel > kHighestChannel)
        return;
    const int n = static_cast<int>(*channel);
    FContext.Driver->RecallMemory(n);
    FContext.MemoryWindow().ApplyRowAntenna();
    FContext.State->CurrentVfo = u'M';
    ReadBackCurrent();
    FContext.MemoryWindow().LocateChannel(n);
    SwitchToMemorySelection();
}

void TVfoPanelController::EntryEnter() {
    const QString text = FWidgets.EnterEdit1->text();
    if (text.isEmpty())
        return;
    TAR5000& driver = *FContext.Driver;
    if (!driver.Remote()) {
        // Any request takes the receiver into remote mode.
        const TVfoDataUnhooked unhooked(*this);
        TRxDat rec;
        driver.GetRx(rec);
    }
    if (!IsVfoLetter(CurrentLetter()))
        return;
    const auto mhz = ParseNumber(text);
    if (!mhz) {
        FContext.ReportUnexpected(u"'%1' is not a valid floating point value"_s.arg(text));
        return;
    }
    if (!TuneCurrent(*mhz))
        FContext.Report(u"Frequency %1 MHz is out of the receiver's range"_s.arg(text));
}

bool TVfoPanelController::TuneCurrent(double mhz) {
    const QChar letter = CurrentLetter();
    if (!IsVfoLetter(letter) || CommandText::Frequency(letter, mhz, false).isEmpty())
        return false;
    FContext.Driver->SetFrequency(letter, mhz);
    ReadBackCurrent();
    FContext.State->VfoScaleWindow.MoveScaleTo(letter, mhz);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Selectors and buttons

void TVfoPanelController::Refresh(TRefresh when) {
    if (when == TRefresh::Always || (when == TRefresh::MemoryOnly && CurrentLetter() == u'M'))
        FContext.Driver->ChangeVfo(u'X');
}

void TVfoPanelController::SelectorChosen(std::size_t selector, int index) {
    (FContext.Driver->*kSelectors[selector].Setter)(index);
    Refresh(kSelectors[selector].Refresh);
}

bool TVfoPanelController::SendStep() {
    const auto kHz = ParseNumber(FWidgets.StepComboBox->currentText());
    if (!kHz) {
        FContext.Report(u"Floating Point values only"_s);
        return false;
    }
    FContext.Driver->StepAdjustChecked = FWidgets.StOffsetBox->isChecked();
    FContext.Driver->SetStep(*kHz);
    return true;
}

void TVfoPanelController::StepTextChanged(const QString& text) {
    if (text.isEmpty())
        return;
    if (SendStep())
        Refresh(TRefresh::MemoryOnly);
}

void TVfoPanelController::StepAdjustClicked(bool checked) {
    const bool byKey = std::exchange(FStepAdjustByKey, false);
    FContext.Driver->StepAdjustChecked = checked;
    if (SendStep() && !byKey)
        Refresh(TRefresh::MemoryOnly);
}

void TVfoPanelController::AutoSetClicked() {
    if (!Prompt().Confirm(QApplication::applicationDisplayName(),
                          u"Set up AR5000 according to \"Auto\" settings?\r\n        (leaves "
                          u"\"Auto\" off after setting)"_s))
        return;
    int autoIndex = 0;
    for (std::size_t i = 0; i < kAntennas.size(); ++i) {
        if (QString::fromLatin1(kAntennas[i]).compare(u"auto"_s, Qt::CaseInsensitive) == 0)
            autoIndex = static_cast<int>(i);
    }
    TAR5000& driver = *FContext.Driver;
    driver.SetAntenna(autoIndex);
    driver.SetAutoMode(1);
    driver.ChangeVfo(u'X');
    driver.SetAutoMode(0);
}

void TVfoPanelController::ToggleMemoryTable() {
    const auto channel = ParseInteger(FWidgets.MemEdit->text());
    FContext.MemoryWindow().Toggle(channel ? static_cast<int>(*channel) : -1);
}
