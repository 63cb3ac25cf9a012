// Unit StdCtrls, private: what the unit's own sources share. Not API.
#pragma once

#include <QString>
#include <QVariant>

#include <string>

#include "host/rtl/Classes.h"

// Names declared in namespace detail stay inside the shared library that defines them
// (the library's export list leaves that namespace out).
namespace StdCtrls {
namespace detail {

// The text in the code page; a character outside it becomes '?', as the host's
// conversion does.
std::string FromQ(const QString& S);

// The object attached to an item, kept in the item's data as a number.
Classes::TObject* ObjectOf(const QVariant& Data);
QVariant DataOf(Classes::TObject* Object);

}  // namespace detail

using detail::DataOf;
using detail::FromQ;
using detail::ObjectOf;

}  // namespace StdCtrls
