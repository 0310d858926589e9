#pragma once

#include "Prompt.h"

// The prompt of the running program: message boxes and file dialogs over the active window.
class TWidgetPrompt final : public TPrompt {
public:
    void Information(const QString& title, const QString& text) override;
    void Error(const QString& title, const QString& text) override;
    bool Confirm(const QString& title, const QString& text) override;
    bool ConfirmOkCancel(const QString& title, const QString& text) override;
    bool ConfirmWithHelp(const QString& title, const QString& text, int helpContext) override;
    QString SaveFileName(const QString& caption, const QString& folder, const QString& defaultName,
                         const QString& filter) override;
    QString OpenFileName(const QString& caption, const QString& folder, const QString& defaultName,
                         const QString& filter) override;
    std::optional<QString> AskText(const QString& title, const QString& label,
                                   const QString& initial) override;
    void Beep() override;
};
