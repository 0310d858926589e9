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
// Enough of the skipped lines to see what is wrong without a box taller than the screen.
constexpr qsizetype kSkippedShown = 15;

const QString kReadInWarning =
    u"           You are about to import into the main table\r\n            This will overwrite "
    u"memories in the table\r\n  Cancel and \"Use Import|Relocate Kv7 Saved Table\" if "
    u"required\r\n                 Are you sure you wish to import?"_s;

QString SkippedText(const TKv7ReadIn& result) {
    QStringList lines = result.Skipped.first(std::min(kSkippedShown, result.Skipped.size()));
    if (result.Skipped.size() > kSkippedShown)
        lines << u"..."_s;
    return QString::number(result.Replaced) + u" memories read in; "_s +
           QString::number(result.Skipped.size()) + u" lines skipped:\r\n"_s +
           lines.join(u"\r\n"_s);
}

} // namespace

TKv7Exchange::TKv7Exchange(TMemForm& form, QObject* parent)
    : QObject(parent)
    , FForm(form) {
    setObjectName(u"Kv7Exchange"_s);
    ChooseFile = [this](const QString& title, const QString& folder, const QString& filter) {
        return TOpenMemoDialog::GetFile(&FForm, title, folder, filter);
    };
}

void TKv7Exchange::ExportBank1() {
    const QString path =
        AskSaveFileName(u"Save"_s, QString::fromLatin1(kSaveFilter), QString::fromLatin1(kSuffix));
    if (path.isEmpty())
        return;
    QString error;
    bool ok = false;
    {
        const auto restore = BusyWindow(FForm);
        ok = ExportKv7(FForm.Data().MemQuery1(), path, error);
    }
    if (!ok)
        Prompt().Error(FForm.windowTitle(), error);
}

void TKv7Exchange::ReadinanKv7table1() {
    FForm.ShowAllMemories();
    const QString path =
        ChooseFile(u"Open file to read in"_s, DataFolder(), QString::fromLatin1(kOpenFilter));
    if (path.isEmpty() || !Prompt().Confirm(FForm.windowTitle(), kReadInWarning))
        return;
    TDataModule1& data = FForm.Data();
    TKv7ReadIn result;
    {
        const auto restore = BusyWindow(FForm);
        result = ReadKv7IntoBank(data, path);
        if (!result.Ok())
            data.ReopenMemoryView(AllRowsSql(data.ViewState.CurrentTable));
    }
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
