#include "updater/download/http_diagnostics.h"

#include <cstdio>

void WriteHttpDiagnostic(const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}
