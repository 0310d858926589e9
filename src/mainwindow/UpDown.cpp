#include "UpDown.h"

#include "NumberText.h"

#include <QLineEdit>
#include <QMouseEvent>
#include <QToolButton>

#include <algorithm>

namespace {

constexpr int kRepeatDelayMs = 400;
constexpr int kRepeatIntervalMs = 80;

} // namespace

TUpDown::TUpDown(QWidget* parent)
    : QWidget(parent)
    , FUp(new QToolButton(this))
    , FDown(new QToolButton(this)) {
    for (QToolButton* button : {FUp, FDown}) {
        button->setAutoRepeat(true);
        button->setAutoRepeatDelay(kRepeatDelayMs);
        button->setAutoRepeatInterval(kRepeatIntervalMs);
        button->setFocusPolicy(Qt::NoFocus);
        button->installEventFilter(this);
    }
    FUp->setArrowType(Qt::UpArrow);
    FDown->setArrowType(Qt::DownArrow);
    connect(FUp, &QToolButton::clicked, this, [this] {
        StepBy(1);
        Q_EMIT ArrowClicked(true);
    });
    connect(FDown, &QToolButton::clicked, this, [this] {
        StepBy(-1);
        Q_EMIT ArrowClicked(false);
    });
    for (QToolButton* button : {FUp, FDown}) {
        // A held arrow also emits released() with every repeat; only the real release counts,
        // and by then the button is no longer down.
        connect(button, &QToolButton::released, this, [this, button] {
            if (!button->isDown())
                Q_EMIT ArrowReleased();
        });
    }
}

void TUpDown::SetRange(int minimum, int maximum) {
    FMinimum = minimum;
    FMaximum = std::max(minimum, maximum);
    SetPosition(FPosition);
}

void TUpDown::SetBuddy(QLineEdit* buddy) {
    FBuddy = buddy;
    SetPosition(FPosition);
}

int TUpDown::Position() const {
    if (FBuddy) {
        if (const auto typed = ParseInteger(FBuddy->text()))
            return static_cast<int>(std::clamp<qint64>(*typed, FMinimum, FMaximum));
    }
    return FPosition;
}

void TUpDown::SetPosition(int position) {
    FPosition = std::clamp(position, FMinimum, FMaximum);
    if (FBuddy)
        FBuddy->setText(QString::number(FPosition));
}

void TUpDown::StepBy(int delta) {
    SetPosition(Position() + delta);
}

void TUpDown::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        Q_EMIT RightPressed();
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

bool TUpDown::eventFilter(QObject* watched, QEvent* event) {
    if ((watched != FUp && watched != FDown) || event->type() != QEvent::MouseButtonPress)
        return false;
    // The arrows take the left button only; a right press on them toggles what the owner shows.
    if (static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
        Q_EMIT RightPressed();
        return true;
    }
    return false;
}

void TUpDown::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int half = height() / 2;
    FUp->setGeometry(0, 0, width(), half);
    FDown->setGeometry(0, half, width(), height() - half);
}
