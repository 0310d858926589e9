#include "PassLists.h"

#include "AR5000.h"
#include "FieldChecks.h"
#include "HelpContext.h"
#include "Main.h"
#include "MainSheet.h"
#include "MemorySql.h"
#include "NumberText.h"
#include "PageWidgets.h"
#include "PassForm.h"
#include "Prompt.h"
#include "ScanMemoryTable.h"
#include "ScanPage.h"
#include "SearchPage.h"
#include "VfoPanelController.h"
#include "VfoSearch.h"
#include "WindowLinks.h"

#include <QApplication>
#include <QCursor>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScopeGuard>

using namespace Qt::StringLiterals;

namespace {

constexpr int kChannelsPerBank = 100;
constexpr int kBanksWithPassFlags = 10;

} // namespace

TPassLists::TPassLists(const TSearchScanContext& context, TRunControls* run,
                       TScanMemoryTable& table, TSearchPageController* search,
                       TScanPageController* scan, TVfoSearchController* vfoSearch, QObject* parent)
    : QObject(parent)
    , FContext(context)
    , FRun(run)
    , FTable(table)
    , FSearch(search)
    , FVfoSearch(vfoSearch) {
    const TSearchPageWidgets& searchPage = search->Widgets();
    searchPage.ShowPassFreqs1->setEnabled(true);
    connect(searchPage.ShowPassFreqs1, &QAction::triggered, this,
            [this] { ShowPassList(FSearch->Widgets().SearchFreqTabControl->CurrentIndex()); });
    connect(searchPage.AddPassFreqButton, &QPushButton::clicked, this,
            [this] { AddPassFrequency(FSearch->Widgets().AutoSDisplayEdit->text()); });

    if (auto* showVfoList = vfoSearch->VfoOptionsPopupMenu()->findChild<QAction*>(
            u"ShowVfoPassFreqs"_s, Qt::FindDirectChildrenOnly)) {
        showVfoList->setEnabled(true);
        connect(showVfoList, &QAction::triggered, this, [this] { ShowPassList(kVfoPassBank); });
    }
    connect(vfoSearch->AddVfoPassFreqButton(), &QPushButton::clicked, this,
            [this] { AddPassFrequency(FContext.Sheet->VfoPanel()->CurrentBox()->text()); });

    const TScanPageWidgets& scanPage = scan->Widgets();
    FClearMenu = new QMenu(scanPage.SpeedButtonClearPassFreqs);
    FClearMenu->setObjectName(u"PopupMenuClearPassFreqsByBank"_s);
    for (int bank = 0; bank < kBanksWithPassFlags; ++bank) {
        QAction* item = FClearMenu->addAction(QString::number(bank));
        item->setObjectName(u"ClearPass"_s + QString::number(bank));
        connect(item, &QAction::triggered, this, [this, bank] { ClearPass0Click(bank); });
    }
    connect(scanPage.SpeedButtonClearPassFreqs, &QPushButton::clicked, this,
            &TPassLists::SpeedButtonClearPassFreqsClick);
}

bool TPassLists::VfoListInUse() const {
    return FContext.RunFlags->SweepRunning || FVfoSearch->VfoSearchButton()->isChecked();
}

void TPassLists::ShowPassList(int list) {
    TPassForm form(FContext, list, list == kVfoPassBank && VfoListInUse(), FContext.Form);
    form.ReadList();
    form.exec();
}

void TPassLists::AddPassFrequency(const QString& frequencyText) {
    // The boxes pad their numbers to the right; the question shows the number alone.
    const QString text = frequencyText.trimmed();
    if (!Prompt().Confirm(FContext.Form->windowTitle(),
                          u"Add "_s + text + u" to Pass Freq List?"_s))
        return;
    const std::optional<double> mhz = ParseNumber(text);
    // A frequency the receiver cannot take would land in its list as a wrong entry.
    if (!mhz || *mhz < kMinFreqMHz || *mhz > kMaxFreqMHz) {
        FContext.AddMessage(u"Not a frequency for the pass list: \""_s + frequencyText + u'"');
        return;
    }
    FContext.Driver->AddPass(*mhz);
}

void TPassLists::SpeedButtonClearPassFreqsClick() {
    FClearMenu->popup(QCursor::pos());
}

void TPassLists::ClearPass0Click(int bank) {
    if (!FContext.Connected())
        return;
    if (!Prompt().ConfirmWithHelp(FContext.Form->windowTitle(),
                                  u"Clear all pass Flags in Bank "_s + QString::number(bank) + u'?',
                                  HelpContextFor(u"ClearPassConfirm")))
        return;
    ClearPassFreqsByBank(bank);
}

bool TPassLists::ClearPassFreqsByBank(int bank) {
    if (bank < 0 || bank >= kBanksWithPassFlags)
        return false;
    FTable.ShowAllMemories();
    TMemoryWindowLink& memory = FContext.MemoryWindow();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    FContext.Form->setEnabled(false);
    memory.SetWindowEnabled(false);
    const auto restore = qScopeGuard([this, &memory] {
        QApplication::restoreOverrideCursor();
        FContext.Form->setEnabled(true);
        memory.SetWindowEnabled(true);
    });
    const QString bankText = QString::number(bank);
    FContext.AddMessage(u"Please Wait\r\nClearing all Pass flags in bank "_s + bankText);

    TAR5000& driver = *FContext.Driver;
    QStringList unanswered;
    const int first = bank * kChannelsPerBank;
    for (int channel = first; channel < first + kChannelsPerBank; ++channel) {
        const std::optional<TChannelRow> row = FTable.ChannelRow(channel);
        if (!row)
            continue;
        const QString mem = FormatMemNumber(channel);
        if (row->Pass && !FTable.SetChannelFlag(channel, u"PASS"_s, false))
            FContext.AddMessage(u"Channel "_s + mem +
                                u" could not be changed in the memory table\r\n"
                                u"In ClearPassFreqsByBank"_s);
        if (!row->HasFrequency)
            continue;
        // The table is the user's own and is cleared whatever the link does.
        if (!driver.Connected()) {
            unanswered << mem;
            continue;
        }
        driver.RecallMemory(channel);
        TRxDat rec;
        rec.Channel = -1;
        if (!driver.GetRx(rec)) {
            unanswered << mem;
            continue;
        }
        if (rec.Vfo == kRxCodeMemory && rec.Channel == channel && rec.MemoryPass)
            driver.SetMemoryPass(0);
    }
    ReturnReceiver();
    if (!unanswered.isEmpty()) {
        FContext.AddMessage(u"The receiver did not confirm channels "_s + unanswered.join(u", "_s) +
                            u": their pass flags may still be set\r\nIn ClearPassFreqsByBank"_s);
        return false;
    }
    FContext.AddMessage(u"Pass flags in bank "_s + bankText + u" cleared"_s);
    return true;
}

void TPassLists::ReturnReceiver() {
    const QChar letter = FContext.State().CurrentVfo;
    if (IsVfoLetter(letter)) {
        FRun->ReselectCurrentVfo(false);
        return;
    }
    bool ok = false;
    const int channel = FContext.Sheet->Widgets().MemEdit->text().toInt(&ok);
    if (ok)
        FContext.Driver->RecallMemory(channel);
}
