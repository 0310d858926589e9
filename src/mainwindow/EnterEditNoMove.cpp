#include "EnterEditNoMove.h"

#include <QKeyEvent>

void TEnterEditNoMove::keyPressEvent(QKeyEvent* event) {
    QLineEdit::keyPressEvent(event);
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        event->accept();
}
