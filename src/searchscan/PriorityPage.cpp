#include "PriorityPage.h"

#include "AR5000.h"
#include "DataUnit1.h"
#include "EnterEditNoMove.h"
#include "IniFile.h"
#include "MainSheet.h"
#include "MemorySql.h"
#include "PageWidgets.h"
#include "ProgramFolder.h"
#include "SquelchController.h"
#include "UpDown.h"
#include "WindowLinks.h"

#include <QCheckBox>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;
using namespace PageWidgets;

namespace {

constexpr int kLastChannel = 999;
constexpr int kDefaultPrioritySquelch = 130;
constexpr int kLastPeriodSeconds = 300;
constexpr int kDefaultPeriodSeconds = 5;
constexpr char16_t kSection[] = u"Priority";
constexpr QColor kHoldRed{255, 0, 0};

QString DefaultCaption(int index) {
    return u"Priority channel %1"_s.arg(index + 1);
}

// The channel number a box holds, when it holds one.
std::optional<int> WholeNumber(const QString& text) {
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(n) : std::nullopt;
}

} // namespace

TPriorityPageWidgets BuildPriorityPageControls(QWidget* page) {
    TPriorityPageWidgets w;
    QFont pageFont = page->font();
    pageFont.setPixelSize(11);
    page->setFont(pageFont);
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(4, 4, 4, 4);
    column->setSpacing(6);

    auto* group = Named(new QGroupBox(u"Priority Channels"_s, page), u"GroupBoxPriority"_s);
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(4, 6, 4, 4);
    grid->setHorizontalSpacing(2);
    grid->setVerticalSpacing(4);
    grid->setColumnStretch(0, 1);
    for (int i = 0; i < kPriorityChannelCount; ++i) {
        const auto k = static_cast<std::size_t>(i);
        const QString number = QString::number(i + 1);
        w.PrioritySelectCheckBox[k] =
            Named(new QCheckBox(DefaultCaption(i), group), u"PrioritySelectCheckBox"_s + number);
        // Memory texts can be long: the box keeps its width and shows what fits.
        w.PrioritySelectCheckBox[k]->setMinimumWidth(20);
        w.PrioritySelectCheckBox[k]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        w.PriorityMemChannelEdit[k] =
            NumberBox(group, u"PriorityMemChannelEdit"_s + number, u"Double click tunes|"_s);
        w.PriorityMemChannelEdit[k]->setText(u"0"_s);
        w.PriorityUpDown[k] = UpDownFor(w.PriorityMemChannelEdit[k], u"PriorityUpDown"_s + number,
                                        0, kLastChannel, 0, u"Double click tunes|"_s);
        grid->addWidget(w.PrioritySelectCheckBox[k], i, 0);
        grid->addWidget(w.PriorityMemChannelEdit[k], i, 1);
        grid->addWidget(w.PriorityUpDown[k], i, 2);
    }
    const auto valueRow = [&](int row, const QString& caption, const QString& name,
                              const QString& upDownName, const QString& hint, int maximum,
                              int position) {
        grid->addWidget(new QLabel(caption, group), row, 0);
        QLineEdit* box = NumberBox(group, name, hint);
        TUpDown* upDown = UpDownFor(box, upDownName, 0, maximum, position, hint);
        grid->addWidget(box, row, 1);
        grid->addWidget(upDown, row, 2);
        return std::pair{box, upDown};
    };
    std::tie(w.PrioritySquelchEdit, w.PrioritySquelchUpDown) = valueRow(
        kPriorityChannelCount, u"Squelch"_s, u"PrioritySquelchEdit"_s, u"PrioritySquelchUpDown"_s,
        u"SquelchForPriorityCheck|"_s, kSquelchMax, kDefaultPrioritySquelch);
    std::tie(w.PriorityPeriodEdit, w.PriorityPeriodUpDown) =
        valueRow(kPriorityChannelCount + 1, u"Period (s)"_s, u"PriorityPeriodEdit"_s,
                 u"PriorityPeriodUpDown"_s, u"Interval between Priority checks|"_s,
                 kLastPeriodSeconds, kDefaultPeriodSeconds);
    column->addWidget(group);

    auto* memRow = new QHBoxLayout;
    w.Label50 = Named(new QLabel(u"Toggle Mem Table"_s, page), u"Label50"_s);
    w.Label50->setCursor(Qt::PointingHandCursor);
    w.Button2 = Named(new QPushButton(u"&Mem"_s, page), u"Button2"_s, u"Show mem table|"_s);
    w.Button2->setFixedSize(40, 20);
    memRow->addWidget(w.Label50);
    memRow->addStretch();
    memRow->addWidget(w.Button2);
    column->addLayout(memRow);
    column->addStretch();
    return w;
}

std::optional<TPriorityRow> TDataModulePriorityTable::Channel(int channel) {
    if (FData.LocateMemory(FormatMemNumber(channel)) != TLocateResult::Found)
        return std::nullopt;
    const TTableView& view = FData.MemQuery1();
    TPriorityRow row;
    row.Text = view.Value(u"TEXT").toString().trimmed();
    if (const QVariant freq = view.Value(u"FREQ"); !freq.isNull())
        row.FreqMHz = freq.toDouble();
    if (const QVariant squelch = view.Value(u"SQUELCH"); !squelch.isNull())
        row.Squelch = squelch.toInt();
    return row;
}

// -------------------------------------------------------------------------------------------

TPriorityController::TPriorityController(QWidget* page, const TSearchScanContext& context,
                                         QObject* parent)
    : QObject(parent)
    , FWidgets(BuildPriorityPageControls(page))
    , FContext(context)
    , FTable(std::make_unique<TNoPriorityMemoryTable>()) {
    FPriority.setObjectName(u"Priority"_s);
    Wire();
}

TPriorityController::~TPriorityController() = default;

QLineEdit* TPriorityController::PriorityDisplayEdit() const {
    return FContext.Sheet->Widgets().PriorityDisplayEdit;
}

QCheckBox* TPriorityController::PriorityCheckBox1() const {
    return FContext.Sheet->Widgets().PriorityCheckBox1;
}

void TPriorityController::SetMemoryTable(std::unique_ptr<TPriorityMemoryTable> table) {
    FTable = table ? std::move(table) : std::make_unique<TNoPriorityMemoryTable>();
    for (int i = 0; i < kPriorityChannelCount; ++i)
        PriorityMemChannelEditChange(i);
}

void TPriorityController::Wire() {
    connect(&FPriority, &QTimer::timeout, this, &TPriorityController::PriorityTimer);
    // Toggled rather than clicked: the key P and the program unchecking it count as well.
    connect(PriorityCheckBox1(), &QCheckBox::toggled, this,
            &TPriorityController::PriorityCheckBox1Click);
    const auto digitsOnly = [](QLineEdit* box) {
        new TNumericKeys(box, TNumericKeys::TKind::Digits, {});
    };
    for (int i = 0; i < kPriorityChannelCount; ++i) {
        QLineEdit* box = FWidgets.PriorityMemChannelEdit[static_cast<std::size_t>(i)];
        digitsOnly(box);
        box->installEventFilter(this);
        connect(box, &QLineEdit::textChanged, this, [this, i] { PriorityMemChannelEditChange(i); });
    }
    digitsOnly(FWidgets.PrioritySquelchEdit);
    digitsOnly(FWidgets.PriorityPeriodEdit);
    FWidgets.Label50->installEventFilter(this);
    connect(FWidgets.Button2, &QPushButton::clicked, this,
            [this] { FContext.MemoryWindow().Toggle(-1); });
}

bool TPriorityController::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick) {
        for (int i = 0; i < kPriorityChannelCount; ++i) {
            if (watched == FWidgets.PriorityMemChannelEdit[static_cast<std::size_t>(i)]) {
                TuneToPriorityChannel(i);
                return true;
            }
        }
    }
    if (watched == FWidgets.Label50 && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        FContext.MemoryWindow().Toggle(-1);
        return true;
    }
    return QObject::eventFilter(watched, event);
}

bool TPriorityController::Watching() const {
    return PriorityCheckBox1()->isChecked() && FContext.Connected();
}

void TPriorityController::PaintP(bool busy) {
    QCheckBox* p = PriorityCheckBox1();
    if (busy) {
        p->setAutoFillBackground(true);
        QPalette palette = p->palette();
        palette.setColor(QPalette::Window, kBoxGreen);
        p->setPalette(palette);
    } else {
        p->setAutoFillBackground(false);
        p->setPalette(QPalette());
    }
}

void TPriorityController::PriorityCheckBox1Click(bool checked) {
    const int periodMs = FWidgets.PriorityPeriodUpDown->Position() * PeriodUnitMs;
    FPriority.setInterval(periodMs);
    if (checked && periodMs > 0) {
        FPriority.start();
        return;
    }
    FPriority.stop();
    if (!checked) {
        Wake();
        if (!FCycleRunning)
            PaintP(false);
    }
}

void TPriorityController::Wake() {
    if (FWaitLoop)
        FWaitLoop->quit();
}

TPriorityController::TWaitEnd TPriorityController::WaitFor(int ms,
                                                           const std::function<bool()>& done) {
    const QDeadlineTimer deadline(ms);
    while (Watching()) {
        if (done())
            return TWaitEnd::Done;
        if (deadline.hasExpired())
            return TWaitEnd::TimedOut;
        QEventLoop loop;
        const QScopedValueRollback current(FWaitLoop, &loop);
        QTimer::singleShot(static_cast<int>(std::max<qint64>(deadline.remainingTime(), 0)), &loop,
                           &QEventLoop::quit);
        loop.exec();
    }
    return TWaitEnd::Stopped;
}

void TPriorityController::PriorityTimer() {
    // The wait inside a cycle lets the next tick in: it has nothing to add.
    if (FCycleRunning || !Watching())
        return;
    {
        const QScopedValueRollback running(FCycleRunning, true);
        RunCycle();
    }
    Q_EMIT CycleFinished();
}

void TPriorityController::RunCycle() {
    const QScopedValueRollback busy(FContext.RunFlags->PriorityCheckBusy, true);
    const TMainSheetWidgets& sheet = FContext.Sheet->Widgets();
    const QString keptEntry = sheet.EnterEdit1->text();
    const QPalette keptEntryPalette = sheet.EnterEdit1->palette();
    const QChar vfo = FContext.State().CurrentVfo;
    PaintP(true);

    TAR5000& driver = *FContext.Driver;
    driver.FSetTimerStatus(false);
    auto keptHook = std::exchange(driver.OnSignalLevel,
                                  [this](const TRxDat& rec) { PriorityLevelReport(rec); });
    const auto restore = qScopeGuard([&] {
        driver.OnSignalLevel = std::move(keptHook);
        FAwaitingLevel = false;
        FHold = false;
        PaintP(false);
        PaintBox(PriorityDisplayEdit(), kBoxBlack);
        PriorityDisplayEdit()->clear();
        sheet.EnterEdit1->setPalette(keptEntryPalette);
        sheet.EnterEdit1->setText(keptEntry);
        if (sheet.TimerCheckBox->isChecked())
            driver.FSetTimerStatus(true);
    });
    driver.SetSquelch(FWidgets.PrioritySquelchUpDown->Position());

    for (int i = 0; i < kPriorityChannelCount && Watching(); ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (!FWidgets.PrioritySelectCheckBox[k]->isChecked())
            continue;
        // An empty or unreadable box names no channel.
        if (!WholeNumber(FWidgets.PriorityMemChannelEdit[k]->text()))
            continue;
        if (!CheckChannel(FWidgets.PriorityUpDown[k]->Position()))
            break;
    }
    if (FContext.Connected())
        ReturnToUser(vfo);
}

bool TPriorityController::CheckChannel(int channel) {
    TAR5000& driver = *FContext.Driver;
    driver.RecallMemory(channel);
    PriorityDisplayEdit()->setText(QString::number(channel));
    // The receiver needs the time to settle on the channel before its level means anything.
    if (WaitFor(RecallSettleMs, [] { return false; }) == TWaitEnd::Stopped)
        return false;
    for (;;) {
        FLastSquelchClosed.reset();
        FAwaitingLevel = true;
        driver.SendCommandUpper(u"LM"_s);
        const TWaitEnd end = WaitFor(static_cast<int>(driver.Timeout),
                                     [this] { return FLastSquelchClosed.has_value(); });
        FAwaitingLevel = false;
        if (end == TWaitEnd::Stopped)
            return false;
        if (end == TWaitEnd::TimedOut) {
            FContext.Report(u"Timeout waiting for LM data. Func PriorityTimer"_s);
            return false;
        }
        if (*FLastSquelchClosed)
            return true;
        ShowHold(channel);
        if (WaitFor(HoldRepeatMs, [] { return false; }) == TWaitEnd::Stopped)
            return false;
    }
}

void TPriorityController::PriorityLevelReport(const TRxDat& rec) {
    if (!FAwaitingLevel)
        return;
    FLastSquelchClosed = rec.SquelchClosed;
    if (rec.SquelchClosed && FHold) {
        FHold = false;
        if (!FPriority.isActive() && PriorityCheckBox1()->isChecked() && FPriority.interval() > 0)
            FPriority.start();
        PaintBox(PriorityDisplayEdit(), kBoxBlack);
        PaintBox(FContext.Sheet->Widgets().EnterEdit1, kBoxBlack);
    }
    Wake();
}

void TPriorityController::ShowHold(int channel) {
    if (FHold)
        return;
    FHold = true;
    // The next cycle waits until the signal is gone.
    FPriority.stop();
    if (const auto row = FTable->Channel(channel)) {
        QLineEdit* entry = FContext.Sheet->Widgets().EnterEdit1;
        entry->setText(row->Text);
        PaintBox(PriorityDisplayEdit(), kHoldRed);
        PaintBox(entry, kHoldRed);
        Q_EMIT ChannelHeld(*row);
    }
}

void TPriorityController::ReturnToUser(QChar vfo) {
    TAR5000& driver = *FContext.Driver;
    if (const auto channel = WholeNumber(FContext.Sheet->Widgets().MemEdit->text()))
        driver.RecallMemory(*channel);
    if (IsVfoLetter(vfo)) {
        TRxDat rec;
        driver.SetVfo(vfo, rec);
    }
    driver.SetSquelch(FContext.Sheet->Squelch()->Value(vfo));
}

void TPriorityController::PriorityMemChannelEditChange(int index) {
    const auto k = static_cast<std::size_t>(index);
    const auto channel = WholeNumber(FWidgets.PriorityMemChannelEdit[k]->text());
    if (!channel)
        return;
    const auto row = FTable->Channel(*channel);
    FWidgets.PrioritySelectCheckBox[k]->setText(
        row && !row->Text.isEmpty() ? row->Text : u"Priority Channel %1"_s.arg(index + 1));
}

void TPriorityController::TuneToPriorityChannel(int index) {
    for (std::size_t k = 0; k < kPriorityChannelCount; ++k)
        PaintBox(FWidgets.PriorityMemChannelEdit[k],
                 k == static_cast<std::size_t>(index) ? kBoxGreen : kBoxBlack);
    if (!FContext.Connected())
        return;
    const int channel = FWidgets.PriorityUpDown[static_cast<std::size_t>(index)]->Position();
    const auto row = FTable->Channel(channel);
    if (!row || !row->FreqMHz)
        return;
    const QString mem = FormatMemNumber(channel);
    FContext.Sheet->Widgets().MemEdit->setText(mem);
    FContext.State().MemoryChannel = mem;
    FContext.MemoryWindow().ShowChannel(mem);
    FContext.MemoryWindow().SetChannelHighlighted(true);
    FContext.Driver->RecallMemory(channel);
    const int squelch = row->Squelch.value_or(kSquelchMax);
    FContext.Sheet->Squelch()->SetValue(u'M', squelch);
    FContext.Driver->SetSquelch(squelch);
}

void TPriorityController::PageEntered() {
    for (QLineEdit* box : FWidgets.PriorityMemChannelEdit)
        PaintBox(box, kBoxBlack);
}

void TPriorityController::LoadPrioritySettings() {
    const TIniFile ini(SettingsFileName());
    const QString section = QString::fromUtf16(kSection);
    for (int i = 0; i < kPriorityChannelCount; ++i) {
        const auto k = static_cast<std::size_t>(i);
        const QString number = QString::number(i + 1);
        FWidgets.PriorityUpDown[k]->SetPosition(ini.ReadInteger(section, number, 0));
        FWidgets.PrioritySelectCheckBox[k]->setChecked(
            ini.ReadString(section, u"PriorityChannel"_s + number, u"0"_s) == u"1"_s);
    }
    FWidgets.PrioritySquelchUpDown->SetPosition(
        ini.ReadInteger(section, u"PrioritySquelch"_s, kDefaultPrioritySquelch));
    FWidgets.PriorityPeriodUpDown->SetPosition(
        ini.ReadInteger(section, u"PriorityPeriod"_s, kDefaultPeriodSeconds));
}

void TPriorityController::SavePrioritySettings() {
    TIniFile ini(SettingsFileName());
    const QString section = QString::fromUtf16(kSection);
    bool written = true;
    for (int i = 0; i < kPriorityChannelCount; ++i) {
        const auto k = static_cast<std::size_t>(i);
        const QString number = QString::number(i + 1);
        written = written &&
                  ini.WriteString(section, number,
                                  FormatMemNumber(FWidgets.PriorityUpDown[k]->Position())) &&
                  ini.WriteBool(section, u"PriorityChannel"_s + number,
                                FWidgets.PrioritySelectCheckBox[k]->isChecked());
    }
    written =
        written &&
        ini.WriteInteger(section, u"PrioritySquelch"_s,
                         FWidgets.PrioritySquelchUpDown->Position()) &&
        ini.WriteInteger(section, u"PriorityPeriod"_s, FWidgets.PriorityPeriodUpDown->Position());
    if (!written)
        FContext.Report(ini.ErrorText());
}

void TPriorityController::LinkGone() {
    FPriority.stop();
    PriorityCheckBox1()->setChecked(false);
    Wake();
}
