#include "SubSelectBuilder.h"

#include <QDate>
#include <QLocale>
#include <QTime>

#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;

const TSubSelectKind& MemorySubSelect() {
    static const TSubSelectKind kind{
        .Fields = {u"MEM"_s, u"FREQ"_s, u"TEXT"_s},
        .Orders = {u"MEM"_s, u"FREQ"_s, u"TEXT"_s, u"MEM DESC"_s, u"FREQ DESC"_s, u"TEXT DESC"_s},
        .HasCategory = false,
        .NumberField = u"MEM"_s,
        .NumberWidth = 3,
        .DatesAndTimes = false,
        .QuoteTable = false,
    };
    return kind;
}

const TSubSelectKind& LogSubSelect() {
    static const TSubSelectKind kind{
        .Fields = {u"FREQ"_s, u"LOGDATE"_s, u"LOGTIME"_s, u"NOTES"_s},
        .Orders = {u"ID"_s, u"FREQ"_s, u"LOGDATE"_s, u"LOGTIME"_s, u"SIGNAL"_s, u"FREQ DESC"_s,
                   u"LOGDATE DESC"_s, u"LOGTIME DESC"_s, u"SIGNAL DESC"_s},
        .HasCategory = true,
        .NumberField = {},
        .NumberWidth = 0,
        .DatesAndTimes = true,
        .QuoteTable = true,
    };
    return kind;
}

QStringList SubSelectOperators() {
    return {u"<"_s, u">"_s, u"<="_s, u">="_s, u"<>"_s, u"="_s, u"LIKE"_s};
}

QStringList SubSelectConnectors() {
    return {u"AND"_s, u"OR"_s, u"AND NOT"_s};
}

namespace {

QString Literal(const QString& value) {
    return u'"' + QString(value).replace(u'"', u"\"\""_s) + u'"';
}

// A date or time in the user's format, rewritten as the older dialect writes it; any other
// text stays as typed and the engine judges it.
QString DateOrTimeText(const QString& field, const QString& value) {
    const QLocale locale;
    if (field.contains(u"DATE"_s)) {
        for (const auto format : {QLocale::ShortFormat, QLocale::LongFormat}) {
            QDate date = locale.toDate(value, format);
            if (date.isValid()) {
                // Two-digit years read as the first century; the user means this one.
                if (date.year() < 100)
                    date = date.addYears(2000);
                return date.toString(u"MM/dd/yyyy"_s);
            }
        }
    } else if (field.contains(u"TIME"_s)) {
        for (const auto format : {QLocale::LongFormat, QLocale::ShortFormat}) {
            const QTime time = locale.toTime(value, format);
            if (time.isValid())
                return time.toString(u"hh:mm:ss"_s);
        }
        const QTime plain = QTime::fromString(value, u"H:m:s"_s);
        if (plain.isValid())
            return plain.toString(u"hh:mm:ss"_s);
    }
    return value;
}

QString ValueText(const TSubSelectKind& kind, const TSubSelectRow& row) {
    QString value = row.Value.toUpper();
    if (row.Operator == u"LIKE")
        return u'%' + value + u'%';
    if (!kind.NumberField.isEmpty() && row.Field == kind.NumberField) {
        bool whole = false;
        const int number = value.toInt(&whole);
        if (whole)
            value = QStringLiteral("%1").arg(number, kind.NumberWidth, 10, QChar(u'0'));
    }
    if (kind.DatesAndTimes)
        value = DateOrTimeText(row.Field, value);
    return value;
}

bool IsSet(const TSubSelectRow& row) {
    return !row.Field.isEmpty() && !row.Operator.isEmpty();
}

} // namespace

TSubSelectStatement BuildSubSelect(const TSubSelectKind& kind, const QString& table,
                                   const TSubSelectChoices& choices) {
    for (const TSubSelectRow& row : choices.Rows) {
        if (row.Field != u"FREQ" || row.Value.isEmpty())
            continue;
        bool number = false;
        QLocale::c().toDouble(row.Value.trimmed(), &number);
        if (!number)
            return {{}, row.Value.toUpper() + u" Is not a floating point value"_s};
    }

    // Each term is written in its own brackets; every term after the first set one, set or
    // not, closes one more bracket, so the first term opens as many as follow it.
    struct TTerm {
        bool Set = false;
        QString Connector;
        QString Text;
    };
    std::vector<TTerm> terms;
    for (std::size_t r = 0; r < choices.Rows.size(); ++r) {
        const TSubSelectRow& row = choices.Rows[r];
        terms.push_back(
            {IsSet(row), r == 0 ? QString() : choices.Connectors[r - 1],
             u'(' + row.Field + u' ' + row.Operator + u' ' + Literal(ValueText(kind, row)) + u')'});
    }
    terms.push_back(
        {!choices.Mode.isEmpty(), u"AND"_s, u"(MODE = "_s + Literal(choices.Mode) + u')'});
    if (kind.HasCategory)
        terms.push_back({!choices.CategoryId.isEmpty(), u"AND"_s,
                         u"(CategoryID = "_s + Literal(choices.CategoryId) + u')'});

    QString sql = u"SELECT * FROM "_s + (kind.QuoteTable ? u'"' + table + u'"' : table);
    const auto first =
        std::find_if(terms.cbegin(), terms.cend(), [](const TTerm& t) { return t.Set; });
    if (first != terms.cend()) {
        const auto following = terms.cend() - first - 1;
        sql += u" WHERE "_s + QString(following, u'(') + first->Text;
        for (auto t = first + 1; t != terms.cend(); ++t) {
            if (t->Set)
                sql += u' ' + t->Connector + u' ' + t->Text;
            sql += u')';
        }
    }
    sql += u" ORDER BY "_s + choices.OrderBy;
    return {sql, {}};
}
