#pragma once

#include "Prompt.h"

#include <QStringList>

// Answers the program's message boxes and file dialogs in tests, and records what was asked.
struct TScriptedPrompt final : TPrompt {
    QStringList Errors; // every information and error text, in order
    int Beeps = 0;
    bool ConfirmAnswer = false;
    QString SaveAnswer;
    QString OpenAnswer;
    QStringList SaveAsked; // caption, folder, default name, filter
    QStringList OpenAsked;

    void Information(const QString&, const QString& text) override { Errors.append(text); }
    void Error(const QString&, const QString& text) override { Errors.append(text); }
    QStringList ConfirmAsked; // the text of every question
    bool Confirm(const QString&, const QString& text) override {
        ConfirmAsked.append(text);
        return ConfirmAnswer;
    }
    QString SaveFileName(const QString& caption, const QString& folder, const QString& defaultName,
                         const QString& filter) override {
        SaveAsked = {caption, folder, defaultName, filter};
        return SaveAnswer;
    }
    QString OpenFileName(const QString& caption, const QString& folder, const QString& defaultName,
                         const QString& filter) override {
        OpenAsked = {caption, folder, defaultName, filter};
        return OpenAnswer;
    }
    // Answers to AskText in order; nullopt (or none left) cancels.
    QList<std::optional<QString>> TextAnswers;
    QStringList TextAsked; // title, label of each question
    std::optional<QString> AskText(const QString& title, const QString& label,
                                   const QString&) override {
        TextAsked << title << label;
        return TextAnswers.isEmpty() ? std::nullopt : TextAnswers.takeFirst();
    }
    void Beep() override { ++Beeps; }
};
