#include "support/ClipboardTestSupport.h"

#include "platform/clipboard/DropFiles.h"

#include <cstring>

using namespace win32;

namespace
{

std::vector<unsigned char> header(std::uint32_t first, std::uint32_t wide)
{
    std::vector<unsigned char> b(20, 0);
    for (int i = 0; i < 4; ++i) {
        b[std::size_t(i)] = static_cast<unsigned char>(first >> (8 * i));
        b[std::size_t(16 + i)] = static_cast<unsigned char>(wide >> (8 * i));
    }
    return b;
}

std::vector<unsigned char> ansiBlock(const std::string& names)
{
    std::vector<unsigned char> b = header(20, 0);
    b.insert(b.end(), names.begin(), names.end());
    return b;
}

std::string name(dropfiles::Reader& r, unsigned i, unsigned cch = dropfiles::MaxPath)
{
    std::vector<char> buffer(cch + 1, 'X');
    const unsigned n = r.queryFileA(i, buffer.data(), cch);
    if (cch > 0) {
        EXPECT_EQ(buffer[n], '\0');
    }
    return std::string(buffer.data(), n);
}

} // namespace

TEST(DropFiles, WellFormedBlocks)
{
    std::vector<unsigned char> b = ansiBlock(std::string("a.txt\0bb\0\0", 10));
    dropfiles::Reader r(b.data(), b.size());
    EXPECT_EQ(r.count(), 2u);
    EXPECT_EQ(r.queryFileA(dropfiles::QueryCount, nullptr, 0), 2u);
    EXPECT_EQ(r.queryFileA(0, nullptr, 0), 5u); // length without a buffer
    EXPECT_EQ(name(r, 1), "bb");
    EXPECT_EQ(name(r, 0), "a.txt"); // backwards too
    EXPECT_EQ(name(r, 0, 3), "a."); // cut to the buffer, zero-ended
    EXPECT_EQ(r.queryFileA(0, nullptr, 0), 5u);
    char untouched = 'X';
    EXPECT_EQ(r.queryFileA(0, &untouched, 0), 0u);
    EXPECT_EQ(untouched, 'X');
    EXPECT_EQ(r.queryFileA(2, nullptr, 0), 0u); // past the last name
    EXPECT_EQ(r.nameUtf16(0), u"a.txt");

    // Wide names come out in the single-byte code page; what it lacks becomes '?', a surrogate
    // pair one '?'.
    std::vector<unsigned char> w =
        dropfiles::buildWide({u"caf\u00E9", u"\U0001F600x\u4E2D", u"", u"z"});
    dropfiles::Reader wr(w.data(), w.size());
    EXPECT_TRUE(wr.wide());
    EXPECT_EQ(wr.count(), 3u); // the empty name is not written
    EXPECT_EQ(name(wr, 0), "caf\xE9");
    EXPECT_EQ(name(wr, 1), "?x?");
    EXPECT_EQ(wr.queryFileA(1, nullptr, 0), 3u);
    EXPECT_EQ(wr.nameUtf16(1), u"\U0001F600x\u4E2D");
    EXPECT_EQ(name(wr, 2), "z");
}

TEST(DropFiles, MalformedBlocksGiveFewerNamesAndNeverReadOutside)
{
    auto countOf = [](std::vector<unsigned char> b) {
        // An exact-size heap copy, so that a read past the end is caught by the sanitizers.
        std::unique_ptr<unsigned char[]> copy(new unsigned char[b.size() ? b.size() : 1]);
        if (!b.empty())
            std::memcpy(copy.get(), b.data(), b.size());
        dropfiles::Reader r(copy.get(), b.size());
        const unsigned n = r.count();
        for (unsigned i = 0; i <= n; ++i) {
            char buffer[dropfiles::MaxPath];
            r.queryFileA(i, buffer, sizeof buffer);
            r.nameUtf16(i);
        }
        return n;
    };
    EXPECT_EQ(countOf({}), 0u);
    EXPECT_EQ(countOf(std::vector<unsigned char>(19, 0)), 0u); // shorter than the header
    EXPECT_EQ(countOf(header(20, 0)), 0u);                     // no names at all
    EXPECT_EQ(countOf(header(0xFFFFFFFF, 0)), 0u);             // offset far past the end
    std::vector<unsigned char> beyond = ansiBlock(std::string("a\0\0", 3));
    beyond[0] = 23;
    EXPECT_EQ(countOf(beyond), 0u);                               // offset at the end
    EXPECT_EQ(countOf(ansiBlock("abc")), 0u);                     // no closing zero
    EXPECT_EQ(countOf(ansiBlock(std::string("abc\0de", 6))), 1u); // last name unclosed
    EXPECT_EQ(countOf(ansiBlock(std::string("abc\0", 4))), 1u);   // no closing empty name
    std::vector<unsigned char> inHeader = ansiBlock(std::string("x\0\0", 3));
    inHeader[0] = 1; // names inside the header
    EXPECT_EQ(countOf(inHeader), 0u);

    std::vector<unsigned char> odd = header(20, 1);
    for (int c : {int('a'), 0, 0, 0, int('b')})
        odd.push_back(static_cast<unsigned char>(c));
    EXPECT_EQ(countOf(odd), 1u); // wide, odd length
    std::vector<unsigned char> oddOnly = header(20, 1);
    oddOnly.push_back('a');
    EXPECT_EQ(countOf(oddOnly), 0u);
    std::vector<unsigned char> unaligned = header(21, 1);
    for (int c : {0, int('a'), 0, 0, 0})
        unaligned.push_back(static_cast<unsigned char>(c));
    EXPECT_EQ(countOf(unaligned), 1u); // wide names at an odd offset
}

TEST(GlobalMemory, BlocksReportRoundedSizesAndStaleHandlesAreHarmless)
{
    const std::size_t before = globalSizeGranularity();
    setGlobalSizeGranularity(16);
    const HGLOBAL h = GlobalAlloc(GMEM_DDESHARE, 5);
    ASSERT_NE(h, 0u);
    EXPECT_EQ(GlobalSize(h), 16u);
    EXPECT_EQ(globalDataSize(h), 5u);
    auto* p = static_cast<unsigned char*>(GlobalLock(h));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p[15], 0); // zero-filled to the reported size
    EXPECT_TRUE(GlobalLock(h) != nullptr);
    EXPECT_TRUE(GlobalUnlock(h));  // still locked once
    EXPECT_FALSE(GlobalUnlock(h)); // now unlocked
    EXPECT_EQ(GlobalFree(h), 0u);
    EXPECT_EQ(GlobalSize(h), 0u);
    EXPECT_EQ(GlobalLock(h), nullptr);
    EXPECT_EQ(GlobalFree(h), h);
    EXPECT_EQ(DragQueryFileA(h, 0xFFFFFFFF, nullptr, 0), 0u);

    setGlobalSizeGranularity(1);
    const HGLOBAL exact = GlobalAlloc(GMEM_DDESHARE, 5);
    EXPECT_EQ(GlobalSize(exact), 5u);
    GlobalFree(exact);
    EXPECT_EQ(GlobalAlloc(GMEM_DDESHARE, MaxGlobalBlock + 1), 0u);
    setGlobalSizeGranularity(before);
}

TEST(GlobalMemory, FileDropQueriesReadTheWholeReportedBlockAndFollowWrites)
{
    // A block whose names run into the room it reports beyond its data: the zero bytes there end
    // the list.
    const char names[] = "one\0two";
    std::vector<unsigned char> b = header(20, 0);
    b.insert(b.end(), names, names + 7);
    const HGLOBAL h = globalAllocReported(GMEM_DDESHARE, b.size(), b.size() + 16);
    auto* p = static_cast<unsigned char*>(GlobalLock(h));
    std::memcpy(p, b.data(), b.size());
    GlobalUnlock(h);
    EXPECT_EQ(DragQueryFileA(h, 0xFFFFFFFF, nullptr, 0), 2u);
    char buffer[16];
    EXPECT_EQ(DragQueryFileA(h, 1, buffer, sizeof buffer), 3u);
    EXPECT_STREQ(buffer, "two");

    // Written again through a lock, the block is read anew.
    p = static_cast<unsigned char*>(GlobalLock(h));
    p[20] = 'O';
    p[24] = 0;
    GlobalUnlock(h);
    EXPECT_EQ(DragQueryFileA(h, 0xFFFFFFFF, nullptr, 0), 1u);
    EXPECT_EQ(DragQueryFileA(h, 0, buffer, sizeof buffer), 3u);
    EXPECT_STREQ(buffer, "One");
    GlobalFree(h);
}
