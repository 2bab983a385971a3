// ZynConst: lookup, text conversion, step snapping and limits of the constants.
#include "config/ZynConst.h"

#include "app/ZynLog.h"
#include "platform/ZynNumbers.h"

#include <cfloat>
#include <cmath>
#include <cstdio>

extern TConstDef g_zynConstTable[];

int32_t ConstCount() { return ZynConstCount; }

bool ConstValidIndex(int32_t i) { return i >= 0 && i < ZynConstCount; }

TConstDef* ConstRow(int32_t i) { return ConstValidIndex(i) ? &g_zynConstTable[i] : nullptr; }

// ---------------------------------------------------------------------------
// Float text format

// Digits of |v| rounded half away from zero to 4 significant digits:
// digits holds 1..4 digits without trailing zeros, exp10 the decimal
// exponent of the first digit.
static void FourDigits(double v, std::string& digits, int& exp10)
{
    char buf[80];
    // 40 fraction digits: exact for every float, so the rounding below sees
    // the true value and not an already rounded one.
    std::snprintf(buf, sizeof buf, "%.40e", std::fabs(v));
    std::string all;
    all += buf[0];
    const char* p = buf + 2;
    while (*p >= '0' && *p <= '9') all += *p++;
    exp10 = std::atoi(p + 1);
    digits = all.substr(0, 4);
    if (all[4] >= '5') {
        int k = 3;
        while (k >= 0 && digits[k] == '9') digits[k--] = '0';
        if (k < 0) {
            digits = "1000";
            exp10++;
        } else {
            digits[k]++;
        }
    }
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
}

std::string ConstFormatFloat(double v)
{
    if (std::isnan(v)) return "NAN";
    if (std::isinf(v)) return v > 0 ? "INF" : "-INF";
    if (std::fabs(v) < 0.001) return "0";
    std::string digits;
    int e = 0;
    FourDigits(v, digits, e);
    std::string out = v < 0 ? "-" : "";
    if (e >= 4) {
        // Scientific: more integer digits than the precision.
        out += digits[0];
        if (digits.size() > 1) out += "." + digits.substr(1);
        out += "E" + std::to_string(e);
    } else if (e >= 0) {
        std::string whole = digits.substr(0, std::min<size_t>(digits.size(), e + 1));
        while (static_cast<int>(whole.size()) < e + 1) whole += '0';
        out += whole;
        if (static_cast<int>(digits.size()) > e + 1) out += "." + digits.substr(e + 1);
    } else {
        out += "0." + std::string(static_cast<size_t>(-e - 1), '0') + digits;
    }
    return out;
}

// ---------------------------------------------------------------------------
// Row operations

namespace ZynConstRow {

static double DefaultAsDouble(const TConstDef& row)
{
    if (auto* i = std::get_if<int32_t>(&row.DefaultValue)) return *i;
    if (auto* f = std::get_if<float>(&row.DefaultValue)) return *f;
    double d = 0;
    if (auto* s = std::get_if<std::string>(&row.DefaultValue)) ZynParseDouble(*s, d);
    return d;
}

double AsDouble(const TConstDef& row)
{
    if (!row.Value) return 0;
    switch (row.ValueType) {
    case ZC_TYPE_INT: return *static_cast<const int32_t*>(row.Value);
    case ZC_TYPE_FLOAT: return *static_cast<const float*>(row.Value);
    default: return 0;
    }
}

std::string ToString(const TConstDef& row)
{
    if (!row.Value) return std::string();
    switch (row.ValueType) {
    case ZC_TYPE_INT: return std::to_string(*static_cast<const int32_t*>(row.Value));
    case ZC_TYPE_FLOAT: return ConstFormatFloat(*static_cast<const float*>(row.Value));
    case ZC_TYPE_STRING: return *static_cast<const std::string*>(row.Value);
    default: return std::string();
    }
}

// The step as the decimal number it was written as (0.01, not the float
// 0.0099999998), so that snapped values land on the float nearest to n * 0.01.
static double DecimalStep(float step)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.7g", static_cast<double>(step));
    double d = step;
    ZynParseDouble(buf, d);
    return d;
}

double Normalise(const TConstDef& row, double x)
{
    if (std::isnan(x)) return x;
    if (std::isinf(x)) x = std::copysign(static_cast<double>(FLT_MAX), x);
    if (row.Step != 0) {
        if (!row.StepIsFactor) {
            double step = DecimalStep(row.Step);
            x = std::nearbyint(x / step) * step;
        } else {
            // Snap to default * Step^n. Undefined for a non-positive value or
            // default (and for a step that cannot move): only the limits apply.
            double d = DefaultAsDouble(row);
            if (x > 0 && d > 0 && row.Step > 0 && row.Step != 1) {
                double n = std::nearbyint(std::log2(x / d) / std::log2(static_cast<double>(row.Step)));
                x = d * std::pow(static_cast<double>(row.Step), n);
            }
        }
    }
    if (row.HasMin && x < row.Min) x = row.Min;
    if (row.HasMax && x > row.Max) x = row.Max;
    return x;
}

static float ToFloatSaturated(double v)
{
    if (v > FLT_MAX) return FLT_MAX;
    if (v < -FLT_MAX) return -FLT_MAX;
    return static_cast<float>(v);
}

void SetFloat(TConstDef& row, double x)
{
    if (!row.Value || std::isnan(x)) return;   // NaN keeps the old value
    switch (row.ValueType) {
    case ZC_TYPE_INT: {
        int32_t& var = *static_cast<int32_t*>(row.Value);
        var = ZynRoundToInt32(Normalise(row, x), var);
        break;
    }
    case ZC_TYPE_FLOAT: {
        double v = Normalise(row, x);
        if (!std::isnan(v)) *static_cast<float*>(row.Value) = ToFloatSaturated(v);
        break;
    }
    case ZC_TYPE_STRING:
        *static_cast<std::string*>(row.Value) = ConstFormatFloat(x);
        break;
    default: break;
    }
}

static bool ConversionError(const TConstDef& row, const std::string& text)
{
    ZynLogError("Error Converting String value \"" + text + "\" for " + row.Section + "/" + row.Name);
    return false;
}

bool SetString(TConstDef& row, const std::string& text)
{
    if (!row.Value) return false;
    switch (row.ValueType) {
    case ZC_TYPE_INT: {
        int64_t n = 0;
        if (!ZynParseInt64(text, n)) return ConversionError(row, text);
        int32_t& var = *static_cast<int32_t*>(row.Value);
        var = ZynRoundToInt32(Normalise(row, static_cast<double>(n)), var);
        return true;
    }
    case ZC_TYPE_FLOAT: {
        double v = 0;
        // Beyond single precision is as unreadable as "abc": it would store infinity.
        if (!ZynParseDouble(text, v) || std::fabs(v) > FLT_MAX) return ConversionError(row, text);
        SetFloat(row, v);
        return true;
    }
    case ZC_TYPE_STRING:
        *static_cast<std::string*>(row.Value) = text;
        return true;
    default:
        return false;
    }
}

void Step(TConstDef& row, double steps)
{
    if (std::isnan(steps)) return;
    double current = AsDouble(row);
    double next = row.StepIsFactor ? current * std::pow(static_cast<double>(row.Step), steps)
                                   : current + steps * row.Step;
    SetFloat(row, Normalise(row, next));
}

void CaptureDefault(TConstDef& row)
{
    if (!row.Value) return;
    switch (row.ValueType) {
    case ZC_TYPE_INT: row.DefaultValue = *static_cast<const int32_t*>(row.Value); break;
    case ZC_TYPE_FLOAT: row.DefaultValue = *static_cast<const float*>(row.Value); break;
    case ZC_TYPE_STRING: row.DefaultValue = *static_cast<const std::string*>(row.Value); break;
    default: break;
    }
}

} // namespace ZynConstRow

// ---------------------------------------------------------------------------
// Index operations

int32_t FindConstQuiet(const std::string& fullName)
{
    size_t dot = fullName.find('.');
    if (dot == std::string::npos) return -1;
    std::string_view section(fullName.data(), dot);
    std::string_view name(fullName.data() + dot + 1, fullName.size() - dot - 1);
    for (int32_t i = 0; i < ZynConstCount; i++) {
        const TConstDef& row = g_zynConstTable[i];
        if (ZynSameText(section, row.Section) && ZynSameText(name, row.Name)) return i;
    }
    return -1;
}

int32_t FindConst(const std::string& fullName)
{
    int32_t i = FindConstQuiet(fullName);
    if (i < 0) ZynLogError("(FindConst) Constant \"" + fullName + "\" Not Found");
    return i;
}

std::string ConstFullName(int32_t i)
{
    const TConstDef* row = ConstRow(i);
    return row ? std::string(row->Section) + "." + row->Name : std::string();
}

std::string ConstToString(int32_t i)
{
    const TConstDef* row = ConstRow(i);
    return row ? ZynConstRow::ToString(*row) : std::string();
}

float ConstAsFloat(int32_t i)
{
    const TConstDef* row = ConstRow(i);
    return row ? static_cast<float>(ZynConstRow::AsDouble(*row)) : 0.0f;
}

int32_t ConstAsInt(int32_t i)
{
    const TConstDef* row = ConstRow(i);
    if (!row || !row->Value) return 0;
    if (row->ValueType == ZC_TYPE_INT) return *static_cast<const int32_t*>(row->Value);
    if (row->ValueType == ZC_TYPE_FLOAT) return ZynRoundToInt32(*static_cast<const float*>(row->Value), 0);
    return 0;
}

float ConstDefault(int32_t i)
{
    const TConstDef* row = ConstRow(i);
    return row ? static_cast<float>(ZynConstRow::DefaultAsDouble(*row)) : 0.0f;
}

double ConstNormalise(int32_t i, double x)
{
    const TConstDef* row = ConstRow(i);
    return row ? ZynConstRow::Normalise(*row, x) : x;
}

void ConstSetFloat(int32_t i, double x)
{
    if (TConstDef* row = ConstRow(i)) ZynConstRow::SetFloat(*row, x);
}

void ConstSetInt(int32_t i, int32_t n) { ConstSetFloat(i, static_cast<double>(n)); }

bool ConstSetString(int32_t i, const std::string& text)
{
    TConstDef* row = ConstRow(i);
    return row ? ZynConstRow::SetString(*row, text) : false;
}

void ConstStep(int32_t i, double steps)
{
    if (TConstDef* row = ConstRow(i)) ZynConstRow::Step(*row, steps);
}

void ConstCaptureDefaults()
{
    for (int32_t i = 0; i < ZynConstCount; i++) ZynConstRow::CaptureDefault(g_zynConstTable[i]);
}

// ---------------------------------------------------------------------------
// Formula hooks

std::vector<TConstValue> ConstSnapshot()
{
    std::vector<TConstValue> out;
    for (int32_t i = 0; i < ConstCount(); i++) {
        const TConstDef* row = ConstRow(i);
        if (!row->Value) out.emplace_back(0);
        else if (row->ValueType == ZC_TYPE_FLOAT) out.emplace_back(*static_cast<const float*>(row->Value));
        else if (row->ValueType == ZC_TYPE_INT) out.emplace_back(*static_cast<const int32_t*>(row->Value));
        else out.emplace_back(*static_cast<const std::string*>(row->Value));
    }
    return out;
}

void ConstRestore(const std::vector<TConstValue>& snapshot)
{
    for (int32_t i = 0; i < ConstCount() && size_t(i) < snapshot.size(); i++) {
        TConstDef* row = ConstRow(i);
        const TConstValue& v = snapshot[size_t(i)];
        if (!row->Value) continue;
        if (row->ValueType == ZC_TYPE_FLOAT && std::holds_alternative<float>(v))
            *static_cast<float*>(row->Value) = std::get<float>(v);
        else if (row->ValueType == ZC_TYPE_INT && std::holds_alternative<int32_t>(v))
            *static_cast<int32_t*>(row->Value) = std::get<int32_t>(v);
        else if (row->ValueType == ZC_TYPE_STRING && std::holds_alternative<std::string>(v))
            *static_cast<std::string*>(row->Value) = std::get<std::string>(v);
    }
}

void ConstFormulaSet(int32_t i, double value)
{
    TConstDef* row = ConstRow(i);
    if (!row || !row->Value) return;
    if (row->ValueType == ZC_TYPE_FLOAT) {
        *static_cast<float*>(row->Value) = static_cast<float>(value);
    } else if (row->ValueType == ZC_TYPE_INT) {
        int32_t& var = *static_cast<int32_t*>(row->Value);
        var = ZynRoundToInt32(value, var);
    }
}

float ConstFormulaGet(int32_t i) { return ConstAsFloat(i); }

int32_t ConstFormulaFind(const std::string& identifier)
{
    if (identifier.find('.') == std::string::npos) return FindConst("BASE." + identifier);
    return FindConst(identifier);
}
