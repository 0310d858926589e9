#include "DataUnit1.h"

#include "BankTable.h"
#include "DbaseFile.h"
#include "FieldChecks.h"
#include "NumberText.h"
#include "ProgramFolder.h"

#include <QScopeGuard>

using namespace Qt::StringLiterals;

namespace {

// BlankMemoryRow clears the fields in this order.
constexpr std::array<const char*, 17> kBlankOrder = {
    "FREQ",  "TEXT", "MODE", "BW",    "LP",   "HP",      "DM",      "AGC",    "STEP",
    "SSTEP", "ATN",  "ANT",  "STADJ", "PASS", "SELSCAN", "SQUELCH", "CHANGED"};

// A change to one of these marks a row with a frequency CHANGED; SQUELCH and CHANGED do not.
constexpr std::array<const char*, 15> kChangeTracked = {"FREQ", "TEXT", "MODE", "BW",    "LP",
                                                        "HP",   "DM",   "AGC",  "STEP",  "SSTEP",
                                                        "ATN",  "ANT",  "PASS", "STADJ", "SELSCAN"};

constexpr const char* kOpenTableSource = "OpenTable";

bool IsOneOf(QStringView name, const auto& names) {
    for (const char* candidate : names)
        if (name.compare(QLatin1StringView(candidate), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

} // namespace

TDataModule1::TDataModule1(QObject* parent)
    : TDataModule1(ProgramFolder(), parent) {}

TDataModule1::TDataModule1(const QString& folder, QObject* parent)
    : QObject(parent)
    , FEngine(folder)
    , FMemQuery1(FEngine)
    , FDataSource1(FMemQuery1)
    , FMoveTable(FEngine) {
    for (TTableView* view : {&FMemQuery1, &FMoveTable}) {
        view->AllowInsert = false;
        view->AllowDelete = false;
    }
    connect(&FMemQuery1, &TTableView::Opened, this, &TDataModule1::MemQuery1AfterOpen);
    FMemQuery1.OnFilterRecord = [this](const TTableView&, const QVariantList& values) {
        return MemQuery1FilterRecord(values);
    };
    FMemQuery1.OnValidate = [this](TTableView&, int field, QVariant& value, TAssignOrigin origin) {
        return MemQuery1Validate(field, value, origin);
    };
    FMemQuery1.OnFieldChange = [this](TTableView&, int field) {
        MemQuery1FREQChange(field);
    };
    FDataSource1.DisplayText = [this](int field, const QVariant& value) -> QVariant {
        if (value.isNull())
            return QString();
        if (value.typeId() == QMetaType::Bool)
            return value.toBool() ? u"Y"_s : QString();
        if (FMemQuery1.Field(field).Name.compare(u"FREQ"_s, Qt::CaseInsensitive) == 0) {
            // "####.000000": no digit before the point below 1 MHz.
            const QString text = FormatFixed(value.toDouble(), 6);
            return text.startsWith(u"0."_s) ? text.mid(1) : text;
        }
        return value;
    };
}

TDataModule1::~TDataModule1() {
    FMoveTable.Close();
    FMemQuery1.Close();
}

bool TDataModule1::Fail(const QString& text) {
    FLastError = text;
    if (ReportError)
        ReportError(text);
    return false;
}

bool TDataModule1::DataModule1Create() {
    FLastError.clear();
    bool ok = true;
    for (const char* table : kBankTables) {
        QString error;
        if (!PrepareBankTable(FEngine, QString::fromLatin1(table), error))
            ok = Fail(error);
    }
    FMemQuery1.Close();
    FMemQuery1.SetSql(QString::fromLatin1(kStartupSql));
    if (!FMemQuery1.Open())
        return Fail(FMemQuery1.LastError());
    return ok;
}

bool TDataModule1::Q1(const QString& sql) {
    return FEngine.Execute(sql) || Fail(FEngine.LastError());
}

void TDataModule1::MemQuery1AfterOpen() {
    FMemQuery1.SetFieldReadOnly(FMemQuery1.FieldIndex(u"MEM"), true);
    FStatus[0] = QString::number(FMemQuery1.RecordCount()) + u" Memories showing"_s;
    FStatus[1] = FMemQuery1.CanModify() ? u"Read/Write"_s : u"Read Only"_s;
    Q_EMIT StatusChanged(FStatus[0], FStatus[1]);
}

bool TDataModule1::MemQuery1FilterRecord(const QVariantList& values) const {
    const QString wanted = QuickFilterText.toUpper();
    if (wanted.isEmpty())
        return true;
    return values.value(FMemQuery1.FieldIndex(u"TEXT")).toString().toUpper().contains(wanted);
}

bool TDataModule1::MemQuery1Validate(int field, QVariant& value, TAssignOrigin origin) {
    // CHANGED is checked only when the user types into it, never when the program marks a row.
    if (ProgrammaticEdit || origin != TAssignOrigin::User)
        return true;
    const TCheckOutcome outcome =
        CheckMemoryField(MemoryFieldRule(FMemQuery1.Field(field).Name), value);
    if (!outcome.Accepted && ShowMessage)
        ShowMessage(outcome.Message);
    return outcome.Accepted;
}

void TDataModule1::MemQuery1FREQChange(int field) {
    if (!IsOneOf(FMemQuery1.Field(field).Name, kChangeTracked))
        return;
    if (!FMemQuery1.Value(u"FREQ").isNull())
        FMemQuery1.SetField(u"CHANGED", true);
}

bool TDataModule1::ReopenMemoryView(const QString& sql) {
    const QString mem = FMemQuery1.Active() ? FMemQuery1.Value(u"MEM").toString() : QString();
    FMemQuery1.Close();
    FMemQuery1.SetSql(sql);
    if (!FMemQuery1.Open())
        return Fail(FMemQuery1.LastError());
    if (mem.isEmpty() || FMemQuery1.Locate(u"MEM", mem) != TLocateResult::Found)
        FMemQuery1.First();
    return true;
}

bool TDataModule1::ReopenKeepingRow() {
    return ReopenMemoryView(FMemQuery1.Sql());
}

bool TDataModule1::BlankMemoryRow() {
    ProgrammaticEdit = true;
    const auto clear = qScopeGuard([this] { ProgrammaticEdit = false; });
    if (!FMemQuery1.Edit())
        return Fail(FMemQuery1.LastError());
    for (const char* field : kBlankOrder)
        FMemQuery1.SetField(QString::fromLatin1(field), QVariant());
    if (!FMemQuery1.Post()) {
        const QString error = FMemQuery1.LastError();
        FMemQuery1.Cancel();
        return Fail(error);
    }
    return true;
}

bool TDataModule1::BlankChannels(const QString& first, const QString& last) {
    QStringList assignments;
    for (const char* field : kBlankOrder)
        assignments << QString::fromLatin1(field) + u" = NULL"_s;
    TTransaction transaction(FEngine);
    if (!transaction.Started())
        return Fail(FEngine.LastError());
    if (!FEngine.Execute(u"UPDATE "_s + ViewState.CurrentTable + u" SET "_s +
                             assignments.join(u", "_s) + u" WHERE MEM >= ? AND MEM <= ?"_s,
                         {first, last}) ||
        !transaction.Commit())
        return Fail(FEngine.LastError());
    return ReopenKeepingRow();
}

bool TDataModule1::StoreField(QStringView field, const QVariant& value) {
    if (!FMemQuery1.Edit())
        return Fail(FMemQuery1.LastError());
    FMemQuery1.SetField(field, value);
    if (!FMemQuery1.Post()) {
        const QString error = FMemQuery1.LastError();
        FMemQuery1.Cancel();
        return Fail(error);
    }
    return true;
}

int TDataModule1::CurrentBank() const {
    return ViewState.CurrentTable.compare(QLatin1StringView(kBankTables[1]), Qt::CaseInsensitive) ==
                   0
               ? 1
               : 0;
}

TLocateResult TDataModule1::LocateMemory(const QString& mem) {
    return FMemQuery1.Locate(u"MEM", mem);
}

bool TDataModule1::OpenMoveTable() {
    FMoveTable.Close();
    FMoveTable.SetSql(AllRowsSql(ViewState.CurrentTable));
    return FMoveTable.Open() || Fail(FMoveTable.LastError());
}

bool TDataModule1::RebuildIndexes() {
    FMemQuery1.Close();
    FMoveTable.Close();
    QString error;
    // A lost index is made again before all are rebuilt.
    if (!EnsureBankSchema(FEngine, ViewState.CurrentTable, error))
        return Fail(error);
    if (!FEngine.RegenerateIndexes(ViewState.CurrentTable))
        return Fail(FEngine.LastError());
    return FMemQuery1.Open() || Fail(FMemQuery1.LastError());
}

bool TDataModule1::SaveTableAs(const QString& dbfPath) {
    QString error;
    return WriteDbaseTable(FEngine, ViewState.CurrentTable, dbfPath, error) || Fail(error);
}

bool TDataModule1::OpenTable(const QString& dbfPath) {
    const QString source = u"temp."_s + QString::fromLatin1(kOpenTableSource);
    QString error;
    FMemQuery1.Close();
    FMoveTable.Close();
    // Files are attached before the transaction: SQLite attaches none inside one.
    bool ok = ReadDbaseTable(FEngine, dbfPath, QString::fromLatin1(kOpenTableSource), error) &&
              FEngine.TableSql(ViewState.CurrentTable).has_value();
    if (ok) {
        TTransaction transaction(FEngine);
        ok = transaction.Started() &&
             FEngine.BatchUpdate(source, ViewState.CurrentTable, u"MEM"_s) &&
             FEngine.Execute(u"UPDATE "_s + ViewState.CurrentTable +
                             u" SET CHANGED = TRUE WHERE FREQ IS NOT NULL"_s) &&
             transaction.Commit();
    }
    if (!ok && error.isEmpty())
        error = FEngine.LastError();
    FEngine.ExecuteNative(u"DROP TABLE IF EXISTS "_s + source);
    const bool reopened = ReopenMemoryView(AllRowsSql(ViewState.CurrentTable));
    return ok ? reopened : Fail(error);
}

bool TDataModule1::UpdateBankFrom(const QString& source) {
    const QString changed = QString::fromLatin1(kChangedTable);
    FMemQuery1.Close();
    FMoveTable.Close();
    bool ok =
        FEngine.BatchUpdate(source, ViewState.CurrentTable, u"MEM"_s, changed) &&
        FEngine.Execute(u"UPDATE "_s + ViewState.CurrentTable +
                        u" SET CHANGED = TRUE WHERE MEM IN (SELECT MEM FROM "_s + changed + u')');
    const QString error = FEngine.LastError();
    FEngine.CloseTableFile(changed);
    const bool reopened = ReopenMemoryView(AllRowsSql(ViewState.CurrentTable));
    return ok ? reopened : Fail(error);
}

bool TDataModule1::ResetChangedFlags() {
    if (!FMemQuery1.Active())
        return Fail(u"The memory view is not open"_s);
    TTransaction transaction(FEngine);
    if (!transaction.Started())
        return Fail(FEngine.LastError());
    ProgrammaticEdit = true;
    const auto clear = qScopeGuard([this] { ProgrammaticEdit = false; });
    for (int row = 0; FMemQuery1.MoveTo(row); ++row) {
        if (FMemQuery1.Value(u"CHANGED").isNull())
            continue;
        if (!FMemQuery1.Edit() || !FMemQuery1.SetField(u"CHANGED", QVariant()) ||
            !FMemQuery1.Post()) {
            const QString error = FMemQuery1.LastError();
            FMemQuery1.Cancel();
            return Fail(error);
        }
    }
    return transaction.Commit() || Fail(FEngine.LastError());
}

bool TDataModule1::ClearSelectScanFlags() {
    return Q1(ClearSelectScanSql(ViewState.CurrentTable)) && ReopenKeepingRow();
}
