#include "LogExchange.h"

#include "CategoryTable.h"
#include "CodePage.h"
#include "CsvText.h"
#include "Kv7File.h"
#include "MemorySql.h"
#include "NumberText.h"
#include "TableEngine.h"
#include "TableView.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QLocale>
#include <QSaveFile>

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// The log's fields that the files carry, and the CSV columns that hold them, in file order.
enum TLogField {
    FFreq,
    FMode,
    FBW,
    FStep,
    FAnt,
    FStadj,
    FNotes,
    FSquelch,
    FCategory,
    FDate,
    FTime,
    FSignal,
    kLogFieldCount
};
constexpr std::array<const char*, kLogFieldCount> kTableNames = {
    "Freq",  "Mode",    "BW",         "Step",    "Ant",     "Stadj",
    "Notes", "Squelch", "CategoryID", "LogDate", "LogTime", "Signal"};
constexpr std::array<const char*, kLogFieldCount> kCsvNames = {
    "Freq", "Mode",    "BW",       "Step", "Ant",  "StepAdj",
    "Text", "Squelch", "Category", "Date", "Time", "Signal"};
// A CSV file without these is not one of the log's.
constexpr int kCsvRequired = FSquelch + 1;

constexpr qsizetype kWriteChunk = 1 << 20;
constexpr int kProgressRows = 1000;
constexpr int kBudgetCheckRows = 256;
constexpr const char* kLineEnd = "\r\n";

QString Shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

std::optional<double> ToNumber(QByteArrayView text) {
    text = CsvTrimmed(text);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.isEmpty() || error != std::errc() || end != text.data() + text.size() ||
        !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<qint64> ToInteger(QByteArrayView text) {
    text = CsvTrimmed(text);
    if (!text.isEmpty() && text.front() == '+')
        text = text.sliced(1);
    qint64 value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.isEmpty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

QString Quoted(QByteArrayView text) {
    return u'"' + QString::fromUtf8(text) + u'"';
}

void AppendNumber(QByteArray& out, double value) {
    // Shortest text that reads back as the same number: 145.5, not 145.500000000000001.
    std::array<char, 32> text{};
    const auto result = std::to_chars(text.data(), text.data() + text.size(), value);
    out.append(text.data(), result.ptr - text.data());
}

void AppendInteger(QByteArray& out, qint64 value) {
    std::array<char, 24> text{};
    const auto result = std::to_chars(text.data(), text.data() + text.size(), value);
    out.append(text.data(), result.ptr - text.data());
}

// The rows a view shows, read straight from the engine: a million rows go by without a value
// object each.
class TShownRows {
public:
    explicit TShownRows(TTableEngine& engine)
        : FEngine(engine) {}
    ~TShownRows() { sqlite3_finalize(FStatement); }
    TShownRows(const TShownRows&) = delete;
    TShownRows& operator=(const TShownRows&) = delete;

    bool Open(const TTableView& view, QString& error) {
        const std::optional<QString> sql = ShownLogRowsSql(FEngine, view, error);
        if (!sql)
            return false;
        const QByteArray text = sql->toUtf8();
        if (sqlite3_prepare_v2(FEngine.Handle(), text.constData(), static_cast<int>(text.size()),
                               &FStatement, nullptr) != SQLITE_OK) {
            error = QString::fromUtf8(sqlite3_errmsg(FEngine.Handle()));
            return false;
        }
        for (int c = 0; c < sqlite3_column_count(FStatement); ++c) {
            const QByteArrayView name(sqlite3_column_name(FStatement, c));
            for (int f = 0; f < kLogFieldCount; ++f)
                if (FColumn[f] < 0 &&
                    QString::fromUtf8(name).compare(
                        QLatin1StringView(kTableNames[static_cast<std::size_t>(f)]),
                        Qt::CaseInsensitive) == 0)
                    FColumn[f] = c;
        }
        return true;
    }

    // True with a row, false at the end or on an error (then `error` is set).
    bool Next(QString& error) {
        const int step = sqlite3_step(FStatement);
        if (step == SQLITE_ROW)
            return true;
        if (step != SQLITE_DONE)
            error = QString::fromUtf8(sqlite3_errmsg(FEngine.Handle()));
        return false;
    }

    bool IsNull(int field) const {
        return FColumn[field] < 0 || sqlite3_column_type(FStatement, FColumn[field]) == SQLITE_NULL;
    }
    QByteArrayView Text(int field) const {
        if (IsNull(field))
            return {};
        const auto* text =
            reinterpret_cast<const char*>(sqlite3_column_text(FStatement, FColumn[field]));
        return {text, sqlite3_column_bytes(FStatement, FColumn[field])};
    }
    double Number(int field) const { return sqlite3_column_double(FStatement, FColumn[field]); }
    qint64 Integer(int field) const { return sqlite3_column_int64(FStatement, FColumn[field]); }
    bool Bool(int field) const {
        if (IsNull(field))
            return false;
        if (sqlite3_column_type(FStatement, FColumn[field]) == SQLITE_TEXT) {
            const QByteArrayView text = Text(field);
            return text.compare("T", Qt::CaseInsensitive) == 0 ||
                   text.compare("TRUE", Qt::CaseInsensitive) == 0 || text == "1";
        }
        return Integer(field) != 0;
    }
    QString String(int field) const { return QString::fromUtf8(Text(field)); }

private:
    TTableEngine& FEngine;
    sqlite3_stmt* FStatement = nullptr;
    QList<int> FColumn = QList<int>(kLogFieldCount, -1);
};

QHash<qint64, QByteArray> ReadCategoryTexts(TTableEngine& engine, const QString& categoryTable) {
    QHash<qint64, QByteArray> texts;
    if (categoryTable.isEmpty() || !QFileInfo::exists(categoryTable))
        return texts;
    engine.ForEachRow(u"SELECT ID, Category FROM "_s + QuoteFileName(categoryTable), {},
                      [&texts](const QVariantList& row) {
                          texts.insert(row.value(0).toLongLong(), row.value(1).toString().toUtf8());
                          return true;
                      });
    return texts;
}

bool IsAscii(QByteArrayView bytes) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool IsDigits(QByteArrayView text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int Digits(QByteArrayView text) {
    int value = 0;
    for (const char c : text)
        value = value * 10 + (c - '0');
    return value;
}

} // namespace

std::optional<QString> ShownLogRowsSql(TTableEngine& engine, const TTableView& view,
                                       QString& error) {
    const TTranslation statement = engine.Translate(view.Sql());
    if (!statement.Ok() || statement.Kind != TStatementKind::Select) {
        error = statement.Ok() ? u"The log view's statement reads no rows"_s : statement.Error;
        return std::nullopt;
    }
    if (!view.Filtered() || view.Filter().isEmpty())
        return statement.Sql;
    if (view.OnFilterRecord) {
        error = u"The log view's filter cannot be written as a condition"_s;
        return std::nullopt;
    }
    const TTranslation condition = TranslateCondition(view.Filter());
    if (!condition.Ok()) {
        error = condition.Error;
        return std::nullopt;
    }
    if (const std::optional<TSelectParts>& parts = statement.Select) {
        QString sql = u"SELECT "_s + parts->Columns + u" FROM "_s + parts->Source + u" WHERE "_s;
        sql += parts->Where.isEmpty() ? condition.Sql
                                      : u'(' + parts->Where + u") AND ("_s + condition.Sql + u')';
        return parts->Tail.isEmpty() ? sql : sql + u' ' + parts->Tail;
    }
    return u"SELECT * FROM ("_s + statement.Sql + u") WHERE "_s + condition.Sql;
}

std::optional<qint64> ShownLogRowCount(TTableEngine& engine, const TTableView& view,
                                       QString& error) {
    const std::optional<QString> rows = ShownLogRowsSql(engine, view, error);
    if (!rows)
        return std::nullopt;
    const std::optional<QVariant> count =
        engine.QueryValueNative(u"SELECT count(*) FROM ("_s + *rows + u')');
    if (!count) {
        error = engine.LastError();
        return std::nullopt;
    }
    return count->toLongLong();
}

TLogExportResult ExportLogCsv(TTableEngine& engine, const TTableView& view,
                              const QString& categoryTable, const QString& path,
                              const TLogProgress& progress) {
    TLogExportResult result;
    TShownRows rows(engine);
    if (!rows.Open(view, result.Error))
        return result;
    const QHash<qint64, QByteArray> categories = ReadCategoryTexts(engine, categoryTable);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        result.Error = Shown(path) + u": "_s + file.errorString();
        return result;
    }
    QByteArray out = QByteArray(kLogCsvHeader) + kLineEnd;
    out.reserve(kWriteChunk + 4096);
    const auto flush = [&] {
        if (file.write(out) != out.size())
            return false;
        out.clear();
        return true;
    };
    bool writing = true;
    while (writing && rows.Next(result.Error)) {
        if (!rows.IsNull(FFreq))
            AppendNumber(out, rows.Number(FFreq));
        for (const int field : {FMode, FBW, FStep, FAnt}) {
            out.append(',');
            AppendCsvField(out, rows.Text(field));
        }
        out.append(rows.Bool(FStadj) ? ",T," : ",F,");
        AppendCsvField(out, rows.Text(FNotes));
        out.append(',');
        if (!rows.IsNull(FSquelch))
            AppendInteger(out, rows.Integer(FSquelch));
        out.append(',');
        if (!rows.IsNull(FCategory))
            AppendCsvField(out, categories.value(rows.Integer(FCategory)));
        for (const int field : {FDate, FTime}) {
            out.append(',');
            AppendCsvField(out, rows.Text(field));
        }
        out.append(',');
        if (!rows.IsNull(FSignal))
            AppendInteger(out, rows.Integer(FSignal));
        out.append(kLineEnd);
        ++result.Written;
        if (out.size() >= kWriteChunk)
            writing = flush();
        if (progress && result.Written % kProgressRows == 0 && !progress(result.Written)) {
            result.Cancelled = true;
            file.cancelWriting();
            return result;
        }
    }
    if (!result.Error.isEmpty()) {
        file.cancelWriting();
        return result;
    }
    if (!writing || !flush() || !file.commit())
        result.Error = Shown(path) + u": "_s + file.errorString();
    return result;
}

TLogExportResult ExportLogKv7(TTableEngine& engine, const TTableView& view, const QString& path,
                              const TLogProgress& progress) {
    TLogExportResult result;
    TShownRows rows(engine);
    if (!rows.Open(view, result.Error))
        return result;
    TKv7Writer writer(path, TKv7FreqFill::Zeros);
    if (!writer.Open()) {
        result.Error = writer.Error();
        return result;
    }
    const auto text = [&rows](int field) {
        return rows.IsNull(field) ? QVariant() : QVariant(rows.String(field));
    };
    while (rows.Next(result.Error)) {
        TKv7Values values;
        const auto at = [&values](const char16_t* name) -> QVariant& {
            return values[static_cast<std::size_t>(Kv7FieldIndex(name))];
        };
        at(u"MEM") = FormatMemNumber(static_cast<int>(result.Written));
        if (!rows.IsNull(FFreq))
            at(u"FREQ") = rows.Number(FFreq);
        at(u"MODE") = text(FMode);
        at(u"BW") = text(FBW);
        at(u"STEP") = text(FStep);
        at(u"ATN") = u"Auto"_s;
        at(u"ANT") = text(FAnt);
        at(u"STADJ") = rows.Bool(FStadj);
        at(u"TEXT") = text(FNotes);
        if (!rows.IsNull(FSquelch))
            at(u"SQUELCH") = static_cast<int>(rows.Integer(FSquelch));
        if (!writer.Write(values)) {
            result.Error = writer.Error();
            return result;
        }
        ++result.Written;
        if (progress && result.Written % kProgressRows == 0 && !progress(result.Written)) {
            result.Cancelled = true;
            return result;
        }
    }
    if (result.Error.isEmpty() && !writer.Commit())
        result.Error = writer.Error();
    return result;
}

// ---------------------------------------------------------------------------------------------
// Import

namespace {

// One row ready to store; the texts point into the file or into the batch's own storage.
struct TImportRow {
    double Freq = 0;
    QList<QByteArrayView> Text = QList<QByteArrayView>(kLogFieldCount); // the text fields
    bool Stadj = false;
    std::optional<qint64> Squelch;
    std::optional<qint64> Signal;
    std::optional<qint64> Category;
};

} // namespace

struct TLogImport::TImpl {
    TTableEngine& Engine;
    TLogFileFormat Format;
    QString Path;
    TLogImportSettings Settings;
    TLogImportResult Result;
    QByteArray Data;
    TCsvReader Csv; // over Data, for either format
    bool Done = false;
    bool StopAsked = false;
    QList<int> Column = QList<int>(kLogFieldCount, -1); // CSV column of each field, -1: none
    int HeaderFields = 0;
    bool HasCategory = false;
    QByteArray StampDate;
    QByteArray StampTime;
    QHash<QByteArray, qint64> Categories;

    TImpl(TTableEngine& engine, TLogFileFormat format, const QString& path,
          const TLogImportSettings& settings)
        : Engine(engine)
        , Format(format)
        , Path(path)
        , Settings(settings) {
        StampDate = settings.Stamp.Date.toString(Qt::ISODate).toLatin1();
        StampTime = settings.Stamp.Time.toString(u"HH:mm:ss"_s).toLatin1();
    }

    QByteArrayView Keep(QByteArray bytes) { return Csv.Keep(std::move(bytes)); }

    bool ReadHeader() {
        QString error;
        TCsvRecord record = TCsvRecord::Blank;
        while (record == TCsvRecord::Blank)
            record = Csv.Next(error);
        if (record == TCsvRecord::Fields) {
            HeaderFields = static_cast<int>(Csv.Fields().size());
            for (int f = 0; f < kLogFieldCount; ++f)
                for (int c = 0; c < HeaderFields; ++c)
                    if (Column[f] < 0 &&
                        QString::fromUtf8(Csv.Fields()[static_cast<std::size_t>(c)])
                                .compare(QLatin1StringView(kCsvNames[static_cast<std::size_t>(f)]),
                                         Qt::CaseInsensitive) == 0)
                        Column[f] = c;
        }
        if (std::any_of(Column.begin(), Column.begin() + kCsvRequired,
                        [](int column) { return column < 0; })) {
            Result.NotALogFile = true;
            return false;
        }
        HasCategory = Column[FCategory] >= 0;
        return true;
    }

    QByteArrayView UpperNotes(QByteArrayView notes) {
        if (notes.isEmpty())
            return {};
        if (IsAscii(notes)) {
            QByteArray upper = notes.toByteArray();
            for (char& c : upper)
                if (c >= 'a' && c <= 'z')
                    c = static_cast<char>(c - 'a' + 'A');
            return Keep(std::move(upper));
        }
        return Keep(QString::fromUtf8(notes).toUpper().toUtf8());
    }

    // The stored form of a date: ISO, taken first as ISO, then in the user's own forms.
    std::optional<QByteArrayView> StoredDate(QByteArrayView text) {
        text = CsvTrimmed(text);
        if (text.isEmpty())
            return QByteArrayView();
        if (text.size() == 10 && text[4] == '-' && text[7] == '-' && IsDigits(text.first(4)) &&
            IsDigits(text.sliced(5, 2)) && IsDigits(text.sliced(8, 2)) &&
            QDate(Digits(text.first(4)), Digits(text.sliced(5, 2)), Digits(text.sliced(8, 2)))
                .isValid())
            return text;
        const QString shown = QString::fromUtf8(text);
        const QLocale locale = QLocale::system();
        QDate date = QDate::fromString(shown, Qt::ISODate);
        for (const QLocale::FormatType form : {QLocale::ShortFormat, QLocale::LongFormat})
            if (!date.isValid())
                date = locale.toDate(shown, form);
        if (!date.isValid())
            return std::nullopt;
        return Keep(date.toString(Qt::ISODate).toLatin1());
    }

    std::optional<QByteArrayView> StoredTime(QByteArrayView text) {
        text = CsvTrimmed(text);
        if (text.isEmpty())
            return QByteArrayView();
        if (text.size() == 8 && text[2] == ':' && text[5] == ':' && IsDigits(text.first(2)) &&
            IsDigits(text.sliced(3, 2)) && IsDigits(text.sliced(6, 2)) &&
            QTime(Digits(text.first(2)), Digits(text.sliced(3, 2)), Digits(text.sliced(6, 2)))
                .isValid())
            return text;
        const QString shown = QString::fromUtf8(text);
        const QLocale locale = QLocale::system();
        QTime time = QTime::fromString(shown, Qt::ISODate);
        for (const QLocale::FormatType form : {QLocale::ShortFormat, QLocale::LongFormat}) {
            if (!time.isValid())
                time = locale.toTime(shown, form);
            // A time zone written after the time ("13:14:15 UTC") is not one Qt reads back;
            // a time of day does not need it.
            const QString format = locale.timeFormat(form);
            if (!time.isValid() && format.endsWith(u" t"_s) && shown.contains(u' '))
                time = QTime::fromString(shown.section(u' ', 0, -2), format.chopped(2));
        }
        if (!time.isValid())
            return std::nullopt;
        return Keep(time.toString(u"HH:mm:ss"_s).toLatin1());
    }

    // The checks both formats share; empty when the row can be stored.
    static QString CheckRow(const TImportRow& row) {
        if (!(row.Freq >= kLogFreqMinMHz && row.Freq <= kLogFreqMaxMHz))
            return u"Freq "_s + QString::number(row.Freq) + u" is outside 0.01 to 2600"_s;
        if (const QByteArrayView step = CsvTrimmed(row.Text[FStep]); !step.isEmpty()) {
            const std::optional<double> kHz = ToNumber(step);
            if (!kHz)
                return u"Step "_s + Quoted(step) + u" is not a number"_s;
            if (*kHz < kLogStepMinKHz || *kHz > kLogStepMaxKHz)
                return u"Step "_s + QString::fromUtf8(step) + u" is outside 0.001 to 999"_s;
        }
        if (row.Squelch && (*row.Squelch < 0 || *row.Squelch > 255))
            return u"Squelch "_s + QString::number(*row.Squelch) +
                   u" is not a whole number from 0 to 255"_s;
        return {};
    }

    // Empty when the record made a row; else why the line was left out. Engine failures end
    // the import through Result.Error.
    QString CsvRow(TImportRow& row) {
        const std::vector<QByteArrayView>& fields = Csv.Fields();
        if (static_cast<int>(fields.size()) > HeaderFields)
            return QString::number(fields.size()) + u" fields where the header has "_s +
                   QString::number(HeaderFields);
        const auto field = [this, &fields](int f) {
            const int c = Column[f];
            return c >= 0 && c < static_cast<int>(fields.size())
                       ? fields[static_cast<std::size_t>(c)]
                       : QByteArrayView();
        };
        const std::optional<double> freq = ToNumber(field(FFreq));
        if (!freq)
            return u"Freq "_s + Quoted(field(FFreq)) + u" is not a number"_s;
        row.Freq = *freq;
        for (const int f : {FMode, FBW, FStep, FAnt})
            row.Text[f] = field(f);
        row.Stadj = field(FStadj) == "T";
        row.Text[FNotes] = UpperNotes(field(FNotes));
        if (const QByteArrayView squelch = CsvTrimmed(field(FSquelch)); !squelch.isEmpty()) {
            row.Squelch = ToInteger(squelch);
            if (!row.Squelch)
                return u"Squelch "_s + Quoted(squelch) + u" is not a whole number from 0 to 255"_s;
        }
        if (!HasCategory) {
            row.Text[FDate] = StampDate;
            row.Text[FTime] = StampTime;
        } else {
            if (const QByteArrayView category = field(FCategory); !category.isEmpty()) {
                const QString why = FindCategory(category, row.Category);
                if (!why.isEmpty() || !Result.Error.isEmpty())
                    return why;
            }
            const std::optional<QByteArrayView> date = StoredDate(field(FDate));
            if (!date)
                return u"Date "_s + Quoted(field(FDate)) + u" is not a date"_s;
            const std::optional<QByteArrayView> time = StoredTime(field(FTime));
            if (!time)
                return u"Time "_s + Quoted(field(FTime)) + u" is not a time of day"_s;
            row.Text[FDate] = *date;
            row.Text[FTime] = *time;
            row.Signal = ToInteger(field(FSignal));
        }
        return CheckRow(row);
    }

    QString FindCategory(QByteArrayView text, std::optional<qint64>& id) {
        const QByteArray key = text.toByteArray();
        if (const auto known = Categories.constFind(key); known != Categories.cend()) {
            id = *known;
            return {};
        }
        const QString category = QString::fromUtf8(text);
        if (const QString refusal = CategoryTextRefusal(category); !refusal.isEmpty())
            return refusal;
        QString error;
        const std::optional<qint64> found =
            FindOrAddCategory(Engine, Settings.CategoryTable, category, error);
        if (!found) {
            Result.Error = error;
            return error;
        }
        Categories.insert(key, *found);
        id = *found;
        return {};
    }

    QString Kv7Row(QByteArrayView line, TImportRow& row) {
        static const TKv7FieldSet kLogFields = [] {
            TKv7FieldSet set;
            for (const char16_t* name :
                 {u"FREQ", u"MODE", u"BW", u"STEP", u"ANT", u"STADJ", u"TEXT", u"SQUELCH"})
                set.set(static_cast<std::size_t>(Kv7FieldIndex(name)));
            return set;
        }();
        const TKv7Parsed parsed = ParseKv7Record(line, kLogFields);
        if (!parsed.Ok())
            return parsed.Error;
        const auto value = [&parsed](const char16_t* name) {
            return parsed.Values[static_cast<std::size_t>(Kv7FieldIndex(name))];
        };
        if (value(u"FREQ").isNull())
            return u"FREQ is blank"_s;
        row.Freq = value(u"FREQ").toDouble();
        const auto text = [&](const char16_t* name) {
            const QString trimmed = value(name).toString().trimmed();
            return trimmed.isEmpty() ? QByteArrayView() : Keep(trimmed.toUtf8());
        };
        row.Text[FMode] = text(u"MODE");
        row.Text[FBW] = text(u"BW");
        row.Text[FStep] = text(u"STEP");
        row.Text[FAnt] = text(u"ANT");
        row.Text[FNotes] = UpperNotes(text(u"TEXT"));
        row.Stadj = value(u"STADJ").toBool();
        if (!value(u"SQUELCH").isNull())
            row.Squelch = value(u"SQUELCH").toLongLong();
        row.Text[FDate] = StampDate;
        row.Text[FTime] = StampTime;
        return CheckRow(row);
    }

    void Skip(qint64 line, const QString& reason) { Result.Skipped.append({line, reason}); }

    // The next line (or CSV record) of the file: a row in `row` (`got` set), or a line left
    // out; false at the end of the file or when the import fails.
    bool ReadRow(TImportRow& row, bool& got) {
        got = false;
        Csv.ClearKept();
        if (Csv.AtEnd())
            return false;
        row = TImportRow();
        if (Format == TLogFileFormat::Csv) {
            const qint64 line = Csv.Line() + 1;
            QString error;
            switch (Csv.Next(error)) {
            case TCsvRecord::End:
                return false;
            case TCsvRecord::Blank:
                return true;
            case TCsvRecord::Bad:
                Skip(line, error);
                return true;
            case TCsvRecord::Fields:
                break;
            }
            const QString why = CsvRow(row);
            if (!Result.Error.isEmpty())
                return false;
            got = why.isEmpty();
            if (!got)
                Skip(line, why);
            return true;
        }
        const qint64 line = Csv.Line() + 1;
        const QByteArrayView text = Csv.NextLine();
        if (CsvTrimmed(text).isEmpty())
            return true;
        const QString why = Kv7Row(text, row);
        got = why.isEmpty();
        if (!got)
            Skip(line, why);
        return true;
    }

    // Rows are read as they are stored, a batch in one transaction: the batch ends after
    // BatchRows rows or, checked now and then, when it has taken BatchMs.
    bool StoreBatch() {
        static const QStringList kColumns = {
            u"Freq"_s,    u"Mode"_s,    u"BW"_s,      u"Step"_s,   u"Ant"_s,   u"Stadj"_s,
            u"Squelch"_s, u"LogDate"_s, u"LogTime"_s, u"Signal"_s, u"Notes"_s, u"CategoryID"_s};
        qint64 stored = 0;
        QElapsedTimer batchTime;
        batchTime.start();
        TImportRow row;
        const auto text = [](TRowBinder& binder, int column, QByteArrayView value) {
            if (value.isEmpty())
                binder.BindNull(column);
            else
                binder.BindUtf8(column, value);
        };
        const auto integer = [](TRowBinder& binder, int column, std::optional<qint64> value) {
            if (value)
                binder.BindInteger(column, *value);
            else
                binder.BindNull(column);
        };
        const bool ok =
            Engine.InsertRows(QuoteFileName(Settings.LogTable), kColumns, [&](TRowBinder& binder) {
                if (stored >= std::max(1, Settings.BatchRows) ||
                    (stored % kBudgetCheckRows == 0 && stored > 0 &&
                     batchTime.elapsed() >= Settings.BatchMs))
                    return false;
                bool got = false;
                while (!got)
                    if (!ReadRow(row, got))
                        return false;
                ++stored;
                binder.BindNumber(0, row.Freq);
                text(binder, 1, row.Text[FMode]);
                text(binder, 2, row.Text[FBW]);
                text(binder, 3, row.Text[FStep]);
                text(binder, 4, row.Text[FAnt]);
                binder.BindInteger(5, row.Stadj ? 1 : 0);
                integer(binder, 6, row.Squelch);
                text(binder, 7, row.Text[FDate]);
                text(binder, 8, row.Text[FTime]);
                integer(binder, 9, row.Signal);
                text(binder, 10, row.Text[FNotes]);
                integer(binder, 11, row.Category);
                return true;
            });
        if (!ok) {
            Result.Error = Shown(Settings.LogTable) + u": "_s + Engine.LastError();
            return false;
        }
        Result.Added += stored;
        return Result.Error.isEmpty();
    }
};

TLogImport::TLogImport(TTableEngine& engine, TLogFileFormat format, const QString& path,
                       const TLogImportSettings& settings)
    : FImpl(std::make_unique<TImpl>(engine, format, path, settings)) {}

TLogImport::~TLogImport() = default;

bool TLogImport::Start() {
    TImpl& d = *FImpl;
    QFile file(d.Path);
    if (!file.open(QIODevice::ReadOnly)) {
        d.Result.Error = Shown(d.Path) + u": "_s + file.errorString();
        d.Done = true;
        return false;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        d.Result.Error = Shown(d.Path) + u": "_s + file.errorString();
        d.Done = true;
        return false;
    }
    // Kv7 records are one byte a character; the record reader decodes them itself.
    d.Data = d.Format == TLogFileFormat::Csv ? TextAsUtf8(std::move(bytes)) : std::move(bytes);
    d.Csv = TCsvReader(d.Data);
    if (d.Format == TLogFileFormat::Csv && !d.ReadHeader()) {
        d.Done = true;
        return false;
    }
    return true;
}

bool TLogImport::Step() {
    TImpl& d = *FImpl;
    if (d.Done)
        return false;
    if (d.StopAsked) {
        d.Result.Cancelled = !d.Csv.AtEnd();
        d.Done = true;
        return false;
    }
    if (!d.StoreBatch()) {
        d.Done = true;
        return false;
    }
    d.Done = d.Csv.AtEnd();
    return !d.Done;
}

void TLogImport::Stop() {
    FImpl->StopAsked = true;
}

qint64 TLogImport::LinesRead() const {
    return FImpl->Csv.Line();
}

const TLogImportResult& TLogImport::Result() const {
    return FImpl->Result;
}

TLogImportResult ImportLogFile(TTableEngine& engine, TLogFileFormat format, const QString& path,
                               const TLogImportSettings& settings, const TLogProgress& progress) {
    TLogImport import(engine, format, path, settings);
    if (import.Start())
        while (import.Step())
            if (progress && !progress(import.Result().Added))
                import.Stop();
    return import.Result();
}
