#include "TnvDialerDescription.h"

#include <TnvLine.h>
#include <TnvPropertyPath.h>

TnvDialerDescription::Settings TnvDialerDescription::settings()
{
    Settings s = {
        {QStringLiteral("Name"), QStringLiteral("nvLine1")},
        {QStringLiteral("Vantage.DevEnv"), QStringLiteral("deDelphi")},
        {QStringLiteral("Vantage.Log.Active"), true},
        {QStringLiteral("Vantage.Log.Count"), 50},
        {QStringLiteral("Vantage.Log.TimeStamp"), false},
        {QStringLiteral("Vantage.StayOnTop"), false},
        {QStringLiteral("Vantage.Visible"), false},
        {QStringLiteral("Enabled"), true},
        {QStringLiteral("Device.IdleDelay"), 0},
        {QStringLiteral("Device.TranslatePhoneNumber"), false},
        {QStringLiteral("Device.UnformatPhoneNumber"), false},
        {QStringLiteral("Privilege.Monitor"), true},
        {QStringLiteral("Privilege.None"), false},
        {QStringLiteral("Privilege.Owner"), true},
        {QStringLiteral("TAPI.LowVersion"), 65539},
        {QStringLiteral("TAPI.HighVersion"), 131074},
        {QStringLiteral("TAPI.ExtensionLowVersion"), 0},
        {QStringLiteral("TAPI.ExtensionHighVersion"), 0},
        {QStringLiteral("TAPI.ReplyTimeout"), 60000},
    };
    // The four parameter blocks share their stored values.
    for (const char* owner : {"Call", "Conference", "Transfer", "Address.Forward"}) {
        const QString base = QLatin1String(owner) + QStringLiteral(".Parameters.");
        s.insert(s.end(), {{base + QStringLiteral("AddressID"), 0},
                           {base + QStringLiteral("BearerMode"), 1},
                           {base + QStringLiteral("Defaults"), true},
                           {base + QStringLiteral("Flags"), 0},
                           {base + QStringLiteral("MediaMode"), 4},
                           {base + QStringLiteral("NoAnswerTimeout"), 0}});
    }
    for (const char* party : {"CalledID", "CallerID", "ConnectedID", "RedirectingID", "RedirectionID"}) {
        const QString base = QStringLiteral("Call.") + QLatin1String(party) + QLatin1Char('.');
        s.insert(s.end(), {{base + QStringLiteral("FormatName"), true},
                           {base + QStringLiteral("MaskNumber"), QStringLiteral("000-000-0000;0;*")},
                           {base + QStringLiteral("EventFilter"), true}});
    }
    s.insert(s.end(), {{QStringLiteral("Call.GatherDigits.Count"), 5},
                       {QStringLiteral("Call.GatherDigits.Terminate"), QStringLiteral("#*")},
                       {QStringLiteral("Call.GatherDigits.Timeout"), 5000},
                       {QStringLiteral("Call.MonitorMediaModes.MediaModes"), 0},
                       {QStringLiteral("Call.MonitorSilence.Duration"), 0},
                       {QStringLiteral("Comm.DeviceClass"), QStringLiteral("comm/datamodem")},
                       {QStringLiteral("Phone.DeviceClass"), QStringLiteral("tapi/phone")},
                       {QStringLiteral("WavePlay.DeviceClass"), QStringLiteral("wave/out")},
                       {QStringLiteral("WaveRecord.DeviceClass"), QStringLiteral("wave/in")}});
    return s;
}

bool TnvDialerDescription::override(Settings& settings, const QString& path, const QVariant& value)
{
    for (auto& [name, stored] : settings) {
        if (name == path) {
            stored = value;
            return true;
        }
    }
    return false;
}

QStringList TnvDialerDescription::load(TnvLine& line, const Settings& settings)
{
    line.BeginLoading();
    const QStringList refused = TnvPropertyPath::apply(&line, settings);
    line.Loaded();
    return refused;
}
