// Conditions of the command tables.
//
// A format row may carry a list of conditions and is written only when all of them hold.  Each
// condition names two operands and one of seven compare functions.
#pragma once

#include <cstdint>

#include "engine/operand.h"

namespace tf {

struct JobState;

// Returns exactly 1 when the condition holds, else 0.  `left` and `right` are the resolved
// operands: an int32 or a NUL-terminated string (the right operand of a string compare is the
// reference text itself).
using CompareFunc = std::int32_t (*)(const void* left, const void* right);

struct ComparationItem {
  Operand left;
  Operand right;
  CompareFunc compare;
};

std::int32_t IntCampareFunc(const void* left, const void* right);
std::int32_t IntNoEqualCampareFunc(const void* left, const void* right);
std::int32_t StrEqualCampareFunc(const void* left, const void* right);
std::int32_t StrContainCampareFunc(const void* left, const void* right);
std::int32_t StrNotContainCampareFunc(const void* left, const void* right);
std::int32_t StrNoNULLCampareFunc(const void* left, const void* right);
std::int32_t StrIsNULLCampareFunc(const void* left, const void* right);

// The right operand of the two emptiness tests, which do not read it.
inline constexpr char OptionNULLStr[] = "";

// 1 when every item of the list holds (evaluated in order, stopping at the first that fails);
// a list with no items holds.
std::int32_t ConditionCompare(const ParaTable<ComparationItem>* conditions, const JobState& state);

}  // namespace tf
