#pragma once

#include <QChar>

#include <array>

// A tuning-scale window as the VFO panel sees it: the panel moves it as its VFO is tuned and
// shows which one belongs to the current VFO. The windows themselves live in another library.
class TVfoScaleWindow {
public:
    virtual ~TVfoScaleWindow() = default;
    virtual void MoveScaleTo(double mhz) = 0;
    // The current VFO's window stands out from the others.
    virtual void ShowCurrent(bool current) = 0;
};

// The scale window attached to each of the VFOs A..E, or none. A window does not own its entry:
// it detaches itself when it goes.
class TVfoScaleWindows {
public:
    TVfoScaleWindow* Window(QChar letter) const {
        const int i = Slot(letter);
        return i < 0 ? nullptr : FWindows[static_cast<std::size_t>(i)];
    }
    // Replaces the letter's window; the one replaced stays open but no longer follows the VFO.
    void Attach(QChar letter, TVfoScaleWindow* window) {
        if (const int i = Slot(letter); i >= 0)
            FWindows[static_cast<std::size_t>(i)] = window;
    }
    void Detach(const TVfoScaleWindow* window) {
        for (TVfoScaleWindow*& entry : FWindows)
            if (entry == window)
                entry = nullptr;
    }
    // The VFO a window is attached to, or a null QChar.
    QChar LetterOf(const TVfoScaleWindow* window) const {
        for (std::size_t i = 0; i < FWindows.size(); ++i)
            if (window && FWindows[i] == window)
                return QChar(u'A' + static_cast<char16_t>(i));
        return {};
    }
    void MoveScaleTo(QChar letter, double mhz) const {
        if (TVfoScaleWindow* window = Window(letter))
            window->MoveScaleTo(mhz);
    }
    // Every attached window plain, then the one of `current` (if any) highlighted.
    void ShowCurrent(QChar current) const {
        for (std::size_t i = 0; i < FWindows.size(); ++i)
            if (FWindows[i])
                FWindows[i]->ShowCurrent(current == QChar(u'A' + static_cast<char16_t>(i)));
    }

private:
    static int Slot(QChar letter) {
        return letter >= u'A' && letter <= u'E' ? letter.unicode() - u'A' : -1;
    }
    std::array<TVfoScaleWindow*, 5> FWindows{};
};
