// ZynMidiIn: ALSA sequencer ports through RtMidi, the bounded event queue and its frame service.
#include "net/ZynMidiIn.h"

#include "app/ZynLog.h"
#include "platform/ZynNumbers.h"

#include <rtmidi/RtMidi.h>

#include <unistd.h>

#include <chrono>

TZynMidiIn* MidiInput = nullptr;

namespace {

void OnMessage(double, std::vector<unsigned char>* message, void* self)
{
    if (message) static_cast<TZynMidiIn*>(self)->Push(message->data(), message->size());
}

void OnError(RtMidiError::Type type, const std::string& text, void* self)
{
    const bool failure = type != RtMidiError::WARNING && type != RtMidiError::DEBUG_WARNING;
    static_cast<TZynMidiIn*>(self)->NoteError(text, failure);
}

bool NameMatches(const std::string& port, const std::vector<std::string>& names)
{
    if (names.empty()) return true;
    const std::string p = ZynLower(port);
    for (const std::string& n : names)
        if (p.find(ZynLower(n)) != std::string::npos) return true;
    return false;
}

}  // namespace

bool ZynMidiSequencerPresent() { return access("/dev/snd/seq", R_OK | W_OK) == 0; }

TZynMidiIn::TZynMidiIn() { MidiInput = this; }

TZynMidiIn::~TZynMidiIn()
{
    if (MidiInput == this) MidiInput = nullptr;
    Ports.clear();   // closes the ports and joins RtMidi's threads before the queue goes
}

void TZynMidiIn::NoteError(const std::string& text, bool failure)
{
    if (failure) Failures++;
    std::lock_guard<std::mutex> hold(ErrorLock);
    if (Errors.size() < 16) Errors.push_back(text);
}

void TZynMidiIn::ReportErrors()
{
    std::vector<std::string> errors;
    {
        std::lock_guard<std::mutex> hold(ErrorLock);
        errors.swap(Errors);
    }
    for (const std::string& e : errors) ZynLogWarning("MIDI - " + ZynTrim(e));
}

bool TZynMidiIn::AddPort(int index, const std::string& name, std::string& error)
{
    try {
        auto in = std::make_unique<RtMidiIn>(RtMidi::LINUX_ALSA, "Zyn");
        in->setErrorCallback(&OnError, this);
        in->ignoreTypes(true, true, true);   // sysex, clock and active sensing never reach the queue
        in->setCallback(&OnMessage, this);
        // With an error callback RtMidi reports a failed open there instead of throwing.
        const int failures = Failures.load();
        if (index < 0) in->openVirtualPort("Zyn");
        else in->openPort(static_cast<unsigned>(index), "Zyn");
        if (Failures.load() != failures) {
            error = "port \"" + name + "\" could not be opened";
            return false;
        }
        Ports.push_back(std::move(in));
        Names.push_back(name);
        return true;
    } catch (const RtMidiError& e) {
        error = e.getMessage();
        return false;
    }
}

bool TZynMidiIn::Open(const std::vector<std::string>& names, std::string& error)
{
    Map.Load();
    if (!ZynMidiSequencerPresent()) {
        error = "no ALSA sequencer (/dev/snd/seq is missing; modprobe snd-seq)";
        return false;
    }
    std::vector<std::string> found;
    try {
        RtMidiIn probe(RtMidi::LINUX_ALSA, "Zyn");
        probe.setErrorCallback(&OnError, this);
        const unsigned count = probe.getPortCount();
        for (unsigned i = 0; i < count; i++) found.push_back(probe.getPortName(i));
    } catch (const RtMidiError& e) {
        error = e.getMessage();
        return false;
    }
    // Our own port first: programs and aconnect can reach it whatever is plugged in.
    std::string portError;
    if (AddPort(-1, "Zyn", portError)) ZynLogLine("MIDI: port \"Zyn\" open for other programs to connect");
    else ZynLogWarning("MIDI - " + portError);
    size_t listened = 0;
    for (size_t i = 0; i < found.size(); i++) {
        if (!NameMatches(found[i], names)) continue;
        if (AddPort(static_cast<int>(i), found[i], portError)) {
            ZynLogLine("MIDI: listening to \"" + found[i] + "\"");
            listened++;
        } else {
            ZynLogWarning("MIDI - " + portError);
        }
    }
    ReportErrors();
    if (!names.empty() && listened == 0) {
        std::string wanted;
        for (const std::string& n : names) wanted += " \"" + n + "\"";
        ZynLogWarning("MIDI - no input port matches" + wanted + " (aconnect lists them)");
    }
    if (Ports.empty()) {
        error = "no MIDI port could be opened";
        return false;
    }
    return true;
}

void TZynMidiIn::Push(const uint8_t* bytes, size_t count)
{
    TZynMidiEvent e;
    if (!ZynMidiDecode(bytes, count, e)) return;
    std::lock_guard<std::mutex> hold(QueueLock);
    if (Count == QueueSize) {
        DroppedCount++;
        return;
    }
    Ring[(Head + Count) % QueueSize] = e;
    Count++;
}

bool TZynMidiIn::Pop(TZynMidiEvent& out)
{
    std::lock_guard<std::mutex> hold(QueueLock);
    if (Count == 0) return false;
    out = Ring[Head];
    Head = (Head + 1) % QueueSize;
    Count--;
    return true;
}

size_t TZynMidiIn::Waiting()
{
    std::lock_guard<std::mutex> hold(QueueLock);
    return Count;
}

int TZynMidiIn::Service()
{
    int handled = 0, lines = 0;
    const auto start = std::chrono::steady_clock::now();
    const auto budget = std::chrono::duration<double>(MaxSecondsPerFrame);
    TZynMidiEvent e;
    while (handled < MaxPerFrame && lines < MaxLinesPerFrame &&
           (handled == 0 || std::chrono::steady_clock::now() - start < budget) && Pop(e)) {
        handled++;
        if (Map.Apply(e)) lines++;
    }
    const uint64_t dropped = DroppedCount.load();
    if (dropped != DroppedReported) {
        ZynLogWarning("MIDI - " + std::to_string(dropped - DroppedReported) + " messages dropped (more than " +
                      std::to_string(QueueSize) + " waiting)");
        DroppedReported = dropped;
    }
    ReportErrors();
    return handled;
}
