// Fuzz target: console command lines (ExecuteLine) without a running show.
//
// Every command runs as typed, nested and chained calls included; without a
// window or engine the ones that need them report so and return.
#include "FuzzSupport.h"
#include "console/ZynCmdInterp.h"
#include "console/ZynConsole.h"


extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ZynFuzzSetup();
    static bool console = (ConsoleCreate(), true);
    (void)console;
    std::string line(ZynFuzzText(data, size));
    ExecuteLine(line);
    ConsoleClear();
    CmdClearStop();
    return 0;
}
