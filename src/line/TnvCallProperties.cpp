// The call object's setters with effects, and its property dump.

#include "TnvCall.h"

#include "TnvCallParameters.h"
#include "TnvLineDevice.h"
#include "TnvCallActions.h"
#include "TnvCallRecords.h"
#include "TnvLineContext.h"
#include "TnvLineLine.h"
#include "TnvLineView.h"
#include "TnvTapiBuffer.h"

#include <TapiApi.h>
#include <TapiConstants.h>
#include <TnvConstantTexts.h>
#include <TnvError.h>
#include <TnvLog.h>
#include <TnvNotation.h>
#include <TnvTAPI.h>
#include <TnvVantage.h>

#include <QLocale>

namespace {

QString timeText(const QDateTime& time)
{
    if (time.isNull())
        return QStringLiteral("<unavailable>");
    const QLocale locale = QLocale::system();
    return locale.toString(time.date(), QLocale::ShortFormat) + QLatin1Char(' ')
           + locale.toString(time.time(), QLocale::LongFormat);
}

} // namespace

void TnvCall::setActive(bool value)
{
    if (value == m_active || !m_line->Device()->Active())
        return;
    if (value)
        Dial();
    else
        Hangup();
}

void TnvCall::setMediaMode(DWORD value)
{
    LONG result = 0;
    if (m_handle != 0) {
        m_line->write(true, QStringLiteral("Call.MediaMode := ") + hex(value) + QStringLiteral(" [") + hex(m_handle)
                                + QLatin1Char(']'));
        for (DWORD bit = LINEMEDIAMODE_UNKNOWN; bit <= LINEMEDIAMODE_VOICEVIEW; bit <<= 1)
            if (value & bit)
                m_line->write(false, QLatin1Char('\t') + MediaModeText(bit));
        result = lineSetMediaMode(m_handle, value);
    }
    if (result < 0) {
        m_line->ReportResult(false, result);
    } else {
        m_mediaMode = value;
        m_line->Error()->Clear();
    }
    refreshViews();
}

void TnvCall::setOwner(bool value)
{
    m_line->Error()->Clear();
    m_line->write(true, QStringLiteral("Call.Owner := ") + TnvVantage::BoolText(value));
    if (!m_line->Device()->Active()) {
        m_line->ReportResult(false, qint32(LINEERR_INVALLINESTATE));
        return;
    }
    if (m_handle == 0) {
        m_line->ReportResult(false, qint32(LINEERR_INVALCALLSTATE));
        return;
    }
    if (value == m_owner)
        return;
    const LONG result = lineSetCallPrivilege(m_handle, value ? LINECALLPRIVILEGE_OWNER : LINECALLPRIVILEGE_MONITOR);
    if (result != 0)
        m_line->ReportResult(false, result);
    else
        m_owner = value;
    m_line->RefreshCallInfo(m_handle, 0);
    RefreshCallStatus(false);
    SaveCallState(m_handle);
    refreshViews();
}

void TnvCall::setPhoneNumber(const QString& value)
{
    TnvCallActions& actions = m_line->actions();
    if (const std::optional<QString> number = actions.numberToStore(value)) {
        m_phoneNumber = *number;
        // A translated number also becomes the current call's.
        if (actions.translatesNumbers())
            m_line->records().current().phoneNumber = m_phoneNumber;
    }
    if (TnvLineView* view = m_line->view())
        view->RefreshCallControl();
}

bool TnvCall::LogProperties(const QString& header, const QString& prefix, const QString& indent)
{
    TnvLog* log = m_line->Log();
    const std::optional<QString> opened = log->propertyPath(header, prefix, indent, u"Call");
    if (!opened)
        return false;
    const QString& path = *opened;
    TnvVantage* vantage = m_line->Vantage();
    const auto line = [&](const char* name, const QString& value) {
        log->Add(false, path + QLatin1String(name) + QStringLiteral(" = ") + value);
    };
    const auto flags = [&](const char* name, quint32 value, TnvTextFn text, quint32 last, quint32 first) {
        vantage->LogFlags(path + QLatin1String(name), value, text, last, first);
    };
    const auto quoted = [](const QString& text) -> QString { return QLatin1Char('\'') + text + QLatin1Char('\''); };

    line("Active", TnvVantage::BoolText(m_active));
    line("Address", QString::number(m_address));
    flags("BearerMode", m_bearerMode, BearerModeText, LINEBEARERMODE_RESTRICTEDDATA, LINEBEARERMODE_VOICE);
    line("Began", timeText(m_began));
    flags("BusyMode", m_busyMode, BusyModeText, LINEBUSYMODE_UNAVAIL, LINEBUSYMODE_STATION);
    line("Connected", timeText(m_connected));
    line("Count", QString::number(Count()));
    flags("DialtoneMode", m_dialtoneMode, DialToneModeText, LINEDIALTONEMODE_UNAVAIL, LINEDIALTONEMODE_NORMAL);
    line("Disconnected", timeText(m_disconnected));
    flags("DisconnectMode", m_disconnectMode, DisconnectModeText, LINEDISCONNECTMODE_CANCELLED,
          LINEDISCONNECTMODE_NORMAL);
    line("Ended", timeText(m_ended));
    flags("Features", m_features, CallFeatureText, LINECALLFEATURE_SETQOS, LINECALLFEATURE_ACCEPT);
    flags("Features2", m_features2, CallFeature2Text, LINECALLFEATURE2_PARKNONDIRECT,
          LINECALLFEATURE2_NOHOLDCONFERENCE);
    line("Handle", TnvVantage::HexText(m_handle));
    line("ID", TnvVantage::HexText(m_id));
    log->Add(false, path + QStringLiteral("List"));
    const QStringList& list = List();
    for (int position = 0; position <= Count() && position < list.size(); ++position)
        log->Add(false, QStringLiteral("\t\t") + list.at(position));
    flags("MediaMode", m_mediaMode, MediaModeText, LINEMEDIAMODE_VIDEO, LINEMEDIAMODE_UNKNOWN);
    line("Monitors", QString::number(m_monitors));
    flags("Origin", m_origin, CallOriginText, LINECALLORIGIN_INBOUND, LINECALLORIGIN_OUTBOUND);
    line("OriginatingApp", quoted(m_originatingApp));
    line("Owner", TnvVantage::BoolText(m_owner));
    line("Owners", QString::number(m_owners));
    line("PhoneNumber", quoted(m_phoneNumber));
    flags("Reason", m_reason, CallReasonText, LINECALLREASON_ROUTEREQUEST, LINECALLREASON_DIRECT);
    flags("SpecialInfo", m_specialInfo, SpecialInfoText, LINESPECIALINFO_UNAVAIL, LINESPECIALINFO_NOCIRCUIT);
    flags("State", m_state, CallStateText, LINECALLSTATE_UNKNOWN, LINECALLSTATE_IDLE);
    line("StateMode", TnvVantage::HexText(m_stateMode));
    TnvNotation::forEachFlag(m_stateMode, 1, 0x80000000u, [&](quint32 bit) {
        log->Add(false, QStringLiteral("\t\t") + CallStateModeText(m_state, bit));
    });
    line("Tag", QString::number(m_tag));
    return true;
}
