#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QProgressBar;

// Shown, not modal, while a long transfer or import runs: the work goes on in the caller's
// waits and asks Cancelled() between its steps.
class TCancelForm : public QDialog {
    Q_OBJECT

public:
    explicit TCancelForm(QWidget* parent = nullptr);
    ~TCancelForm() override;

    void SetLabel(const QString& text);
    // 0..1000; values outside are held at the ends.
    void SetPosition(int position);
    // Since the form was last shown.
    bool Cancelled() const { return FCancelled; }

    QLabel* ProgressLabel() const { return FProgressLabel; }
    QProgressBar* ProgressBar() const { return FProgressBar; }

    // Runs when the Cancel button is pressed or the window is closed.
    std::function<void()> OnCancel;

    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QLabel* FProgressLabel = nullptr;
    QProgressBar* FProgressBar = nullptr;
    bool FCancelled = false;
    bool FWaitCursor = false; // this form has pushed the override cursor

    void Cancel();
    void RestoreCursor();
};
