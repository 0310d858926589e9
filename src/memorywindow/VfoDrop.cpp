#include "VfoDrop.h"

#include "AR5000.h"
#include "DataUnit1.h"
#include "DragData.h"
#include "HelpContext.h"
#include "Main.h"
#include "MainSheet.h"
#include "MemForm.h"
#include "MemoryGrid.h"
#include "MemoryTransferController.h"
#include "Prompt.h"
#include "SquelchController.h"
#include "UpDown.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr int kMaxTextLength = 8;
constexpr int kScrollRows = 2;

// The grid columns that take the text of a main-window selector, in the order they are stored.
struct TSelectorField {
    const char* Field;
    std::size_t Selector;
};
// The search display stores the search page's own settings, found by their names: the page is
// built beside the memory window, not below it.
struct TSearchField {
    const char* Field;
    const char16_t* Control;
};
constexpr std::array<TSearchField, 8> kSearchFields = {{
    {"MODE", u"SModeComboBox"},
    {"BW", u"SBandwidthComboBox"},
    {"ANT", u"SAntennaComboBox"},
    {"ATN", u"SAttenComboBox"},
    {"AGC", u"SAgcComboBox"},
    {"LP", u"SLPComboBox"},
    {"HP", u"SHPComboBox"},
    {"DM", u"SDeEmComboBox"},
}};

constexpr std::array<TSelectorField, 9> kSelectorFields = {{
    {"MODE", kSelMode},
    {"BW", kSelBandwidth},
    {"ANT", kSelAntenna},
    {"ATN", kSelAtten},
    {"SSTEP", kSelSubStep},
    {"AGC", kSelAgc},
    {"LP", kSelLowPass},
    {"HP", kSelHighPass},
    {"DM", kSelDeEmphasis},
}};

} // namespace

TConfirmAddMemForm::TConfirmAddMemForm(const QString& mem, QWidget* parent)
    : QDialog(parent)
    , FLabel1(new QLabel(u"Write to Memory "_s + mem + u"?"_s, this))
    , FMemTextEdit(new QLineEdit(this)) {
    setObjectName(u"ConfirmAddMemForm"_s);
    setWindowTitle(u"Confirm"_s);
    FLabel1->setObjectName(u"Label1"_s);
    FMemTextEdit->setObjectName(u"MemTextEdit"_s);
    FMemTextEdit->setMaxLength(kMaxTextLength);
    // Channel names are kept in capitals, as the receiver shows them.
    connect(FMemTextEdit, &QLineEdit::textEdited, this, [this](const QString& text) {
        const int cursor = FMemTextEdit->cursorPosition();
        FMemTextEdit->setText(text.toUpper());
        FMemTextEdit->setCursorPosition(cursor);
    });
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(u"&OK"_s, QDialogButtonBox::AcceptRole);
    ok->setObjectName(u"OkButton"_s);
    ok->setDefault(true);
    buttons->addButton(u"&Cancel"_s, QDialogButtonBox::RejectRole)
        ->setObjectName(u"CancelButton"_s);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* text = new QHBoxLayout;
    text->addWidget(new QLabel(u"Add Text"_s, this));
    text->addWidget(FMemTextEdit);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(FLabel1);
    layout->addLayout(text);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    FMemTextEdit->setFocus();
    ApplyHelpContexts(this);
}

QString TConfirmAddMemForm::Text() const {
    return FMemTextEdit->text();
}

TVfoDrop::TVfoDrop(TMemForm& form, QObject* parent)
    : QObject(parent)
    , FForm(form) {
    AskText = [this](const QString& mem) -> std::optional<QString> {
        TConfirmAddMemForm confirm(mem, &FForm);
        if (confirm.exec() != QDialog::Accepted)
            return std::nullopt;
        return confirm.Text();
    };
    FForm.Grid()->setAcceptDrops(true);
    FForm.Grid()->viewport()->installEventFilter(this);
}

const QLineEdit* TVfoDrop::DraggedBox(const QDropEvent* event) const {
    const TDragPayload payload = ReadDragData(event->mimeData());
    if (payload.Kind != TDragKind::FrequencyBox)
        return nullptr;
    return FForm.Main().findChild<QLineEdit*>(payload.Origin);
}

void TVfoDrop::FollowMouse(const QPoint& pos) {
    TMemoryGrid& grid = *FForm.Grid();
    // Near the titles or below the last row the view scrolls, two rows at a time.
    const int rowHeight = grid.verticalHeader()->defaultSectionSize();
    QScrollBar* bar = grid.verticalScrollBar();
    if (pos.y() < rowHeight / 2) {
        bar->setValue(bar->value() - kScrollRows * bar->singleStep());
        return;
    }
    const QModelIndex index = grid.indexAt(pos);
    if (!index.isValid()) {
        bar->setValue(bar->value() + kScrollRows * bar->singleStep());
        return;
    }
    grid.setCurrentIndex(index);
}

bool TVfoDrop::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (!DraggedBox(drag)) {
            drag->ignore();
            return true;
        }
        FollowMouse(drag->position().toPoint());
        drag->acceptProposedAction();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const QLineEdit* box = DraggedBox(drop);
        if (!box)
            return true;
        drop->acceptProposedAction();
        FollowMouse(drop->position().toPoint());
        StoreVfo(*box);
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}

void TVfoDrop::StoreVfo(const QLineEdit& box) {
    TMainForm& main = FForm.Main();
    TAR5000& driver = *main.Driver();
    // The entry box only ever copies text.
    if (!driver.Connected() || !driver.Remote() || box.objectName() == u"EnterEdit1"_s)
        return;
    TDataModule1& data = FForm.Data();
    TTableView& view = data.MemQuery1();
    if (!view.CanModify()) {
        Prompt().Error(FForm.windowTitle(), u"Cannot modify database, please unsort"_s);
        return;
    }
    bool isNumber = false;
    const double mhz = box.text().trimmed().toDouble(&isNumber);
    const auto text = AskText(view.Value(u"MEM").toString());
    if (!text)
        return;
    if (!isNumber) {
        main.AddMessage(u"Not a frequency: "_s + box.text().trimmed());
        return;
    }
    {
        const QScopedValueRollback programmatic(data.ProgrammaticEdit, true);
        if (!view.Edit())
            return;
        view.SetField(u"TEXT", *text);
        view.SetField(u"FREQ", mhz);
        if (box.objectName() == u"AutoSDisplayEdit"_s)
            StoreSearchSettings(view);
        else
            StorePanelSettings(view);
        if (!view.Post()) {
            main.AddMessage(view.LastError());
            view.Cancel();
            return;
        }
    }
    FForm.Transfers()->WriteRow(view);
}

void TVfoDrop::StorePanelSettings(TTableView& view) const {
    TMainForm& main = FForm.Main();
    const TMainSheetWidgets& panel = main.MainSheet()->Widgets();
    for (const TSelectorField& field : kSelectorFields)
        view.SetField(QString::fromLatin1(field.Field),
                      panel.Selectors[field.Selector]->currentText());
    view.SetField(u"STADJ", panel.StOffsetBox->isChecked());
    view.SetField(u"STEP", panel.StepComboBox->currentText());
    const QChar letter = main.MainSheet()->State().CurrentVfo;
    if (letter >= u'A' && letter <= u'E')
        view.SetField(u"SQUELCH", main.MainSheet()->Squelch()->Value(letter));
}

void TVfoDrop::StoreSearchSettings(TTableView& view) const {
    const TMainForm& main = FForm.Main();
    for (const TSearchField& field : kSearchFields) {
        if (const auto* list = main.findChild<QComboBox*>(QString::fromUtf16(field.Control)))
            view.SetField(QString::fromLatin1(field.Field), list->currentText());
    }
    view.SetField(u"SSTEP", u"Main"_s);
    if (const auto* step = main.findChild<QComboBox*>(u"SStepComboBox"_s))
        view.SetField(u"STEP", step->currentText());
    if (const auto* adjust = main.findChild<QCheckBox*>(u"SStOffsetBox"_s))
        view.SetField(u"STADJ", adjust->isChecked());
    if (const auto* squelch = main.findChild<TUpDown*>(u"SquelchSearchUpDown"_s))
        view.SetField(u"SQUELCH", squelch->Position());
}
