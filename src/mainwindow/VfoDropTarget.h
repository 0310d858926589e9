#pragma once

#include "DragData.h"
#include "MainSheet.h"
#include "VfoDropSequence.h"

#include <QObject>
#include <QPoint>
#include <QPointer>

class QLineEdit;
class QMimeData;
class QMouseEvent;

// Dragging onto the VFO boxes and the entry box, and dragging out of the Main page's own boxes.
// A drop is checked when it arrives and its command sequence runs once the drop event has
// returned, so the source's drag has ended before the receiver is talked to.
class TVfoDropTarget : public QObject {
    Q_OBJECT

public:
    TVfoDropTarget(const TMainSheetWidgets& widgets, const TPanelContext& context,
                   TVfoPanelController& panel, TSquelchController& squelch, QObject* parent);

    // Rows of the memory and log tables; filled by the application.
    TDropRowSource Rows;
    TVfoDropSequence& Sequence() { return FSequence; }

    // The box a drop lands on: 'A'..'E' for the VFO boxes, a null letter for the entry box.
    static QChar TargetLetter(const QObject* target);
    // Whether `mime` may be dropped on `target` now.
    bool Accepts(const QMimeData* mime, const QWidget* target) const;
    // Takes a drop (false when refused); its sequence follows from the event loop.
    bool Drop(const QMimeData* mime, QWidget* target);
    // The log window's double click: its current row onto a VFO, as if dragged there.
    void DropLogRow(QChar target, qint64 id);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool IsTarget(const QObject* object) const;
    QLineEdit* FrequencyBox(const QString& name) const;
    bool MayStartDrag(const QLineEdit* box, const QMouseEvent* press) const;
    void StartDrag(QLineEdit* box);
    void Run(QChar target, const TDragPayload& payload);

    TMainSheetWidgets FWidgets;
    TPanelContext FContext;
    TVfoDropSequence FSequence;
    // The box pressed in a way that starts a drag once the mouse moves, and where.
    QPointer<QLineEdit> FArmed;
    QPoint FPressAt;
};
