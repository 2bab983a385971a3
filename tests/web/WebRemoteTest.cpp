// The web remote without a browser: files, the PIN, commands, caps and thumbnails,
// against the running program (one per suite) and the file rule directly.
#include "net/ZynWebRemote.h"
#include "net/ZynRunning.h"
#include "web/WebTestClient.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <memory>
#include <thread>

using namespace zyntest;
using nlohmann::json;

namespace {

constexpr int kWebPort = 43530;
constexpr int kUdpPort = 43531;   // and the two after it
constexpr int kTelnetPort = 1961;
constexpr const char* kPin = "4321";

// The page's folder, copied, with a way out planted in it.
void PlantWebFolder(const fs::path& dir)
{
    fs::remove(dir / "web");
    fs::copy(fs::path(ZYN_RUNTIME_DIR) / "web", dir / "web", fs::copy_options::recursive);
    fs::create_symlink(dir / "Zyn.cfg", dir / "web" / "out.html");
    fs::create_directories(dir / "web" / "sub");
    std::ofstream(dir / "web" / "sub" / "inner.html") << "inner";
    std::ofstream(dir / "web" / ".hidden") << "hidden";
}

class WebRemote : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        zyn_ = new ZynRunning("web", kTelnetPort, kUdpPort);
        zyn_->Config(std::string("PIN=") + kPin + "\n");
        PlantWebFolder(zyn_->Dir());
        zyn_->Start({"--demo", "--max-fps", "60", "--web-port", std::to_string(kWebPort)});
        ASSERT_GT(zyn_->WaitUp(), 0);
    }
    static void TearDownTestSuite()
    {
        EXPECT_EQ(zyn_->Stop(), 0);
        delete zyn_;
    }
    // A connection that has given the PIN; session receives its cookie value.
    static std::unique_ptr<WsClient> Unlocked(std::string* session = nullptr)
    {
        auto ws = std::make_unique<WsClient>(kWebPort);
        std::string m;
        EXPECT_TRUE(ws->Await("\"hello\"", m));
        ws->SendText(json({{"type", "pin"}, {"pin", kPin}}).dump());
        EXPECT_TRUE(ws->Await("\"pin\"", m));
        const json j = json::parse(m);
        EXPECT_TRUE(j["ok"].get<bool>()) << m;
        if (session && j.contains("session")) *session = "zyn_session=" + j["session"].get<std::string>();
        return ws;
    }
    static ZynRunning* zyn_;
};
ZynRunning* WebRemote::zyn_ = nullptr;

}  // namespace

TEST(WebFilePath, OnlyPlainFilesInsideTheFolder)
{
    const fs::path root = fs::temp_directory_path() / ("zyn_webpath_" + std::to_string(getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "web" / "dir");
    std::ofstream(root / "web" / "index.html") << "x";
    std::ofstream(root / "web" / "a.css") << "x";
    std::ofstream(root / "secret.txt") << "x";
    fs::create_symlink(root / "secret.txt", root / "web" / "link.css");
    fs::create_symlink(root / "web" / "a.css", root / "web" / "inside.css");
    const std::string web = (root / "web").string();
    const struct { const char* Url; int Status; const char* File; } cases[] = {
        {"/", 200, "index.html"}, {"", 200, "index.html"}, {"/a.css", 200, "a.css"},
        {"/inside.css", 200, "a.css"},                     // a link that stays inside is followed
        {"/link.css", 403, nullptr},                        // a link out is not
        {"/../secret.txt", 403, nullptr}, {"/..", 403, nullptr}, {"/dir/../a.css", 403, nullptr},
        {"//etc/passwd", 403, nullptr}, {"/%2e%2e/secret.txt", 403, nullptr}, {"/.hidden", 403, nullptr},
        {"/a.css\\..", 403, nullptr}, {"/dir", 404, nullptr}, {"/none.js", 404, nullptr},
    };
    for (const auto& c : cases) {
        std::string file;
        EXPECT_EQ(ZynWebFilePath(web, c.Url, "index.html", file), c.Status) << c.Url;
        if (c.File) EXPECT_EQ(file, web + "/" + c.File) << c.Url;
    }
    fs::remove_all(root);
}

TEST_F(WebRemote, WithoutThePinOnlyThePinPageIsServedAndEveryCommandRefused)
{
    const HttpReply root = HttpGet(kWebPort, "/");
    EXPECT_EQ(root.Status, 200);
    EXPECT_NE(root.Body.find("pin-form"), std::string::npos);
    for (const char* path : {"/index.html", "/remote.js", "/icons.png", "/sub/inner.html"})
        EXPECT_EQ(HttpGet(kWebPort, path).Status, 403) << path;
    EXPECT_EQ(HttpGet(kWebPort, "/", "zyn_session=00112233445566778899aabbccddeeff").Body.find("remote.js"),
              std::string::npos);

    WsClient ws(kWebPort);
    ASSERT_TRUE(ws.Open());
    std::string m;
    ASSERT_TRUE(ws.Await("\"hello\"", m));
    EXPECT_TRUE(json::parse(m)["locked"].get<bool>());
    for (const json& msg : {json{{"type", "exec"}, {"line", "SceneChange(7, 0)"}},
                            json{{"type", "set"}, {"name", "TUNNEL.Speed"}, {"value", 3}},
                            json{{"type", "announce"}, {"text", "x"}}, json{{"type", "thumbnail"}, {"on", true}}}) {
        ws.SendText(msg.dump());
        ASSERT_TRUE(ws.Await("\"error\"", m)) << msg.dump();
        EXPECT_NE(m.find("PIN"), std::string::npos);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(zyn_->Log().find("SCENECHANGE 7"), std::string::npos);
}

TEST_F(WebRemote, WrongPinsAreThrottledAndTheRightOneEarnsASessionCookie)
{
    WsClient ws(kWebPort);
    std::string m;
    ASSERT_TRUE(ws.Await("\"hello\"", m));
    ws.SendText(R"j({"type":"pin","pin":"1111"})j");
    ASSERT_TRUE(ws.Await("\"pin\"", m));
    EXPECT_FALSE(json::parse(m)["ok"].get<bool>());
    // The right PIN at once is not even looked at.
    ws.SendText(json({{"type", "pin"}, {"pin", kPin}}).dump());
    ASSERT_TRUE(ws.Await("\"pin\"", m));
    EXPECT_FALSE(json::parse(m)["ok"].get<bool>());
    EXPECT_GT(json::parse(m)["wait"].get<double>(), 0);
    EXPECT_NE(zyn_->Log().find("#WARNING : WEB wrong PIN from 127.0.0.1 (1 in a row; the next try waits 1 s)"),
              std::string::npos);
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    std::string cookie;
    auto unlocked = Unlocked(&cookie);
    ASSERT_FALSE(cookie.empty());
    const HttpReply page = HttpGet(kWebPort, "/", cookie);
    EXPECT_EQ(page.Status, 200);
    EXPECT_NE(page.Body.find("remote.js"), std::string::npos);
    EXPECT_EQ(HttpGet(kWebPort, "/icons.png", cookie).Status, 200);
    // The cookie unlocks a WebSocket too.
    WsClient again(kWebPort, "/", "Cookie: " + cookie + "\r\n");
    ASSERT_TRUE(again.Await("\"hello\"", m));
    EXPECT_FALSE(json::parse(m)["locked"].get<bool>());
}

TEST_F(WebRemote, NothingOutsideThePageFolderIsServed)
{
    std::string cookie;
    auto ws = Unlocked(&cookie);
    for (const char* path : {"/out.html", "/../Zyn.cfg", "/%2e%2e/Zyn.cfg", "/..%2fZyn.cfg", "/sub/inner.html",
                             "/.hidden", "//etc/passwd", "/web/../../Zyn.cfg"}) {
        const HttpReply r = HttpRaw(kWebPort, std::string("GET ") + path + " HTTP/1.1\r\nHost: x\r\nCookie: " + cookie +
                                                  "\r\nConnection: close\r\n\r\n");
        EXPECT_TRUE(r.Status == 403 || r.Status == 404 || r.Status == 0) << path << " gave " << r.Status;
        EXPECT_EQ(r.Body.find("PIN="), std::string::npos) << path;
    }
}

TEST_F(WebRemote, MessagesChangeTheSceneSetConstantsWithinLimitsAndAnnounce)
{
    auto ws = Unlocked();
    std::string m;
    ws->SendText(R"j({"type":"exec","line":"SceneChange(5, 0)"})j");
    ASSERT_TRUE(ws->Await("-SceneChange(5, 0)", m));   // the console's echo comes back
    ASSERT_TRUE(ws->Await("\"scene\":5", m));
    for (const double t0 = Seconds(); zyn_->Log().find("SCENECHANGE 5") == std::string::npos && Seconds() - t0 < 5;)
        usleep(100000);   // the log file may trail the console
    EXPECT_NE(zyn_->Log().find("SCENECHANGE 5"), std::string::npos);

    const struct { double Sent, Expected; } sets[] = {{2.5, 2.5}, {2.47, 2.5}, {1e6, 3}, {-5, 0.1}};
    for (const auto& s : sets) {
        ws->SendText(json({{"type", "set"}, {"name", "tunnel.smoothness"}, {"value", s.Sent}}).dump());
        ASSERT_TRUE(ws->Await("\"const\"", m));
        EXPECT_NEAR(json::parse(m)["value"].get<float>(), s.Expected, 1e-5) << s.Sent;
    }
    ws->SendText(R"j({"type":"consts","section":"TUNNEL"})j");
    ASSERT_TRUE(ws->Await("\"consts\"", m));
    const json list = json::parse(m)["consts"];
    ASSERT_GT(list.size(), 2u);
    EXPECT_EQ(list[2]["name"], "TUNNEL.Smoothness");
    EXPECT_FLOAT_EQ(list[2]["min"].get<float>(), 0.1f);
    EXPECT_FLOAT_EQ(list[2]["max"].get<float>(), 3);
    EXPECT_NEAR(list[2]["value"].get<float>(), 0.1f, 1e-5);

    ws->SendText(R"j({"type":"announce","kind":1,"seconds":4,"text":"Hello [party]"})j");
    ASSERT_TRUE(ws->Await("Announce(1, 4, [Hello (party)])", m));
    ws->SendText(R"j({"type":"exec","line":"NoSuchCommand(1)"})j");
    ASSERT_TRUE(ws->Await("\"line\":\"#", m));
}

TEST_F(WebRemote, CapsOnMessagesHeadersAndConnectionsLeaveTheServerServing)
{
    {
        auto ws = Unlocked();
        ws->SendText(std::string(TZynWebRemote::kMaxMessage + 10, ' '));
        std::string m;
        while (ws->Next(m, nullptr, 3)) {}
        EXPECT_TRUE(ws->Closed());
    }
    const HttpReply huge = HttpRaw(kWebPort, "GET / HTTP/1.1\r\nHost: x\r\nX-Pad: " + std::string(16384, 'a') + "\r\n\r\n", 3);
    EXPECT_NE(huge.Status, 200);
    std::vector<std::unique_ptr<WsClient>> many;
    int open = 0;
    for (int i = 0; i < TZynWebRemote::kMaxConnections + 10; i++) {
        many.push_back(std::make_unique<WsClient>(kWebPort));
        std::string m;
        if (many.back()->Open() && many.back()->Await("\"hello\"", m, 1)) open++;
    }
    EXPECT_LE(open, TZynWebRemote::kMaxConnections);
    EXPECT_GE(open, TZynWebRemote::kMaxConnections - 2);
    many.clear();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(HttpGet(kWebPort, "/").Status, 200);
    EXPECT_GT(zyn_->Get(1.0), 0) << "frames go on";
}

TEST_F(WebRemote, ThumbnailsComeOnlyWhenAsked)
{
    auto ws = Unlocked();
    std::string m;
    bool binary = false;
    const double t0 = Seconds();
    while (Seconds() - t0 < 1.0 && ws->Next(m, &binary, 0.2)) EXPECT_FALSE(binary);
    ws->SendText(R"j({"type":"thumbnail","on":true})j");
    int pictures = 0;
    for (const double t1 = Seconds(); pictures < 2 && Seconds() - t1 < 10;) {
        if (!ws->Next(m, &binary, 1) || !binary) continue;
        ASSERT_GT(m.size(), 100u);
        EXPECT_EQ(static_cast<uint8_t>(m[0]), 0xFF);
        EXPECT_EQ(static_cast<uint8_t>(m[1]), 0xD8);
        pictures++;
    }
    EXPECT_EQ(pictures, 2);
}
