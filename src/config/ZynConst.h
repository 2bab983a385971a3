// ZynConst: the constant registry, the name-based layer over the constant table.
//
// Finds a constant by its full name SECTION.Name, converts values to and from
// text, applies a row's step rule and limits when a value is set through the
// registry, and remembers each row's compiled-in default. Every operation that
// takes a row index is safe for any index: outside 0..ConstCount()-1 it does
// nothing and returns 0 / empty text. Errors are log lines, never exceptions.
// Depends on: config/ZynConstDef (the table), platform/ZynNumbers, app/ZynLog.
#pragma once

#include "config/ZynConstDef.h"

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

// TConstDef.ValueType values.
constexpr uint8_t ZC_TYPE_INT = 0;      // variable is int32_t
constexpr uint8_t ZC_TYPE_FLOAT = 1;    // variable is float
constexpr uint8_t ZC_TYPE_STRING = 2;   // variable is std::string

// A compiled-in value: integer, float or string by the row's ValueType.
using TConstValue = std::variant<int32_t, float, std::string>;

// One row of the constant table.
struct TConstDef {
    const char* Name;          // inside its section, mixed case ("ScreenX")
    const char* Section;       // upper case ("MAIN")
    const char* Description;   // one line for listings and windows, may be empty
    uint8_t ValueType;         // ZC_TYPE_*
    bool NeedsRestart;         // taken over only when the owner is rebuilt
    bool HasMin;
    bool HasMax;
    float Min;
    float Max;
    bool StepIsFactor;         // multiplicative steps
    float Step;                // 0 = no snapping
    void* Value;               // the variable (int32_t*, float* or std::string*)
    TConstValue DefaultValue;  // captured by ConstCaptureDefaults / ConstLoad
};

// Number of rows (ZynConstCount).
int32_t ConstCount();
// The row, or nullptr for an index outside the table. Rows are mutable so
// that owners can tighten limits at run time (texture slots, for example).
TConstDef* ConstRow(int32_t i);
bool ConstValidIndex(int32_t i);

// Index of SECTION.Name (case-insensitive, split at the first "."), or -1 with
// the error line "(FindConst) Constant "..." Not Found".
int32_t FindConst(const std::string& fullName);
// The same lookup without the error line, for callers that only probe.
int32_t FindConstQuiet(const std::string& fullName);

std::string ConstFullName(int32_t i);        // "MAIN.ScreenX"; "" outside the table
std::string ConstToString(int32_t i);        // "640", "3.142", "2.346E4", "0"
float ConstAsFloat(int32_t i);
int32_t ConstAsInt(int32_t i);               // floats rounded to nearest, ties to even
float ConstDefault(int32_t i);               // DefaultValue as a number

// Step snapping then limits. NaN stays NaN (setters then keep the old value).
double ConstNormalise(int32_t i, double x);
void ConstSetFloat(int32_t i, double x);
void ConstSetInt(int32_t i, int32_t n);
// Parses text by the row's type and sets it. A parse failure writes
// "Error Converting String value "text" for SECTION/Name" and returns false.
bool ConstSetString(int32_t i, const std::string& text);
// Moves the value by a signed number of steps (additive or multiplicative).
void ConstStep(int32_t i, double steps);

// Copies every variable's current value into its row's DefaultValue.
void ConstCaptureDefaults();

// The float text format of ConstToString: "0" below 0.001 in magnitude,
// otherwise 4 significant digits, fixed or scientific ("2.346E4"), "." always.
std::string ConstFormatFloat(double v);

// Every row's value as stored, and that state put back exactly (no limits,
// no snapping): for work that must leave no constant changed behind it.
std::vector<TConstValue> ConstSnapshot();
void ConstRestore(const std::vector<TConstValue>& snapshot);

// The formula engine's view of the registry.
// Set: store directly (float as is, integer rounded), no limits or snapping.
void ConstFormulaSet(int32_t i, double value);
// Get: ConstAsFloat.
float ConstFormulaGet(int32_t i);
// Find: a name without "." is taken as BASE.name; then FindConst.
int32_t ConstFormulaFind(const std::string& identifier);

// Row operations on an arbitrary TConstDef (used by the registry itself and
// by tests that need a row shape the fixed table does not have).
namespace ZynConstRow {
std::string ToString(const TConstDef& row);
double AsDouble(const TConstDef& row);
double Normalise(const TConstDef& row, double x);
void SetFloat(TConstDef& row, double x);
bool SetString(TConstDef& row, const std::string& text);
void Step(TConstDef& row, double steps);
void CaptureDefault(TConstDef& row);
}
