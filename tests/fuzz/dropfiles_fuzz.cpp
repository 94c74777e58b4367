// Fuzz entry point for the file-drop parser (platform/clipboard/DropFiles.h): any bytes, as another
// program may put them on the clipboard as a file list. Besides the sanitizers' checks it verifies
// what the parser promises: the count is stable, every name has a length and fits its buffer with a
// closing zero, an index past the last name gives nothing, and the names survive being written
// again.
#include "platform/clipboard/DropFiles.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace
{

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // An exact-size copy, so that a read past the end of the block is caught.
    std::vector<unsigned char> block(data, data + size);
    dropfiles::Reader reader(block.data(), block.size());

    const unsigned count = reader.count();
    check(reader.queryFileA(dropfiles::QueryCount, nullptr, 0) == count);
    check(count <= size / 2);

    // Names are read in order (as a program reads a file list) and checked one by one; the time
    // spent stays bounded for blocks with very many names.
    const unsigned limit = count < 20000 ? count : 20000;
    char buffer[dropfiles::MaxPath];
    std::vector<std::u16string> names;
    for (unsigned i = 0; i < limit; ++i) {
        const unsigned length = reader.queryFileA(i, nullptr, 0);
        check(length > 0);
        std::memset(buffer, 'x', sizeof buffer);
        const unsigned copied = reader.queryFileA(i, buffer, sizeof buffer);
        check(copied == (length < dropfiles::MaxPath - 1 ? length : dropfiles::MaxPath - 1));
        check(buffer[copied] == '\0');
        check(std::strlen(buffer) <= copied);

        char tiny[2] = {'x', 'x'};
        check(reader.queryFileA(i, tiny, 1) == 0 && tiny[0] == '\0' && tiny[1] == 'x');
        check(reader.queryFileA(i, tiny, 0) == 0 && tiny[0] == '\0');

        std::u16string name = reader.nameUtf16(i);
        check(!name.empty() && name.find(u'\0') == std::u16string::npos);
        names.push_back(std::move(name));
    }
    check(reader.queryFileA(count, buffer, sizeof buffer) == 0);
    check(reader.nameUtf16(count).empty());
    if (count > 1) {
        // Backwards as well.
        check(!reader.nameUtf16(count - 1).empty());
        check(reader.nameUtf16(0) == names.front());
    }

    // Written again as a wide list, the names read back the same.
    if (count == limit) {
        const std::vector<unsigned char> again = dropfiles::buildWide(names);
        dropfiles::Reader second(again.data(), again.size());
        check(second.wide());
        check(second.count() == count);
        for (unsigned i = 0; i < count; ++i)
            check(second.nameUtf16(i) == names[i]);
    }
    return 0;
}
