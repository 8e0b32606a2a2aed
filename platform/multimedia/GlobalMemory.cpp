// Movable blocks found through a table by handle. Small blocks live on the C heap; large
// ones are mappings of their own, zero from the start, grown and shrunk without a copy,
// and asked to use huge pages, so filling a sound of many megabytes costs few page
// faults.
#include "GlobalMemory.h"

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

    ~Table()
    {
        for (auto& entry : blocks)
            release(entry.second);
    }
};

Table& table()
{
    static Table instance;
    return instance;
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
        block.data = mapZeroed(block.mapped);
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
    release(it->second);
    table().blocks.erase(it);
    return 0;
}

SIZE_T GlobalSize(HGLOBAL handle)
{
    const Block* block = find(handle);
    return block ? block->size : 0;
}
