#include "CompanionRecorderProgram.h"

#include "CompanionController.h"

namespace {
constexpr int kCmdLogPosition = 10;
constexpr int kCmdProgramClosing = 7;
} // namespace

TCompanionRecorderProgram::TCompanionRecorderProgram(TCompanionController& companions)
    : FCompanions(&companions) {
    connect(&companions, &TCompanionController::RecordingEnded, this, [this] {
        if (RecordingEnded)
            RecordingEnded();
    });
}

bool TCompanionRecorderProgram::Linked() const {
    return FCompanions && FCompanions->RecorderLinked();
}

bool TCompanionRecorderProgram::Present() const {
    return FCompanions && !FCompanions->Link(TCompanion::Kv7WavRecorder).ProgramPath().isEmpty();
}

bool TCompanionRecorderProgram::Start(QString& why) {
    // The link reports why it could not find or start the program.
    why.clear();
    return FCompanions && FCompanions->ConnectRecorder();
}

void TCompanionRecorderProgram::PostCommand(int code) {
    if (Linked())
        FCompanions->PostRecorderCommand(static_cast<std::uint32_t>(code));
}

std::optional<qint64> TCompanionRecorderProgram::RequestPosition() {
    if (!Linked())
        return std::nullopt;
    FCompanions->PostRecorderCommand(kCmdLogPosition);
    const auto position = FCompanions->AwaitLoggedPosition(PositionTimeoutMs);
    if (!position)
        return std::nullopt;
    return static_cast<qint64>(*position);
}

void TCompanionRecorderProgram::Release() {
    if (!Linked())
        return;
    FCompanions->PostRecorderCommand(kCmdProgramClosing);
    FCompanions->Link(TCompanion::Kv7WavRecorder).Forget();
}
