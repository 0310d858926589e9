#include "AlsaMixer.h"

#include <alsa/asoundlib.h>

#include <QString>

#include <array>

namespace {

constexpr std::array kLineInNames{"Line", "Line In", "Line-In", "Line Capture", "Line In Capture"};

bool IsLineInName(const char* name) {
    const QString text = QString::fromUtf8(name);
    for (const char* candidate : kLineInNames) {
        if (text.compare(QLatin1StringView(candidate), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

// A computer without a sound card is an ordinary case here (the volume controls just hide), so
// ALSA's own complaints about it on stderr are kept quiet while the card is looked for.
void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}

struct TQuietAlsaErrors {
    TQuietAlsaErrors() { snd_lib_error_set_handler(&QuietAlsa); }
    ~TQuietAlsaErrors() { snd_lib_error_set_handler(nullptr); }
    TQuietAlsaErrors(const TQuietAlsaErrors&) = delete;
    TQuietAlsaErrors& operator=(const TQuietAlsaErrors&) = delete;
};

class TAlsaMixer final : public TMixerBackend {
public:
    explicit TAlsaMixer(QByteArray card)
        : FCard(std::move(card)) {}
    ~TAlsaMixer() override {
        if (FMixer)
            snd_mixer_close(FMixer);
    }
    TAlsaMixer(const TAlsaMixer&) = delete;
    TAlsaMixer& operator=(const TAlsaMixer&) = delete;

    bool Open() override {
        const TQuietAlsaErrors quiet;
        if (snd_mixer_open(&FMixer, 0) < 0) {
            FMixer = nullptr;
            return false;
        }
        if (snd_mixer_attach(FMixer, FCard.constData()) < 0 ||
            snd_mixer_selem_register(FMixer, nullptr, nullptr) < 0 || snd_mixer_load(FMixer) < 0)
            return false;
        for (snd_mixer_elem_t* elem = snd_mixer_first_elem(FMixer); elem;
             elem = snd_mixer_elem_next(elem)) {
            if (!snd_mixer_selem_is_active(elem) || !IsLineInName(snd_mixer_selem_get_name(elem)))
                continue;
            const bool capture = snd_mixer_selem_has_capture_volume(elem) != 0;
            if (!capture && !snd_mixer_selem_has_playback_volume(elem))
                continue;
            FElem = elem;
            FCapture = capture;
            FMono = FCapture ? snd_mixer_selem_is_capture_mono(elem) != 0
                             : snd_mixer_selem_is_playback_mono(elem) != 0;
            // A card unplugged while the program runs takes its controls with it.
            snd_mixer_elem_set_callback_private(elem, this);
            snd_mixer_elem_set_callback(elem, &TAlsaMixer::ElementEvent);
            return true;
        }
        return false;
    }

    TMixerRange Range() const override {
        TMixerRange range;
        if (FElem) {
            if (FCapture)
                snd_mixer_selem_get_capture_volume_range(FElem, &range.Min, &range.Max);
            else
                snd_mixer_selem_get_playback_volume_range(FElem, &range.Min, &range.Max);
        }
        return range;
    }

    std::optional<TMixerLevels> Read() override {
        // The simple mixer keeps a copy of each value; changes made elsewhere arrive as events.
        if (FElem && snd_mixer_handle_events(FMixer) < 0)
            FElem = nullptr;
        if (!FElem)
            return std::nullopt;
        TMixerLevels levels;
        if (!ReadChannel(SND_MIXER_SCHN_FRONT_LEFT, levels.Left))
            return std::nullopt;
        if (FMono)
            levels.Right = levels.Left;
        else if (!ReadChannel(SND_MIXER_SCHN_FRONT_RIGHT, levels.Right))
            return std::nullopt;
        return levels;
    }

    bool Write(const TMixerLevels& levels) override {
        if (!FElem)
            return false;
        if (!WriteChannel(SND_MIXER_SCHN_FRONT_LEFT, levels.Left))
            return false;
        return FMono || WriteChannel(SND_MIXER_SCHN_FRONT_RIGHT, levels.Right);
    }

private:
    static int ElementEvent(snd_mixer_elem_t* elem, unsigned int mask) {
        if (mask == SND_CTL_EVENT_MASK_REMOVE) {
            auto* self = static_cast<TAlsaMixer*>(snd_mixer_elem_get_callback_private(elem));
            if (self && self->FElem == elem)
                self->FElem = nullptr;
        }
        return 0;
    }

    bool ReadChannel(snd_mixer_selem_channel_id_t channel, long& value) const {
        const int result = FCapture ? snd_mixer_selem_get_capture_volume(FElem, channel, &value)
                                    : snd_mixer_selem_get_playback_volume(FElem, channel, &value);
        return result >= 0;
    }
    bool WriteChannel(snd_mixer_selem_channel_id_t channel, long value) const {
        const int result = FCapture ? snd_mixer_selem_set_capture_volume(FElem, channel, value)
                                    : snd_mixer_selem_set_playback_volume(FElem, channel, value);
        return result >= 0;
    }

    QByteArray FCard;
    snd_mixer_t* FMixer = nullptr;
    snd_mixer_elem_t* FElem = nullptr;
    bool FCapture = false;
    bool FMono = false;
};

} // namespace

std::unique_ptr<TMixerBackend> MakeAlsaMixer(const QByteArray& card) {
    return std::make_unique<TAlsaMixer>(card);
}
