// The headless display: the screen exists only as the surface in memory.
// Nothing is shown and no user acts; the one event is a close signal, which
// reaches a blocked NextEvent through a self-pipe.
#include <poll.h>

#include <cerrno>

#include "display/backend.h"
#include "display/wakeup.h"

namespace w32::display {
namespace {

class HeadlessBackend : public Backend {
 public:
  HeadlessBackend(int width, int height, WakeupPipe wakeup)
      : width_(width), height_(height), wakeup_(std::move(wakeup)) {}

  int Width() const override { return width_; }
  int Height() const override { return height_; }

  void Flush(const Surface&, const RECT&) override {}
  void WindowShown(const RECT&, const char*) override {}
  void WindowHidden() override {}
  void SetCursorShape(int) override {}

  Event NextEvent(bool block) override {
    for (;;) {
      if (wakeup_.Drain()) return Event{Event::Interrupt, {}};
      if (!block) return Event{};
      pollfd p{wakeup_.fd(), POLLIN, 0};
      // EINTR is the signal whose handler has just written the byte; the
      // next round reads it.
      if (::poll(&p, 1, -1) < 0 && errno != EINTR) return Event{};
    }
  }

  void Interrupt() override { wakeup_.Wake(); }

 private:
  int width_;
  int height_;
  WakeupPipe wakeup_;
};

}  // namespace

std::unique_ptr<Backend> MakeHeadlessBackend(const Config& config, std::string* error) {
  WakeupPipe wakeup;
  if (!wakeup.Open("headless display", error)) return nullptr;
  return std::make_unique<HeadlessBackend>(config.screenWidth, config.screenHeight,
                                           std::move(wakeup));
}

}  // namespace w32::display
