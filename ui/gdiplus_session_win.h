// GDI+ for the whole process: started on first use, shut down at exit.
#pragma once

namespace ui {

// Safe from any thread; every call after the first does nothing.
void EnsureGdiplus();

}  // namespace ui
