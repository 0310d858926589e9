#include "Prompt.h"

#include <QDebug>

#include <utility>

namespace {

class TLogPrompt final : public TPrompt {
public:
    void Information(const QString& title, const QString& text) override {
        qInfo().noquote() << title << ":" << text;
    }
    void Error(const QString& title, const QString& text) override {
        qWarning().noquote() << title << ":" << text;
    }
    bool Confirm(const QString& title, const QString& text) override {
        qInfo().noquote() << title << ":" << text << "(answered no)";
        return false;
    }
    QString SaveFileName(const QString&, const QString&, const QString&, const QString&) override {
        return {};
    }
    QString OpenFileName(const QString&, const QString&, const QString&, const QString&) override {
        return {};
    }
    std::optional<QString> AskText(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    void Beep() override {}
};

std::unique_ptr<TPrompt>& Installed() {
    static std::unique_ptr<TPrompt> prompt = std::make_unique<TLogPrompt>();
    return prompt;
}

} // namespace

TPrompt& Prompt() {
    return *Installed();
}

std::unique_ptr<TPrompt> SetPrompt(std::unique_ptr<TPrompt> prompt) {
    if (!prompt)
        prompt = std::make_unique<TLogPrompt>();
    return std::exchange(Installed(), std::move(prompt));
}
