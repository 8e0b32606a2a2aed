#include "TnvCallParameters.h"

#include "TnvLineContext.h"
#include "TnvLineView.h"

#include <TapiConstants.h>
#include <TnvConstantTexts.h>
#include <TnvLog.h>
#include <TnvVantage.h>

TnvCallParameters::TnvCallParameters(TnvLineContext* line, QObject* parent)
    : QObject(parent)
    , m_line(line)
{
    setObjectName(QStringLiteral("Parameters"));
}

void TnvCallParameters::changed()
{
    if (TnvLineView* view = m_line->view())
        view->RefreshParameters();
}

void TnvCallParameters::setAddressID(qint32 value) { m_addressID = value; changed(); }
void TnvCallParameters::setBearerMode(quint32 value) { m_bearerMode = value; changed(); }
void TnvCallParameters::setDefaults(bool value) { m_defaults = value; changed(); }
void TnvCallParameters::setFlags(quint32 value) { m_flags = value; changed(); }
void TnvCallParameters::setMediaMode(quint32 value) { m_mediaMode = value; changed(); }
void TnvCallParameters::setNoAnswerTimeout(qint32 value) { m_noAnswerTimeout = value; changed(); }

void TnvCallParameters::assign(const TnvCallParameters& other)
{
    m_addressID = other.m_addressID;
    m_bearerMode = other.m_bearerMode;
    m_defaults = other.m_defaults;
    m_flags = other.m_flags;
    m_mediaMode = other.m_mediaMode;
    m_noAnswerTimeout = other.m_noAnswerTimeout;
}

const LINECALLPARAMS* TnvCallParameters::block()
{
    if (m_defaults)
        return nullptr;
    m_block = LINECALLPARAMS{};
    m_block.dwTotalSize = sizeof(LINECALLPARAMS);
    m_block.dwAddressID = DWORD(m_addressID);
    m_block.dwBearerMode = m_bearerMode;
    m_block.dwCallParamFlags = m_flags;
    m_block.dwMediaMode = m_mediaMode;
    m_block.dwNoAnswerTimeout = DWORD(m_noAnswerTimeout);
    return &m_block;
}

bool TnvCallParameters::LogProperties(const QString& header, const QString& prefix, const QString& indent)
{
    TnvLog* log = m_line->Log();
    const std::optional<QString> opened = log->propertyPath(header, prefix, indent, u"Paramaters");
    if (!opened)
        return false;
    const QString& path = *opened;
    TnvVantage* vantage = m_line->Vantage();
    log->Add(false, path + QStringLiteral("AddressID = ") + QString::number(m_addressID));
    vantage->LogFlags(path + QStringLiteral("BearerMode"), m_bearerMode, BearerModeText, LINEBEARERMODE_RESTRICTEDDATA,
                      LINEBEARERMODE_VOICE);
    log->Add(false, path + QStringLiteral("Defaults = ") + TnvVantage::BoolText(m_defaults));
    vantage->LogFlags(path + QStringLiteral("Flags"), m_flags, CallParamFlagsText, LINECALLPARAMFLAGS_ONESTEPTRANSFER,
                      LINECALLPARAMFLAGS_SECURE);
    vantage->LogFlags(path + QStringLiteral("MediaMode"), m_mediaMode, MediaModeText, LINEMEDIAMODE_VIDEO,
                      LINEMEDIAMODE_UNKNOWN);
    log->Add(false, path + QStringLiteral("NoAnswerTimeout = ") + QString::number(m_noAnswerTimeout));
    return true;
}
