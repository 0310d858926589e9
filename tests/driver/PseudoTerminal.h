#pragma once

// The far end of a serial line in tests: the master side of a pseudo-terminal whose slave the
// port opens. POSIX only.
#include <QByteArray>
#include <QString>

#include <cstdlib>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

class TPseudoTerminal {
public:
    TPseudoTerminal()
        : FMaster(::posix_openpt(O_RDWR | O_NOCTTY)) {
        if (FMaster < 0 || ::grantpt(FMaster) != 0 || ::unlockpt(FMaster) != 0)
            return;
        termios raw{};
        ::tcgetattr(FMaster, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(FMaster, TCSANOW, &raw);
        ::fcntl(FMaster, F_SETFL, ::fcntl(FMaster, F_GETFL) | O_NONBLOCK);
        if (const char* name = ::ptsname(FMaster))
            FSlavePath = QString::fromLocal8Bit(name);
    }
    ~TPseudoTerminal() { CloseMaster(); }
    TPseudoTerminal(const TPseudoTerminal&) = delete;
    TPseudoTerminal& operator=(const TPseudoTerminal&) = delete;

    QString SlavePath() const { return FSlavePath; }
    // For a reader of its own (Received() reads it too, so use one or the other).
    int Master() const { return FMaster; }
    bool Write(const QByteArray& bytes) const {
        return ::write(FMaster, bytes.constData(), static_cast<size_t>(bytes.size())) ==
               bytes.size();
    }
    // Everything the port has sent so far.
    QByteArray Received() {
        Drain();
        return FReceived;
    }
    // In packet mode the master also learns when XOFF has stopped the slave's output.
    void SetPacketMode() {
        int on = 1;
        ::ioctl(FMaster, TIOCPKT, &on);
        FPacketMode = true;
    }
    bool OutputStopped() {
        Drain();
        return FOutputStopped;
    }
    // The slave's settings: on Linux the master's tcgetattr reads them.
    termios LineSettings() const {
        termios settings{};
        ::tcgetattr(FMaster, &settings);
        return settings;
    }
    void CloseMaster() {
        if (FMaster >= 0)
            ::close(FMaster);
        FMaster = -1;
    }

private:
    void Drain() {
        char buffer[512];
        for (;;) {
            const ssize_t count = ::read(FMaster, buffer, sizeof buffer);
            if (count <= 0)
                return;
            if (!FPacketMode) {
                FReceived.append(buffer, count);
                continue;
            }
            // One packet per read: a status byte, followed by data when the status is 0.
            const int status = static_cast<unsigned char>(buffer[0]);
            if (status == TIOCPKT_DATA)
                FReceived.append(buffer + 1, count - 1);
            if (status & TIOCPKT_STOP)
                FOutputStopped = true;
            if (status & TIOCPKT_START)
                FOutputStopped = false;
        }
    }

    int FMaster;
    QString FSlavePath;
    QByteArray FReceived;
    bool FPacketMode = false;
    bool FOutputStopped = false;
};
