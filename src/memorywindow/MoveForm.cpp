#include "MoveForm.h"

#include "AR5000.h"
#include "DataUnit1.h"
#include "HelpContext.h"
#include "Hints.h"
#include "Main.h"
#include "MainSheet.h"
#include "MemForm.h"
#include "MemoryGrid.h"
#include "MemoryTransferController.h"
#include "Prompt.h"
#include "VfoPanelController.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QSplitter>
#include <QStatusTipEvent>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr int kHundreds = 10;
constexpr int kScrollRows = 2;
constexpr int kSpacerMargin = 6;
constexpr int kSpacerMinimum = 8;
constexpr int kDefaultWidth = 660;

// The columns both grids show, with their widths (0: the grid's own).
const QList<QPair<QString, int>> kMoveColumns = {
    {u"MEM"_s, 35}, {u"FREQ"_s, 0}, {u"TEXT"_s, 0}, {u"MODE"_s, 42}};

const char* KindWord(TMoveKind kind) {
    return kind == TMoveKind::Copy ? "Copy" : "Move";
}

// "movescroldown": an arrow pointing down, drawn rather than shipped as a file.
QCursor ScrollDownCursor() {
    QPixmap picture(16, 16);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::white);
    painter.drawPolygon(QPolygon({{6, 0}, {10, 0}, {10, 9}, {14, 9}, {8, 15}, {2, 9}, {6, 9}}));
    return QCursor(picture, 8, 15);
}

QCursor CursorFor(TMoveForm::TDragCursor cursor) {
    switch (cursor) {
    case TMoveForm::TDragCursor::ScrollUp:
        return QCursor(Qt::UpArrowCursor); // "movescrolup"
    case TMoveForm::TDragCursor::ScrollDown:
        return ScrollDownCursor();
    case TMoveForm::TDragCursor::Normal:
        break;
    }
    return QCursor(Qt::DragCopyCursor);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// The confirmation

TMoveConfirmForm::TMoveConfirmForm(const QString& question, QWidget* parent)
    : QDialog(parent) {
    setObjectName(u"MoveConfirmForm"_s);
    setWindowTitle(u"Confirm"_s);
    auto* layout = new QVBoxLayout(this);
    auto* choice = new QHBoxLayout;
    FMove = new QRadioButton(u"Move"_s, this);
    FMove->setObjectName(u"MoveRadioButton"_s);
    FMove->setChecked(true);
    FCopy = new QRadioButton(u"Copy"_s, this);
    FCopy->setObjectName(u"CopyRadioButton"_s);
    choice->addWidget(FMove);
    choice->addWidget(FCopy);
    layout->addLayout(choice);
    FLabel2 = new QLabel(u"Move"_s, this);
    FLabel2->setObjectName(u"Label2"_s);
    auto* label1 = new QLabel(question, this);
    label1->setObjectName(u"Label1"_s);
    layout->addWidget(FLabel2);
    layout->addWidget(label1);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(u"&OK"_s, QDialogButtonBox::AcceptRole);
    ok->setObjectName(u"OKButton"_s);
    ok->setDefault(true);
    buttons->addButton(u"&Cancel"_s, QDialogButtonBox::RejectRole)
        ->setObjectName(u"CancelButton"_s);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    for (QRadioButton* button : {FMove, FCopy})
        connect(button, &QRadioButton::toggled, this,
                [this] { FLabel2->setText(QString::fromLatin1(KindWord(Kind()))); });
    ApplyHelpContexts(this);
}

TMoveKind TMoveConfirmForm::Kind() const {
    return FCopy->isChecked() ? TMoveKind::Copy : TMoveKind::Move;
}

void TMoveConfirmForm::SetKind(TMoveKind kind) {
    (kind == TMoveKind::Copy ? FCopy : FMove)->setChecked(true);
}

// ---------------------------------------------------------------------------------------------
// Building

TMoveForm::TMoveForm(TMemForm& memForm, QWidget* parent)
    : QDialog(parent)
    , FMemForm(memForm) {
    setObjectName(u"MoveForm"_s);
    setWindowTitle(u"MoveForm"_s);
    TDataModule1& tables = memForm.Data();
    FMover = std::make_unique<TChannelMover>(*memForm.Main().Driver(), tables,
                                             memForm.Transfers()->Transfer());
    AskMoveOrCopy = [this](const QString& question) -> std::optional<TMoveKind> {
        TMoveConfirmForm confirm(question, this);
        if (confirm.exec() != QDialog::Accepted)
            return std::nullopt;
        return confirm.Kind();
    };

    const TMemoryGrid& memGrid = *memForm.Grid();
    const auto grid = [&memGrid, this](TTableModel* model, TTableView& view, const QString& name,
                                       const QString& hint) {
        auto* g = new TMemoryGrid(this);
        g->setObjectName(name);
        g->SetTableModel(model);
        g->SetShownFields(kMoveColumns);
        g->setEditTriggers(QAbstractItemView::NoEditTriggers);
        g->setStatusTip(LongHint(hint));
        g->SetColours(memGrid.FixedColour(), memGrid.BackColour(), memGrid.TextColour());
        g->BindToView(view);
        g->FollowViewRow(view.RecNo());
        return g;
    };
    FSourceGrid = grid(&tables.DataSource1(), tables.MemQuery1(), u"SourceGrid"_s,
                       u"|Drag across to move mem"_s);
    // A press on a selected row starts a drag of the rows selected rather than a new selection.
    tables.DataSource1().RowsDraggable = true;
    FSourceGrid->setDragEnabled(true);
    connect(FSourceGrid, &TMemoryGrid::TitleClicked, this, [this](int column) {
        if (column == 0)
            SourceShowAll();
    });
    FTargetModel = new TTableModel(tables.MoveTable(), this);
    FTargetModel->DisplayText = tables.DataSource1().DisplayText;
    FTargetGrid = grid(FTargetModel, tables.MoveTable(), u"TargetGrid"_s,
                       u"|Move cursor in title/bottom to scroll"_s);
    FTargetGrid->setAcceptDrops(true);
    FTargetGrid->horizontalHeader()->setAcceptDrops(true);
    FTargetGrid->viewport()->installEventFilter(this);
    FTargetGrid->horizontalHeader()->installEventFilter(this);
    FSourceGrid->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(BuildToolRow());
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName(u"Splitter1"_s);
    splitter->addWidget(FSourceGrid);
    splitter->addWidget(FTargetGrid);
    connect(splitter, &QSplitter::splitterMoved, this, &TMoveForm::UpdateSpacer);
    layout->addWidget(splitter, 1);

    auto* bottom = new QHBoxLayout;
    FInfoPanel = new QLabel(this);
    FInfoPanel->setObjectName(u"InfoPanel"_s);
    FInfoPanel->setStyleSheet(u"background-color: black; color: lime; padding: 2px;"_s);
    bottom->addWidget(FInfoPanel, 1);
    FMultiSelect = new QCheckBox(u"M&ulti Row Select"_s, this);
    FMultiSelect->setObjectName(u"cbMultiSelect"_s);
    FMultiSelect->setToolTip(u"To select multiple rows on grid for delete\r\nCtrl-click toggles, "
                             u"shift-cursor keys selects block"_s);
    connect(FMultiSelect, &QCheckBox::toggled, FSourceGrid, &TMemoryGrid::SetMultiSelect);
    bottom->addWidget(FMultiSelect);
    auto* close = new QPushButton(u"Close"_s, this);
    close->setObjectName(u"CloseButton"_s);
    close->setStatusTip(u"Close"_s);
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    bottom->addWidget(close);
    layout->addLayout(bottom);

    const QRect screen =
        memForm.screen() ? memForm.screen()->availableGeometry() : QRect(0, 0, 1280, 1024);
    setGeometry(50, 20, kDefaultWidth, screen.height() - 40);
    ApplyHelpContexts(this);
}

TMoveForm::~TMoveForm() = default;

QToolButton* TMoveForm::Button(const QString& name, const QString& text, const QString& hint) {
    auto* button = new QToolButton(this);
    button->setObjectName(name);
    button->setText(text);
    SetHint(button, hint);
    button->setAutoRaise(true);
    return button;
}

QWidget* TMoveForm::Navigator(const QString& prefix, TTableView& view) {
    auto* navigator = new QWidget(this);
    navigator->setObjectName(prefix + u"Navigator"_s);
    auto* row = new QHBoxLayout(navigator);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    const std::array<std::pair<QString, std::function<void()>>, 4> buttons = {{
        {u"|<"_s,
         [&view] {
             view.First();
         }},
        {u"<"_s,
         [&view] {
             view.Prior();
         }},
        {u">"_s,
         [&view] {
             view.Next();
         }},
        {u">|"_s,
         [&view] {
             view.Last();
         }},
    }};
    for (const auto& [text, act] : buttons) {
        QToolButton* button = Button({}, text, {});
        connect(button, &QToolButton::clicked, this, act);
        row->addWidget(button);
    }
    return navigator;
}

QWidget* TMoveForm::BuildToolRow() {
    auto* tools = new QWidget(this);
    auto* row = new QHBoxLayout(tools);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    TDataModule1& tables = FMemForm.Data();
    const auto maskEdit = [this](const QString& name) {
        auto* edit = new QLineEdit(u"000"_s, this);
        edit->setObjectName(name);
        edit->setValidator(
            new QRegularExpressionValidator(QRegularExpression(u"\\d{0,3}"_s), edit));
        edit->setFixedWidth(36);
        return edit;
    };
    const auto dropButton = [this](const QString& name, const QString& hint, QMenu* menu) {
        QToolButton* button = Button(name, u"100s"_s, hint);
        button->setMenu(menu);
        button->setPopupMode(QToolButton::InstantPopup);
        return button;
    };

    // The source: the memory view.
    FSourceNavigator = Navigator(u"Source"_s, tables.MemQuery1());
    row->addWidget(FSourceNavigator);
    FSourceMem = Button(u"SourceMemButton"_s, u"Mem"_s, u"|Jump to mem"_s);
    connect(FSourceMem, &QToolButton::clicked, this, &TMoveForm::SourceJumpToMem);
    row->addWidget(FSourceMem);
    FMaskEdit1 = maskEdit(u"MaskEdit1"_s);
    connect(FMaskEdit1, &QLineEdit::returnPressed, this, &TMoveForm::SourceJumpToMem);
    row->addWidget(FMaskEdit1);
    FSourcePopupMenu = new QMenu(this);
    FSourcePopupMenu->setObjectName(u"SourcePopupMenu"_s);
    FTargetPopupMenu = new QMenu(this);
    FTargetPopupMenu->setObjectName(u"TargetPopupMenu"_s);
    for (int hundred = 0; hundred < kHundreds; ++hundred) {
        const QString caption = FormatMemNumber(hundred * 100);
        connect(FSourcePopupMenu->addAction(caption), &QAction::triggered, this,
                [this, hundred] { SourceJumpByHundred(hundred); });
        connect(FTargetPopupMenu->addAction(caption), &QAction::triggered, this,
                [this, hundred] { TargetJumpByHundred(hundred); });
    }
    QAction* hideBlanks = FSourcePopupMenu->addAction(u"Hide Blanks"_s);
    hideBlanks->setStatusTip(u"Click MEM in title to restore"_s);
    connect(hideBlanks, &QAction::triggered, this, &TMoveForm::SourceHideBlanks);
    connect(FSourcePopupMenu->addAction(u"Show All"_s), &QAction::triggered, this,
            &TMoveForm::SourceShowAll);
    FSourceJump = dropButton(u"ToolButton9"_s, u"Jump by hundreds"_s, FSourcePopupMenu);
    row->addWidget(FSourceJump);

    FSpacer = new QWidget(this);
    FSpacer->setObjectName(u"Spacer"_s);
    FSpacer->setFixedWidth(kSpacerMinimum);
    row->addWidget(FSpacer);

    // The target: the whole bank table.
    row->addWidget(Navigator(u"Target"_s, tables.MoveTable()));
    QToolButton* targetMem = Button(u"TargetMemButton"_s, u"Mem"_s, u"|Jump to mem"_s);
    connect(targetMem, &QToolButton::clicked, this, &TMoveForm::TargetJumpToMem);
    row->addWidget(targetMem);
    FMaskEdit2 = maskEdit(u"MaskEdit2"_s);
    connect(FMaskEdit2, &QLineEdit::returnPressed, this, &TMoveForm::TargetJumpToMem);
    row->addWidget(FMaskEdit2);
    FTargetJump = dropButton(u"ToolButton1"_s, u"Jump by hundreds"_s, FTargetPopupMenu);
    row->addWidget(FTargetJump);
    row->addStretch(1);
    return tools;
}

int TMoveForm::SpacerWidth() const {
    const int groups = FSourceNavigator->width() + FSourceMem->width() + FMaskEdit1->width() +
                       FSourceJump->width();
    const int width = FSourceGrid->width() - groups - FSourceNavigator->x() - FTargetJump->width() -
                      kSpacerMargin;
    return std::max(width, kSpacerMinimum);
}

void TMoveForm::UpdateSpacer() {
    FSpacer->setFixedWidth(SpacerWidth());
}

// ---------------------------------------------------------------------------------------------
// Navigation

void TMoveForm::SourceJumpToMem() {
    if (!FMaskEdit1->text().isEmpty())
        FMemForm.GoToChannel(FMaskEdit1->text().toInt());
}

void TMoveForm::SourceJumpByHundred(int hundred) {
    FMemForm.JumpByHundred(hundred);
}

void TMoveForm::SourceHideBlanks() {
    // The memory window's own view state stays as it is.
    TDataModule1& tables = FMemForm.Data();
    if (!tables.ReopenMemoryView(HideBlanksSql(tables.ViewState.CurrentTable)))
        FMemForm.Main().AddMessage(tables.LastError());
}

void TMoveForm::SourceShowAll() {
    TDataModule1& tables = FMemForm.Data();
    if (!tables.ReopenMemoryView(AllRowsSql(tables.ViewState.CurrentTable)))
        FMemForm.Main().AddMessage(tables.LastError());
}

void TMoveForm::TargetJumpToMem() {
    if (FMaskEdit2->text().isEmpty())
        return;
    FMemForm.Data().MoveTable().Locate(u"MEM", FormatMemNumber(FMaskEdit2->text().toInt()));
    FTargetGrid->scrollTo(FTargetGrid->currentIndex());
}

void TMoveForm::TargetJumpByHundred(int hundred) {
    FMemForm.Data().MoveTable().Locate(u"MEM", FormatMemNumber(hundred * 100));
    FTargetGrid->scrollTo(FTargetGrid->currentIndex());
}

// ---------------------------------------------------------------------------------------------
// Dragging and dropping

bool TMoveForm::AcceptsDragFrom(const QObject* source) const {
    return source && source == FSourceGrid;
}

void TMoveForm::SetDragCursor(TDragCursor cursor) {
    FDragCursor = cursor;
    if (QGuiApplication::overrideCursor())
        QGuiApplication::changeOverrideCursor(CursorFor(cursor));
}

void TMoveForm::MoveTargetBy(int rows) {
    TTableView& table = FMemForm.Data().MoveTable();
    const int last = table.RecordCount() - 1;
    if (last < 0)
        return;
    table.MoveTo(std::clamp(table.RecNo() + rows, 0, last));
    FTargetGrid->scrollTo(FTargetGrid->currentIndex());
}

void TMoveForm::DragOverTarget(bool overTitles, const QPoint& pos) {
    if (overTitles) {
        MoveTargetBy(-kScrollRows);
        SetDragCursor(TDragCursor::ScrollUp);
        return;
    }
    // Rows fill the whole grid: "below the last row" is the strip under the last whole row.
    const QModelIndex index = FTargetGrid->indexAt(pos);
    const int rowHeight = FTargetGrid->verticalHeader()->defaultSectionSize();
    if (!index.isValid() || pos.y() > FTargetGrid->viewport()->height() - rowHeight / 2) {
        MoveTargetBy(kScrollRows);
        SetDragCursor(TDragCursor::ScrollDown);
        return;
    }
    FTargetGrid->setCurrentIndex(index);
    SetDragCursor(TDragCursor::Normal);
}

bool TMoveForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == FSourceGrid) {
        if (event->type() == QEvent::Resize)
            UpdateSpacer();
        return QDialog::eventFilter(watched, event);
    }
    const bool titles = watched == FTargetGrid->horizontalHeader();
    if (!titles && watched != FTargetGrid->viewport())
        return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (!AcceptsDragFrom(drag->source())) {
            drag->ignore();
            return true;
        }
        DragOverTarget(titles, drag->position().toPoint());
        drag->acceptProposedAction();
        return true;
    }
    case QEvent::DragLeave:
        SetDragCursor(TDragCursor::Normal);
        return true;
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        SetDragCursor(TDragCursor::Normal);
        if (titles || !AcceptsDragFrom(drop->source()) ||
            !FTargetGrid->indexAt(drop->position().toPoint()).isValid()) {
            drop->ignore();
            return true;
        }
        FTargetGrid->setCurrentIndex(FTargetGrid->indexAt(drop->position().toPoint()));
        drop->acceptProposedAction();
        DropOnTarget();
        return true;
    }
    default:
        return QDialog::eventFilter(watched, event);
    }
}

void TMoveForm::DropOnTarget() {
    TMainForm& main = FMemForm.Main();
    if (!main.Driver()->Connected()) {
        main.AddMessage(u"Not connected to Rx"_s);
        return;
    }
    TDataModule1& tables = FMemForm.Data();
    TTableView& view = tables.MemQuery1();
    TTableView& table = tables.MoveTable();
    if (!view.Active() || view.RecNo() < 0 || !table.Active() || table.RecNo() < 0)
        return;
    const bool multi = FMultiSelect->isChecked();
    const int mem = view.FieldIndex(u"MEM");
    QList<int> sources;
    if (multi) {
        for (const int row : FSourceGrid->SelectedRows())
            sources << view.ValueAt(row, mem).toString().toInt();
    } else {
        sources << view.Value(u"MEM").toString().toInt();
    }
    if (sources.isEmpty())
        return;
    const QString targetMem = table.Value(u"MEM").toString();
    const int target = targetMem.toInt();
    const QString question =
        multi ? QString::number(sources.size()) + u" Selected memories "_s +
                    u"to block starting at "_s + targetMem
              : u"Memory "_s + FormatMemNumber(sources.first()) + u" To "_s + targetMem + u" ?"_s;
    const std::optional<TMoveKind> kind = AskMoveOrCopy(question);
    if (!kind)
        return;
    if (!view.CanModify()) {
        Prompt().Error(windowTitle(), u"Cannot modify database, please unsort"_s);
        return;
    }
    if (!multi && sources.first() != target && FMover->Occupied(target).value_or(false) &&
        !Prompt().Confirm(windowTitle(), u"Memory "_s + targetMem +
                                             u" is in use\r\nOverwrite it with memory "_s +
                                             FormatMemNumber(sources.first()) + u"?"_s))
        return;

    const TMoveOutcome outcome = multi ? FMover->MoveBlock(sources, target, *kind)
                                       : FMover->MoveOneChannel(sources.first(), target, *kind);
    if (multi)
        FMultiSelect->setChecked(false);
    if (!multi && !outcome.Refused() && outcome.Targets.isEmpty() && outcome.NotDone.isEmpty())
        main.AddMessage(u"Memory "_s + FormatMemNumber(sources.first()) + u" is blank"_s);
    ShowAfterDrop(outcome);
    Report(outcome);
}

void TMoveForm::ShowAfterDrop(const TMoveOutcome& outcome) {
    TDataModule1& tables = FMemForm.Data();
    if (!tables.ReopenMemoryView(tables.MemQuery1().Sql()))
        FMemForm.Main().AddMessage(tables.LastError());
    const QString last = outcome.Targets.isEmpty() ? tables.MoveTable().Value(u"MEM").toString()
                                                   : FormatMemNumber(outcome.Targets.last());
    tables.LocateMemory(last);
    tables.OpenMoveTable();
    tables.MoveTable().Locate(u"MEM", last);
    FTargetGrid->scrollTo(FTargetGrid->currentIndex());
    if (outcome.Shown)
        FMemForm.Main().MainSheet()->VfoPanel()->ShowMemoryRecord(*outcome.Shown);
}

void TMoveForm::Report(const TMoveOutcome& outcome) {
    if (outcome.RefusalNotice == TMoveNotice::Messages)
        FMemForm.Main().AddMessage(outcome.Refusal);
    else if (outcome.RefusalNotice == TMoveNotice::ErrorBox)
        Prompt().Error(windowTitle(), outcome.Refusal);
    if (!outcome.NotDone.isEmpty())
        Prompt().Error(windowTitle(), u"Not done:\r\n"_s + outcome.NotDone.join(u"\r\n"_s));
}

// ---------------------------------------------------------------------------------------------
// Events

bool TMoveForm::event(QEvent* event) {
    // The long part of a hint shows in the info panel.
    if (event->type() == QEvent::StatusTip) {
        FInfoPanel->setText(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QDialog::event(event);
}

void TMoveForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    TTableView& table = FMemForm.Data().MoveTable();
    if (table.Active())
        table.Refresh();
    UpdateSpacer();
    // Both grids open on their current rows, the source on the row the memory window was on.
    for (TMemoryGrid* grid : {FSourceGrid, FTargetGrid})
        grid->scrollTo(grid->currentIndex(), QAbstractItemView::PositionAtCenter);
}

void TMoveForm::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    UpdateSpacer();
}

void TMoveForm::done(int result) {
    // The source may have hidden its blanks: the memory window gets back the rows it chose.
    TDataModule1& tables = FMemForm.Data();
    if (tables.MemQuery1().Sql() != tables.BuildMemorySql())
        tables.ReopenMemoryView(tables.BuildMemorySql());
    QDialog::done(result);
}

void OpenMoveForm(TMemForm& memForm) {
    if (memForm.RefusedWhileBusy())
        return;
    memForm.ShowAllMemories();
    memForm.Main().MainSheet()->Widgets().TimerCheckBox->setChecked(false);
    if (!memForm.Data().OpenMoveTable()) {
        memForm.Main().AddMessage(memForm.Data().LastError());
        return;
    }
    TMoveForm form(memForm, &memForm);
    form.exec();
}
