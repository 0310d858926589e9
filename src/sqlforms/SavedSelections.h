#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

class TTableEngine;

// One saved setting of a sub-select window's builder page: the item index of each list (-1 for
// none chosen), the value texts, the connector texts and the category.
struct TSavedSelection {
    std::array<int, 3> Fields{-1, -1, -1};
    std::array<int, 3> Operators{-1, -1, -1};
    int OrderBy = -1;
    int Mode = -1;
    std::array<QString, 3> Values;
    std::array<QString, 2> Connectors;
    QString CategoryId; // empty for none
};

// Where a sub-select window keeps its saved settings, by name.
class TSavedSelections {
public:
    virtual ~TSavedSelections() = default;

    // In the order the window lists them.
    virtual QStringList Names() = 0;
    virtual std::optional<TSavedSelection> Load(const QString& name) = 0;
    // Writes over a setting of that name or adds one.
    virtual bool Store(const QString& name, const TSavedSelection& selection) = 0;
    virtual bool Remove(const QString& name) = 0;
    virtual bool Rename(const QString& from, const QString& to) = 0;
    // Why a name cannot be kept here; empty when it can.
    virtual QString NameRefusal(const QString& name) const;
    // The longest name kept, 0 for any length.
    virtual int NameLength() const { return 0; }
    // Whether two names differing in letter case are one.
    virtual Qt::CaseSensitivity NameCase() const { return Qt::CaseInsensitive; }

    bool Contains(const QString& name);
    const QString& LastError() const { return FLastError; }

protected:
    QString FLastError;
    bool Fail(const QString& text);
};

// The memory window's settings file: one section a setting, one key a control.
class TIniSelections final : public TSavedSelections {
public:
    explicit TIniSelections(QString fileName);
    QStringList Names() override;
    std::optional<TSavedSelection> Load(const QString& name) override;
    bool Store(const QString& name, const TSavedSelection& selection) override;
    bool Remove(const QString& name) override;
    bool Rename(const QString& from, const QString& to) override;
    QString NameRefusal(const QString& name) const override;

private:
    QString FFileName;
};

// The log table's sub-selects table: one row a setting.
class TTableSelections final : public TSavedSelections {
public:
    // The table file is made when it is missing; Ready() tells whether that worked.
    TTableSelections(TTableEngine& engine, QString file);
    bool Ready() const { return FReady; }
    QStringList Names() override;
    std::optional<TSavedSelection> Load(const QString& name) override;
    bool Store(const QString& name, const TSavedSelection& selection) override;
    bool Remove(const QString& name) override;
    bool Rename(const QString& from, const QString& to) override;
    int NameLength() const override { return 16; }
    Qt::CaseSensitivity NameCase() const override { return Qt::CaseSensitive; }

private:
    TTableEngine& FEngine;
    QString FFile;
    bool FReady = false;
    QString Table() const;
};

inline constexpr const char* kSavedNameRefusedText =
    "A saved setting's name cannot hold \"[\", \"]\" or \"=\".";
