#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

class TIniFile;

// The options kept in the settings file that are read once at start-up and written by the comms
// dialog or at exit. Values the link reads at every open (squelch, priority) and the window
// placements are read and written where they are used.
struct TSettings {
    // [Settings]
    QString BaudRate = QStringLiteral("9600");
    QString ComPort = QStringLiteral("Com 2");
    QString Hints = QStringLiteral("On");
    bool CT5000 = false;
    bool DS8000 = false;
    bool SDUPassThru = false;
    bool Graticules = true;
    bool SignalGraphData = false;
    bool AvgMeter = true;
    bool WavFiles16Bit = false;
    bool UseMCI = true;
    bool SearchScanWavFilesByFreq = false;
    bool PadFString = false;
    int FirmwareID = 1;
    bool AlwaysOnTop = false;
    int ServerPort = 1024;
    int ClientPort = 1024;
    bool AutoConnect = false;
    bool SaveRestoreMainFormPosition = false;
    // [Network]
    bool BankSwitchDisabled = false;
    int Status = 0; // 0 local serial, 1 serial and TCP server, 2 TCP client
    QString RemoteHost;
    bool LogErrors = false;
    QString ListenAddress;  // where the server listens; empty for every address
    QString AllowedClients; // comma-separated client addresses; empty admits every client
    // [Rigctl]: the network rig-control endpoint, off unless asked for; loopback only by default
    bool RigctlEnabled = false;
    int RigctlPort = 4532;
    QString RigctlListenAddress = QStringLiteral("127.0.0.1");
    QString RigctlAllowedClients;
    // [FormClock]
    int ClockLeft = 10;
    int ClockTop = 10;
    bool ClockUTC = true;
    bool ClockShowSeconds = true;
    // [Colors]: colour numbers (0x00BBGGRR) as decimal or "$" + hexadecimal texts
    QString TableTitleColor = QStringLiteral("8372416");
    QString TableBackColor = QStringLiteral("0");
    QString TableHighlightColor = QStringLiteral("32896");
    QString TableTextColor = QStringLiteral("65280");

    // The keys read at start-up; missing or unreadable values keep their defaults.
    void Load(const TIniFile& ini);
    // The keys written at exit. False (with the file's error text) when the file refused.
    bool SaveAtExit(TIniFile& ini) const;
    // The keys the comms dialog edits.
    bool SaveCommsDialog(TIniFile& ini) const;

    // Each colour that is not a colour number goes back to its default; one message for each.
    QStringList MendColours();
    bool SaveColours(TIniFile& ini) const;

    bool HintsShown() const { return Hints == QLatin1StringView("On"); }
    // 4800, 9600 or 19200; 0 for any other text (the serial port keeps its own rate).
    int BaudRateValue() const;
    // 1..14 for "Com 1".."Com 14"; 0 for any other text (the serial port keeps its port).
    int ComPortNumber() const;
    static QString ComPortText(int port);
    // The device path when ComPort names one ("/dev/ttyUSB0"), else empty.
    QString ComPortDevice() const;
};

// A colour number of the settings file: decimal ("8372416") or "$" and hexadecimal
// ("$007FC0C0"); only plain RGB values (0..0xFFFFFF) are colours we can show.
std::optional<quint32> ParseColourNumber(QStringView text);
// "$" and eight hexadecimal digits, as the colour dialog writes them.
QString ColourNumberText(quint32 value);
