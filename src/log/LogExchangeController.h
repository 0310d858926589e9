#pragma once

#include "CancelForm.h"
#include "LogExchange.h"

#include <QObject>
#include <QPointer>

class QAction;
class TFormLog;
class TMainForm;

// The log window's import and export items: their dialogs and messages, the busy windows and
// the Cancel window of an import. The files themselves are LogExchange's.
class TLogExchangeController : public QObject {
    Q_OBJECT

public:
    struct TActions {
        QAction* ExportToCSV = nullptr;
        QAction* ImportCSV = nullptr;
        QAction* Export_Kv7Format = nullptr;
        QAction* Import = nullptr;
    };

    TLogExchangeController(TFormLog& form, TMainForm& main, const TActions& actions);
    ~TLogExchangeController() override;

    void ExportToCSV();
    void ImportCSV();
    void ExportKv7Format();
    void ImportKv7();

    // Rows an import stores in one transaction.
    int BatchRows = kLogImportBatchRows;
    // The Cancel window while an import runs; null otherwise.
    TCancelForm* CancelWindow() const { return FCancelForm; }

Q_SIGNALS:
    // After each batch an import has stored.
    void BatchStored(qint64 added);

private:
    TFormLog& FForm;
    TMainForm& FMain;
    QPointer<TCancelForm> FCancelForm;

    void RunImport(TLogFileFormat format, const QString& path);
    void ShowStatus(const QString& text);
    void ReportImport(const TLogImportResult& result, const QString& path);
};
