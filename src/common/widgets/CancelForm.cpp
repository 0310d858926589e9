#include "CancelForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr int kProgressEnd = 1000;

} // namespace

TCancelForm::TCancelForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName(u"CancelForm"_s);
    setWindowTitle(u"Cancel"_s);
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 16);
    layout->setSpacing(10);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    auto* text = new QLabel(u"Please wait during information transfer"_s, this);
    text->setAlignment(Qt::AlignCenter);
    layout->addWidget(text);
    FProgressLabel = new QLabel(this);
    FProgressLabel->setObjectName(u"ProgressLabel"_s);
    FProgressLabel->setAlignment(Qt::AlignCenter);
    layout->addWidget(FProgressLabel);
    FProgressBar = new QProgressBar(this);
    FProgressBar->setObjectName(u"ProgressBar"_s);
    FProgressBar->setRange(0, kProgressEnd);
    FProgressBar->setValue(0);
    FProgressBar->setTextVisible(false);
    FProgressBar->setMinimumWidth(320);
    layout->addWidget(FProgressBar);
    layout->addSpacing(6);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* cancel = new QPushButton(u"Cancel"_s, this);
    cancel->setObjectName(u"CancelButton"_s);
    cancel->setAutoDefault(false);
    buttons->addWidget(cancel);
    buttons->addStretch();
    layout->addLayout(buttons);
    connect(cancel, &QPushButton::clicked, this, &TCancelForm::Cancel);
}

TCancelForm::~TCancelForm() {
    RestoreCursor();
}

void TCancelForm::SetLabel(const QString& text) {
    FProgressLabel->setText(text);
}

void TCancelForm::SetPosition(int position) {
    // QProgressBar ignores a value outside its range.
    FProgressBar->setValue(std::clamp(position, 0, kProgressEnd));
}

void TCancelForm::Cancel() {
    FCancelled = true;
    if (OnCancel)
        OnCancel();
}

void TCancelForm::reject() {
    // Escape asks the transfer to stop; the caller hides the form when it has.
    Cancel();
}

void TCancelForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FCancelled = false;
    if (!FWaitCursor) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        FWaitCursor = true;
    }
    QRect owner;
    if (const QWidget* window = parentWidget() ? parentWidget()->window() : nullptr)
        owner = window->frameGeometry();
    else if (const QScreen* screen = QApplication::primaryScreen())
        owner = screen->availableGeometry();
    if (owner.isValid()) {
        QRect frame = frameGeometry();
        frame.moveCenter(owner.center());
        move(frame.topLeft());
    }
}

void TCancelForm::hideEvent(QHideEvent* event) {
    RestoreCursor();
    QDialog::hideEvent(event);
}

void TCancelForm::closeEvent(QCloseEvent* event) {
    // Closing is cancelling; the form only hides.
    Cancel();
    event->accept();
}

void TCancelForm::RestoreCursor() {
    if (!FWaitCursor)
        return;
    FWaitCursor = false;
    QApplication::restoreOverrideCursor();
}
