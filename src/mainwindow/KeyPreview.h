#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

class TTuningController;

// Key preview for one window: its key presses and releases reach the tuning controller's key
// handling before the focused control, and its wheel events go there instead of to the control
// under the mouse. Installed on the application, because a key goes to the focused control
// first and only then, when that control ignores it, to its parents.
class TKeyPreview : public QObject {
    Q_OBJECT

public:
    TKeyPreview(QWidget* window, TTuningController* tuning, QObject* parent);
    ~TKeyPreview() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> FWindow;
    TTuningController* FTuning;
};
