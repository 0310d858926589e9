#pragma once

#include "RowDragTableView.h"

#include <QColor>
#include <QStringList>

#include <functional>
#include <memory>

class QMimeData;

// The log window's grid: black with lime text, the ID column grey; pick lists, a check box and a
// spin box as editors. What the user does with the mouse and keys arrives as signals, so the
// window decides what follows.
class TLogGrid : public TRowDragTableView {
    Q_OBJECT

public:
    explicit TLogGrid(QWidget* parent = nullptr);

    // The model column shown at each grid position; the others are hidden.
    void SetColumnOrder(const QList<int>& modelColumns, const QList<int>& widths);
    // The model column at a grid position, and back; -1 when none.
    int ModelColumn(int gridColumn) const;
    int GridColumn(int modelColumn) const;

    void SetColours(const QColor& idBack, const QColor& back, const QColor& text);
    QColor IdBackColour() const { return FIdBack; }

    // Editors of model columns: a pick list, a check box ("True"/"False"), a spin box.
    void SetPickList(int modelColumn, const QStringList& items, bool editable = false);
    void SetPickListSource(int modelColumn, std::function<QStringList()> items);
    void SetCheckColumn(int modelColumn);
    void SetSpinColumn(int modelColumn, int minimum, int maximum);

    // The model column holding the row ID, which a row dragged out of the grid carries.
    int IdModelColumn = -1;
    // What a row dragged to a VFO box carries; empty when the row has no ID yet.
    std::unique_ptr<QMimeData> RowMimeData(int row) const override;

Q_SIGNALS:
    // Double click, or Enter while no editor is open.
    void RowActivated();
    void PopupRequested(const QPoint& globalPos);
    // The mouse moved over a cell with Ctrl+Shift held (-1 for none).
    void HoverWithCtrlShift(const QPoint& globalPos, int row, int modelColumn);
    void HoverEnded();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QColor FIdBack{165, 165, 165};
    QList<int> FOrder;
};
