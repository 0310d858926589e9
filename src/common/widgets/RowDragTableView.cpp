#include "RowDragTableView.h"

#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>

void TRowDragTableView::mousePressEvent(QMouseEvent* event) {
    QTableView::mousePressEvent(event);
    FDragArmed =
        event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).isValid();
}

void TRowDragTableView::mouseMoveEvent(QMouseEvent* event) {
    if (FDragArmed && event->buttons().testFlag(Qt::LeftButton) &&
        !viewport()->rect().contains(event->position().toPoint())) {
        FDragArmed = false;
        if (currentIndex().isValid()) {
            StartRowDrag(currentIndex().row());
            return;
        }
    }
    QTableView::mouseMoveEvent(event);
}

void TRowDragTableView::mouseReleaseEvent(QMouseEvent* event) {
    FDragArmed = false;
    QTableView::mouseReleaseEvent(event);
}

void TRowDragTableView::StartRowDrag(int row) {
    std::unique_ptr<QMimeData> mime = RowMimeData(row);
    if (mime->formats().isEmpty())
        return;
    auto* drag = new QDrag(this); // Qt deletes it when the drag is over
    drag->setMimeData(mime.release());
    drag->exec(Qt::CopyAction);
    // The drag took the button's release: the grid is not selecting any more.
    stopAutoScroll();
    setState(QAbstractItemView::NoState);
}
