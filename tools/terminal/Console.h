// Text written to a console window shown as the characters it stands for.
#pragma once

namespace terminal {

// On Windows, standard output and error that are consoles show UTF-8 text as the characters it
// stands for, whatever the console's code page; files and pipes, and every stream elsewhere, get
// the bytes as they are.
void showUtf8OnConsoles();

} // namespace terminal
