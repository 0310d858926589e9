#include "MemoryMaintenance.h"

#include "AR5000.h"
#include "BusyWindow.h"
#include "DataUnit1.h"
#include "Main.h"
#include "MainSheet.h"
#include "MemForm.h"
#include "MemoryGrid.h"
#include "ProgramFolder.h"
#include "Prompt.h"
#include "TuningController.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

QString AskSaveFileName(const QString& caption, const QString& filter, const QString& suffix) {
    QString path = Prompt().SaveFileName(caption, DataFolder(), {}, filter);
    if (path.isEmpty())
        return {};
    // The dialog asked about the name as typed; a file that the added suffix names is asked
    // about here, so that no file is overwritten unasked.
    if (!path.endsWith(u'.' + suffix, Qt::CaseInsensitive)) {
        path += u'.' + suffix;
        if (QFileInfo::exists(path) &&
            !Prompt().Confirm(caption, QDir::toNativeSeparators(path) +
                                           u" already exists.\r\nDo you want to replace it?"_s))
            return {};
    }
    return path;
}

TMemoryMaintenance::TMemoryMaintenance(TMemForm& form, QObject* parent)
    : QObject(parent)
    , FForm(form) {}

void TMemoryMaintenance::ShowError(const QString& text) const {
    Prompt().Error(FForm.windowTitle(), text);
}

void TMemoryMaintenance::BlankRows(int first, int last) {
    TDataModule1& data = FForm.Data();
    TTransaction transaction(data.Engine());
    bool ok = transaction.Started();
    for (int channel = first; ok && channel <= last; ++channel) {
        if (FForm.LocateChannel(channel))
            ok = data.BlankMemoryRow();
    }
    if (ok && transaction.Commit()) {
        data.ReopenMemoryView(data.MemQuery1().Sql());
        return;
    }
    // Nothing of a failed blanking stays: the rows are as they were.
    const QString error = data.LastError().isEmpty() ? data.Engine().LastError() : data.LastError();
    data.ReopenMemoryView(data.MemQuery1().Sql());
    ShowError(error);
}

void TMemoryMaintenance::BlankTable() {
    if (!Prompt().Confirm(FForm.windowTitle(),
                          u"This will remove all data from the table\r\n                  Are you "
                          u"sure?         \r\n\r\n It will NOT blank AR5000 memories      \r\n   "
                          u"To blank AR5000 memories click       \r\n              \"Download to "
                          u"Rx\"          \r\n         with a blank table loaded      "_s))
        return;
    FForm.ShowAllMemories();
    BlankRows(0, kBankRows - 1);
}

void TMemoryMaintenance::BlankBank(int hundred) {
    if (FForm.RefusedWhileBusy())
        return;
    if (!Prompt().Confirm(FForm.windowTitle(), u"Blank ALL bank "_s + QString::number(hundred) +
                                                   u"\r\nIf not connected will only blank table"_s))
        return;
    FForm.ShowAllMemories();
    TAR5000& driver = *FForm.Main().Driver();
    if (driver.Connected()) {
        // A scan or search must not run on over channels being cleared.
        FForm.Main().MainSheet()->Tuning()->StopReceiverActivity();
        driver.ClearMemoryBank(hundred);
    }
    BlankRows(hundred * 100, hundred * 100 + 99);
}

void TMemoryMaintenance::ResetChangedFlags() {
    if (!Prompt().Confirm(FForm.windowTitle(), u"Reset all \"Changed\" flags?"_s))
        return;
    const auto restore = BusyWindow(FForm);
    TDataModule1& data = FForm.Data();
    if (!data.ResetChangedFlags())
        ShowError(data.LastError());
    data.ReopenMemoryView(data.MemQuery1().Sql());
}

void TMemoryMaintenance::SaveTableAs() {
    const QString path = AskSaveFileName(u"Save Table As"_s, u"dBase Files (*.dbf)"_s, u"dbf"_s);
    if (path.isEmpty())
        return;
    TDataModule1& data = FForm.Data();
    bool saved = false;
    {
        FForm.Grid()->setUpdatesEnabled(false);
        const auto restore = BusyWindow(FForm);
        saved = data.SaveTableAs(path);
        FForm.Grid()->setUpdatesEnabled(true);
    }
    if (!saved)
        ShowError(data.LastError());
}

void TMemoryMaintenance::OpenTable() {
    FForm.ShowAllMemories();
    FForm.Grid()->SetTitleHighlight(0, FForm.HighlightColor());
    const QString path =
        Prompt().OpenFileName(u"NEVER load/save system databases MemoryBank0/1.dbf"_s, DataFolder(),
                              {}, u"DBase Files (*.dbf)"_s);
    if (path.isEmpty())
        return;
    TDataModule1& data = FForm.Data();
    bool opened = false;
    {
        const auto restore = BusyWindow(FForm);
        opened = data.OpenTable(path);
        data.ReopenMemoryView(AllRowsSql(data.ViewState.CurrentTable));
    }
    if (!opened)
        ShowError(data.LastError());
}

void TMemoryMaintenance::RebuildIndexes() {
    TDataModule1& data = FForm.Data();
    const QString bank = QString::number(data.CurrentBank());
    if (!Prompt().Confirm(QApplication::applicationName() + u" "_s + FForm.windowTitle(),
                          u"Attempt to fix a database table problem for Bank "_s + bank +
                              u" by rebuilding indexes.\r\nYou don't need to do this unless you "
                              u"have a problem."_s))
        return;
    if (!data.RebuildIndexes())
        ShowError(data.LastError());
    FForm.GoToCurrentMemory();
}
