#pragma once

#include <QString>

#include <functional>
#include <optional>

// The companion recorder program, which records in a format of its own choosing when the
// built-in recording is not used. Commands are its numbered command codes.
class TRecorderProgram {
public:
    virtual ~TRecorderProgram() = default;

    // The program is installed where it would be started from.
    virtual bool Present() const = 0;
    // Finds the program or starts it; false when it cannot be reached, with `why` unless the
    // reason has been reported already.
    virtual bool Start(QString& why) = 0;
    // Lost when the program is not reached.
    virtual void PostCommand(int code) = 0;
    // Asks for the recording position and waits for the answer; nullopt when none came.
    virtual std::optional<qint64> RequestPosition() = 0;
    // Tells a reached program that we are done with it (it may close) and forgets it.
    virtual void Release() = 0;

    // The program ended the recording by itself (it closed, or its recording ended).
    std::function<void()> RecordingEnded;
};

// Where no recorder program can be reached: it is never found.
class TNoRecorderProgram final : public TRecorderProgram {
public:
    bool Present() const override { return false; }
    bool Start(QString& why) override {
        why = QStringLiteral("The recorder program Kv7WavRecorder is not available; "
                             "choose \"Use MCI\" in Setup Recording Options");
        return false;
    }
    void PostCommand(int) override {}
    std::optional<qint64> RequestPosition() override { return std::nullopt; }
    void Release() override {}
};
