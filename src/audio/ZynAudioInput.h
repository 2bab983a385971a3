// ZynAudioInput: the program's own music input (zyn --audio capture|FILE).
//
// Opens desktop capture or an audio file and, once per frame, feeds the
// sound of that frame to the analyser and returns its record, which the
// client blends into the live record exactly as it blends a received packet.
// A file plays in step with the frame clock (so --fixed-dt runs are
// repeatable) and starts again at its end. Capture takes whatever the
// capture thread has gathered since the last frame.
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
    // A problem found while running (capture ended, samples dropped), or "".
    std::string TakeWarning();

private:
    TZynAudioFile File;
    TZynAudioCapture Capture;
    bool FromCapture = false;
    std::unique_ptr<TZynAudioAnalyser> Analyser;
    double Owed = 0;          // file: samples due but not yet read (fraction carried)
    std::vector<float> Block;
    std::string Warning;
    uint64_t Lost = 0;           // capture: samples dropped, not yet reported
    double SinceWarning = 5.0;   // seconds since the last report
};
