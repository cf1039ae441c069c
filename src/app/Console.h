#pragma once

#include <QString>

// Standard output of the command-line modes (--verify, --data-folder, --help).
namespace Console {
// Makes standard output reach the terminal the program was started from. A Windows program
// of the GUI subsystem has no console of its own: it borrows its parent's.
void Attach();
// Writes text as the terminal expects it: UTF-16 to a Windows console, UTF-8 anywhere else.
void Write(const QString& text);
}  // namespace Console
