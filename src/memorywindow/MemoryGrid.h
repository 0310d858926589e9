#pragma once

#include "RowDragTableView.h"
#include "TableModel.h"

#include <QColor>
#include <QList>
#include <QMetaObject>
#include <QPointer>
#include <QStringList>
#include <QStringView>

#include <functional>
#include <memory>

class QMimeData;

// The editable grid of the memory window. The model keeps the table's field order; the grid
// shows its own column order, which survives the view being reopened. What a double click or a
// key means is the window's business: the grid only says it happened.
class TMemoryGrid : public TRowDragTableView {
    Q_OBJECT

public:
    static constexpr int kGridColumnCount = 18;

    explicit TMemoryGrid(QWidget* parent = nullptr);
    ~TMemoryGrid() override;

    void SetTableModel(TTableModel* model);
    TTableModel* TableModel() const { return FModel; }

    // The field shown in a grid column, empty outside 0..17.
    static QStringView GridColumnField(int gridColumn);
    // The grid column of a field (any letter case), -1 when the grid does not show it.
    int GridColumnOf(QStringView field) const;
    // The model column of a grid column, -1 while the view lacks that field.
    int FieldOfGridColumn(int gridColumn) const;
    // The grid column of a model column, -1 when the grid does not show it.
    int GridColumnOfField(int field) const;
    // The grid column of the current cell, -1 when there is none.
    int FocusedGridColumn() const;

    // What a grid column's editor offers; empty for columns edited as plain text.
    QStringList PickList(int gridColumn) const;

    // Title row and MEM column take fixed (and the titles' text colour), the data cells back and
    // text.
    void SetColours(const QColor& fixed, const QColor& back, const QColor& text);
    // One title in the highlight colour, the others fixed; -1 highlights none.
    void SetTitleHighlight(int gridColumn, const QColor& highlight);
    QColor TitleColour(int gridColumn) const;
    // The highlighted title's grid column, -1 when none is.
    int HighlightedTitle() const { return FHighlightColumn; }
    QColor FixedColour() const { return FFixed; }
    QColor BackColour() const { return FBack; }
    QColor TextColour() const { return FText; }
    QColor TitleTextColour() const;

    void SetMultiSelect(bool on);
    bool MultiSelect() const;
    // Model rows, ascending.
    QList<int> SelectedRows() const;

    // The grid's current row is the view's current row, whichever of the two moves it.
    void BindToView(TTableView& view);
    // Makes a row of the view the grid's current row, keeping the focused column.
    void FollowViewRow(int row);
    // Only these fields show, with these widths (0: as the grid has it); empty shows all.
    void SetShownFields(const QList<QPair<QString, int>>& fields);

    // The bank the rows belong to, for what a dragged row carries; -1 while nobody says.
    std::function<int()> CurrentBank;
    // What a row dragged out of the grid carries: the bank and its MEM, so a drop finds the
    // channel however the view moves meanwhile.
    std::unique_ptr<QMimeData> RowMimeData(int row) const override;

Q_SIGNALS:
    void TuneRequested();
    void QuickJumpRequested();
    // After the current row moved by Page Up/Down or Up/Down, once the key is let go.
    void ScrollKeyReleased();
    // The current cell has already moved to this column of the current row.
    void TitleClicked(int gridColumn);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QPointer<TTableModel> FModel;
    QMetaObject::Connection FResetConnection;
    QColor FFixed;
    QColor FBack;
    QColor FText;
    QColor FTitleHighlight;
    int FHighlightColumn = -1;
    QList<QPair<QString, int>> FShownFields;

    void ArrangeColumns();
    void OnTitleClicked(int field);
};
