// Conditions of the command tables.
#include "engine/condition.h"

#include <cstring>

namespace tf {

std::int32_t IntCompareFunc(const void* left, const void* right) {
  return *static_cast<const std::int32_t*>(left) == *static_cast<const std::int32_t*>(right);
}

std::int32_t IntNoEqualCompareFunc(const void* left, const void* right) {
  return *static_cast<const std::int32_t*>(left) != *static_cast<const std::int32_t*>(right);
}

std::int32_t StrEqualCompareFunc(const void* left, const void* right) {
  return std::strcmp(static_cast<const char*>(left), static_cast<const char*>(right)) == 0;
}

std::int32_t StrContainCompareFunc(const void* left, const void* right) {
  const char* text = static_cast<const char*>(left);
  return text != nullptr && *text != '\0' &&
         std::strstr(text, static_cast<const char*>(right)) != nullptr;
}

std::int32_t StrNotContainCompareFunc(const void* left, const void* right) {
  return StrContainCompareFunc(left, right) == 1 ? 0 : 1;
}

std::int32_t StrNoNULLCompareFunc(const void* left, const void*) {
  const char* text = static_cast<const char*>(left);
  return text != nullptr && *text != '\0';
}

std::int32_t StrIsNULLCompareFunc(const void* left, const void* right) {
  return StrNoNULLCompareFunc(left, right) == 1 ? 0 : 1;
}

std::int32_t ConditionCompare(std::span<const ComparisonItem> conditions,
                              const OperandScope& scope) {
  for (const ComparisonItem& item : conditions) {
    if (item.compare(item.left.Resolve(scope.core, scope.record),
                     item.right.Resolve(scope.core, scope.record)) == 0) {
      return 0;
    }
  }
  return 1;
}

}  // namespace tf
