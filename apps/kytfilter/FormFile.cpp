#include "apps/kytfilter/FormFile.h"

#include "apps/kytfilter/Cli.h"
#include "components/kytBDEFilter.h"
#include "components/kytIBDFilter.h"
#include "components/kytIBOFilter.h"
#include "dataaccess/db/DBText.h"
#include "dataaccess/ibobjects/IB_Components.h"
#include "filtermodel/kytSQLFilterRes.h"
#include "host/rtl/ClassesFiler.h"
#include "host/rtl/SafeFile.h"
#include "host/rtl/SysUtils.h"
#include "host/ui/Forms.h"
#include "packages/kytBDEFilterPkg.h"
#include "packages/kytFilterBasePkg.h"
#include "packages/kytIBOFilterPkg.h"

namespace kytcli {

namespace {

Classes::TComponent* FindIn(Classes::TComponent& Owner, const std::string& Name) {
  if (Classes::TComponent* found = Owner.FindComponent(Name)) return found;
  for (int i = 0; i < Owner.ComponentCount(); ++i)
    if (Classes::TComponent* found = FindIn(*Owner.Components(i), Name)) return found;
  return nullptr;
}

}  // namespace

std::unique_ptr<Classes::TComponent> LoadForm(const std::string& File) {
  // The packages this program links: the classes a form file of the filters may hold.
  PackageLoader::InitPackage(*kytFilterBasePkg_Frame());
  PackageLoader::InitPackage(*kytIBOFilterPkg_Frame());
  PackageLoader::InitPackage(*kytBDEFilterPkg_Frame());
  const std::string text = ReadInput(File);
  try {
    return std::unique_ptr<Classes::TComponent>(Classes::TextToComponent(text, nullptr));
  } catch (const SysUtils::Exception& e) {
    throw Failure("kytfilter: " + File + ": " + DB::AnsiToUtf8(e.Message()));
  }
}

kytFilterBase::TkytCustomFilter& FindFilter(Classes::TComponent& Root, const std::string& Name,
                                            const std::string& File) {
  Classes::TComponent* found = SysUtils::AnsiSameText(Root.Name(), Name) ? &Root : FindIn(Root, Name);
  if (found == nullptr) throw Failure("kytfilter: " + File + " has no component named " + Name);
  auto* filter = dynamic_cast<kytFilterBase::TkytCustomFilter*>(found);
  if (filter == nullptr)
    throw Failure("kytfilter: " + Name + " in " + File + " is a " + found->ClassName() + ", not a filter component");
  return *filter;
}

Classes::TComponent& LinkedQuery(const kytFilterBase::TkytCustomFilter& Filter, const std::string& File) {
  Classes::TComponent* query = Filter.DataSetComponent();
  if (query == nullptr)
    throw Failure("kytfilter: " + DB::AnsiToUtf8(Filter.Name()) + " in " + File + ": " +
                  DB::AnsiToUtf8(kytSQLFilterRes::Text(kytSQLFilterRes::sMustSetDataset)));
  return *query;
}

void OpenQuery(Classes::TComponent& Query) {
  try {
    if (auto* native = dynamic_cast<IB_Components::TIB_Query*>(&Query))
      native->Open();
    else if (auto* dataset = dynamic_cast<DB::TDataSet*>(&Query))
      dataset->Open();
  } catch (const SysUtils::Exception& e) {
    throw Failure("kytfilter: " + DB::AnsiToUtf8(kytSQLFilterRes::Text(kytSQLFilterRes::sErrorOpeningDataset)) + ": " +
                  DB::AnsiToUtf8(e.Message()));
  }
}

void SaveForm(Classes::TComponent& Root, const std::string& Out) {
  try {
    SafeFile::TFileReplacer file(Out);
    Classes::WriteComponentText(file, Root);
    file.Commit();
  } catch (const SysUtils::Exception& e) {
    throw Failure("kytfilter: cannot write " + Out + ": " + DB::AnsiToUtf8(e.Message()));
  }
}

}  // namespace kytcli
