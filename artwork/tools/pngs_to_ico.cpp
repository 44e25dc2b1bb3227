// Build tool: packs PNG files into one Windows icon file. Modern icon files
// may hold PNG data directly, so each entry is the PNG file as it stands.
// Usage: pngs_to_ico out.ico a.png [b.png ...]
#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct Entry {
    std::vector<unsigned char> data;
    uint32_t width = 0;
    uint32_t height = 0;
};

uint32_t readBigEndian32(const std::vector<unsigned char> &b, size_t at)
{
    return (uint32_t(b[at]) << 24) | (uint32_t(b[at + 1]) << 16) | (uint32_t(b[at + 2]) << 8) | b[at + 3];
}

void put16(std::ostream &out, uint16_t v)
{
    out.put(char(v & 0xff));
    out.put(char(v >> 8));
}

void put32(std::ostream &out, uint32_t v)
{
    put16(out, uint16_t(v & 0xffff));
    put16(out, uint16_t(v >> 16));
}

bool readPng(const char *path, Entry &entry)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::cerr << "pngs_to_ico: cannot read " << path << '\n';
        return false;
    }
    entry.data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    // The IHDR chunk always comes first: width and height sit at bytes 16 and 20.
    if (entry.data.size() < 24 || !std::equal(signature, signature + 8, entry.data.begin())) {
        std::cerr << "pngs_to_ico: not a PNG file: " << path << '\n';
        return false;
    }
    entry.width = readBigEndian32(entry.data, 16);
    entry.height = readBigEndian32(entry.data, 20);
    if (entry.width == 0 || entry.width > 256 || entry.height == 0 || entry.height > 256) {
        std::cerr << "pngs_to_ico: icon sizes run from 1 to 256 pixels: " << path << '\n';
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::cerr << "usage: pngs_to_ico out.ico a.png [b.png ...]\n";
        return 2;
    }
    std::vector<Entry> entries(size_t(argc - 2));
    for (int i = 2; i < argc; ++i) {
        if (!readPng(argv[i], entries[size_t(i - 2)]))
            return 1;
    }

    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    if (!out) {
        std::cerr << "pngs_to_ico: cannot write " << argv[1] << '\n';
        return 1;
    }
    put16(out, 0);
    put16(out, 1); // type: icon
    put16(out, uint16_t(entries.size()));
    uint32_t offset = 6 + 16 * uint32_t(entries.size());
    for (const Entry &e : entries) {
        out.put(char(e.width == 256 ? 0 : e.width)); // 0 means 256
        out.put(char(e.height == 256 ? 0 : e.height));
        out.put(0); // no palette
        out.put(0);
        put16(out, 1);  // colour planes
        put16(out, 32); // bits per pixel
        put32(out, uint32_t(e.data.size()));
        put32(out, offset);
        offset += uint32_t(e.data.size());
    }
    for (const Entry &e : entries)
        out.write(reinterpret_cast<const char *>(e.data.data()), std::streamsize(e.data.size()));
    out.close();
    if (!out) {
        std::cerr << "pngs_to_ico: write failed: " << argv[1] << '\n';
        return 1;
    }
    return 0;
}
