// Ctrl+C during a run: the run ends after the step in progress, and what was
// recorded is still written.
#pragma once

namespace quba {

// Catches SIGINT from now on; a second Ctrl+C ends the program at once.
void CatchInterrupt();
[[nodiscard]] bool InterruptRequested();

} // namespace quba
