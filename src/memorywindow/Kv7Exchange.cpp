#include "Kv7Exchange.h"

#include "BusyWindow.h"
#include "DataUnit1.h"
#include "Kv7Bank.h"
#include "Kv7File.h"
#include "MemForm.h"
#include "MemoryMaintenance.h"
#include "NumberText.h"
#include "OpenMemoDialog.h"
#include "ProgramFolder.h"
#include "Prompt.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

constexpr const char* kSaveFilter = "Kv7 text database files (*.Kv7)";
constexpr const char* kOpenFilter = "*.Kv7 (*.Kv7)";
constexpr const char* kSuffix = "Kv7";
constexpr qsizetype kSkippedShown = 15;

const QString kReadInWarning =
    u"           You are about to import into the main table\r\n            This will overwrite "
    u"memories in the table\r\n  Cancel and \"Use Import|Relocate Kv7 Saved Table\" if "
    u"required\r\n                 Are you sure you wish to import?"_s;

QString SkippedText(const TKv7ReadIn& result) {
    return QString::number(result.Replaced) + u" memories read in; "_s +
           QString::number(result.Skipped.size()) + u" lines skipped:\r\n"_s +
           SkippedLinesText(result.Skipped);
}

} // namespace

QString SkippedLinesText(const QStringList& skipped) {
    QStringList lines = skipped.first(std::min(kSkippedShown, skipped.size()));
    if (skipped.size() > kSkippedShown)
        lines << u"..."_s;
    return lines.join(u"\r\n"_s);
}

TKv7Exchange::TKv7Exchange(TMemForm& form, QObject* parent)
    : QObject(parent)
    , FForm(form) {
    setObjectName(u"Kv7Exchange"_s);
    ChooseFile = [this](const QString& title, const QString& folder, const QString& filter) {
        return TOpenMemoDialog::GetFile(&FForm, title, folder, filter);
    };
}

void ExportShownRows(TMemForm& form, const QString& path,
                     const std::function<bool(TTableView&, const QString&, QString&)>& write) {
    if (path.isEmpty())
        return;
    QString error;
    bool ok = false;
    {
        const auto restore = BusyWindow(form);
        ok = write(form.Data().MemQuery1(), path, error);
    }
    if (!ok)
        Prompt().Error(form.windowTitle(), error);
}

bool ReadIntoBank(TMemForm& form, const std::function<bool(TDataModule1&)>& read) {
    const auto restore = BusyWindow(form);
    TDataModule1& data = form.Data();
    const bool ok = read(data);
    if (!ok)
        data.ReopenMemoryView(AllRowsSql(data.ViewState.CurrentTable));
    return ok;
}

void TKv7Exchange::ExportBank1() {
    ExportShownRows(
        FForm,
        AskSaveFileName(u"Save"_s, QString::fromLatin1(kSaveFilter), QString::fromLatin1(kSuffix)),
        ExportKv7);
}

void TKv7Exchange::ReadinanKv7table1() {
    FForm.ShowAllMemories();
    const QString path =
        ChooseFile(u"Open file to read in"_s, DataFolder(), QString::fromLatin1(kOpenFilter));
    if (path.isEmpty() || !Prompt().Confirm(FForm.windowTitle(), kReadInWarning))
        return;
    TKv7ReadIn result;
    ReadIntoBank(FForm, [&](TDataModule1& data) {
        result = ReadKv7IntoBank(data, path);
        return result.Ok();
    });
    if (!result.Ok())
        Prompt().Error(FForm.windowTitle(), result.Error);
    else if (!result.Skipped.isEmpty())
        Prompt().Information(FForm.windowTitle(), SkippedText(result));
}

std::optional<int> TKv7Exchange::AskStartNumber() const {
    for (;;) {
        const std::optional<QString> answer = Prompt().AskText(
            u"Renumber the memories"_s, u"Enter memory number to start from"_s, {});
        if (!answer)
            return std::nullopt;
        const std::optional<qint64> number = ParseInteger(*answer);
        if (number && *number >= 0 && *number < kBankRows)
            return static_cast<int>(*number);
        Prompt().Error(FForm.windowTitle(), u"That is not an integer in range 0-999"_s);
    }
}

void TKv7Exchange::RelocateKv7savedtable1() {
    const QString source =
        ChooseFile(u"Open file to relocate"_s, DataFolder(), QString::fromLatin1(kOpenFilter));
    if (source.isEmpty())
        return;
    const std::optional<int> start = AskStartNumber();
    if (!start)
        return;
    const QString target =
        AskSaveFileName(u"Save filename for relocated table, NOT "_s + QFileInfo(source).fileName(),
                        QString::fromLatin1(kSaveFilter), QString::fromLatin1(kSuffix));
    if (target.isEmpty())
        return;
    const TKv7Relocation result = RelocateKv7(source, target, *start);
    if (result.SameFile)
        Prompt().Error(FForm.windowTitle(), u"Must save to different filename"_s);
    else if (!result.Error.isEmpty())
        Prompt().Error(FForm.windowTitle(), result.Error);
    else if (result.Partial())
        Prompt().Information(FForm.windowTitle(),
                             u"Reached 999, relocation aborted\r\nPartial relocation in file "_s +
                                 QDir::toNativeSeparators(target));
}
