// ZynClientObject: TZynClient, network endpoints and the frame hand-off.
#include "app/ZynClientObject.h"

#include "app/ZynLog.h"
#include "app/ZynOptions.h"
#include "engine/ZynVis.h"

#include <GL/gl.h>

#include <exception>

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
          if (Vis) Vis->HandlePacket(packet.Bytes.data());
      })
{
    // 1. Loading screen at 0 (the sequencer advances it while it builds scenes).
    if (ZynVisHooks.ShowLoading) ZynVisHooks.ShowLoading("", 0.0f);
    // 2. The sequencer.
    try {
        Vis = std::make_unique<TVisObject>();
    } catch (const std::exception& e) {
        ZynLogException("TZynClient.Create:VisObject", e.what());
    } catch (...) {
        ZynLogException("TZynClient.Create:VisObject", "unknown exception");
    }
    // 3. UDP: on failure the warning says why, and everything else runs.
    Net.Start(ZynClientPortsFromOptions());
    // 4. Telnet server: created here by the telnet module once it is wired in.
}

TZynClient::~TZynClient()
{
    ClientRunning = false;
    Net.Stop();
    Vis.reset();
}

void TZynClient::Frame(float dt)
{
    // 1.
    ClientRunning = true;
    // 2. Telnet server poll: called here by the telnet module once it is wired in.
    // 3. Every pending datagram, handled now so packets never overlap rendering.
    Net.Service();
    // 4. Demo input replaces the live record every frame.
    if (ZynOpt.demo) VisData = SynthesizeVisData(dt);
    // 5. The sequencer's frame.
    if (Vis) {
        Vis->Frame(VisData, dt);
    } else {
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
}

void TZynClient::Key(bool pressed, int32_t code, bool isVirtualKey)
{
    // Goes through the sequencer to its user interface once that exists.
}

void TZynClient::Mouse(int32_t x, int32_t y, uint8_t button, uint8_t state, bool pressed)
{
    // Goes through the sequencer to its user interface once that exists.
}
