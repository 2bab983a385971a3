// ZynAudioFile: reads any audio file libsndfile knows (WAV, FLAC, Ogg, MP3...) as mono floats.
//
// TZynAudioFile streams a file (or a memory image) in blocks, mixed down to
// mono and cleaned to -1..1 (non-finite samples become 0, float files beyond
// full scale are clipped). ZynReadAudio decodes a whole file at once.
// Errors say what is wrong and what to do, in one line.
// Depends on: libsndfile.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A decoded sound, mixed down to mono.
struct TZynPcm {
    int SampleRate = 0;
    int Channels = 0;            // channels of the source before the mix-down
    std::vector<float> Mono;
    double Seconds() const { return SampleRate > 0 ? double(Mono.size()) / SampleRate : 0.0; }
};

class TZynAudioFile {
public:
    TZynAudioFile() = default;
    ~TZynAudioFile() { Close(); }
    TZynAudioFile(const TZynAudioFile&) = delete;
    TZynAudioFile& operator=(const TZynAudioFile&) = delete;

    bool Open(const std::string& path, std::string& error);
    // The image must stay alive while the file is open.
    bool OpenMemory(const uint8_t* data, size_t len, std::string& error);
    void Close();
    bool IsOpen() const { return File != nullptr; }

    // Up to n mono frames into out; fewer at the end of the file (0: at the end).
    size_t Read(float* out, size_t n);
    bool Seek(uint64_t frame);

    int SampleRate() const { return Rate; }
    int Channels() const { return Chans; }
    uint64_t Frames() const { return Length; }

    // Read position inside a memory image (for the virtual file callbacks).
    struct TMemory {
        const uint8_t* Data = nullptr;
        size_t Len = 0;
        size_t Pos = 0;
    };

private:
    bool Check(const std::string& what, std::string& error);

    void* File = nullptr;   // SNDFILE*
    TMemory Memory;
    int Rate = 0, Chans = 0;
    uint64_t Length = 0;
    std::vector<float> Interleaved;
};

bool ZynReadAudio(const std::string& path, TZynPcm& out, std::string& error);
bool ZynDecodeAudio(const uint8_t* data, size_t len, TZynPcm& out, std::string& error);
