// ZynKeyBind: the key-binding list: key codes tied to command lines.
//
// A binding runs its command through the interpreter when its key event
// (key down, key up = code + 512, or a program event 256..262) occurs. While
// an in-picture window is open only bindings with Allow run. The list lives
// for the whole process and is kept in the "BIND" section of Zyn.cfg.
// Depends on: console/ZynKeyDef, console/ZynCmdInterp (ExecuteLine),
// platform/ZynIni (Zyn.cfg), app/ZynLog.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TBindKey {
    int32_t KeyCode = 255;
    std::string Command;
    bool Allow = false;
};

class TBindList {
public:
    // Most bindings read from Zyn.cfg; a larger "COUNT" is clamped to this.
    static constexpr int32_t MaxBindings = 4096;

    void LoadBindList();
    void SaveBindList() const;
    // Index of the first binding with this code, -1 if none.
    int FindBinding(int32_t code) const;
    // Runs the binding of code (see the open-window rule above).
    void ExecuteBinding(int32_t code);
    // Removes one binding; later ones move up. Out-of-range indexes do nothing.
    void DeleteBinding(int index);

    // Sets the command of code's binding, appending a new one (Allow false)
    // when the code has none. Returns the binding's index.
    int SetBinding(int32_t code, const std::string& command);
    void Clear() { Items.clear(); }
    int Count() const { return static_cast<int>(Items.size()); }

    std::vector<TBindKey> Items;
};

// The bindings a first run writes (a Zyn.cfg without a "BIND" section): Escape
// quits, Enter toggles the strobe, Space held takes a screenshot every frame,
// F1 a screenshot, F2 the main menu, F3 stops changing scenes, F4 changes to a
// random scene and resumes changing, F12 the console window; the start event
// starts the scene changes, timed by PickSceneLength.
std::vector<TBindKey> ZynDefaultBindings();

// The process-wide list (created at start-up, freed at shut-down).
extern TBindList* BindList;

// The in-picture interface's open-window flag; bindings without Allow are
// skipped while it reports true. Unset: no window is ever open.
void BindSetWindowOpenQuery(bool (*query)());
bool BindWindowOpen();

// Runs the binding of code on BindList when the list exists.
void ExecuteBinding(int32_t code);
// A window key event: a virtual-key press runs the binding of code, a
// release the binding of code + 512; character events run none.
void ExecuteKeyBinding(bool pressed, int32_t code, bool isVirtualKey);

// A command text as stored: CR and LF removed (a line break would split the
// command and break the "BIND" section of Zyn.cfg).
std::string BindCleanCommand(const std::string& command);
