// Movable blocks on the C heap, found through a table by handle. Fresh blocks come from
// calloc, which for large sizes hands out untouched zero pages instead of clearing them.
#include "GlobalMemory.h"

#include <cstdlib>
#include <cstring>
#include <unordered_map>

namespace {

struct Block {
    char* data = nullptr;
    std::size_t size = 0;
    UINT locks = 0;
};

struct Table {
    std::unordered_map<HGLOBAL, Block> blocks;
    HGLOBAL next = 0x00010000;

    ~Table()
    {
        for (auto& entry : blocks)
            std::free(entry.second.data);
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
    char* data = static_cast<char*>((flags & GMEM_ZEROINIT) ? std::calloc(size, 1) : std::malloc(size));
    if (!data)
        return 0;
    const HGLOBAL handle = t.next;
    t.next += 4;
    t.blocks.emplace(handle, Block{data, bytes, 0});
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
    char* data = static_cast<char*>(std::realloc(block->data, size));
    if (!data)
        return 0;
    if ((flags & GMEM_ZEROINIT) && bytes > block->size)
        std::memset(data + block->size, 0, bytes - block->size);
    block->data = data;
    block->size = bytes;
    return handle;
}

HGLOBAL GlobalFree(HGLOBAL handle)
{
    auto it = table().blocks.find(handle);
    if (it == table().blocks.end())
        return handle;
    std::free(it->second.data);
    table().blocks.erase(it);
    return 0;
}

SIZE_T GlobalSize(HGLOBAL handle)
{
    const Block* block = find(handle);
    return block ? block->size : 0;
}
