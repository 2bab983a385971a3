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
