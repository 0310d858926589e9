#pragma once

#include "MainSheet.h"

#include <QObject>

#include <cstdint>
#include <memory>

class TLineInVolume;

// The Main page's volume bar: with VolTypeSelectCheckBox checked it sets the receiver's volume,
// unchecked the sound card's line-in volume, which it also follows while unchecked. Without a
// line input the bar and its labels are hidden while unchecked.
class TVolumeController : public QObject {
    Q_OBJECT

public:
    TVolumeController(const TMainSheetWidgets& widgets, const TPanelContext& context,
                      QObject* parent);
    ~TVolumeController() override;

    // The line input the bar controls when unchecked; none (nullptr) means there is none.
    void SetLineInVolume(std::unique_ptr<TLineInVolume> lineIn);
    TLineInVolume* LineIn() const { return FLineIn.get(); }

    static constexpr int kPollMs = 1000;

private:
    bool LineInAvailable() const;
    bool ReceiverChosen() const;
    void BarChanged(int position);
    void TypeClicked(bool checked);
    void LineInChanged(std::uint32_t volume);

    TMainSheetWidgets FWidgets;
    TPanelContext FContext;
    std::unique_ptr<TLineInVolume> FLineIn;
    // The bar is being moved to follow the mixer: that move must not be written back, or a
    // poll would make the two channels equal and round them to the bar's steps.
    bool FFollowingMixer = false;
};
