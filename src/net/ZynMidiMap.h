// ZynMidiMap: TZynMidiMap, what MIDI controls do: the mapping list, scaling and MIDI learn.
//
// A mapping ties a control change or a note (channel 1..16, number 0..127) to
// a constant or to a console line. A control change sets its constant across
// the constant's range (0 the low end, 127 the high end); a note-on moves it
// one step up and from the top back to the low end, so a pad toggles a switch
// or cycles through a setting's values. A console line runs when its note goes
// on or its control change rises to 64 or above (a button pressed).
// The range is the constant's limits, or Min/Max given in the mapping; on a
// side without a limit it reaches 0 and twice the default (1 above a zero default).
// Learn arms one target; the next control moved (a control change or a
// note-on) is mapped to it, replacing what that control did before, and the
// list is saved at once. The list is the "MIDI" section of Zyn.cfg:
//   COUNT=n
//   Control<i>=CC <channel> <number>   or   NOTE <channel> <number>
//   Const<i>=SECTION.Name              or   Command<i>=console line
//   Min<i>=, Max<i>=                   (optional range of a constant)
// GL-free; only the frame thread calls it.
// Depends on: config/ZynConst, config/ZynConstSave, platform/ZynIni,
// console/ZynCmdInterp (ExecuteLine), app/ZynLog.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class TZynIniFile;

enum class TZynMidiKind : uint8_t { Control, Note };

// One channel message that a mapping can follow.
struct TZynMidiEvent {
    TZynMidiKind Kind = TZynMidiKind::Control;
    uint8_t Channel = 1;   // 1..16
    uint8_t Number = 0;    // controller or note, 0..127
    uint8_t Value = 0;     // controller value or velocity (0: note off)
};

// Control change, note-on and note-off messages; false for anything else
// (clock, sysex, pitch bend, running status fragments, data bytes over 127).
bool ZynMidiDecode(const uint8_t* bytes, size_t count, TZynMidiEvent& out);

struct TZynMidiMapping {
    TZynMidiKind Kind = TZynMidiKind::Control;
    uint8_t Channel = 1;
    uint8_t Number = 0;
    std::string Const;      // SECTION.Name, or empty for a console line
    std::string Command;    // the console line
    bool HasRange = false;  // Min/Max replace the constant's range
    float Min = 0, Max = 1;
    uint8_t Last = 0;       // the control's last value (buttons fire on the rise)
};

// "CC 1 7", "NOTE 10 36"
std::string ZynMidiControlText(TZynMidiKind kind, int channel, int number);
bool ZynMidiParseControl(const std::string& text, TZynMidiKind& kind, uint8_t& channel, uint8_t& number);

// The range a control moves constant c across (see the module comment).
void ZynControlRange(int32_t c, float& lo, float& hi);
// Sets constant c to the fraction t (clamped to 0..1) of lo..hi, through the
// registry's setter (steps and limits apply).
void ZynConstSetFraction(int32_t c, double t, float lo, float hi);

class TZynMidiMap {
public:
    static constexpr size_t MaxMappings = 1024;

    // The "MIDI" section of ini, or of Zyn.cfg. Bad entries are reported and skipped.
    void Load(const TZynIniFile& ini);
    void Load();
    void Save(TZynIniFile& ini) const;
    bool Save();

    // Arms learn: target is a constant name (SECTION.Name) or else a console
    // line. False with error set when it cannot be mapped.
    bool Learn(const std::string& target, std::string& error);
    void CancelLearn() { LearnTarget.clear(); }
    bool Learning() const { return !LearnTarget.empty(); }
    const std::string& Armed() const { return LearnTarget; }

    // One event: learns it when armed, otherwise runs its mapping. Returns
    // true when it ran a console line (the caller bounds those per frame).
    bool Apply(const TZynMidiEvent& event);

    // Index of the mapping of a control, -1 when none.
    int Find(TZynMidiKind kind, uint8_t channel, uint8_t number) const;
    // The control text of the first mapping of a constant, "" when none.
    std::string ControlOf(const std::string& constName) const;
    // Adds or replaces the mapping of m's control; false when the list is full.
    bool Set(const TZynMidiMapping& m);

    std::vector<TZynMidiMapping> Items;

private:
    void LearnFrom(const TZynMidiEvent& event);
    std::string LearnTarget;
};
