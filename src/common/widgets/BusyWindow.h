#pragma once

#include <QApplication>
#include <QScopeGuard>
#include <QWidget>

// The wait cursor up until the guard goes, however the work ends.
[[nodiscard]] inline auto WaitCursor() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    return qScopeGuard([] { QApplication::restoreOverrideCursor(); });
}

// The window disabled with the wait cursor up, both put back however the work ends.
[[nodiscard]] inline auto BusyWindow(QWidget& window) {
    window.setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    return qScopeGuard([&window] {
        QApplication::restoreOverrideCursor();
        window.setEnabled(true);
    });
}
