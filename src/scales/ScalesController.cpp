#include "ScalesController.h"

#include "AR5000.h"
#include "CreateScaleForm.h"
#include "Main.h"
#include "MainSheet.h"
#include "ProgramFolder.h"
#include "Prompt.h"
#include "TuningScaleForm.h"
#include "VfoPanelController.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

using namespace Qt::StringLiterals;

TScalesController::TScalesController(TMainForm& main)
    : QObject(&main)
    , FMain(main) {
    AskOpen = [](const QString& caption, const QString& folder, const QString& filter) {
        return Prompt().OpenFileName(caption, folder, {}, filter);
    };
    RunEditor = [](TCreateScaleForm& editor) {
        editor.exec();
    };
    if (auto* use = main.findChild<QAction*>(u"Use1"_s))
        connect(use, &QAction::triggered, this, [this] { Use1Click(); });
    if (auto* edit = main.findChild<QAction*>(u"NewEdit1"_s))
        connect(edit, &QAction::triggered, this, &TScalesController::NewEdit1Click);
}

void TScalesController::NewEdit1Click() {
    TMainSheet& sheet = *FMain.MainSheet();
    const TMainSheetWidgets& widgets = sheet.Widgets();
    TScaleEditorStart start;
    for (std::size_t i = 0; i < kScaleSettingCount; ++i)
        start.Settings[i] = widgets.Selectors[kScaleSettings[i].Selector]->currentIndex();
    start.Step = widgets.StepComboBox->currentText();
    start.StepOffset = widgets.StOffsetBox->isChecked();
    const QChar letter = sheet.State().CurrentVfo;
    if (IsVfoLetter(letter))
        start.VfoText = sheet.VfoPanel()->Box(letter)->text();
    TCreateScaleForm editor(start, &FMain);
    RunEditor(editor);
}

TTuningScaleForm* TScalesController::Use1Click() {
    TMainSheet& sheet = *FMain.MainSheet();
    const QChar letter = sheet.State().CurrentVfo;
    if (!IsVfoLetter(letter)) {
        FMain.ReportMessage(u"Click on a vfo first"_s);
        return nullptr;
    }
    const QString fileName = AskOpen(u"Open a Scale File"_s, DataFolder(),
                                     u"Scale Files *.scl (*.scl);;All Files *.* (*)"_s);
    if (fileName.isEmpty())
        return nullptr;
    auto* window = new TTuningScaleForm(FMain);
    sheet.State().VfoScaleWindow.Attach(letter, window);
    if (!window->LoadScale(fileName)) {
        if (!window->LoadError().isEmpty())
            FMain.ReportMessage(window->LoadError() + u"\r\nIn "_s + fileName);
        delete window; // detaches itself: the VFO is left without a scale window
        return nullptr;
    }

    const TScale& scale = window->Scale();
    TAR5000& driver = *FMain.Driver();
    driver.SetFrequency(letter, scale.LowMHz);
    // Copied before the driver is called, so nothing it sets off can change them under the loop.
    const std::array<int, kScaleSettingCount> settings = scale.Settings;
    for (std::size_t i = 0; i < kScaleSettingCount; ++i) {
        const auto setter = kSelectors[kScaleSettings[i].Selector].Setter;
        (driver.*setter)(settings[i]);
    }
    driver.StepAdjustChecked = scale.StepOffset;
    driver.SetStep(scale.StepKHz);

    TVfoPanelController* panel = sheet.VfoPanel();
    for (std::size_t i = 0; i < kScaleSettingCount; ++i)
        panel->ShowSelector(kScaleSettings[i].Selector, scale.Settings[i]);
    panel->ShowStep(scale.Step, scale.StepOffset);
    panel->Box(letter)->setText(panel->FormatFrequency(scale.LowMHz));

    sheet.State().VfoScaleWindow.ShowCurrent(letter);
    window->show();
    window->MoveScaleTo(scale.LowMHz);
    return window;
}
