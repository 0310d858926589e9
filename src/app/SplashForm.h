#pragma once

#include <QElapsedTimer>
#include <QWidget>

// The start-up window: stays at least MinimumMs on screen, however fast the start is.
class TSplashForm : public QWidget {
    Q_OBJECT

public:
    static constexpr int kMinimumMs = 2500;

    explicit TSplashForm(QWidget* parent = nullptr);

    // Shows and paints it, and starts its clock.
    void ShowNow();
    qint64 ShownMs() const { return FShown.elapsed(); }
    // Milliseconds still to wait before it may close.
    int RemainingMs() const;

private:
    QElapsedTimer FShown;
};
