#pragma once

#include "CancelForm.h"

#include <QDialog>

class QCheckBox;

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
