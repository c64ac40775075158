#include "bitmap_dialog.h"

#include <cstring>
#include <memory>

#include "codec/palette.h"
#include "win_raii.h"

namespace {

// The picture's pixels start here: a 40-byte header and 256 colour entries.
constexpr size_t kPixelOffset = 1064;

struct BitmapDialogState {
  // Our own copy of the header and table, with 256 colours used and 192
  // important; the resource memory itself stays untouched.
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
  } info;
  const BYTE* pixels = nullptr;
  GdiObject<HPALETTE> palette;
};

BitmapDialogState* GetState(HWND dialog) {
  return reinterpret_cast<BitmapDialogState*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

// Finds the bitmap resource and checks that it is what the dialog draws.
const BYTE* LockPicture(HINSTANCE instance, const char* name, DWORD* size) {
  HRSRC found = FindResourceA(instance, name, reinterpret_cast<LPCSTR>(RT_BITMAP));
  HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
  *size = found ? SizeofResource(instance, found) : 0;
  return loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
}

bool PictureIsUsable(const BYTE* data, DWORD size) {
  if (!data || size < kPixelOffset) return false;
  BITMAPINFOHEADER header;
  std::memcpy(&header, data, sizeof header);
  if (header.biSize != sizeof(BITMAPINFOHEADER) || header.biBitCount != 8 ||
      header.biCompression != BI_RGB || header.biWidth <= 0 || header.biHeight <= 0) {
    return false;
  }
  const uint64_t stride = (static_cast<uint64_t>(header.biWidth) + 3) & ~uint64_t{3};
  return kPixelOffset + stride * static_cast<uint64_t>(header.biHeight) <= size;
}

HPALETTE MakeArtPalette(const char* colourTablePath) {
  PaletteContext context;
  InitPaletteContext(&context);
  const LogicalPalette* logical = nullptr;
  if (ReadColourTable(&context, colourTablePath, &logical) != CodecStatus::kOk) {
    Assert(0, context.error.module, context.error.line, "%s", context.error.message);
  }
  return CreatePalette(reinterpret_cast<const LOGPALETTE*>(logical));
}

BOOL OnInitDialog(HWND dialog, const BitmapDialogParams* params) {
  auto state = std::make_unique<BitmapDialogState>();
  DWORD size = 0;
  const BYTE* data = LockPicture(GetModuleHandleA(nullptr), params->bitmapName, &size);
  Assert(PictureIsUsable(data, size), "bitmapdialog", __LINE__,
         "Bitmap resource %s is missing or not an 8-bit picture\n", params->bitmapName);
  std::memcpy(&state->info, data, sizeof state->info);
  state->info.header.biClrUsed = 256;
  state->info.header.biClrImportant = 192;
  state->pixels = data + kPixelOffset;
  state->palette.reset(MakeArtPalette(params->colourTablePath));

  const int width = state->info.header.biWidth;
  const int height = state->info.header.biHeight;
  SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state.release()));

  RECT frame = {0, 0, width, height};
  AdjustWindowRect(&frame, static_cast<DWORD>(GetWindowLongPtrA(dialog, GWL_STYLE)), FALSE);
  SetWindowPos(dialog, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOZORDER | SWP_NOMOVE);

  RECT client, button;
  HWND ok = GetDlgItem(dialog, IDOK);
  GetClientRect(dialog, &client);
  GetWindowRect(ok, &button);
  SetWindowPos(ok, nullptr, client.right - (button.right - button.left) - 10,
               client.bottom - (button.bottom - button.top) - 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  return TRUE;
}

void PaintContent(HWND dialog, HDC dc) {
  BitmapDialogState* state = GetState(dialog);
  if (!state) return;
  RECT client;
  GetClientRect(dialog, &client);
  SelectPalette(dc, state->palette.get(), FALSE);
  RealizePalette(dc);
  SetDIBitsToDevice(dc, 0, 0, client.right, client.bottom, 0, 0, 0, client.bottom, state->pixels,
                    reinterpret_cast<const BITMAPINFO*>(&state->info), DIB_RGB_COLORS);
}

// The state goes with the window, however the dialog ends (OK, Cancel, or
// its owner destroyed under it).
void OnNcDestroy(HWND dialog) {
  std::unique_ptr<BitmapDialogState> state(GetState(dialog));
  SetWindowLongPtrA(dialog, DWLP_USER, 0);
}

}  // namespace

INT_PTR CALLBACK BitmapDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      return OnInitDialog(dialog, reinterpret_cast<const BitmapDialogParams*>(lParam));
    case WM_ERASEBKGND:
      PaintContent(dialog, reinterpret_cast<HDC>(wParam));
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(dialog, 1);
      return TRUE;
    case WM_NCDESTROY:
      OnNcDestroy(dialog);
      return FALSE;
  }
  return FALSE;
}

INT_PTR ShowBitmapDialog(HINSTANCE instance, const char* templateName, HWND owner,
                         const BitmapDialogParams& params) {
  return DialogBoxParamA(instance, templateName, owner, BitmapDialogProc,
                         reinterpret_cast<LPARAM>(&params));
}
