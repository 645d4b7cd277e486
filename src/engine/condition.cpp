// Conditions of the command tables.
#include "engine/condition.h"

#include <cstring>

namespace tf {

std::int32_t IntCampareFunc(const void* left, const void* right) {
  return *static_cast<const std::int32_t*>(left) == *static_cast<const std::int32_t*>(right);
}

std::int32_t IntNoEqualCampareFunc(const void* left, const void* right) {
  return *static_cast<const std::int32_t*>(left) != *static_cast<const std::int32_t*>(right);
}

std::int32_t StrEqualCampareFunc(const void* left, const void* right) {
  return std::strcmp(static_cast<const char*>(left), static_cast<const char*>(right)) == 0;
}

std::int32_t StrContainCampareFunc(const void* left, const void* right) {
  const char* text = static_cast<const char*>(left);
  return text != nullptr && *text != '\0' &&
         std::strstr(text, static_cast<const char*>(right)) != nullptr;
}

std::int32_t StrNotContainCampareFunc(const void* left, const void* right) {
  return StrContainCampareFunc(left, right) == 1 ? 0 : 1;
}

std::int32_t StrNoNULLCampareFunc(const void* left, const void*) {
  const char* text = static_cast<const char*>(left);
  return text != nullptr && *text != '\0';
}

std::int32_t StrIsNULLCampareFunc(const void* left, const void* right) {
  return StrNoNULLCampareFunc(left, right) == 1 ? 0 : 1;
}

std::int32_t ConditionCompare(const ParaTable<ComparationItem>* conditions,
                              const JobState& state) {
  if (conditions == nullptr) return 1;
  for (std::int32_t i = 0; i < conditions->count; ++i) {
    const ComparationItem& item = conditions->list[i];
    if (item.compare(item.left.Resolve(state), item.right.Resolve(state)) == 0) return 0;
  }
  return 1;
}

}  // namespace tf
