// Movable blocks found through a table by handle. Small blocks live on the C heap; large
// ones are mappings of their own, zero from the start, grown and shrunk without a copy,
// and asked to use huge pages, so filling a sound of many megabytes costs few page
// faults. The last large block freed is kept as a spare for the next one of about its
// size: sounds are loaded, played and freed in turn, and a fresh mapping costs a page
// fault and a cleared page for every page the sound fills. The kernel may take the
// spare's pages back whenever it needs memory, and the spare is unmapped when the event
// loop has run a second without a block taking it.
#include "GlobalMemory.h"

#include <QAbstractEventDispatcher>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <sys/mman.h>
#include <unordered_map>

namespace {

struct Block {
    char* data = nullptr;
    std::size_t size = 0;
    UINT locks = 0;
    // Bytes mapped for a large block, 0 for a heap block.
    std::size_t mapped = 0;
};

constexpr std::size_t kMapFrom = std::size_t(1) << 22;
constexpr std::size_t kPage = 4096;
// The largest spare kept, and how much larger than a request a spare may be.
constexpr std::size_t kSpareLimit = std::size_t(256) << 20;
constexpr std::size_t kSpareSlack = 2;
// How long a spare waits for the next block before its memory goes back.
constexpr int kSpareHoldMs = 1000;

std::size_t pagesFor(std::size_t bytes)
{
    return (bytes + kPage - 1) / kPage * kPage;
}

char* mapZeroed(std::size_t length)
{
    void* data = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (data == MAP_FAILED)
        return nullptr;
    ::madvise(data, length, MADV_HUGEPAGE);
    return static_cast<char*>(data);
}

void release(Block& block)
{
    if (block.mapped)
        ::munmap(block.data, block.mapped);
    else
        std::free(block.data);
}

struct Table {
    std::unordered_map<HGLOBAL, Block> blocks;
    HGLOBAL next = 0x00010000;
    // A freed large block's mapping, ready for reuse; empty when data is null.
    Block spare;
    // Gives the spare back after a quiet second; made on first use, in the thread of
    // the first free, and kept for the process.
    QTimer* spareTimer = nullptr;

    ~Table()
    {
        for (auto& entry : blocks)
            release(entry.second);
        release(spare);
    }
};

Table& table()
{
    static Table instance;
    return instance;
}

// A mapping of length bytes: the spare when it fits, else a fresh one. The spare's
// content is whatever it held, so zeroed tells whether the caller must clear it.
char* takeMapping(Table& t, std::size_t length, bool& zeroed)
{
    Block& spare = t.spare;
    zeroed = true;
    if (spare.data && spare.mapped >= length && spare.mapped / kSpareSlack <= length) {
        char* data = spare.data;
        if (spare.mapped > length)
            ::munmap(data + length, spare.mapped - length);
        spare = Block();
        zeroed = false;
        return data;
    }
    return mapZeroed(length);
}

// Keeps a freed mapping as the spare, or releases it.
void putMapping(Table& t, Block& block)
{
    if (!block.mapped || block.mapped > kSpareLimit) {
        release(block);
        return;
    }
    release(t.spare);
    ::madvise(block.data, block.mapped, MADV_FREE);
    t.spare = block;
    // A thread without an event loop (a tool, a fuzzer) keeps it until the next block
    // or the end of the process.
    if (!QAbstractEventDispatcher::instance())
        return;
    if (!t.spareTimer) {
        t.spareTimer = new QTimer;
        t.spareTimer->setSingleShot(true);
        t.spareTimer->setInterval(kSpareHoldMs);
        QObject::connect(t.spareTimer, &QTimer::timeout, [] {
            Table& now = table();
            release(now.spare);
            now.spare = Block();
        });
    }
    if (t.spareTimer->thread() == QThread::currentThread())
        t.spareTimer->start();
}

Block* find(HGLOBAL handle)
{
    auto it = table().blocks.find(handle);
    return it == table().blocks.end() ? nullptr : &it->second;
}

} // namespace

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes)
{
    Table& t = table();
    // Handles step by 4 and are never handed out twice; after four billion the table
    // refuses rather than reuse one.
    if (t.next == 0 || t.next > 0xFFFFFFF0u)
        return 0;
    const std::size_t size = bytes ? bytes : 1;
    Block block;
    block.size = bytes;
    if (size >= kMapFrom) {
        block.mapped = pagesFor(size);
        bool zeroed = true;
        block.data = takeMapping(t, block.mapped, zeroed);
        if (block.data && !zeroed && (flags & GMEM_ZEROINIT))
            std::memset(block.data, 0, block.mapped);
    } else {
        block.data = static_cast<char*>((flags & GMEM_ZEROINIT) ? std::calloc(size, 1) : std::malloc(size));
    }
    if (!block.data)
        return 0;
    const HGLOBAL handle = t.next;
    t.next += 4;
    t.blocks.emplace(handle, block);
    return handle;
}

void* GlobalLock(HGLOBAL handle)
{
    Block* block = find(handle);
    if (!block)
        return nullptr;
    ++block->locks;
    return block->data;
}

BOOL GlobalUnlock(HGLOBAL handle)
{
    Block* block = find(handle);
    if (!block || block->locks == 0)
        return 0;
    return --block->locks != 0;
}

HGLOBAL GlobalReAlloc(HGLOBAL handle, SIZE_T bytes, UINT flags)
{
    Block* block = find(handle);
    if (!block)
        return 0;
    const std::size_t size = bytes ? bytes : 1;
    // Past this offset the grown block is known to be zero.
    std::size_t dirtyEnd = bytes;
    if (block->mapped || size >= kMapFrom) {
        dirtyEnd = block->mapped ? block->mapped : block->size;
        // Mapped memory past the old size is zero already, but a shrunk block's old tail
        // may still be mapped: clear what is reused.
        const std::size_t length = pagesFor(size);
        char* data = nullptr;
        if (block->mapped) {
            void* moved = ::mremap(block->data, block->mapped, length, MREMAP_MAYMOVE);
            data = moved == MAP_FAILED ? nullptr : static_cast<char*>(moved);
        } else if ((data = mapZeroed(length))) {
            std::memcpy(data, block->data, std::min(block->size, size));
            std::free(block->data);
        }
        if (!data)
            return 0;
        block->data = data;
        block->mapped = length;
    } else {
        char* data = static_cast<char*>(std::realloc(block->data, size));
        if (!data)
            return 0;
        block->data = data;
    }
    if ((flags & GMEM_ZEROINIT) && bytes > block->size && dirtyEnd > block->size)
        std::memset(block->data + block->size, 0, std::min(bytes, dirtyEnd) - block->size);
    block->size = bytes;
    return handle;
}

HGLOBAL GlobalFree(HGLOBAL handle)
{
    auto it = table().blocks.find(handle);
    if (it == table().blocks.end())
        return handle;
    putMapping(table(), it->second);
    table().blocks.erase(it);
    return 0;
}

SIZE_T GlobalSize(HGLOBAL handle)
{
    const Block* block = find(handle);
    return block ? block->size : 0;
}
