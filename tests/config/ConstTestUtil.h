// Test helper: puts every constant back to its compiled-in value.
#pragma once

#include "config/ZynConst.h"

#include <vector>

namespace ZynConstTest {

// Snapshot of the compiled-in values, taken the first time a test asks.
inline const std::vector<TConstValue>& CompiledValues()
{
    static const std::vector<TConstValue> values = [] {
        std::vector<TConstValue> v;
        for (int32_t i = 0; i < ConstCount(); i++) {
            const TConstDef* row = ConstRow(i);
            if (row->ValueType == ZC_TYPE_INT) v.emplace_back(*static_cast<int32_t*>(row->Value));
            else v.emplace_back(*static_cast<float*>(row->Value));
        }
        return v;
    }();
    return values;
}

inline void RestoreCompiledValues()
{
    const auto& v = CompiledValues();
    for (int32_t i = 0; i < ConstCount(); i++) {
        TConstDef* row = ConstRow(i);
        if (row->ValueType == ZC_TYPE_INT) *static_cast<int32_t*>(row->Value) = std::get<int32_t>(v[i]);
        else *static_cast<float*>(row->Value) = std::get<float>(v[i]);
        row->DefaultValue = v[i];
    }
}

} // namespace ZynConstTest

// Taken at start-up, before any test can change a value.
static const bool zynConstSnapshotTaken = (ZynConstTest::CompiledValues(), true);
