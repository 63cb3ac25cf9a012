// Bringing the shared catalogue up to date with a changed query (RefreshData).
#include "tests/components/ComponentFixture.h"

namespace comptest {
namespace {

using namespace kytSQLFilterStruc;

const char* kCustomerSQL = "SELECT ID, NAME FROM CUSTOMER";

// Each entry as "FIELD kind order description".
std::vector<std::string> Entries() {
  std::vector<std::string> out;
  for (int i = 0; i < Campos->Count(); ++i) {
    const TCampo& e = *Campos->Get(i);
    out.push_back(e.FieldName + (e.FieldKind == fkSelected ? " sel " : " not ") + std::to_string(e.ComboOrder) + " " +
                  e.Description);
  }
  return out;
}

template <class K>
class RefreshTest : public FilterTest<K> {
 protected:
  // Builds Campos from SQL and then gives the query Next for the refresh.
  void Build(const std::string& SQL, const std::string& Next) {
    SetSQL(*this->query, SQL);
    this->filter->InitCamposData(Campos, false);
    SetSQL(*this->query, Next);
  }
  TCampo& Find(const std::string& Field) {
    const int i = MyFindField("", Field, *Campos);
    EXPECT_GE(i, 0) << Field;
    return *Campos->Get(i < 0 ? 0 : i);
  }
};
TYPED_TEST_SUITE(RefreshTest, AllKinds, KindNames);

TYPED_TEST(RefreshTest, EmptySetBuildsAFreshCatalogueAndChangesNothing) {
  this->Build(kCustomerSQL, kJoinSQL);
  this->Find("NAME").Description = "Edited";
  const std::vector<std::string> before = Entries();
  ASSERT_FALSE(this->query->Active());
  this->filter->RefreshData({});
  EXPECT_EQ(Entries(), before);
  EXPECT_TRUE(this->query->Active()) << "the fresh catalogue was built from the query";
}

TYPED_TEST(RefreshTest, EverythingRebuildsWhateverElseIsAsked) {
  const TRefreshTypeS sets[] = {{rtEverything}, {rtEverything, rtDescriptions, rtRemoveOld, rtAddNew}};
  for (const TRefreshTypeS& set : sets) {
    SCOPED_TRACE(set.Bits());
    this->ClearShared();
    this->Build(kJoinSQL, kCustomerSQL);
    this->Find("NAME").Description = "Edited";
    this->filter->RefreshData(set);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"ID sel 0 ID", "NAME sel 1 NAME", "CITY not 2 CITY",
                                                   "BORN not 3 BORN", "CREDIT not 4 CREDIT", "ACTIVE not 5 ACTIVE",
                                                   "NOTES not 6 NOTES", "PHOTO not 7 PHOTO"}));
  }
}

TYPED_TEST(RefreshTest, DescriptionsComeBackForEntriesThatStillExist) {
  this->Build(kCustomerSQL, kCustomerSQL);
  this->Find("NAME").Description = "Edited";
  this->Find("CITY").Description = "Town";
  auto* gone = new TCampo;
  gone->FieldName = "GONE";
  gone->Description = "Kept";
  Campos->Add(gone);
  this->filter->RefreshData({rtDescriptions});
  EXPECT_EQ(this->Find("NAME").Description, "NAME");
  EXPECT_EQ(this->Find("CITY").Description, "CITY");
  EXPECT_EQ(this->Find("GONE").Description, "Kept");
  EXPECT_EQ(Campos->Count(), 9);
}

TYPED_TEST(RefreshTest, AddNewAppendsNewColumnsAndPromotesSelectedOnes) {
  this->Build(kCustomerSQL,
              "SELECT CUSTOMER.ID, CUSTOMER.NAME, CUSTOMER.CITY, ORDERS.TOTAL FROM CUSTOMER JOIN ORDERS ON "
              "ORDERS.CUSTOMER_ID = CUSTOMER.ID");
  this->Find("NAME").Description = "Edited";
  this->filter->RefreshData({rtAddNew});
  EXPECT_EQ(Entries(), (std::vector<std::string>{
                           "ID sel 0 ID", "NAME sel 1 Edited",
                           "CITY sel 2 CITY",  // now selected: replaced in place by its fresh entry
                           "BORN not 3 BORN", "CREDIT not 4 CREDIT", "ACTIVE not 5 ACTIVE", "NOTES not 6 NOTES",
                           "PHOTO not 7 PHOTO",
                           // appended with their fresh positions, which may repeat existing ones
                           "TOTAL sel 3 TOTAL", "CUSTOMER_ID not 9 CUSTOMER_ID", "SHIPPED not 10 SHIPPED",
                           "STATUS not 11 STATUS"}));
  EXPECT_TRUE(this->Find("CITY").Visible);
}

TYPED_TEST(RefreshTest, RemoveOldDropsWhatTheQueryNoLongerHas) {
  this->Build(kJoinSQL, kCustomerSQL);
  this->filter->RefreshData({rtRemoveOld});
  EXPECT_EQ(Entries(), (std::vector<std::string>{"ID sel 0 ID", "NAME sel 2 NAME", "CITY not 6 CITY",
                                                 "BORN not 7 BORN", "CREDIT not 8 CREDIT", "ACTIVE not 9 ACTIVE",
                                                 "NOTES not 10 NOTES", "PHOTO not 11 PHOTO"}));
  EXPECT_EQ(this->Find("ID").TableName, "ORDERS.") << "same name in another table: kept as it was";
}

TYPED_TEST(RefreshTest, NamesDifferingInCaseAreNotCounterparts) {
  this->Build(kCustomerSQL, kCustomerSQL);
  this->Find("NAME").FieldName = "name";
  this->filter->RefreshData({rtRemoveOld, rtAddNew});
  const std::vector<std::string> entries = Entries();
  EXPECT_EQ(MyFindField("", "name", *Campos), -1);
  EXPECT_EQ(entries.back(), "NAME sel 1 NAME");
  EXPECT_EQ(Campos->Count(), 8);
}

TYPED_TEST(RefreshTest, FailedBuildLeavesCamposUnlessEverythingWasAsked) {
  this->Build(kCustomerSQL, "SELECT * FROM NO_SUCH_TABLE");
  const std::vector<std::string> before = Entries();
  EXPECT_THROW(this->filter->RefreshData({rtAddNew, rtRemoveOld}), SysUtils::EAbort);
  EXPECT_EQ(Entries(), before);
  EXPECT_THROW(this->filter->RefreshData({rtEverything}), SysUtils::EAbort);
  ASSERT_NE(Campos, nullptr);
  EXPECT_EQ(Campos->Count(), 0);
  EXPECT_EQ(BoxTexts(),
            (std::vector<std::string>{"Error trying to open the dataset", "Error trying to open the dataset"}));
}

}  // namespace
}  // namespace comptest
