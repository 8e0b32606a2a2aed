#include "TnvTapiBuffer.h"

#include <ServiceControl.h>
#include <TnvConstantTexts.h>

#include <vector>

namespace TnvTapiBuffer {

namespace {

// Enough for the reads that can be under way at once in a handler; larger blocks than
// the first size tried are not kept.
constexpr std::size_t kSpares = 4;
constexpr qsizetype kLargestSpare = 16 * 1024;

std::vector<QByteArray>& spares()
{
    thread_local std::vector<QByteArray> blocks;
    return blocks;
}

} // namespace

Block::Block()
{
    std::vector<QByteArray>& pool = spares();
    if (!pool.empty()) {
        m_bytes = std::move(pool.back());
        pool.pop_back();
    }
}

Block::~Block()
{
    std::vector<QByteArray>& pool = spares();
    if (m_bytes.isDetached() && m_bytes.capacity() <= kLargestSpare && pool.size() < kSpares)
        pool.push_back(std::move(m_bytes));
}

quint64 Remembered::currentStamp()
{
    return Telephony::serviceStamp();
}

void Remembered::remember(const QByteArray& bytes)
{
    // Copied into the kept block's own storage where nobody else holds it, so the read's
    // block goes back to the spares and nothing is allocated.
    if (m_block.isDetached() && m_block.capacity() >= bytes.size()) {
        m_block.resize(bytes.size());
        std::memcpy(m_block.data(), bytes.constData(), size_t(bytes.size()));
    } else {
        m_block = QByteArray(bytes.constData(), bytes.size());
    }
}

QByteArray part(const QByteArray& block, DWORD size, DWORD offset)
{
    if (size == 0 || quint64(offset) + size > quint64(block.size()))
        return {};
    return block.mid(qsizetype(offset), qsizetype(size));
}

QString text(const QByteArray& block, DWORD size, DWORD offset)
{
    // Read in place: the same bounds as part(), without its copy.
    if (size == 0 || quint64(offset) + size > quint64(block.size()))
        return TrimmedText(nullptr, 0);
    return TrimmedText(block.constData() + offset, qint64(size));
}

} // namespace TnvTapiBuffer
