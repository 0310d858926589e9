#include "ChirpExchange.h"

#include "ChirpBank.h"
#include "DataUnit1.h"
#include "Kv7Exchange.h"
#include "MemForm.h"
#include "MemoryMaintenance.h"
#include "ProgramFolder.h"
#include "Prompt.h"

using namespace Qt::StringLiterals;

namespace {

constexpr const char* kFilter = "CHIRP CSV files (*.csv)";
constexpr const char* kSuffix = "csv";

const QString kReadInWarning =
    u"The rows of the CHIRP file replace the memories of their channels in the current "
    u"table.\r\nAre you sure you wish to import?"_s;

} // namespace

QString ChirpReportText(const TChirpReadIn& result) {
    const TChirpContents& contents = result.Contents;
    QStringList text;
    text << QString::number(result.Replaced) + u" memories read in."_s;
    if (!contents.Mapped.isEmpty())
        text << u"Mapped: "_s + contents.Mapped.join(u"; "_s) + u'.';
    if (!contents.Dropped.isEmpty()) {
        text << u"No equivalent, dropped:"_s;
        for (const TChirpDropped& dropped : contents.Dropped)
            text << u"  "_s + dropped.What + u": "_s + QString::number(dropped.Rows) +
                        (dropped.Rows == 1 ? u" row"_s : u" rows"_s);
    }
    if (!contents.Ignored.isEmpty())
        text << u"Columns not read: "_s + contents.Ignored.join(u", "_s) + u'.';
    if (!contents.Skipped.isEmpty())
        text << QString::number(contents.Skipped.size()) + u" lines skipped:"_s
             << SkippedLinesText(contents.Skipped);
    return text.join(u"\r\n"_s);
}

TChirpExchange::TChirpExchange(TMemForm& form, QObject* parent)
    : QObject(parent)
    , FForm(form) {
    setObjectName(u"ChirpExchange"_s);
}

void TChirpExchange::ExportChirpCsv1() {
    ExportShownRows(FForm,
                    AskSaveFileName(u"Export as CHIRP CSV"_s, QString::fromLatin1(kFilter),
                                    QString::fromLatin1(kSuffix)),
                    ExportChirpCsv);
}

void TChirpExchange::ReadinaChirpCsvfile1() {
    FForm.ShowAllMemories();
    const QString path = Prompt().OpenFileName(u"Open a CHIRP CSV file to read in"_s, DataFolder(),
                                               {}, QString::fromLatin1(kFilter));
    if (path.isEmpty() || !Prompt().Confirm(FForm.windowTitle(), kReadInWarning))
        return;
    TChirpReadIn result;
    ReadIntoBank(FForm, [&](TDataModule1& data) {
        result = ReadChirpIntoBank(data, path);
        return result.Ok();
    });
    if (result.Ok())
        Prompt().Information(FForm.windowTitle(), ChirpReportText(result));
    else if (result.Contents.Ok())
        Prompt().Error(FForm.windowTitle(), result.Error + u"\r\n\r\n"_s + ChirpReportText(result));
    else
        Prompt().Error(FForm.windowTitle(), result.Error);
}
