// Drives and inspects the desktop from outside the programs under test, for the end-to-end test
// and the demo (never shipped). Every command exits with 0 on success, 1 when what it looks for
// is not there (after waiting up to its time-out), 2 on a usage error.
//
//   desktop_driver tray-click left|right   clicks the notification-area icon (Wine's stand-alone
//                                          tray window; the first icon in it)
//   desktop_driver tray-icon-count         prints the number of icons in the notification area
//   desktop_driver tray-icon-state         prints "muted" when the first icon shows the muted mark
//                                          (a red disc), else "plain"
//   desktop_driver tray-icon-glyph         prints "dark" when the first icon shows a dark mouse
//                                          (the light taskbar's icon), else "light"
//   desktop_driver tray-after-write FILE TEXT muted|plain   writes TEXT into FILE, then waits (up
//                                          to 10 s) until the first icon is in that state and
//                                          prints how many milliseconds that took
//   desktop_driver menu-choose N           waits for a popup menu and chooses its item N (0: the
//                                          first shown item)
//   desktop_driver menu-close              closes an open popup menu with Escape
//   desktop_driver window-count CLASS      prints the number of top-level windows of CLASS
//   desktop_driver window-visible CLASS    succeeds when a window of CLASS is visible
//   desktop_driver window-client-size CLASS   prints "WIDTH HEIGHT" of the client area of the
//                                          first window of CLASS
//   desktop_driver window-show CLASS       shows a window of CLASS and brings it to the front
//   desktop_driver window-hide CLASS       hides the windows of CLASS
//   desktop_driver window-click CLASS X Y  left-clicks the visible window of CLASS at X, Y of its
//                                          client area
//   desktop_driver window-send CLASS MSG WPARAM LPARAM   sends a message (decimal numbers) to the
//                                          first window of CLASS and prints what it returned
//   desktop_driver tray-forget CLASS ID    removes the icon ID of the first window of CLASS from
//                                          the notification area (NIM_DELETE), as a new taskbar
//                                          that has not heard of it
//   desktop_driver device-arrival CLASS    sends the first window of CLASS the arrival of a HID
//                                          device interface (WM_DEVICECHANGE)
//   desktop_driver process-counts NAME     prints "handles=H threads=T" of the running program
//                                          NAME (its executable's file name)
//   desktop_driver broadcast-registered NAME   sends the registered message NAME to every
//                                          top-level window (the shell's "TaskbarCreated")
//   desktop_driver broadcast-setting AREA  sends WM_SETTINGCHANGE with the text AREA to every
//                                          top-level window (as Windows does with
//                                          "ImmersiveColorSet" when light or dark is switched)
//   desktop_driver run COMMANDLINE         starts a program with exactly this command line (as
//                                          Wine would otherwise re-quote it), waits for it and
//                                          exits with its exit code (up to 120 s)
//   desktop_driver start COMMANDLINE       ... and does not wait
//   desktop_driver file-version FILE       prints the file's version information, a line each:
//                                          FileVersion=, ProductVersion=, ProductName=,
//                                          FileDescription=
//   desktop_driver screenshot FILE         saves the screen as a PNG
//   desktop_driver screenshot FILE menu    ... only the open popup menu and the tray window
//   desktop_driver screenshot FILE tray    ... only the tray window and the tips or notices
//                                          beside it
//   desktop_driver screenshot FILE tray-hint   ... the same, with the pointer on the icon
//   desktop_driver screenshot FILE window CLASS   ... only the visible window of CLASS
#include <windows.h>

#include <dbt.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/unique_resource.h"
#include "ui/png_codec.h"

namespace {

constexpr wchar_t kWineTrayClass[] = L"__winex11_standalone_tray";
constexpr wchar_t kPopupMenuClass[] = L"#32768";
constexpr DWORD kWaitMs = 5000;

std::vector<HWND> TopLevelWindows(const wchar_t* AClass) {
  struct TSearch {
    const wchar_t* Class;
    std::vector<HWND> Found;
  } search{AClass, {}};
  ::EnumWindows(
      [](HWND AWindow, LPARAM AData) -> BOOL {
        auto* s = reinterpret_cast<TSearch*>(AData);
        wchar_t name[256] = {};
        ::GetClassNameW(AWindow, name, 256);
        if (std::wstring(name) == s->Class) {
          s->Found.push_back(AWindow);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.Found;
}

HWND VisibleWindow(const wchar_t* AClass) {
  for (HWND window : TopLevelWindows(AClass)) {
    if (::IsWindowVisible(window)) {
      return window;
    }
  }
  return nullptr;
}

HWND WaitForVisibleWindow(const wchar_t* AClass) {
  const DWORD start = ::GetTickCount();
  for (;;) {
    if (HWND window = VisibleWindow(AClass)) {
      return window;
    }
    if (::GetTickCount() - start > kWaitMs) {
      return nullptr;
    }
    ::Sleep(50);
  }
}

void SendKey(WORD AKey) {
  INPUT input[2] = {};
  input[0].type = input[1].type = INPUT_KEYBOARD;
  input[0].ki.wVk = input[1].ki.wVk = AKey;
  input[1].ki.dwFlags = KEYEVENTF_KEYUP;
  ::SendInput(2, input, sizeof(INPUT));
}

// A click at a screen point through the input queue, as a user's click arrives.
void ClickAt(POINT APoint, bool ARight) {
  const int width = std::max(1, ::GetSystemMetrics(SM_CXSCREEN) - 1);
  const int height = std::max(1, ::GetSystemMetrics(SM_CYSCREEN) - 1);
  INPUT input[3] = {};
  for (INPUT& one : input) {
    one.type = INPUT_MOUSE;
    one.mi.dx = APoint.x * 65535 / width;
    one.mi.dy = APoint.y * 65535 / height;
  }
  input[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  input[1].mi.dwFlags =
      (ARight ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN) | MOUSEEVENTF_ABSOLUTE;
  input[2].mi.dwFlags = (ARight ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP) | MOUSEEVENTF_ABSOLUTE;
  ::SendInput(1, &input[0], sizeof(INPUT));
  ::Sleep(50);  // a move, then the press: the icon sees the pointer arrive first
  ::SendInput(2, &input[1], sizeof(INPUT));
}

POINT Centre(const RECT& ARect) {
  return POINT{(ARect.left + ARect.right) / 2, (ARect.top + ARect.bottom) / 2};
}

HWND FirstTrayIcon() {
  const DWORD start = ::GetTickCount();
  for (;;) {
    for (HWND tray : TopLevelWindows(kWineTrayClass)) {
      if (HWND icon = ::GetWindow(tray, GW_CHILD)) {
        return icon;
      }
    }
    if (::GetTickCount() - start > kWaitMs) {
      return nullptr;
    }
    ::Sleep(50);
  }
}

int TrayIconCount() {
  unsigned count = 0;
  for (HWND tray : TopLevelWindows(kWineTrayClass)) {
    for (HWND icon = ::GetWindow(tray, GW_CHILD); icon != nullptr;
         icon = ::GetWindow(icon, GW_HWNDNEXT)) {
      count += ::IsWindowVisible(icon) ? 1 : 0;
    }
  }
  std::printf("%u\n", count);
  return 0;
}

mon::TRgbaImage Capture(const RECT& AArea);

// The percentage of the first tray icon's pixels (RGBA) that AIs holds for; nothing when there is
// no icon or it has no pixels.
template <class TPredicate>
std::optional<std::size_t> TrayIconPercentWhere(TPredicate AIs) {
  HWND icon = FirstTrayIcon();
  if (icon == nullptr) {
    return std::nullopt;
  }
  RECT rect{};
  ::GetWindowRect(icon, &rect);
  const mon::TRgbaImage image = Capture(rect);
  const std::size_t pixels = image.Pixels.size() / 4;
  if (pixels == 0) {
    return std::nullopt;
  }
  std::size_t matching = 0;
  for (std::size_t i = 0; i < pixels; ++i) {
    matching += AIs(&image.Pixels[i * 4]) ? 1 : 0;
  }
  return matching * 100 / pixels;
}

// "muted" when at least 3 % of the first tray icon's pixels are the muted mark's red, else
// "plain"; empty when there is no icon.
std::string TrayIconState() {
  const auto red = TrayIconPercentWhere([](const std::uint8_t* APixel) {
    return APixel[0] > 170 && APixel[1] < 110 && APixel[2] < 110;
  });
  if (!red) {
    return {};
  }
  return *red >= 3 ? "muted" : "plain";
}

// "dark" when at least 2 % of the first tray icon's pixels are near black (the light
// taskbar's icons have a dark mouse, 3 % of the area when the muted mark covers part of it at 16
// pixels; the other icons have none), else "light"; empty when there is no icon.
std::string TrayIconGlyph() {
  const auto dark = TrayIconPercentWhere([](const std::uint8_t* APixel) {
    return std::max({APixel[0], APixel[1], APixel[2]}) < 80;
  });
  if (!dark) {
    return {};
  }
  return *dark >= 2 ? "dark" : "light";
}

int TrayAfterWrite(const wchar_t* AFile, const wchar_t* AText, const std::string& AWanted) {
  const mon::win32::TUniqueHandle file(::CreateFileW(AFile, GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                                     nullptr));
  if (!file) {
    return 1;
  }
  std::string text;
  for (const wchar_t* c = AText; *c != L'\0'; ++c) {
    text.push_back(static_cast<char>(*c));  // the state files hold ASCII
  }
  DWORD written = 0;
  LARGE_INTEGER frequency{}, start{}, now{};
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&start);
  if (!::WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) {
    return 1;
  }
  ::FlushFileBuffers(file.Get());
  for (;;) {
    const bool reached = TrayIconState() == AWanted;
    ::QueryPerformanceCounter(&now);
    const double elapsedMs = static_cast<double>(now.QuadPart - start.QuadPart) * 1000.0 /
                             static_cast<double>(frequency.QuadPart);
    if (reached) {
      std::printf("%.0f\n", elapsedMs);  // at most one look (a few ms) late
      return 0;
    }
    if (elapsedMs > 10000) {
      return 1;
    }
    ::Sleep(1);
  }
}

int TrayClick(const std::wstring& AButton) {
  if (AButton != L"left" && AButton != L"right") {
    return 2;
  }
  HWND icon = FirstTrayIcon();
  if (icon == nullptr) {
    std::fprintf(stderr, "no tray icon\n");
    return 1;
  }
  RECT rect{};
  ::GetWindowRect(icon, &rect);
  ClickAt(Centre(rect), AButton == L"right");
  return 0;
}

// Menus belong to the process that made them, so the items are reached from the keyboard: the
// first Down selects the first item.
int MenuChoose(int APosition) {
  if (APosition < 0 || WaitForVisibleWindow(kPopupMenuClass) == nullptr) {
    std::fprintf(stderr, "no popup menu\n");
    return 1;
  }
  for (int i = 0; i <= APosition; ++i) {
    SendKey(VK_DOWN);
  }
  SendKey(VK_RETURN);
  return 0;
}

int MenuClose() {
  if (WaitForVisibleWindow(kPopupMenuClass) == nullptr) {
    return 1;
  }
  SendKey(VK_ESCAPE);
  return 0;
}

// The screen (or a part of it) as RGBA, read back from the screen's device context.
mon::TRgbaImage Capture(const RECT& AArea) {
  mon::TRgbaImage image;
  const int width = AArea.right - AArea.left;
  const int height = AArea.bottom - AArea.top;
  if (width <= 0 || height <= 0) {
    return image;
  }
  const mon::win32::TUniqueWindowDC screen(::GetDC(nullptr));
  const mon::win32::TUniqueMemoryDC memory(::CreateCompatibleDC(screen.Get()));
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const mon::win32::TUniqueBitmap bitmap(
      ::CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (bitmap && bits != nullptr) {
    HGDIOBJ old = ::SelectObject(memory.Get(), bitmap.Get());
    ::BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), AArea.left, AArea.top, SRCCOPY);
    ::GdiFlush();
    image.Width = static_cast<std::uint32_t>(width);
    image.Height = static_cast<std::uint32_t>(height);
    image.Pixels.resize(image.Width * image.Height * 4);
    const auto* bgra = static_cast<const std::uint8_t*>(bits);
    for (std::size_t i = 0; i < image.Width * image.Height; ++i) {
      image.Pixels[i * 4 + 0] = bgra[i * 4 + 2];
      image.Pixels[i * 4 + 1] = bgra[i * 4 + 1];
      image.Pixels[i * 4 + 2] = bgra[i * 4 + 0];
      image.Pixels[i * 4 + 3] = 255;
    }
    ::SelectObject(memory.Get(), old);
  }
  return image;
}

int SaveScreenPart(const std::wstring& AFile, RECT AArea) {
  RECT screen{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  ::IntersectRect(&AArea, &AArea, &screen);
  const auto png = mon::EncodePng(Capture(AArea));
  if (!png) {
    return 1;
  }
  std::FILE* file = _wfopen(AFile.c_str(), L"wb");
  if (file == nullptr) {
    return 1;
  }
  const bool written = std::fwrite(png->data(), 1, png->size(), file) == png->size();
  return std::fclose(file) == 0 && written ? 0 : 1;
}

int Screenshot(const std::wstring& AFile) {
  return SaveScreenPart(
      AFile, RECT{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)});
}

int ScreenshotOfMenu(const std::wstring& AFile) {
  HWND menu = WaitForVisibleWindow(kPopupMenuClass);
  if (menu == nullptr) {
    std::fprintf(stderr, "no popup menu\n");
    return 1;
  }
  ::Sleep(300);  // let the menu finish drawing
  RECT area{};
  ::GetWindowRect(menu, &area);
  for (HWND tray : TopLevelWindows(kWineTrayClass)) {
    RECT trayRect{};
    ::GetWindowRect(tray, &trayRect);
    ::UnionRect(&area, &area, &trayRect);
  }
  ::InflateRect(&area, 24, 24);
  return SaveScreenPart(AFile, area);
}

// The tray window with the tool tips and balloons shown beside it (the icon's hint, a notice);
// with AHover the pointer rests on the icon first, so that its hint shows.
int ScreenshotOfTray(const std::wstring& AFile, bool AHover) {
  HWND icon = FirstTrayIcon();
  if (icon == nullptr) {
    std::fprintf(stderr, "no tray icon\n");
    return 1;
  }
  // The pointer on the icon shows its hint; away from it, only what shows by itself (a notice).
  RECT rect{};
  ::GetWindowRect(icon, &rect);
  const POINT centre = Centre(rect);
  if (AHover) {
    ::SetCursorPos(centre.x, centre.y - 1);
    ::SetCursorPos(centre.x, centre.y);
  } else {
    ::SetCursorPos(::GetSystemMetrics(SM_CXSCREEN) / 2, ::GetSystemMetrics(SM_CYSCREEN) / 2);
  }
  // Tool tips and balloons are windows of the class tooltips_class32 once they show.
  const DWORD start = ::GetTickCount();
  std::vector<HWND> tips;
  while (tips.empty() && ::GetTickCount() - start < kWaitMs) {
    ::Sleep(100);
    for (HWND tip : TopLevelWindows(L"tooltips_class32")) {
      if (::IsWindowVisible(tip)) {
        tips.push_back(tip);
      }
    }
  }
  ::Sleep(300);  // let them finish drawing
  RECT area{};
  for (HWND tray : TopLevelWindows(kWineTrayClass)) {
    RECT trayRect{};
    ::GetWindowRect(tray, &trayRect);
    ::UnionRect(&area, &area, &trayRect);
  }
  for (HWND tip : tips) {
    RECT tipRect{};
    ::GetWindowRect(tip, &tipRect);
    ::UnionRect(&area, &area, &tipRect);
  }
  ::InflateRect(&area, 16, 16);
  return SaveScreenPart(AFile, area);
}

int ScreenshotOfWindow(const std::wstring& AFile, const wchar_t* AClass) {
  HWND window = WaitForVisibleWindow(AClass);
  if (window == nullptr) {
    std::fprintf(stderr, "no visible window of that class\n");
    return 1;
  }
  ::Sleep(300);  // let it finish drawing
  RECT area{};
  ::GetWindowRect(window, &area);
  return SaveScreenPart(AFile, area);
}

int ShowWindowOfClass(const wchar_t* AClass) {
  const std::vector<HWND> windows = TopLevelWindows(AClass);
  if (windows.empty()) {
    return 1;
  }
  ::ShowWindow(windows.front(), SW_SHOW);
  ::SetForegroundWindow(windows.front());
  return 0;
}

int ClickInWindow(const wchar_t* AClass, int AX, int AY) {
  HWND window = WaitForVisibleWindow(AClass);
  if (window == nullptr) {
    return 1;
  }
  POINT point{AX, AY};
  ::ClientToScreen(window, &point);
  ClickAt(point, false);
  return 0;
}

int HideWindowsOfClass(const wchar_t* AClass) {
  const std::vector<HWND> windows = TopLevelWindows(AClass);
  for (HWND window : windows) {
    ::ShowWindow(window, SW_HIDE);
  }
  return windows.empty() ? 1 : 0;
}

int StartProgram(const wchar_t* ACommandLine, bool AWait) {
  std::wstring commandLine = ACommandLine;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started{};
  if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started)) {
    std::fprintf(stderr, "cannot start (%lu)\n", ::GetLastError());
    return 1;
  }
  const mon::win32::TUniqueHandle process(started.hProcess);
  const mon::win32::TUniqueHandle thread(started.hThread);
  if (!AWait) {
    return 0;
  }
  if (::WaitForSingleObject(process.Get(), 120000) != WAIT_OBJECT_0) {
    return 1;
  }
  DWORD exitCode = 1;
  ::GetExitCodeProcess(process.Get(), &exitCode);
  return static_cast<int>(exitCode);
}

int PrintFileVersion(const wchar_t* AFile) {
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(AFile, &ignored);
  if (size == 0) {
    return 1;
  }
  std::vector<BYTE> data(size);
  if (!::GetFileVersionInfoW(AFile, 0, size, data.data())) {
    return 1;
  }
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!::VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) ||
      fixed == nullptr) {
    return 1;
  }
  std::printf("FileVersion=%u.%u.%u.%u\n", static_cast<unsigned>(HIWORD(fixed->dwFileVersionMS)),
              static_cast<unsigned>(LOWORD(fixed->dwFileVersionMS)),
              static_cast<unsigned>(HIWORD(fixed->dwFileVersionLS)),
              static_cast<unsigned>(LOWORD(fixed->dwFileVersionLS)));
  for (const wchar_t* key : {L"ProductVersion", L"ProductName", L"FileDescription"}) {
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + key;
    wchar_t* value = nullptr;
    const bool found =
        ::VerQueryValueW(data.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) &&
        value != nullptr;
    std::printf("%ls=%ls\n", key, found ? value : L"");
  }
  return 0;
}

int SendToWindowOfClass(const wchar_t* AClass, UINT AMessage, WPARAM AWParam, LPARAM ALParam) {
  const std::vector<HWND> windows = TopLevelWindows(AClass);
  if (windows.empty()) {
    return 1;
  }
  DWORD_PTR result = 0;
  if (::SendMessageTimeoutW(windows.front(), AMessage, AWParam, ALParam, SMTO_ABORTIFHUNG, kWaitMs,
                            &result) == 0) {
    return 1;
  }
  std::printf("%lld\n", static_cast<long long>(result));
  return 0;
}

// Takes the icon AId of the first window of AClass out of the notification area behind its
// program's back, as a new taskbar that has not yet heard of it would be.
int TrayForget(const wchar_t* AClass, UINT AId) {
  const std::vector<HWND> windows = TopLevelWindows(AClass);
  if (windows.empty()) {
    return 1;
  }
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof(data);
  data.hWnd = windows.front();
  data.uID = AId;
  return ::Shell_NotifyIconW(NIM_DELETE, &data) ? 0 : 1;
}

// Sends the first window of AClass a device-interface arrival of the HID class, as the system
// does when a HID device comes (Wine carries the broadcast record across processes).
int DeviceArrival(const wchar_t* AClass) {
  const std::vector<HWND> windows = TopLevelWindows(AClass);
  if (windows.empty()) {
    return 1;
  }
  struct TArrival {
    DEV_BROADCAST_DEVICEINTERFACE_W Header;
    wchar_t NameRest[63];  // the name stays empty; the monitor looks at the type only
  } arrival{};
  arrival.Header.dbcc_size = sizeof(arrival);
  arrival.Header.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  arrival.Header.dbcc_classguid = {
      0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};
  DWORD_PTR result = 0;
  return ::SendMessageTimeoutW(windows.front(), WM_DEVICECHANGE, DBT_DEVICEARRIVAL,
                               reinterpret_cast<LPARAM>(&arrival), SMTO_ABORTIFHUNG, kWaitMs,
                               &result) != 0
             ? 0
             : 1;
}

// The handles the system lists for AProcessId (SystemHandleInformation), or 0.
DWORD SystemHandleCount(DWORD AProcessId) {
  using TQuery = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
  const auto query = reinterpret_cast<TQuery>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  if (query == nullptr) {
    return 0;
  }
  struct THandleEntry {  // SYSTEM_HANDLE_TABLE_ENTRY_INFO
    ULONG OwnerPid;
    BYTE ObjectType;
    BYTE HandleFlags;
    USHORT HandleValue;
    void* ObjectPointer;
    ULONG AccessMask;
  };
  constexpr ULONG kSystemHandleInformation = 16;
  std::vector<BYTE> buffer(1 << 20);
  ULONG needed = 0;
  while (query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()),
               &needed) != 0) {
    if (buffer.size() >= (64u << 20)) {
      return 0;
    }
    buffer.resize(buffer.size() * 2);
  }
  const ULONG count = *reinterpret_cast<const ULONG*>(buffer.data());
  const auto* entries =
      reinterpret_cast<const THandleEntry*>(buffer.data() + sizeof(void*));  // after the count
  DWORD owned = 0;
  for (ULONG i = 0; i < count; ++i) {
    owned += entries[i].OwnerPid == AProcessId ? 1 : 0;
  }
  return owned;
}

// Prints "handles=H threads=T" of the first running process whose executable is AName.
int ProcessCounts(const wchar_t* AName) {
  const mon::win32::TUniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = ::Process32FirstW(snapshot.Get(), &entry); more;
       more = ::Process32NextW(snapshot.Get(), &entry)) {
    if (::lstrcmpiW(entry.szExeFile, AName) != 0) {
      continue;
    }
    const mon::win32::TUniqueHandle process(
        ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
    DWORD handles = 0;
    if (!process || !::GetProcessHandleCount(process.Get(), &handles)) {
      return 1;
    }
    if (handles == 0) {  // Wine does not count another process's handles: the system's list
      handles = SystemHandleCount(entry.th32ProcessID);
    }
    std::printf("handles=%lu threads=%lu\n", handles, entry.cntThreads);
    return 0;
  }
  return 1;
}

// Sends the registered message AName to every top-level window, as the shell does with
// "TaskbarCreated" when the taskbar is made again.
int BroadcastSettingChange(const wchar_t* AArea) {
  DWORD_PTR result = 0;
  return ::SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(AArea),
                               SMTO_ABORTIFHUNG, kWaitMs, &result) != 0
             ? 0
             : 1;
}

int PrintClientSize(const wchar_t* AClass) {
  const std::vector<HWND> windows = TopLevelWindows(AClass);
  RECT client{};
  if (windows.empty() || !::GetClientRect(windows.front(), &client)) {
    return 1;
  }
  std::printf("%ld %ld\n", client.right, client.bottom);
  return 0;
}

int BroadcastRegistered(const wchar_t* AName) {
  const UINT message = ::RegisterWindowMessageW(AName);
  DWORD_PTR result = 0;
  return message != 0 && ::SendMessageTimeoutW(HWND_BROADCAST, message, 0, 0, SMTO_ABORTIFHUNG,
                                               kWaitMs, &result) != 0
             ? 0
             : 1;
}

}  // namespace

int wmain(int AArgc, wchar_t** AArgv) {
  if (AArgc < 2) {
    return 2;
  }
  const std::wstring command = AArgv[1];
  if (command == L"tray-click" && AArgc == 3) {
    return TrayClick(AArgv[2]);
  }
  if (command == L"tray-icon-count" && AArgc == 2) {
    return TrayIconCount();
  }
  if (command == L"tray-icon-state" && AArgc == 2) {
    const std::string state = TrayIconState();
    std::printf("%s\n", state.c_str());
    return state.empty() ? 1 : 0;
  }
  if (command == L"tray-icon-glyph" && AArgc == 2) {
    const std::string glyph = TrayIconGlyph();
    std::printf("%s\n", glyph.c_str());
    return glyph.empty() ? 1 : 0;
  }
  if (command == L"tray-after-write" && AArgc == 5) {
    const std::wstring wanted = AArgv[4];
    return TrayAfterWrite(AArgv[2], AArgv[3], wanted == L"muted" ? "muted" : "plain");
  }
  if (command == L"menu-choose" && AArgc == 3) {
    return MenuChoose(static_cast<int>(std::wcstol(AArgv[2], nullptr, 10)));
  }
  if (command == L"menu-close" && AArgc == 2) {
    return MenuClose();
  }
  if (command == L"window-count" && AArgc == 3) {
    std::printf("%u\n", static_cast<unsigned>(TopLevelWindows(AArgv[2]).size()));
    return 0;
  }
  if (command == L"window-visible" && AArgc == 3) {
    return VisibleWindow(AArgv[2]) != nullptr ? 0 : 1;
  }
  if (command == L"window-client-size" && AArgc == 3) {
    return PrintClientSize(AArgv[2]);
  }
  if (command == L"window-show" && AArgc == 3) {
    return ShowWindowOfClass(AArgv[2]);
  }
  if (command == L"window-click" && AArgc == 5) {
    return ClickInWindow(AArgv[2], static_cast<int>(std::wcstol(AArgv[3], nullptr, 10)),
                         static_cast<int>(std::wcstol(AArgv[4], nullptr, 10)));
  }
  if (command == L"window-send" && AArgc == 6) {
    return SendToWindowOfClass(AArgv[2], static_cast<UINT>(std::wcstoul(AArgv[3], nullptr, 10)),
                               static_cast<WPARAM>(std::wcstoull(AArgv[4], nullptr, 10)),
                               static_cast<LPARAM>(std::wcstoll(AArgv[5], nullptr, 10)));
  }
  if (command == L"tray-forget" && AArgc == 4) {
    return TrayForget(AArgv[2], static_cast<UINT>(std::wcstoul(AArgv[3], nullptr, 10)));
  }
  if (command == L"device-arrival" && AArgc == 3) {
    return DeviceArrival(AArgv[2]);
  }
  if (command == L"process-counts" && AArgc == 3) {
    return ProcessCounts(AArgv[2]);
  }
  if (command == L"broadcast-setting" && AArgc == 3) {
    return BroadcastSettingChange(AArgv[2]);
  }
  if (command == L"broadcast-registered" && AArgc == 3) {
    return BroadcastRegistered(AArgv[2]);
  }
  if (command == L"window-hide" && AArgc == 3) {
    return HideWindowsOfClass(AArgv[2]);
  }
  if ((command == L"run" || command == L"start") && AArgc == 3) {
    return StartProgram(AArgv[2], command == L"run");
  }
  if (command == L"file-version" && AArgc == 3) {
    return PrintFileVersion(AArgv[2]);
  }
  if (command == L"screenshot" && AArgc == 3) {
    return Screenshot(AArgv[2]);
  }
  if (command == L"screenshot" && AArgc == 4 &&
      (std::wstring(AArgv[3]) == L"tray" || std::wstring(AArgv[3]) == L"tray-hint")) {
    return ScreenshotOfTray(AArgv[2], std::wstring(AArgv[3]) == L"tray-hint");
  }
  if (command == L"screenshot" && AArgc == 4 && std::wstring(AArgv[3]) == L"menu") {
    return ScreenshotOfMenu(AArgv[2]);
  }
  if (command == L"screenshot" && AArgc == 5 && std::wstring(AArgv[3]) == L"window") {
    return ScreenshotOfWindow(AArgv[2], AArgv[4]);
  }
  return 2;
}
