#include "Hints.h"

#include <QAction>
#include <QApplication>
#include <QScopedValueRollback>
#include <QStatusTipEvent>
#include <QToolTip>
#include <QWidget>

using namespace Qt::StringLiterals;

QString ShortHint(const QString& hint) {
    // Multi-line hints are written with CR LF; a tool tip breaks on LF alone.
    return hint.section(u'|', 0, 0).replace(u"\r\n"_s, u"\n"_s);
}

QString LongHint(const QString& hint) {
    const qsizetype bar = hint.indexOf(u'|');
    return bar < 0 ? hint : hint.mid(bar + 1);
}

void SetHint(QWidget* widget, const QString& hint) {
    widget->setToolTip(ShortHint(hint));
    widget->setStatusTip(LongHint(hint));
}

void SetHint(QAction* action, const QString& hint) {
    action->setToolTip(ShortHint(hint));
    action->setStatusTip(LongHint(hint));
}

THintRouter::THintRouter(QObject* parent)
    : QObject(parent) {
    qApp->installEventFilter(this);
}

THintRouter::~THintRouter() {
    qApp->removeEventFilter(this);
}

void THintRouter::SetPopupHintsShown(bool shown) {
    FPopupHintsShown = shown;
    if (!shown)
        QToolTip::hideText();
}

void THintRouter::RouteLongHint(const QString& longHint) {
    const auto active = [](QWidget* window) {
        return window && QApplication::activeWindow() == window;
    };
    if (QWidget* memory = MemoryWindow ? MemoryWindow() : nullptr; active(memory)) {
        Deliver(memory, longHint);
    } else if (QWidget* move = MoveWindow ? MoveWindow() : nullptr) {
        // While the move window is open the log window is left alone, active or not.
        if (active(move))
            Deliver(move, longHint);
    } else if (QWidget* log = LogWindow ? LogWindow() : nullptr; active(log)) {
        Deliver(log, longHint);
    }
}

void THintRouter::Deliver(QWidget* window, const QString& longHint) {
    const QScopedValueRollback delivering(FDelivering, true);
    QStatusTipEvent tip(longHint);
    QCoreApplication::sendEvent(window, &tip);
}

bool THintRouter::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::ToolTip:
        return !FPopupHintsShown;
    case QEvent::StatusTip:
        // Status tips come from Qt as the mouse enters and leaves controls and as menus
        // highlight items; each is a change of the current hint. Taken here, they reach only
        // the window the routing picks, never the status bar of the window they came from.
        if (FDelivering || !watched->isWidgetType())
            return false;
        if (const QString tip = static_cast<QStatusTipEvent*>(event)->tip(); tip != FCurrent) {
            FCurrent = tip;
            RouteLongHint(tip);
        }
        return true;
    default:
        return false;
    }
}
