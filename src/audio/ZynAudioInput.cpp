// ZynAudioInput: file playback by the frame clock, capture draining, analysis.
#include "audio/ZynAudioInput.h"

#include <algorithm>
#include <cmath>

bool TZynAudioInput::Open(const std::string& what, const std::string& source, std::string& error)
{
    Analyser.reset();
    Played = 0;
    FromCapture = what == "capture";
    if (FromCapture) {
        if (!Capture.Start(source, error)) return false;
        Analyser = std::make_unique<TZynAudioAnalyser>(TZynAudioCapture::Rate);
        return true;
    }
    if (!File.Open(what, error)) return false;
    if (File.Frames() == 0) {
        error = "\"" + what + "\" holds no sound";
        File.Close();
        return false;
    }
    Analyser = std::make_unique<TZynAudioAnalyser>(File.SampleRate());
    return true;
}

TVisData TZynAudioInput::Frame(float dt)
{
    if (!Analyser) return TVisData{};
    if (FromCapture) {
        Block.resize(4096);
        size_t n;
        while ((n = Capture.Read(Block.data(), Block.size())) > 0) Analyser->Push(Block.data(), n);
        std::string e = Capture.TakeError();
        if (!e.empty()) Warning = e + "; the music input is silent from now on";
        // Reported at most every 5 s so a slow machine does not flood the log.
        Lost += Capture.TakeDropped();
        SinceWarning += dt;
        if (Lost > 0 && SinceWarning >= 5.0) {
            Warning = "frames came too slowly for the sound: " + std::to_string(Lost) + " samples dropped";
            Lost = 0;
            SinceWarning = 0;
        }
    } else {
        // A long stall (window moved, debugger) is not played back in one go.
        Owed += std::min(double(std::max(dt, 0.0f)), 0.25) * File.SampleRate();
        size_t want = size_t(Owed);
        Owed -= double(want);
        Block.resize(want);
        size_t got = 0;
        bool rewound = false;
        while (got < want) {
            size_t n = File.Read(Block.data() + got, want - got);
            if (n == 0) {   // at the end: from the start again (once, so a file that reads nothing cannot spin)
                if (rewound || !File.Seek(0)) break;
                rewound = true;
            }
            got += n;
        }
        Analyser->Push(Block.data(), got);
    }
    Analyser->TakeOnsets();
    return Analyser->Frame(dt);
}

TVisData TZynAudioInput::FrameUntil(uint64_t end, float dt)
{
    if (!Analyser || FromCapture) return TVisData{};
    end = std::min(end, File.Frames());
    while (Played < end) {
        Block.resize(size_t(std::min<uint64_t>(end - Played, 4096)));
        size_t n = File.Read(Block.data(), Block.size());
        if (n == 0) break;   // shorter than its header said
        Analyser->Push(Block.data(), n);
        Played += n;
    }
    Analyser->TakeOnsets();
    return Analyser->Frame(dt);
}

std::string TZynAudioInput::TakeWarning()
{
    std::string w;
    w.swap(Warning);
    return w;
}
