#include "LogGrid.h"

#include "DragData.h"
#include "Hints.h"

#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QSpinBox>
#include <QStyledItemDelegate>

using namespace Qt::StringLiterals;

namespace {

// A drop-down of fixed or changing items; `editable` lets the user type a value not listed.
class TPickListDelegate final : public QStyledItemDelegate {
public:
    TPickListDelegate(std::function<QStringList()> items, bool editable, QObject* parent)
        : QStyledItemDelegate(parent)
        , FItems(std::move(items))
        , FEditable(editable) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex&) const override {
        auto* box = new QComboBox(parent);
        box->addItems(FItems());
        box->setEditable(FEditable);
        return box;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* box = static_cast<QComboBox*>(editor);
        const QString text = index.data(Qt::DisplayRole).toString();
        const int found = box->findText(text);
        if (found >= 0)
            box->setCurrentIndex(found);
        else if (FEditable)
            box->setEditText(text);
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        const auto* box = static_cast<QComboBox*>(editor);
        const QString text = box->currentText();
        if (text != index.data(Qt::DisplayRole).toString())
            model->setData(index, text);
    }

private:
    std::function<QStringList()> FItems;
    bool FEditable;
};

// The ID column: its own background and black text, never edited.
class TIdDelegate final : public QStyledItemDelegate {
public:
    TIdDelegate(const QColor& back, QObject* parent)
        : QStyledItemDelegate(parent)
        , FBack(back) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem item(option);
        if (!(option.state & QStyle::State_Selected)) {
            painter->fillRect(option.rect, FBack);
            item.palette.setColor(QPalette::Text, Qt::black);
        }
        QStyledItemDelegate::paint(painter, item, index);
    }
    QWidget* createEditor(QWidget*, const QStyleOptionViewItem&,
                          const QModelIndex&) const override {
        return nullptr;
    }
    QColor FBack;
};

class TCheckDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QString displayText(const QVariant& value, const QLocale&) const override {
        return value.isNull() ? QString() : value.toBool() ? u"True"_s : u"False"_s;
    }
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex&) const override {
        auto* box = new QComboBox(parent);
        box->addItems({u"True"_s, u"False"_s});
        return box;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        static_cast<QComboBox*>(editor)->setCurrentIndex(index.data(Qt::EditRole).toBool() ? 0 : 1);
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        const bool on = static_cast<QComboBox*>(editor)->currentIndex() == 0;
        if (index.data(Qt::EditRole).isNull() || index.data(Qt::EditRole).toBool() != on)
            model->setData(index, on);
    }
};

class TSpinDelegate final : public QStyledItemDelegate {
public:
    TSpinDelegate(int minimum, int maximum, QObject* parent)
        : QStyledItemDelegate(parent)
        , FMinimum(minimum)
        , FMaximum(maximum) {}
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex&) const override {
        auto* spin = new QSpinBox(parent);
        spin->setRange(FMinimum, FMaximum);
        return spin;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        static_cast<QSpinBox*>(editor)->setValue(index.data(Qt::EditRole).toInt());
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        const int value = static_cast<QSpinBox*>(editor)->value();
        if (index.data(Qt::EditRole).isNull() || index.data(Qt::EditRole).toInt() != value)
            model->setData(index, value);
    }

private:
    int FMinimum;
    int FMaximum;
};

} // namespace

TLogGrid::TLogGrid(QWidget* parent)
    : TRowDragTableView(parent) {
    setObjectName(u"dxDBGrid1"_s);
    SetHint(this, u"|Dbl Click/Enter in ID column.  Drag to VFOs.  Right click menu.  [Ctrl-Shift] "
                  u"Show Notes in Hint"_s);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setMouseTracking(true);
    horizontalHeader()->setSectionsMovable(true);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setSortIndicatorShown(true);
    horizontalHeader()->setHighlightSections(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    SetColours(FIdBack, Qt::black, QColor(0, 255, 0));
}

void TLogGrid::SetColumnOrder(const QList<int>& modelColumns, const QList<int>& widths) {
    FOrder = modelColumns;
    QHeaderView* header = horizontalHeader();
    const int columns = model() ? model()->columnCount() : 0;
    for (int c = 0; c < columns; ++c)
        setColumnHidden(c, !modelColumns.contains(c));
    for (int position = 0; position < modelColumns.size(); ++position) {
        const int column = modelColumns[position];
        if (column >= columns)
            continue;
        header->moveSection(header->visualIndex(column), position);
        // The widths are for a small font: a larger one still shows whole frequencies.
        const int title = fontMetrics().horizontalAdvance(
                              model()->headerData(column, Qt::Horizontal).toString()) +
                          12;
        const int frequency = fontMetrics().horizontalAdvance(u"2600.000000"_s) + 10;
        if (position < widths.size() && widths[position] > 0)
            setColumnWidth(column, std::max({widths[position], position == 1 ? frequency : 0,
                                             std::min(title, 2 * widths[position])}));
    }
    if (!modelColumns.isEmpty())
        setItemDelegateForColumn(modelColumns.front(), new TIdDelegate(FIdBack, this));
}

int TLogGrid::ModelColumn(int gridColumn) const {
    return gridColumn >= 0 && gridColumn < FOrder.size() ? FOrder[gridColumn] : -1;
}

int TLogGrid::GridColumn(int modelColumn) const {
    return static_cast<int>(FOrder.indexOf(modelColumn));
}

void TLogGrid::SetColours(const QColor& idBack, const QColor& back, const QColor& text) {
    FIdBack = idBack;
    QPalette colours = palette();
    colours.setColor(QPalette::Base, back);
    colours.setColor(QPalette::Text, text);
    colours.setColor(QPalette::Highlight, QColor(0, 0, 128));
    colours.setColor(QPalette::HighlightedText, Qt::white);
    setPalette(colours);
    if (auto* id = dynamic_cast<TIdDelegate*>(itemDelegateForColumn(FOrder.value(0, -1))))
        id->FBack = idBack;
    viewport()->update();
}

void TLogGrid::SetPickList(int modelColumn, const QStringList& items, bool editable) {
    SetPickListSource(modelColumn, [items] { return items; });
    if (editable)
        setItemDelegateForColumn(modelColumn,
                                 new TPickListDelegate([items] { return items; }, true, this));
}

void TLogGrid::SetPickListSource(int modelColumn, std::function<QStringList()> items) {
    setItemDelegateForColumn(modelColumn, new TPickListDelegate(std::move(items), false, this));
}

void TLogGrid::SetCheckColumn(int modelColumn) {
    setItemDelegateForColumn(modelColumn, new TCheckDelegate(this));
}

void TLogGrid::SetSpinColumn(int modelColumn, int minimum, int maximum) {
    setItemDelegateForColumn(modelColumn, new TSpinDelegate(minimum, maximum, this));
}

void TLogGrid::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && state() != QAbstractItemView::EditingState &&
        event->modifiers() == Qt::NoModifier) {
        const QModelIndex current = currentIndex();
        if (current.isValid() &&
            ModelColumn(horizontalHeader()->visualIndex(current.column())) == FOrder.value(0, -1)) {
            Q_EMIT RowActivated();
            return;
        }
        if (current.isValid() && (current.flags() & Qt::ItemIsEditable)) {
            edit(current);
            return;
        }
    }
    QTableView::keyPressEvent(event);
}

void TLogGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && !(index.flags() & Qt::ItemIsEditable)) {
        setCurrentIndex(index);
        Q_EMIT RowActivated();
        return;
    }
    QTableView::mouseDoubleClickEvent(event);
}

void TLogGrid::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        const QModelIndex index = indexAt(event->position().toPoint());
        if (index.isValid())
            setCurrentIndex(index);
        Q_EMIT PopupRequested(event->globalPosition().toPoint());
        return;
    }
    TRowDragTableView::mousePressEvent(event);
}

void TLogGrid::mouseMoveEvent(QMouseEvent* event) {
    if ((event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier)) ==
        (Qt::ControlModifier | Qt::ShiftModifier)) {
        const QModelIndex index = indexAt(event->position().toPoint());
        if (index.isValid()) {
            setCurrentIndex(index.siblingAtColumn(currentIndex().isValid() ? currentIndex().column()
                                                                           : index.column()));
            Q_EMIT HoverWithCtrlShift(event->globalPosition().toPoint(), index.row(),
                                      index.column());
            return;
        }
    }
    Q_EMIT HoverEnded();
    TRowDragTableView::mouseMoveEvent(event);
}

std::unique_ptr<QMimeData> TLogGrid::RowMimeData(int row) const {
    const QVariant id = model() && IdModelColumn >= 0
                            ? model()->index(row, IdModelColumn).data(Qt::EditRole)
                            : QVariant();
    bool isNumber = false;
    const qint64 value = id.toLongLong(&isNumber);
    if (id.isNull() || !isNumber)
        return std::make_unique<QMimeData>();
    return LogRowDragData(objectName(), value);
}
