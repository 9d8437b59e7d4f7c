#pragma once
// Process-wide signal settings of the program.

namespace platform {

/// Makes a write past the process's file-size limit fail with its error ("File too large"),
/// which the program reports like any other failed write, instead of ending the process with
/// SIGXFSZ.
void ignoreFileSizeSignal();

} // namespace platform
