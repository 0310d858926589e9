#include "Kv7Bank.h"

#include "DataUnit1.h"
#include "Kv7File.h"

#include <QScopeGuard>

#include <map>

using namespace Qt::StringLiterals;

namespace {

constexpr const char* kReadInTable = "temp.Kv7";
constexpr int kFetchRows = 256;

} // namespace

bool ForEachShownRow(TTableView& view, const std::function<bool(const TKv7Values&)>& write) {
    std::array<int, kKv7FieldCount> columns{};
    for (std::size_t i = 0; i < kKv7Fields.size(); ++i)
        columns[i] = view.FieldIndex(QString::fromLatin1(kKv7Fields[i].Name));
    for (int row = 0;; ++row) {
        if (row >= view.FetchedCount() && (view.AllFetched() || view.FetchMore(kFetchRows) == 0))
            return true;
        TKv7Values values;
        for (std::size_t i = 0; i < columns.size(); ++i)
            if (columns[i] >= 0)
                values[i] = view.ValueAt(row, columns[i]);
        if (!write(values))
            return false;
    }
}

bool ExportKv7(TTableView& view, const QString& path, QString& error) {
    TKv7Writer writer(path);
    const bool ok =
        writer.Open() &&
        ForEachShownRow(view, [&](const TKv7Values& values) { return writer.Write(values); }) &&
        writer.Commit();
    if (!ok)
        error = writer.Error();
    return ok;
}

std::optional<int> StoreRecordsInBank(TDataModule1& data, const std::vector<TKv7Values>& records,
                                      QString& error) {
    if (records.empty()) {
        error = u"The file holds no record that can be stored; nothing was changed"_s;
        return std::nullopt;
    }
    // The last record of a channel is the one that stays, as if each had been stored in turn.
    std::map<QString, std::size_t> byChannel;
    for (std::size_t i = 0; i < records.size(); ++i)
        byChannel[records[i][0].toString()] = i;

    TTableEngine& engine = data.Engine();
    const QString source = QString::fromLatin1(kReadInTable);
    const auto bank = engine.TableSql(data.ViewState.CurrentTable);
    const auto drop =
        qScopeGuard([&] { engine.ExecuteNative(u"DROP TABLE IF EXISTS "_s + source); });
    QStringList names;
    for (const TKv7Field& field : kKv7Fields)
        names << QString::fromLatin1(field.Name);
    const int changed = Kv7FieldIndex(u"CHANGED");
    auto next = byChannel.cbegin();
    // Each record carries CHANGED = true, so the rows it replaces are marked in the same
    // transaction that replaces them.
    const bool ok =
        bank && engine.ExecuteNative(u"DROP TABLE IF EXISTS "_s + source) &&
        engine.ExecuteNative(u"CREATE TABLE "_s + source + u" AS SELECT * FROM "_s + *bank +
                             u" WHERE 0"_s) &&
        engine.InsertRows(source, names, [&](TRowBinder& row) {
            if (next == byChannel.cend())
                return false;
            const TKv7Values& values = records[(next++)->second];
            for (int i = 0; i < kKv7FieldCount; ++i)
                row.Bind(i, i == changed ? QVariant(true) : values[static_cast<std::size_t>(i)]);
            return true;
        });
    if (!ok) {
        error = engine.LastError();
        return std::nullopt;
    }
    if (!data.UpdateBankFrom(source)) {
        error = data.LastError();
        return std::nullopt;
    }
    return static_cast<int>(byChannel.size());
}

TKv7ReadIn ReadKv7IntoBank(TDataModule1& data, const QString& path) {
    TKv7ReadIn result;
    TKv7Contents contents = ReadKv7File(path);
    result.Skipped = contents.Skipped;
    if (!contents.Ok()) {
        result.Error = contents.Error;
        return result;
    }
    result.Replaced = StoreRecordsInBank(data, contents.Records, result.Error).value_or(0);
    return result;
}
