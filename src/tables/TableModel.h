#pragma once

#include <QAbstractTableModel>

#include <functional>
#include <vector>

class TTableView;

// A column that the table does not hold: worked out from the row (a calculated or looked-up
// value), and, when it can be typed into, written back through the row's own fields.
struct TCalculatedColumn {
    QString Name;
    std::function<QVariant(const TTableView& view, int row)> Value;
    // Empty: read-only. Otherwise sets the fields of the row being edited from a typed value;
    // false refuses it (whoever refused says why).
    std::function<bool(TTableView& view, const QVariant& value)> Assign;
};

// A Qt item model over a live view, for the grids: one column per field, rows fetched as the
// grid scrolls. Edits through setData are the user's: the view's checks run, then the row is
// posted.
class TTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit TTableModel(TTableView& view, QObject* parent = nullptr);

    TTableView& View() const { return FView; }

    // How a value is shown; without it the value itself is.
    std::function<QVariant(int field, const QVariant& value)> DisplayText;

    // Rows can be dragged out of a view that allows it.
    bool RowsDraggable = false;

    // A column's title; without it the field's name.
    std::function<QString(int column)> HeaderText;

    // Calculated columns follow the view's fields, in the order they are added.
    void AddCalculatedColumn(TCalculatedColumn column);
    // The model's column of a field or calculated column by name; -1 when there is none.
    int ColumnOf(QStringView name) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

Q_SIGNALS:
    // An edit the table refused, with the engine's text.
    void EditFailed(const QString& error);

private:
    TTableView& FView;
    // What the model has announced; the view may hold more rows a moment before.
    int FRowCount = 0;
    int FColumnCount = 0; // the view's fields, then the calculated columns
    int FFieldCount = 0;
    std::vector<TCalculatedColumn> FCalculated;

    const TCalculatedColumn* Calculated(int column) const;

    void Reset();
};
