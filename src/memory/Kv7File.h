#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <array>
#include <bitset>
#include <memory>
#include <vector>

// The Kv7 text database: fixed-width records of 81 characters, one a line, beside a schema file
// that names the fields. The memory window and the log window both read and write it, so none
// of this knows a table or a window.

enum class TKv7Type { Char, Float, Bool, Number };

struct TKv7Field {
    const char* Name;
    int Offset;
    int Width;
    TKv7Type Type;
    int Decimals;
};

inline constexpr int kKv7FieldCount = 18;
inline constexpr int kKv7RecordWidth = 81;

// In the stored order of the memory bank table.
inline constexpr std::array<TKv7Field, kKv7FieldCount> kKv7Fields = {{
    {"MEM", 0, 3, TKv7Type::Char, 0},
    {"FREQ", 3, 20, TKv7Type::Float, 6},
    {"MODE", 23, 3, TKv7Type::Char, 0},
    {"BW", 26, 3, TKv7Type::Char, 0},
    {"LP", 29, 2, TKv7Type::Char, 0},
    {"HP", 31, 4, TKv7Type::Char, 0},
    {"DM", 35, 4, TKv7Type::Char, 0},
    {"AGC", 39, 4, TKv7Type::Char, 0},
    {"STEP", 43, 7, TKv7Type::Char, 0},
    {"SSTEP", 50, 5, TKv7Type::Char, 0},
    {"ATN", 55, 4, TKv7Type::Char, 0},
    {"ANT", 59, 4, TKv7Type::Char, 0},
    {"STADJ", 63, 1, TKv7Type::Bool, 0},
    {"PASS", 64, 1, TKv7Type::Bool, 0},
    {"SELSCAN", 65, 1, TKv7Type::Bool, 0},
    {"TEXT", 66, 8, TKv7Type::Char, 0},
    {"CHANGED", 74, 1, TKv7Type::Bool, 0},
    {"SQUELCH", 75, 6, TKv7Type::Number, 0},
}};

// Index of a field in kKv7Fields, -1 when there is none.
int Kv7FieldIndex(QStringView name);

// One record's values in the order of kKv7Fields: Null for a blank field, else a QString (Char),
// a double (Float), a bool (Bool) or an int (Number).
using TKv7Values = std::array<QVariant, kKv7FieldCount>;

// How FREQ fills its 20 characters in front of the number: the memory window writes blanks, the
// log window leading zeros ("0000000000145.500000"); readers take either.
enum class TKv7FreqFill { Blanks, Zeros };

// The 81 bytes of a record, without its line end. Texts are cut or padded to their width, one
// byte per character (Windows-1252; characters it lacks become "?"), line breaks become blanks.
QByteArray FormatKv7Record(const TKv7Values& values, TKv7FreqFill fill = TKv7FreqFill::Blanks);

struct TKv7Parsed {
    TKv7Values Values;
    QString Error; // why the line is not a record; empty when it is
    bool Ok() const { return Error.isEmpty(); }
};

// A choice of fields, by their index in kKv7Fields.
using TKv7FieldSet = std::bitset<kKv7FieldCount>;
inline const TKv7FieldSet kAllKv7Fields = TKv7FieldSet().set();

// One line (its line end removed). Missing characters at the end count as blanks; FREQ may
// carry leading zeros or blanks. A line that does not convert names the field that failed.
// Only the fields in `fields` are converted (the others stay Null), so a reader that uses a few
// fields does not refuse a line for one it ignores.
TKv7Parsed ParseKv7Record(QByteArrayView line, const TKv7FieldSet& fields = kAllKv7Fields);

// The schema file beside a Kv7 file: the same name with ".SCH" in place of the extension.
QString Kv7SchemaPath(const QString& kv7Path);
// The schema's text for a Kv7 file.
QByteArray Kv7SchemaText(const QString& kv7Path);
// Writes (replacing) the schema file of a Kv7 file; it appears only when whole.
bool WriteKv7Schema(const QString& kv7Path, QString& error);
// Whether the schema beside a Kv7 file describes exactly the layout above; error says why not.
bool CheckKv7Schema(const QString& kv7Path, QString& error);

// What the open dialog shows for a file, one line an entry.
QString Kv7PreviewText(const QString& path);

// A whole Kv7 file read for a table: the records that converted, in file order, and a note for
// each line that did not.
struct TKv7Contents {
    std::vector<TKv7Values> Records;
    QStringList Skipped; // "line 7: FREQ ..." for each line left out
    QString Error;       // the file as a whole was refused; nothing is to be stored
    bool Ok() const { return Error.isEmpty(); }
};
TKv7Contents ReadKv7File(const QString& path);

// Writes records to a Kv7 file and its schema. Nothing appears under the file's name until
// Commit, and then the whole file does.
class TKv7Writer {
public:
    explicit TKv7Writer(const QString& path, TKv7FreqFill fill = TKv7FreqFill::Blanks);
    ~TKv7Writer();
    TKv7Writer(const TKv7Writer&) = delete;
    TKv7Writer& operator=(const TKv7Writer&) = delete;

    bool Open();
    bool Write(const TKv7Values& values);
    bool Commit();
    const QString& Error() const { return FError; }

private:
    struct TImpl;
    QString FPath;
    TKv7FreqFill FFill;
    QString FError;
    std::unique_ptr<TImpl> FImpl;
};

// A saved Kv7 file renumbered into another: each line gets the next number from `start` in
// place of its first three characters, the rest of the line kept byte for byte.
struct TKv7Relocation {
    int Written = 0;       // lines written to the target
    int Left = 0;          // lines of the source that did not fit below 1000
    bool SameFile = false; // source and target are one file: nothing was written
    QString Error;         // reading or writing failed: the target was not replaced
    bool Ok() const { return Error.isEmpty() && !SameFile; }
    bool Partial() const { return Left > 0; }
};
TKv7Relocation RelocateKv7(const QString& source, const QString& target, int start);
