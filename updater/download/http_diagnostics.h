// The HTTP layer's diagnostics go to standard output, not to the log: the
// window program has no console, so they are for someone who attaches one.
#pragma once

#include <string>

// Writes the text in one piece, so lines of concurrent workers never mix.
void WriteHttpDiagnostic(const std::string& text);
