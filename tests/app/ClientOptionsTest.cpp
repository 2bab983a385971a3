// Command-line options of the network side: ports and the announce target.
#include "app/ZynOptions.h"

#include <gtest/gtest.h>

#include <vector>

static ZynOptionsResult Parse(std::vector<const char*> args, ZynOptions& o, std::string& error)
{
    args.insert(args.begin(), "zyn");
    std::string out;
    return ZynParseOptions(static_cast<int>(args.size()), args.data(), o, out, error);
}

TEST(ClientOptions, PeerPortsDefaultToTheProtocolPorts)
{
    ZynOptions o;
    std::string err;
    ASSERT_EQ(Parse({}, o, err), ZynOptionsResult::Run);
    EXPECT_EQ(o.udpPort, 556);
    EXPECT_EQ(o.replyPort, 557);
    EXPECT_EQ(o.presencePort, 555);
    EXPECT_EQ(o.announceTo, "255.255.255.255");
}

TEST(ClientOptions, PeerPortsCanBeMovedForUnprivilegedPeers)
{
    ZynOptions o;
    std::string err;
    ASSERT_EQ(Parse({"--udp-port", "20556", "--reply-port=20557", "--presence-port", "20555",
                     "--announce-to", "127.0.0.1"}, o, err), ZynOptionsResult::Run) << err;
    EXPECT_EQ(o.udpPort, 20556);
    EXPECT_EQ(o.replyPort, 20557);
    EXPECT_EQ(o.presencePort, 20555);
    EXPECT_EQ(o.announceTo, "127.0.0.1");
}

TEST(ClientOptions, BadPortsAreUsageErrors)
{
    for (const char* bad : {"0", "65536", "-1", "abc", "557x", ""}) {
        ZynOptions o;
        std::string err;
        EXPECT_EQ(Parse({"--reply-port", bad}, o, err), ZynOptionsResult::ExitUsage) << bad;
        EXPECT_NE(err.find("--reply-port"), std::string::npos) << err;
        EXPECT_EQ(o.replyPort, 557);
        EXPECT_EQ(Parse({"--presence-port", bad}, o, err), ZynOptionsResult::ExitUsage) << bad;
        EXPECT_EQ(o.presencePort, 555);
    }
    ZynOptions o;
    std::string err;
    EXPECT_EQ(Parse({"--reply-port"}, o, err), ZynOptionsResult::ExitUsage);
    EXPECT_EQ(Parse({"--announce-to", "localhost"}, o, err), ZynOptionsResult::ExitUsage);
}

TEST(ClientOptions, UsageListsThePortOptions)
{
    std::string u = ZynUsageText();
    EXPECT_NE(u.find("--reply-port"), std::string::npos);
    EXPECT_NE(u.find("--presence-port"), std::string::npos);
}

TEST(ClientOptions, AudioInputAndSourceNeedAValue)
{
    ZynOptions o;
    std::string err;
    ASSERT_EQ(Parse({"--audio", "capture", "--source=alsa_output.x.monitor"}, o, err), ZynOptionsResult::Run) << err;
    EXPECT_EQ(o.audio, "capture");
    EXPECT_EQ(o.source, "alsa_output.x.monitor");
    for (const char* opt : {"--audio", "--source"}) {
        ZynOptions p;
        EXPECT_EQ(Parse({opt}, p, err), ZynOptionsResult::ExitUsage) << opt;
        EXPECT_EQ(Parse({opt, ""}, p, err), ZynOptionsResult::ExitUsage) << opt;
        EXPECT_NE(err.find(opt), std::string::npos) << err;
    }
}

TEST(ClientOptions, LiveControlOptions)
{
    ZynOptions d;
    std::string err;
    ASSERT_EQ(Parse({}, d, err), ZynOptionsResult::Run);
    EXPECT_EQ(d.oscPort, 0);   // OSC off unless asked for
    EXPECT_EQ(d.oscListen, "127.0.0.1");
    EXPECT_TRUE(d.midi);
    EXPECT_TRUE(d.midiPorts.empty());
    ZynOptions o;
    ASSERT_EQ(Parse({"--osc-port", "9000", "--osc-listen=0.0.0.0", "--midi", "nanoKONTROL", "--midi", "APC"}, o, err),
              ZynOptionsResult::Run) << err;
    EXPECT_EQ(o.oscPort, 9000);
    EXPECT_EQ(o.oscListen, "0.0.0.0");
    EXPECT_EQ(o.midiPorts, (std::vector<std::string>{"nanoKONTROL", "APC"}));
    ZynOptions off;
    ASSERT_EQ(Parse({"--midi", "off"}, off, err), ZynOptionsResult::Run);
    EXPECT_FALSE(off.midi);
    const std::vector<std::vector<const char*>> bad = {
        {"--osc-port", "0"}, {"--osc-port", "65536"}, {"--osc-port", "x"}, {"--osc-listen", "localhost", "--osc-port", "1"},
        {"--osc-listen", "127.0.0.1"}, {"--midi", ""}, {"--midi"}};
    for (const auto& args : bad) {
        ZynOptions p;
        EXPECT_EQ(Parse(args, p, err), ZynOptionsResult::ExitUsage) << args[0] << " " << (args.size() > 1 ? args[1] : "");
        EXPECT_NE(err.find(args[0]), std::string::npos) << err;
    }
}

TEST(ClientOptions, WebRemoteOptions)
{
    ZynOptions d;
    std::string err;
    ASSERT_EQ(Parse({}, d, err), ZynOptionsResult::Run);
    EXPECT_EQ(d.webPort, 0);   // off unless asked for
    EXPECT_EQ(d.webListen, "127.0.0.1");
    ZynOptions o;
    ASSERT_EQ(Parse({"--web-port", "8080", "--web-listen=0.0.0.0"}, o, err), ZynOptionsResult::Run) << err;
    EXPECT_EQ(o.webPort, 8080);
    EXPECT_EQ(o.webListen, "0.0.0.0");
    const std::vector<std::vector<const char*>> bad = {
        {"--web-port", "0"}, {"--web-port", "65536"}, {"--web-port", "80x"}, {"--web-listen", "localhost"}, {"--web-port"}};
    for (const auto& args : bad) {
        ZynOptions p;
        EXPECT_EQ(Parse(args, p, err), ZynOptionsResult::ExitUsage) << args[0];
        EXPECT_NE(err.find(args[0]), std::string::npos) << err;
    }
}
