// Windows only: shows the two colour settings dialogs through Q_ClrDlg and the
// system's dialog manager and saves a picture of each as a 24-bit BMP file, for
// the documentation (scripts/dialog-screenshots.sh runs it under Wine on a
// virtual display and turns the pictures into PNG files).
//
//   dialog_screenshots FOLDER
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "dialog/control_ids.h"
#include "support/scripted_dialogs.h"
#include "qclr/qclr.h"

namespace {

using qclr::platform::DialogUser;

// Lets the system paint everything the dialog shows.
void PumpMessages(DWORD milliseconds) {
  const DWORD end = GetTickCount() + milliseconds;
  MSG message;
  while (GetTickCount() < end) {
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    Sleep(10);
  }
}

// The window as it is on the screen, as a bottom-up 24-bit BMP file.
bool SaveWindowPicture(HWND window, const std::string& path) {
  RECT r;
  if (!GetWindowRect(window, &r)) return false;
  const int width = r.right - r.left, height = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
  SelectObject(memory, previous);
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
  std::vector<char> pixels(stride * static_cast<size_t>(height));
  const int rows = GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(),
                             reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (rows != height) return false;
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = static_cast<DWORD>(file.bfOffBits + pixels.size());
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&info), sizeof info);
  out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: dialog_screenshots FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  struct Shot {
    int32_t kind;
    const char* title;
    const char* method;  // chosen before the picture
    const char* file;
  };
  const Shot shots[] = {{qclr::dialog::kCmykDialogKind, "CMYK color settings", "Built-in conversion", "dialog-cmyk.bmp"},
                        {qclr::dialog::kLabDialogKind, "CIELab color settings", "Custom emulation tables",
                         "dialog-lab.bmp"}};
  int failures = 0;
  for (const Shot& shot : shots) {
    bool saved = false;
    qclr::platform::SetDialogScript([&](DialogUser& user) {
      user.Choose(qclr::dialog::kIdMethod, shot.method);
      HWND dialog = FindWindowA(nullptr, shot.title);
      if (dialog == nullptr) return;
      ShowWindow(dialog, SW_SHOW);
      SetForegroundWindow(dialog);
      PumpMessages(700);
      saved = SaveWindowPicture(dialog, folder + "/" + shot.file);
      user.Click(qclr::dialog::kIdCancel);
    });
    ClrHandle* handle = nullptr;
    const int32_t status = Q_ClrDlg(shot.kind, nullptr, &handle, nullptr);
    qclr::platform::SetDialogScript({});
    std::printf("%s: %s\n", shot.file, saved && status == CLR_CANCELLED ? "saved" : "FAILED");
    failures += saved && status == CLR_CANCELLED ? 0 : 1;
  }
  return failures == 0 ? 0 : 1;
}
