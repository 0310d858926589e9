#pragma once

#include <QLineEdit>

// A line edit that keeps Enter to itself: Enter emits returnPressed() as usual but goes no
// further, so it neither triggers a default button nor moves the focus.
class TEnterEditNoMove : public QLineEdit {
    Q_OBJECT

public:
    using QLineEdit::QLineEdit;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
