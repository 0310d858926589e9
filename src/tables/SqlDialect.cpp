#include "SqlDialect.h"

#include <QDate>

#include <array>

using namespace Qt::StringLiterals;

namespace {

constexpr std::array<QLatin1StringView, 10> kTwoCharOperators = {
    "<>"_L1, "<="_L1, ">="_L1, "=="_L1, "!="_L1, "||"_L1, "<<"_L1, ">>"_L1, "->"_L1, "::"_L1};

// Words that may stand between a keyword that announces a table and the table itself.
constexpr std::array<QLatin1StringView, 9> kTablePrefixWords = {
    "IF"_L1,    "NOT"_L1,     "EXISTS"_L1, "OR"_L1,    "ROLLBACK"_L1,
    "ABORT"_L1, "REPLACE"_L1, "FAIL"_L1,   "IGNORE"_L1};

// Words that end a FROM list.
constexpr std::array<QLatin1StringView, 13> kClauseWords = {
    "WHERE"_L1,  "GROUP"_L1,     "ORDER"_L1, "LIMIT"_L1, "HAVING"_L1, "WINDOW"_L1,   "UNION"_L1,
    "EXCEPT"_L1, "INTERSECT"_L1, "ON"_L1,    "USING"_L1, "SET"_L1,    "RETURNING"_L1};

// Words after which a SELECT's rows are no longer rows of its table.
constexpr std::array<QLatin1StringView, 7> kGroupingWords = {
    "GROUP"_L1, "HAVING"_L1, "WINDOW"_L1, "UNION"_L1, "EXCEPT"_L1, "INTERSECT"_L1, "JOIN"_L1};

constexpr std::array<QLatin1StringView, 8> kTailWords = {"ORDER"_L1,  "LIMIT"_L1,    "GROUP"_L1,
                                                         "HAVING"_L1, "WINDOW"_L1,   "UNION"_L1,
                                                         "EXCEPT"_L1, "INTERSECT"_L1};

constexpr std::array<QLatin1StringView, 5> kTableConstraintWords = {
    "PRIMARY"_L1, "UNIQUE"_L1, "CHECK"_L1, "FOREIGN"_L1, "CONSTRAINT"_L1};

bool IsWordChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_' || c == u'$' || c.unicode() > 127;
}

bool IsWordStart(QChar c) {
    return c.isLetter() || c == u'_' || c.unicode() > 127;
}

template <std::size_t N>
bool IsOneOf(QStringView word, const std::array<QLatin1StringView, N>& words) {
    for (const QLatin1StringView candidate : words)
        if (word.compare(candidate, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// The text inside a quoted token, its doubled quote characters undone.
QString Unquote(const TSqlToken& token) {
    const QStringView inner = QStringView(token.Text).mid(1, token.Text.size() - 2);
    switch (token.Kind) {
    case TSqlTokenKind::String:
        return inner.toString().replace(u"''"_s, u"'"_s);
    case TSqlTokenKind::Quoted:
        return inner.toString().replace(u"\"\""_s, u"\""_s);
    default:
        return inner.toString();
    }
}

// The older dialect writes dates as MM/DD/YYYY; the tables hold them as YYYY-MM-DD.
QString IsoDateOr(const QString& text) {
    if (text.size() != 10 || text[2] != u'/' || text[5] != u'/')
        return text;
    bool monthOk = false, dayOk = false, yearOk = false;
    const int month = QStringView(text).mid(0, 2).toInt(&monthOk);
    const int day = QStringView(text).mid(3, 2).toInt(&dayOk);
    const int year = QStringView(text).mid(6, 4).toInt(&yearOk);
    const QDate date(year, month, day);
    if (!monthOk || !dayOk || !yearOk || !date.isValid())
        return text;
    return date.toString(Qt::ISODate);
}

struct TTok : TSqlToken {
    QString Out;             // what goes into the translated statement
    bool Identifier = false; // a double-quoted name that must stay a name
    int Depth = 0;
};

class TTranslator {
public:
    TTranslator(QStringView sql, const TTableResolver* resolver)
        : FResolver(resolver) {
        QString error;
        for (TSqlToken& token : TokenizeSql(sql, &error))
            FTokens.push_back({token, token.Text});
        FResult.Error = error;
    }

    TTranslation Statement() {
        if (!Prepare())
            return FResult;
        DetectKind();
        if (!FResult.Ok())
            return FResult;
        Walk();
        if (!FResult.Ok())
            return FResult;
        if (FColumnListBegin >= 0 && FResult.Kind == TStatementKind::CreateTable)
            TranslateColumnTypes();
        if (FResult.Kind == TStatementKind::Select)
            FindSelectParts();
        FResult.Sql = Assemble(0, static_cast<int>(FTokens.size()));
        return FResult;
    }

    TTranslation Condition() {
        if (!Prepare())
            return FResult;
        Walk();
        if (FResult.Ok() && FSig.empty())
            FResult.Error = u"The filter condition is empty"_s;
        FResult.Sql = Assemble(0, static_cast<int>(FTokens.size()));
        return FResult;
    }

private:
    const TTableResolver* FResolver;
    std::vector<TTok> FTokens;
    std::vector<int> FSig; // indices of the tokens that are not blanks
    TTranslation FResult;
    // The column list that follows the table of CREATE TABLE / INSERT / CREATE INDEX: positions
    // in FSig of its "(" and ")".
    int FColumnListBegin = -1;
    int FColumnListEnd = -1;
    int FIndexName = -1;     // CREATE INDEX: position of the index name in FSig
    int FFirstTableRef = -1; // position in FSig of the first table named
    int FTableRefs = 0;

    TTok& Sig(int s) {
        return FTokens[static_cast<std::size_t>(FSig[static_cast<std::size_t>(s)])];
    }
    int SigCount() const { return static_cast<int>(FSig.size()); }
    bool IsWord(int s, QLatin1StringView word) {
        return s >= 0 && s < SigCount() && Sig(s).Kind == TSqlTokenKind::Word &&
               Sig(s).Text.compare(word, Qt::CaseInsensitive) == 0;
    }
    bool IsOp(int s, QStringView op) {
        return s >= 0 && s < SigCount() && Sig(s).Kind == TSqlTokenKind::Operator &&
               Sig(s).Text == op;
    }

    bool Prepare() {
        if (!FResult.Ok())
            return false;
        // Everything after the first ";" must be blank.
        for (std::size_t i = 0; i < FTokens.size(); ++i) {
            if (FTokens[i].Kind != TSqlTokenKind::Semicolon)
                continue;
            for (std::size_t j = i + 1; j < FTokens.size(); ++j) {
                if (FTokens[j].Kind != TSqlTokenKind::Space) {
                    FResult.Error = QString::fromLatin1(kTailRefusedText);
                    return false;
                }
            }
            FTokens.resize(i);
            break;
        }
        int depth = 0;
        for (std::size_t i = 0; i < FTokens.size(); ++i) {
            TTok& token = FTokens[i];
            if (token.Kind == TSqlTokenKind::Space)
                continue;
            if (token.Kind == TSqlTokenKind::Operator && token.Text == u")")
                --depth;
            if (depth < 0) {
                FResult.Error = u"Unbalanced parentheses"_s;
                return false;
            }
            token.Depth = depth;
            if (token.Kind == TSqlTokenKind::Operator && token.Text == u"(")
                ++depth;
            if (token.Kind == TSqlTokenKind::Word &&
                token.Text.compare(u"load_extension"_s, Qt::CaseInsensitive) == 0) {
                FResult.Error = QString::fromLatin1(kExtensionRefusedText);
                return false;
            }
            FSig.push_back(static_cast<int>(i));
        }
        if (depth != 0) {
            FResult.Error = u"Unbalanced parentheses"_s;
            return false;
        }
        return true;
    }

    void DetectKind() {
        if (FSig.empty()) {
            FResult.Error = u"The statement is empty"_s;
            return;
        }
        if (IsWord(0, "ATTACH"_L1) || IsWord(0, "DETACH"_L1)) {
            FResult.Error = QString::fromLatin1(kAttachRefusedText);
            return;
        }
        TStatementKind kind = TStatementKind::Other;
        if (IsWord(0, "SELECT"_L1))
            kind = TStatementKind::Select;
        else if (IsWord(0, "INSERT"_L1) || IsWord(0, "REPLACE"_L1))
            kind = TStatementKind::Insert;
        else if (IsWord(0, "UPDATE"_L1))
            kind = TStatementKind::Update;
        else if (IsWord(0, "DELETE"_L1))
            kind = TStatementKind::Delete;
        else if (IsWord(0, "CREATE"_L1)) {
            int s = 1;
            while (IsWord(s, "TEMP"_L1) || IsWord(s, "TEMPORARY"_L1) || IsWord(s, "UNIQUE"_L1))
                ++s;
            if (IsWord(s, "TABLE"_L1))
                kind = TStatementKind::CreateTable;
            else if (IsWord(s, "INDEX"_L1)) {
                kind = TStatementKind::CreateIndex;
                ++s;
                while (IsWord(s, "IF"_L1) || IsWord(s, "NOT"_L1) || IsWord(s, "EXISTS"_L1))
                    ++s;
                if (s < SigCount()) {
                    FIndexName = s;
                    Sig(s).Identifier = true;
                }
            }
        } else if (IsWord(0, "DROP"_L1) && IsWord(1, "TABLE"_L1))
            kind = TStatementKind::DropTable;
        FResult.Kind = kind;
    }

    void Walk() {
        const bool statement = FResolver != nullptr;
        bool expectTable = false;
        bool tableSeen = false; // CREATE/DROP/ALTER TABLE name their table once
        bool indexOnSeen = false;
        std::vector<bool> inFromList(1, false);
        for (int s = 0; s < SigCount() && FResult.Ok(); ++s) {
            TTok& token = Sig(s);
            const auto depth = static_cast<std::size_t>(token.Depth);
            if (inFromList.size() <= depth + 1)
                inFromList.resize(depth + 2, false);
            if (token.Kind == TSqlTokenKind::Operator && token.Text == u"(") {
                expectTable = false;
                inFromList[depth + 1] = false;
                continue;
            }
            if (token.Kind == TSqlTokenKind::Operator && token.Text == u")")
                continue;
            if (statement && expectTable) {
                if (token.Kind == TSqlTokenKind::Word && IsOneOf(token.Text, kTablePrefixWords))
                    continue;
                expectTable = false;
                s = TableRef(s);
                continue;
            }
            switch (token.Kind) {
            case TSqlTokenKind::Word:
                if ((token.Text.compare(u"TRUE"_s, Qt::CaseInsensitive) == 0 ||
                     token.Text.compare(u"FALSE"_s, Qt::CaseInsensitive) == 0) &&
                    !IsOp(s - 1, u".") && !IsOp(s + 1, u".")) {
                    token.Out =
                        token.Text.compare(u"TRUE"_s, Qt::CaseInsensitive) == 0 ? u"1"_s : u"0"_s;
                    break;
                }
                if (!statement)
                    break;
                if (IsWord(s, "FROM"_L1)) {
                    expectTable = true;
                    inFromList[depth] = true;
                } else if (IsWord(s, "JOIN"_L1) || IsWord(s, "INTO"_L1) ||
                           (s == 0 && IsWord(s, "UPDATE"_L1))) {
                    expectTable = true;
                } else if (IsWord(s, "TABLE"_L1) && !tableSeen && token.Depth == 0 &&
                           (IsWord(0, "CREATE"_L1) || IsWord(0, "DROP"_L1) ||
                            IsWord(0, "ALTER"_L1))) {
                    expectTable = true;
                    tableSeen = true;
                } else if (IsWord(s, "ON"_L1) && FResult.Kind == TStatementKind::CreateIndex &&
                           token.Depth == 0 && !indexOnSeen) {
                    expectTable = true;
                    indexOnSeen = true;
                }
                if (IsOneOf(token.Text, kClauseWords))
                    inFromList[depth] = false;
                break;
            case TSqlTokenKind::Operator:
                if (token.Text == u"," && inFromList[depth])
                    expectTable = true;
                break;
            case TSqlTokenKind::Quoted:
                if (!IsIdentifierPosition(s))
                    token.Out = QuoteLiteral(IsoDateOr(Unquote(token)));
                break;
            case TSqlTokenKind::String:
                token.Out = QuoteLiteral(IsoDateOr(Unquote(token)));
                break;
            default:
                break;
            }
        }
    }

    bool IsIdentifierPosition(int s) {
        const TTok& token = Sig(s);
        if (token.Identifier || IsOp(s - 1, u".") || IsOp(s + 1, u".") || IsWord(s - 1, "AS"_L1))
            return true;
        return s > FColumnListBegin && s < FColumnListEnd &&
               token.Depth == Sig(FColumnListBegin).Depth + 1 &&
               (IsOp(s - 1, u"(") || IsOp(s - 1, u","));
    }

    // A table named at position s; returns the last position it takes.
    int TableRef(int s) {
        TTok& first = Sig(s);
        int last = s;
        QString fileName;
        if (first.Kind == TSqlTokenKind::Word && IsOp(s + 1, u".") && s + 2 < SigCount() &&
            Sig(s + 2).Kind == TSqlTokenKind::Word) {
            last = s + 2;
            const bool schemaName = first.Text.compare(u"main"_s, Qt::CaseInsensitive) == 0 ||
                                    first.Text.compare(u"temp"_s, Qt::CaseInsensitive) == 0;
            if (!schemaName)
                fileName = first.Text + u'.' + Sig(s + 2).Text;
        } else if (first.Kind == TSqlTokenKind::Quoted || first.Kind == TSqlTokenKind::String ||
                   first.Kind == TSqlTokenKind::Bracketed) {
            const QString name = Unquote(first);
            if (name.contains(u'.') || name.contains(u'/') || name.contains(u'\\'))
                fileName = name;
            else
                first.Identifier = true;
            if (first.Kind == TSqlTokenKind::String)
                first.Out = QuoteIdentifier(name);
        }
        ++FTableRefs;
        if (FFirstTableRef < 0)
            FFirstTableRef = s;
        if (!fileName.isEmpty()) {
            TTableUse use = TTableUse::Existing;
            if (s == FirstTableOfKind(TStatementKind::CreateTable))
                use = TTableUse::Create;
            else if (s == FirstTableOfKind(TStatementKind::DropTable))
                use = TTableUse::Drop;
            QString error;
            const std::optional<TTableTarget> target = (*FResolver)(fileName, use, error);
            if (!target) {
                FResult.Error = error;
                return last;
            }
            FResult.Targets.push_back(*target);
            for (int k = s + 1; k <= last; ++k)
                Sig(k).Out.clear();
            if (FResult.Kind == TStatementKind::CreateIndex && FIndexName >= 0 && s > FIndexName) {
                // SQLite names the file on the index, never on its table.
                Sig(FIndexName).Out = QuoteIdentifier(target->Schema) + u'.' + Sig(FIndexName).Out;
                first.Out = QuoteIdentifier(target->Table);
            } else {
                first.Out = QuoteIdentifier(target->Schema) + u'.' + QuoteIdentifier(target->Table);
            }
        }
        const bool columnList = FResult.Kind == TStatementKind::CreateTable ||
                                FResult.Kind == TStatementKind::Insert ||
                                FResult.Kind == TStatementKind::CreateIndex;
        if (columnList && FColumnListBegin < 0 && IsOp(last + 1, u"(")) {
            FColumnListBegin = last + 1;
            for (int k = last + 2; k < SigCount() && FColumnListEnd < 0; ++k)
                if (IsOp(k, u")") && Sig(k).Depth == Sig(FColumnListBegin).Depth)
                    FColumnListEnd = k;
        }
        return last;
    }

    // The position of the first table named by a statement of this kind, or -1.
    int FirstTableOfKind(TStatementKind kind) {
        if (FResult.Kind != kind)
            return -1;
        int s = 2;
        while (IsWord(s, "IF"_L1) || IsWord(s, "NOT"_L1) || IsWord(s, "EXISTS"_L1))
            ++s;
        return s;
    }

    // CREATE TABLE: the older type names become SQLite's.
    void TranslateColumnTypes() {
        struct TItem {
            int Begin; // position of the comma before, or of the "("
            int End;
        };
        std::vector<TItem> items;
        const int itemDepth = Sig(FColumnListBegin).Depth + 1;
        int open = FColumnListBegin;
        for (int s = FColumnListBegin + 1; s <= FColumnListEnd; ++s) {
            if (s == FColumnListEnd || (IsOp(s, u",") && Sig(s).Depth == itemDepth)) {
                items.push_back({open, s});
                open = s;
            }
        }
        std::vector<int> autoIncTypes;
        QString autoIncName;
        int keyItem = -1;
        QString keyColumn;
        bool keyExists = false;
        for (std::size_t i = 0; i < items.size(); ++i) {
            const int name = items[i].Begin + 1;
            if (name >= items[i].End)
                continue;
            if (Sig(name).Kind == TSqlTokenKind::Word &&
                IsOneOf(Sig(name).Text, kTableConstraintWords)) {
                if (IsWord(name, "PRIMARY"_L1)) {
                    keyExists = true;
                    // PRIMARY KEY ( column )
                    if (items[i].End - name == 5 && IsOp(name + 2, u"(") && IsOp(name + 4, u")")) {
                        keyItem = static_cast<int>(i);
                        keyColumn = Unquote(Sig(name + 3));
                        if (Sig(name + 3).Kind == TSqlTokenKind::Word)
                            keyColumn = Sig(name + 3).Text;
                    }
                }
                continue;
            }
            const int type = name + 1;
            if (type >= items[i].End || Sig(type).Kind != TSqlTokenKind::Word)
                continue;
            TTok& typeToken = Sig(type);
            const bool sized = IsOp(type + 1, u"(");
            if (IsWord(type, "AUTOINC"_L1)) {
                autoIncTypes.push_back(type);
                if (autoIncName.isEmpty())
                    autoIncName =
                        Sig(name).Kind == TSqlTokenKind::Word ? Sig(name).Text : Unquote(Sig(name));
            } else if (IsWord(type, "FLOAT"_L1)) {
                typeToken.Out = u"REAL"_s;
                if (sized)
                    DropGroup(type + 1);
            } else if (IsWord(type, "BLOB"_L1) && sized) {
                // BLOB(size, 1) is a memo: text.
                const bool memo = IsOp(type + 3, u",") && Sig(type + 4).Text == u"1";
                typeToken.Out = memo ? u"TEXT"_s : u"BLOB"_s;
                DropGroup(type + 1);
            } else if ((IsWord(type, "DATE"_L1) || IsWord(type, "TIME"_L1)) && !sized) {
                // Text affinity keeps "2024-05-01" and "12:30:00" as written; the first word
                // keeps the kind for readers of the column's declared type.
                typeToken.Out = typeToken.Text.toUpper() + u" TEXT"_s;
            }
        }
        for (const int type : autoIncTypes) {
            const bool onlyKey = keyItem >= 0 &&
                                 keyColumn.compare(autoIncName, Qt::CaseInsensitive) == 0 &&
                                 type == autoIncTypes.front();
            if (onlyKey) {
                // The constraint goes with one of the commas around it.
                const TItem& item = items[static_cast<std::size_t>(keyItem)];
                const bool first = item.Begin == FColumnListBegin;
                const bool last = item.End == FColumnListEnd;
                ClearSig(first ? item.Begin + 1 : item.Begin,
                         first && !last ? item.End : item.End - 1);
            }
            const bool key = onlyKey || (!keyExists && type == autoIncTypes.front());
            Sig(type).Out = key ? u"INTEGER PRIMARY KEY AUTOINCREMENT"_s : u"INTEGER"_s;
        }
    }

    // Blanks a parenthesised group that starts at position s.
    void DropGroup(int s) {
        int end = s;
        while (end + 1 < SigCount() && !(IsOp(end, u")") && Sig(end).Depth == Sig(s).Depth))
            ++end;
        ClearSig(s, end);
    }

    // Blanks the tokens from significant position first to last, and the blanks between them.
    void ClearSig(int first, int last) {
        for (int i = FSig[static_cast<std::size_t>(first)];
             i <= FSig[static_cast<std::size_t>(last)]; ++i)
            FTokens[static_cast<std::size_t>(i)].Out.clear();
    }

    void FindSelectParts() {
        int from = -1, where = -1, tail = -1;
        bool grouped = IsWord(1, "DISTINCT"_L1);
        for (int s = 1; s < SigCount(); ++s) {
            if (Sig(s).Depth != 0)
                continue;
            if (from < 0) {
                if (IsWord(s, "FROM"_L1))
                    from = s;
                continue;
            }
            if (Sig(s).Kind == TSqlTokenKind::Word && IsOneOf(Sig(s).Text, kGroupingWords))
                grouped = true;
            if (IsOp(s, u",") && where < 0 && tail < 0)
                grouped = true; // a second table in the FROM list
            if (where < 0 && tail < 0 && IsWord(s, "WHERE"_L1))
                where = s;
            if (tail < 0 && Sig(s).Kind == TSqlTokenKind::Word && IsOneOf(Sig(s).Text, kTailWords))
                tail = s;
        }
        if (from < 0 || FFirstTableRef != from + 1)
            return;
        TSelectParts parts;
        const int end = SigCount();
        const int sourceEnd = where >= 0 ? where : (tail >= 0 ? tail : end);
        parts.Columns = SigText(1, from);
        parts.Source = SigText(from + 1, sourceEnd);
        parts.Table = SigText(from + 1, IsOp(from + 2, u".") ? from + 4 : from + 2);
        if (where >= 0)
            parts.Where = SigText(where + 1, tail >= 0 ? tail : end);
        if (tail >= 0)
            parts.Tail = SigText(tail, end);
        parts.Editable = !grouped && FTableRefs == 1 && PlainColumns(1, from);
        FResult.Select = parts;
    }

    // Result columns that are columns of the table, unchanged.
    bool PlainColumns(int begin, int end) {
        int itemStart = begin;
        for (int s = begin; s <= end; ++s) {
            if (s < end && !IsOp(s, u","))
                continue;
            const int length = s - itemStart;
            const bool name = length == 1 && (Sig(itemStart).Kind == TSqlTokenKind::Word ||
                                              Sig(itemStart).Kind == TSqlTokenKind::Bracketed ||
                                              IsOp(itemStart, u"*"));
            const bool qualified =
                length == 3 && IsOp(itemStart + 1, u".") &&
                (Sig(itemStart + 2).Kind == TSqlTokenKind::Word || IsOp(itemStart + 2, u"*"));
            if (!name && !qualified)
                return false;
            itemStart = s + 1;
        }
        return true;
    }

    // The translated text of the tokens from significant position begin up to end.
    QString SigText(int begin, int end) {
        if (begin >= end)
            return {};
        const int first = FSig[static_cast<std::size_t>(begin)];
        const int last = end < SigCount() ? FSig[static_cast<std::size_t>(end)]
                                          : static_cast<int>(FTokens.size());
        return Assemble(first, last);
    }

    QString Assemble(int first, int last) {
        QString text;
        for (int i = first; i < last; ++i)
            text += FTokens[static_cast<std::size_t>(i)].Out;
        return text.trimmed();
    }
};

} // namespace

std::vector<TSqlToken> TokenizeSql(QStringView sql, QString* error) {
    std::vector<TSqlToken> tokens;
    const qsizetype n = sql.size();
    qsizetype i = 0;
    auto push = [&](TSqlTokenKind kind, qsizetype end) {
        tokens.push_back({kind, sql.mid(i, end - i).toString()});
        i = end;
    };
    // The end of a token closed by `close`, where a doubled `close` stands for itself.
    auto closing = [&](QChar close, bool doubled) -> qsizetype {
        for (qsizetype j = i + 1; j < n; ++j) {
            if (sql[j] != close)
                continue;
            if (doubled && j + 1 < n && sql[j + 1] == close) {
                ++j;
                continue;
            }
            return j + 1;
        }
        return -1;
    };
    while (i < n) {
        const QChar c = sql[i];
        const QChar next = i + 1 < n ? sql[i + 1] : QChar();
        qsizetype end = i + 1;
        if (c.isSpace()) {
            while (end < n && sql[end].isSpace())
                ++end;
            push(TSqlTokenKind::Space, end);
        } else if (c == u'-' && next == u'-') {
            while (end < n && sql[end] != u'\n')
                ++end;
            push(TSqlTokenKind::Space, end);
        } else if (c == u'/' && next == u'*') {
            end = sql.indexOf(u"*/", i + 2);
            if (end < 0) {
                *error = u"Unterminated comment"_s;
                return {};
            }
            push(TSqlTokenKind::Space, end + 2);
        } else if (c == u'\'' || c == u'"' || c == u'[' || c == u'`') {
            const QChar close = c == u'[' ? u']' : c;
            end = closing(close, c != u'[');
            if (end < 0) {
                *error = u"Unterminated quoted text: "_s + sql.mid(i).toString();
                return {};
            }
            const TSqlTokenKind kind = c == u'\''  ? TSqlTokenKind::String
                                       : c == u'"' ? TSqlTokenKind::Quoted
                                                   : TSqlTokenKind::Bracketed;
            push(kind, end);
        } else if (c.isDigit() || (c == u'.' && next.isDigit())) {
            while (end < n && (sql[end].isLetterOrNumber() || sql[end] == u'.' ||
                               ((sql[end] == u'+' || sql[end] == u'-') &&
                                (sql[end - 1] == u'e' || sql[end - 1] == u'E'))))
                ++end;
            push(TSqlTokenKind::Number, end);
        } else if (IsWordStart(c)) {
            while (end < n && IsWordChar(sql[end]))
                ++end;
            push(TSqlTokenKind::Word, end);
        } else if (c == u'?' || ((c == u':' || c == u'@' || c == u'$') && IsWordChar(next))) {
            while (end < n && IsWordChar(sql[end]))
                ++end;
            push(TSqlTokenKind::Parameter, end);
        } else if (c == u';') {
            push(TSqlTokenKind::Semicolon, end);
        } else {
            const QStringView pair = sql.mid(i, 2);
            for (const QLatin1StringView op : kTwoCharOperators)
                if (pair == op)
                    end = i + 2;
            if (sql.mid(i, 3) == u"->>")
                end = i + 3;
            push(TSqlTokenKind::Operator, end);
        }
    }
    return tokens;
}

TTranslation TranslateSql(QStringView sql, const TTableResolver& resolver) {
    return TTranslator(sql, &resolver).Statement();
}

TTranslation TranslateCondition(QStringView condition) {
    return TTranslator(condition, nullptr).Condition();
}

QString QuoteFileName(const QString& path) {
    return QuoteIdentifier(path);
}

QString QuoteIdentifier(QStringView name) {
    return u'"' + name.toString().replace(u"\""_s, u"\"\""_s) + u'"';
}

QString QuoteLiteral(QStringView value) {
    return u'\'' + value.toString().replace(u"'"_s, u"''"_s) + u'\'';
}
