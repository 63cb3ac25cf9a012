#include <gtest/gtest.h>

#include <filesystem>

#include "host/rtl/Classes.h"

namespace {

using namespace Classes;

// Counts its destructions and records the removal notices it hears.
class Probe : public TComponent {
 public:
  Probe(TComponent* owner, int* destroyed, std::vector<TComponent*>* heard = nullptr)
      : TComponent(owner), destroyed_(destroyed), heard_(heard) {}
  ~Probe() override { ++*destroyed_; }

 protected:
  void Notification(TComponent* c, TOperation op) override {
    TComponent::Notification(c, op);
    if (op == TOperation::opRemove && heard_) heard_->push_back(c);
  }

 private:
  int* destroyed_;
  std::vector<TComponent*>* heard_;
};

TEST(ClassesComponent, OwnerDestroysAndAnnouncesRemoval) {
  int destroyed = 0;
  std::vector<TComponent*> heard;
  auto* owner = new TComponent(nullptr);
  auto* listener = new Probe(owner, &destroyed, &heard);
  auto* a = new Probe(owner, &destroyed);
  a->SetName("A");
  int looseDestroyed = 0;
  {
    Probe loose(nullptr, &looseDestroyed);  // no owner: this scope frees it
    EXPECT_THROW(loose.SetName("!"), EComponentError);
  }
  EXPECT_EQ(looseDestroyed, 1);
  auto* b = new Probe(owner, &destroyed);
  EXPECT_THROW(b->SetName("a"), EComponentError);  // names are unique without regard to case
  EXPECT_EQ(owner->FindComponent("a"), a);
  delete a;  // told to the other components of the owner
  ASSERT_EQ(heard.size(), 1u);
  EXPECT_EQ(heard[0], a);
  EXPECT_EQ(owner->ComponentCount(), 2);
  delete owner;
  EXPECT_EQ(destroyed, 3);
  (void)listener;
}

TEST(ClassesComponent, FreeNotificationCrossesOwners) {
  int destroyed = 0;
  std::vector<TComponent*> heard;
  auto* watcher = new Probe(nullptr, &destroyed, &heard);
  auto* other = new Probe(nullptr, &destroyed);
  other->FreeNotification(watcher);
  delete other;
  ASSERT_EQ(heard.size(), 1u);
  auto* again = new Probe(nullptr, &destroyed);
  again->FreeNotification(watcher);
  delete watcher;  // the request is dropped, so deleting 'again' touches nothing freed
  delete again;
  EXPECT_EQ(destroyed, 3);
}

// Removals from an owner that is being destroyed are not announced to its other
// components (they go too); removals from a live owner are. Free-notification links
// are honoured either way.
TEST(ClassesComponent, DestroyingOwnerAnnouncesNoRemovals) {
  struct Case {
    const char* name;
    bool markFirst;        // Destroying() before freeing one component by hand
    size_t heardByHand;    // notices the listener hears of that removal
  } cases[] = {
      {"live_owner_announces", false, 1},
      {"destroying_owner_is_silent", true, 0},
  };
  for (const Case& c : cases) {
    int destroyed = 0;
    std::vector<TComponent*> heard;
    auto* owner = new TComponent(nullptr);
    auto* child = new Probe(owner, &destroyed);
    auto* grandchild = new Probe(child, &destroyed);
    new Probe(owner, &destroyed, &heard);  // the listener
    auto* byHand = new Probe(owner, &destroyed);
    if (c.markFirst) owner->Destroying();
    EXPECT_EQ(grandchild->InState(csDestroying), c.markFirst) << c.name;
    delete byHand;  // as a form's OnDestroy frees controls it made
    EXPECT_EQ(heard.size(), c.heardByHand) << c.name;
    EXPECT_EQ(owner->ComponentCount(), 2) << c.name;
    EXPECT_EQ(owner->FindComponent(""), nullptr) << c.name;
    delete owner;  // the rest go without a notice to the listener
    EXPECT_EQ(heard.size(), c.heardByHand) << c.name;
    EXPECT_EQ(destroyed, 4) << c.name;
  }
}

// A watcher outside the owner holds a pointer to a component; the owner's destruction
// takes the component and tells the watcher, whose link is then gone, so freeing the
// watcher afterwards touches nothing freed.
TEST(ClassesComponent, FreeNotificationHonouredWhenTargetDiesWithOwner) {
  struct Case {
    const char* name;
    bool markFirst;
  } cases[] = {{"plain_destruction", false}, {"marked_destroying_first", true}};
  for (const Case& c : cases) {
    int destroyed = 0;
    std::vector<TComponent*> heard;
    auto* watcher = new Probe(nullptr, &destroyed, &heard);
    auto* owner = new TComponent(nullptr);
    auto* sibling = new Probe(owner, &destroyed, &heard);
    auto* target = new Probe(owner, &destroyed);  // freed first (last first)
    target->FreeNotification(watcher);
    target->FreeNotification(sibling);  // a sibling that asked hears it as well
    if (c.markFirst) owner->Destroying();
    delete owner;
    ASSERT_EQ(heard.size(), 2u) << c.name;  // the sibling and the watcher
    EXPECT_EQ(heard[0], target) << c.name;
    EXPECT_EQ(heard[1], target) << c.name;
    delete watcher;
    EXPECT_EQ(destroyed, 3) << c.name;
  }
}

// Names are looked up without regard to case by the code page, and follow renames,
// removals and moves between owners.
TEST(ClassesComponent, FindComponentFollowsNamesAndOwners) {
  int destroyed = 0;
  TComponent owner(nullptr);
  TComponent other(nullptr);
  auto* a = new Probe(&owner, &destroyed);
  a->SetName("Caf_A");
  auto* b = new Probe(&owner, &destroyed);
  b->SetName("B");
  struct Row {
    const char* name;
    TComponent* expected;
  };
  auto check = [&](const char* step, std::initializer_list<Row> rows) {
    for (const Row& r : rows) EXPECT_EQ(owner.FindComponent(r.name), r.expected) << step << " " << r.name;
  };
  check("created", {{"caf_a", a}, {"CAF_A", a}, {"b", b}, {"C", nullptr}, {"", nullptr}});
  a->SetName("C");
  check("renamed", {{"caf_a", nullptr}, {"c", a}});
  b->SetName("caf_a");  // the old name is free again
  check("reused", {{"CAF_A", b}, {"B", nullptr}});
  other.InsertComponent(a);
  check("moved", {{"c", nullptr}, {"caf_a", b}});
  EXPECT_EQ(other.FindComponent("C"), a);
  delete b;
  check("freed", {{"caf_a", nullptr}});
}

TEST(ClassesStringList, TextObjectsAndSorting) {
  TStringList list;
  TObject tag;
  list.Add("b");
  list.AddObject("A", &tag);
  EXPECT_EQ(list.Text(), "b\r\nA\r\n");
  EXPECT_EQ(list.IndexOf("a"), 1);  // without regard to letter case
  EXPECT_EQ(list.GetObject(1), &tag);
  list.SetText("x\r\ny\nz\rlast");
  ASSERT_EQ(list.Count(), 4);
  EXPECT_EQ(list.Get(3), "last");
  list.Clear();
  for (const char* s : {"\xE9t\xE9", "beta", "Alpha", "alpha2", "Zulu"}) list.Add(s);
  list.SetSorted(true);
  EXPECT_EQ(list.Text(), "Alpha\r\nalpha2\r\nbeta\r\nZulu\r\n\xE9t\xE9\r\n");
  list.Add("BETA");  // duplicates are ignored by default
  EXPECT_EQ(list.Count(), 5);
  EXPECT_EQ(list.Add("charlie"), 3);
  EXPECT_THROW(list.Insert(0, "x"), EStringListError);
  EXPECT_THROW(list.Get(99), EStringListError);
  TStringList copy;
  copy.Assign(&list);
  EXPECT_TRUE(copy.Equals(list));
  int changes = 0;
  copy.OnChange = [&](TObject*) { ++changes; };
  copy.BeginUpdate();
  copy.Delete(0);
  copy.Delete(0);
  copy.EndUpdate();
  EXPECT_EQ(changes, 1);
}

TEST(ClassesList, IndexChecksAndRemove) {
  TList l;
  int a, b;
  l.Add(&a);
  l.Add(&b);
  EXPECT_EQ(l.Remove(&a), 0);
  EXPECT_EQ(l.Remove(&a), -1);
  EXPECT_EQ(l.First(), &b);
  EXPECT_THROW(l.Get(1), EListError);
  EXPECT_THROW(l.Insert(5, &a), EListError);
  EXPECT_EQ(l.Expand(), &l);
}

TEST(ClassesStreams, ExactCountsAndFileErrors) {
  namespace fs = std::filesystem;
  fs::path dir = fs::temp_directory_path() / ("kytrtl-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::string file = (dir / "f.bin").string();
  {
    TFileStream f(file, fmCreate);
    f.WriteBuffer("abcdef", 6);
  }
  {
    TFileStream f(file, fmCreate);  // creating truncates
    f.WriteBuffer("xy", 2);
  }
  {
    TFileStream f(file, fmOpenRead);
    EXPECT_EQ(f.Size(), 2);
    char buf[4] = {};
    EXPECT_THROW(f.ReadBuffer(buf, 3), EReadError);
    EXPECT_THROW(f.WriteBuffer("z", 1), EWriteError);  // opened for reading only
  }
  try {
    TFileStream f((dir / "missing.flt").string(), fmOpenRead);
    FAIL() << "missing file opened";
  } catch (const EFOpenError& e) {
    EXPECT_NE(std::string(e.what()).find("missing.flt"), std::string::npos);
  }
  EXPECT_THROW(TFileStream((dir / "no" / "x").string(), fmCreate), EFCreateError);

  TMemoryStream m;
  m.WriteBuffer("hello", 5);
  m.SetPosition(1);
  char two[2];
  m.ReadBuffer(two, 2);
  EXPECT_EQ(std::string(two, 2), "el");
  EXPECT_THROW(m.ReadBuffer(two, 3), EReadError);
  m.SaveToFile(file);
  TMemoryStream back;
  back.LoadFromFile(file);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(back.Memory()), 5), "hello");
  fs::remove_all(dir);
}

}  // namespace
