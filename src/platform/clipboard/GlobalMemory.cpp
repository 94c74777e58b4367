#include "platform/clipboard/GlobalMemory.h"

#include <atomic>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace win32
{
namespace
{

struct FreeBytes {
    void operator()(unsigned char* p) const { std::free(p); }
};
// Zero-filled storage from calloc: large blocks come as fresh zero pages, with no filling cost.
using Storage = std::unique_ptr<unsigned char, FreeBytes>;

struct Block {
    Storage bytes;
    std::size_t dataSize = 0;
    std::size_t reportedSize = 0;
    unsigned flags = 0;
    unsigned locks = 0;
    std::uint64_t version = 0;
};

struct Heap {
    std::mutex mutex;
    std::unordered_map<HGLOBAL, Block> blocks;
    HGLOBAL nextHandle = 0x10004;
    std::uint64_t nextVersion = 1;
};

Heap& heap()
{
    static Heap instance;
    return instance;
}

std::atomic<std::size_t> granularity{16};

std::size_t roundedUp(std::size_t bytes)
{
    const std::size_t g = granularity.load();
    if (g <= 1)
        return bytes;
    return (bytes + g - 1) / g * g;
}

Block* find(Heap& h, HGLOBAL handle)
{
    auto it = h.blocks.find(handle);
    return it == h.blocks.end() ? nullptr : &it->second;
}

} // namespace

HGLOBAL globalAllocReported(unsigned uFlags, std::size_t dataBytes, std::size_t reportedBytes)
{
    if (reportedBytes < dataBytes)
        reportedBytes = dataBytes;
    if (reportedBytes > MaxGlobalBlock)
        return 0;
    Block block;
    // One byte at least, so that even an empty block has an address to lock.
    block.bytes.reset(
        static_cast<unsigned char*>(std::calloc(reportedBytes ? reportedBytes : 1, 1)));
    if (!block.bytes)
        return 0;
    block.dataSize = dataBytes;
    block.reportedSize = reportedBytes;
    block.flags = uFlags;

    Heap& h = heap();
    std::lock_guard<std::mutex> guard(h.mutex);
    if (h.nextHandle > 0x7FFFFFF0u)
        return 0; // handles must stay 32-bit positive numbers; never reached in practice
    const HGLOBAL handle = h.nextHandle;
    h.nextHandle += 4;
    block.version = h.nextVersion++;
    h.blocks.emplace(handle, std::move(block));
    return handle;
}

HGLOBAL GlobalAlloc(unsigned uFlags, std::size_t dwBytes)
{
    if (dwBytes > MaxGlobalBlock)
        return 0;
    return globalAllocReported(uFlags, dwBytes, roundedUp(dwBytes));
}

void* GlobalLock(HGLOBAL hMem)
{
    Heap& h = heap();
    std::lock_guard<std::mutex> guard(h.mutex);
    Block* block = find(h, hMem);
    if (!block)
        return nullptr;
    ++block->locks;
    block->version = h.nextVersion++;
    return block->bytes.get();
}

bool GlobalUnlock(HGLOBAL hMem)
{
    Heap& h = heap();
    std::lock_guard<std::mutex> guard(h.mutex);
    Block* block = find(h, hMem);
    if (!block || block->locks == 0)
        return false;
    --block->locks;
    return block->locks > 0;
}

std::size_t GlobalSize(HGLOBAL hMem)
{
    Heap& h = heap();
    std::lock_guard<std::mutex> guard(h.mutex);
    Block* block = find(h, hMem);
    return block ? block->reportedSize : 0;
}

HGLOBAL GlobalFree(HGLOBAL hMem)
{
    Heap& h = heap();
    Storage released;
    {
        std::lock_guard<std::mutex> guard(h.mutex);
        auto it = h.blocks.find(hMem);
        if (it == h.blocks.end())
            return hMem;
        released = std::move(it->second.bytes);
        h.blocks.erase(it);
    }
    return 0;
}

void setGlobalSizeGranularity(std::size_t bytes)
{
    granularity.store(bytes == 0 ? 1 : bytes);
}

std::size_t globalSizeGranularity()
{
    return granularity.load();
}

std::size_t globalDataSize(HGLOBAL hMem)
{
    Heap& h = heap();
    std::lock_guard<std::mutex> guard(h.mutex);
    Block* block = find(h, hMem);
    return block ? block->dataSize : 0;
}

bool globalPeek(HGLOBAL hMem, GlobalBlockView& view)
{
    Heap& h = heap();
    std::lock_guard<std::mutex> guard(h.mutex);
    Block* block = find(h, hMem);
    if (!block)
        return false;
    view.data = block->bytes.get();
    view.size = block->reportedSize;
    view.version = block->version;
    return true;
}

std::size_t globalBlockCount()
{
    Heap& h = heap();
    std::lock_guard<std::mutex> guard(h.mutex);
    return h.blocks.size();
}

} // namespace win32
