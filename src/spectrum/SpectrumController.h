#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class TMainForm;
class TSearchScan;
class TSpecAnalyserForm;

// The main window's side of the spectrum window: File, "Spec Analyser" makes it, or brings the
// one that is open to the front; closing frees it. The sweep reaches the priority switch, the VFO
// search's squelch and options menu through the search pages, and the log window through
// `closeLogWindow`. It must go before the main window does.
class TSpectrumController : public QObject {
    Q_OBJECT

public:
    TSpectrumController(TMainForm& main, TSearchScan* searchScan,
                        std::function<void()> closeLogWindow, QObject* parent = nullptr);
    ~TSpectrumController() override;

    // The open window, or null.
    TSpecAnalyserForm* Form() const;
    void SpecAnalyser1Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TMainForm& FMain;
    TSearchScan* FSearchScan;
    std::function<void()> FCloseLogWindow;
    QPointer<TSpecAnalyserForm> FForm;
};
