// Conditions: the seven compare functions and their conjunction.
#include "engine/condition.h"

#include <gtest/gtest.h>

#include "engine/job.h"
#include "engine/text_fields.h"

namespace tf {
namespace {

constexpr std::int32_t kZero = 0;
constexpr std::int32_t kMinusOne = -1;
constexpr char kCoil[] = "Coil";
constexpr char kEmpty[] = "";

int calls = 0;
std::int32_t CountingTrue(const void*, const void*) {
  ++calls;
  return 1;
}

TEST(ConditionTest, IntegerCompares) {
  EXPECT_EQ(IntCompareFunc(&kZero, &kZero), 1);
  EXPECT_EQ(IntCompareFunc(&kMinusOne, &kZero), 0);  // an absent ticket is not 0
  EXPECT_EQ(IntNoEqualCompareFunc(&kMinusOne, &kZero), 1);
  EXPECT_EQ(IntNoEqualCompareFunc(&kZero, &kZero), 0);
}

TEST(ConditionTest, StringCompares) {
  EXPECT_EQ(StrEqualCompareFunc("Coil", kCoil), 1);
  EXPECT_EQ(StrEqualCompareFunc("CoilPunch", kCoil), 0);  // whole strings
  EXPECT_EQ(StrEqualCompareFunc("coil", kCoil), 0);       // case matters
  EXPECT_EQ(StrContainCompareFunc("CoilPunch", kCoil), 1);
  EXPECT_EQ(StrContainCompareFunc("Punch", kCoil), 0);
  EXPECT_EQ(StrContainCompareFunc("", kEmpty), 0);  // empty left never contains
  EXPECT_EQ(StrContainCompareFunc(nullptr, kCoil), 0);
  EXPECT_EQ(StrNotContainCompareFunc("", kEmpty), 1);
  EXPECT_EQ(StrNotContainCompareFunc("CoilPunch", kCoil), 0);
  EXPECT_EQ(StrNotContainCompareFunc(nullptr, kCoil), 1);
  EXPECT_EQ(StrNoNULLCompareFunc("a", nullptr), 1);
  EXPECT_EQ(StrNoNULLCompareFunc("", nullptr), 0);
  EXPECT_EQ(StrNoNULLCompareFunc(nullptr, nullptr), 0);
  EXPECT_EQ(StrIsNULLCompareFunc("", nullptr), 1);
  EXPECT_EQ(StrIsNULLCompareFunc("a", nullptr), 0);
}

// A module record of the tests.
struct TestRecord {
  std::int32_t printType;
  char name[8];
};

struct Scope {
  JobCoreState core{};
  TextFieldEncodings encodings;
  OperandScope For(const TestRecord& record) const { return {core, &record, encodings}; }
};

TEST(ConditionTest, EmptyListHolds) {
  const Scope scope;
  const TestRecord record{};
  EXPECT_EQ(ConditionCompare({}, scope.For(record)), 1);
  EXPECT_EQ(ConditionCompare(ConditionList{}.span(), scope.For(record)), 1);
}

TEST(ConditionTest, ConjunctionStopsAtFirstFailure) {
  const Scope scope;
  TestRecord record{-1, {}};
  const ConditionList list = {Is(TF_RECORD(TestRecord, printType), TF_CONST(kZero)),
                              {TF_CONST(kZero), TF_CONST(kZero), CountingTrue}};
  calls = 0;
  EXPECT_EQ(ConditionCompare(list.span(), scope.For(record)), 0);
  EXPECT_EQ(calls, 0);
  record.printType = 0;
  EXPECT_EQ(ConditionCompare(list.span(), scope.For(record)), 1);
  EXPECT_EQ(calls, 1);
}

TEST(ConditionTest, OperandsAreReadFromTheJobAtEvaluation) {
  Scope scope;
  const TestRecord record{};
  const ConditionList list = {NonEmpty(TF_CORE(HostNameStr))};
  EXPECT_EQ(ConditionCompare(list.span(), scope.For(record)), 0);
  scope.core.HostNameStr[0] = 'h';
  EXPECT_EQ(ConditionCompare(list.span(), scope.For(record)), 1);
}

// A record operand is a field of the record the table runs with: the same list tests each
// module's own record.
TEST(ConditionTest, RecordOperandsAddressTheRecordTheTableRunsWith) {
  const Scope scope;
  const TestRecord named{0, "abc"}, unnamed{0, ""};
  const ConditionList list = {NonEmpty(TF_RECORD(TestRecord, name)),
                              Equals(TF_RECORD(TestRecord, name), TF_CONST(kCoil))};
  EXPECT_EQ(ConditionCompare(list.span().first(1), scope.For(named)), 1);
  EXPECT_EQ(ConditionCompare(list.span().first(1), scope.For(unnamed)), 0);
  const TestRecord coil{0, "Coil"};
  EXPECT_EQ(ConditionCompare(list.span(), scope.For(coil)), 1);
  EXPECT_EQ(ConditionCompare(list.span(), scope.For(named)), 0);
}

// A list holds its items in the row; WithoutLast drops the last (a list written with more items
// than it holds does not compile).
TEST(ConditionTest, FixedListsHoldTheirItemsInline) {
  static_assert(ConditionList{Empty(TF_CORE(HostNameStr)), Empty(TF_CORE(IPAddressStr))}
                    .WithoutLast()
                    .size() == 1);
  constexpr FixedList<int, 3> list = {1, 2, 3};
  static_assert(list.size() == 3 && list[2] == 3 && list.WithoutLast().size() == 2);
}

}  // namespace
}  // namespace tf
