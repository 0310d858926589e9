#include "VolumeController.h"

#include "AR5000.h"
#include "LineInVolume.h"

#include <QCheckBox>
#include <QLabel>
#include <QScopedValueRollback>
#include <QSlider>

using namespace Qt::StringLiterals;

namespace {

// The bar runs 0..255 with the loudest at position 0; a line-in step is 1/256 of the mixer's.
constexpr int kBarMax = kSquelchMax;
constexpr int kLineInStep = 256;

} // namespace

TVolumeController::TVolumeController(const TMainSheetWidgets& widgets, const TPanelContext& context,
                                     QObject* parent)
    : QObject(parent)
    , FWidgets(widgets)
    , FContext(context) {
    connect(FWidgets.VolumeControlTrackBar, &QSlider::valueChanged, this,
            &TVolumeController::BarChanged);
    connect(FWidgets.VolTypeSelectCheckBox, &QCheckBox::clicked, this,
            &TVolumeController::TypeClicked);
    TypeClicked(ReceiverChosen());
}

TVolumeController::~TVolumeController() = default;

void TVolumeController::SetLineInVolume(std::unique_ptr<TLineInVolume> lineIn) {
    FLineIn = std::move(lineIn);
    if (FLineIn) {
        connect(FLineIn.get(), &TLineInVolume::VolumeChanged, this,
                &TVolumeController::LineInChanged);
        if (FLineIn->Available())
            LineInChanged(FLineIn->Volume());
    }
    TypeClicked(ReceiverChosen());
}

bool TVolumeController::LineInAvailable() const {
    return FLineIn && FLineIn->Available();
}

bool TVolumeController::ReceiverChosen() const {
    return FWidgets.VolTypeSelectCheckBox->isChecked();
}

void TVolumeController::BarChanged(int position) {
    const int volume = kBarMax - position;
    if (ReceiverChosen()) {
        FContext.Driver->SetVolume(volume);
    } else if (!FFollowingMixer && LineInAvailable()) {
        const auto level = static_cast<std::uint16_t>(volume * kLineInStep);
        FLineIn->SetVolume(PackVolume(level, level));
    }
    FWidgets.VolumeIndicatorLabel->setText(QString::number(volume));
}

void TVolumeController::TypeClicked(bool checked) {
    FWidgets.VolTypeSelectCheckBox->setToolTip(checked ? u"Control Sound Card Line in"_s
                                                       : u"Control AR5000 Vol"_s);
    const bool available = LineInAvailable();
    const bool shown = checked || available;
    for (QWidget* widget : {static_cast<QWidget*>(FWidgets.VolumeControlTrackBar),
                            static_cast<QWidget*>(FWidgets.VolLabel),
                            static_cast<QWidget*>(FWidgets.VolumeIndicatorLabel)})
        widget->setVisible(shown);
    // Reading a mixer that has no line input is pointless, whichever volume the bar controls.
    if (FLineIn)
        FLineIn->SetUpdate(available ? kPollMs : 0);
}

void TVolumeController::LineInChanged(std::uint32_t volume) {
    if (ReceiverChosen())
        return;
    const QScopedValueRollback following(FFollowingMixer, true);
    FWidgets.VolumeControlTrackBar->setValue(kBarMax - LeftVolume(volume) / kLineInStep);
}
