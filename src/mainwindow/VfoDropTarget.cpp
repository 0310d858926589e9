#include "VfoDropTarget.h"

#include "AR5000.h"
#include "EnterEditNoMove.h"
#include "NumberText.h"

#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QScopeGuard>
#include <QTimer>

using namespace Qt::StringLiterals;

TVfoDropTarget::TVfoDropTarget(const TMainSheetWidgets& widgets, const TPanelContext& context,
                               TVfoPanelController& panel, TSquelchController& squelch,
                               QObject* parent)
    : QObject(parent)
    , FWidgets(widgets)
    , FContext(context)
    , FSequence(widgets, context, panel, squelch) {
    for (QLineEdit* box : FWidgets.EditVco) {
        box->setAcceptDrops(true);
        box->installEventFilter(this);
    }
    FWidgets.EnterEdit1->setAcceptDrops(true);
    FWidgets.EnterEdit1->installEventFilter(this);
    FWidgets.MemEdit->installEventFilter(this);
}

QChar TVfoDropTarget::TargetLetter(const QObject* target) {
    const QString name = target ? target->objectName() : QString();
    return name.startsWith(u"EditVco"_s) ? VfoLetterOfName(name) : QChar();
}

bool TVfoDropTarget::IsTarget(const QObject* object) const {
    return object == FWidgets.EnterEdit1 ||
           std::find(FWidgets.EditVco.cbegin(), FWidgets.EditVco.cend(), object) !=
               FWidgets.EditVco.cend();
}

QLineEdit* TVfoDropTarget::FrequencyBox(const QString& name) const {
    return FWidgets.Page->window()->findChild<QLineEdit*>(name);
}

bool TVfoDropTarget::Accepts(const QMimeData* mime, const QWidget* target) const {
    if (!IsTarget(target) || !FContext.Driver->Connected() || FContext.State->DragInProgress)
        return false;
    const TDragPayload payload = ReadDragData(mime);
    switch (payload.Kind) {
    case TDragKind::FrequencyBox: {
        const QLineEdit* box = FrequencyBox(payload.Origin);
        return box && box != target;
    }
    case TDragKind::MemoryRow:
        return true;
    case TDragKind::LogRow:
        return IsVfoLetter(TargetLetter(target));
    case TDragKind::None:
        break;
    }
    return false;
}

bool TVfoDropTarget::Drop(const QMimeData* mime, QWidget* target) {
    if (!Accepts(mime, target))
        return false;
    const TDragPayload payload = ReadDragData(mime);
    const QChar letter = TargetLetter(target);
    FContext.State->DragInProgress = true;
    // The source is still inside its drag until this event returns.
    QTimer::singleShot(0, this, [this, letter, payload] { Run(letter, payload); });
    return true;
}

void TVfoDropTarget::DropLogRow(QChar target, qint64 id) {
    if (FContext.State->DragInProgress)
        return;
    TDragPayload payload;
    payload.Kind = TDragKind::LogRow;
    payload.LogId = id;
    FContext.State->DragInProgress = true;
    QTimer::singleShot(0, this, [this, target, payload] { Run(target, payload); });
}

void TVfoDropTarget::Run(QChar target, const TDragPayload& payload) {
    const auto done = qScopeGuard([this] { FContext.State->DragInProgress = false; });
    switch (payload.Kind) {
    case TDragKind::FrequencyBox:
        if (const QLineEdit* box = FrequencyBox(payload.Origin))
            FSequence.TextDrop(target, payload.Origin, box->text());
        return;
    case TDragKind::MemoryRow: {
        const auto row =
            Rows.MemoryRow ? Rows.MemoryRow(payload.Bank, payload.Channel) : std::nullopt;
        if (!row) {
            FContext.Report(
                u"Memory %1 is not in the memory table"_s.arg(payload.Channel, 3, 10, QChar(u'0')));
            return;
        }
        FSequence.MemoryRowDrop(target, *row, payload.Origin == u"MemEdit"_s);
        return;
    }
    case TDragKind::LogRow: {
        const auto row = Rows.LogRow ? Rows.LogRow(payload.LogId) : std::nullopt;
        if (!row) {
            FContext.Report(u"Log entry %1 is not in the log table"_s.arg(payload.LogId));
            return;
        }
        FSequence.LogRowDrop(target, *row);
        return;
    }
    case TDragKind::None:
        return;
    }
}

// ---------------------------------------------------------------------------------------------
// Dragging out of the Main page's boxes

bool TVfoDropTarget::MayStartDrag(const QLineEdit* box, const QMouseEvent* press) const {
    if (FContext.State->DragInProgress || press->modifiers() != Qt::NoModifier)
        return false;
    if (box == FWidgets.EnterEdit1 || box == FWidgets.MemEdit)
        return press->buttons() == (Qt::LeftButton | Qt::RightButton);
    return press->buttons() == Qt::LeftButton;
}

void TVfoDropTarget::StartDrag(QLineEdit* box) {
    std::unique_ptr<QMimeData> mime;
    if (box == FWidgets.MemEdit) {
        const auto channel = ParseInteger(box->text());
        if (!channel)
            return;
        mime = MemoryRowDragData(box->objectName(), -1, static_cast<int>(*channel));
    } else {
        mime = FrequencyBoxDragData(box->objectName());
    }
    auto* drag = new QDrag(box); // Qt deletes it when the drag is over
    drag->setMimeData(mime.release());
    drag->exec(Qt::CopyAction);
}

bool TVfoDropTarget::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* box = qobject_cast<QLineEdit*>(watched);
        const auto* mouse = static_cast<const QMouseEvent*>(event);
        if (box == FWidgets.EditVco[0] && mouse->button() == Qt::LeftButton &&
            FContext.RunFlags->SearchRunning)
            FContext.Report(u"Stop Search First"_s);
        if (box && MayStartDrag(box, mouse)) {
            FArmed = box;
            FPressAt = mouse->position().toPoint();
            // The second button of a two-button drag is no click of its own.
            return mouse->button() == Qt::RightButton;
        }
        FArmed = nullptr;
        return false;
    }
    case QEvent::MouseMove: {
        if (watched != FArmed)
            return false;
        const auto* mouse = static_cast<const QMouseEvent*>(event);
        if ((mouse->position().toPoint() - FPressAt).manhattanLength() <
            QApplication::startDragDistance())
            return false;
        QLineEdit* box = FArmed;
        FArmed = nullptr;
        StartDrag(box);
        return true;
    }
    case QEvent::MouseButtonRelease:
        if (watched == FArmed)
            FArmed = nullptr;
        return false;
    case QEvent::ContextMenu:
        return watched == FArmed;
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        if (!IsTarget(watched))
            return false;
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (Accepts(drag->mimeData(), static_cast<QWidget*>(watched))) {
            drag->setDropAction(Qt::CopyAction);
            drag->accept();
        } else {
            drag->ignore();
        }
        return true;
    }
    case QEvent::DragLeave:
        return IsTarget(watched);
    case QEvent::Drop: {
        if (!IsTarget(watched))
            return false;
        auto* drop = static_cast<QDropEvent*>(event);
        if (Drop(drop->mimeData(), static_cast<QWidget*>(watched))) {
            drop->setDropAction(Qt::CopyAction);
            drop->accept();
        } else {
            drop->ignore();
        }
        return true;
    }
    default:
        return false;
    }
}
