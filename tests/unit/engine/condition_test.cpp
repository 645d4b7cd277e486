// Conditions: the seven compare functions and their conjunction.
#include "engine/condition.h"

#include <gtest/gtest.h>

#include "engine/job.h"

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
  EXPECT_EQ(IntCampareFunc(&kZero, &kZero), 1);
  EXPECT_EQ(IntCampareFunc(&kMinusOne, &kZero), 0);  // an absent ticket is not 0
  EXPECT_EQ(IntNoEqualCampareFunc(&kMinusOne, &kZero), 1);
  EXPECT_EQ(IntNoEqualCampareFunc(&kZero, &kZero), 0);
}

TEST(ConditionTest, StringCompares) {
  EXPECT_EQ(StrEqualCampareFunc("Coil", kCoil), 1);
  EXPECT_EQ(StrEqualCampareFunc("CoilPunch", kCoil), 0);  // whole strings
  EXPECT_EQ(StrEqualCampareFunc("coil", kCoil), 0);       // case matters
  EXPECT_EQ(StrContainCampareFunc("CoilPunch", kCoil), 1);
  EXPECT_EQ(StrContainCampareFunc("Punch", kCoil), 0);
  EXPECT_EQ(StrContainCampareFunc("", kEmpty), 0);  // empty left never contains
  EXPECT_EQ(StrContainCampareFunc(nullptr, kCoil), 0);
  EXPECT_EQ(StrNotContainCampareFunc("", kEmpty), 1);
  EXPECT_EQ(StrNotContainCampareFunc("CoilPunch", kCoil), 0);
  EXPECT_EQ(StrNotContainCampareFunc(nullptr, kCoil), 1);
  EXPECT_EQ(StrNoNULLCampareFunc("a", nullptr), 1);
  EXPECT_EQ(StrNoNULLCampareFunc("", nullptr), 0);
  EXPECT_EQ(StrNoNULLCampareFunc(nullptr, nullptr), 0);
  EXPECT_EQ(StrIsNULLCampareFunc("", nullptr), 1);
  EXPECT_EQ(StrIsNULLCampareFunc("a", nullptr), 0);
}

TEST(ConditionTest, EmptyListHolds) {
  JobState state{};
  constexpr ParaTable<ComparationItem> empty{0, nullptr};
  EXPECT_EQ(ConditionCompare(&empty, state), 1);
  EXPECT_EQ(ConditionCompare(nullptr, state), 1);
}

TEST(ConditionTest, ConjunctionStopsAtFirstFailure) {
  JobState state{};
  state.kpjlOptionPrintType.printType = -1;
  const ComparationItem items[] = {
      {TF_FIELD(kpjlOptionPrintType.printType), TF_CONST(kZero), IntCampareFunc},
      {TF_CONST(kZero), TF_CONST(kZero), CountingTrue},
  };
  const ParaTable<ComparationItem> list = MakeParaTable(items);
  calls = 0;
  EXPECT_EQ(ConditionCompare(&list, state), 0);
  EXPECT_EQ(calls, 0);
  state.kpjlOptionPrintType.printType = 0;
  EXPECT_EQ(ConditionCompare(&list, state), 1);
  EXPECT_EQ(calls, 1);
}

TEST(ConditionTest, OperandsAreReadFromTheJobAtEvaluation) {
  JobState state{};
  const ComparationItem items[] = {
      {TF_FIELD(HostNameStr), TF_CONST(OptionNULLStr), StrNoNULLCampareFunc}};
  const ParaTable<ComparationItem> list = MakeParaTable(items);
  EXPECT_EQ(ConditionCompare(&list, state), 0);
  state.HostNameStr[0] = 'h';
  EXPECT_EQ(ConditionCompare(&list, state), 1);
}

}  // namespace
}  // namespace tf
