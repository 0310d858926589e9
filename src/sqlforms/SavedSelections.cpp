#include "SavedSelections.h"

#include "IniFile.h"
#include "SqlDialect.h"
#include "SubSelectBuilder.h"
#include "TableEngine.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

QString TSavedSelections::NameRefusal(const QString& name) const {
    return name.trimmed().isEmpty() ? u"A saved setting needs a name."_s : QString();
}

bool TSavedSelections::Contains(const QString& name) {
    return Names().contains(name, NameCase());
}

bool TSavedSelections::Fail(const QString& text) {
    FLastError = text;
    return false;
}

// ---- the settings file

namespace {

QString Key(const char* control, std::size_t number) {
    return QString::fromLatin1(control) + QString::number(number);
}

} // namespace

TIniSelections::TIniSelections(QString fileName)
    : FFileName(std::move(fileName)) {}

QString TIniSelections::NameRefusal(const QString& name) const {
    // A section name ends at "]" and a key line is split at "=", so such a name would not come
    // back as it was written.
    if (name.contains(u'[') || name.contains(u']') || name.contains(u'='))
        return QString::fromLatin1(kSavedNameRefusedText);
    return TSavedSelections::NameRefusal(name);
}

QStringList TIniSelections::Names() {
    return TIniFile(FFileName).ReadSections();
}

std::optional<TSavedSelection> TIniSelections::Load(const QString& name) {
    const TIniFile ini(FFileName);
    if (!ini.SectionExists(name))
        return std::nullopt;
    TSavedSelection s;
    const QStringList connectors = SubSelectConnectors();
    for (std::size_t i = 0; i < 3; ++i) {
        s.Fields[i] = ini.ReadInteger(name, Key("FieldComboBox", i + 1), -1);
        s.Operators[i] = ini.ReadInteger(name, Key("OperatorComboBox", i + 1), -1);
        s.Values[i] = ini.ReadString(name, Key("SqlEdit", i + 1), {});
    }
    for (std::size_t i = 0; i < 2; ++i)
        s.Connectors[i] = connectors.value(ini.ReadInteger(name, Key("BoolComboBox", i + 1), -1));
    s.OrderBy = ini.ReadInteger(name, u"OrderByComboBox"_s, -1);
    s.Mode = ini.ReadInteger(name, u"ModeComboBox"_s, -1);
    return s;
}

bool TIniSelections::Store(const QString& name, const TSavedSelection& s) {
    const QString refusal = NameRefusal(name);
    if (!refusal.isEmpty())
        return Fail(refusal);
    TIniFile ini(FFileName);
    const QStringList connectors = SubSelectConnectors();
    bool ok = true;
    for (std::size_t i = 0; i < 3; ++i) {
        ok = ok && ini.WriteInteger(name, Key("FieldComboBox", i + 1), s.Fields[i]) &&
             ini.WriteInteger(name, Key("OperatorComboBox", i + 1), s.Operators[i]) &&
             ini.WriteString(name, Key("SqlEdit", i + 1), s.Values[i]);
    }
    for (std::size_t i = 0; i < 2; ++i)
        ok = ok && ini.WriteInteger(name, Key("BoolComboBox", i + 1),
                                    static_cast<int>(connectors.indexOf(s.Connectors[i])));
    ok = ok && ini.WriteInteger(name, u"OrderByComboBox"_s, s.OrderBy) &&
         ini.WriteInteger(name, u"ModeComboBox"_s, s.Mode);
    return ok || Fail(ini.ErrorText());
}

bool TIniSelections::Remove(const QString& name) {
    TIniFile ini(FFileName);
    return ini.EraseSection(name) || Fail(ini.ErrorText());
}

bool TIniSelections::Rename(const QString& from, const QString& to) {
    if (from.compare(to, Qt::CaseInsensitive) == 0)
        return true;
    const auto selection = Load(from);
    if (!selection)
        return Fail(u"No saved setting is called "_s + from);
    return Store(to, *selection) && Remove(from);
}

// ---- the sub-selects table

TTableSelections::TTableSelections(TTableEngine& engine, QString file)
    : FEngine(engine)
    , FFile(std::move(file)) {
    if (QFileInfo::exists(FFile)) {
        FReady = true;
        return;
    }
    FReady = FEngine.Execute(
        u"CREATE TABLE "_s + Table() +
        u" (ID AUTOINC,Name CHARACTER(16),Fld1 SMALLINT,Fld2 SMALLINT,Fld3 SMALLINT,"
        u"Op1 SMALLINT,Op2 SMALLINT,Op3 SMALLINT,Ed1 CHARACTER (16),Ed2 CHARACTER (16),"
        u"Ed3 CHARACTER (16),OrderBy SMALLINT,Mode SMALLINT,Bool1 CHARACTER(8),"
        u"Bool2 CHARACTER(8),CategoryID SMALLINT,PRIMARY KEY(ID))"_s);
    if (!FReady)
        Fail(FEngine.LastError());
}

QString TTableSelections::Table() const {
    return QuoteFileName(FFile);
}

QStringList TTableSelections::Names() {
    QStringList names;
    if (!FEngine.ForEachRow(u"Select Name from "_s + Table() + u" Order by Name"_s, {},
                            [&names](const QVariantList& row) {
                                names.append(row.value(0).toString());
                                return true;
                            }))
        Fail(FEngine.LastError());
    return names;
}

namespace {

constexpr const char* kSelectionColumns =
    "Fld1,Fld2,Fld3,Op1,Op2,Op3,Ed1,Ed2,Ed3,OrderBy,Mode,Bool1,Bool2,CategoryID";

int IndexOf(const QVariant& value) {
    return value.isNull() ? -1 : value.toInt();
}

QVariantList Columns(const TSavedSelection& s) {
    QVariantList values;
    for (const int field : s.Fields)
        values << field;
    for (const int op : s.Operators)
        values << op;
    for (const QString& value : s.Values)
        values << value;
    values << s.OrderBy << s.Mode << s.Connectors[0] << s.Connectors[1]
           << (s.CategoryId.isEmpty() ? QVariant() : QVariant(s.CategoryId.toInt()));
    return values;
}

} // namespace

std::optional<TSavedSelection> TTableSelections::Load(const QString& name) {
    std::optional<TSavedSelection> found;
    if (!FEngine.ForEachRow(u"SELECT "_s + QLatin1StringView(kSelectionColumns) + u" FROM "_s +
                                Table() + u" WHERE Name = ? ORDER BY ID"_s,
                            {name}, [&found](const QVariantList& row) {
                                TSavedSelection s;
                                for (std::size_t i = 0; i < 3; ++i) {
                                    const auto at = static_cast<qsizetype>(i);
                                    s.Fields[i] = IndexOf(row.value(at));
                                    s.Operators[i] = IndexOf(row.value(3 + at));
                                    s.Values[i] = row.value(6 + at).toString();
                                }
                                s.OrderBy = IndexOf(row.value(9));
                                s.Mode = IndexOf(row.value(10));
                                s.Connectors = {row.value(11).toString(), row.value(12).toString()};
                                s.CategoryId =
                                    row.value(13).isNull() ? QString() : row.value(13).toString();
                                found = s;
                                return false;
                            })) {
        Fail(FEngine.LastError());
        return std::nullopt;
    }
    return found;
}

bool TTableSelections::Store(const QString& name, const TSavedSelection& s) {
    const QString refusal = NameRefusal(name);
    if (!refusal.isEmpty())
        return Fail(refusal);
    QVariantList values = Columns(s);
    bool ok = false;
    if (Contains(name)) {
        const QStringList columns = QString::fromLatin1(kSelectionColumns).split(u',');
        ok = FEngine.Execute(u"UPDATE "_s + Table() + u" SET "_s + columns.join(u" = ?, "_s) +
                                 u" = ? WHERE Name = ?"_s,
                             values << name);
    } else {
        ok = FEngine.Execute(u"INSERT INTO "_s + Table() + u" (Name,"_s +
                                 QLatin1StringView(kSelectionColumns) +
                                 u") VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"_s,
                             QVariantList{name} + values);
    }
    return (ok && FEngine.Flush()) || Fail(FEngine.LastError());
}

bool TTableSelections::Remove(const QString& name) {
    return (FEngine.Execute(u"DELETE FROM "_s + Table() + u" WHERE Name = ?"_s, {name}) &&
            FEngine.Flush()) ||
           Fail(FEngine.LastError());
}

bool TTableSelections::Rename(const QString& from, const QString& to) {
    if (from == to)
        return true;
    const QString refusal = NameRefusal(to);
    if (!refusal.isEmpty())
        return Fail(refusal);
    return (FEngine.Execute(u"UPDATE "_s + Table() + u" SET Name = ? WHERE Name = ?"_s,
                            {to, from}) &&
            FEngine.Flush()) ||
           Fail(FEngine.LastError());
}
