#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QAction;
class QWidget;

// A hint is "short|long": the short part pops up over the control, the long part is shown in the
// information panel of whichever table window is active. Without "|" both parts are the whole
// text; either part may be empty.
QString ShortHint(const QString& hint);
QString LongHint(const QString& hint);

// The short part becomes the tool tip and the long part the status tip, which Qt announces
// whenever the mouse enters the control (or a menu highlights the action).
void SetHint(QWidget* widget, const QString& hint);
void SetHint(QAction* action, const QString& hint);

// Application-wide: swallows pop-up hints while they are switched off, and hands the long part
// of the hint under the mouse to the memory window when it is active, else to the move window
// while it exists (only when active), else to the log window when active. A window receives it
// as a status tip event sent to the window itself. Routing goes on whether pop-ups show or not.
class THintRouter : public QObject {
    Q_OBJECT

public:
    explicit THintRouter(QObject* parent = nullptr);
    ~THintRouter() override;

    // Each returns the window when it exists, else null.
    std::function<QWidget*()> MemoryWindow;
    std::function<QWidget*()> MoveWindow;
    std::function<QWidget*()> LogWindow;

    void SetPopupHintsShown(bool shown);
    bool PopupHintsShown() const { return FPopupHintsShown; }

    void RouteLongHint(const QString& longHint);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString FCurrent;
    bool FPopupHintsShown = true;
    bool FDelivering = false;

    void Deliver(QWidget* window, const QString& longHint);
};
