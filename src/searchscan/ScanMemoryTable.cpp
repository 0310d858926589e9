#include "ScanMemoryTable.h"

#include "DataUnit1.h"
#include "MemorySql.h"

#include <QScopedValueRollback>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

constexpr int kScanBanks = 10;
constexpr double kSameFrequencyMHz = 0.5e-6; // within half a hertz

} // namespace

QString BankFilter(int bank) {
    if (bank < 0 || bank >= kScanBanks)
        return {};
    return u"MEM >= '"_s + FormatMemNumber(bank * 100) + u"' AND MEM <= '"_s +
           FormatMemNumber(bank * 100 + 99) + u"'"_s;
}

TDataModuleScanTable::TDataModuleScanTable(TDataModule1& data,
                                           std::function<void()> showAllMemories)
    : FData(data)
    , FShowAllMemories(std::move(showAllMemories)) {}

void TDataModuleScanTable::ShowAllMemories() {
    if (FShowAllMemories)
        FShowAllMemories();
}

void TDataModuleScanTable::BeginLookups() {
    if (FLooking)
        return;
    FLooking = true;
    FSavedRowFilter = std::exchange(FData.MemQuery1().OnFilterRecord, {});
}

void TDataModuleScanTable::RestrictToBank(int bank) {
    TTableView& view = FData.MemQuery1();
    const QString filter = BankFilter(bank);
    if (filter.isEmpty())
        return;
    if (view.Filtered() && view.Filter() == filter)
        return;
    view.SetFilter(filter);
    view.SetFiltered(true);
}

std::optional<TChannelFound> TDataModuleScanTable::FindFrequency(double mhz) {
    TTableView& view = FData.MemQuery1();
    const int freq = view.FieldIndex(u"FREQ");
    const int mem = view.FieldIndex(u"MEM");
    const int text = view.FieldIndex(u"TEXT");
    if (freq < 0 || mem < 0)
        return std::nullopt;
    const auto match = [freq, mhz](const TTableView& rows, int row) {
        const QVariant value = rows.ValueAt(row, freq);
        return !value.isNull() && std::abs(value.toDouble() - mhz) < kSameFrequencyMHz;
    };
    if (view.LocateIf(0, match) != TLocateResult::Found)
        return std::nullopt;
    return TChannelFound{view.Value(mem).toString().toInt(),
                         text >= 0 ? view.Value(text).toString() : QString()};
}

void TDataModuleScanTable::EndLookups() {
    if (!FLooking)
        return;
    FLooking = false;
    TTableView& view = FData.MemQuery1();
    view.SetFilter(QString());
    view.SetFiltered(false);
    view.OnFilterRecord = std::exchange(FSavedRowFilter, {});
}

bool TDataModuleScanTable::SetChannelFlag(int channel, const QString& field, bool on) {
    TTableView& view = FData.MemQuery1();
    if (FData.LocateMemory(FormatMemNumber(channel)) != TLocateResult::Found || !view.CanModify())
        return false;
    const QScopedValueRollback programmatic(FData.ProgrammaticEdit, true);
    if (!view.Edit())
        return false;
    if (!view.SetField(field, on) || !view.SetField(u"CHANGED", false)) {
        view.Cancel();
        return false;
    }
    return view.Post();
}

std::optional<TChannelRow> TDataModuleScanTable::ChannelRow(int channel) {
    if (FData.LocateMemory(FormatMemNumber(channel)) != TLocateResult::Found)
        return std::nullopt;
    const TTableView& view = FData.MemQuery1();
    return TChannelRow{!view.IsNull(u"FREQ"), view.Value(u"PASS").toBool()};
}

QString TDataModuleScanTable::ActiveFilter() const {
    const TTableView& view = FData.MemQuery1();
    return view.Filtered() ? view.Filter() : QString();
}

bool TDataModuleScanTable::BlankChannels(int first, int last) {
    return FData.BlankChannels(FormatMemNumber(first), FormatMemNumber(last));
}
