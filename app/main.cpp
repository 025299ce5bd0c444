// Start-up and end of the program: toolkit, hooks, StartupRoutine, MainWindow
// and its message loop.
#include <cstdlib>
#include <new>

#include "app/constants.h"
#include "app/main_window.h"
#include "platform/toolkit.h"
#include "text/text.h"

namespace {

// Hooks for work at the very start and the very end; there is none.
void InitHook() {}
void EndHook() {}

void OnAllocationFailure() { RunTimeError(constants::kOutOfMemory); }

}  // namespace

int main() {
  std::set_new_handler(OnAllocationFailure);
  InitToolkit();
  InitHook();
  std::atexit(EndHook);
  StartupRoutine();
  const int result = RunMainWindow(MainWindowDescription());
  if (result < 0) ShowMessage(constants::kWindowNotCreated, 0, constants::kRankCaption);
  EndToolkit();
  return result < 0 ? EXIT_FAILURE : 0;
}
