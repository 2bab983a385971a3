// ZynConstFormula: the formula engine's hooks over the constant registry.
//
// Installs find/get/set into kvFormula so that formulas name constants
// ("R" is BASE.R, "TUNNEL.Speed" any other row) and read and store their
// variables directly: floats as they are, integers rounded to the nearest
// (ties to even, saturating), string rows untouched, no limits or snapping.
// Float rows, the ones formulas use per mesh point, are handed to the engine
// by address (taken at install time), so compiled formulas read and write
// them directly.
// Depends on: config/kvFormula, config/ZynConst.
#pragma once

// Called at the end of ConstLoad; safe to call again (tests do).
void ConstFormulaInstallHooks();
