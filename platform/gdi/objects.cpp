// The object table: brushes, pens, fonts and device contexts behind opaque
// checked handles, the stock objects, and selecting and deleting objects.
#include "gdi/objects.h"

#include <array>
#include <vector>

#include "gdi/font.h"
#include "gdi/gdi.h"
#include "kernel/error.h"
#include "kernel/handles.h"
#include "kernel/trace.h"

namespace w32::gdi {
namespace {

constexpr int kStockCount = kDefaultGuiFont + 1;

struct Tables {
  HandleTable<Brush> brushes{HandleKind::Brush};
  HandleTable<Pen> pens{HandleKind::Pen};
  HandleTable<Font> fonts{HandleKind::Font};
  HandleTable<Dc> dcs{HandleKind::DC};
  std::array<std::uintptr_t, kStockCount> stock{};  // 0 where the index names nothing
  std::size_t stockObjects = 0;
  std::size_t faults = 0;

  // The stock objects are made once and live as long as the process, so
  // their handles stay valid across Reset.
  Tables() {
    AddBrush(kWhiteBrush, RGB(255, 255, 255), false);
    AddBrush(kLtGrayBrush, RGB(192, 192, 192), false);
    AddBrush(kGrayBrush, RGB(128, 128, 128), false);
    AddBrush(kDkGrayBrush, RGB(64, 64, 64), false);
    AddBrush(kBlackBrush, RGB(0, 0, 0), false);
    AddBrush(kNullBrush, 0, true);
    AddPen(kWhitePen, RGB(255, 255, 255), false);
    AddPen(kBlackPen, RGB(0, 0, 0), false);
    AddPen(kNullPen, 0, true);
    // The platform's bitmap fonts, stood in for by outline faces of the
    // same cell heights.
    AddFont(kOemFixedFont, {12, FW_NORMAL, false, false, false, 0, "Courier New"});
    AddFont(kAnsiFixedFont, {13, FW_NORMAL, false, false, false, 0, "Courier New"});
    AddFont(kAnsiVarFont, {13, FW_NORMAL, false, false, false, 0, "Arial"});
    AddFont(kSystemFont, {16, FW_BOLD, false, false, false, 0, "Arial"});
    AddFont(kDeviceDefaultFont, {16, FW_BOLD, false, false, false, 0, "Arial"});
    AddFont(kSystemFixedFont, {15, FW_NORMAL, false, false, false, 0, "Courier New"});
    AddFont(kDefaultGuiFont, {-11, FW_NORMAL, false, false, false, 0, "Arial"});
  }

  void AddBrush(int index, COLORREF color, bool hollow) {
    stock[index] = brushes.Add(std::make_unique<Brush>(Brush{color, hollow, true}));
    ++stockObjects;
  }
  void AddPen(int index, COLORREF color, bool null) {
    stock[index] = pens.Add(std::make_unique<Pen>(Pen{color, null, true}));
    ++stockObjects;
  }
  void AddFont(int index, const LogFont& log) {
    auto font = std::make_unique<Font>();
    font->log = log;
    font->stock = true;
    stock[index] = fonts.Add(std::move(font));
    ++stockObjects;
  }
};

Tables& T() {
  static Tables tables;
  return tables;
}

template <class H>
H Stock(int index) {
  return ToHandle<H>(T().stock[index]);
}

// True when the object is selected into any live DC.
bool InUse(std::uintptr_t handle) {
  for (const auto& entry : T().dcs.objects()) {
    const Dc& dc = *entry.second;
    if (HandleValue(dc.brush) == handle || HandleValue(dc.pen) == handle ||
        HandleValue(dc.font) == handle) {
      return true;
    }
  }
  return false;
}

// Removes every object that is not stock from a table.
template <class Object>
void DropCreated(HandleTable<Object>& table) {
  std::vector<std::uintptr_t> created;
  for (const auto& entry : table.objects()) {
    if (!entry.second->stock) created.push_back(entry.first);
  }
  for (std::uintptr_t handle : created) table.Remove(handle);
}

HGDIOBJ StockObject(int index) {
  if (index < 0 || index >= kStockCount || T().stock[index] == 0) {
    SetLastErrorCode(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return ToHandle<HGDIOBJ>(T().stock[index]);
}

HGDIOBJ Select(HDC hdc, HGDIOBJ object) {
  Dc* dc = FindDc(hdc);
  std::uintptr_t value = HandleValue(object);
  HGDIOBJ previous = nullptr;
  if (dc != nullptr) {
    switch (KindOf(value)) {
      case HandleKind::Brush:
        if (T().brushes.Find(value) != nullptr) {
          previous = dc->brush;
          dc->brush = ToHandle<HBRUSH>(value);
        }
        break;
      case HandleKind::Pen:
        if (T().pens.Find(value) != nullptr) {
          previous = dc->pen;
          dc->pen = ToHandle<HPEN>(value);
        }
        break;
      case HandleKind::Font:
        if (T().fonts.Find(value) != nullptr) {
          previous = dc->font;
          dc->font = ToHandle<HFONT>(value);
        }
        break;
      default:
        break;
    }
  }
  if (previous == nullptr) SetLastErrorCode(ERROR_INVALID_HANDLE);
  return previous;
}

template <class Object>
BOOL DeleteFrom(HandleTable<Object>& table, std::uintptr_t handle) {
  Object* object = table.Find(handle);
  if (object == nullptr) {
    SetLastErrorCode(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (object->stock) return TRUE;  // stock objects are never deleted
  if (InUse(handle)) {
    // Deleting it would leave the DC drawing with a dangling object.
    ++T().faults;
    SetLastErrorCode(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  table.Remove(handle);
  return TRUE;
}

BOOL Delete(HGDIOBJ object) {
  std::uintptr_t value = HandleValue(object);
  switch (KindOf(value)) {
    case HandleKind::Brush: return DeleteFrom(T().brushes, value);
    case HandleKind::Pen: return DeleteFrom(T().pens, value);
    case HandleKind::Font: return DeleteFrom(T().fonts, value);
    default:
      SetLastErrorCode(ERROR_INVALID_HANDLE);
      return FALSE;
  }
}

}  // namespace

Dc* FindDc(HDC hdc) { return T().dcs.Find(hdc); }
Brush* FindBrush(HBRUSH brush) { return T().brushes.Find(brush); }
Font* FindFont(HFONT font) { return T().fonts.Find(font); }

HFONT AddFont(const LogFont& log) {
  auto font = std::make_unique<Font>();
  font->log = log;
  return ToHandle<HFONT>(T().fonts.Add(std::move(font)));
}

HDC CreateScreenDC(POINT origin, const Region& clip) {
  auto dc = std::make_unique<Dc>();
  dc->origin = origin;
  dc->clip = clip;
  dc->brush = Stock<HBRUSH>(kWhiteBrush);
  dc->pen = Stock<HPEN>(kBlackPen);
  dc->font = Stock<HFONT>(kSystemFont);
  return ToHandle<HDC>(T().dcs.Add(std::move(dc)));
}

void DestroyScreenDC(HDC hdc) { T().dcs.Remove(HandleValue(hdc)); }

std::size_t LiveObjects() {
  Tables& t = T();
  return t.brushes.size() + t.pens.size() + t.fonts.size() - t.stockObjects;
}

std::size_t Faults() { return T().faults; }

void Reset() {
  Tables& t = T();
  t.dcs.Clear();
  DropCreated(t.brushes);
  DropCreated(t.pens);
  DropCreated(t.fonts);
  for (const auto& entry : t.fonts.objects()) entry.second->realized.reset();
  t.faults = 0;
  ClearFontCache();
}

}  // namespace w32::gdi

using namespace w32;

HGDIOBJ WINAPI GetStockObject(int i) {
  HGDIOBJ result = gdi::StockObject(i);
  if (trace::Enabled()) trace::Call("GetStockObject", {trace::Num(i)}, trace::Handle(result));
  return result;
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h) {
  HGDIOBJ result = gdi::Select(hdc, h);
  if (trace::Enabled()) {
    trace::Call("SelectObject", {trace::Handle(hdc), trace::Handle(h)}, trace::Handle(result));
  }
  return result;
}

BOOL WINAPI DeleteObject(HGDIOBJ ho) {
  BOOL result = gdi::Delete(ho);
  if (trace::Enabled()) trace::Call("DeleteObject", {trace::Handle(ho)}, trace::Bool(result));
  return result;
}

HBRUSH WINAPI CreateSolidBrush(COLORREF color) {
  // The high byte of a COLORREF selects palette modes; a solid fill uses RGB.
  HBRUSH result = ToHandle<HBRUSH>(
      gdi::T().brushes.Add(std::make_unique<gdi::Brush>(gdi::Brush{color & 0xFFFFFFu})));
  if (trace::Enabled()) {
    trace::Call("CreateSolidBrush", {trace::Hex(color)}, trace::Handle(result));
  }
  return result;
}

int WINAPI SetBkMode(HDC hdc, int mode) {
  gdi::Dc* dc = gdi::FindDc(hdc);
  int result = 0;
  if (dc == nullptr) {
    SetLastErrorCode(ERROR_INVALID_HANDLE);
  } else if (mode != TRANSPARENT && mode != OPAQUE) {
    SetLastErrorCode(ERROR_INVALID_PARAMETER);
  } else {
    result = dc->bkMode;
    dc->bkMode = mode;
  }
  if (trace::Enabled()) {
    trace::Call("SetBkMode", {trace::Handle(hdc), trace::Num(mode)}, trace::Num(result));
  }
  return result;
}

COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color) {
  constexpr COLORREF kInvalidColor = 0xFFFFFFFFu;
  gdi::Dc* dc = gdi::FindDc(hdc);
  COLORREF result = kInvalidColor;
  if (dc == nullptr) {
    SetLastErrorCode(ERROR_INVALID_HANDLE);
  } else {
    result = dc->textColor;
    dc->textColor = color & 0xFFFFFFu;
  }
  if (trace::Enabled()) {
    trace::Call("SetTextColor", {trace::Handle(hdc), trace::Hex(color)}, trace::Hex(result));
  }
  return result;
}
