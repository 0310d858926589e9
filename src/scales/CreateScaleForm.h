#pragma once

#include "ScaleFile.h"

#include <QColor>
#include <QDialog>
#include <QMessageBox>

#include <array>
#include <functional>
#include <optional>

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QLineEdit;

// What the editor starts from: the main panel as it stands.
struct TScaleEditorStart {
    std::array<int, kScaleSettingCount> Settings{}; // kScaleSettings order
    QString Step;
    bool StepOffset = false;
    QString VfoText; // the current VFO box's frequency; empty while the memory is current
};

// The scale editor: writes and rewrites ".scl" files.
class TCreateScaleForm : public QDialog {
    Q_OBJECT

public:
    explicit TCreateScaleForm(const TScaleEditorStart& start, QWidget* parent = nullptr);

    // The dialogs, replaceable so that tests can answer them. Empty names mean cancelled.
    std::function<QString(const QString& caption, const QString& folder, const QString& filter)>
        AskOpen;
    std::function<QString(const QString& caption, const QString& folder, const QString& filter)>
        AskSave;
    std::function<std::optional<QColor>(const QColor& initial)> AskColour;
    std::function<QMessageBox::StandardButton()> AskSaveScale;

    QString FileInUse() const { return FFileInUse; }
    void OpenClick();
    // False when nothing was written (cancelled, or the file could not be written).
    bool SaveClick();
    bool SaveAsClick();
    void BandColourClick(int band); // 1..6
    // The fields as they would be written.
    TScaleText Fields() const;

public Q_SLOTS:
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct TBandRow {
        QLineEdit* Title = nullptr;
        QFrame* ColorPanel = nullptr;
        QLineEdit* Low = nullptr;
        QLineEdit* High = nullptr;
        QColor Colour = Qt::white;
    };

    void Build();
    void ShowFile(const QString& fileName);
    void SetBandColour(TBandRow& row, const QColor& colour);
    void UseFile(const QString& fileName);
    bool WriteFile();

    QLineEdit* FAuthorEdit;
    QLineEdit* FAuthorEmailEdit;
    QLineEdit* FDescriptionEdit;
    QLineEdit* FScaleLowFLimitEdit;
    QLineEdit* FScaleHighFLimitEdit;
    std::array<QComboBox*, kScaleSettingCount> FSettings{};
    QComboBox* FScaleStepComboBox;
    QCheckBox* FScaleStOffsetBox;
    std::array<TBandRow, kScaleBandCount> FBands;
    QAction* FOpen1;
    QAction* FSave1;
    QAction* FSaveAs1;
    QString FFileInUse;
};
