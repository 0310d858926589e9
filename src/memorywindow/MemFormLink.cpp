#include "MemFormLink.h"

#include "DataUnit1.h"
#include "MemForm.h"

using namespace Qt::StringLiterals;

std::optional<int> TMemFormLink::ChannelSquelch(int channel) {
    if (!FForm.LocateChannel(channel))
        return std::nullopt;
    const QVariant squelch = FForm.Data().MemQuery1().Value(u"SQUELCH");
    return squelch.isNull() ? std::nullopt : std::optional<int>(squelch.toInt());
}

void TMemFormLink::StoreChannelSquelch(int channel, int squelch) {
    if (FForm.LocateChannel(channel))
        FForm.Data().StoreField(u"SQUELCH", squelch);
}

bool TMemFormLink::LocateChannel(int channel) {
    return FForm.LocateChannel(channel);
}

bool TMemFormLink::CanModify() const {
    return FForm.Data().MemQuery1().CanModify();
}

void TMemFormLink::StoreRxDatInRow(const TRxDat& rec) {
    FForm.StoreRxDatInRow(rec);
}

void TMemFormLink::ShowChannel(const QString& text) {
    FForm.ShowChannel(text);
}

void TMemFormLink::SetChannelHighlighted(bool on) {
    FForm.SetChannelHighlighted(on);
}

bool TMemFormLink::NoAutoRefresh() const {
    return FForm.NoAutoRefresh();
}

void TMemFormLink::SwitchToMemorySelection() {
    FForm.SwitchToMemorySelection();
}

void TMemFormLink::ApplyRowAntenna() {
    FForm.ApplyRowAntenna();
}

void TMemFormLink::StepRow(int delta) {
    TTableView& view = FForm.Data().MemQuery1();
    if (delta < 0)
        view.Prior();
    else
        view.Next();
    FForm.TuneToRow();
}

void TMemFormLink::QuickJump() {
    FForm.QuickJump();
}

bool TMemFormLink::IsVisible() const {
    return FForm.isVisible();
}

void TMemFormLink::SetWindowEnabled(bool on) {
    FForm.setEnabled(on);
}

void TMemFormLink::Toggle(int channel) {
    FForm.Toggle(channel);
}

void TMemFormLink::ResetRunControls() {
    FForm.ResetRunControls();
}
