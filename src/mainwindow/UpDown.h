#pragma once

#include <QPointer>
#include <QWidget>

class QLineEdit;
class QToolButton;

// A pair of small arrow buttons that step a position within a range, shown in a buddy box. As with
// the platform's own up-down control the position is read back from the buddy's text, so a value
// typed into the box is where the arrows continue from. Arrow keys in the box are left alone.
class TUpDown : public QWidget {
    Q_OBJECT

public:
    explicit TUpDown(QWidget* parent = nullptr);

    void SetRange(int minimum, int maximum);
    int Minimum() const { return FMinimum; }
    int Maximum() const { return FMaximum; }
    void SetBuddy(QLineEdit* buddy);
    QLineEdit* Buddy() const { return FBuddy; }

    // The buddy's value when it holds an integer (held within the range), else the last position.
    int Position() const;
    // Held within the range, no wrap; the buddy shows it.
    void SetPosition(int position);
    void StepBy(int delta);

    QToolButton* UpButton() const { return FUp; }
    QToolButton* DownButton() const { return FDown; }

Q_SIGNALS:
    // An arrow moved the position (also each repeat while held).
    void ArrowClicked(bool up);
    // The mouse button was let go over an arrow: the end of a click or of a held repeat.
    void ArrowReleased();
    void RightPressed();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    int FMinimum = 0;
    int FMaximum = 100;
    int FPosition = 0;
    QPointer<QLineEdit> FBuddy;
    QToolButton* FUp;
    QToolButton* FDown;
};
