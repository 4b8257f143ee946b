// What the registry offers the rest of the platform.
#ifndef W32_REGISTRY_REGISTRY_H
#define W32_REGISTRY_REGISTRY_H

namespace w32::registry {

// Commits and closes every key still open (at exit, or between test runs).
void CloseAll();

}  // namespace w32::registry

#endif  // W32_REGISTRY_REGISTRY_H
