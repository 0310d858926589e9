#pragma once

#include <QAbstractTableModel>

#include <functional>

class TTableView;

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
    int FColumnCount = 0;

    void Reset();
};
