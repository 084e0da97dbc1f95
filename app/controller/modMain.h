#pragma once

/// The program's entry.
namespace modMain {

/// Runs the program: one instance only, settings, the first-start dialog, the main form until quit.
/// Returns the process exit code.
int Main(int argc, char **argv);

} // namespace modMain
