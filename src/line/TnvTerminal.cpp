#include "TnvTerminal.h"

#include "TnvLineDevice.h"
#include "TnvLineContext.h"
#include "TnvLineLine.h"
#include "TnvLineView.h"
#include "TnvTapiBuffer.h"

#include <TapiApi.h>
#include <TnvConstantTexts.h>
#include <TnvError.h>
#include <TnvLog.h>
#include <TnvVantage.h>

#include <cstring>

namespace {

// The terminal modes a line can switch, one bit each.
constexpr quint32 kModeBits = 0xFF;

// A variable part's offset plus an entry's distance into it, when it still is an offset.
bool entryOffset(DWORD base, quint64 distance, DWORD* offset)
{
    const quint64 total = quint64(base) + distance;
    if (total > 0xFFFFFFFFull)
        return false;
    *offset = DWORD(total);
    return true;
}

} // namespace

TnvTerminal::TnvTerminal(TnvLineContext* line, QObject* parent)
    : QObject(parent)
    , m_line(line)
{
    setObjectName(QStringLiteral("Terminal"));
}

bool TnvTerminal::storeTermCaps(const QByteArray& block, quint32 n)
{
    const LINEDEVCAPS& caps = TnvTapiBuffer::fields<LINEDEVCAPS>(block);
    DWORD offset = 0;
    if (!entryOffset(caps.dwTerminalCapsOffset, quint64(n) * sizeof(LINETERMCAPS), &offset))
        return false;
    const QByteArray bytes = TnvTapiBuffer::part(block, sizeof(LINETERMCAPS), offset);
    if (bytes.size() != qsizetype(sizeof(LINETERMCAPS)))
        return false;
    LINETERMCAPS term{};
    std::memcpy(&term, bytes.constData(), sizeof term);
    m_device = term.dwTermDev;
    m_availableModes = term.dwTermModes;
    m_sharing = term.dwTermSharing;
    return true;
}

void TnvTerminal::storeFromDevCaps(const QByteArray& devCapsBlock)
{
    const QByteArray& block = devCapsBlock;
    if (block.size() < qsizetype(sizeof(LINEDEVCAPS)))
        return;
    const LINEDEVCAPS& caps = TnvTapiBuffer::fields<LINEDEVCAPS>(block);
    m_name.clear();
    m_list.clear();
    m_id = 0;
    m_device = 0;
    m_availableModes = 0;
    m_activeModes = 0;
    m_sharing = 0;
    const quint32 count = qMin<quint32>(caps.dwNumTerminals, MaxTerminals);
    m_count = qint32(count);
    m_available = count > 0;
    if (count == 0)
        return;
    const DWORD entrySize = caps.dwTerminalTextEntrySize;
    for (quint32 i = 0; i < count; ++i) {
        if (caps.dwTerminalTextSize == 0) {
            m_list << QStringLiteral("Terminal.ID = %1 <Name not available>").arg(i);
            continue;
        }
        DWORD offset = 0;
        m_list << (entryOffset(caps.dwTerminalTextOffset, quint64(i) * entrySize, &offset)
                       ? TnvTapiBuffer::text(block, entrySize, offset)
                       : QString());
    }
    m_name = m_list.constFirst();
    storeTermCaps(block, 0);
}

void TnvTerminal::storeActiveModes(const QByteArray& lineDevStatusBlock)
{
    const QByteArray& block = lineDevStatusBlock;
    if (block.size() < qsizetype(sizeof(LINEDEVSTATUS)))
        return;
    const LINEDEVSTATUS& status = TnvTapiBuffer::fields<LINEDEVSTATUS>(block);
    m_activeModes = 0;
    if (status.dwTerminalModesSize == 0 || m_id < 0)
        return;
    // One 32-bit entry per terminal; only an entry inside the list counts.
    const quint64 distance = quint64(m_id) * sizeof(DWORD);
    DWORD offset = 0;
    if (distance + sizeof(DWORD) > status.dwTerminalModesSize
        || !entryOffset(status.dwTerminalModesOffset, distance, &offset))
        return;
    const QByteArray bytes = TnvTapiBuffer::part(block, sizeof(DWORD), offset);
    if (bytes.size() != qsizetype(sizeof(DWORD)))
        return;
    DWORD modes = 0;
    std::memcpy(&modes, bytes.constData(), sizeof modes);
    m_activeModes = m_availableModes & (modes & kModeBits);
}

void TnvTerminal::clear()
{
    m_requestSlot = 0;
    m_id = 0;
    m_name.clear();
    m_list.clear();
    m_count = 0;
    m_device = 0;
    m_availableModes = 0;
    m_activeModes = 0;
    m_sharing = 0;
    m_available = false;
}

void TnvTerminal::setID(int n)
{
    // Reselecting the same terminal is only worth a read while the line is closed.
    if (m_line->Device()->Active() && n == m_id)
        return;
    m_line->Log()->Add(true, QStringLiteral("Terminal.ID := %1").arg(n));
    m_line->Log()->Add(false, QStringLiteral("\tTerminal.Count = %1").arg(m_count));
    m_line->Error()->Clear();
    // As with addresses, a device without terminals has terminal 0 to nothing's harm:
    // re-applying it when such a line opens is no error.
    if (m_count == 0 && n == 0)
        return;
    if (n < 0 || n >= m_count) {
        m_line->ReportResult(false, qint32(LINEERR_INVALTERMINALID));
        return;
    }
    if (!m_line->Initialised())
        return;
    QByteArray block;
    const LONG result = m_line->ReadDevCaps(DWORD(m_line->Device()->ID()), block);
    if (result != 0) {
        m_line->ReportResult(false, result);
    } else {
        storeFromDevCaps(block);
        // The device may report fewer terminals now than when n was checked.
        if (n >= m_count) {
            m_line->ReportResult(false, qint32(LINEERR_INVALTERMINALID));
        } else {
            m_id = n;
            m_name = m_list.at(n);
            storeTermCaps(block, quint32(n));
            m_line->Log()->Add(false, QStringLiteral("\tTerminal.Name = '") + m_name + QLatin1Char('\''));
        }
    }
    if (TnvLineView* v = m_line->view())
        v->RefreshTerminal();
}

LONG TnvTerminal::setTerminal(quint32 modes, bool enable)
{
    LONG result = lineSetTerminal(m_line->Line()->Handle(), 0, 0, LINECALLSELECT_LINE, modes, DWORD(m_id),
                                  enable ? 1 : 0);
    m_requestSlot = result;
    if (result > 0 && m_line->WaitForReply(m_requestSlot))
        result = TnvLineContext::ReplyTimeoutCode;
    m_requestSlot = 0;
    return result;
}

void TnvTerminal::setActiveModes(quint32 modes)
{
    m_line->Log()->Add(true, QStringLiteral("Terminal.ActiveModes := ") + TnvVantage::HexText(modes));
    m_line->Error()->Clear();
    modes &= m_availableModes;
    LONG result = 0;
    if (modes != 0)
        result = setTerminal(modes, true);
    if (result >= 0 && m_line->Error()->Number() == 0) {
        const quint32 off = m_availableModes & ~modes & kModeBits;
        if (off != 0)
            result = setTerminal(off, false);
    }
    if (result < 0)
        m_line->ReportResult(false, result);
    if (TnvLineView* v = m_line->view())
        v->RefreshTerminal();
}

bool TnvTerminal::LogProperties(const QString& header, const QString& prefix, const QString& indent)
{
    TnvLog* log = m_line->Log();
    const std::optional<QString> opened = log->propertyPath(header, prefix, indent, u"Terminal");
    if (!opened)
        return false;
    const QString& path = *opened;
    TnvVantage* vantage = m_line->Vantage();
    // The trace writes these three names with a blank before " = ".
    vantage->LogFlags(path + QStringLiteral("ActiveModes "), m_activeModes, TermModeText, LINETERMMODE_MEDIABIDIRECT,
                      LINETERMMODE_BUTTONS);
    vantage->LogFlags(path + QStringLiteral("AvailableModes "), m_availableModes, TermModeText,
                      LINETERMMODE_MEDIABIDIRECT, LINETERMMODE_BUTTONS);
    log->Add(false, path + QStringLiteral("Count = ") + QString::number(m_count));
    log->Add(false, path + QStringLiteral("Device = ") + QString::number(m_device));
    log->Add(false, path + QStringLiteral("ID = ") + QString::number(m_id));
    log->Add(false, path + QStringLiteral("List"));
    for (const QString& entry : m_list)
        log->Add(false, QLatin1Char('\t') + indent + entry);
    log->Add(false, path + QStringLiteral("Name = '") + m_name + QLatin1Char('\''));
    vantage->LogFlags(path + QStringLiteral("Sharing "), m_sharing, TermSharingText, LINETERMSHARING_SHAREDCONF,
                      LINETERMSHARING_PRIVATE);
    return true;
}
