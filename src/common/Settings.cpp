#include "Settings.h"

#include "IniFile.h"
#include "NumberText.h"

using namespace Qt::StringLiterals;

namespace {

const QString kSettings = u"Settings"_s;
const QString kNetwork = u"Network"_s;
const QString kRigctl = u"Rigctl"_s;
const QString kClock = u"FormClock"_s;
const QString kColors = u"Colors"_s;

struct TColourKey {
    QString TSettings::*Value;
    const char16_t* Key;
};

constexpr std::array<TColourKey, 4> kColourKeys{{
    {&TSettings::TableTitleColor, u"TableTitleColor"},
    {&TSettings::TableBackColor, u"TableBackColor"},
    {&TSettings::TableHighlightColor, u"TableHighlightColor"},
    {&TSettings::TableTextColor, u"TableTextColor"},
}};

} // namespace

std::optional<quint32> ParseColourNumber(QStringView text) {
    const QStringView trimmed = text.trimmed();
    const std::optional<qint64> value =
        trimmed.startsWith(u'$') ? ParseHex(trimmed.mid(1)) : ParseInteger(trimmed);
    if (!value || *value < 0 || *value > 0xFFFFFF)
        return std::nullopt;
    return static_cast<quint32>(*value);
}

QString ColourNumberText(quint32 value) {
    return u"$"_s + u"%1"_s.arg(value, 8, 16, QChar(u'0')).toUpper();
}

void TSettings::Load(const TIniFile& ini) {
    BaudRate = ini.ReadString(kSettings, u"BaudRate"_s, BaudRate);
    ComPort = ini.ReadString(kSettings, u"ComPort"_s, ComPort);
    Hints = ini.ReadString(kSettings, u"Hints"_s, Hints);
    CT5000 = ini.ReadBool(kSettings, u"CT5000"_s, CT5000);
    DS8000 = ini.ReadBool(kSettings, u"DS8000"_s, DS8000);
    SDUPassThru = ini.ReadBool(kSettings, u"SDUPassThru"_s, SDUPassThru);
    BankSwitchDisabled = ini.ReadBool(kNetwork, u"BankSwitchDisabled"_s, BankSwitchDisabled);
    Status = ini.ReadInteger(kNetwork, u"Status"_s, Status);
    if (Status < 0 || Status > 2)
        Status = 0;
    RemoteHost = ini.ReadString(kNetwork, u"RemoteHost"_s, RemoteHost);
    LogErrors = ini.ReadBool(kNetwork, u"LogErrors"_s, LogErrors);
    ListenAddress = ini.ReadString(kNetwork, u"ListenAddress"_s, ListenAddress);
    AllowedClients = ini.ReadString(kNetwork, u"AllowedClients"_s, AllowedClients);
    RigctlEnabled = ini.ReadBool(kRigctl, u"Enabled"_s, RigctlEnabled);
    RigctlPort = ini.ReadInteger(kRigctl, u"Port"_s, RigctlPort);
    RigctlListenAddress = ini.ReadString(kRigctl, u"ListenAddress"_s, RigctlListenAddress);
    RigctlAllowedClients = ini.ReadString(kRigctl, u"AllowedClients"_s, RigctlAllowedClients);
    Graticules = ini.ReadBool(kSettings, u"Graticules"_s, Graticules);
    SignalGraphData = ini.ReadBool(kSettings, u"SignalGraphData"_s, SignalGraphData);
    AvgMeter = ini.ReadBool(kSettings, u"AvgMeter"_s, AvgMeter);
    WavFiles16Bit = ini.ReadBool(kSettings, u"WavFiles16Bit"_s, WavFiles16Bit);
    UseMCI = ini.ReadBool(kSettings, u"UseMCI"_s, UseMCI);
    ClockLeft = ini.ReadInteger(kClock, u"ClockLeft"_s, ClockLeft);
    ClockTop = ini.ReadInteger(kClock, u"ClockTop"_s, ClockTop);
    ClockUTC = ini.ReadBool(kClock, u"ClockUTC"_s, ClockUTC);
    ClockShowSeconds = ini.ReadBool(kClock, u"ClockShowSeconds"_s, ClockShowSeconds);
    PadFString = ini.ReadBool(kSettings, u"PadFString"_s, PadFString);
    FirmwareID = ini.ReadInteger(kSettings, u"FirmwareId"_s, FirmwareID);
    AlwaysOnTop = ini.ReadBool(kSettings, u"AlwaysOnTop"_s, AlwaysOnTop);
    ServerPort = ini.ReadInteger(kSettings, u"ServerPort"_s, ServerPort);
    ClientPort = ini.ReadInteger(kSettings, u"ClientPort"_s, ClientPort);
    // A port number outside the TCP range would be silently truncated by the socket.
    const TSettings defaults;
    for (int TSettings::*port :
         {&TSettings::ServerPort, &TSettings::ClientPort, &TSettings::RigctlPort}) {
        if (this->*port < 0 || this->*port > 65535)
            this->*port = defaults.*port;
    }
    AutoConnect = ini.ReadBool(kSettings, u"AutoConnect"_s, AutoConnect);
    SaveRestoreMainFormPosition =
        ini.ReadBool(kSettings, u"SaveRestoreMainFormPosition"_s, SaveRestoreMainFormPosition);
    SearchScanWavFilesByFreq =
        ini.ReadBool(kSettings, u"SearchScanWavFilesByFreq"_s, SearchScanWavFilesByFreq);
    TableTitleColor = ini.ReadString(kColors, u"TableTitleColor"_s, TableTitleColor);
    TableBackColor = ini.ReadString(kColors, u"TableBackColor"_s, TableBackColor);
    TableHighlightColor = ini.ReadString(kColors, u"TableHighlightColor"_s, TableHighlightColor);
    TableTextColor = ini.ReadString(kColors, u"TableTextColor"_s, TableTextColor);
}

bool TSettings::SaveAtExit(TIniFile& ini) const {
    return ini.WriteBool(kSettings, u"SDUPassThru"_s, SDUPassThru) &&
           ini.WriteBool(kSettings, u"Graticules"_s, Graticules) &&
           ini.WriteBool(kSettings, u"SignalGraphData"_s, SignalGraphData) &&
           ini.WriteBool(kSettings, u"AvgMeter"_s, AvgMeter) &&
           ini.WriteInteger(kClock, u"ClockLeft"_s, ClockLeft) &&
           ini.WriteInteger(kClock, u"ClockTop"_s, ClockTop) &&
           ini.WriteBool(kClock, u"ClockUTC"_s, ClockUTC) &&
           ini.WriteBool(kClock, u"ClockShowSeconds"_s, ClockShowSeconds) &&
           ini.WriteBool(kSettings, u"PadFString"_s, PadFString) &&
           ini.WriteBool(kSettings, u"AlwaysOnTop"_s, AlwaysOnTop) &&
           ini.WriteBool(kSettings, u"AutoConnect"_s, AutoConnect) &&
           ini.WriteBool(kSettings, u"SaveRestoreMainFormPosition"_s,
                         SaveRestoreMainFormPosition) &&
           ini.WriteInteger(kSettings, u"ServerPort"_s, ServerPort) &&
           ini.WriteInteger(kSettings, u"ClientPort"_s, ClientPort);
}

bool TSettings::SaveCommsDialog(TIniFile& ini) const {
    return ini.WriteString(kSettings, u"BaudRate"_s, BaudRate) &&
           ini.WriteString(kSettings, u"ComPort"_s, ComPort) &&
           ini.WriteBool(kSettings, u"CT5000"_s, CT5000) &&
           ini.WriteBool(kSettings, u"DS8000"_s, DS8000) &&
           ini.WriteBool(kNetwork, u"BankSwitchDisabled"_s, BankSwitchDisabled) &&
           ini.WriteInteger(kNetwork, u"Status"_s, Status) &&
           ini.WriteString(kNetwork, u"RemoteHost"_s, RemoteHost) &&
           ini.WriteBool(kNetwork, u"LogErrors"_s, LogErrors) &&
           ini.WriteString(kNetwork, u"ListenAddress"_s, ListenAddress) &&
           ini.WriteString(kNetwork, u"AllowedClients"_s, AllowedClients) &&
           ini.WriteBool(kRigctl, u"Enabled"_s, RigctlEnabled) &&
           ini.WriteInteger(kRigctl, u"Port"_s, RigctlPort) &&
           ini.WriteString(kRigctl, u"ListenAddress"_s, RigctlListenAddress) &&
           ini.WriteString(kRigctl, u"AllowedClients"_s, RigctlAllowedClients) &&
           ini.WriteBool(kSettings, u"WavFiles16Bit"_s, WavFiles16Bit) &&
           ini.WriteBool(kSettings, u"PadFString"_s, PadFString) &&
           ini.WriteInteger(kSettings, u"FirmwareID"_s, FirmwareID) &&
           ini.WriteBool(kSettings, u"AlwaysOnTop"_s, AlwaysOnTop) &&
           ini.WriteInteger(kSettings, u"ServerPort"_s, ServerPort) &&
           ini.WriteInteger(kSettings, u"ClientPort"_s, ClientPort) &&
           ini.WriteBool(kSettings, u"AutoConnect"_s, AutoConnect) &&
           ini.WriteBool(kSettings, u"SaveRestoreMainFormPosition"_s, SaveRestoreMainFormPosition);
}

QStringList TSettings::MendColours() {
    const TSettings defaults;
    QStringList messages;
    for (const TColourKey& colour : kColourKeys) {
        QString& value = this->*colour.Value;
        if (ParseColourNumber(value))
            continue;
        messages << u"[%1] %2: \"%3\" is not a colour number; %4 is used instead."_s.arg(
            kColors, QString::fromUtf16(colour.Key), value, defaults.*colour.Value);
        value = defaults.*colour.Value;
    }
    return messages;
}

bool TSettings::SaveColours(TIniFile& ini) const {
    for (const TColourKey& colour : kColourKeys) {
        if (!ini.WriteString(kColors, QString::fromUtf16(colour.Key), this->*colour.Value))
            return false;
    }
    return true;
}

int TSettings::BaudRateValue() const {
    for (const int rate : {4800, 9600, 19200}) {
        if (BaudRate == QString::number(rate))
            return rate;
    }
    return 0;
}

int TSettings::ComPortNumber() const {
    for (int port = 1; port <= 14; ++port) {
        if (ComPort == ComPortText(port))
            return port;
    }
    return 0;
}

QString TSettings::ComPortText(int port) {
    return u"Com %1"_s.arg(port);
}

QString TSettings::ComPortDevice() const {
    return ComPort.contains(u'/') || ComPort.startsWith(u"\\\\"_s) ? ComPort : QString();
}
