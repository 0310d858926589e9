#pragma once

#include "MainSheet.h"

#include <QObject>
#include <QPointer>

#include <optional>

class TSquelchForm;

// The squelch levels of the five VFOs and the memory: the six boxes with their up/downs, the
// squelch window, the memory channel's stored level, and the VFO levels kept in the settings
// file from one link to the next. A level goes to the receiver only when it belongs to the
// current box.
class TSquelchController : public QObject {
    Q_OBJECT

public:
    TSquelchController(const TMainSheetWidgets& widgets, const TPanelContext& context,
                       QObject* parent);
    ~TSquelchController() override;

    // The level of 'A'..'E' or 'M' (the box's number, or its up/down's last position).
    int Value(QChar letter) const;
    void SetValue(QChar letter, int level);
    QString Text(QChar letter) const;
    QChar CurrentLetter() const { return FContext.State->CurrentVfo; }
    void SendSquelch(int level);

    void StoreMemorySquelch();
    void ApplyMemorySquelch();
    // The "Squelch" section of the settings file: loaded when the link opens, saved when it
    // closes.
    void SaveSquelchSettings();
    void LoadSquelchSettings();

    // The squelch window: created and shown, or closed when it exists.
    void ToggleSquelchForm();
    TSquelchForm* SquelchForm() const;
    // A header click in the squelch window: the box of that letter is clicked on the panel.
    void RequestBoxClick(QChar letter) { Q_EMIT BoxClickRequested(letter); }

Q_SIGNALS:
    void BoxClickRequested(QChar letter);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void EnterPressed(QChar letter);
    void KeypadReleased(QChar letter);
    void ArrowReleased(QChar letter);
    // The box's text as an integer; a text that is not one is reported as the application's
    // error handler would, and nothing is sent.
    std::optional<int> ConvertedText(QChar letter) const;

    TMainSheetWidgets FWidgets;
    TPanelContext FContext;
    QPointer<TSquelchForm> FForm;
};

// The index of a letter's box in TMainSheetWidgets::SquelchEdit: A..E, then M.
std::size_t SquelchIndex(QChar letter);
QChar SquelchLetter(std::size_t index);
