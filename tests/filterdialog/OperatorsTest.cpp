#include <gtest/gtest.h>

#include "filterdialog/kytSQLFilterForm.h"

namespace {

using namespace kytSQLFilterForm;
using kytSQLFilterStruc::opContains;
using kytSQLFilterStruc::opStartingWith;
using kytSQLFilterStruc::TSpecialOperators;

TEST(KytOperators, LookupsUnderEachOfferOfOptionalComparisons) {
  // Before any dialog: as if both optional comparisons were offered.
  EXPECT_EQ(GetOperatorSQL("Start with"), "Starting with");
  struct Case {
    const char* name;
    TSpecialOperators ok;
    int items;
    const char* last;
    const char* sqlOfEmpty;
    const char* sqlOfContains;
    const char* sqlOfStart;
  } cases[] = {
      {"both", {opStartingWith, opContains}, 10, "Contains", "Op. not found !!!", "Containing",
       "Starting with"},
      {"contains_only", {opContains}, 9, "Contains", "Starting with", "Containing",
       "Op. not found !!!"},
      {"starting_only", {opStartingWith}, 9, "Start with", "Containing", "Op. not found !!!",
       "Starting with"},
      // With neither, the empty text finds both emptied entries; the last one wins.
      {"none", {}, 8, "is not Null", "Containing", "Op. not found !!!", "Op. not found !!!"},
  };
  for (const Case& c : cases) {
    OperatorsOk = c.ok;
    Classes::TStringList items;
    items.Add("stale");
    PrepareOperators(items);
    ASSERT_EQ(items.Count(), c.items) << c.name;
    EXPECT_EQ(items.Get(0), "=") << c.name;
    EXPECT_EQ(items.Get(2), ">") << c.name;  // table order, not message-number order
    EXPECT_EQ(items.Get(c.items - 1), c.last) << c.name;
    EXPECT_EQ(GetOperatorSQL(""), c.sqlOfEmpty) << c.name;
    EXPECT_EQ(GetOperatorSQL("Contains"), c.sqlOfContains) << c.name;
    EXPECT_EQ(GetOperatorSQL("Start with"), c.sqlOfStart) << c.name;
    EXPECT_EQ(GetOperatorSQL("is null"), "Op. not found !!!") << c.name;  // exact case
  }
  EXPECT_EQ(GetOperatorIndex("is not Null"), 7);
  EXPECT_EQ(GetOperatorIndex("IS NULL"), -1);
  EXPECT_EQ(GetOperatorIndex("Containing"), 9);
  EXPECT_EQ(GetOperatorIndex(""), -1);
}

}  // namespace
