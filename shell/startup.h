#pragma once

namespace shell {

// Prepares the process, loads the main window and runs the message loop.
// Never returns: the process ends through End or a fatal error.
[[noreturn]] int RunProgram();

}  // namespace shell
