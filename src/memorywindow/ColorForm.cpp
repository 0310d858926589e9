#include "ColorForm.h"

#include "IniFile.h"
#include "Main.h"
#include "MemForm.h"
#include "MemoryGrid.h"
#include "ProgramFolder.h"
#include "Prompt.h"
#include "Settings.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFrame>
#include <QGridLayout>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr char16_t kMustDiffer[] = u"Highlight colour must be different from title colour";

bool SameColour(const QColor& a, const QColor& b) {
    return a.rgb() == b.rgb();
}

void Paint(QFrame* panel, const QColor& colour) {
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, colour);
    panel->setPalette(palette);
}

} // namespace

std::optional<QColor> PickColourFromDialog(const QColor& initial, QWidget* parent) {
    QColorDialog::setCustomColor(0, QColor(0xC0, 0xC0, 0x7F));
    QColorDialog dialog(initial, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.selectedColor();
}

TColorForm::TColorForm(TMemForm& memForm, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
    , FMemForm(memForm) {
    setObjectName(u"ColorForm"_s);
    setWindowTitle(u"Choose table colours"_s);
    const TMemoryGrid& grid = *FMemForm.Grid();
    FColours = {grid.FixedColour(), grid.BackColour(), FMemForm.HighlightColor(),
                grid.TextColour()};

    auto* layout = new QVBoxLayout(this);
    auto* rows = new QGridLayout;
    layout->addLayout(rows);
    FTextPanel = AddRow(rows, u"TableTextColorButton"_s, u"Text colour"_s, u"TextColorPanel"_s,
                        &TColorForm::TextColourClick);
    FBackPanel = AddRow(rows, u"TableBackColorButton"_s, u"Back colour"_s, u"BackColorPanel"_s,
                        &TColorForm::BackColourClick);
    FTitlePanel = AddRow(rows, u"TitleColorButton"_s, u"Title colour"_s, u"TitleColorPanel"_s,
                         &TColorForm::TitleColourClick);
    FHighlightPanel = AddRow(rows, u"HighlightButton"_s, u"Hi Lt colour"_s,
                             u"HighLightColorPanel"_s, &TColorForm::HighlightClick);

    auto* buttons = new QDialogButtonBox(this);
    auto* ok = buttons->addButton(u"&OK"_s, QDialogButtonBox::AcceptRole);
    ok->setObjectName(u"OKBtn"_s);
    ok->setDefault(true);
    buttons->addButton(u"&Cancel"_s, QDialogButtonBox::RejectRole)->setObjectName(u"CancelBtn"_s);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    ShowSwatches();
}

QFrame* TColorForm::AddRow(QGridLayout* rows, const QString& buttonName, const QString& caption,
                           const QString& panelName, void (TColorForm::*click)()) {
    const int row = FRowsAdded++;
    auto* button = new QPushButton(caption, this);
    button->setObjectName(buttonName);
    connect(button, &QPushButton::clicked, this, click);
    auto* panel = new QFrame(this);
    panel->setObjectName(panelName);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setAutoFillBackground(true);
    panel->setFixedSize(41, 25);
    rows->addWidget(button, row, 0);
    rows->addWidget(panel, row, 1);
    return panel;
}

void TColorForm::ShowSwatches() {
    Paint(FTextPanel, FColours.Text);
    Paint(FBackPanel, FColours.Back);
    Paint(FTitlePanel, FColours.Title);
    Paint(FHighlightPanel, FColours.Highlight);
}

void TColorForm::ApplyGridColours() {
    FMemForm.Grid()->SetColours(FColours.Title, FColours.Back, FColours.Text);
}

void TColorForm::TextColourClick() {
    if (const auto colour = ChooseColour(FColours.Text, this)) {
        FColours.Text = *colour;
        ShowSwatches();
        ApplyGridColours();
    }
}

void TColorForm::BackColourClick() {
    if (const auto colour = ChooseColour(FColours.Back, this)) {
        FColours.Back = *colour;
        ShowSwatches();
        ApplyGridColours();
    }
}

void TColorForm::TitleColourClick() {
    const auto colour = ChooseColour(FColours.Title, this);
    if (!colour)
        return;
    FColours.Title = *colour;
    ShowSwatches();
    ApplyGridColours();
    if (SameColour(FColours.Title, FColours.Highlight)) {
        Prompt().Information(windowTitle(), QString::fromUtf16(kMustDiffer) +
                                                u"\r\n          Choose a new highlight colour"_s);
        HighlightClick();
    }
}

void TColorForm::HighlightClick() {
    for (;;) {
        const auto colour = ChooseColour(FColours.Highlight, this);
        if (!colour)
            return;
        if (SameColour(*colour, FColours.Title)) {
            Prompt().Information(windowTitle(), QString::fromUtf16(kMustDiffer));
            continue;
        }
        FColours.Highlight = *colour;
        ShowSwatches();
        FMemForm.SetHighlightColor(*colour);
        return;
    }
}

bool RunColorForm(TMemForm& memForm, QWidget* parent, const TColourPicker& picker) {
    TColorForm form(memForm, parent);
    form.ChooseColour = picker;
    if (form.exec() != QDialog::Accepted)
        return false;
    const TTableColours colours = form.Colours();
    TSettings& settings = memForm.Main().Settings();
    settings.TableTextColor = NumberFromColor(colours.Text);
    settings.TableBackColor = NumberFromColor(colours.Back);
    settings.TableTitleColor = NumberFromColor(colours.Title);
    settings.TableHighlightColor = NumberFromColor(colours.Highlight);
    TIniFile ini(SettingsFileName());
    if (!settings.SaveColours(ini))
        memForm.Main().AddMessage(ini.ErrorText());
    return true;
}
