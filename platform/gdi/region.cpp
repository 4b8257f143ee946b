#include "gdi/region.h"

#include <algorithm>

namespace w32 {
namespace {

// The parts of a that lie outside b, as up to four rectangles.
void SubtractInto(const RECT& a, const RECT& b, std::vector<RECT>* out) {
  RECT i = Region::Intersection(a, b);
  if (Region::IsEmpty(i)) {
    out->push_back(a);
    return;
  }
  if (a.top < i.top) out->push_back({a.left, a.top, a.right, i.top});
  if (i.bottom < a.bottom) out->push_back({a.left, i.bottom, a.right, a.bottom});
  if (a.left < i.left) out->push_back({a.left, i.top, i.left, i.bottom});
  if (i.right < a.right) out->push_back({i.right, i.top, a.right, i.bottom});
}

}  // namespace

RECT Region::Intersection(const RECT& a, const RECT& b) {
  RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
         std::min(a.bottom, b.bottom)};
  if (IsEmpty(r)) r = {0, 0, 0, 0};
  return r;
}

RECT Region::Bounds() const {
  if (rects_.empty()) return {0, 0, 0, 0};
  RECT b = rects_.front();
  for (const RECT& r : rects_) {
    b.left = std::min(b.left, r.left);
    b.top = std::min(b.top, r.top);
    b.right = std::max(b.right, r.right);
    b.bottom = std::max(b.bottom, r.bottom);
  }
  return b;
}

void Region::Add(const RECT& r) {
  if (IsEmpty(r)) return;
  // Keep the rectangles disjoint: add only the parts of r not yet covered.
  std::vector<RECT> pieces{r};
  for (const RECT& have : rects_) {
    std::vector<RECT> next;
    for (const RECT& p : pieces) SubtractInto(p, have, &next);
    pieces.swap(next);
    if (pieces.empty()) return;
  }
  rects_.insert(rects_.end(), pieces.begin(), pieces.end());
}

void Region::Subtract(const RECT& r) {
  if (IsEmpty(r)) return;
  std::vector<RECT> next;
  for (const RECT& have : rects_) SubtractInto(have, r, &next);
  rects_.swap(next);
}

void Region::Intersect(const RECT& r) {
  std::vector<RECT> next;
  for (const RECT& have : rects_) {
    RECT i = Intersection(have, r);
    if (!IsEmpty(i)) next.push_back(i);
  }
  rects_.swap(next);
}

void Region::Offset(LONG dx, LONG dy) {
  for (RECT& r : rects_) {
    r.left += dx;
    r.right += dx;
    r.top += dy;
    r.bottom += dy;
  }
}

bool Region::Contains(LONG x, LONG y) const {
  for (const RECT& r : rects_)
    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
  return false;
}

}  // namespace w32
