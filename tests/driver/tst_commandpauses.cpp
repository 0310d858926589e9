// The receiver's pauses after SetBank and ChangeVfo, at their real lengths, on a pseudo-terminal:
// each pause must run after its command has left the port, not while it waits in the queue.
#include "AR5000.h"

#include <QTest>

#ifdef Q_OS_UNIX
#include "PseudoTerminal.h"

#include <poll.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#endif

using namespace Qt::StringLiterals;

#ifdef Q_OS_UNIX
namespace {

qint64 NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// What arrives at the receiver's end, read by read and when, from a thread of its own: the
// pauses block the thread the driver runs on.
class TArrivals {
public:
    struct TRead {
        qint64 AtMs;
        QByteArray Bytes;
    };

    explicit TArrivals(int master)
        : FMaster(master)
        , FThread([this] { Run(); }) {}
    ~TArrivals() {
        FStop = true;
        FThread.join();
    }
    TArrivals(const TArrivals&) = delete;
    TArrivals& operator=(const TArrivals&) = delete;

    // Waits without running the event loop, so that nothing still queued in the port can go
    // out meanwhile; false when the bytes have not come after a long while.
    bool WaitForBytes(qsizetype count) {
        std::unique_lock lock(FMutex);
        return FArrived.wait_for(lock, std::chrono::seconds(10),
                                 [&] { return AllLocked().size() >= count; });
    }
    QList<TRead> Reads() const {
        const std::lock_guard lock(FMutex);
        return FReads;
    }
    QByteArray All() const {
        const std::lock_guard lock(FMutex);
        return AllLocked();
    }

private:
    QByteArray AllLocked() const {
        QByteArray all;
        for (const TRead& read : FReads)
            all += read.Bytes;
        return all;
    }
    void Run() {
        while (!FStop) {
            pollfd entry{FMaster, POLLIN, 0};
            if (::poll(&entry, 1, 20) <= 0 || !(entry.revents & POLLIN))
                continue;
            char buffer[512];
            const ssize_t count = ::read(FMaster, buffer, sizeof buffer);
            if (count <= 0)
                continue;
            const std::lock_guard lock(FMutex);
            FReads.append({NowMs(), QByteArray(buffer, count)});
            FArrived.notify_all();
        }
    }

    int FMaster;
    mutable std::mutex FMutex;
    std::condition_variable FArrived;
    QList<TRead> FReads;
    std::atomic<bool> FStop = false;
    std::thread FThread;
};

} // namespace
#endif

class TestCommandPauses : public QObject {
    Q_OBJECT

#ifdef Q_OS_UNIX
    static bool OpenOn(TAR5000& driver, const TPseudoTerminal& pty) {
        if (pty.SlavePath().isEmpty())
            return false;
        driver.Serial()->SetPortName(pty.SlavePath());
        driver.Serial()->SetOpen(true);
        return driver.Connected();
    }
#endif

private Q_SLOTS:
    void setBankPausesOnceTheCommandHasLeft() {
#ifdef Q_OS_UNIX
        TPseudoTerminal pty;
        TAR5000 driver;
        QVERIFY(OpenOn(driver, pty));
        QCOMPARE(driver.SetBankPauseMs, 2000);
        TArrivals arrivals(pty.Master());

        const qint64 called = NowMs();
        driver.SetBank(1);
        const qint64 returned = NowMs();
        QVERIFY(returned - called >= driver.SetBankPauseMs);
        QVERIFY(arrivals.WaitForBytes(5));
        QCOMPARE(arrivals.All(), QByteArray("BN1\r\n"));
        // The receiver had the command while the pause still ran.
        QVERIFY(arrivals.Reads().first().AtMs < called + driver.SetBankPauseMs);

        driver.SendCommand(u"RX"_s);
        QTRY_COMPARE(arrivals.All(), QByteArray("BN1\r\nRX\r\n"));
        const QList<TArrivals::TRead> reads = arrivals.Reads();
        QCOMPARE(reads.first().Bytes, QByteArray("BN1\r\n"));
        QVERIFY(reads.last().AtMs >= returned);
#else
        QSKIP("needs a pseudo-terminal");
#endif
    }

    void changeVfoPausesOnceTheVfoCommandHasLeft() {
#ifdef Q_OS_UNIX
        TPseudoTerminal pty;
        TAR5000 driver;
        QVERIFY(OpenOn(driver, pty));
        QCOMPARE(driver.ChangeVfoPauseMs, 20);
        TArrivals arrivals(pty.Master());

        const qint64 called = NowMs();
        driver.ChangeVfo(u'A');
        QVERIFY(NowMs() - called >= driver.ChangeVfoPauseMs);
        // No event loop has run since: the queries sent after the pause are still queued, and
        // what arrives is what had left before it.
        QVERIFY(arrivals.WaitForBytes(4));
        QCOMPARE(arrivals.All(), QByteArray("VA\r\n"));
        QTRY_COMPARE(arrivals.All(),
                     QByteArray("VA\r\nBW\r\nAN\r\nAT\r\nAC\r\nHP\r\nLP\r\nEN\r\nSJ\r\n"));
#else
        QSKIP("needs a pseudo-terminal");
#endif
    }
};

QTEST_GUILESS_MAIN(TestCommandPauses)
#include "tst_commandpauses.moc"
