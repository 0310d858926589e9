#pragma once

#include "RigctlRig.h"
#include "RigctlServer.h"

#include <QObject>

class TMainForm;

// The network rig-control endpoint of the main window: it listens while the link is open and
// the settings ask for it, and carries out each client's command as the panel's own controls
// would, so the panel shows what the client did.
class TRigctlController : public QObject, private TRigctlRig {
    Q_OBJECT

public:
    TRigctlController(TMainForm& form, QObject* parent);

    // Starts, restarts or stops listening as the settings and the link now ask.
    void ApplySettings();
    TRigctlServer& Server() { return FServer; }

private:
    bool Busy() const override;
    std::optional<TRxDat> ReadCurrent(bool withBandwidth) override;
    std::optional<int> ReadStrengthDb() override;
    int Squelch() const override;
    QChar CurrentVfo() const override;
    bool SetFrequency(double mhz) override;
    bool SetMode(int mode, int bandwidth) override;
    bool SelectVfo(QChar letter) override;
    bool SetSquelch(int level) override;

    TMainForm& FForm;
    TRigctlServer FServer;
    // What the server listens with now, so that settings that did not change keep its clients.
    QString FListening;
};
