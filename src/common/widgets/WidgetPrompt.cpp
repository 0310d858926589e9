#include "WidgetPrompt.h"

#include "HelpFile.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

void TWidgetPrompt::Information(const QString& title, const QString& text) {
    QMessageBox::information(QApplication::activeWindow(), title, text);
}

void TWidgetPrompt::Error(const QString& title, const QString& text) {
    QMessageBox::critical(QApplication::activeWindow(), title, text);
}

bool TWidgetPrompt::Confirm(const QString& title, const QString& text) {
    return QMessageBox::question(QApplication::activeWindow(), title, text) == QMessageBox::Yes;
}

bool TWidgetPrompt::ConfirmOkCancel(const QString& title, const QString& text) {
    return QMessageBox::question(QApplication::activeWindow(), title, text,
                                 QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

bool TWidgetPrompt::ConfirmWithHelp(const QString& title, const QString& text, int helpContext) {
    QMessageBox box(QMessageBox::Question, title, text,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Help,
                    QApplication::activeWindow());
    for (;;) {
        const int answer = box.exec();
        if (answer != QMessageBox::Help)
            return answer == QMessageBox::Yes;
        ShowHelpContext(title, helpContext);
    }
}

QString TWidgetPrompt::SaveFileName(const QString& caption, const QString& folder,
                                    const QString& defaultName, const QString& filter) {
    QDir().mkpath(folder);
    return QFileDialog::getSaveFileName(QApplication::activeWindow(), caption,
                                        QDir(folder).filePath(defaultName), filter);
}

QString TWidgetPrompt::OpenFileName(const QString& caption, const QString& folder,
                                    const QString& defaultName, const QString& filter) {
    return QFileDialog::getOpenFileName(QApplication::activeWindow(), caption,
                                        QDir(folder).filePath(defaultName), filter);
}

std::optional<QString> TWidgetPrompt::AskText(const QString& title, const QString& label,
                                              const QString& initial) {
    bool ok = false;
    const QString text = QInputDialog::getText(QApplication::activeWindow(), title, label,
                                               QLineEdit::Normal, initial, &ok);
    return ok ? std::optional<QString>(text) : std::nullopt;
}

void TWidgetPrompt::Beep() {
    QApplication::beep();
}
