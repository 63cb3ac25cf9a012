// Unit kytSQLFilterForm, private: what the dialog's own sources share. Not API.
#pragma once

#include "host/rtl/Classes.h"

// Names declared in namespace detail stay inside the shared library that defines them
// (the library's export list leaves that namespace out).
namespace kytSQLFilterForm {
namespace detail {

// Holds a string list's change events back for a batch of changes.
class TUpdateGuard {
 public:
  explicit TUpdateGuard(Classes::TStrings& List) : FList(List) { FList.BeginUpdate(); }
  ~TUpdateGuard() { FList.EndUpdate(); }
  TUpdateGuard(const TUpdateGuard&) = delete;
  TUpdateGuard& operator=(const TUpdateGuard&) = delete;

 private:
  Classes::TStrings& FList;
};

}  // namespace detail

using detail::TUpdateGuard;

}  // namespace kytSQLFilterForm
