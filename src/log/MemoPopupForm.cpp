#include "MemoPopupForm.h"

#include "HelpContext.h"
#include "Prompt.h"
#include "TableView.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {
constexpr int kWidth = 360;
constexpr int kHeight = 294;
const QColor kMemoColour(255, 255, 250);
const QString kCaption = u"Notes"_s;
} // namespace

TMemoPopupForm::TMemoPopupForm(TTableView& logView, QWidget* parent)
    : QDialog(parent)
    , FLogView(logView) {
    setObjectName(u"MemoPopupForm"_s);
    setWindowTitle(kCaption);
    setFixedSize(kWidth, kHeight);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(u"Memo1"_s);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setReadOnly(true);
    QPalette colours = Memo1->palette();
    colours.setColor(QPalette::Base, kMemoColour);
    colours.setColor(QPalette::Text, Qt::black);
    Memo1->setPalette(colours);

    CheckBoxAllowEdit = new QCheckBox(u"Allow &Edit"_s, this);
    CheckBoxAllowEdit->setObjectName(u"CheckBoxAllowEdit"_s);
    connect(CheckBoxAllowEdit, &QCheckBox::toggled, Memo1,
            [this](bool allowed) { Memo1->setReadOnly(!allowed); });

    // Enter belongs to the memo: neither button answers it.
    const auto makeButton = [this](const QString& name, const QString& text, const QString& hint) {
        auto* button = new QPushButton(text, this);
        button->setObjectName(name);
        button->setToolTip(hint);
        button->setAutoDefault(false);
        return button;
    };
    ButtonEsc = makeButton(u"ButtonEsc"_s, u"Esc"_s, u"Esc"_s);
    ButtonOK = makeButton(u"ButtonOK"_s, u"OK"_s, u"[Ctrl-Alt-Shift-Enter]"_s);
    connect(ButtonEsc, &QPushButton::clicked, this, &TMemoPopupForm::reject);
    connect(ButtonOK, &QPushButton::clicked, this, &TMemoPopupForm::OkClick);
    for (const int enter : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* shortcut = new QShortcut(
            QKeySequence(Qt::CTRL | Qt::ALT | Qt::SHIFT | static_cast<Qt::Key>(enter)), this);
        connect(shortcut, &QShortcut::activated, this, &TMemoPopupForm::OkClick);
    }

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(CheckBoxAllowEdit);
    buttons->addStretch();
    buttons->addWidget(ButtonEsc);
    buttons->addWidget(ButtonOK);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(Memo1);
    layout->addLayout(buttons);

    Memo1->setPlainText(FLogView.Value(u"Notes").toString());
    ApplyHelpContexts(this);
}

void TMemoPopupForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!FLogView.CanModify()) {
        setWindowTitle(kCaption + u" [Read Only]"_s);
        CheckBoxAllowEdit->setEnabled(false);
    }
    if (parentWidget())
        move(parentWidget()->window()->frameGeometry().center() - rect().center());
    Memo1->setFocus();
}

void TMemoPopupForm::OkClick() {
    const QString notes = Memo1->toPlainText();
    if (notes != FLogView.Value(u"Notes").toString()) {
        if (!FLogView.Edit()) {
            Prompt().Error(kCaption, FLogView.LastError());
            return;
        }
        // A refused text has been explained by the view's own check.
        if (!FLogView.SetField(u"Notes", notes, TAssignOrigin::User))
            return;
    }
    if (!FLogView.Post()) {
        Prompt().Error(kCaption, FLogView.LastError());
        return;
    }
    accept();
}

void TMemoPopupForm::reject() {
    FLogView.Cancel();
    QDialog::reject();
}
