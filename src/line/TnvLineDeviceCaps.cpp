#include "TnvLineDeviceCaps.h"

#include "TnvLineContext.h"
#include "TnvTapiBuffer.h"

#include <TapiConstants.h>
#include <TnvConstantTexts.h>
#include <TnvLog.h>
#include <TnvVantage.h>

TnvLineDeviceCaps::TnvLineDeviceCaps(TnvLineContext* line, QObject* parent)
    : QObject(parent)
    , m_line(line)
{
    setObjectName(QStringLiteral("Capabilities"));
}

bool TnvLineDeviceCaps::store(const QByteArray& devCapsBlock)
{
    if (devCapsBlock.size() < qsizetype(sizeof(LINEDEVCAPS)))
        return false;
    const LINEDEVCAPS& caps = TnvTapiBuffer::fields<LINEDEVCAPS>(devCapsBlock);
    m_bearerModes = caps.dwBearerModes;
    m_tones = caps.dwGenerateToneModes;
    m_ringModes = caps.dwRingModes;
    m_lineFeatures = caps.dwLineFeatures;
    m_flags = caps.dwDevCapFlags;
    m_maxNumActiveCalls = caps.dwMaxNumActiveCalls;
    m_answerMode = caps.dwAnswerMode;
    m_states = caps.dwLineStates;
    // A block that lies outside the structure yields no copy, so the size reads 0.
    m_devSpecific = TnvTapiBuffer::part(devCapsBlock, caps.dwDevSpecificSize, caps.dwDevSpecificOffset);
    if (!m_devSpecific.isEmpty())
        ++m_devSpecificTag;
    return true;
}

void TnvLineDeviceCaps::clear()
{
    m_flags = 0;
    m_maxNumActiveCalls = 0;
    m_answerMode = 0;
    m_states = 0;
    m_lineFeatures = 0;
    m_bearerModes = 0;
    m_ringModes = 0;
    m_tones = 0;
    m_devSpecific.clear();
}

bool TnvLineDeviceCaps::LogProperties(const QString& header, const QString& prefix, const QString& indent)
{
    TnvLog* log = m_line->Log();
    const std::optional<QString> opened = log->propertyPath(header, prefix, indent, u"Capabilities");
    if (!opened)
        return false;
    const QString& path = *opened;
    TnvVantage* vantage = m_line->Vantage();
    vantage->LogFlags(path + QStringLiteral("AnswerMode"), m_answerMode, AnswerModeText, LINEANSWERMODE_HOLD,
                      LINEANSWERMODE_NONE);
    vantage->LogFlags(path + QStringLiteral("BearerModes"), m_bearerModes, BearerModeText,
                      LINEBEARERMODE_RESTRICTEDDATA, LINEBEARERMODE_VOICE);
    vantage->LogFlags(path + QStringLiteral("Flags"), m_flags, DevCapFlagsText, LINEDEVCAPFLAGS_PRIVATEOBJECTS,
                      LINEDEVCAPFLAGS_CROSSADDRCONF);
    vantage->LogFlags(path + QStringLiteral("LineFeatures"), m_lineFeatures, LineFeatureText, LINEFEATURE_FORWARDDND,
                      LINEFEATURE_DEVSPECIFIC);
    log->Add(false, path + QStringLiteral("MaxNumActiveCalls = ") + QString::number(m_maxNumActiveCalls));
    log->Add(false, path + QStringLiteral("RingModes = ") + QString::number(m_ringModes));
    log->Add(false, path + QStringLiteral("DevSpecific = ") + TnvVantage::HexText(devSpecificTag()));
    log->Add(false, path + QStringLiteral("DevSpecificSize = ") + QString::number(DevSpecificSize()));
    vantage->LogFlags(path + QStringLiteral("States"), m_states, LineDevStateText, LINEDEVSTATE_REMOVED,
                      LINEDEVSTATE_OTHER);
    // LINETONEMODE_NONE is 0 and so never a bit of the set.
    vantage->LogFlags(path + QStringLiteral("Tones"), m_tones, ToneModeText, LINETONEMODE_BILLING,
                      LINETONEMODE_CUSTOM);
    return true;
}
