#include "CategoryGrid.h"

#include "TableView.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScopedValueRollback>
#include <QStyledItemDelegate>
#include <QToolBar>
#include <QToolButton>

#include <array>

using namespace Qt::StringLiterals;

namespace {

const QColor kLightYellow(255, 255, 240);
constexpr int kCellPadding = 6;
constexpr int kNavigatorButtonWidth = 24;

struct TNavigatorCaption {
    TNavigateButton Button;
    const char* Name;
    const char* Text;
    const char* Hint;
};

constexpr std::array<TNavigatorCaption, 8> kNavigatorCaptions{{
    {TNavigateButton::First, "NavFirst", "|<", "First record"},
    {TNavigateButton::Prior, "NavPrior", "<", "Prior record"},
    {TNavigateButton::Next, "NavNext", ">", "Next record"},
    {TNavigateButton::Last, "NavLast", ">|", "Last record"},
    {TNavigateButton::Insert, "NavInsert", "+", "Insert record"},
    {TNavigateButton::Delete, "NavDelete", "-", "Delete record"},
    {TNavigateButton::Post, "NavPost", "\u2713", "Post edit"},
    {TNavigateButton::Cancel, "NavCancel", "\u2717", "Cancel edit"},
}};

} // namespace

// Rows of the view, and after them the new row while one is being inserted. The view's own row
// signals do not tell of a pending row, so the grid resets the model whenever the rows change.
class TCategoryGridModel : public QAbstractTableModel {
public:
    explicit TCategoryGridModel(TTableView& view, QObject* parent)
        : QAbstractTableModel(parent)
        , FView(view) {}

    void Reset() {
        beginResetModel();
        endResetModel();
    }
    // The row the grid shows as the view's current one.
    int CurrentRow() const {
        return FView.State() == TViewState::Insert ? FView.FetchedCount() : FView.RecNo();
    }
    void RowEdited(int row) { Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1)); }

    int rowCount(const QModelIndex& parent = {}) const override {
        if (parent.isValid() || !FView.Active())
            return 0;
        return FView.FetchedCount() + (FView.State() == TViewState::Insert ? 1 : 0);
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() || !FView.Active() ? 0 : FView.FieldCount();
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
            return {};
        const bool pending = FView.State() != TViewState::Browse && index.row() == CurrentRow();
        return pending ? FView.Value(index.column()) : FView.ValueAt(index.row(), index.column());
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (role != Qt::DisplayRole)
            return {};
        if (orientation == Qt::Vertical)
            return {};
        return section < columnCount() ? QVariant(FView.Field(section).Name) : QVariant();
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        Qt::ItemFlags result = QAbstractTableModel::flags(index);
        if (index.isValid() && FView.CanModify() && !FView.Field(index.column()).ReadOnly)
            result |= Qt::ItemIsEditable;
        return result;
    }
    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        if (!index.isValid() || role != Qt::EditRole)
            return false;
        if (index.row() != CurrentRow() || !FView.Edit())
            return false;
        // A refused value has been explained by whoever refused it.
        if (!FView.SetField(index.column(), value, TAssignOrigin::User))
            return false;
        RowEdited(index.row());
        return true;
    }

private:
    TTableView& FView;
};

// Remembers the open editor, so the window can take its text before it closes.
class TCategoryDelegate : public QStyledItemDelegate {
public:
    explicit TCategoryDelegate(TCategoryGrid& grid)
        : QStyledItemDelegate(&grid)
        , FGrid(grid) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        FGrid.FEditor = editor;
        return editor;
    }

private:
    TCategoryGrid& FGrid;
};

TCategoryGrid::TCategoryGrid(TTableView& view, int categoryWidth, QWidget* parent)
    : QTableView(parent)
    , FView(view)
    , FModel(new TCategoryGridModel(view, this))
    // The width asked for, or more when the font needs it to show a category of full length.
    , FCategoryWidth(
          std::max(categoryWidth,
                   fontMetrics().horizontalAdvance(u"0123456789ABCDEF"_s) + 2 * kCellPadding)) {
    setModel(FModel);
    setItemDelegate(new TCategoryDelegate(*this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    QPalette colours = palette();
    colours.setColor(QPalette::Base, kLightYellow);
    colours.setColor(QPalette::Text, Qt::black);
    setPalette(colours);

    for (const auto rowsSignal : {&TTableView::Opened, &TTableView::Closed})
        connect(&view, rowsSignal, this, &TCategoryGrid::ResetRows);
    connect(&view, &TTableView::RowsFetched, this, &TCategoryGrid::ResetRows);
    connect(&view, &TTableView::RowRemoved, this, &TCategoryGrid::ResetRows);
    connect(&view, &TTableView::RowChanged, this, [this](int row) { FModel->RowEdited(row); });
    connect(&view, &TTableView::CurrentChanged, this, [this] { ShowViewRow(); });
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { RowChosen(current.row()); });
    ResetRows();
}

void TCategoryGrid::ResetRows() {
    {
        const QScopedValueRollback syncing(FSyncing, true);
        FModel->Reset();
        const int id = FView.FieldIndex(u"ID");
        if (id >= 0)
            setColumnHidden(id, true);
        const int category = FView.FieldIndex(u"Category");
        if (category >= 0)
            setColumnWidth(category, FCategoryWidth);
    }
    ShowViewRow();
}

void TCategoryGrid::ShowViewRow() {
    if (FSyncing)
        return;
    const QScopedValueRollback syncing(FSyncing, true);
    const int row = FModel->CurrentRow();
    const int category = std::max(FView.FieldIndex(u"Category"), 0);
    if (row >= 0 && row < FModel->rowCount())
        setCurrentIndex(FModel->index(row, category));
}

void TCategoryGrid::RowChosen(int row) {
    if (FSyncing || row < 0 || row == FModel->CurrentRow())
        return;
    // A new row is the last one, so posting or dropping it leaves `row` where it was.
    if (!PostPending()) {
        // The pending row could not be posted: the grid goes back to it once this change is over.
        QMetaObject::invokeMethod(this, &TCategoryGrid::ShowViewRow, Qt::QueuedConnection);
        return;
    }
    Report(FView.MoveTo(row));
    ShowViewRow();
}

bool TCategoryGrid::DropBlankInsert() {
    if (FView.State() != TViewState::Insert)
        return false;
    for (int field = 0; field < FView.FieldCount(); ++field)
        if (!FView.Value(field).isNull() && !FView.Value(field).toString().isEmpty())
            return false;
    FView.Cancel();
    ResetRows();
    return true;
}

bool TCategoryGrid::Report(bool ok) {
    if (!ok && !FView.LastError().isEmpty() && OnError)
        OnError(FView.LastError());
    return ok;
}

void TCategoryGrid::keyPressEvent(QKeyEvent* event) {
    const bool editing = state() == EditingState;
    QTableView::keyPressEvent(event);
    // Enter that ends a cell's edit goes on to the window, which may take it as OK.
    if (editing && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter))
        event->ignore();
}

void TCategoryGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    if (editor == FEditor)
        FEditor = nullptr;
    QTableView::closeEditor(editor, hint);
}

void TCategoryGrid::CommitEdit() {
    if (!FEditor)
        return;
    QWidget* editor = FEditor;
    FEditor = nullptr;
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
}

bool TCategoryGrid::PostPending() {
    CommitEdit();
    const bool pending = FView.State() == TViewState::Edit || FView.State() == TViewState::Insert;
    if (!pending || DropBlankInsert())
        return true;
    if (!Report(FView.Post()))
        return false;
    Q_EMIT Posted();
    ShowViewRow();
    return true;
}

bool TCategoryGrid::Navigate(TNavigateButton button) {
    if (button != TNavigateButton::Cancel && button != TNavigateButton::Post)
        CommitEdit();
    switch (button) {
    case TNavigateButton::First:
    case TNavigateButton::Prior:
    case TNavigateButton::Next:
    case TNavigateButton::Last:
        if (!PostPending())
            return false;
        if (button == TNavigateButton::First)
            FView.First();
        else if (button == TNavigateButton::Prior)
            FView.Prior();
        else if (button == TNavigateButton::Next)
            FView.Next();
        else
            FView.Last();
        ShowViewRow();
        return true;
    case TNavigateButton::Insert:
        if (!PostPending() || !Report(FView.Append()))
            return false;
        ResetRows();
        setFocus();
        return true;
    case TNavigateButton::Delete:
        if (FView.State() != TViewState::Browse) {
            // A row not yet posted is only dropped.
            FView.Cancel();
            ResetRows();
            return true;
        }
        if (FView.RecNo() < 0 || (BeforeDelete && !BeforeDelete()))
            return false;
        return Report(FView.Delete());
    case TNavigateButton::Post:
        return PostPending();
    case TNavigateButton::Cancel:
        if (FEditor) {
            QWidget* editor = FEditor;
            FEditor = nullptr;
            closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
        }
        FView.Cancel();
        ResetRows();
        return true;
    }
    return false;
}

void TCategoryGrid::AddNavigator(QToolBar* bar, std::initializer_list<TNavigateButton> buttons) {
    for (const TNavigateButton button : buttons) {
        const auto caption = std::find_if(
            kNavigatorCaptions.cbegin(), kNavigatorCaptions.cend(),
            [button](const TNavigatorCaption& entry) { return entry.Button == button; });
        auto* tool = new QToolButton(bar);
        tool->setObjectName(QString::fromLatin1(caption->Name));
        tool->setText(QString::fromUtf8(caption->Text));
        tool->setToolTip(QString::fromLatin1(caption->Hint));
        tool->setFocusPolicy(Qt::NoFocus);
        tool->setFixedWidth(kNavigatorButtonWidth);
        connect(tool, &QToolButton::clicked, this, [this, button] { Navigate(button); });
        bar->addWidget(tool);
    }
}
