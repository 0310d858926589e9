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

bool ExportKv7(TTableView& view, const QString& path, QString& error) {
    std::array<int, kKv7FieldCount> columns{};
    for (std::size_t i = 0; i < kKv7Fields.size(); ++i)
        columns[i] = view.FieldIndex(QString::fromLatin1(kKv7Fields[i].Name));
    TKv7Writer writer(path);
    bool ok = writer.Open();
    for (int row = 0; ok; ++row) {
        if (row >= view.FetchedCount() && (view.AllFetched() || view.FetchMore(kFetchRows) == 0))
            break;
        TKv7Values values;
        for (std::size_t i = 0; i < columns.size(); ++i)
            if (columns[i] >= 0)
                values[i] = view.ValueAt(row, columns[i]);
        ok = writer.Write(values);
    }
    ok = ok && writer.Commit();
    if (!ok)
        error = writer.Error();
    return ok;
}

TKv7ReadIn ReadKv7IntoBank(TDataModule1& data, const QString& path) {
    TKv7ReadIn result;
    TKv7Contents contents = ReadKv7File(path);
    result.Skipped = contents.Skipped;
    if (!contents.Ok()) {
        result.Error = contents.Error;
        return result;
    }
    // The last record of a channel is the one that stays, as if each had been stored in turn.
    std::map<QString, std::size_t> byChannel;
    for (std::size_t i = 0; i < contents.Records.size(); ++i)
        byChannel[contents.Records[i][0].toString()] = i;

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
            const TKv7Values& values = contents.Records[(next++)->second];
            for (int i = 0; i < kKv7FieldCount; ++i)
                row.Bind(i, i == changed ? QVariant(true) : values[static_cast<std::size_t>(i)]);
            return true;
        });
    if (!ok) {
        result.Error = engine.LastError();
        return result;
    }
    if (!data.UpdateBankFrom(source)) {
        result.Error = data.LastError();
        return result;
    }
    result.Replaced = static_cast<int>(byChannel.size());
    return result;
}
