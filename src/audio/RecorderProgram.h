#pragma once

#include <QString>

// The companion recorder program, which records in a format of its own choosing when the
// built-in recording is not used. Commands are its numbered command codes.
class TRecorderProgram {
public:
    virtual ~TRecorderProgram() = default;

    // The program is installed where it would be started from.
    virtual bool Present() const = 0;
    // Finds the program or starts it; false with `why` when it cannot be reached.
    virtual bool Start(QString& why) = 0;
    virtual void PostCommand(int code) = 0;
};

// Used until the companion programs link is in place: the program is never reachable.
class TNoRecorderProgram final : public TRecorderProgram {
public:
    bool Present() const override { return false; }
    bool Start(QString& why) override {
        why = QStringLiteral("The recorder program Kv7WavRecorder is not available; "
                             "choose \"Use MCI\" in Setup Recording Options");
        return false;
    }
    void PostCommand(int) override {}
};
