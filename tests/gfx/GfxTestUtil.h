// Helpers for the graphics tests: a scratch folder, captured library log lines, raw file bytes.
#pragma once

#include "platform/kvLog.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace gfxtest {

// A fresh folder below the system temp dir, removed again with the object.
class ScratchDir {
public:
    ScratchDir()
    {
        std::string tmpl = (std::filesystem::temp_directory_path() / "zyngfxXXXXXX").string();
        std::vector<char> buf(tmpl.begin(), tmpl.end());
        buf.push_back('\0');
        path_ = mkdtemp(buf.data()) ? std::string(buf.data()) : std::string();
    }
    ~ScratchDir()
    {
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Collects library log lines while alive.
class LogCapture {
public:
    LogCapture() { kvLogSetSink([this](const std::string& s) { lines.push_back(s); }); }
    ~LogCapture() { kvLogSetSink(nullptr); }
    bool Has(const std::string& text) const
    {
        for (const auto& l : lines)
            if (l == text) return true;
        return false;
    }
    std::vector<std::string> lines;
};

inline std::vector<uint8_t> ReadBytes(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& file, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline uint32_t Le32(const std::vector<uint8_t>& b, size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

inline void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; i++) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// A TGA header (+ optional ID field) followed by w*h pixels of bits/8 bytes from fill(i, byte).
inline std::vector<uint8_t> MakeTGA(int w, int h, int bits, int type = 2, int cmap = 0, std::string id = "")
{
    std::vector<uint8_t> b(18, 0);
    b[0] = static_cast<uint8_t>(id.size());
    b[1] = static_cast<uint8_t>(cmap);
    b[2] = static_cast<uint8_t>(type);
    b[12] = static_cast<uint8_t>(w & 0xff);
    b[13] = static_cast<uint8_t>(w >> 8);
    b[14] = static_cast<uint8_t>(h & 0xff);
    b[15] = static_cast<uint8_t>(h >> 8);
    b[16] = static_cast<uint8_t>(bits);
    b.insert(b.end(), id.begin(), id.end());
    int bpp = bits / 8;
    for (int i = 0; i < w * h; i++)
        for (int c = 0; c < bpp; c++) b.push_back(static_cast<uint8_t>((i * 7 + c * 50) & 0xff));
    return b;
}

}  // namespace gfxtest
