#pragma once

#include <QDialog>

#include <functional>

class QCheckBox;
class QLabel;
class QProgressBar;

// Shown, not modal, while memories go to or come from the receiver: the transfer goes on in
// the caller's waits and asks Cancelled() between channels.
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

// Asks before every memory is read from the receiver into the table.
class TConfirmUploadForm : public QDialog {
    Q_OBJECT

public:
    explicit TConfirmUploadForm(QWidget* parent = nullptr);

    bool ClearSquelch() const;
    bool OnlyBank0() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QCheckBox* FClearSquelch = nullptr;
    QCheckBox* FOnlyBank0 = nullptr;
};

enum class TUploadChoice { Cancel, Changed, All };

// Asks which rows of the table go to the receiver.
class TUploadQueryForm : public QDialog {
    Q_OBJECT

public:
    explicit TUploadQueryForm(QWidget* parent = nullptr);

    // What the last exec() ended with.
    TUploadChoice Choice() const { return FChoice; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    TUploadChoice FChoice = TUploadChoice::Cancel;
};
