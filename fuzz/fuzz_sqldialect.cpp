// The translation of typed SQL into SQLite's dialect: statements, filter conditions and the
// tokenizer under them, with a resolver that knows two table files. What the translation lets
// through must be one statement: SQLite, given the translated text, finds nothing after it.
#include "FuzzSupport.h"

#include "SqlDialect.h"

#include <sqlite3.h>

#include <cstdlib>
#include <cstring>

namespace {

sqlite3* Database() {
    static sqlite3* db = [] {
        sqlite3* opened = nullptr;
        if (sqlite3_open(":memory:", &opened) != SQLITE_OK)
            std::abort();
        sqlite3_exec(opened,
                     "ATTACH ':memory:' AS MemoryBank0; ATTACH ':memory:' AS Log;"
                     "CREATE TABLE MemoryBank0.dbf (MEM TEXT, FREQ REAL, MODE TEXT, TEXT TEXT);"
                     "CREATE TABLE Log.DB (ID INTEGER, FREQ REAL, NOTE TEXT);",
                     nullptr, nullptr, nullptr);
        return opened;
    }();
    return db;
}

// Only blanks, semicolons and comments after the first statement.
bool NothingAfter(const char* tail) {
    while (*tail) {
        if (std::strchr(" \t\r\n;", *tail)) {
            ++tail;
        } else if (std::strncmp(tail, "--", 2) == 0) {
            const char* end = std::strchr(tail, '\n');
            if (!end)
                return true;
            tail = end;
        } else if (std::strncmp(tail, "/*", 2) == 0) {
            const char* end = std::strstr(tail + 2, "*/");
            if (!end)
                return true;
            tail = end + 2;
        } else {
            return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString sql = QString::fromUtf8(FuzzBytes(data, size));
    const TTableResolver resolver = [](const QString& fileName, TTableUse,
                                       QString& error) -> std::optional<TTableTarget> {
        if (fileName.compare(QStringLiteral("MemoryBank0.dbf"), Qt::CaseInsensitive) == 0)
            return TTableTarget{QStringLiteral("MemoryBank0"), QStringLiteral("dbf"),
                                QStringLiteral("/tmp/MemoryBank0.dbf")};
        if (fileName.endsWith(QStringLiteral("_Kv7.DB"), Qt::CaseInsensitive))
            return TTableTarget{QStringLiteral("Log"), QStringLiteral("DB"),
                                QStringLiteral("/tmp/Log_Kv7.DB")};
        error = QStringLiteral("Unknown table ") + fileName;
        return std::nullopt;
    };
    QString error;
    TokenizeSql(sql, &error);
    const TTranslation translation = TranslateSql(sql, resolver);
    if (translation.Ok()) {
        const QByteArray text = translation.Sql.toUtf8();
        sqlite3_stmt* statement = nullptr;
        const char* tail = nullptr;
        if (sqlite3_prepare_v2(Database(), text.constData(), -1, &statement, &tail) == SQLITE_OK &&
            !NothingAfter(tail))
            std::abort();
        sqlite3_finalize(statement);
    }
    TranslateCondition(sql);
    QuoteLiteral(sql);
    QuoteIdentifier(sql);
    return 0;
}
