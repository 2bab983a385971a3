// ZynMidiMap: MIDI mappings, their scaling, MIDI learn and the "MIDI" section of Zyn.cfg.
#include "net/ZynMidiMap.h"

#include "app/ZynLog.h"
#include "config/ZynConst.h"
#include "config/ZynConstSave.h"
#include "console/ZynCmdInterp.h"
#include "console/ZynKeyBind.h"
#include "platform/ZynIni.h"
#include "platform/ZynNumbers.h"

#include <algorithm>
#include <sstream>

namespace {
const char* const MidiSection = "MIDI";
}

bool ZynMidiDecode(const uint8_t* bytes, size_t count, TZynMidiEvent& out)
{
    if (!bytes || count < 3 || bytes[1] > 127 || bytes[2] > 127) return false;
    const uint8_t type = bytes[0] & 0xF0;
    out.Channel = static_cast<uint8_t>((bytes[0] & 0x0F) + 1);
    out.Number = bytes[1];
    out.Value = bytes[2];
    switch (type) {
    case 0xB0: out.Kind = TZynMidiKind::Control; return true;
    case 0x90: out.Kind = TZynMidiKind::Note; return true;
    case 0x80: out.Kind = TZynMidiKind::Note; out.Value = 0; return true;
    default: return false;
    }
}

std::string ZynMidiControlText(TZynMidiKind kind, int channel, int number)
{
    return std::string(kind == TZynMidiKind::Control ? "CC " : "NOTE ") + std::to_string(channel) + " " +
           std::to_string(number);
}

bool ZynMidiParseControl(const std::string& text, TZynMidiKind& kind, uint8_t& channel, uint8_t& number)
{
    std::istringstream in(text);
    std::string word, ch, num, rest;
    if (!(in >> word >> ch >> num) || (in >> rest)) return false;
    int64_t c, n;
    if (!ZynParseInt64(ch, c) || !ZynParseInt64(num, n) || c < 1 || c > 16 || n < 0 || n > 127) return false;
    if (ZynSameText(word, "CC")) kind = TZynMidiKind::Control;
    else if (ZynSameText(word, "NOTE")) kind = TZynMidiKind::Note;
    else return false;
    channel = static_cast<uint8_t>(c);
    number = static_cast<uint8_t>(n);
    return true;
}

void ZynControlRange(int32_t c, float& lo, float& hi)
{
    const TConstDef* row = ConstRow(c);
    if (!row) {
        lo = 0, hi = 1;
        return;
    }
    const float def = ConstDefault(c);
    lo = row->HasMin ? row->Min : std::min(0.0f, 2 * def);
    hi = row->HasMax ? row->Max : (def > lo ? lo + 2 * (def - lo) : lo + 1);
}

void ZynConstSetFraction(int32_t c, double t, float lo, float hi)
{
    t = std::clamp(t, 0.0, 1.0);   // NaN stays NaN, and the setter keeps the old value
    ConstSetFloat(c, lo + (static_cast<double>(hi) - lo) * t);
}

// A note-on: one step up, the top wraps to the low end. A constant that does
// not move by a step (no step, or a step that cannot reach further) jumps to
// the top instead, so every note changes something.
static void NoteStep(int32_t c, float lo, float hi)
{
    const float before = ConstAsFloat(c);
    if (before >= hi) {
        ConstSetFloat(c, lo);
        return;
    }
    ConstStep(c, 1);
    const float after = ConstAsFloat(c);
    if (after == before || after > hi) ConstSetFloat(c, hi);
}

// --- the list ---------------------------------------------------------------

int TZynMidiMap::Find(TZynMidiKind kind, uint8_t channel, uint8_t number) const
{
    for (size_t i = 0; i < Items.size(); i++)
        if (Items[i].Kind == kind && Items[i].Channel == channel && Items[i].Number == number) return static_cast<int>(i);
    return -1;
}

std::string TZynMidiMap::ControlOf(const std::string& constName) const
{
    for (const TZynMidiMapping& m : Items)
        if (!m.Const.empty() && ZynSameText(m.Const, constName)) return ZynMidiControlText(m.Kind, m.Channel, m.Number);
    return "";
}

bool TZynMidiMap::Set(const TZynMidiMapping& m)
{
    const int i = Find(m.Kind, m.Channel, m.Number);
    if (i >= 0) {
        Items[static_cast<size_t>(i)] = m;
        return true;
    }
    if (Items.size() >= MaxMappings) return false;
    Items.push_back(m);
    return true;
}

void TZynMidiMap::Load(const TZynIniFile& ini)
{
    Items.clear();
    const int32_t count = ini.ReadCount(MidiSection, "COUNT", static_cast<int32_t>(MaxMappings));
    for (int32_t i = 0; i < count; i++) {
        const std::string n = std::to_string(i);
        TZynMidiMapping m;
        const std::string control = ini.ReadString(MidiSection, "Control" + n, "");
        if (!ZynMidiParseControl(control, m.Kind, m.Channel, m.Number)) {
            ZynLogError("MIDI - Control" + n + " \"" + control + "\" is not CC or NOTE, a channel 1..16 and a number 0..127");
            continue;
        }
        m.Const = ini.ReadString(MidiSection, "Const" + n, "");
        m.Command = BindCleanCommand(ini.ReadString(MidiSection, "Command" + n, ""));
        if (!m.Const.empty()) {
            const int32_t c = FindConstQuiet(m.Const);
            if (c < 0 || ConstRow(c)->ValueType == ZC_TYPE_STRING) {
                ZynLogError("MIDI - Const" + n + " \"" + m.Const + "\" is not a numeric constant");
                continue;
            }
            m.Const = ConstFullName(c);
            m.Command.clear();
        } else if (m.Command.empty()) {
            ZynLogError("MIDI - mapping " + n + " has neither Const" + n + " nor Command" + n);
            continue;
        }
        double lo, hi;
        const bool hasLo = ZynParseDouble(ini.ReadString(MidiSection, "Min" + n, ""), lo);
        const bool hasHi = ZynParseDouble(ini.ReadString(MidiSection, "Max" + n, ""), hi);
        if (hasLo || hasHi) {
            float dlo, dhi;
            ZynControlRange(FindConstQuiet(m.Const), dlo, dhi);
            m.HasRange = true;
            m.Min = hasLo ? static_cast<float>(lo) : dlo;
            m.Max = hasHi ? static_cast<float>(hi) : dhi;
        }
        Set(m);
    }
}

void TZynMidiMap::Load() { Load(*OpenConfig()); }

void TZynMidiMap::Save(TZynIniFile& ini) const
{
    ini.EraseSection(MidiSection);
    ini.WriteInteger(MidiSection, "COUNT", static_cast<int32_t>(Items.size()));
    for (size_t i = 0; i < Items.size(); i++) {
        const TZynMidiMapping& m = Items[i];
        const std::string n = std::to_string(i);
        ini.WriteString(MidiSection, "Control" + n, ZynMidiControlText(m.Kind, m.Channel, m.Number));
        if (!m.Const.empty()) ini.WriteString(MidiSection, "Const" + n, m.Const);
        else ini.WriteString(MidiSection, "Command" + n, m.Command);
        if (m.HasRange) {
            ini.WriteString(MidiSection, "Min" + n, ConstFormatFloat(m.Min));
            ini.WriteString(MidiSection, "Max" + n, ConstFormatFloat(m.Max));
        }
    }
}

bool TZynMidiMap::Save()
{
    std::unique_ptr<TZynIniFile> ini = OpenConfig();
    Save(*ini);
    return ini->UpdateFile();
}

// --- learn and apply --------------------------------------------------------

bool TZynMidiMap::Learn(const std::string& target, std::string& error)
{
    const std::string t = BindCleanCommand(CmdTrim(target));
    if (t.empty()) {
        error = "nothing to learn: give a constant name or a console line";
        return false;
    }
    const int32_t c = FindConstQuiet(t);
    if (c >= 0 && ConstRow(c)->ValueType == ZC_TYPE_STRING) {
        error = ConstFullName(c) + " holds text, which a control cannot set";
        return false;
    }
    if (c < 0 && !CmdStorable(t, "MIDI learn")) {
        error = "the console line is too long";
        return false;
    }
    LearnTarget = c >= 0 ? ConstFullName(c) : t;
    ZynLogLine("MIDI learn: move a control for " + LearnTarget);
    return true;
}

void TZynMidiMap::LearnFrom(const TZynMidiEvent& event)
{
    if (event.Kind == TZynMidiKind::Note && event.Value == 0) return;   // the release of a note
    TZynMidiMapping m;
    m.Kind = event.Kind;
    m.Channel = event.Channel;
    m.Number = event.Number;
    m.Last = event.Value;
    if (FindConstQuiet(LearnTarget) >= 0) m.Const = LearnTarget;
    else m.Command = LearnTarget;
    const std::string control = ZynMidiControlText(m.Kind, m.Channel, m.Number);
    LearnTarget.clear();
    if (!Set(m)) {
        ZynLogError("MIDI learn - " + std::to_string(MaxMappings) + " mappings already, " + control + " not mapped");
        return;
    }
    ZynLogLine("MIDI learn: " + control + " -> " + (m.Const.empty() ? m.Command : m.Const));
    if (!Save()) ZynLogError("MIDI learn - the mapping could not be saved to Zyn.cfg");
}

bool TZynMidiMap::Apply(const TZynMidiEvent& event)
{
    if (Learning()) {
        LearnFrom(event);
        return false;
    }
    const int i = Find(event.Kind, event.Channel, event.Number);
    if (i < 0) return false;
    TZynMidiMapping& m = Items[static_cast<size_t>(i)];
    const uint8_t last = m.Last;
    m.Last = event.Value;
    if (!m.Command.empty()) {
        const bool fire = event.Kind == TZynMidiKind::Note ? event.Value > 0 : event.Value >= 64 && last < 64;
        if (!fire) return false;
        const std::string line = m.Command;   // the line may change the list
        ExecuteLine(line);
        return true;
    }
    const int32_t c = FindConstQuiet(m.Const);
    if (c < 0) return false;
    float lo = m.Min, hi = m.Max;
    if (!m.HasRange) ZynControlRange(c, lo, hi);
    if (event.Kind == TZynMidiKind::Control) ZynConstSetFraction(c, event.Value / 127.0, lo, hi);
    else if (event.Value > 0) NoteStep(c, lo, hi);
    return false;
}
