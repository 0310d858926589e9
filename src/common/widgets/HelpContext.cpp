#include "HelpContext.h"

#include "HelpFile.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QWidget>

void SetHelpContext(QObject* target, int context) {
    target->setProperty(kHelpContextProperty, context);
}

int HelpContextOf(const QWidget* widget) {
    if (const auto* menu = qobject_cast<const QMenu*>(widget); menu && menu->activeAction()) {
        const int context = menu->activeAction()->property(kHelpContextProperty).toInt();
        if (context > 0)
            return context;
    }
    for (; widget; widget = widget->parentWidget()) {
        const int context = widget->property(kHelpContextProperty).toInt();
        if (context > 0)
            return context;
    }
    return 0;
}

void ApplyHelpContexts(QWidget* window) {
    const QString windowName = window->objectName();
    const std::u16string_view name(reinterpret_cast<const char16_t*>(windowName.utf16()),
                                   static_cast<std::size_t>(windowName.size()));
    if (const int context = HelpContextFor(name); context > 0)
        SetHelpContext(window, context);
    for (QWidget* control : window->findChildren<QWidget*>()) {
        const QString controlName = control->objectName();
        if (controlName.isEmpty())
            continue;
        const std::u16string_view controlView(
            reinterpret_cast<const char16_t*>(controlName.utf16()),
            static_cast<std::size_t>(controlName.size()));
        const int context = HelpContextFor(name, controlView);
        // Controls that only share the window's topic need no property of their own.
        if (context > 0 && context != HelpContextFor(name))
            SetHelpContext(control, context);
    }
}

void ShowHelpFor(const QWidget* widget) {
    const QWidget* window = widget ? widget->window() : nullptr;
    ShowHelpContext(window ? window->windowTitle() : QApplication::applicationDisplayName(),
                    HelpContextOf(widget));
}

THelpKey::THelpKey(QObject* parent)
    : QObject(parent) {
    qApp->installEventFilter(this);
}

// A deleted filter leaves the application's list by itself, even while the application ends.
THelpKey::~THelpKey() = default;

bool THelpKey::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier)
        return false;
    const QWidget* focused = QApplication::focusWidget();
    ShowHelpFor(focused ? focused : static_cast<QWidget*>(watched));
    return true;
}
