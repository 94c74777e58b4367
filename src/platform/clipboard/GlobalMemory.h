#pragma once

#include <cstddef>
#include <cstdint>

// Shareable memory blocks identified by handles: the vocabulary in which the clipboard hands data
// over. A handle is a number, never a pointer: a stale or made-up handle is simply not found, so
// no operation here reads or writes through it.
//
// As on real platforms, the size a block reports may be larger than the size asked for: it is
// rounded up to the allocation granularity (16 bytes unless set otherwise). The bytes past the
// data are zero.
namespace win32
{

using HGLOBAL = std::uintptr_t; // 0: no block

constexpr unsigned GMEM_FIXED = 0x0000;
constexpr unsigned GMEM_MOVEABLE = 0x0002;
constexpr unsigned GMEM_ZEROINIT = 0x0040;
constexpr unsigned GMEM_DDESHARE = 0x2000;

// The largest block GlobalAlloc gives (just under 2 GiB); larger requests fail.
constexpr std::size_t MaxGlobalBlock = 0x7FFF0000u;

// A new zero-filled block of `dwBytes` bytes, or 0 when it cannot be had.
HGLOBAL GlobalAlloc(unsigned uFlags, std::size_t dwBytes);
// The block's first byte, or null for a handle that names no block. Each lock counts.
void* GlobalLock(HGLOBAL hMem);
// Undoes one lock; true while the block is still locked.
bool GlobalUnlock(HGLOBAL hMem);
// The block's reported size (at least what was asked for), 0 for a handle that names no block.
std::size_t GlobalSize(HGLOBAL hMem);
// Frees the block; returns 0 on success and the handle itself when it names no block.
HGLOBAL GlobalFree(HGLOBAL hMem);

// Helpers of the layer (not platform vocabulary).

// The allocation granularity that reported sizes are rounded up to (1 = exact sizes).
void setGlobalSizeGranularity(std::size_t bytes);
std::size_t globalSizeGranularity();

// A block of `dataBytes` bytes that reports `reportedBytes` (at least `dataBytes`): the shape of a
// block another program put on the clipboard with room to spare.
HGLOBAL globalAllocReported(unsigned uFlags, std::size_t dataBytes, std::size_t reportedBytes);

// The number of bytes asked for when the block was made (0 for a handle that names no block).
std::size_t globalDataSize(HGLOBAL hMem);

// Read access without locking, for the layer's own parsers. `version` changes whenever the block
// may have been written (each lock), so a parse of it can be cached.
struct GlobalBlockView {
    const unsigned char* data = nullptr;
    std::size_t size = 0; // the reported size
    std::uint64_t version = 0;
};
bool globalPeek(HGLOBAL hMem, GlobalBlockView& view);

// How many blocks are alive (tests check that nothing leaks).
std::size_t globalBlockCount();

} // namespace win32
