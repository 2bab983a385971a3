// ZynConstSave: loading and saving the constants and the window rectangle in Zyn.cfg.
//
// Zyn.cfg lives in BaseDir. ConstLoad runs once at start-up (before the window
// exists), ConstSave once at shut-down; in between every change goes straight
// to the constant variables. Sections other than the constants' own (window
// rectangle, OTHER flags, key bindings, anything unknown) are kept on save.
// Depends on: config/ZynConst, platform/ZynIni, platform/ZynPath.
#pragma once

#include "platform/ZynIni.h"

#include <cstdint>
#include <memory>
#include <string>

// Full path of Zyn.cfg.
std::string ConfigFileName();

// The configuration file, open for reading and writing; changes are saved by
// its UpdateFile or when it is freed.
std::unique_ptr<TZynIniFile> OpenConfig();

// Captures every constant's default, then reads every constant from Zyn.cfg
// through ConstSetString (limits and snapping apply, bad text only logs).
void ConstLoad();

// Writes every constant to Zyn.cfg; false (and an error line) if it failed.
bool ConstSave();

struct TZynWindowRect {
    int32_t X, Y, W, H;
};

// Section "WINDOWSIZE_" + name; defaults 32, 32, MAIN.ScreenX, MAIN.ScreenY.
TZynWindowRect ReadWindowRect(const std::string& name);
void ReadWindowRect(const std::string& name, int32_t& x, int32_t& y, int32_t& w, int32_t& h);
bool WriteWindowRect(const std::string& name, int32_t x, int32_t y, int32_t w, int32_t h);
