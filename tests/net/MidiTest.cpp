// MIDI control: decoding, scaling and stepping, console-line buttons, learn
// and its saved mapping, the bounded queue under a flood (all without a
// sequencer), and a CC sweep and learn through the ALSA sequencer into the
// running program where this machine has one. Ports: UDP 43030-43039.
#include "config/ZynConst.h"
#include "config/ZynConstSave.h"
#include "net/OscTestClient.h"
#include "net/ZynMidiIn.h"
#include "net/ZynMidiMap.h"
#include "platform/ZynIni.h"
#include "platform/ZynPath.h"

#include <rtmidi/RtMidi.h>

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using zyntest::OscTestClient;
using zyntest::Seconds;
using zyntest::ZynRunning;

namespace {

TZynMidiEvent Cc(uint8_t channel, uint8_t number, uint8_t value) { return {TZynMidiKind::Control, channel, number, value}; }
TZynMidiEvent Note(uint8_t channel, uint8_t number, uint8_t velocity) { return {TZynMidiKind::Note, channel, number, velocity}; }

float Value(const char* name) { return ConstAsFloat(FindConst(name)); }
void SetValue(const char* name, double v) { ConstSetFloat(FindConst(name), v); }

class MidiMap : public ::testing::Test {
protected:
    void SetUp() override
    {
        static const bool captured = (ConstCaptureDefaults(), true);
        (void)captured;
        dir = fs::temp_directory_path() / ("zyn_midimap_" + std::to_string(getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        ZynSetBaseDir(dir.string());
    }
    void TearDown() override { fs::remove_all(dir); }
    static TZynMidiMap FromText(const std::string& text)
    {
        TZynMidiMap map;
        map.Load(*TZynIniFile::FromText("[MIDI]\n" + text));
        return map;
    }
    fs::path dir;
};

}  // namespace

TEST(MidiDecode, TakesControlChangesAndNotesOnly)
{
    struct Row {
        std::vector<uint8_t> bytes;
        bool ok;
        TZynMidiKind kind;
        int channel, number, value;
    };
    const std::vector<Row> rows = {
        {{0xB0, 7, 100}, true, TZynMidiKind::Control, 1, 7, 100},
        {{0xBF, 1, 0}, true, TZynMidiKind::Control, 16, 1, 0},
        {{0x99, 36, 90}, true, TZynMidiKind::Note, 10, 36, 90},
        {{0x80, 36, 64}, true, TZynMidiKind::Note, 1, 36, 0},   // note-off: velocity 0
        {{0xE0, 0, 64}, false, {}, 0, 0, 0},                     // pitch bend
        {{0xB0, 7}, false, {}, 0, 0, 0},                          // cut short
        {{0xB0, 0x80, 1}, false, {}, 0, 0, 0},                    // a status byte as data
        {{0xF8}, false, {}, 0, 0, 0},                             // clock
    };
    for (const Row& r : rows) {
        TZynMidiEvent e;
        ASSERT_EQ(ZynMidiDecode(r.bytes.data(), r.bytes.size(), e), r.ok) << int(r.bytes[0]);
        if (!r.ok) continue;
        EXPECT_EQ(e.Kind, r.kind);
        EXPECT_EQ(e.Channel, r.channel);
        EXPECT_EQ(e.Number, r.number);
        EXPECT_EQ(e.Value, r.value);
    }
}

TEST_F(MidiMap, ControlsSweepRangesAndNotesStepAndWrap)
{
    TZynMidiMap map = FromText("COUNT=5\n"
                               "Control0=CC 1 7\nConst0=tunnel.speed\n"
                               "Control1=CC 1 8\nConst1=TUNNEL.Speed\nMin1=16\nMax1=-16\n"
                               "Control2=CC 2 1\nConst2=PREF.Tunnel\n"
                               "Control3=NOTE 10 36\nConst3=TUNNEL.Spin\n"
                               "Control4=NOTE 10 37\nConst4=TUNNEL.Sides\n");
    ASSERT_EQ(map.Items.size(), 5u);
    struct Row {
        const char* what;
        TZynMidiEvent event;
        const char* name;
        float expect;
    };
    SetValue("TUNNEL.Spin", 0);
    SetValue("TUNNEL.Sides", 63);
    const std::vector<Row> rows = {
        {"CC 0 is the minimum", Cc(1, 7, 0), "TUNNEL.Speed", -16},
        {"CC 127 is the maximum", Cc(1, 7, 127), "TUNNEL.Speed", 16},
        {"CC 64 near the middle, on a step", Cc(1, 7, 64), "TUNNEL.Speed", 0.1f},
        {"other channel: not mapped", Cc(2, 7, 0), "TUNNEL.Speed", 0.1f},
        {"a reversed range of its own", Cc(1, 8, 0), "TUNNEL.Speed", 16},
        {"no upper limit: twice the default", Cc(2, 1, 127), "PREF.Tunnel", 20},
        {"note toggles a switch on", Note(10, 36, 100), "TUNNEL.Spin", 1},
        {"its note-off changes nothing", Note(10, 36, 0), "TUNNEL.Spin", 1},
        {"and the next note off again", Note(10, 36, 1), "TUNNEL.Spin", 0},
        {"note steps up", Note(10, 37, 100), "TUNNEL.Sides", 64},
        {"from the top back to the minimum", Note(10, 37, 100), "TUNNEL.Sides", 3},
    };
    for (const Row& r : rows) {
        EXPECT_FALSE(map.Apply(r.event));
        EXPECT_FLOAT_EQ(Value(r.name), r.expect) << r.what;
    }
}

TEST_F(MidiMap, ConsoleLinesRunWhenAButtonIsPressed)
{
    TZynMidiMap map = FromText("COUNT=2\nControl0=CC 1 20\nCommand0=TUNNEL.Sides(Inc(TUNNEL.Sides))\n"
                               "Control1=NOTE 1 60\nCommand1=TUNNEL.Sides(3)\n");
    SetValue("TUNNEL.Sides", 10);
    int ran = 0;
    for (uint8_t v : {0, 100, 127, 20, 64, 63, 127}) ran += map.Apply(Cc(1, 20, v));
    EXPECT_EQ(ran, 3);   // rises through 64: 0->100, 20->64, 63->127
    EXPECT_FLOAT_EQ(Value("TUNNEL.Sides"), 13);
    EXPECT_FALSE(map.Apply(Note(1, 60, 0)));
    EXPECT_TRUE(map.Apply(Note(1, 60, 90)));
    EXPECT_FLOAT_EQ(Value("TUNNEL.Sides"), 3);
}

TEST_F(MidiMap, BadEntriesAreSkipped)
{
    TZynMidiMap map = FromText("COUNT=7\n"
                               "Control0=CC 17 1\nConst0=TUNNEL.Speed\n"     // channel out of range
                               "Control1=PB 1 1\nConst1=TUNNEL.Speed\n"      // no such kind
                               "Control2=CC 1 128\nConst2=TUNNEL.Speed\n"    // number out of range
                               "Control3=CC 1 3\nConst3=NOSUCH.Thing\n"
                               "Control4=CC 1 4\n"                           // no target
                               "Control5=CC 1 5 6\nConst5=TUNNEL.Speed\n"    // trailing text
                               "Control6=note 3 9\nConst6=TUNNEL.Spin\n");
    ASSERT_EQ(map.Items.size(), 1u);
    EXPECT_EQ(map.Find(TZynMidiKind::Note, 3, 9), 0);
    EXPECT_EQ(map.Items[0].Const, "TUNNEL.Spin");
}

TEST_F(MidiMap, LearnMapsTheNextControlSavesAndARestartKeepsIt)
{
    std::ofstream(dir / "Zyn.cfg") << "[NET]\nPIN=1234\n";
    TZynMidiMap map;
    map.Load();
    std::string error;
    for (const char* notTargets : {"", "   "}) EXPECT_FALSE(map.Learn(notTargets, error)) << notTargets;
    ASSERT_TRUE(map.Learn("tunnel.twistiness", error)) << error;
    EXPECT_EQ(map.Armed(), "TUNNEL.Twistiness");
    SetValue("TUNNEL.Twistiness", 0.5);
    map.Apply(Note(1, 50, 0));   // a note's release is not a control moved
    EXPECT_TRUE(map.Learning());
    map.Apply(Cc(2, 74, 30));
    EXPECT_FALSE(map.Learning());
    EXPECT_FLOAT_EQ(Value("TUNNEL.Twistiness"), 0.5f);   // learning does not move it
    // The same control learned again is replaced; a line is learned the same way.
    ASSERT_TRUE(map.Learn("TUNNEL.Speed", error));
    map.Apply(Cc(2, 74, 0));
    ASSERT_TRUE(map.Learn("TUNNEL.Spin(1)", error));
    map.Apply(Note(1, 50, 90));
    EXPECT_EQ(map.Items.size(), 2u);

    // Saved at once, the rest of Zyn.cfg kept; a new map (a restart) reads it.
    TZynIniFile cfg(ConfigFileName());
    EXPECT_EQ(cfg.ReadString("NET", "PIN", ""), "1234");
    EXPECT_EQ(cfg.ReadString("MIDI", "Control0", ""), "CC 2 74");
    EXPECT_EQ(cfg.ReadString("MIDI", "Const0", ""), "TUNNEL.Speed");
    EXPECT_EQ(cfg.ReadString("MIDI", "Command1", ""), "TUNNEL.Spin(1)");
    TZynMidiMap restarted;
    restarted.Load();
    ASSERT_EQ(restarted.Items.size(), 2u);
    restarted.Apply(Cc(2, 74, 127));
    EXPECT_FLOAT_EQ(Value("TUNNEL.Speed"), 16);
    SetValue("TUNNEL.Spin", 0);
    EXPECT_TRUE(restarted.Apply(Note(1, 50, 1)));
    EXPECT_FLOAT_EQ(Value("TUNNEL.Spin"), 1);
}

TEST_F(MidiMap, AFloodIsBoundedAndAppliedAFrameAtATime)
{
    TZynMidiIn midi;
    midi.Map = FromText("COUNT=1\nControl0=CC 1 7\nConst0=TUNNEL.Speed\n");
    const uint8_t cc[3] = {0xB0, 7, 127}, clock[1] = {0xF8};
    for (int i = 0; i < 10000; i++) {
        midi.Push(cc, 3);
        midi.Push(clock, 1);   // not queued at all
    }
    EXPECT_EQ(midi.Waiting(), TZynMidiIn::QueueSize);
    EXPECT_EQ(midi.Dropped(), 10000u - TZynMidiIn::QueueSize);
    EXPECT_EQ(midi.Service(), TZynMidiIn::MaxPerFrame);
    EXPECT_FLOAT_EQ(Value("TUNNEL.Speed"), 16);
    EXPECT_EQ(midi.Waiting(), TZynMidiIn::QueueSize - TZynMidiIn::MaxPerFrame);
    // Console lines are bounded more tightly: a frame runs at most MaxLinesPerFrame.
    midi.Map = FromText("COUNT=1\nControl0=NOTE 1 1\nCommand0=Add(1, 1)\n");
    while (midi.Service() > 0) {}
    const uint8_t note[3] = {0x90, 1, 100};
    for (int i = 0; i < 100; i++) midi.Push(note, 3);
    EXPECT_EQ(midi.Service(), TZynMidiIn::MaxLinesPerFrame);
}

// Through the ALSA sequencer: a virtual output port of this test feeds the
// running program, whose mapping and learn are read back over OSC.
TEST(MidiSequencer, SweepLearnAndRestartThroughTheRunningProgram)
{
    if (!ZynMidiSequencerPresent()) GTEST_SKIP() << "no ALSA sequencer here (/dev/snd/seq): MIDI through a running program not tested";
    std::unique_ptr<RtMidiOut> out;
    try {
        out = std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, "ZynTestSender");
        out->openVirtualPort("ZynTestSweep");
    } catch (const RtMidiError& e) {
        GTEST_SKIP() << "the ALSA sequencer refused a virtual port: " << e.getMessage();
    }
    auto send = [&](uint8_t number, uint8_t value) {
        const std::vector<unsigned char> m = {0xB0, number, value};
        out->sendMessage(&m);
    };
    ZynRunning zyn("midi", 0, 43030);
    std::ofstream(zyn.Dir() / "Zyn.cfg") << "[MIDI]\nCOUNT=1\nControl0=CC 1 7\nConst0=TUNNEL.Speed\n";
    const std::vector<std::string> args = {"--osc-port", "43033", "--midi", "ZynTestSweep"};
    zyn.Start(args);
    ASSERT_GE(zyn.WaitUp(), 0) << zyn.Log();
    ASSERT_NE(zyn.Log().find("MIDI: listening to \"ZynTestSender"), std::string::npos) << zyn.Log();
    OscTestClient osc(43033);
    auto waitFor = [&](const char* name, double expect) {
        for (const double t0 = Seconds(); Seconds() - t0 < 5; usleep(20000)) {
            const auto r = osc.Get(name, 0.5);
            if (r && std::abs(r->Number - expect) < 1e-4) return true;
        }
        return false;
    };
    for (int v = 0; v <= 127; v++) {
        send(7, static_cast<uint8_t>(v));
        if (v == 0) EXPECT_TRUE(waitFor("TUNNEL/Speed", -16));
    }
    EXPECT_TRUE(waitFor("TUNNEL/Speed", 16));
    // Learn over the console, then the next control moved is mapped and saved.
    osc.Send("/zyn/exec", "s", {}, {"MidiLearn([TUNNEL.Twistiness])"});
    ASSERT_TRUE(waitFor("TUNNEL/Speed", 16));   // the line has run
    send(8, 5);
    send(8, 127);
    EXPECT_TRUE(waitFor("TUNNEL/Twistiness", 10));
    EXPECT_EQ(zyn.Stop(), 0);
    EXPECT_NE(zyn.File("Zyn.cfg").find("Control1=CC 1 8"), std::string::npos);
    zyn.Start(args);
    ASSERT_GE(zyn.WaitUp(), 0);
    send(8, 0);
    EXPECT_TRUE(waitFor("TUNNEL/Twistiness", 0));
    EXPECT_EQ(zyn.Stop(), 0);
}
