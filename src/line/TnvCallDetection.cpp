#include "TnvCallDetection.h"

#include "TnvCallRecords.h"
#include "TnvLineContext.h"

#include <TapiConstants.h>
#include <TnvError.h>
#include <TnvVantage.h>

TnvCallDetection::TnvCallDetection(TnvLineContext* line, const QString& name, QObject* parent)
    : QObject(parent)
    , m_line(line)
{
    setObjectName(name);
}

TnvCallRecord& TnvCallDetection::record() const
{
    if (m_line->callHandle() != 0)
        if (TnvCallRecord* selected = m_line->records().find(m_line->callHandle()))
            return *selected;
    return m_line->records().current();
}

TnvCallRecord* TnvCallDetection::recordOf(HCALL handle) const
{
    return handle ? m_line->records().find(handle) : &m_line->records().current();
}

bool TnvCallDetection::switchActive(bool value, bool& active, bool TnvCallRecord::*copy, bool keepOnFailure,
                                    const std::function<LONG(HCALL, TnvCallRecord&)>& apply)
{
    const HCALL handle = m_line->callHandle();
    if (handle == 0) {
        active = value;
        record().*copy = value;
        clearError();
        return true;
    }
    writeMethod(methodName("Active") + QStringLiteral(" := ") + TnvVantage::BoolText(value));
    LONG result = 0;
    if (m_line->callActive())
        result = apply(handle, record());
    if (result < 0) {
        if (!keepOnFailure) {
            active = false;
            if (TnvCallRecord* r = recordOf(handle))
                r->*copy = false;
        }
        report(result);
        return false;
    }
    active = value;
    clearError();
    if (TnvCallRecord* r = recordOf(handle))
        r->*copy = value;
    return true;
}

void TnvCallDetection::rearmCall(HCALL handle, bool TnvCallRecord::*clearOnFailure,
                                 const std::function<LONG(TnvCallRecord&)>& start)
{
    if (handle == m_line->callHandle()) {
        setActive(true);
        return;
    }
    TnvCallRecord* r = recordOf(handle);
    if (!r)
        return;
    const LONG result = start(*r);
    if (result < 0) {
        if (clearOnFailure)
            r->*clearOnFailure = false;
        report(result);
    }
}

LONG TnvCallDetection::tryDigitModes(const std::function<LONG(DWORD)>& request)
{
    LONG result = 0;
    for (DWORD modes : {DWORD(LINEDIGITMODE_PULSE | LINEDIGITMODE_DTMF), DWORD(LINEDIGITMODE_DTMF),
                        DWORD(LINEDIGITMODE_PULSE)}) {
        result = request(modes);
        if (result != LONG(LINEERR_INVALDIGITMODE))
            break;
    }
    return result;
}

void TnvCallDetection::writeMethod(const QString& text) const
{
    m_line->write(true, text);
}

void TnvCallDetection::report(LONG code) const
{
    m_line->ReportResult(false, qint32(code));
}

void TnvCallDetection::clearError() const
{
    m_line->Error()->Clear();
}

TnvLineView* TnvCallDetection::view() const
{
    return m_line->view();
}

QString TnvCallDetection::methodName(const char* property) const
{
    return QStringLiteral("Call.") + objectName() + QLatin1Char('.') + QLatin1String(property);
}
