// ZynAudioInput: the program's own music input (zyn --audio capture|FILE).
//
// Opens desktop capture or an audio file and, once per frame, feeds the
// sound of that frame to the analyser and returns its record, which the
// client blends into the live record exactly as it blends a received packet.
// A file plays in step with the frame clock (so --fixed-dt runs are
// repeatable) and starts again at its end. Capture takes whatever the
// capture thread has gathered since the last frame. An offline render asks
// for the sound up to each frame's exact time instead.
// Depends on: audio/ZynAudioAnalyser, audio/ZynAudioFile, audio/ZynAudioCapture.
#pragma once

#include "audio/ZynAudioAnalyser.h"
#include "audio/ZynAudioCapture.h"
#include "audio/ZynAudioFile.h"

#include <memory>
#include <string>
#include <vector>

class TZynAudioInput {
public:
    // what: "capture" or a file path; source: a capture source name ("" default).
    bool Open(const std::string& what, const std::string& source, std::string& error);
    bool IsOpen() const { return Analyser != nullptr; }
    // The record for a frame of dt seconds.
    TVisData Frame(float dt);
    // Offline (a file only): the record once the file has been read up to
    // sample `end` (its length at most), whatever the frame times added up to.
    // It never starts again from the beginning.
    TVisData FrameUntil(uint64_t end, float dt);
    int SampleRate() const { return File.SampleRate(); }
    uint64_t Samples() const { return File.Frames(); }
    // A problem found while running (capture ended, samples dropped), or "".
    std::string TakeWarning();

private:
    TZynAudioFile File;
    TZynAudioCapture Capture;
    bool FromCapture = false;
    std::unique_ptr<TZynAudioAnalyser> Analyser;
    double Owed = 0;          // file: samples due but not yet read (fraction carried)
    uint64_t Played = 0;      // file, offline: samples read so far
    std::vector<float> Block;
    std::string Warning;
    uint64_t Lost = 0;           // capture: samples dropped, not yet reported
    double SinceWarning = 5.0;   // seconds since the last report
};
