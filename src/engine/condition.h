// Conditions of the command tables.
//
// A format row may carry a list of conditions and is written only when all of them hold.  Each
// condition names two operands and one of seven compare functions.
#pragma once

#include <cstdint>
#include <span>

#include "engine/operand.h"

namespace tf {

// Returns exactly 1 when the condition holds, else 0.  `left` and `right` are the resolved
// operands: an int32 or a NUL-terminated string (the right operand of a string compare is the
// reference text itself).
using CompareFunc = std::int32_t (*)(const void* left, const void* right);

struct ComparisonItem {
  Operand left;
  Operand right;
  CompareFunc compare = nullptr;

  friend constexpr bool operator==(const ComparisonItem&, const ComparisonItem&) = default;
};

// The conditions of one row, written inline: all of them must hold.
inline constexpr std::size_t kMaxConditions = 8;
using ConditionList = FixedList<ComparisonItem, kMaxConditions>;

std::int32_t IntCompareFunc(const void* left, const void* right);
std::int32_t IntNoEqualCompareFunc(const void* left, const void* right);
std::int32_t StrEqualCompareFunc(const void* left, const void* right);
std::int32_t StrContainCompareFunc(const void* left, const void* right);
std::int32_t StrNotContainCompareFunc(const void* left, const void* right);
std::int32_t StrNoNULLCompareFunc(const void* left, const void* right);
std::int32_t StrIsNULLCompareFunc(const void* left, const void* right);

// The right operand of the two emptiness tests, which do not read it.
inline constexpr char OptionNULLStr[] = "";

// The conditions as a row writes them: the integer `field` is (is not) `value`; the text `field`
// is empty (not empty), equals, contains (does not contain) the text `value`.
constexpr ComparisonItem Is(Operand field, Operand value) { return {field, value, IntCompareFunc}; }
constexpr ComparisonItem IsNot(Operand field, Operand value) {
  return {field, value, IntNoEqualCompareFunc};
}
constexpr ComparisonItem NonEmpty(Operand field) {
  return {field, TF_CONST(OptionNULLStr), StrNoNULLCompareFunc};
}
constexpr ComparisonItem Empty(Operand field) {
  return {field, TF_CONST(OptionNULLStr), StrIsNULLCompareFunc};
}
constexpr ComparisonItem Equals(Operand field, Operand text) {
  return {field, text, StrEqualCompareFunc};
}
constexpr ComparisonItem Contains(Operand field, Operand text) {
  return {field, text, StrContainCompareFunc};
}
constexpr ComparisonItem NotContains(Operand field, Operand text) {
  return {field, text, StrNotContainCompareFunc};
}

// 1 when every item holds (evaluated in order, stopping at the first that fails); no items hold.
std::int32_t ConditionCompare(std::span<const ComparisonItem> conditions,
                              const OperandScope& scope);

}  // namespace tf
