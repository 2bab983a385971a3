// kvLog: the graphics/formula library's log sink.
#include "platform/kvLog.h"

#include <cstdio>

static std::function<void(const std::string&)> g_sink;

void kvLogSetSink(std::function<void(const std::string&)> sink) { g_sink = std::move(sink); }

void kvLogLine(const std::string& text)
{
    if (g_sink) g_sink(text);
    else std::fprintf(stderr, "%s\n", text.c_str());
}
