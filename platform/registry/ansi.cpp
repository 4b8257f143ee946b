#include "registry/ansi.h"

#include <cerrno>
#include <clocale>
#include <cwctype>
#include <iconv.h>
#include <locale.h>
#include <memory>

namespace w32::registry {
namespace {

struct IconvCloser {
  void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};
using IconvHandle = std::unique_ptr<void, IconvCloser>;

// Appends a character below U+0100 in the target encoding, for the bytes
// iconv refuses (0x81, 0x8D, 0x8F, 0x90, 0x9D).
void AppendLatin1(unsigned char c, bool utf16, std::string* out) {
  if (utf16) {
    out->push_back(static_cast<char>(c));
    out->push_back('\0');
  } else if (c < 0x80) {
    out->push_back(static_cast<char>(c));
  } else {
    out->push_back(static_cast<char>(0xC0 | (c >> 6)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

bool Convert(const char* to, const char* text, std::size_t length, std::string* out) {
  out->clear();
  if (length == 0) return true;
  iconv_t raw = iconv_open(to, "CP1252");
  if (raw == reinterpret_cast<iconv_t>(-1)) return false;
  IconvHandle cd(raw);
  const bool utf16 = std::string(to) == "UTF-16LE";

  char* in = const_cast<char*>(text);
  std::size_t inLeft = length;
  std::string buffer(length * 4 + 8, '\0');
  while (inLeft > 0) {
    char* outPtr = buffer.data();
    std::size_t outLeft = buffer.size();
    std::size_t rc = iconv(raw, &in, &inLeft, &outPtr, &outLeft);
    out->append(buffer.data(), buffer.size() - outLeft);
    if (rc != static_cast<std::size_t>(-1)) break;
    if (errno == EILSEQ) {
      AppendLatin1(static_cast<unsigned char>(*in), utf16, out);
      ++in;
      --inLeft;
    } else if (errno != E2BIG) {
      return false;
    }
  }
  return true;
}

// Decodes one UTF-8 character; malformed bytes stand for themselves.
char32_t NextChar(const std::string& s, std::size_t* i) {
  unsigned char c = static_cast<unsigned char>(s[*i]);
  int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
  if (extra == 0 || *i + extra >= s.size()) {
    ++*i;
    return c;
  }
  char32_t value = c & (0x3F >> extra);
  for (int k = 1; k <= extra; ++k) {
    unsigned char next = static_cast<unsigned char>(s[*i + k]);
    if ((next & 0xC0) != 0x80) {
      ++*i;
      return c;
    }
    value = (value << 6) | (next & 0x3F);
  }
  *i += extra + 1;
  return value;
}

locale_t UnicodeLocale() {
  static locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  return locale;
}

char32_t Upper(char32_t c) {
  if (c < 0x80) return (c >= 'a' && c <= 'z') ? c - 0x20 : c;
  locale_t locale = UnicodeLocale();
  if (locale == static_cast<locale_t>(0)) return c;
  return static_cast<char32_t>(towupper_l(static_cast<wint_t>(c), locale));
}

}  // namespace

bool AnsiToUtf16(const char* text, std::size_t length, std::string* out) {
  return Convert("UTF-16LE", text, length, out);
}

bool AnsiToUtf8(const char* text, std::size_t length, std::string* out) {
  return Convert("UTF-8", text, length, out);
}

bool SameName(const std::string& a, const std::string& b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (Upper(NextChar(a, &i)) != Upper(NextChar(b, &j))) return false;
  }
  return i == a.size() && j == b.size();
}

}  // namespace w32::registry
