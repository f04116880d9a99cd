#pragma once
// What every model and screen under test works with, in a temporary folder:
// the settings file, the shared state, the grid table and a scripted prompt.
// The scoring program's exchange folder (kviodir) points into the folder,
// so no test ever reads, writes or deletes in the real /kvio.

#include "grid/gridstate.h"
#include "shell/settings.h"
#include "shell/sharedstate.h"
#include "tests/support/scriptedprompt.h"
#include "tests/support/testdir.h"

#include <memory>

namespace korvel::test
{

struct Workplace {
    TestDir dir;
    std::unique_ptr<Settings> settings = dir.settings();
    SharedState shared;
    GridState grids;
    ScriptedPrompt prompt;
    QString kvio = dir.file("kvio"); // not created: tests that need it make it

    Workplace() { settings->save(Setting::KvioDir, kvio); }
};

} // namespace korvel::test
