#pragma once

#include "ColorNumber.h"

#include <QColor>
#include <QDialog>

#include <functional>
#include <optional>

class QFrame;
class QGridLayout;
class QPushButton;
class TMemForm;

// Asks for one colour, starting from `initial`; nullopt when cancelled. Tests replace it.
using TColourPicker = std::function<std::optional<QColor>(const QColor& initial, QWidget* parent)>;
// The toolkit's colour dialog, offering the default title colour among the custom colours.
std::optional<QColor> PickColourFromDialog(const QColor& initial, QWidget* parent);

// "Choose table colours": each button asks for a colour and gives it to the memory window at
// once; whoever runs the dialog stores the swatches when it is accepted.
class TColorForm : public QDialog {
    Q_OBJECT

public:
    explicit TColorForm(TMemForm& memForm, QWidget* parent = nullptr);

    TColourPicker ChooseColour = PickColourFromDialog;

    // The four swatches.
    TTableColours Colours() const { return FColours; }

    void TextColourClick();
    void BackColourClick();
    void TitleColourClick();
    // Asks until the colour differs from the title colour or the question is cancelled.
    void HighlightClick();

private:
    TMemForm& FMemForm;
    TTableColours FColours;
    QFrame* FTextPanel = nullptr;
    QFrame* FBackPanel = nullptr;
    QFrame* FTitlePanel = nullptr;
    QFrame* FHighlightPanel = nullptr;

    int FRowsAdded = 0;

    QFrame* AddRow(QGridLayout* rows, const QString& buttonName, const QString& caption,
                   const QString& panelName, void (TColorForm::*click)());
    void ShowSwatches();
    void ApplyGridColours();
};

// Runs the dialog over the memory window. Accepted: the swatches go into the settings as "$"
// colour numbers and are written to the settings file; true. Cancelled: the settings stay, the
// grid keeps what was applied.
bool RunColorForm(TMemForm& memForm, QWidget* parent,
                  const TColourPicker& picker = PickColourFromDialog);
