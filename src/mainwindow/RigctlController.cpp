#include "RigctlController.h"

#include "AR5000.h"
#include "Levels.h"
#include "LinkController.h"
#include "Main.h"
#include "MainSheet.h"
#include "PanelState.h"
#include "SquelchController.h"
#include "VfoPanelController.h"

using namespace Qt::StringLiterals;

TRigctlController::TRigctlController(TMainForm& form, QObject* parent)
    : QObject(parent)
    , FForm(form)
    , FServer(*this) {
    setObjectName(u"RigctlController"_s);
    FServer.setObjectName(u"RigctlServer"_s);
    TAR5000* driver = form.Driver();
    // A client's command waits while the user's own request waits for the receiver.
    FServer.CanServe = [driver] {
        return !driver->Waiting();
    };
    connect(&FServer, &TRigctlServer::Notice, &form, &TMainForm::AddMessage);
    connect(form.Link(), &TLinkController::LinkOpened, this, &TRigctlController::ApplySettings);
    connect(form.Link(), &TLinkController::LinkClosing, this, [this] {
        FServer.Stop();
        FListening.clear();
    });
}

void TRigctlController::ApplySettings() {
    const TSettings& settings = FForm.Settings();
    if (!settings.RigctlEnabled || !FForm.Driver()->Connected()) {
        FServer.Stop();
        FListening.clear();
        return;
    }
    const QString wanted = u"%1 port %2 for %3"_s.arg(settings.RigctlListenAddress)
                               .arg(settings.RigctlPort)
                               .arg(settings.RigctlAllowedClients);
    if (FServer.IsActive() && wanted == FListening)
        return;
    FListening.clear();
    // A mistyped address must not widen who may connect: it is reported, and admits nobody.
    if (!FServer.Addresses().SetListenAddress(settings.RigctlListenAddress)) {
        FServer.Stop();
        FForm.AddMessage(u"Rig control ListenAddress \"%1\" is not an address: rig control will "
                         u"not start"_s.arg(settings.RigctlListenAddress));
        return;
    }
    for (const QString& entry :
         FServer.Addresses().SetAllowedClients(settings.RigctlAllowedClients))
        FForm.AddMessage(u"Rig control AllowedClients entry \"%1\" is not an address"_s.arg(entry));
    if (!FServer.Start(static_cast<quint16>(settings.RigctlPort))) {
        FForm.AddMessage(u"Rig control cannot listen on port %1: %2"_s.arg(settings.RigctlPort)
                             .arg(FServer.ErrorText()));
        return;
    }
    FListening = wanted;
}

bool TRigctlController::Busy() const {
    const TRunFlags& flags = FForm.RunFlags();
    return flags.SearchRunning || flags.ScanRunning || flags.SelectScanRunning ||
           flags.SweepRunning || flags.TransferRunning || flags.PriorityCheckBusy;
}

std::optional<TRxDat> TRigctlController::ReadCurrent(bool withBandwidth) {
    TAR5000& driver = *FForm.Driver();
    // A question would stop the run: what the receiver reported last answers instead.
    if (Busy())
        return driver.CurrentRecord();
    TRxDat rec;
    if (!driver.GetRx(rec) || (withBandwidth && !driver.GetExtraVfoData(rec)))
        return std::nullopt;
    return rec;
}

std::optional<int> TRigctlController::ReadStrengthDb() {
    TAR5000& driver = *FForm.Driver();
    const QString text = Busy() ? driver.CurrentRecord().Level : driver.GetLM();
    bool ok = false;
    const int level = text.toInt(&ok);
    if (!ok)
        return std::nullopt;
    const double mhz = driver.CurrentRecord().Freq;
    const int dbm = LevelToDbm(level, mhz);
    if (dbm == kLevelError)
        return std::nullopt;
    return dbm - S9Dbm(mhz);
}

int TRigctlController::Squelch() const {
    return FForm.MainSheet()->Squelch()->Value(CurrentVfo());
}

QChar TRigctlController::CurrentVfo() const {
    return FForm.MainSheet()->State().CurrentVfo;
}

bool TRigctlController::SetFrequency(double mhz) {
    return FForm.MainSheet()->VfoPanel()->TuneCurrent(mhz);
}

bool TRigctlController::SetMode(int mode, int bandwidth) {
    TAR5000& driver = *FForm.Driver();
    driver.SetMode(mode);
    driver.SetBandwidth(bandwidth);
    // The receiver's report of the changed VFO or memory sets the panel's selectors.
    driver.ChangeVfo(u'X');
    return driver.Connected();
}

bool TRigctlController::SelectVfo(QChar letter) {
    FForm.MainSheet()->VfoPanel()->ClickBox(letter);
    return FForm.Driver()->Connected();
}

bool TRigctlController::SetSquelch(int level) {
    TSquelchController& squelch = *FForm.MainSheet()->Squelch();
    squelch.SetValue(CurrentVfo(), level);
    squelch.SendSquelch(level);
    return FForm.Driver()->Connected();
}
