// Handing a document or a web address to the desktop, which opens it in the program the
// user has chosen for it (the shell's "open" verb).
#pragma once

#include <functional>
#include <string>

// Opens a file (an absolute path) or a URL; false when the desktop cannot.
bool ShellOpen(const std::string& target);
// Tests see the request instead of a browser or player starting; an empty handler
// restores the desktop. The application holds the handler.
void SetShellOpenHandler(std::function<bool(const std::string& target)> handler);
