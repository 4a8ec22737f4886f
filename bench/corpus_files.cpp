// Writes the file trees the extraction benchmarks pack into cabinets, the same bytes for the same
// seed on every machine.
//
//     vantrel-bench-corpus large|many|large4x|lzx-edges SEED OUTDIR
//
// "large":   400 files of 50-600 KB in nested folders, about 130 MB;
// "many":    20,000 files of 0.2-4 KB in 200 folders;
// "large4x": four "large" trees with different seeds, side by side;
// "lzx-edges": small files that test an LZX writer at the edges of the format.
// Half the files are noise that no compressor can shrink (as photographs already compressed as
// JPEG are), half are bitmaps of smooth gradients with a little noise (as scans and renderings
// are), so that both the copying and the decoding paths of a decompressor get their share.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace vantrel {
namespace {

namespace fs = std::filesystem;

// SplitMix64: tiny, fast and defined bit for bit, so the trees never depend on the C++ library.
class Random {
  public:
    explicit Random(std::uint64_t seed) : state_(seed) {}

    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

    // Uniform in [low, high].
    std::uint64_t Between(std::uint64_t low, std::uint64_t high) {
        return low + Next() % (high - low + 1);
    }

  private:
    std::uint64_t state_;
};

std::string Noise(Random& random, std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; i += 8) {
        const std::uint64_t word = random.Next();
        for (std::size_t j = 0; j < 8 && i + j < size; ++j) {
            bytes[i + j] = static_cast<char>(word >> (8 * j));
        }
    }
    return bytes;
}

void PutLe(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out += static_cast<char>(value >> (8 * i));
    }
}

// A 24-bit BMP of `size` bytes (header included): a diagonal colour gradient whose pixels now
// and then stray by a step or two, as sensor noise does.
std::string Bitmap(Random& random, std::size_t size) {
    constexpr std::uint32_t kHeader = 54;
    constexpr std::uint32_t kWidth = 512;
    constexpr std::uint32_t kRow = kWidth * 3;
    const std::uint32_t height = static_cast<std::uint32_t>((size - kHeader) / kRow + 1);
    std::string bytes = "BM";
    PutLe(bytes, static_cast<std::uint32_t>(size), 4);
    PutLe(bytes, 0, 4);
    PutLe(bytes, kHeader, 4);
    PutLe(bytes, 40, 4);
    PutLe(bytes, kWidth, 4);
    PutLe(bytes, height, 4);
    PutLe(bytes, 1 | 24 << 16, 4);  // one plane, 24 bits per pixel
    bytes.append(4 * 6, '\0');      // no compression, sizes and palette left to the reader
    const auto tint = static_cast<unsigned>(random.Next() % 256);
    for (std::uint32_t y = 0; bytes.size() < size; ++y) {
        for (std::uint32_t x = 0; x < kWidth && bytes.size() < size; ++x) {
            const std::uint64_t draw = random.Next();
            const int stray = (draw & 7) == 0 ? static_cast<int>((draw >> 3) % 5) - 2 : 0;
            const unsigned base = (x + y) / 4 + tint;
            for (unsigned channel = 0; channel < 3 && bytes.size() < size; ++channel) {
                bytes += static_cast<char>(base * (channel + 1) + stray);
            }
        }
    }
    return bytes;
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::exit(1);
    }
}

// Even files are noise named .jpg, odd ones bitmaps named .bmp.
void WriteMixedFile(Random& random, const fs::path& stem, unsigned index, std::size_t size) {
    if (index % 2 == 0) {
        WriteFile(stem.string() + ".jpg", Noise(random, size));
    } else {
        WriteFile(stem.string() + ".bmp", Bitmap(random, size));
    }
}

// 400 files over 8 series of 5 rolls each, 10 files a roll: "series3/roll2/img0123.jpg".
void WriteLarge(std::uint64_t seed, const fs::path& root) {
    Random random(seed);
    for (unsigned index = 0; index < 400; ++index) {
        const std::size_t size = random.Between(50 * 1024, 600 * 1024);
        char name[64];
        std::snprintf(name, sizeof name, "series%u/roll%u/img%04u", index % 8, index / 8 % 5,
                      index);
        WriteMixedFile(random, root / name, index, size);
    }
}

// 20,000 files in 200 folders of 100: "group017/item12345.jpg".
void WriteMany(std::uint64_t seed, const fs::path& root) {
    Random random(seed);
    for (unsigned index = 0; index < 20000; ++index) {
        const std::size_t size = random.Between(200, 4 * 1024);
        char name[64];
        std::snprintf(name, sizeof name, "group%03u/item%05u", index % 200, index);
        WriteMixedFile(random, root / name, index, size);
    }
}

// Files that put an LZX writer at its edges: empty and tiny files, sizes around a 32 KiB frame,
// runs longer than the longest match, text, and copies at the farthest distance a 2 MiB window
// reaches (make-lzx-cab goes as far as 2^21 - 4) and one byte beyond that.
void WriteLzxEdges(std::uint64_t seed, const fs::path& root) {
    Random random(seed);
    for (const std::size_t size : {0, 1, 2, 3, 32767, 32768, 32769, 100000}) {
        WriteFile(root / "sizes" / ("noise" + std::to_string(size)), Noise(random, size));
    }
    WriteFile(root / "runs" / "zeros", std::string(300000, '\0'));
    std::string text;
    for (unsigned line = 1; line <= 30000; ++line) {
        text += "line " + std::to_string(line * 7919 % 10007) + " of the list\n";
    }
    WriteFile(root / "runs" / "text.txt", text);
    WriteFile(root / "runs" / "bitmap.bmp", Bitmap(random, 500000));
    for (const std::size_t distance : {(1u << 21) - 4, (1u << 21) - 3}) {
        std::string far = Noise(random, distance);
        far += far.substr(0, 70000);
        WriteFile(root / "far" / ("distance" + std::to_string(distance)), far);
    }
}

void WriteLarge4x(std::uint64_t seed, const fs::path& root) {
    for (unsigned part = 1; part <= 4; ++part) {
        WriteLarge(seed + part, root / ("part" + std::to_string(part)));
    }
}

}  // namespace
}  // namespace vantrel

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fputs("usage: vantrel-bench-corpus large|many|large4x|lzx-edges SEED OUTDIR\n",
                   stderr);
        return 2;
    }
    const std::string kind = argv[1];
    const std::uint64_t seed = std::strtoull(argv[2], nullptr, 10);
    const std::filesystem::path root = argv[3];
    if (kind == "large") {
        vantrel::WriteLarge(seed, root);
    } else if (kind == "many") {
        vantrel::WriteMany(seed, root);
    } else if (kind == "large4x") {
        vantrel::WriteLarge4x(seed, root);
    } else if (kind == "lzx-edges") {
        vantrel::WriteLzxEdges(seed, root);
    } else {
        std::fprintf(stderr, "unknown corpus \"%s\"\n", kind.c_str());
        return 2;
    }
    return 0;
}
