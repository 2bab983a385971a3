// ZynNumbers: rounding, saturation, strict parsing and locale-free printing.
#include "platform/ZynNumbers.h"

#include <cfenv>
#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <limits>

int64_t ZynRoundEven64(double v)
{
    if (std::isnan(v)) return 0;
    // nearbyint honours the current rounding mode, which is never changed
    // from round-to-nearest-even in this program.
    double r = std::nearbyint(v);
    if (r >= 9223372036854775807.0) return std::numeric_limits<int64_t>::max();
    if (r <= -9223372036854775808.0) return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(r);
}

int32_t ZynRoundToInt32(double v, int32_t nanValue)
{
    if (std::isnan(v)) return nanValue;
    return ZynClampToInt32(ZynRoundEven64(v));
}

int32_t ZynClampToInt32(int64_t v)
{
    if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}

float ZynClampFloat(float v, float lo, float hi, float nanValue)
{
    if (std::isnan(v)) return nanValue;
    return v < lo ? lo : (v > hi ? hi : v);
}

static bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Checks the decimal grammar; from_chars alone would accept "inf", "nan" and
// (in some modes) hex, and would stop silently at trailing garbage.
static bool ValidDecimal(std::string_view s, bool allowFraction)
{
    size_t i = 0, n = s.size();
    if (i < n && (s[i] == '+' || s[i] == '-')) i++;
    size_t digits = 0;
    while (i < n && s[i] >= '0' && s[i] <= '9') { i++; digits++; }
    if (allowFraction && i < n && s[i] == '.') {
        i++;
        while (i < n && s[i] >= '0' && s[i] <= '9') { i++; digits++; }
    }
    if (digits == 0) return false;
    if (allowFraction && i < n && (s[i] == 'e' || s[i] == 'E')) {
        i++;
        if (i < n && (s[i] == '+' || s[i] == '-')) i++;
        size_t expDigits = 0;
        while (i < n && s[i] >= '0' && s[i] <= '9') { i++; expDigits++; }
        if (expDigits == 0) return false;
    }
    return i == n;
}

static std::string_view TrimView(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool ZynParseDouble(std::string_view text, double& out)
{
    std::string_view s = TrimView(text);
    if (!ValidDecimal(s, true)) return false;
    if (s.front() == '+') s.remove_prefix(1);
    double v = 0;
    auto res = std::from_chars(s.data(), s.data() + s.size(), v);
    if (res.ec == std::errc::result_out_of_range) {
        // Overflowing magnitudes are errors; underflow to zero is fine.
        if (std::fabs(v) > 1.0 || v == 0.0) {
            bool tiny = false;
            for (char c : s) if (c == 'e' || c == 'E') { tiny = true; break; }
            if (!tiny) return false;
            size_t e = s.find_first_of("eE");
            if (e != std::string_view::npos && e + 1 < s.size() && s[e + 1] == '-') { out = 0.0; return true; }
            return false;
        }
    } else if (res.ec != std::errc() || res.ptr != s.data() + s.size()) {
        return false;
    }
    if (!std::isfinite(v)) return false;
    out = v;
    return true;
}

bool ZynParseInt64(std::string_view text, int64_t& out)
{
    std::string_view s = TrimView(text);
    if (!ValidDecimal(s, false)) return false;
    if (s.front() == '+') s.remove_prefix(1);
    int64_t v = 0;
    auto res = std::from_chars(s.data(), s.data() + s.size(), v);
    if (res.ec != std::errc() || res.ptr != s.data() + s.size()) return false;
    out = v;
    return true;
}

std::string ZynFormat(const char* fmt, ...)
{
    char buf[512];
    va_list ap;
    va_start(ap, fmt);
    int n = std::vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    if (n < 0) return std::string();
    if (static_cast<size_t>(n) < sizeof buf) return std::string(buf, static_cast<size_t>(n));
    std::string big(static_cast<size_t>(n) + 1, '\0');
    va_start(ap, fmt);
    std::vsnprintf(big.data(), big.size(), fmt, ap);
    va_end(ap);
    big.resize(static_cast<size_t>(n));
    return big;
}

std::string ZynFloatToText(double v)
{
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, res.ptr);
}

std::string ZynUpper(std::string_view s)
{
    std::string r(s);
    for (char& c : r) if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return r;
}

std::string ZynLower(std::string_view s)
{
    std::string r(s);
    for (char& c : r) if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return r;
}

bool ZynSameText(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); i++) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
        if (x != y) return false;
    }
    return true;
}

std::string ZynTrim(std::string_view s) { return std::string(TrimView(s)); }
