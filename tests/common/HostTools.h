// The peers from the tests: Info-ZIP zip and unzip run through the host's shell, so that
// tests can check the reader against archives made by the tool package makers use, and the
// fixture writer against the tool that reads everything. Linux only; elsewhere the tools
// count as absent and such tests skip.
#pragma once

#include "platform/rtl/Types.h"

#include <string>

// True when the named program can be run ("zip", "unzip", "7z").
bool HostToolAvailable(const char* program);
// The host path of a system path ("/tmp/x" for "\tmp\x").
std::string HostPath(const AnsiString& path);
// Shell quoting of one argument.
std::string ShellQuote(const std::string& arg);
// Runs a shell command line; returns its exit status, its output and errors in *output.
int RunHost(const std::string& commandLine, std::string* output = nullptr);
