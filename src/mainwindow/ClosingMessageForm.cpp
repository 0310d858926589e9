#include "ClosingMessageForm.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

TClosingMessageForm::TClosingMessageForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint) {
    setObjectName(u"ClosingMessageForm"_s);
    setWindowTitle(QApplication::applicationDisplayName());
    auto* layout = new QVBoxLayout(this);
    auto* text = new QLabel(u"Please wait while serial port closes"_s, this);
    text->setAlignment(Qt::AlignCenter);
    layout->addWidget(text);
    layout->setContentsMargins(24, 18, 24, 18);
}

void TClosingMessageForm::ShowAndPaint() {
    adjustSize();
    if (const QScreen* screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    show();
    raise();
    // Painted now: the caller is about to wait for the receiver before it returns.
    repaint();
}
