#pragma once

#include <QString>
#include <QVariant>

#include <functional>
#include <optional>

class TDataModule1;
class TTableView;

// A memory channel a scan stop was found in.
struct TChannelFound {
    int Channel = 0;
    QString Text;
};

// What a channel's row holds that decides whether the receiver has to be told about it.
struct TChannelRow {
    bool HasFrequency = false;
    bool Pass = false;
};

// What a scan asks of the memory table: the hit's channel looked up in the bank being scanned,
// and the flags +SelSc and +Pass set on a row.
class TScanMemoryTable {
public:
    virtual ~TScanMemoryTable() = default;

    // The memory window shows every row (no sub-select, no quick filter).
    virtual void ShowAllMemories() = 0;
    // From now on look-ups see every row: the view's own text filter stands aside.
    virtual void BeginLookups() = 0;
    // Look-ups only within bank 0..9 (channels bank*100 .. bank*100+99).
    virtual void RestrictToBank(int bank) = 0;
    // The first row holding the frequency.
    virtual std::optional<TChannelFound> FindFrequency(double mhz) = 0;
    // The view as it was before the scan: no bank filter, the text filter back. Harmless when no
    // look-ups were begun.
    virtual void EndLookups() = 0;
    // Sets or clears a flag field (PASS, SELSCAN) of a channel's row as the program's own edit,
    // with CHANGED cleared; false when there is no such row or it cannot be written.
    virtual bool SetChannelFlag(int channel, const QString& field, bool on) = 0;
    // The row of a channel in the view; nullopt when the view shows none.
    virtual std::optional<TChannelRow> ChannelRow(int channel) = 0;
    // The view's filter condition while filtering is on, else empty.
    virtual QString ActiveFilter() const = 0;
    // Empties channels first..last of the table, whatever rows the view shows; the view is read
    // again. False (already reported) when the table refused.
    virtual bool BlankChannels(int first, int last) = 0;
};

// No memory table: nothing is found, nothing is marked.
class TNoScanMemoryTable final : public TScanMemoryTable {
public:
    void ShowAllMemories() override {}
    void BeginLookups() override {}
    void RestrictToBank(int) override {}
    std::optional<TChannelFound> FindFrequency(double) override { return std::nullopt; }
    void EndLookups() override {}
    bool SetChannelFlag(int, const QString&, bool) override { return false; }
    std::optional<TChannelRow> ChannelRow(int) override { return std::nullopt; }
    QString ActiveFilter() const override { return {}; }
    bool BlankChannels(int, int) override { return true; }
};

// The look-up filter of one bank; a bank outside 0..9 gives none. MEM is a text column, so the
// bounds are compared as text.
QString BankFilter(int bank);

// The scan's memory table on the data module's view.
class TDataModuleScanTable final : public TScanMemoryTable {
public:
    TDataModuleScanTable(TDataModule1& data, std::function<void()> showAllMemories);

    void ShowAllMemories() override;
    void BeginLookups() override;
    void RestrictToBank(int bank) override;
    std::optional<TChannelFound> FindFrequency(double mhz) override;
    void EndLookups() override;
    bool SetChannelFlag(int channel, const QString& field, bool on) override;
    std::optional<TChannelRow> ChannelRow(int channel) override;
    QString ActiveFilter() const override;
    bool BlankChannels(int first, int last) override;

private:
    TDataModule1& FData;
    std::function<void()> FShowAllMemories;
    bool FLooking = false;
    std::function<bool(const TTableView&, const QVariantList&)> FSavedRowFilter;
};
