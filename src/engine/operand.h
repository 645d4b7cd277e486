// Operands of the command tables, and the short lists a table row holds inline.
//
// A format row's parameters, a condition's operands and a ticket row's destination name values
// that differ per job, or constants.  The tables are constant data, so a job value is named by
// where it lies: a field of the job core's state (JobCoreState: the names, the layout buffers,
// the client host) or a field of the record of the module whose table it is, each by its offset.
// The row loop resolves them against the job and that module's record; no table names a field of
// another module.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>

namespace tf {

struct JobCoreState;
class TextFieldEncodings;

class Operand {
 public:
  enum class Base : std::uint8_t {
    Constant,  // an object in static storage (a constant byte, integer or string)
    Core,      // a field of JobCoreState
    Record,    // a field of the module's own record
  };

  constexpr Operand() = default;
  static constexpr Operand Constant(const void* object) {
    return Operand(object, Base::Constant, 0, 0);
  }
  // A field of JobCoreState, by its offset and size (TF_CORE).
  static constexpr Operand CoreField(std::size_t offset, std::size_t size) {
    return Operand(nullptr, Base::Core, offset, size);
  }
  // A field of the module's record, by its offset and size (TF_RECORD).
  static constexpr Operand RecordField(std::size_t offset, std::size_t size) {
    return Operand(nullptr, Base::Record, offset, size);
  }
  // The same field, of which a ticket reader fills at most `bytes` (its terminator included).
  constexpr Operand Limited(std::size_t bytes) const {
    Operand limited = *this;
    limited.size_ = static_cast<std::uint32_t>(bytes < size_ ? bytes : size_);
    return limited;
  }

  friend constexpr bool operator==(const Operand&, const Operand&) = default;

  constexpr Base base() const { return base_; }
  // Bytes of the field; 0 for a constant.
  constexpr std::size_t size() const { return size_; }

  const void* Resolve(const JobCoreState& core, const void* record) const {
    switch (base_) {
      case Base::Core:
        return reinterpret_cast<const unsigned char*>(&core) + offset_;
      case Base::Record:
        return static_cast<const unsigned char*>(record) + offset_;
      case Base::Constant:
        break;
    }
    return constant_;
  }
  // The field a ticket reader fills (never a constant).
  void* ResolveField(JobCoreState& core, void* record) const {
    return const_cast<void*>(Resolve(core, record));
  }

 private:
  constexpr Operand(const void* constant, Base base, std::size_t offset, std::size_t size)
      : constant_(constant),
        offset_(static_cast<std::uint32_t>(offset)),
        size_(static_cast<std::uint32_t>(size)),
        base_(base) {}

  const void* constant_ = nullptr;
  std::uint32_t offset_ = 0;
  std::uint32_t size_ = 0;
  Base base_ = Base::Constant;
};

// What the operands of one table are resolved against: the job core's state and the record of
// the module that runs the table, with the encodings of the text fields of both.
struct OperandScope {
  const JobCoreState& core;
  const void* record;
  const TextFieldEncodings& encodings;
};

// A short list held in a table row itself, so that a row's parameters and conditions are written
// inline: at most N items.  A list written with more does not compile.
template <class T, std::size_t N>
class FixedList {
 public:
  constexpr FixedList() = default;
  constexpr FixedList(std::initializer_list<T> items) {
    if (items.size() > N) throw "more items than the list holds";
    for (const T& item : items) items_[count_++] = item;
  }

  constexpr std::size_t size() const { return count_; }
  constexpr bool empty() const { return count_ == 0; }
  constexpr const T* begin() const { return items_; }
  constexpr const T* end() const { return items_ + count_; }
  constexpr const T& operator[](std::size_t i) const { return items_[i]; }
  constexpr std::span<const T> span() const { return {items_, count_}; }

  friend constexpr bool operator==(const FixedList& a, const FixedList& b) {
    if (a.count_ != b.count_) return false;
    for (std::size_t i = 0; i < a.count_; ++i) {
      if (!(a.items_[i] == b.items_[i])) return false;
    }
    return true;
  }

  // The list without its last item.
  constexpr FixedList WithoutLast() const {
    FixedList shorter = *this;
    if (shorter.count_ > 0) shorter.items_[--shorter.count_] = T{};
    return shorter;
  }

 private:
  T items_[N]{};
  std::size_t count_ = 0;
};

}  // namespace tf

// A field of the job core's state, e.g. TF_CORE(StdUserName).
#define TF_CORE(member)                                                 \
  ::tf::Operand::CoreField(offsetof(::tf::JobCoreState, member),        \
                           sizeof(::tf::JobCoreState::member))
// A field of a module's record, e.g. TF_RECORD(PrintTypeOptions, userName).
#define TF_RECORD(Record, member) \
  ::tf::Operand::RecordField(offsetof(Record, member), sizeof(Record::member))
// A constant object, e.g. TF_CONST(CTRLSym_DOUBLE).
#define TF_CONST(object) ::tf::Operand::Constant(&(object))
