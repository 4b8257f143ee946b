// Stands in for the X11 backend until it is written.
#include "display/backend.h"

namespace w32::display {

std::unique_ptr<Backend> MakeX11Backend(const Config&, std::string* error) {
  *error = "X11 display not available";
  return nullptr;
}

}  // namespace w32::display
