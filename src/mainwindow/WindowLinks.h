#pragma once

#include "Records.h"

#include <QString>

#include <optional>

// What the main window asks of the memory table and the memory window. The memory window is
// built later; until then the main window runs against TNoMemoryWindow, which holds nothing.
class TMemoryWindowLink {
public:
    virtual ~TMemoryWindowLink() = default;

    // The SQUELCH stored for a channel of the current bank; nullopt when the row has none.
    virtual std::optional<int> ChannelSquelch(int channel) = 0;
    // Stores a squelch value into a channel's row (posted with the table's next post).
    virtual void StoreChannelSquelch(int channel, int squelch) = 0;
    // Positions the memory table on a channel; false when there is no such row.
    virtual bool LocateChannel(int channel) = 0;
    // False while the table's rows cannot be written (sorted or sub-selected).
    virtual bool CanModify() const = 0;
    // A record read from the receiver, for the table row of its channel.
    virtual void StoreRxDatInRow(const TRxDat& rec) = 0;
    // The memory window's channel panel text ("" empties it).
    virtual void ShowChannel(const QString& text) = 0;
    // The channel panel green (the memory is current) or black.
    virtual void SetChannelHighlighted(bool on) = 0;
    // The window's "no auto refresh" box.
    virtual bool NoAutoRefresh() const = 0;
    // The memory is now the current box: the window's side of switching to it. The main
    // window's side (auto tune released, memory boxes highlighted) is done by the panel.
    virtual void SwitchToMemorySelection() = 0;
    // Sends the antenna stored in the current row.
    virtual void ApplyRowAntenna() = 0;
    // Moves to the previous (-1) or next (+1) row of the table and tunes the receiver to it.
    virtual void StepRow(int delta) = 0;
    // The quick-jump dialog (Ctrl+F3).
    virtual void QuickJump() = 0;
    virtual bool IsVisible() const = 0;
    // The window refuses input while a long run works on its table.
    virtual void SetWindowEnabled(bool on) = 0;
    // Closes a shown window, else shows it on `channel` (-1: none shown); a channel the table
    // does not hold shows the first row.
    virtual void Toggle(int channel) = 0;
    // Reset Flags: what a stuck run may have left on the window (auto refresh disabled, multiple
    // selection on) is put back, so the grid and its menu work again.
    virtual void ResetRunControls() = 0;
};

class TNoMemoryWindow final : public TMemoryWindowLink {
public:
    std::optional<int> ChannelSquelch(int) override { return std::nullopt; }
    void StoreChannelSquelch(int, int) override {}
    bool LocateChannel(int) override { return false; }
    bool CanModify() const override { return false; }
    void StoreRxDatInRow(const TRxDat&) override {}
    void ShowChannel(const QString&) override {}
    void SetChannelHighlighted(bool) override {}
    bool NoAutoRefresh() const override { return true; }
    void SwitchToMemorySelection() override {}
    void ApplyRowAntenna() override {}
    void StepRow(int) override {}
    void QuickJump() override {}
    bool IsVisible() const override { return false; }
    void SetWindowEnabled(bool) override {}
    void Toggle(int) override {}
    void ResetRunControls() override {}
};
