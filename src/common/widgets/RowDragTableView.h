#pragma once

#include <QTableView>

#include <memory>

class QMimeData;

// A grid whose current row can be dragged out of it. Inside the grid the mouse selects and edits
// as usual; a row pressed with the left button leaves the grid only when the pointer does.
class TRowDragTableView : public QTableView {
    Q_OBJECT

public:
    using QTableView::QTableView;

    // What a row dragged out carries; a row with nothing to carry starts no drag.
    virtual std::unique_ptr<QMimeData> RowMimeData(int row) const = 0;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void StartRowDrag(int row);

    bool FDragArmed = false; // pressed on a row with the left button, not yet dragged
};
