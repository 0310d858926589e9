#include "PassForm.h"

#include "AR5000.h"
#include "HelpContext.h"
#include "Main.h"
#include "MainSheet.h"
#include "PageWidgets.h"
#include "PanelState.h"
#include "Prompt.h"
#include "Records.h"
#include "VfoPanelController.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;
using PageWidgets::Named;

namespace {

constexpr int kBankColumn = 0;
constexpr int kIndexColumn = 1;
constexpr int kFrequencyColumn = 2;
constexpr int kSquelchOff = 255;

} // namespace

TPassForm::TPassForm(const TSearchScanContext& context, int list, bool readOnly, QWidget* parent)
    : QDialog(parent, Qt::Tool)
    , FContext(context)
    , FList(list) {
    setObjectName(u"PassForm"_s);
    setWindowTitle(list == kVfoPassBank ? u"VFO Pass Frequencies"_s
                                        : u"Pass Frequencies Bank "_s + QString::number(list));
    setModal(true);
    resize(353, 260);

    FGrid = Named(new QTableWidget(kPassEntriesPerList, 3, this), u"StringGrid1"_s,
                  u"DblClick tune to Current Vfo/Mode if vfo mode, squelch off"_s);
    FGrid->verticalHeader()->hide();
    FGrid->verticalHeader()->setDefaultSectionSize(FGrid->fontMetrics().height() + 4);
    FGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    FGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The narrow columns still show their header words in a larger font.
    const QFontMetrics metrics = FGrid->horizontalHeader()->fontMetrics();
    FGrid->setColumnWidth(kBankColumn, std::max(33, metrics.horizontalAdvance(u"Bank"_s) + 12));
    FGrid->setColumnWidth(kIndexColumn, std::max(32, metrics.horizontalAdvance(u"Index"_s) + 12));
    FGrid->setColumnWidth(kFrequencyColumn, 139);
    FGrid->horizontalHeader()->setStretchLastSection(true);
    FGrid->setStyleSheet(u"QTableWidget { background: #c0c0c0; }"
                         u"QTableWidget::item:selected { background: black; color: #00ff00; }"_s);
    FGrid->setEnabled(!readOnly);

    FDeleteAll = Named(new QPushButton(u"Delete All"_s, this), u"DeleteAllButton"_s);
    FDelete = Named(new QPushButton(u"Delete"_s, this), u"DeleteButton"_s,
                    u"First click on a row to select"_s);
    QPushButton* close = Named(new QPushButton(u"Close"_s, this), u"CloseButton"_s);
    // Escape closes through QDialog's reject; Enter must not delete anything.
    for (QPushButton* button : {FDeleteAll, FDelete, close})
        button->setAutoDefault(false);
    FDeleteAll->setVisible(!readOnly);
    FDelete->setVisible(!readOnly);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(FDeleteAll);
    buttons->addWidget(FDelete);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(FGrid, 1);
    layout->addLayout(buttons);

    connect(FDeleteAll, &QPushButton::clicked, this, &TPassForm::DeleteAllButtonClick);
    connect(FDelete, &QPushButton::clicked, this, &TPassForm::DeleteButtonClick);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(FGrid, &QTableWidget::cellDoubleClicked, this, &TPassForm::StringGrid1DblClick);
    Hook();
    FormShow();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    ApplyHelpContexts(this);
}

TPassForm::~TPassForm() {
    Unhook();
}

void TPassForm::Hook() {
    FContext.Driver->OnPassFrequency = [this](const TPassDat& entry) {
        PassListRow(entry);
    };
    FHooked = true;
}

void TPassForm::Unhook() {
    if (!FHooked)
        return;
    FContext.Driver->OnPassFrequency = {};
    FHooked = false;
}

void TPassForm::ReadList() {
    FContext.Driver->ReadPassList(FList);
}

void TPassForm::FormShow() {
    FGrid->setHorizontalHeaderLabels({u"Bank"_s, u"Index"_s, u"Frequency"_s});
}

void TPassForm::PassListRow(const TPassDat& entry) {
    if (entry.Bank < 0 || entry.Bank > kVfoPassBank || entry.Index < 0 ||
        entry.Index >= kPassEntriesPerList) {
        FContext.AddMessage(u"Pass frequency report out of range ignored: bank "_s +
                            QString::number(entry.Bank) + u" index "_s +
                            QString::number(entry.Index));
        return;
    }
    // A late report of another list must not land in this one.
    if (entry.Bank != FList)
        return;
    const auto cell = [this, &entry](int column, const QString& text) {
        auto* item = new QTableWidgetItem(text);
        item->setData(Qt::UserRole, entry.Freq);
        FGrid->setItem(entry.Index, column, item);
    };
    cell(kBankColumn, entry.Bank == kVfoPassBank ? u"Vfo"_s : QString::number(entry.Bank));
    cell(kIndexColumn, QString::number(entry.Index));
    cell(kFrequencyColumn, FormatFrequencyText(entry.Freq));
}

void TPassForm::EmptyGrid() {
    FGrid->clearContents();
}

std::optional<int> TPassForm::SelectedIndex() const {
    const int row = FGrid->currentRow();
    const QTableWidgetItem* index = row < 0 ? nullptr : FGrid->item(row, kIndexColumn);
    if (!index || index->text().isEmpty())
        return std::nullopt;
    return index->text().toInt();
}

void TPassForm::DeleteAllButtonClick() {
    if (!Prompt().Confirm(FContext.Form->windowTitle(),
                          u"Delete All Pass Freqs in Bank "_s + QString::number(FList)))
        return;
    FContext.Driver->DeletePassBank(FList);
    EmptyGrid();
}

void TPassForm::DeleteButtonClick() {
    const std::optional<int> index = SelectedIndex();
    if (!index)
        return;
    if (!Prompt().Confirm(FContext.Form->windowTitle(),
                          u"Delete Pass Freq "_s + QString::number(*index)))
        return;
    FContext.Driver->DeletePass(FList, *index);
    EmptyGrid();
    ReadList();
}

void TPassForm::StringGrid1DblClick() {
    const QChar vfo = FContext.State().CurrentVfo;
    if (!IsVfoLetter(vfo))
        return;
    const int row = FGrid->currentRow();
    if (const QTableWidgetItem* frequency = row < 0 ? nullptr : FGrid->item(row, kFrequencyColumn))
        FContext.Driver->SetFrequency(vfo, frequency->data(Qt::UserRole).toDouble());
    FContext.Driver->SetSquelch(kSquelchOff);
    FContext.Sheet->VfoPanel()->ReadBackCurrent();
}

void TPassForm::done(int result) {
    Unhook();
    EmptyGrid();
    QDialog::done(result);
}
