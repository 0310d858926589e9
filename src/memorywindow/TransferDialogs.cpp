#include "TransferDialogs.h"

#include "HelpContext.h"
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

QVBoxLayout* FormLayout(QDialog& dialog) {
    auto* layout = new QVBoxLayout(&dialog);
    layout->setContentsMargins(20, 16, 20, 16);
    layout->setSpacing(10);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    return layout;
}

QPushButton* AddButton(QHBoxLayout& row, QDialog& dialog, const QString& text,
                       const QString& name) {
    auto* button = new QPushButton(text, &dialog);
    button->setObjectName(name);
    button->setAutoDefault(false);
    row.addWidget(button);
    return button;
}

// Buttons centred in a row under the texts.
QHBoxLayout* ButtonRow(QVBoxLayout& layout) {
    layout.addSpacing(6);
    auto* row = new QHBoxLayout;
    row->setSpacing(12);
    row->addStretch();
    layout.addLayout(row);
    return row;
}

} // namespace

TConfirmUploadForm::TConfirmUploadForm(QWidget* parent)
    : QDialog(parent) {
    setObjectName(u"ConfirmUploadForm"_s);
    setWindowTitle(u"Confirm Upload"_s);
    QVBoxLayout* layout = FormLayout(*this);
    layout->addWidget(new QLabel(u"Upload All Memories from AR5000 ?"_s, this));
    layout->addWidget(
        new QLabel(u"This will overwrite the data table and may take a while"_s, this));
    FClearSquelch = new QCheckBox(u"Clear Squelch Values"_s, this);
    FClearSquelch->setObjectName(u"ClearSquelchCheckBox"_s);
    layout->addWidget(FClearSquelch);
    FOnlyBank0 = new QCheckBox(u"Only Get Bank 0"_s, this);
    FOnlyBank0->setObjectName(u"OnlyBank0CheckBox"_s);
    layout->addWidget(FOnlyBank0);
    QHBoxLayout* buttons = ButtonRow(*layout);
    QPushButton* proceed = AddButton(*buttons, *this, u"&Proceed"_s, u"ProceedButton"_s);
    QPushButton* cancel = AddButton(*buttons, *this, u"&Cancel"_s, u"CancelButton"_s);
    buttons->addStretch();
    proceed->setDefault(true);
    connect(proceed, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    ApplyHelpContexts(this);
}

bool TConfirmUploadForm::ClearSquelch() const {
    return FClearSquelch->isChecked();
}

bool TConfirmUploadForm::OnlyBank0() const {
    return FOnlyBank0->isChecked();
}

void TConfirmUploadForm::showEvent(QShowEvent* event) {
    // Every read-in is asked afresh.
    FClearSquelch->setChecked(false);
    FOnlyBank0->setChecked(false);
    QDialog::showEvent(event);
}

TUploadQueryForm::TUploadQueryForm(QWidget* parent)
    : QDialog(parent) {
    setObjectName(u"UploadQueryForm"_s);
    setWindowTitle(u"Confirm Upload"_s);
    QVBoxLayout* layout = FormLayout(*this);
    layout->addWidget(new QLabel(u"Update memory table to receiver"_s, this));
    layout->addWidget(new QLabel(u"Changed updates only those with changed flag set"_s, this));
    QHBoxLayout* buttons = ButtonRow(*layout);
    QPushButton* changed = AddButton(*buttons, *this, u"C&hanged"_s, u"ChangedButton"_s);
    QPushButton* all = AddButton(*buttons, *this, u"&All"_s, u"AllButton"_s);
    QPushButton* cancel = AddButton(*buttons, *this, u"&Cancel"_s, u"CancelButton"_s);
    buttons->addStretch();
    changed->setDefault(true);
    const auto choose = [this](TUploadChoice choice) {
        FChoice = choice;
        if (choice == TUploadChoice::Cancel)
            reject();
        else
            accept();
    };
    connect(changed, &QPushButton::clicked, this, [choose] { choose(TUploadChoice::Changed); });
    connect(all, &QPushButton::clicked, this, [choose] { choose(TUploadChoice::All); });
    connect(cancel, &QPushButton::clicked, this, [choose] { choose(TUploadChoice::Cancel); });
    ApplyHelpContexts(this);
}

void TUploadQueryForm::showEvent(QShowEvent* event) {
    // Escape and the close box leave it at Cancel.
    FChoice = TUploadChoice::Cancel;
    QDialog::showEvent(event);
}
