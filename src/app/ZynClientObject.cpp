// ZynClientObject: TZynClient, network endpoints and the frame hand-off.
#include "app/ZynClientObject.h"

#include "app/TGLWindow.h"
#include "app/ZynInit.h"
#include "app/ZynLoading.h"
#include "app/ZynLog.h"
#include "app/ZynOptions.h"
#include "app/ZynRender.h"
#include "announce/ZynAnnounceList.h"
#include "console/ZynCommands.h"
#include "console/ZynConsole.h"
#include "engine/ZynVis.h"
#include "net/ZynMidiIn.h"
#include "net/ZynOscServer.h"
#include "net/ZynTelnet.h"
#include "net/ZynWebRemote.h"
#include "winamp/ZynWinAMPControl.h"

#include <GL/gl.h>

#include <algorithm>
#include <exception>

namespace {
template <class F>
void Guarded(const char* step, F&& f)
{
    try {
        f();
    } catch (const std::exception& e) {
        ZynLogException(step, e.what());
    } catch (...) {
        ZynLogException(step, "unknown exception");
    }
}
}  // namespace

TZynClient* Client = nullptr;
bool ClientRunning = false;

TZynClientPorts ZynClientPortsFromOptions()
{
    TZynClientPorts p;
    p.Receive = ZynOpt.udpPort;
    p.Reply = ZynOpt.replyPort;
    p.Presence = ZynOpt.presencePort;
    p.AnnounceTo = ZynOpt.announceTo;
    return p;
}

TZynClient::TZynClient()
    : Net(VisData, [this](const TZynPacket& packet) {
          if (Vis) Vis->HandlePacket(packet);
      })
{
    // 1. Loading screen at 0 (the sequencer advances it while it builds scenes).
    ShowLoading("", 0.0f);
    // 2. The sequencer.
    Guarded("TZynClient.Create:VisObject", [this] { Vis = std::make_unique<TVisObject>(); });
    // 2b. Every scene and fader drawn once, unseen, so no change pays the driver's first-use costs.
    if (Vis) Guarded("TZynClient.Create:WarmUp", [this] { Vis->WarmUp(); });
    // A render hears nothing from outside: its frames depend on its inputs alone.
    if (ZynRenderJob) return;
    // 3. UDP: on failure the warning says why, and everything else runs.
    Net.Start(ZynClientPortsFromOptions());
    // 4. The telnet server.
    Guarded("TZynClient.Create:Telnet", [this] { Telnet = std::make_unique<TZynTelnet>(); });
    // 4b. The web remote, when asked for.
    if (ZynOpt.webPort > 0)
        Guarded("TZynClient.Create:Web", [this] { Web = std::make_unique<TZynWebRemote>(ZynOpt.webListen, ZynOpt.webPort); });
    // 5. OSC and MIDI: without them the program runs on.
    Guarded("TZynClient.Create:LiveControl", [this] { StartLiveControl(); });
    // 6. In-process music input: without it the program runs on, silent.
    if (!ZynOpt.audio.empty()) {
        std::string error;
        if (Audio.Open(ZynOpt.audio, ZynOpt.source, error))
            ZynLogLine(ZynOpt.audio == "capture" ? "Music from the desktop's sound" : "Music from \"" + ZynOpt.audio + "\"");
        else
            ZynLogWarning("--audio " + ZynOpt.audio + ": " + error + "; running without music input");
    }
}

TZynClient::~TZynClient()
{
    ClientRunning = false;
    Net.Stop();
    Osc.reset();
    Midi.reset();
    Vis.reset();
    Telnet.reset();
    Web.reset();
}

void TZynClient::Frame(float dt)
{
    // 1.
    ClientRunning = true;
    // 2. Telnet connections and every pending datagram, handled now so packets
    // never overlap rendering; 3. the media player's replies and signals (never waits).
    ServiceInput();
    WinAMPPoll();
    // 3b. MIDI events queued since the last frame, bounded per frame like the datagrams.
    if (Midi) Midi->Service();
    // 4. Synthetic input (screen saver, --demo) replaces the live record every frame.
    if (ScreenSaverMode || ZynOpt.demo) VisData = SynthesizeVisData(dt);
    // 4b. --audio: this frame's sound, blended in as a received record is.
    if (Audio.IsOpen()) {
        VisData = BlendVisData(VisData, Audio.Frame(dt), 0.5f);
        std::string w = Audio.TakeWarning();
        if (!w.empty()) ZynLogWarning("--audio: " + w);
    }
    // 4c. --render: the file's sound at this frame's time, blended the same way.
    if (ZynRenderJob) VisData = BlendVisData(VisData, ZynRenderJob->Music(dt), 0.5f);
    // 5. The sequencer's frame.
    if (Vis) {
        Vis->Frame(VisData, dt);
    } else {
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    // 5b. The picture for the web remote's watchers, before the window swaps it away.
    if (Web) Web->CaptureThumbnail();
    // 6. The --exec line, once, after the first frame.
    ConsoleFrameDone();
    // 7. Counts of folded log and console lines that are due.
    ZynLogFlush();
    ConsoleFlush();
}

void TZynClient::StartLiveControl()
{
    if (ZynOpt.oscPort > 0) {
        TZynOscHandlers h;
        h.SceneChange = [this](int32_t scene, int32_t fader) {
            if (Vis) Vis->SceneChange(scene, fader);
        };
        // As the Announce command: the index kept within the list, "/n" a line break.
        h.Announce = [this](int32_t index, const std::string& text, float seconds) {
            const int32_t count = Vis ? Vis->Announcements->Count() : 0;
            if (count > 0) Vis->Announce(std::clamp(index, 0, count - 1), AnnounceText(text), seconds);
        };
        Osc = std::make_unique<TZynOscServer>(std::move(h));
        if (!Osc->Start(ZynOpt.oscListen, ZynOpt.oscPort)) Osc.reset();
    }
    if (!ZynOpt.midi) return;
    Midi = std::make_unique<TZynMidiIn>();
    std::string error;
    if (Midi->Open(ZynOpt.midiPorts, error)) return;
    // Asked for by name, its absence is worth a warning; otherwise just a note.
    const std::string line = "MIDI: " + error + "; running without MIDI";
    if (ZynOpt.midiPorts.empty()) ZynLogLine(line);
    else ZynLogWarning(line);
    Midi.reset();
}

void TZynClient::ServiceInput()
{
    if (Telnet) Telnet->Poll();
    if (Web) Web->Service();
    Net.Service();
    if (Osc) Osc->Service();
}

void TZynClient::WaitDescriptors(std::vector<int>& fds) const
{
    if (Telnet) Telnet->WaitDescriptors(fds);
    if (Net.Listening()) fds.push_back(Net.Handle());
    if (Osc && Osc->Listening()) fds.push_back(Osc->Handle());
}

void TZynClient::Key(bool pressed, int32_t code, bool isVirtualKey)
{
    if (ScreenSaverMode) {   // any key ends the screen saver
        GLWindow.Quit();
        return;
    }
    // The sequencer runs the key's binding, then hands the key to its windows.
    if (Vis) Vis->Key(pressed, code, isVirtualKey);
}

void TZynClient::Mouse(int32_t x, int32_t y, uint8_t button, uint8_t state, bool pressed)
{
    if (ScreenSaverMode) {   // a few mouse events are tolerated, then it ends
        if (--ScreenSaverMouseCount < 0) GLWindow.Quit();
        return;
    }
    if (Vis) Vis->Mouse(x, y, button, state, pressed);
}
