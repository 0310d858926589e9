#pragma once

#include "SearchScanContext.h"

#include <QDialog>
#include <QObject>

#include <functional>
#include <memory>

class QAction;
class QCheckBox;
class QMenu;
class QPushButton;
class QSpinBox;

inline constexpr int kDefaultVfoSearchSquelch = 130;

// "Set Up Vfo Search Options": the receiver's VFO-search level, voice and delay, and the squelch
// the program sends when a VFO search or a sweep starts.
class TSetUpVfoSearchForm : public QDialog {
    Q_OBJECT

public:
    TSetUpVfoSearchForm(TAR5000& driver, int& vfoSearchSquelch, QWidget* parent);

    // Whether a running sweep should follow the squelch at once (the spectrum window is shown).
    std::function<bool()> SpectrumVisible;

    void FormShow();
    void Button1Click();
    void Button2Click();

private:
    TAR5000& FDriver;
    int& FVfoSearchSquelch;
    QSpinBox* FLevel;
    QSpinBox* FVoice;
    QSpinBox* FDelay;
    QSpinBox* FSquelch;
    QCheckBox* FCyber;
};

// "VfoSrch" on the Main page: the receiver searches on from the current VFO; each stop shows in
// that VFO's box. With it the "+Pass" button and the options menu items and dialog.
class TVfoSearchController : public QObject {
    Q_OBJECT

public:
    TVfoSearchController(const TSearchScanContext& context, QObject* parent);
    ~TVfoSearchController() override;

    bool Running() const { return static_cast<bool>(FRunning); }

    QPushButton* VfoSearchButton() const { return FButton; }
    QPushButton* AddVfoPassFreqButton() const { return FAddPass; }
    // "Vfo Search Options" and "Show Vfo Pass Freqs"; the spectrum window pops it up too.
    QMenu* VfoOptionsPopupMenu() const { return FPopup; }
    int VfoSearchSquelch = kDefaultVfoSearchSquelch;

    void VfoSearchButtonClick(bool down);
    void VfoSearchHit(const TRxDat& rec);
    // Opens the options dialog (modal) when the link is up.
    void VfoSearchOptionsClick(bool needsRemote);
    void LinkGone();
    void ResetToIdle();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class TRun;

    TSearchScanContext FContext;
    QPushButton* FButton;
    QPushButton* FAddPass;
    QMenu* FPopup;
    std::unique_ptr<TRun> FRunning;
};
