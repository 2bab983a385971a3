// ZynMidiIn: TZynMidiIn, MIDI input from the ALSA sequencer (RtMidi).
//
// Opens every input port (or those whose name contains one of the given
// names) plus a port of its own, "Zyn", that other programs can connect to.
// RtMidi calls back on its own threads; the callback only decodes the message
// and queues it (a fixed ring under a mutex; when full, messages are counted
// as dropped), and the frame applies the queue through the mapping list: at
// most MaxPerFrame messages and MaxLinesPerFrame console lines a frame, and
// none started after MaxSecondsPerFrame; the rest wait, so a flood never holds
// a frame or grows memory.
// Depends on: net/ZynMidiMap, app/ZynLog, RtMidi (ALSA).
#pragma once

#include "net/ZynMidiMap.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class RtMidiIn;

class TZynMidiIn {
public:
    static constexpr size_t QueueSize = 4096;
    static constexpr int MaxPerFrame = 512;
    static constexpr int MaxLinesPerFrame = 16;
    static constexpr double MaxSecondsPerFrame = 0.005;

    TZynMidiIn();
    ~TZynMidiIn();
    TZynMidiIn(const TZynMidiIn&) = delete;
    TZynMidiIn& operator=(const TZynMidiIn&) = delete;

    // Loads the mappings and opens the ports (a name that matches no port is
    // a warning). False with error set when there is no sequencer or no port
    // could be opened; the program then runs without MIDI.
    bool Open(const std::vector<std::string>& names, std::string& error);
    // The callback's work: decode and queue. Any thread.
    void Push(const uint8_t* bytes, size_t count);
    // An error text from RtMidi (any thread); the frame logs it. failure: not
    // just a warning (an open that failed).
    void NoteError(const std::string& text, bool failure);
    // Applies what is queued, within the per-frame bounds. Returns how many.
    int Service();

    size_t Waiting();
    uint64_t Dropped() const { return DroppedCount.load(); }
    const std::vector<std::string>& PortNames() const { return Names; }

    TZynMidiMap Map;

private:
    bool Pop(TZynMidiEvent& out);
    bool AddPort(int index, const std::string& name, std::string& error);
    void ReportErrors();

    std::mutex QueueLock;
    std::array<TZynMidiEvent, QueueSize> Ring{};
    size_t Head = 0, Count = 0;
    std::atomic<uint64_t> DroppedCount{0};
    std::atomic<int> Failures{0};
    uint64_t DroppedReported = 0;
    std::mutex ErrorLock;
    std::vector<std::string> Errors;   // from RtMidi's threads, logged by the frame
    std::vector<std::unique_ptr<RtMidiIn>> Ports;
    std::vector<std::string> Names;
};

// The live MIDI input (console command, constants window), nullptr without one.
extern TZynMidiIn* MidiInput;

// True when this machine has an ALSA sequencer device to open.
bool ZynMidiSequencerPresent();
