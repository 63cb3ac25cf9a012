// Unit BDE_Register: the form-file registration of the engine query class, so that
// forms holding a TQuery can be written and read.
#pragma once

namespace BDE_Register {

// Registers TQuery (DatabaseName, SQL, RequestLive) with TypInfo. Call once at
// start-up; calling it again does no harm.
void RegisterClasses();

}  // namespace BDE_Register
