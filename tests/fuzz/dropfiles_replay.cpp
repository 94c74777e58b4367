// Replays the file-drop corpus through the fuzz entry point, built with the address and
// undefined-behaviour sanitizers; each corpus file is also replayed in a fixed number of
// mutations (bytes changed, cut, grown, the header's fields set to edge values) from a fixed seed,
// so every run covers the same few thousand malformed blocks.
//
// Usage: dropfiles_fuzz_replay DIRECTORY-OR-FILE...
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace
{

using Bytes = std::vector<std::uint8_t>;

void run(const Bytes& input)
{
    LLVMFuzzerTestOneInput(input.data(), input.size());
}

void putLe32(Bytes& b, std::size_t at, std::uint32_t v)
{
    for (std::size_t i = 0; i < 4 && at + i < b.size(); ++i)
        b[at + i] = std::uint8_t(v >> (8 * i));
}

Bytes mutate(const Bytes& original, std::mt19937& random)
{
    Bytes b = original;
    const std::uint32_t edges[] = {0,
                                   1,
                                   19,
                                   20,
                                   21,
                                   0x7FFFFFFF,
                                   0x80000000u,
                                   0xFFFFFFFFu,
                                   std::uint32_t(b.size()),
                                   std::uint32_t(b.size() + 1)};
    switch (random() % 6) {
    case 0: // change a few bytes
        for (int n = int(random() % 4) + 1; n > 0 && !b.empty(); --n)
            b[random() % b.size()] = std::uint8_t(random());
        break;
    case 1: // cut the block short
        b.resize(b.empty() ? 0 : random() % b.size());
        break;
    case 2: // grow it with non-zero bytes (no closing zeros)
        for (int n = int(random() % 64); n > 0; --n)
            b.push_back(std::uint8_t(random() % 255 + 1));
        break;
    case 3: // the first-name offset at an edge
        putLe32(b, 0, edges[random() % std::size(edges)]);
        break;
    case 4: // the wide flag flipped
        putLe32(b, 16, b.size() > 16 && b[16] ? 0 : std::uint32_t(random() | 1));
        break;
    case 5: // every zero byte made non-zero
        std::replace(b.begin(), b.end(), std::uint8_t(0), std::uint8_t('z'));
        break;
    }
    return b;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::filesystem::path> files;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path arg(argv[i]);
        if (std::filesystem::is_directory(arg)) {
            for (const auto& entry : std::filesystem::directory_iterator(arg)) {
                if (entry.is_regular_file())
                    files.push_back(entry.path());
            }
        } else {
            files.push_back(arg);
        }
    }
    std::sort(files.begin(), files.end());
    if (files.empty()) {
        std::fprintf(stderr, "dropfiles replay: no inputs\n");
        return 1;
    }

    std::mt19937 random(20240607);
    std::size_t inputs = 0;
    for (const auto& path : files) {
        std::ifstream in(path, std::ios::binary);
        const Bytes original((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
        run(original);
        ++inputs;
        for (int m = 0; m < 200; ++m, ++inputs)
            run(mutate(original, random));
    }
    std::printf("dropfiles replay: %zu corpus files, %zu inputs, no fault\n", files.size(), inputs);
    return 0;
}
