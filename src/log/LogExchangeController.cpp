#include "LogExchangeController.h"

#include "BusyWindow.h"
#include "CancelForm.h"
#include "LogGrid.h"
#include "Main.h"
#include "ProgramFolder.h"
#include "Prompt.h"
#include "TableView.h"
#include "UnitLog.h"

#include <QAction>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QScopeGuard>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

const QString kCsvSaveFilter = u"Comma Separated Values *.csv (*.csv)"_s;
const QString kCsvOpenFilter = u"Comma separated values *.CSV (*.CSV *.csv)"_s;
const QString kKv7SaveFilter = u"Kv7 Text Database *.Kv7 (*.Kv7 *.kv7)"_s;
const QString kKv7OpenFilter = u"*.Kv7 (*.Kv7 *.kv7)"_s;

// The name typed, with `extension` added when it has none.
QString WithExtension(const QString& chosen, const QString& extension) {
    return QFileInfo(chosen).suffix().isEmpty() ? chosen + extension : chosen;
}

} // namespace

TLogExchangeController::TLogExchangeController(TFormLog& form, TMainForm& main,
                                               const TActions& actions)
    : QObject(&form)
    , FForm(form)
    , FMain(main) {
    connect(actions.ExportToCSV, &QAction::triggered, this, &TLogExchangeController::ExportToCSV);
    connect(actions.ImportCSV, &QAction::triggered, this, &TLogExchangeController::ImportCSV);
    connect(actions.Export_Kv7Format, &QAction::triggered, this,
            &TLogExchangeController::ExportKv7Format);
    connect(actions.Import, &QAction::triggered, this, &TLogExchangeController::ImportKv7);
}

TLogExchangeController::~TLogExchangeController() {
    delete FCancelForm.data();
}

void TLogExchangeController::ShowStatus(const QString& text) {
    if (auto* panel = FForm.findChild<QLabel*>(u"StatusPanel2"_s))
        panel->setText(text);
}

void TLogExchangeController::ExportToCSV() {
    if (!FForm.QLog().Active())
        return;
    const QString chosen = Prompt().SaveFileName(u"Save As"_s, DataFolder(), {}, kCsvSaveFilter);
    if (chosen.isEmpty())
        return;
    const QString path = WithExtension(chosen, u".csv"_s);
    TLogExportResult result;
    {
        const auto mainBusy = BusyWindow(FMain);
        const auto formBusy = BusyWindow(FForm);
        result = ExportLogCsv(FForm.Engine(), FForm.QLog(), FForm.CategoryTableFile(), path);
    }
    if (!result.Ok())
        Prompt().Error(u"Kv7"_s, result.Error);
}

void TLogExchangeController::ExportKv7Format() {
    if (!FForm.QLog().Active())
        return;
    QString error;
    const std::optional<qint64> count = ShownLogRowCount(FForm.Engine(), FForm.QLog(), error);
    if (!count) {
        Prompt().Error(u"Kv7"_s, error);
        return;
    }
    if (*count > kLogKv7MaxRows) {
        Prompt().Information(u"Kv7"_s, QString::fromLatin1(kTooManyForKv7Text));
        return;
    }
    const QString chosen = Prompt().SaveFileName(u"Export as"_s, DataFolder(), {}, kKv7SaveFilter);
    if (chosen.isEmpty())
        return;
    const QString path = WithExtension(chosen, u".Kv7"_s);
    TLogExportResult result;
    {
        const auto mainBusy = BusyWindow(FMain);
        const auto formBusy = BusyWindow(FForm);
        result = ExportLogKv7(FForm.Engine(), FForm.QLog(), path);
    }
    if (!result.Ok())
        Prompt().Error(u"Kv7"_s, result.Error);
}

void TLogExchangeController::ImportCSV() {
    if (!FForm.QLog().Active())
        return;
    const QString chosen =
        Prompt().OpenFileName(u"Import from Kv7 CSV file"_s, DataFolder(), {}, kCsvOpenFilter);
    if (!chosen.isEmpty())
        RunImport(TLogFileFormat::Csv, chosen);
}

void TLogExchangeController::ImportKv7() {
    if (!FForm.QLog().Active())
        return;
    const QString chosen =
        Prompt().OpenFileName(u"Select file to read in"_s, DataFolder(), {}, kKv7OpenFilter);
    if (!chosen.isEmpty())
        RunImport(TLogFileFormat::Kv7, chosen);
}

void TLogExchangeController::RunImport(TLogFileFormat format, const QString& path) {
    FForm.ShowAll();
    const QString logTable = FForm.LogTableFile();
    TLogImportSettings settings;
    settings.LogTable = logTable;
    settings.CategoryTable = FForm.CategoryTableFile();
    settings.Stamp = LogStampAt(FForm.Clock(), FForm.UseUtcTime());
    settings.BatchRows = BatchRows;
    TLogImport import(FForm.Engine(), format, path, settings);
    {
        // The Cancel window has no parent: a disabled owner would disable it too.
        FMain.setEnabled(false);
        FForm.setEnabled(false);
        FForm.Grid()->setUpdatesEnabled(false);
        auto* cancel = new TCancelForm(nullptr);
        FCancelForm = cancel;
        cancel->ProgressLabel()->hide();
        cancel->ProgressBar()->hide();
        cancel->OnCancel = [&import] {
            import.Stop();
        };
        const auto restore = qScopeGuard([this] {
            delete FCancelForm.data();
            FForm.Grid()->setUpdatesEnabled(true);
            FForm.setEnabled(true);
            FMain.setEnabled(true);
        });
        if (import.Start()) {
            cancel->show();
            // One batch a turn of the event loop, so the Cancel button is heard between them.
            QEventLoop loop;
            QTimer stepper;
            stepper.setInterval(0);
            connect(&stepper, &QTimer::timeout, &loop, [&] {
                const bool more = import.Step();
                ShowStatus(QString::number(import.Result().Added) + u" Imported"_s);
                Q_EMIT BatchStored(import.Result().Added);
                if (!more)
                    loop.quit();
            });
            stepper.start();
            loop.exec();
        }
    }
    // The view and the categories are read again, with whatever the import added.
    FForm.OpenLogTable(logTable);
    ReportImport(import.Result(), path);
}

void TLogExchangeController::ReportImport(const TLogImportResult& result, const QString& path) {
    if (result.NotALogFile) {
        Prompt().Information(u"Kv7"_s, QString::fromLatin1(kNotALogCsvText));
        return;
    }
    const QString file = QDir::toNativeSeparators(path);
    for (const TSkippedLine& skipped : result.Skipped)
        FMain.AddMessage(file + u" line "_s + QString::number(skipped.Line) + u" not imported: "_s +
                         skipped.Reason);
    ShowStatus(QString::number(result.Added) + u" Imported"_s);
    if (!result.Error.isEmpty()) {
        Prompt().Error(u"Kv7"_s, result.Error + u"\r\nRows imported before the error: "_s +
                                     QString::number(result.Added));
        return;
    }
    if (!result.Skipped.isEmpty())
        Prompt().Information(u"Kv7"_s, u"Rows imported: "_s + QString::number(result.Added) +
                                           u"\r\nLines left out: "_s +
                                           QString::number(result.Skipped.size()) +
                                           u" (listed in the messages window)"_s);
}
