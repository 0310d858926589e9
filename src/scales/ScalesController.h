#pragma once

#include <QObject>

#include <functional>

class QAction;
class TCreateScaleForm;
class TMainForm;
class TTuningScaleForm;

// The main window's side of the tuning scales: File, "Tuning Scales...", "New/Edit" opens the
// editor, "Use" sets the receiver up from a scale file and attaches a scale window to the
// current VFO.
class TScalesController : public QObject {
    Q_OBJECT

public:
    explicit TScalesController(TMainForm& main);

    // The open dialog of "Use"; empty when cancelled. Replaceable for tests.
    std::function<QString(const QString& caption, const QString& folder, const QString& filter)>
        AskOpen;
    // Runs the editor; tests answer it instead of a modal loop.
    std::function<void(TCreateScaleForm& editor)> RunEditor;

    // The window attached, or null when "Use" stopped.
    TTuningScaleForm* Use1Click();
    void NewEdit1Click();

private:
    TMainForm& FMain;
};
