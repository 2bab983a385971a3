// ZynClientObject: TZynClient, the object that lives as long as a GL window.
//
// It owns the live vis data record, the network endpoints (UDP control and
// data socket, telnet server, web remote, OSC server, MIDI input) and the sequencer. Once per frame it services
// the network and hands the live record to the sequencer. Start-up creates the
// one instance (Client) after the GL context exists; the window's
// de-initialisation frees it, so a window rebuild rebuilds the client too.
// Ports, the demo input and the audio input come from the command line (ZynOpt);
// a render (ZynRenderJob) opens no network and takes its music from the render.
// Depends on: app/ZynClientObjectNet (UDP), app/ZynOptions, app/ZynInit
// (ScreenSaverMode), app/TGLWindow (Quit), app/ZynLog,
// audio/ZynVisData, audio/ZynAudioInput, engine/ZynVis (TVisObject), net/ZynTelnet,
// net/ZynWebRemote, net/ZynOscServer, net/ZynMidiIn, OpenGL.
#pragma once

#include "app/ZynClientObjectNet.h"
#include "audio/ZynAudioInput.h"
#include "audio/ZynVisData.h"

#include <cstdint>
#include <memory>
#include <vector>

class TVisObject;
class TZynTelnet;
class TZynWebRemote;
class TZynOscServer;
class TZynMidiIn;

class TZynClient {
public:
    // Needs a current GL context (the sequencer builds its scenes).
    TZynClient();
    ~TZynClient();
    TZynClient(const TZynClient&) = delete;
    TZynClient& operator=(const TZynClient&) = delete;

    // One frame: network, then the sequencer's frame. dt is GLWindow.TimeDelta.
    void Frame(float dt);
    // The sockets' input (telnet, the web remote, UDP, then OSC), as each frame starts; also run
    // between frames when one of WaitDescriptors has input.
    void ServiceInput();
    void WaitDescriptors(std::vector<int>& fds) const;
    // Window key and mouse callbacks (arguments as the window layer reports them).
    void Key(bool pressed, int32_t code, bool isVirtualKey);
    void Mouse(int32_t x, int32_t y, uint8_t button, uint8_t state, bool pressed);

    // Presence record to the announce target's two ports.
    void AnnouncePresence() { Net.AnnouncePresence(); }
    // One 88-byte reply record to address:port.
    bool SendRecord(const std::array<uint8_t, ZynReplySize>& record, const in_addr& address, int port)
    {
        return Net.SendRecord(record, address, port);
    }

    TVisData VisData{};                 // the live music record, zero at creation
    std::unique_ptr<TVisObject> Vis;    // the sequencer (null if it could not be built)
    TZynClientNet Net;                  // receiving socket, packet handler, replies
    std::unique_ptr<TZynTelnet> Telnet; // the telnet remote console (null without it)
    std::unique_ptr<TZynWebRemote> Web; // the web remote (null unless --web-port)
    TZynAudioInput Audio;               // --audio: capture or file, analysed each frame
    std::unique_ptr<TZynOscServer> Osc; // --osc-port: OSC control (null without it)
    std::unique_ptr<TZynMidiIn> Midi;   // MIDI input (null without a sequencer or with --midi off)

private:
    void StartLiveControl();
};

// The UDP ports and announce target of this run, from the command line.
TZynClientPorts ZynClientPortsFromOptions();

// The one instance while a window exists (nullptr otherwise).
extern TZynClient* Client;
// True once the client has run a frame; false after it is destroyed.
extern bool ClientRunning;
