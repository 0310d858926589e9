#include "KeyPreview.h"

#include "TuningController.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWheelEvent>
#include <QWidget>

TKeyPreview::TKeyPreview(QWidget* window, TTuningController* tuning, QObject* parent)
    : QObject(parent)
    , FWindow(window)
    , FTuning(tuning) {
    QApplication::instance()->installEventFilter(this);
}

TKeyPreview::~TKeyPreview() {
    QApplication::instance()->removeEventFilter(this);
}

bool TKeyPreview::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::Wheel)
        return false;
    if (!FWindow || !watched->isWidgetType() || static_cast<QWidget*>(watched)->window() != FWindow)
        return false;
    if (type == QEvent::Wheel)
        return FTuning->Wheel(static_cast<const QWheelEvent*>(event));
    // A key the focused control ignores is offered to its parents as well: the window's handling
    // runs once, when the key first arrives.
    QWidget* first = FWindow->focusWidget() ? FWindow->focusWidget() : FWindow.data();
    if (watched != first)
        return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    if (type == QEvent::KeyPress)
        return FTuning->KeyDown(key->key(), key->modifiers());
    // Held keys repeat as release and press pairs on some systems: only the real release counts.
    if (key->isAutoRepeat())
        return false;
    return FTuning->KeyUp(key->key(), key->modifiers());
}
