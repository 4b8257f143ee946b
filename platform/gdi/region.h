// A region: a set of pixels kept as non-overlapping rectangles. Used for
// update regions and clipping; regions here hold a handful of rectangles.
#ifndef W32_GDI_REGION_H
#define W32_GDI_REGION_H

#include <windows.h>

#include <vector>

namespace w32 {

class Region {
 public:
  Region() = default;
  explicit Region(const RECT& r) { Add(r); }

  bool Empty() const { return rects_.empty(); }
  const std::vector<RECT>& rects() const { return rects_; }
  RECT Bounds() const;

  void Clear() { rects_.clear(); }
  void Add(const RECT& r);       // union with r
  void Subtract(const RECT& r);  // remove r's pixels
  void Intersect(const RECT& r);  // keep only pixels inside r
  void Offset(LONG dx, LONG dy);
  bool Contains(LONG x, LONG y) const;

  static bool IsEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }
  static RECT Intersection(const RECT& a, const RECT& b);

 private:
  std::vector<RECT> rects_;
};

}  // namespace w32

#endif  // W32_GDI_REGION_H
