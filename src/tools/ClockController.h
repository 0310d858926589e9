#pragma once

#include <QObject>
#include <QPointer>

class QAction;
class TFormClock;
class TMainForm;
struct TClockOptions;

// The main window's side of the clock: Tools, "Clock" opens and closes it. The main window's
// settings hold its position and choices between showings; the at-exit save takes them from
// the open clock first.
class TClockController : public QObject {
    Q_OBJECT

public:
    explicit TClockController(TMainForm& main);
    ~TClockController() override;

    // The open clock, or null.
    TFormClock* FormClock() const;
    void Clock1Click(bool checked);

private:
    void Open();
    void Keep(const TClockOptions& options);

    TMainForm& FMain;
    QAction* FClock1;
    QPointer<TFormClock> FForm;
};
