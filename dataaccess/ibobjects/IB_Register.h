// Unit IB_Register: the form-file registration of the IB Objects query classes, so that
// forms holding a TIB_Query or a TIBOQuery can be written and read.
#pragma once

namespace IB_Register {

// Registers TIB_Query (DatabaseName, SQL) and TIBOQuery (DatabaseName, SQL,
// RequestLive) with TypInfo. Call once at start-up; calling it again does no harm.
void RegisterClasses();

}  // namespace IB_Register
