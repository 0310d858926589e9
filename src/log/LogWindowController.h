#pragma once

#include <QObject>
#include <QPointer>

class TFormLog;
class TMainForm;

// The main window's side of the log window: its "&Log" button makes the window on demand and
// closes it on the next press (closing destroys it); Ctrl+L adds an entry, making the window
// first when there is none. The program closes the window with the main window, so the window's
// settings are written.
class TLogWindowController : public QObject {
    Q_OBJECT

public:
    explicit TLogWindowController(TMainForm& main, QObject* parent = nullptr);
    ~TLogWindowController() override;

    // The open log window, or null.
    TFormLog* FormLog() const;
    void Toggle();
    void QuickLog();
    // The table colours of the settings onto the open window's grid.
    void ApplyTableColours();

Q_SIGNALS:
    void FormLogCreated(TFormLog* form);

private:
    TMainForm& FMain;
    QPointer<TFormLog> FForm;

    TFormLog* Show();
};
