// The web remote in a real browser: headless Chromium, driven over its DevTools
// protocol, enters the PIN, taps a scene, drags a slider, sends an announcement
// and watches the thumbnail. ZYN_WEB_SHOTS=DIR keeps phone-sized screenshots.
#include "net/ZynRunning.h"
#include "web/WebTestClient.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <csignal>
#include <memory>
#include <thread>

using namespace zyntest;
using nlohmann::json;

namespace {

constexpr int kWebPort = 43550;
constexpr int kUdpPort = 43551;   // and the two after it
constexpr int kDevToolsPort = 43560;
constexpr int kTelnetPort = 1962;
constexpr const char* kPin = "2468";

std::string Base64Decode(const std::string& in)
{
    std::string out;
    int val = 0, bits = -8;
    for (unsigned char c : in) {
        int d;
        if (c >= 'A' && c <= 'Z') d = c - 'A';
        else if (c >= 'a' && c <= 'z') d = c - 'a' + 26;
        else if (c >= '0' && c <= '9') d = c - '0' + 52;
        else if (c == '+') d = 62;
        else if (c == '/') d = 63;
        else continue;
        val = (val << 6) | d;
        bits += 6;
        if (bits >= 0) {
            out += static_cast<char>((val >> bits) & 0xFF);
            bits -= 8;
        }
    }
    return out;
}

// Headless Chromium and one DevTools session on its page.
class Browser {
public:
    explicit Browser(const fs::path& profile)
    {
        pid_ = fork();
        if (pid_ == 0) {
            freopen("/dev/null", "w", stderr);   // its D-Bus complaints
            const std::string port = "--remote-debugging-port=" + std::to_string(kDevToolsPort);
            const std::string dir = "--user-data-dir=" + profile.string();
            execlp("chromium", "chromium", "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
                   "--disable-extensions", "--window-size=390,844", port.c_str(), dir.c_str(), "about:blank",
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        for (const double t0 = Seconds(); Seconds() - t0 < 30 && !session_; usleep(200000)) {
            const HttpReply r = HttpGet(kDevToolsPort, "/json/list");
            if (r.Status != 200) continue;
            const json list = json::parse(r.Body, nullptr, false);
            for (const json& t : list)
                if (t.value("type", "") == "page" && t.value("url", "") == "about:blank") {
                    const std::string url = t["webSocketDebuggerUrl"];
                    session_ = std::make_unique<WsClient>(kDevToolsPort, url.substr(url.find("/devtools/")));
                    break;
                }
        }
    }
    ~Browser()
    {
        session_.reset();
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    bool Ok() const { return session_ && session_->Open(); }

    json Call(const std::string& method, const json& params = json::object())
    {
        const int id = ++id_;
        session_->SendText(json({{"id", id}, {"method", method}, {"params", params}}).dump());
        std::string m;
        for (const double t0 = Seconds(); Seconds() - t0 < 15;) {
            if (!session_->Next(m, nullptr, 1)) continue;
            const json j = json::parse(m, nullptr, false);
            if (j.value("id", 0) == id) return j.contains("result") ? j["result"] : json();
        }
        return json();
    }
    json Eval(const std::string& expression)
    {
        const json r = Call("Runtime.evaluate", {{"expression", expression}, {"returnByValue", true}});
        return r.contains("result") && r["result"].contains("value") ? r["result"]["value"] : json();
    }
    // Waits until the expression is true in the page.
    bool WaitFor(const std::string& expression, double seconds = 10)
    {
        for (const double t0 = Seconds(); Seconds() - t0 < seconds; usleep(100000))
            if (Eval("!!(" + expression + ")") == json(true)) return true;
        return false;
    }
    // Centre of the element (scrolled into view), in page pixels.
    bool Centre(const std::string& selector, double& x, double& y)
    {
        const json r = Eval("(() => { const e = document.querySelector(" + json(selector).dump() +
                            "); if (!e) return null; e.scrollIntoView({block: 'center'});"
                            " const b = e.getBoundingClientRect(); return [b.left, b.top, b.width, b.height]; })()");
        if (!r.is_array()) return false;
        x = r[0].get<double>() + r[2].get<double>() / 2;
        y = r[1].get<double>() + r[3].get<double>() / 2;
        return true;
    }
    void Mouse(const char* type, double x, double y)
    {
        Call("Input.dispatchMouseEvent", {{"type", type}, {"x", x}, {"y", y}, {"button", "left"}, {"clickCount", 1}});
    }
    bool Tap(const std::string& selector)
    {
        double x, y;
        if (!Centre(selector, x, y)) return false;
        Mouse("mousePressed", x, y);
        Mouse("mouseReleased", x, y);
        return true;
    }
    void Type(const std::string& selector, const std::string& text)
    {
        Eval("document.querySelector(" + json(selector).dump() + ").focus()");
        Call("Input.insertText", {{"text", text}});
    }
    void Shot(const std::string& name)
    {
        const char* dir = std::getenv("ZYN_WEB_SHOTS");
        if (!dir) return;
        Eval("window.scrollTo(0, 0)");
        const json r = Call("Page.captureScreenshot", {{"format", "png"}});
        if (r.contains("data")) std::ofstream(fs::path(dir) / (name + ".png"), std::ios::binary) << Base64Decode(r["data"]);
    }

private:
    pid_t pid_ = -1;
    int id_ = 0;
    std::unique_ptr<WsClient> session_;
};

bool HaveChromium() { return system("command -v chromium >/dev/null 2>&1") == 0; }

}  // namespace

TEST(WebBrowser, PinSceneSliderAnnouncementAndThumbnailOnAPhone)
{
    if (!HaveChromium()) GTEST_SKIP() << "chromium is not installed (Debian package chromium): browser test skipped";
    ZynRunning zyn("webbrowser", kTelnetPort, kUdpPort);
    zyn.Config(std::string("PIN=") + kPin + "\n");
    zyn.Start({"--demo", "--max-fps", "60", "--web-port", std::to_string(kWebPort)});
    ASSERT_GT(zyn.WaitUp(), 0);
    Browser browser(zyn.Dir() / "chromium-profile");
    if (!browser.Ok()) GTEST_SKIP() << "headless chromium did not start here: browser test skipped";
    browser.Call("Emulation.setDeviceMetricsOverride",
                 {{"width", 390}, {"height", 844}, {"deviceScaleFactor", 2}, {"mobile", true}});
    browser.Call("Page.navigate", {{"url", "http://127.0.0.1:" + std::to_string(kWebPort) + "/"}});
    ASSERT_TRUE(browser.WaitFor("document.getElementById('unlock') && !document.getElementById('unlock').disabled"));
    browser.Shot("1-pin");

    // A wrong PIN is refused on the page, the right one opens the remote.
    browser.Type("#pin", "1357");
    ASSERT_TRUE(browser.Tap("#unlock"));
    ASSERT_TRUE(browser.WaitFor("document.getElementById('pin-status').textContent.includes('Wrong PIN')"));
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    browser.Type("#pin", kPin);
    ASSERT_TRUE(browser.Tap("#unlock"));
    ASSERT_TRUE(browser.WaitFor("document.querySelectorAll('#scenes .tile').length === 24", 15));

    // A second, scripted connection watches what the page causes.
    WsClient watch(kWebPort);
    std::string m;
    ASSERT_TRUE(watch.Await("\"hello\"", m));
    watch.SendText(json({{"type", "pin"}, {"pin", kPin}}).dump());
    ASSERT_TRUE(watch.Await("\"ok\":true", m));

    // The thumbnail arrives and keeps changing.
    ASSERT_TRUE(browser.WaitFor("Number(document.body.dataset.thumbs || 0) >= 2", 15));
    const int before = browser.Eval("Number(document.body.dataset.thumbs)").get<int>();
    ASSERT_TRUE(browser.WaitFor("Number(document.body.dataset.thumbs) > " + std::to_string(before + 2), 10));
    ASSERT_TRUE(browser.WaitFor("document.getElementById('thumb').naturalWidth > 0"));   // decoded
    const int width = browser.Eval("document.getElementById('thumb').naturalWidth").get<int>();
    EXPECT_GT(width, 100);
    EXPECT_LE(width, 240);

    // Automatic changes off (so nothing else changes the scene), then tap a scene:
    // the program changes to it and the page marks it.
    ASSERT_TRUE(browser.WaitFor("document.getElementById('auto').getAttribute('aria-pressed') === 'true'"));
    ASSERT_TRUE(browser.Tap("#auto"));
    ASSERT_TRUE(browser.WaitFor("document.getElementById('auto').getAttribute('aria-pressed') === 'false'"));
    ASSERT_TRUE(browser.Tap("#scenes .tile[data-scene='14']"));
    ASSERT_TRUE(browser.WaitFor("document.querySelector('#scenes .tile.on')?.dataset.scene === '14'"));
    for (const double t0 = Seconds(); zyn.Log().find("SCENECHANGE 14") == std::string::npos && Seconds() - t0 < 5;)
        usleep(100000);
    EXPECT_NE(zyn.Log().find("SCENECHANGE 14"), std::string::npos);
    browser.Shot("2-scenes");

    // Drag a slider past its end: the constant stops at its maximum.
    ASSERT_TRUE(browser.Tap("[data-tab='tune']"));
    browser.Eval("(() => { const s = document.getElementById('section'); s.value = 'TUNNEL';"
                 " s.dispatchEvent(new Event('change')); })()");
    const std::string slider = ".const[data-name='TUNNEL.Smoothness'] input[type=range]";
    ASSERT_TRUE(browser.WaitFor("document.querySelector(\"" + slider + "\")"));
    double x, y;
    ASSERT_TRUE(browser.Centre(slider, x, y));
    browser.Mouse("mousePressed", x, y);
    const double end = 389;   // past the track's end, inside the 390 pixel viewport
    for (int k = 1; k <= 10; k++) browser.Mouse("mouseMoved", x + (end - x) * k / 10, y);
    browser.Mouse("mouseReleased", end, y);
    ASSERT_TRUE(watch.Await("\"name\":\"TUNNEL.Smoothness\"", m))
        << x << "," << y << " " << browser.Eval("document.querySelector(\"" + slider + "\").value")
        << browser.Eval("JSON.stringify(document.querySelector(\"" + slider + "\").getBoundingClientRect())");
    const std::string shown = "document.querySelector(\".const[data-name='TUNNEL.Smoothness'] output\").textContent";
    EXPECT_TRUE(browser.WaitFor("Number(" + shown + ") === 3")) << browser.Eval(shown);
    watch.SendText(R"j({"type":"consts","section":"TUNNEL"})j");
    ASSERT_TRUE(watch.Await("\"section\":\"TUNNEL\"", m));
    for (const json& c : json::parse(m)["consts"])
        if (c["name"] == "TUNNEL.Smoothness") EXPECT_FLOAT_EQ(c["value"].get<float>(), 3.0f);
    browser.Shot("3-tune");

    // An announcement as a scroller.
    ASSERT_TRUE(browser.Tap("[data-tab='text']"));
    browser.Type("#ann-text", "Hello from the phone");
    ASSERT_TRUE(browser.Tap("input[name=ann-kind][value='1'] + span"));
    browser.Shot("4-text");
    ASSERT_TRUE(browser.Tap("#ann-send"));
    EXPECT_TRUE(watch.Await("-Announce(1, 8, [Hello from the phone])", m));
    ASSERT_TRUE(browser.Tap("[data-tab='console']"));
    EXPECT_TRUE(browser.WaitFor("document.getElementById('console-out').textContent.includes('Announce(1, 8')"));
    browser.Shot("5-console");
    EXPECT_EQ(zyn.Stop(), 0);
}
