// kvLog: the log sink of the general graphics/formula library (kv* modules).
//
// Library code writes progress and error lines ("KVTEX...", "#FORMULA ERROR : ")
// through kvLogLine. The program installs its own log as the sink at start-up,
// so those lines land unchanged in ZynLog.txt and the console. With no sink
// installed the lines go to stderr.
// Depends on: the C++ standard library only.
#pragma once

#include <functional>
#include <string>

void kvLogLine(const std::string& text);
void kvLogSetSink(std::function<void(const std::string&)> sink);
