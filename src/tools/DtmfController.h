#pragma once

#include <QObject>

class TMainForm;

// The main window's side of the DTMF window: Tools, "Get DTMF" (open while the link is) stops
// priority watching, then runs the window modally.
class TDtmfController : public QObject {
    Q_OBJECT

public:
    explicit TDtmfController(TMainForm& main);

    void GetDTMFMenuIItemClick();

private:
    TMainForm& FMain;
};
