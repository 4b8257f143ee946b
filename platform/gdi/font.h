// Realized fonts: a logical font matched through fontconfig and rendered
// with FreeType, bi-level, with its glyphs kept once rendered.
#ifndef W32_GDI_FONT_H
#define W32_GDI_FONT_H

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gdi/objects.h"

namespace w32::gdi {

// One character's rendering: its ink as horizontal runs relative to the
// pen position on the baseline, and how far the pen moves on.
struct Glyph {
  struct Run {
    int row;    // from the bitmap's top
    int left;   // first inked column, from the bitmap's left
    int right;  // one past the last
  };
  int left = 0;   // the bitmap's first column, from the pen position
  int top = 0;    // the bitmap's first row, upwards from the baseline
  int width = 0;
  int rows = 0;
  int advance = 0;
  std::vector<Run> runs;  // row by row, left to right
};

class RealizedFont {
 public:
  ~RealizedFont();
  RealizedFont(const RealizedFont&) = delete;
  RealizedFont& operator=(const RealizedFont&) = delete;

  // Matches and opens the face for a logical font; nullptr with no face.
  static std::shared_ptr<RealizedFont> Make(const LogFont& log);

  const std::string& family() const { return family_; }
  const std::string& style() const { return style_; }
  int ascent() const { return ascent_; }
  int descent() const { return descent_; }

  // The glyph of a code page 1252 byte.
  const Glyph& GlyphOf(unsigned char byte);

 private:
  struct Face;
  explicit RealizedFont(std::unique_ptr<Face> face);

  std::unique_ptr<Face> face_;
  std::string family_;
  std::string style_;
  int ascent_ = 0;
  int descent_ = 0;
  std::array<std::unique_ptr<Glyph>, 256> glyphs_;
};

// The realized font for a logical font, shared by every font object asking
// for the same face and size (the program makes one per paint).
std::shared_ptr<RealizedFont> RealizeCached(const LogFont& log);
void ClearFontCache();

}  // namespace w32::gdi

#endif  // W32_GDI_FONT_H
