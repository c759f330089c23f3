#include "app/Resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE must stand outside any namespace.
static void InitFramoraResources() { Q_INIT_RESOURCE(resources); }

namespace framora {

void EnsureResources() {
  static const bool done = [] {
    InitFramoraResources();
    return true;
  }();
  (void)done;
}

} // namespace framora
