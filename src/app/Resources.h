#pragma once

namespace framora {

// Registers the program's compiled-in resources (":/style.qss", the pictures). They live in
// a static library, whose unreferenced resource object the linker would otherwise drop; call
// this before the first ":/" path is used. Safe to call any number of times.
void EnsureResources();

} // namespace framora
