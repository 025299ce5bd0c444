// The run-time error: the one way the program ends abnormally.
#pragma once

// Shows `message` (GBK) in a modal error box (on Linux: writes it to stderr)
// and ends the process with exit code -1.
[[noreturn]] void ShowFatalErrorAndExit(const char* message);
