// ZynAudioFile: libsndfile reading, memory images through its virtual file interface.
#include "audio/ZynAudioFile.h"

#include <sndfile.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {
using TMemory = TZynAudioFile::TMemory;

sf_count_t MemLength(void* user) { return sf_count_t(static_cast<TMemory*>(user)->Len); }

sf_count_t MemSeek(sf_count_t offset, int whence, void* user)
{
    auto* m = static_cast<TMemory*>(user);
    sf_count_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? sf_count_t(m->Pos) : sf_count_t(m->Len);
    sf_count_t p = base + offset;
    if (p < 0 || p > sf_count_t(m->Len)) return -1;
    m->Pos = size_t(p);
    return p;
}

sf_count_t MemRead(void* ptr, sf_count_t count, void* user)
{
    auto* m = static_cast<TMemory*>(user);
    size_t n = std::min(size_t(std::max<sf_count_t>(count, 0)), m->Len - m->Pos);
    std::memcpy(ptr, m->Data + m->Pos, n);
    m->Pos += n;
    return sf_count_t(n);
}

sf_count_t MemWrite(const void*, sf_count_t, void*) { return 0; }
sf_count_t MemTell(void* user) { return sf_count_t(static_cast<TMemory*>(user)->Pos); }

SF_VIRTUAL_IO MemoryIo = {MemLength, MemSeek, MemRead, MemWrite, MemTell};

constexpr size_t BlockFrames = 4096;
}  // namespace

bool TZynAudioFile::Check(const std::string& what, std::string& error)
{
    SF_INFO info{};
    SNDFILE* f = static_cast<SNDFILE*>(File);
    sf_command(f, SFC_GET_CURRENT_SF_INFO, &info, sizeof info);
    if (info.channels < 1 || info.channels > 64 || info.samplerate < 1000 || info.samplerate > 768000) {
        error = what + ": " + std::to_string(info.channels) + " channels at " + std::to_string(info.samplerate) +
                " Hz is not a sound this program can analyse";
        Close();
        return false;
    }
    Rate = info.samplerate;
    Chans = info.channels;
    Length = info.frames > 0 ? uint64_t(info.frames) : 0;
    return true;
}

bool TZynAudioFile::Open(const std::string& path, std::string& error)
{
    Close();
    // Tell a missing or unreadable file apart from one of an unknown kind.
    int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) {
        error = "cannot open \"" + path + "\": " + std::strerror(errno);
        return false;
    }
    ::close(fd);
    SF_INFO info{};
    File = sf_open(path.c_str(), SFM_READ, &info);
    if (!File) {
        error = "\"" + path + "\" is not an audio file libsndfile reads (WAV, FLAC, Ogg, MP3...): " +
                sf_strerror(nullptr) + " Convert it, for example with ffmpeg -i \"" + path + "\" out.wav";
        return false;
    }
    return Check("\"" + path + "\"", error);
}

bool TZynAudioFile::OpenMemory(const uint8_t* data, size_t len, std::string& error)
{
    Close();
    Memory = TMemory{data, len, 0};
    SF_INFO info{};
    File = sf_open_virtual(&MemoryIo, SFM_READ, &info, &Memory);
    if (!File) {
        error = std::string("not an audio file libsndfile reads: ") + sf_strerror(nullptr);
        return false;
    }
    return Check("the sound", error);
}

void TZynAudioFile::Close()
{
    if (File) sf_close(static_cast<SNDFILE*>(File));
    File = nullptr;
    Rate = Chans = 0;
    Length = 0;
}

size_t TZynAudioFile::Read(float* out, size_t n)
{
    if (!File) return 0;
    size_t done = 0;
    while (done < n) {
        size_t want = std::min(BlockFrames, n - done);
        Interleaved.resize(want * size_t(Chans));
        sf_count_t got = sf_readf_float(static_cast<SNDFILE*>(File), Interleaved.data(), sf_count_t(want));
        if (got <= 0) break;
        for (sf_count_t i = 0; i < got; i++) {
            float sum = 0;
            for (int c = 0; c < Chans; c++) {
                float s = Interleaved[size_t(i) * size_t(Chans) + size_t(c)];
                sum += std::isfinite(s) ? std::clamp(s, -1.0f, 1.0f) : 0.0f;
            }
            out[done + size_t(i)] = sum / float(Chans);
        }
        done += size_t(got);
    }
    return done;
}

bool TZynAudioFile::Seek(uint64_t frame)
{
    return File && sf_seek(static_cast<SNDFILE*>(File), sf_count_t(frame), SEEK_SET) >= 0;
}

static bool ReadAll(TZynAudioFile& f, TZynPcm& out)
{
    out.SampleRate = f.SampleRate();
    out.Channels = f.Channels();
    out.Mono.clear();
    std::vector<float> block(BlockFrames);
    size_t got;
    while ((got = f.Read(block.data(), block.size())) > 0) out.Mono.insert(out.Mono.end(), block.begin(), block.begin() + long(got));
    return true;
}

bool ZynReadAudio(const std::string& path, TZynPcm& out, std::string& error)
{
    TZynAudioFile f;
    return f.Open(path, error) && ReadAll(f, out);
}

bool ZynDecodeAudio(const uint8_t* data, size_t len, TZynPcm& out, std::string& error)
{
    TZynAudioFile f;
    return f.OpenMemory(data, len, error) && ReadAll(f, out);
}
