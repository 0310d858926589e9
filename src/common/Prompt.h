#pragma once

#include <QString>

#include <memory>
#include <optional>

// Every message box and file dialog goes through the prompt that is installed, so the
// application shows real dialogs and tests answer them. Without one installed, messages go to
// the debug log, questions are answered "no" and file dialogs are cancelled.
class TPrompt {
public:
    virtual ~TPrompt() = default;

    virtual void Information(const QString& title, const QString& text) = 0;
    virtual void Error(const QString& title, const QString& text) = 0;
    virtual bool Confirm(const QString& title, const QString& text) = 0;
    // The same question with OK and Cancel for its answers.
    virtual bool ConfirmOkCancel(const QString& title, const QString& text) {
        return Confirm(title, text);
    }
    // The same question with a Help button beside Yes and No; Help opens the user guide at
    // `helpContext` and leaves the question open.
    virtual bool ConfirmWithHelp(const QString& title, const QString& text, int helpContext) {
        static_cast<void>(helpContext);
        return Confirm(title, text);
    }
    // Empty when cancelled.
    virtual QString SaveFileName(const QString& caption, const QString& folder,
                                 const QString& defaultName, const QString& filter) = 0;
    virtual QString OpenFileName(const QString& caption, const QString& folder,
                                 const QString& defaultName, const QString& filter) = 0;
    // A line of text typed by the user; nullopt when cancelled.
    virtual std::optional<QString> AskText(const QString& title, const QString& label,
                                           const QString& initial) = 0;
    virtual void Beep() = 0;
};

TPrompt& Prompt();
// Installs `prompt` and returns the one it replaces.
std::unique_ptr<TPrompt> SetPrompt(std::unique_ptr<TPrompt> prompt);
