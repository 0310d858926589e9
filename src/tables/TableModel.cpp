#include "TableModel.h"

#include "TableView.h"

namespace {
constexpr int kFetchRows = 256;
}

TTableModel::TTableModel(TTableView& view, QObject* parent)
    : QAbstractTableModel(parent)
    , FView(view) {
    connect(&FView, &TTableView::Opened, this, &TTableModel::Reset);
    connect(&FView, &TTableView::Closed, this, &TTableModel::Reset);
    connect(&FView, &TTableView::RowsFetched, this, [this](int, int last) {
        if (last < FRowCount)
            return;
        beginInsertRows({}, FRowCount, last);
        FRowCount = last + 1;
        endInsertRows();
    });
    connect(&FView, &TTableView::RowChanged, this, [this](int row) {
        if (row < FRowCount)
            Q_EMIT dataChanged(index(row, 0), index(row, FColumnCount - 1));
    });
    connect(&FView, &TTableView::RowRemoved, this, [this](int row) {
        if (row >= FRowCount)
            return;
        beginRemoveRows({}, row, row);
        --FRowCount;
        endRemoveRows();
    });
    Reset();
}

void TTableModel::Reset() {
    beginResetModel();
    FRowCount = FView.Active() ? FView.FetchedCount() : 0;
    FFieldCount = FView.Active() ? FView.FieldCount() : 0;
    FColumnCount = FView.Active() ? FFieldCount + static_cast<int>(FCalculated.size()) : 0;
    endResetModel();
}

void TTableModel::AddCalculatedColumn(TCalculatedColumn column) {
    FCalculated.push_back(std::move(column));
    Reset();
}

const TCalculatedColumn* TTableModel::Calculated(int column) const {
    const int calculated = column - FFieldCount;
    return calculated >= 0 && calculated < static_cast<int>(FCalculated.size())
               ? &FCalculated[static_cast<std::size_t>(calculated)]
               : nullptr;
}

int TTableModel::ColumnOf(QStringView name) const {
    if (!FView.Active())
        return -1;
    const int field = FView.FieldIndex(name);
    if (field >= 0)
        return field;
    for (std::size_t c = 0; c < FCalculated.size(); ++c)
        if (FCalculated[c].Name.compare(name, Qt::CaseInsensitive) == 0)
            return FFieldCount + static_cast<int>(c);
    return -1;
}

int TTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : FRowCount;
}

int TTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : FColumnCount;
}

QVariant TTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= FRowCount || index.column() >= FColumnCount)
        return {};
    const TCalculatedColumn* calculated = Calculated(index.column());
    const QVariant value = calculated ? calculated->Value(FView, index.row())
                                      : FView.ValueAt(index.row(), index.column());
    if (role == Qt::EditRole)
        return value;
    if (role == Qt::DisplayRole)
        return DisplayText ? DisplayText(index.column(), value) : value;
    return {};
}

bool TTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    if (!FView.MoveTo(index.row()) || !FView.Edit()) {
        Q_EMIT EditFailed(FView.LastError());
        return false;
    }
    // A refused value leaves the row as it was; whoever refused it has said why.
    const TCalculatedColumn* calculated = Calculated(index.column());
    if (calculated ? !calculated->Assign(FView, value)
                   : !FView.SetField(index.column(), value, TAssignOrigin::User)) {
        FView.Cancel();
        return false;
    }
    if (!FView.Post()) {
        const QString error = FView.LastError();
        FView.Cancel();
        Q_EMIT EditFailed(error);
        return false;
    }
    return true;
}

Qt::ItemFlags TTableModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags result = QAbstractTableModel::flags(index);
    if (index.isValid() && RowsDraggable)
        result |= Qt::ItemIsDragEnabled;
    if (!index.isValid() || !FView.CanModify() || index.column() >= FColumnCount)
        return result;
    const TCalculatedColumn* calculated = Calculated(index.column());
    if (calculated ? bool(calculated->Assign) : !FView.Field(index.column()).ReadOnly)
        result |= Qt::ItemIsEditable;
    return result;
}

QVariant TTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal && HeaderText && section < FColumnCount) {
        const QString title = HeaderText(section);
        if (!title.isEmpty())
            return title;
    }
    if (orientation == Qt::Horizontal)
        return section < FFieldCount    ? QVariant(FView.Field(section).Name)
               : section < FColumnCount ? QVariant(Calculated(section)->Name)
                                        : QVariant();
    return section + 1;
}

bool TTableModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && FView.Active() &&
           (FRowCount < FView.FetchedCount() || !FView.AllFetched());
}

void TTableModel::fetchMore(const QModelIndex& parent) {
    if (parent.isValid())
        return;
    if (FRowCount < FView.FetchedCount()) {
        beginInsertRows({}, FRowCount, FView.FetchedCount() - 1);
        FRowCount = FView.FetchedCount();
        endInsertRows();
    }
    FView.FetchMore(kFetchRows);
}
