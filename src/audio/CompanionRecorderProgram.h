#pragma once

#include "RecorderProgram.h"

#include <QObject>
#include <QPointer>

class TCompanionController;

// The recorder program reached through the companion link. The controller may go first at
// shutdown; the program is then simply not reachable.
class TCompanionRecorderProgram final : public QObject, public TRecorderProgram {
    Q_OBJECT

public:
    explicit TCompanionRecorderProgram(TCompanionController& companions);

    bool Present() const override;
    bool Start(QString& why) override;
    void PostCommand(int code) override;
    std::optional<qint64> RequestPosition() override;
    void Release() override;

    int PositionTimeoutMs = 4000;

private:
    bool Linked() const;

    QPointer<TCompanionController> FCompanions;
};
