// ZynStandalone: program entry of the zyn executable.
#include "app/ZynOptions.h"

#include <cstdio>

int main(int argc, char** argv)
{
    std::string out, error;
    switch (ZynParseOptions(argc, argv, ZynOpt, out, error)) {
    case ZynOptionsResult::ExitOk:
        std::fputs(out.c_str(), stdout);
        return 0;
    case ZynOptionsResult::ExitUsage:
        std::fprintf(stderr, "zyn: %s\n\n%s", error.c_str(), ZynUsageText().c_str());
        return 2;
    case ZynOptionsResult::Run:
        break;
    }
    return 0;
}
