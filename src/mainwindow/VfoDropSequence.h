#pragma once

#include "MainSheet.h"

#include <QString>

#include <array>
#include <functional>
#include <optional>

class TSquelchController;
class TVfoPanelController;

// The settings a memory or log row carries, in the order they are sent: mode, bandwidth,
// antenna, attenuator, sub-step, AGC, low-pass, high-pass, de-emphasis. Each is the text the row
// holds; a setting the row does not carry is left out and not sent.
inline constexpr std::array<std::size_t, 9> kRowSettingSelectors = {
    kSelMode, kSelBandwidth, kSelAntenna,  kSelAtten,      kSelSubStep,
    kSelAgc,  kSelLowPass,   kSelHighPass, kSelDeEmphasis,
};

// A memory channel's or log entry's fields as a drop on a VFO uses them.
struct TDropRow {
    std::optional<double> FreqMHz; // nullopt: the row holds no frequency
    std::optional<int> Squelch;    // nullopt: none stored
    std::array<std::optional<QString>, kRowSettingSelectors.size()> Settings;
    bool StepAdjust = false;
    QString Step; // kHz as text
};

// How the application answers for rows of windows the main window cannot see: the memory table
// (a bank of -1 is the bank the table shows) and the log table. nullopt when there is no such
// row (any more).
struct TDropRowSource {
    std::function<std::optional<TDropRow>(int bank, int channel)> MemoryRow;
    std::function<std::optional<TDropRow>(qint64 id)> LogRow;
};

// The command sequence of each kind of drop on a VFO box ('A'..'E') or on the entry box (a null
// letter). Each runs to its end before it returns; everything is checked before anything is
// sent, and the window, the panel's OnVfoData, the poll timer and DragInProgress are put back
// however the sequence ends.
class TVfoDropSequence {
public:
    TVfoDropSequence(const TMainSheetWidgets& widgets, const TPanelContext& context,
                     TVfoPanelController& panel, TSquelchController& squelch);

    // The text of a frequency box named `sourceName` (its text read by the caller).
    void TextDrop(QChar target, const QString& sourceName, const QString& text);
    // A memory channel; `keepCtcss` when it came from MemEdit, which keeps the panel's tone.
    void MemoryRowDrop(QChar target, const TDropRow& row, bool keepCtcss);
    void LogRowDrop(QChar target, const TDropRow& row);

private:
    enum class TRowKind { Memory, Log };

    void RowDrop(QChar target, const TDropRow& row, TRowKind kind, bool keepCtcss);
    bool LinkReady() const;
    bool NothingRunning() const;
    bool InRange(QChar target, double mhz, const QString& shown) const;
    void SelectVfo(QChar target);
    void SendPanelSettings();
    void SendRowSettings(const TDropRow& row);
    void ShowReadBack();

    TMainSheetWidgets FWidgets;
    TPanelContext FContext;
    TVfoPanelController& FPanel;
    TSquelchController& FSquelch;
};
