#include "SquelchController.h"

#include "AR5000.h"
#include "IniFile.h"
#include "NumberText.h"
#include "ProgramFolder.h"
#include "SquelchForm.h"
#include "UpDown.h"

#include <QKeyEvent>
#include <QLineEdit>

using namespace Qt::StringLiterals;

std::size_t SquelchIndex(QChar letter) {
    if (IsVfoLetter(letter))
        return static_cast<std::size_t>(letter.unicode() - u'A');
    return kMemorySquelchIndex;
}

QChar SquelchLetter(std::size_t index) {
    return index == kMemorySquelchIndex ? QChar(u'M') : QChar(u'A' + static_cast<int>(index));
}

TSquelchController::TSquelchController(const TMainSheetWidgets& widgets,
                                       const TPanelContext& context, QObject* parent)
    : QObject(parent)
    , FWidgets(widgets)
    , FContext(context) {
    for (std::size_t i = 0; i < kSquelchBoxCount; ++i) {
        const QChar letter = SquelchLetter(i);
        FWidgets.SquelchEdit[i]->installEventFilter(this);
        TUpDown* upDown = FWidgets.SquelchUpDown[i];
        connect(upDown, &TUpDown::ArrowReleased, this, [this, letter] { ArrowReleased(letter); });
        connect(upDown, &TUpDown::RightPressed, this, &TSquelchController::ToggleSquelchForm);
    }
}

TSquelchController::~TSquelchController() {
    delete FForm;
}

int TSquelchController::Value(QChar letter) const {
    return FWidgets.SquelchUpDown[SquelchIndex(letter)]->Position();
}

void TSquelchController::SetValue(QChar letter, int level) {
    FWidgets.SquelchUpDown[SquelchIndex(letter)]->SetPosition(level);
}

QString TSquelchController::Text(QChar letter) const {
    return FWidgets.SquelchEdit[SquelchIndex(letter)]->text();
}

void TSquelchController::SendSquelch(int level) {
    FContext.Driver->SetSquelch(level);
}

std::optional<int> TSquelchController::ConvertedText(QChar letter) const {
    const QString text = Text(letter);
    const auto value = ParseInteger(text);
    if (!value) {
        FContext.ReportUnexpected(u"'%1' is not a valid integer value"_s.arg(text));
        return std::nullopt;
    }
    return static_cast<int>(*value);
}

bool TSquelchController::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return false;
    std::size_t index = 0;
    while (index < kSquelchBoxCount && FWidgets.SquelchEdit[index] != watched)
        ++index;
    if (index == kSquelchBoxCount)
        return false;
    const QChar letter = SquelchLetter(index);
    const auto* key = static_cast<const QKeyEvent*>(event);

    if (event->type() == QEvent::KeyRelease) {
        // Only the keypad's plus and minus send the level; the main keyboard's only change it.
        const bool keypad = key->modifiers().testFlag(Qt::KeypadModifier);
        if (keypad && !key->isAutoRepeat() &&
            (key->key() == Qt::Key_Plus || key->key() == Qt::Key_Minus))
            KeypadReleased(letter);
        return false;
    }
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        EnterPressed(letter);
        return true;
    }
    const QString text = key->text();
    if (text.isEmpty())
        return false;
    const QChar c = text.at(0);
    if (c == u'+' || c == u'-') {
        FWidgets.SquelchUpDown[index]->StepBy(c == u'+' ? 1 : -1);
        return true;
    }
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

void TSquelchController::EnterPressed(QChar letter) {
    if (CurrentLetter() == letter) {
        const auto level = ConvertedText(letter);
        if (!level)
            return;
        SendSquelch(*level);
    }
    if (letter == u'M')
        StoreMemorySquelch();
}

void TSquelchController::KeypadReleased(QChar letter) {
    if (CurrentLetter() != letter)
        return;
    const auto level = ConvertedText(letter);
    if (!level)
        return;
    SendSquelch(*level);
    if (letter == u'M')
        StoreMemorySquelch();
}

void TSquelchController::ArrowReleased(QChar letter) {
    if (CurrentLetter() != letter)
        return;
    if (letter != u'M') {
        SendSquelch(Value(letter));
        return;
    }
    SendSquelch(FContext.Driver->StrToIntSafe(Text(letter)));
    StoreMemorySquelch();
}

void TSquelchController::StoreMemorySquelch() {
    const QString shown = FContext.State->MemoryChannel;
    if (shown.isEmpty())
        return;
    TMemoryWindowLink& memory = FContext.MemoryWindow();
    const auto channel = ParseInteger(shown);
    if (channel && memory.LocateChannel(static_cast<int>(*channel)) && memory.CanModify()) {
        memory.StoreChannelSquelch(static_cast<int>(*channel), Value(u'M'));
        return;
    }
    FContext.Report(u"Cannot update memory data table, unsort/sub-select the table"_s);
}

void TSquelchController::ApplyMemorySquelch() {
    TMemoryWindowLink& memory = FContext.MemoryWindow();
    const auto channel = ParseInteger(FContext.State->MemoryChannel);
    if (!channel || !memory.LocateChannel(static_cast<int>(*channel)))
        return;
    const int level = memory.ChannelSquelch(static_cast<int>(*channel)).value_or(kSquelchMax);
    SendSquelch(level);
    SetValue(u'M', level);
}

void TSquelchController::SaveSquelchSettings() {
    TIniFile ini(SettingsFileName());
    for (std::size_t i = 0; i < kVfoCount; ++i) {
        const QChar letter = SquelchLetter(i);
        if (!ini.WriteString(u"Squelch"_s, QString(letter), Text(letter))) {
            FContext.Report(ini.ErrorText());
            return;
        }
    }
}

void TSquelchController::LoadSquelchSettings() {
    const TIniFile ini(SettingsFileName());
    for (std::size_t i = 0; i < kVfoCount; ++i) {
        const QChar letter = SquelchLetter(i);
        SetValue(letter, ini.ReadInteger(u"Squelch"_s, QString(letter), kSquelchMax));
    }
}

TSquelchForm* TSquelchController::SquelchForm() const {
    return FForm;
}

void TSquelchController::ToggleSquelchForm() {
    if (FForm) {
        FForm->close();
        return;
    }
    FForm = new TSquelchForm(this, FWidgets.Page->window());
    FForm->show();
}
