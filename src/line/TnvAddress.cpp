#include "TnvAddress.h"

#include "TnvAddressCaps.h"
#include "TnvAddressForward.h"
#include "TnvLineDevice.h"
#include "TnvLineDeviceCaps.h"
#include "TnvLineContext.h"
#include "TnvLineLine.h"
#include "TnvLineView.h"
#include "TnvTapiBuffer.h"

#include <TapiApi.h>
#include <TnvError.h>
#include <TnvLog.h>
#include <TnvVantage.h>

#include <climits>
#include <cstring>

TnvAddress::TnvAddress(TnvLineContext* line, QObject* parent)
    : QObject(parent)
    , m_line(line)
    , m_capabilities(new TnvAddressCaps(line, this))
    , m_forward(new TnvAddressForward(line, this))
{
    setObjectName(QStringLiteral("Address"));
}

void TnvAddress::setID(int n)
{
    m_line->Log()->Add(true, QStringLiteral("Address.ID := %1").arg(n));
    m_line->Log()->Add(false, QStringLiteral("\tAddress.Count = %1").arg(m_count));
    m_line->Error()->Clear();
    if (m_count < 0 || n < 0 || n >= m_count) {
        // A device without addresses still has "address 0" selected.
        if (m_count != 0 || n != 0)
            m_line->ReportResult(false, qint32(LINEERR_INVALADDRESSID));
        return;
    }
    if (m_line->Initialised()) {
        QByteArray block;
        const LONG result = m_line->ReadAddressCaps(DWORD(n), block);
        if (result != 0) {
            m_line->ReportResult(false, result);
        } else if (m_capabilities->store(block)) {
            m_id = n;
            const LINEADDRESSCAPS& caps = TnvTapiBuffer::fields<LINEADDRESSCAPS>(block);
            m_name = TnvTapiBuffer::text(block, caps.dwAddressSize, caps.dwAddressOffset);
            if (m_name.isEmpty())
                m_name = QStringLiteral("Address.ID = %1 <Name not available>").arg(n);
            m_line->Log()->Add(false, QStringLiteral("\tAddress.Name = '") + m_name + QLatin1Char('\''));
        }
    }
    if (TnvLineView* v = m_line->view())
        v->RefreshAddress();
    TnvLineDevice* device = m_line->Device();
    if (device->Active())
        lineSetStatusMessages(m_line->Line()->Handle(), device->Capabilities()->States(), m_capabilities->States());
}

void TnvAddress::storeStatus(const QByteArray& addressStatusBlock)
{
    const QByteArray& block = addressStatusBlock;
    if (block.size() < qsizetype(sizeof(LINEADDRESSSTATUS)))
        return;
    const LINEADDRESSSTATUS& status = TnvTapiBuffer::fields<LINEADDRESSSTATUS>(block);
    m_numInUse = status.dwNumInUse;
    m_numActiveCalls = status.dwNumActiveCalls;
    m_numOnHoldCalls = status.dwNumOnHoldCalls;
    m_numOnHoldPendCalls = status.dwNumOnHoldPendCalls;
    m_features = status.dwAddressFeatures;
    m_numRingsNoAnswer = status.dwNumRingsNoAnswer;

    qint32 entries = qint32(qMin<quint32>(status.dwForwardNumEntries, INT_MAX));
    bool active = false;
    quint32 mode = 0;
    QString caller;
    QString destination;
    if (status.dwForwardSize > 0 && status.dwForwardNumEntries > 0) {
        // Only the first entry is shown; its texts are placed relative to the status block.
        active = true;
        entries = 1;
        const QByteArray bytes = TnvTapiBuffer::part(block, sizeof(LINEFORWARD), status.dwForwardOffset);
        if (bytes.size() == qsizetype(sizeof(LINEFORWARD))) {
            LINEFORWARD entry{};
            std::memcpy(&entry, bytes.constData(), sizeof entry);
            mode = entry.dwForwardMode;
            caller = TnvTapiBuffer::text(block, entry.dwCallerAddressSize, entry.dwCallerAddressOffset);
            destination = TnvTapiBuffer::text(block, entry.dwDestAddressSize, entry.dwDestAddressOffset);
        }
    }
    m_forward->storeStatus(active, mode, caller, destination, entries);
    if (TnvLineView* v = m_line->view())
        v->RefreshAddress();
}

void TnvAddress::clear()
{
    m_name.clear();
    m_list.clear();
    m_count = 0;
    m_id = 0;
    m_capabilities->clear();
    m_numInUse = 0;
    m_numActiveCalls = 0;
    m_numOnHoldCalls = 0;
    m_numOnHoldPendCalls = 0;
    m_features = 0;
    m_numRingsNoAnswer = 0;
    m_forward->clearStatus();
}

bool TnvAddress::LogProperties(const QString& header, const QString& prefix, const QString& indent)
{
    TnvLog* log = m_line->Log();
    const std::optional<QString> opened = log->propertyPath(header, prefix, indent, u"Address");
    if (!opened)
        return false;
    const QString& path = *opened;
    const auto number = [&](const char* name, qint64 value) {
        log->Add(false, path + QLatin1String(name) + QStringLiteral(" = ") + QString::number(value));
    };
    number("ID", m_id);
    log->Add(false, path + QStringLiteral("List"));
    for (const QString& entry : m_list)
        log->Add(false, QLatin1Char('\t') + indent + entry);
    log->Add(false, path + QStringLiteral("Name = ") + m_name);
    number("NumActiveCalls", m_numActiveCalls);
    number("NumInUse", m_numInUse);
    number("NumOnHoldCalls", m_numOnHoldCalls);
    number("NumOnHoldPendCalls", m_numOnHoldPendCalls);
    number("NumRingsNoAnswer", m_numRingsNoAnswer);
    return true;
}
