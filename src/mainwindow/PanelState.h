#pragma once

#include "VfoScaleWindow.h"

#include <QChar>
#include <QColor>
#include <QString>

// The VFO panel's state that several controllers read and write. Plain data: whoever changes a
// field does so through the controller that owns the behaviour (the VFO panel for CurrentVfo,
// tuning for the tuning flags).
struct TPanelState {
    // The current box: 'A'..'E' for EditVcoA..E, 'M' for the memory (FrqEditM).
    QChar CurrentVfo = u'A';
    bool TuningInProgress = false;
    bool ShowingRxDat = false;
    bool SubStepActive = false;
    double SavedStep = 0.0; // kHz, the main step while a sub-step is loaded
    bool DragInProgress = false;
    // The text of MemEdit: the channel the memory boxes show.
    QString MemoryChannel;
    TVfoScaleWindows VfoScaleWindow;
};

// Panel colours.
inline const QColor kBoxBlack{0, 0, 0};
inline const QColor kBoxLime{0, 255, 0};
inline const QColor kBoxGreen{0, 128, 0};
inline const QColor kBoxSquelchClosed{112, 112, 112};
inline const QColor kBoxWhite{255, 255, 255};
inline const QColor kValueRed{255, 0, 0};

inline constexpr int kSquelchSwitchLimit = 150; // up to this the squelch goes before the switch
inline constexpr int kSquelchMax = 255;

// The letter a box name stands for: "EditVco"/"FrqEdit" + letter gives the letter, "MemEdit" 'M',
// anything else 'A'.
inline QChar VfoLetterOfName(const QString& name) {
    if ((name.startsWith(QLatin1StringView("EditVco")) ||
         name.startsWith(QLatin1StringView("FrqEdit"))) &&
        name.size() >= 8)
        return name.at(7);
    if (name == QLatin1StringView("MemEdit"))
        return u'M';
    return u'A';
}

inline bool IsVfoLetter(QChar letter) {
    return letter >= u'A' && letter <= u'E';
}
