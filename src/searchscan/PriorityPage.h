#pragma once

#include "SearchScanContext.h"

#include <QObject>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QEventLoop;
class QLabel;
class QLineEdit;
class QPushButton;
class TDataModule1;
class TUpDown;

inline constexpr int kPriorityChannelCount = 5;

// Every control of the "Priority" page under its documented name.
struct TPriorityPageWidgets {
    std::array<QCheckBox*, kPriorityChannelCount> PrioritySelectCheckBox{};
    std::array<QLineEdit*, kPriorityChannelCount> PriorityMemChannelEdit{};
    std::array<TUpDown*, kPriorityChannelCount> PriorityUpDown{};
    QLineEdit* PrioritySquelchEdit = nullptr;
    TUpDown* PrioritySquelchUpDown = nullptr;
    QLineEdit* PriorityPeriodEdit = nullptr;
    TUpDown* PriorityPeriodUpDown = nullptr;
    QLabel* Label50 = nullptr;
    QPushButton* Button2 = nullptr;
};

TPriorityPageWidgets BuildPriorityPageControls(QWidget* page);

// A memory channel as the priority page needs it.
struct TPriorityRow {
    QString Text;
    std::optional<double> FreqMHz;
    std::optional<int> Squelch;
};

// Where priority channels are looked up: the bank table the memory window shows.
class TPriorityMemoryTable {
public:
    virtual ~TPriorityMemoryTable() = default;
    // The row of a channel (the table's current row moves to it); nullopt when there is none.
    virtual std::optional<TPriorityRow> Channel(int channel) = 0;
};

class TNoPriorityMemoryTable final : public TPriorityMemoryTable {
public:
    std::optional<TPriorityRow> Channel(int) override { return std::nullopt; }
};

class TDataModulePriorityTable final : public TPriorityMemoryTable {
public:
    explicit TDataModulePriorityTable(TDataModule1& data)
        : FData(data) {}
    std::optional<TPriorityRow> Channel(int channel) override;

private:
    TDataModule1& FData;
};

// Priority watching: "P" on the Main page runs a cycle every period that recalls each chosen
// memory channel, asks its level, stays there while the squelch is open and then puts the
// receiver back where the user was.
class TPriorityController : public QObject {
    Q_OBJECT

public:
    TPriorityController(QWidget* page, const TSearchScanContext& context, QObject* parent);
    ~TPriorityController() override;

    const TPriorityPageWidgets& Widgets() const { return FWidgets; }
    QLineEdit* PriorityDisplayEdit() const;
    QCheckBox* PriorityCheckBox1() const;
    void SetMemoryTable(std::unique_ptr<TPriorityMemoryTable> table);

    // One second of the period, and the receiver's pauses; tests shorten them.
    int PeriodUnitMs = 1000;
    int RecallSettleMs = 300;
    int HoldRepeatMs = 100;

    bool TimerActive() const { return FPriority.isActive(); }
    bool CycleRunning() const { return FCycleRunning; }
    bool Holding() const { return FHold; }

    void PriorityCheckBox1Click(bool checked);
    void PriorityTimer();
    void PriorityLevelReport(const TRxDat& rec);
    void PriorityMemChannelEditChange(int index);
    void TuneToPriorityChannel(int index);
    // The page was chosen: the channel boxes black.
    void PageEntered();
    // The "Priority" section of the settings file: read when the link opens, written when it
    // closes.
    void LoadPrioritySettings();
    void SavePrioritySettings();
    // The link is gone: nothing can be checked any more, and "P" must not hold the program open.
    void LinkGone();

Q_SIGNALS:
    // A cycle has ended and the receiver is back where the user was.
    void CycleFinished();
    // A priority channel is on the air and held.
    void ChannelHeld(const TPriorityRow& row);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class TWaitEnd { Done, TimedOut, Stopped };

    void Wire();
    void RunCycle();
    bool Watching() const;
    // Runs the event loop until `done` holds, `ms` pass, "P" goes off or the link goes; replies
    // and user input are handled meanwhile.
    TWaitEnd WaitFor(int ms, const std::function<bool()>& done);
    void Wake();
    // Recalls channel `channel` and stays while its squelch is open; false when the cycle has
    // to end (stopped, link lost, no reply).
    bool CheckChannel(int channel);
    void ShowHold(int channel);
    void ReturnToUser(QChar vfo);
    void PaintP(bool busy);

    TPriorityPageWidgets FWidgets;
    TSearchScanContext FContext;
    std::unique_ptr<TPriorityMemoryTable> FTable;
    QTimer FPriority;
    bool FCycleRunning = false;
    bool FAwaitingLevel = false;
    bool FHold = false;
    std::optional<bool> FLastSquelchClosed;
    QEventLoop* FWaitLoop = nullptr;
};
