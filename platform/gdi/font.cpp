// Font matching and rendering: fontconfig picks the face for a logical
// font's name, weight and slant; FreeType renders its glyphs bi-level, as
// the platform does without font smoothing.
#include "gdi/font.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <cmath>
#include <map>

namespace w32::gdi {
namespace {

struct LibraryDeleter {
  void operator()(FT_Library library) const { FT_Done_FreeType(library); }
};
struct FaceDeleter {
  void operator()(FT_Face face) const { FT_Done_Face(face); }
};
struct PatternDeleter {
  void operator()(FcPattern* pattern) const { FcPatternDestroy(pattern); }
};
using LibraryPtr = std::shared_ptr<FT_LibraryRec_>;
using FacePtr = std::unique_ptr<FT_FaceRec_, FaceDeleter>;
using PatternPtr = std::unique_ptr<FcPattern, PatternDeleter>;

// The FreeType library, shared by every face so that it outlives them all.
LibraryPtr Library() {
  static LibraryPtr library = [] {
    FT_Library raw = nullptr;
    if (FT_Init_FreeType(&raw) != 0) return LibraryPtr();
    return LibraryPtr(raw, LibraryDeleter());
  }();
  return library;
}

// fontconfig's configuration, loaded on first use and released at exit:
// without FcFini the library leaves its configuration unreachable. No
// fontconfig pattern outlives a match here, so the release is safe.
class FontconfigSession {
 public:
  FontconfigSession() { ok_ = FcInit() == FcTrue; }
  ~FontconfigSession() {
    if (ok_) FcFini();
  }
  FontconfigSession(const FontconfigSession&) = delete;
  FontconfigSession& operator=(const FontconfigSession&) = delete;
  bool ok() const { return ok_; }

 private:
  bool ok_ = false;
};

bool Fontconfig() {
  static FontconfigSession session;
  return session.ok();
}

// Code page 1252's bytes 0x80 to 0x9F; the rest are Latin-1. The five
// unassigned bytes map to the control characters of the same value.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t FromCp1252(unsigned char byte) {
  return byte >= 0x80 && byte < 0xA0 ? kCp1252High[byte - 0x80] : byte;
}

// Generic families for the pitch-and-family byte, used when the face name
// is missing or unknown.
const char* GenericFamily(DWORD pitchAndFamily) {
  switch (pitchAndFamily & 0xF0) {
    case 0x10: return "serif";       // FF_ROMAN
    case 0x30: return "monospace";   // FF_MODERN
    case 0x40: return "cursive";     // FF_SCRIPT
    case 0x50: return "fantasy";     // FF_DECORATIVE
    default: return "sans-serif";    // FF_DONTCARE, FF_SWISS
  }
}

// A cell height for height 0, the platform's "some reasonable size".
constexpr int kDefaultCellHeight = 16;

std::string CacheKey(const LogFont& log) {
  return log.face + '\n' + std::to_string(log.height) + '\n' + std::to_string(log.weight) +
         '\n' + (log.italic ? "i" : "r") + std::to_string(log.pitchAndFamily & 0xF0);
}

std::map<std::string, std::shared_ptr<RealizedFont>>& Cache() {
  static std::map<std::string, std::shared_ptr<RealizedFont>> cache;
  return cache;
}

}  // namespace

struct RealizedFont::Face {
  LibraryPtr library;  // declared first: destroyed after the face
  FacePtr face;
  bool embolden = false;
};

RealizedFont::RealizedFont(std::unique_ptr<Face> face) : face_(std::move(face)) {}
RealizedFont::~RealizedFont() = default;

std::shared_ptr<RealizedFont> RealizedFont::Make(const LogFont& log) {
  LibraryPtr library = Library();
  if (!library || !Fontconfig()) return nullptr;

  PatternPtr pattern(FcPatternCreate());
  if (!pattern) return nullptr;
  FcPattern* p = pattern.get();
  if (!log.face.empty()) {
    FcPatternAddString(p, FC_FAMILY, reinterpret_cast<const FcChar8*>(log.face.c_str()));
  }
  FcPatternAddString(p, FC_FAMILY,
                     reinterpret_cast<const FcChar8*>(GenericFamily(log.pitchAndFamily)));
  FcPatternAddInteger(p, FC_WEIGHT,
                      FcWeightFromOpenType(log.weight == FW_DONTCARE ? FW_NORMAL : log.weight));
  FcPatternAddInteger(p, FC_SLANT, log.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(p, FC_SCALABLE, FcTrue);
  if (!FcConfigSubstitute(nullptr, p, FcMatchPattern)) return nullptr;
  FcDefaultSubstitute(p);
  FcResult result = FcResultNoMatch;
  PatternPtr match(FcFontMatch(nullptr, p, &result));
  if (!match) return nullptr;

  FcChar8* file = nullptr;
  int index = 0;
  if (FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch) return nullptr;
  FcPatternGetInteger(match.get(), FC_INDEX, 0, &index);

  auto face = std::make_unique<Face>();
  face->library = library;
  FT_Face raw = nullptr;
  if (FT_New_Face(library.get(), reinterpret_cast<const char*>(file), index, &raw) != 0) {
    return nullptr;
  }
  face->face.reset(raw);
  if (!FT_IS_SCALABLE(raw)) return nullptr;

  // Synthesised bold and slant when the family has no such face.
  FcBool embolden = FcFalse;
  if (FcPatternGetBool(match.get(), FC_EMBOLDEN, 0, &embolden) == FcResultMatch) {
    face->embolden = embolden == FcTrue;
  }
  FcMatrix* fcMatrix = nullptr;
  if (FcPatternGetMatrix(match.get(), FC_MATRIX, 0, &fcMatrix) == FcResultMatch) {
    FT_Matrix m;
    m.xx = static_cast<FT_Fixed>(fcMatrix->xx * 0x10000);
    m.xy = static_cast<FT_Fixed>(fcMatrix->xy * 0x10000);
    m.yx = static_cast<FT_Fixed>(fcMatrix->yx * 0x10000);
    m.yy = static_cast<FT_Fixed>(fcMatrix->yy * 0x10000);
    FT_Set_Transform(raw, &m, nullptr);
  }

  // The platform measures a face by its OS/2 Windows ascent and descent: a
  // positive height is their sum (the cell), a negative one the em.
  long winAscent = raw->ascender;
  long winDescent = -raw->descender;
  auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(raw, FT_SFNT_OS2));
  if (os2 != nullptr && os2->usWinAscent + os2->usWinDescent > 0) {
    winAscent = os2->usWinAscent;
    winDescent = os2->usWinDescent;
  }
  long cellUnits = winAscent + winDescent;
  long upem = raw->units_per_EM;
  if (cellUnits <= 0 || upem <= 0) return nullptr;

  int ascent = 0;
  int descent = 0;
  FT_F26Dot6 emSize = 0;
  int height = log.height == 0 ? kDefaultCellHeight : log.height;
  if (height > 0) {
    emSize = std::lround(64.0 * height * upem / cellUnits);
    ascent = static_cast<int>(std::lround(static_cast<double>(height) * winAscent / cellUnits));
    descent = height - ascent;
  } else {
    double em = -static_cast<double>(height);
    emSize = std::lround(64.0 * em);
    ascent = static_cast<int>(std::lround(em * winAscent / upem));
    descent = static_cast<int>(std::lround(em * winDescent / upem));
  }
  if (emSize <= 0 || FT_Set_Char_Size(raw, 0, emSize, 72, 72) != 0) return nullptr;

  std::shared_ptr<RealizedFont> font(new RealizedFont(std::move(face)));
  font->family_ = raw->family_name != nullptr ? raw->family_name : "";
  font->style_ = raw->style_name != nullptr ? raw->style_name : "";
  font->ascent_ = ascent;
  font->descent_ = descent;
  return font;
}

const Glyph& RealizedFont::GlyphOf(unsigned char byte) {
  std::unique_ptr<Glyph>& cached = glyphs_[byte];
  if (cached) return *cached;
  cached = std::make_unique<Glyph>();
  Glyph& glyph = *cached;

  FT_Face face = face_->face.get();
  FT_UInt index = FT_Get_Char_Index(face, FromCp1252(byte));
  if (FT_Load_Glyph(face, index, FT_LOAD_TARGET_MONO) != 0) return glyph;
  FT_GlyphSlot slot = face->glyph;
  if (face_->embolden) FT_GlyphSlot_Embolden(slot);
  glyph.advance = static_cast<int>((slot->advance.x + 32) >> 6);
  if (FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0) return glyph;

  const FT_Bitmap& bitmap = slot->bitmap;
  if (bitmap.pixel_mode != FT_PIXEL_MODE_MONO) return glyph;
  glyph.left = slot->bitmap_left;
  glyph.top = slot->bitmap_top;
  glyph.width = static_cast<int>(bitmap.width);
  glyph.rows = static_cast<int>(bitmap.rows);
  int pitch = bitmap.pitch < 0 ? -bitmap.pitch : bitmap.pitch;
  for (int y = 0; y < glyph.rows; ++y) {
    // A negative pitch stores the rows bottom up.
    const unsigned char* bits = bitmap.buffer + (bitmap.pitch < 0 ? glyph.rows - 1 - y : y) * pitch;
    auto inked = [bits](int x) { return (bits[x >> 3] >> (7 - (x & 7))) & 1; };
    for (int x = 0; x < glyph.width;) {
      if (!inked(x)) {
        ++x;
        continue;
      }
      int start = x;
      while (x < glyph.width && inked(x)) ++x;
      glyph.runs.push_back({y, start, x});
    }
  }
  return glyph;
}

std::shared_ptr<RealizedFont> RealizeCached(const LogFont& log) {
  // Bounded: a program asking for many sizes does not grow it without end.
  constexpr std::size_t kMaxCached = 32;
  auto& cache = Cache();
  std::string key = CacheKey(log);
  auto it = cache.find(key);
  if (it != cache.end()) return it->second;
  std::shared_ptr<RealizedFont> font = RealizedFont::Make(log);
  if (!font) return nullptr;
  if (cache.size() >= kMaxCached) cache.clear();
  cache.emplace(key, font);
  return font;
}

void ClearFontCache() { Cache().clear(); }

}  // namespace w32::gdi
