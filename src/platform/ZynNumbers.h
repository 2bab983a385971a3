// ZynNumbers: the one place for number rounding, saturation, parsing and printing.
//
// Every conversion between text, floats and integers in the program goes
// through here so that the rules are the same everywhere:
//   - rounding to integers is to the nearest, ties to even;
//   - float -> integer saturates at the integer's limits (NaN gives a fallback);
//   - parsing is strict and locale-free: optional blanks, optional sign,
//     decimal digits with an optional fraction and exponent, nothing else
//     ("nan", "inf", hex and trailing garbage are errors);
//   - printing always uses "." as the decimal separator.
// Depends on: the C++ standard library only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Nearest integer, ties to even, saturated to int64. NaN gives 0.
int64_t ZynRoundEven64(double v);

// Nearest integer, ties to even, saturated to int32. NaN gives nanValue.
int32_t ZynRoundToInt32(double v, int32_t nanValue = 0);

// Saturating int64 -> int32.
int32_t ZynClampToInt32(int64_t v);

// v limited to lo..hi (infinities go to the nearer end). NaN gives nanValue.
float ZynClampFloat(float v, float lo, float hi, float nanValue);

// Strict decimal float parse (see above). Returns false and leaves out alone on error.
bool ZynParseDouble(std::string_view text, double& out);

// Strict decimal integer parse: optional blanks and sign, digits only.
// Values outside int64 are errors.
bool ZynParseInt64(std::string_view text, int64_t& out);

// Locale-free printf-style formatting ("%.3f", "%d", ...). The program never
// changes LC_NUMERIC from "C", so snprintf is safe; this keeps call sites short.
std::string ZynFormat(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// Shortest text that reads back to the same float ("0.5", "640", "1e-05").
std::string ZynFloatToText(double v);

// ASCII-only case helpers (file keys and names are single-byte text).
std::string ZynUpper(std::string_view s);
std::string ZynLower(std::string_view s);
bool ZynSameText(std::string_view a, std::string_view b);   // case-insensitive equality
std::string ZynTrim(std::string_view s);                    // blanks, tabs, CR, LF
