#pragma once

namespace vorlane {

// The name of the lock that keeps a second copy of the program from starting.
inline constexpr const char* kSingleInstanceName = "Vorlane - Ostrell";

// Whether the command line asks for the diagnostic display: the first
// argument exactly "debug", same case, nothing added.
bool DebugSwitchGiven(int argc, const char* const* argv);

// The whole program: the switch, the single-instance lock, the windows in
// their order, the message loop. Returns the process's exit code.
int RunProgram(int argc, char** argv);

}  // namespace vorlane
