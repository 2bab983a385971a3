// kvFormulaMachine: the formula engine's hooks, execution plan and stack machine (internal).
//
// FormulaPlan turns a checked instruction list into the steps FormulaRun
// follows: the same operations in the same order, with literal and variable
// operands fused into the operation that consumes them and the top of the
// stack kept in a register. Results are bit for bit those of executing the
// instructions one by one.
// Depends on: config/kvFormula, platform/ZynNumbers, platform/ZynRandom.
#pragma once

#include "config/kvFormula.h"

#include <vector>

// The find hook for the scanner; nullptr before hooks are installed.
TkvFormulaFind FormulaFindHook();

// Builds the steps of a program whose stack check passed.
void FormulaPlan(const std::vector<TkvFormulaInstr>& code, std::vector<TkvFormulaStep>& steps);
