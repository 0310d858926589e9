#pragma once

#include <QDateTime>
#include <QPoint>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>

class QAction;
class QLabel;
class QMenu;

// Where the clock stands and what it shows; kept by the main window between showings.
struct TClockOptions {
    QPoint Position{10, 10};
    bool Utc = true;
    bool ShowSeconds = true;
};

// The small clock: borderless, above other windows, moved by dragging anywhere on it, with its
// choices on the right-click menu. It frees itself when closed, after telling what it was set to.
class TFormClock : public QWidget {
    Q_OBJECT

public:
    static constexpr int kClientWidth = 104;
    static constexpr int kClientHeight = 28;
    // Often enough that a new second shows without a visible lag.
    static constexpr int kTickMs = 200;

    explicit TFormClock(const TClockOptions& options, QWidget* parent = nullptr);

    // The instant shown; tests give a fixed one.
    std::function<QDateTime()> Now = &QDateTime::currentDateTimeUtc;

    TClockOptions Options() const;
    // Shows the time of `Now`.
    void Tick();
    QString Text() const;
    QMenu* PopupMenuTimeZone() const { return FPopup; }

Q_SIGNALS:
    void Closed(const TClockOptions& options);

protected:
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void SelectZone(bool utc);

    QLabel* dxfClock1;
    QMenu* FPopup;
    QAction* UTC1;
    QAction* Local1;
    QAction* ShowSeconds1;
    QAction* Close1;
    QTimer FTimer;
    bool FUtc = true;
    // Where the pointer grabbed the clock, relative to its corner, while it is dragged by hand
    // (when the window system does not move it for us).
    std::optional<QPoint> FGrab;
};
