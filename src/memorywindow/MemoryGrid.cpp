#include "MemoryGrid.h"

#include "DragData.h"
#include "FieldChecks.h"
#include "NumberText.h"
#include "TableModel.h"
#include "TableView.h"
#include "ValueTables.h"

#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include <algorithm>
#include <array>

using namespace Qt::StringLiterals;

namespace {

struct TGridColumn {
    const char16_t* Field;
    int Width; // 0: the header's default
};

constexpr std::array<TGridColumn, TMemoryGrid::kGridColumnCount> kColumns = {{
    {u"MEM", 35},
    {u"FREQ", 64},
    {u"TEXT", 0},
    {u"MODE", 64},
    {u"BW", 64},
    {u"LP", 64},
    {u"HP", 64},
    {u"DM", 64},
    {u"AGC", 64},
    {u"STEP", 64},
    {u"SSTEP", 64},
    {u"ATN", 64},
    {u"ANT", 64},
    {u"STADJ", 64},
    {u"PASS", 64},
    {u"SELSCAN", 64},
    {u"SQUELCH", 64},
    {u"CHANGED", 60},
}};

constexpr int kMemGridColumn = 0;
constexpr int kFreqColumn = 1;

QStringList ToStringList(std::span<const char* const> texts) {
    QStringList list;
    list.reserve(static_cast<qsizetype>(texts.size()));
    for (const char* text : texts)
        list << QString::fromLatin1(text);
    return list;
}

// The text an editor starts from: flags as the grid shows them, other values as stored.
QString EditText(const QVariant& value) {
    if (value.isNull())
        return {};
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? u"Y"_s : QString();
    return value.toString();
}

// Editors and cell colours. Pick-list columns edit through an editable combo box so that a
// typed value still goes to the field checks, which decide.
class TGridDelegate : public QStyledItemDelegate {
public:
    explicit TGridDelegate(TMemoryGrid& grid)
        : QStyledItemDelegate(&grid)
        , FGrid(grid) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override {
        const QStringList pickList = FGrid.PickList(FGrid.GridColumnOfField(index.column()));
        if (pickList.isEmpty()) {
            auto* edit = new QLineEdit(parent);
            edit->setFrame(false);
            return edit;
        }
        auto* combo = new QComboBox(parent);
        combo->setEditable(true);
        // Without a completer the combo box neither completes nor folds the letter case of
        // what was typed to a list entry: the text is stored as typed.
        combo->setCompleter(nullptr);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->addItems(pickList);
        combo->setMaxVisibleItems(static_cast<int>(pickList.size()));
        return combo;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        const QString text = EditText(index.data(Qt::EditRole));
        if (auto* combo = qobject_cast<QComboBox*>(editor)) {
            combo->setCurrentIndex(combo->findText(text, Qt::MatchFixedString));
            combo->setEditText(text);
            // A key that opened the editor replaces the text rather than adding to it.
            combo->lineEdit()->selectAll();
        } else if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
            edit->setText(text);
        }
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        QString text;
        if (const auto* combo = qobject_cast<QComboBox*>(editor))
            text = combo->currentText();
        else if (const auto* edit = qobject_cast<QLineEdit*>(editor))
            text = edit->text();
        else
            return;
        // An editor left as it was opened posts nothing, so the row is not marked CHANGED.
        if (text == EditText(index.data(Qt::EditRole)))
            return;
        model->setData(index, text, Qt::EditRole);
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        // MEM is the row's title: it is written like the titles, whatever the data colours.
        const bool fixed = FGrid.GridColumnOfField(index.column()) == kMemGridColumn;
        // Only the unselected background: the style paints a selected cell in the highlight.
        const QColor background = fixed ? FGrid.FixedColour() : FGrid.BackColour();
        if (background.isValid())
            option->backgroundBrush = background;
        const QColor text = fixed ? FGrid.TitleTextColour() : FGrid.TextColour();
        if (text.isValid())
            option->palette.setColor(QPalette::Text, text);
    }

private:
    TMemoryGrid& FGrid;
};

// Titles painted flat in the grid's colours; styles may ignore a palette's button colour.
class TGridHeader : public QHeaderView {
public:
    explicit TGridHeader(TMemoryGrid& grid)
        : QHeaderView(Qt::Horizontal, &grid)
        , FGrid(grid) {}

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override {
        if (!rect.isValid())
            return;
        QStyleOptionHeader option;
        initStyleOption(&option);
        initStyleOptionForIndex(&option, logicalIndex);
        option.rect = rect;
        QColor colour = FGrid.TitleColour(FGrid.GridColumnOfField(logicalIndex));
        if (!colour.isValid())
            colour = FGrid.FixedColour();
        painter->save();
        painter->fillRect(rect, colour);
        painter->setPen(palette().color(QPalette::Mid));
        painter->drawLine(rect.topRight(), rect.bottomRight());
        painter->drawLine(rect.bottomLeft(), rect.bottomRight());
        style()->drawControl(QStyle::CE_HeaderLabel, &option, painter, this);
        painter->restore();
    }

private:
    TMemoryGrid& FGrid;
};

} // namespace

TMemoryGrid::TMemoryGrid(QWidget* parent)
    : TRowDragTableView(parent) {
    setObjectName(u"DBGrid1"_s);
    setHorizontalHeader(new TGridHeader(*this));
    setItemDelegate(new TGridDelegate(*this));
    verticalHeader()->hide(); // MEM is the row's title
    // Rows as tight as the text allows: a bank is long, and the more rows show the better.
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setSectionsMovable(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // A double click tunes, so it never edits.
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed |
                    QAbstractItemView::SelectedClicked);
    setWordWrap(false);
    setStatusTip(u"Dbl click tunes ClickTitle sorts Rt click options Drag to vfos"_s);
    FFixed = palette().color(QPalette::Button);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &TMemoryGrid::OnTitleClicked);
}

TMemoryGrid::~TMemoryGrid() = default;

void TMemoryGrid::SetTableModel(TTableModel* model) {
    disconnect(FResetConnection);
    FModel = model;
    setModel(model);
    // The header forgets moved sections and widths when the model resets.
    if (model)
        FResetConnection =
            connect(model, &QAbstractItemModel::modelReset, this, &TMemoryGrid::ArrangeColumns);
    ArrangeColumns();
}

QStringView TMemoryGrid::GridColumnField(int gridColumn) {
    if (gridColumn < 0 || gridColumn >= kGridColumnCount)
        return {};
    return QStringView(kColumns[static_cast<std::size_t>(gridColumn)].Field);
}

int TMemoryGrid::GridColumnOf(QStringView field) const {
    for (int column = 0; column < kGridColumnCount; ++column)
        if (field.compare(GridColumnField(column), Qt::CaseInsensitive) == 0)
            return column;
    return -1;
}

int TMemoryGrid::FieldOfGridColumn(int gridColumn) const {
    if (!FModel || !FModel->View().Active() || gridColumn < 0 || gridColumn >= kGridColumnCount)
        return -1;
    const int field = FModel->View().FieldIndex(GridColumnField(gridColumn));
    return field < FModel->columnCount() ? field : -1;
}

int TMemoryGrid::GridColumnOfField(int field) const {
    if (!FModel || !FModel->View().Active() || field < 0 || field >= FModel->columnCount())
        return -1;
    return GridColumnOf(FModel->View().Field(field).Name);
}

int TMemoryGrid::FocusedGridColumn() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? GridColumnOfField(current.column()) : -1;
}

QStringList TMemoryGrid::PickList(int gridColumn) const {
    const QStringView field = GridColumnField(gridColumn);
    if (field.isEmpty())
        return {};
    // STEP takes any step in range; the list offers the receiver's own steps.
    if (field == u"STEP")
        return ToStringList(kSteps);
    const TFieldRule& rule = MemoryFieldRule(field);
    if (rule.Check == TFieldCheck::PickList || rule.Check == TFieldCheck::Flag)
        return ToStringList(rule.PickList);
    return {};
}

void TMemoryGrid::SetColours(const QColor& fixed, const QColor& back, const QColor& text) {
    FFixed = fixed;
    FBack = back;
    FText = text;
    // The area below the last row and the editors follow the data colours.
    QPalette colours = palette();
    colours.setColor(QPalette::Base, back);
    colours.setColor(QPalette::Text, text);
    setPalette(colours);
    horizontalHeader()->viewport()->update();
    viewport()->update();
}

void TMemoryGrid::SetTitleHighlight(int gridColumn, const QColor& highlight) {
    FHighlightColumn = gridColumn >= 0 && gridColumn < kGridColumnCount ? gridColumn : -1;
    FTitleHighlight = highlight;
    horizontalHeader()->viewport()->update();
}

QColor TMemoryGrid::TitleTextColour() const {
    return horizontalHeader()->palette().color(QPalette::ButtonText);
}

QColor TMemoryGrid::TitleColour(int gridColumn) const {
    if (gridColumn < 0 || gridColumn >= kGridColumnCount)
        return {};
    return gridColumn == FHighlightColumn ? FTitleHighlight : FFixed;
}

void TMemoryGrid::SetMultiSelect(bool on) {
    setSelectionMode(on ? QAbstractItemView::ExtendedSelection
                        : QAbstractItemView::SingleSelection);
    if (on || !selectionModel())
        return;
    // Back to one row: the current one.
    const QModelIndex current = currentIndex();
    if (current.isValid())
        selectionModel()->select(current,
                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    else
        clearSelection();
}

bool TMemoryGrid::MultiSelect() const {
    return selectionMode() == QAbstractItemView::ExtendedSelection;
}

QList<int> TMemoryGrid::SelectedRows() const {
    QList<int> rows;
    if (!selectionModel())
        return rows;
    for (const QModelIndex& index : selectionModel()->selectedIndexes())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void TMemoryGrid::BindToView(TTableView& view) {
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [&view](const QModelIndex& current) {
                if (current.isValid() && current.row() != view.RecNo())
                    view.MoveTo(current.row());
            });
    connect(&view, &TTableView::CurrentChanged, this, &TMemoryGrid::FollowViewRow);
    // The view chooses its row before the grid is told of the new rows: the grid catches up.
    if (model())
        connect(model(), &QAbstractItemModel::modelReset, this,
                [this, &view] { FollowViewRow(view.RecNo()); });
}

void TMemoryGrid::FollowViewRow(int row) {
    const QModelIndex current = currentIndex();
    if (row < 0 || !model() || (current.isValid() && current.row() == row))
        return;
    const int column = current.isValid() ? current.column() : FieldOfGridColumn(0);
    setCurrentIndex(model()->index(row, std::max(column, 0)));
}

void TMemoryGrid::SetShownFields(const QList<QPair<QString, int>>& fields) {
    FShownFields = fields;
    ArrangeColumns();
}

std::unique_ptr<QMimeData> TMemoryGrid::RowMimeData(int row) const {
    if (!FModel || !FModel->View().Active() || row < 0 || row >= FModel->rowCount())
        return std::make_unique<QMimeData>();
    const int mem = FModel->View().FieldIndex(u"MEM");
    const auto channel =
        mem >= 0 ? ParseInteger(FModel->View().ValueAt(row, mem).toString()) : std::nullopt;
    if (!channel)
        return std::make_unique<QMimeData>();
    return MemoryRowDragData(objectName(), CurrentBank ? CurrentBank() : -1,
                             static_cast<int>(*channel));
}

void TMemoryGrid::ArrangeColumns() {
    if (!FModel)
        return;
    QHeaderView* header = horizontalHeader();
    int target = 0;
    for (int column = 0; column < kGridColumnCount; ++column) {
        const int field = FieldOfGridColumn(column);
        if (field < 0)
            continue;
        const int from = header->visualIndex(field);
        if (from != target)
            header->moveSection(from, target);
        int width = kColumns[static_cast<std::size_t>(column)].Width;
        // A frequency is never cut short, whatever the font.
        if (column == kFreqColumn)
            width = std::max(width, fontMetrics().horizontalAdvance(u"2600.000000"_s) + 12);
        header->resizeSection(field, width > 0 ? width : header->defaultSectionSize());
        ++target;
    }
    if (FShownFields.isEmpty())
        return;
    for (int field = 0; field < FModel->columnCount(); ++field) {
        const QString name =
            field < FModel->View().FieldCount() ? FModel->View().Field(field).Name : QString();
        const auto shown = std::find_if(FShownFields.cbegin(), FShownFields.cend(),
                                        [&name](const QPair<QString, int>& f) {
                                            return f.first.compare(name, Qt::CaseInsensitive) == 0;
                                        });
        header->setSectionHidden(field, shown == FShownFields.cend());
        if (shown != FShownFields.cend() && shown->second > 0)
            header->resizeSection(field, shown->second);
    }
}

void TMemoryGrid::OnTitleClicked(int field) {
    if (FModel && field >= 0 && FModel->rowCount() > 0) {
        const QModelIndex current = currentIndex();
        const int row = current.isValid() ? current.row() : 0;
        selectionModel()->setCurrentIndex(FModel->index(row, field),
                                          current.isValid() ? QItemSelectionModel::NoUpdate
                                                            : QItemSelectionModel::ClearAndSelect |
                                                                  QItemSelectionModel::Rows);
    }
    Q_EMIT TitleClicked(GridColumnOfField(field));
}

void TMemoryGrid::keyPressEvent(QKeyEvent* event) {
    if (event->modifiers().testFlag(Qt::ControlModifier)) {
        switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            event->accept();
            Q_EMIT TuneRequested();
            return;
        case Qt::Key_F3:
            event->accept();
            Q_EMIT QuickJumpRequested();
            return;
        case Qt::Key_Delete:
            // Channels are blanked, never deleted.
            event->accept();
            return;
        default:
            break;
        }
    }
    QTableView::keyPressEvent(event);
}

void TMemoryGrid::keyReleaseEvent(QKeyEvent* event) {
    QTableView::keyReleaseEvent(event);
    if (event->isAutoRepeat())
        return;
    switch (event->key()) {
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Up:
    case Qt::Key_Down:
        Q_EMIT ScrollKeyReleased();
        break;
    default:
        break;
    }
}

void TMemoryGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    const bool onRow =
        event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).isValid();
    // The base records the double click, which keeps the release that follows from editing.
    QTableView::mouseDoubleClickEvent(event);
    if (onRow)
        Q_EMIT TuneRequested();
}
