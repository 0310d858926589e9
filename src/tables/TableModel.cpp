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
    FColumnCount = FView.Active() ? FView.FieldCount() : 0;
    endResetModel();
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
    const QVariant value = FView.ValueAt(index.row(), index.column());
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
    if (!FView.SetField(index.column(), value, TAssignOrigin::User)) {
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
    if (index.isValid() && FView.CanModify() && index.column() < FColumnCount &&
        !FView.Field(index.column()).ReadOnly)
        result |= Qt::ItemIsEditable;
    return result;
}

QVariant TTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return section < FColumnCount ? QVariant(FView.Field(section).Name) : QVariant();
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
