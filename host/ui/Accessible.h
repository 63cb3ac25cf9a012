// What screen readers read of a host control: its accessible name and description.
//
// Every host control describes itself by its hint: the accessible description follows
// the hint (also one not shown as a tool tip) whenever it changes. A control with a
// caption is named by it; any other control is named by whoever lays it out.
//
// User-interface thread only.
#pragma once

#include <string>

#include "host/ui/Controls.h"

namespace Accessible {

// From now on, Control's accessible description is its hint. Called by the host
// controls' constructors; calling it again changes nothing.
void DescribeByHint(Controls::TControl& Control);

// The name a screen reader reads for Control (Windows-1252 text); replaces any name
// its caption gave it.
void SetName(Controls::TControl& Control, const std::string& Name);
std::string Name(const Controls::TControl& Control);
std::string Description(const Controls::TControl& Control);

}  // namespace Accessible
