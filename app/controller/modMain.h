#pragma once

class QWidget;

/// The program's entry and the settings dialog as the rest of the program opens it.
namespace modMain {

/// Runs the program: one instance only, settings, the first-start dialog, the main form until quit.
/// Returns the process exit code.
int Main(int argc, char **argv);

/// Opens the settings dialog (modal, owned by `owner` when given); true when the user saved.
bool ShowSettings(QWidget *owner = nullptr);

} // namespace modMain
