// Operands of the command tables.
//
// A format row's parameters and a condition's operands name values that differ per job (ticket
// values, prepared names) or constants.  The tables are constant data, so a job value is named by
// its offset in JobState and resolved against the job at the time the row is expanded.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tf {

struct JobState;

class Operand {
 public:
  // A constant in static storage (a constant byte, integer or string).
  static constexpr Operand Constant(const void* object) { return Operand(object, 0); }
  // A field of the job's state, by its offset in JobState.
  static constexpr Operand JobField(std::size_t offset) { return Operand(nullptr, offset); }

  const void* Resolve(const JobState& state) const {
    return constant_ != nullptr ? constant_
                                : reinterpret_cast<const unsigned char*>(&state) + offset_;
  }
  // Destination of a ticket reader: always a job field.
  void* ResolveField(JobState& state) const {
    return reinterpret_cast<unsigned char*>(&state) + offset_;
  }
  // The offset in JobState of a job field.
  constexpr std::size_t FieldOffset() const { return offset_; }
  constexpr bool IsJobField() const { return constant_ == nullptr; }

 private:
  constexpr Operand(const void* constant, std::size_t offset)
      : constant_(constant), offset_(offset) {}
  const void* constant_;
  std::size_t offset_;
};

// A counted list: the parameters of a format row, or the items of a condition list.
template <typename T>
struct ParaTable {
  std::int32_t count;
  const T* list;
};

template <typename T, std::size_t N>
constexpr ParaTable<T> MakeParaTable(const T (&list)[N]) {
  return ParaTable<T>{static_cast<std::int32_t>(N), list};
}

}  // namespace tf

// A field of the job's state, e.g. TF_FIELD(kpjlOptionPrintType.userName).
#define TF_FIELD(member) ::tf::Operand::JobField(offsetof(::tf::JobState, member))
// A constant object, e.g. TF_CONST(CTRLSym_DOUBLE).
#define TF_CONST(object) ::tf::Operand::Constant(&(object))
