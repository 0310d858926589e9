#include "MemorySql.h"

using namespace Qt::StringLiterals;

QString FormatMemNumber(int n) {
    if (n < 10)
        return u"00"_s + QString::number(n);
    if (n < 100)
        return u"0"_s + QString::number(n);
    return QString::number(n);
}

QString BuildMemorySql(const TMemoryViewState& state) {
    QString sql = u"SELECT * FROM "_s + state.CurrentTable;
    if (!state.BankFilter.isEmpty()) {
        sql += u" WHERE ("_s + state.BankFilter;
        if (!state.RowFilter.isEmpty())
            sql += u" AND ("_s + state.RowFilter + u')';
        sql += u')';
    } else if (!state.RowFilter.isEmpty()) {
        sql += u" WHERE ("_s + state.RowFilter + u')';
    }
    if (!state.SortField.isEmpty())
        sql += u" ORDER BY "_s + state.SortField;
    return sql;
}

QString HundredFilter(int hundred) {
    const QString upper = QString::asprintf("%.3d", hundred * 100 + 99);
    return u"((MEM >= '"_s + FormatMemNumber(hundred * 100) + u"') AND (MEM <= '"_s + upper +
           u"'))"_s;
}

QString AllRowsSql(const QString& table) {
    return u"SELECT * FROM "_s + table;
}

QString HideBlanksSql(const QString& table) {
    return u"SELECT * FROM "_s + table + u" WHERE "_s + QString::fromLatin1(kHideBlanksFilter);
}

QString ClearSelectScanSql(const QString& table) {
    return u"Update "_s + table + u" set selscan = false"_s;
}
