#pragma once

#include "WindowLinks.h"

class TMemForm;

// The memory window as the main window sees it.
class TMemFormLink final : public TMemoryWindowLink {
public:
    explicit TMemFormLink(TMemForm& form)
        : FForm(form) {}

    std::optional<int> ChannelSquelch(int channel) override;
    void StoreChannelSquelch(int channel, int squelch) override;
    bool LocateChannel(int channel) override;
    bool CanModify() const override;
    void StoreRxDatInRow(const TRxDat& rec) override;
    void ShowChannel(const QString& text) override;
    void SetChannelHighlighted(bool on) override;
    bool NoAutoRefresh() const override;
    void SwitchToMemorySelection() override;
    void ApplyRowAntenna() override;
    void StepRow(int delta) override;
    void QuickJump() override;
    bool IsVisible() const override;
    void SetWindowEnabled(bool on) override;
    void Toggle(int channel) override;
    void ResetRunControls() override;

private:
    TMemForm& FForm;
};
