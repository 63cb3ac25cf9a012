// The scripted UI host that the test main installs for every test.
#pragma once

#include "host/ui/Dialogs.h"

Dialogs::TScriptedUIHost& ScriptedHost();
