#include "tests/e2e/ProgramUnderTest.h"

#include <gtest/gtest.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <algorithm>

#include "platform/Folders.h"
#include "platform/Settings.h"
#include "tests/support/TestText.h"

namespace {

constexpr DWORD kPollMs = 50;
constexpr char16_t kFrameClass[] = u"DEV_ODI";
constexpr char16_t kDialogClass[] = u"#32770";

std::u16string WindowText(HWND window) {
  wchar_t buffer[1024] = {};
  GetWindowTextW(window, buffer, 1024);
  return std::u16string(reinterpret_cast<const char16_t*>(buffer));
}

std::u16string ClassOf(HWND window) {
  wchar_t buffer[256] = {};
  GetClassNameW(window, buffer, 256);
  return std::u16string(reinterpret_cast<const char16_t*>(buffer));
}

DWORD ProcessOf(HWND window) {
  DWORD id = 0;
  GetWindowThreadProcessId(window, &id);
  return id;
}

// Sleeps while the harness's own windows (its DDE conversations) take their
// messages: the program's DDE shut-down waits for its clients' answers.
void Pause(DWORD milliseconds) {
  DWORD start = GetTickCount();
  do {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  } while (GetTickCount() - start < milliseconds);
}

struct WindowSearch {
  DWORD processId;
  bool children;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectVisibleChild(HWND child, LPARAM data) {
  if (IsWindowVisible(child)) reinterpret_cast<WindowSearch*>(data)->found.push_back(child);
  return TRUE;
}

BOOL CALLBACK CollectVisibleWindow(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<WindowSearch*>(data);
  if (ProcessOf(window) != search->processId || !IsWindowVisible(window)) return TRUE;
  search->found.push_back(window);
  if (search->children) EnumChildWindows(window, CollectVisibleChild, data);
  return TRUE;
}

// Visible top-level windows of a process, and their visible descendants
// when children is set.
std::vector<HWND> VisibleWindows(DWORD processId, bool children) {
  WindowSearch search{processId, children, {}};
  EnumWindows(CollectVisibleWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

BOOL CALLBACK CollectStaticText(HWND child, LPARAM data) {
  if (ClassOf(child) != u"Static") return TRUE;
  std::u16string part = WindowText(child);
  if (part.empty()) return TRUE;
  auto* all = reinterpret_cast<std::u16string*>(data);
  if (!all->empty()) all->push_back(u'\n');
  *all += part;
  return TRUE;
}

std::u16string StaticTexts(HWND box) {
  std::u16string text;
  EnumChildWindows(box, CollectStaticText, reinterpret_cast<LPARAM>(&text));
  return text;
}

bool PressButton(HWND box, int button) {
  HWND control = GetDlgItem(box, button);
  if (!control || !IsWindowEnabled(control)) return false;
  return PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(control)) != 0;
}

std::string Describe(const ProgramBox& box) {
  return "\"" + Narrow(box.caption) + "\": \"" + Narrow(box.text) + "\"";
}

bool DeleteFolderTree(const std::u16string& folder) {
  if (!Exists(folder)) return true;
  std::u16string from = folder;
  from.push_back(u'\0');  // the list ends with a second NUL
  SHFILEOPSTRUCTW operation = {};
  operation.wFunc = FO_DELETE;
  operation.pFrom = W(from);
  operation.fFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
  return SHFileOperationW(&operation) == 0 && !Exists(folder);
}

std::u16string CompanyKeyPath() {
  return std::u16string(kSoftwareKeyName) + u"\\" + kCompanyKeyName;
}

// Wine hands web pages and documents to the browsers listed here; "true"
// takes them and does nothing.
bool QuietBrowser() {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\WineBrowser", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    ADD_FAILURE() << "cannot set Wine's browser";
    return false;
  }
  static const wchar_t kNothing[] = L"true";
  bool set = RegSetValueExW(key, L"Browsers", 0, REG_SZ, reinterpret_cast<const BYTE*>(kNothing), sizeof kNothing) ==
                 ERROR_SUCCESS &&
             RegSetValueExW(key, L"Mailers", 0, REG_SZ, reinterpret_cast<const BYTE*>(kNothing), sizeof kNothing) ==
                 ERROR_SUCCESS;
  RegCloseKey(key);
  EXPECT_TRUE(set) << "cannot set Wine's browser";
  return set;
}

}  // namespace

std::string Narrow(const std::u16string& text) { return U8(text); }

std::u16string ProgramText(unsigned id) { return UiText(id); }

std::u16string WindowsPath(const std::string& unixPath) {
  std::string path = unixPath;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  if (!path.empty() && path[0] == '\\') path = "Z:" + path;
  return U16(path);
}

// ---- Before a start ----

bool ProgramUnderTest::ResetState() {
  const std::u16string company = CompanyKeyPath();
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    DWORD result = SHDeleteKeyW(root, W(company));
    if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND) {
      ADD_FAILURE() << "cannot delete the settings key (" << result << ")";
      return false;
    }
  }
  if (!DeleteFolderTree(DataFolder())) {
    ADD_FAILURE() << "cannot delete the data folder " << Narrow(DataFolder());
    return false;
  }
  // The program's own settings writer with everything at its default, except
  // the splash window and the notices shown at start-up.
  General() = GeneralSettings{};
  General().splashScreen = false;
  // The reading options before each Read command: the cases that expect
  // them switch them on.
  General().quickPrefs = false;
  Global() = GlobalSettings{};
  Global().showStartupDialog = false;
  Global().showBppWarning = false;
  Global().showWin2000ColourWarning = false;
  // The notice of a black-and-white page comes with opening such a page;
  // the cases that expect it switch it on.
  Global().showBwWarning = false;
  SaveGeneralSettings();
  SaveGlobalSettings();
  return QuietBrowser() && !::testing::Test::HasFailure();
}

std::u16string ProgramUnderTest::DataFolder() { return InitialDataFolder(); }

std::u16string ProgramUnderTest::PagesFolder() { return DataFolder() + u"\\" + kPageStoreFolderName; }

std::u16string ProgramUnderTest::PagesPath(const std::u16string& name) { return PagesFolder() + u"\\" + name; }

bool ProgramUnderTest::SeedPagesFolder() {
  CreateDirectoryW(W(DataFolder()), nullptr);
  CreateDirectoryW(W(PagesFolder()), nullptr);
  return Exists(PagesFolder());
}

// ---- The process ----

ProgramUnderTest::~ProgramUnderTest() {
  if (!process_) return;
  if (IsRunning()) {
    ADD_FAILURE() << "the case left the program running";
    DismissBoxes();
    TerminateProcess(process_, 99);
    WaitForSingleObject(process_, kExitTimeoutMs);
  }
  CloseHandle(process_);
}

bool ProgramUnderTest::Start() {
  std::u16string exe = WindowsPath(KV_PROGRAM_EXE);
  std::u16string folder = exe.substr(0, exe.find_last_of(u'\\'));
  std::u16string commandLine = u"\"" + exe + u"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(W(exe), const_cast<wchar_t*>(W(commandLine)), nullptr, nullptr, FALSE, 0, nullptr, W(folder),
                      &startup, &info)) {
    ADD_FAILURE() << "cannot start " << Narrow(exe) << " (" << GetLastError() << ")";
    return false;
  }
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  processId_ = info.dwProcessId;
  return true;
}

void ProgramUnderTest::Kill() {
  if (!process_) return;
  TerminateProcess(process_, 99);
  WaitForSingleObject(process_, kExitTimeoutMs);
  CloseHandle(process_);
  process_ = nullptr;
  processId_ = 0;
  frame_ = nullptr;
}

bool ProgramUnderTest::IsRunning() const {
  return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

bool ProgramUnderTest::WaitForFrame(DWORD timeoutMs) {
  bool found = WaitUntil(
      [this] {
        std::vector<HWND> frames = WindowsOfClass(kFrameClass);
        frame_ = frames.empty() ? nullptr : frames.front();
        return frame_ != nullptr;
      },
      "the frame window", timeoutMs);
  return found && FrameAnswers();
}

bool ProgramUnderTest::FrameAnswers(DWORD timeoutMs) {
  DWORD_PTR result = 0;
  if (!frame_ || !IsWindow(frame_)) {
    ADD_FAILURE() << "the frame window is gone";
    return false;
  }
  if (!SendMessageTimeoutW(frame_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, timeoutMs, &result)) {
    ADD_FAILURE() << "the frame window stopped answering";
    return false;
  }
  return true;
}

bool ProgramUnderTest::PostCommand(WORD id, LPARAM lParam) { return PostToFrame(WM_COMMAND, id, lParam); }

bool ProgramUnderTest::PostToFrame(UINT message, WPARAM wParam, LPARAM lParam) {
  if (!frame_ || !PostMessageW(frame_, message, wParam, lParam)) {
    ADD_FAILURE() << "cannot post message " << message << " to the frame";
    return false;
  }
  return true;
}

bool ProgramUnderTest::WaitForExit(DWORD* exitCode, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (IsRunning()) {
    if (!FailOnBoxes("while ending")) return false;
    if (GetTickCount() - start > timeoutMs) {
      ADD_FAILURE() << "the program did not end within " << timeoutMs << " ms";
      return false;
    }
    Pause(kPollMs);
  }
  GetExitCodeProcess(process_, exitCode);
  return true;
}

// ---- Windows ----

std::vector<ProgramBox> ProgramUnderTest::Boxes() const {
  std::vector<ProgramBox> boxes;
  if (!processId_) return boxes;
  for (HWND window : VisibleWindows(processId_, false)) {
    if (ClassOf(window) != kDialogClass) continue;
    // The progress window asks nothing: the work that opened it closes it.
    if (FindWindowExW(window, nullptr, L"msctls_progress32", nullptr)) continue;
    boxes.push_back({window, WindowText(window), StaticTexts(window)});
  }
  return boxes;
}

std::u16string ProgramUnderTest::StatusText(int field) const {
  HWND status = frame_ ? FindWindowExW(frame_, nullptr, L"msctls_statusbar32", nullptr) : nullptr;
  if (!status) return {};
  // The bar writes the text into the program's own memory: a block there.
  constexpr SIZE_T kBytes = 1024 * sizeof(wchar_t);
  void* remote = VirtualAllocEx(process_, nullptr, kBytes, MEM_COMMIT, PAGE_READWRITE);
  if (!remote) return {};
  std::u16string text;
  DWORD_PTR length = 0;
  if (SendMessageTimeoutW(status, SB_GETTEXTLENGTHW, WPARAM(field), 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &length) &&
      LOWORD(length) < 1024 &&
      SendMessageTimeoutW(status, SB_GETTEXTW, WPARAM(field), reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG,
                          kAnswerTimeoutMs, &length)) {
    char16_t buffer[1024] = {};
    SIZE_T read = 0;
    if (ReadProcessMemory(process_, remote, buffer, kBytes - sizeof(wchar_t), &read)) text = buffer;
  }
  VirtualFreeEx(process_, remote, 0, MEM_RELEASE);
  return text;
}

std::vector<HWND> ProgramUnderTest::WindowsOfClass(const char16_t* className) const {
  std::vector<HWND> found;
  if (!processId_) return found;
  for (HWND window : VisibleWindows(processId_, true)) {
    if (ClassOf(window) == className) found.push_back(window);
  }
  return found;
}

bool ProgramUnderTest::FailOnBoxes(const char* during) {
  std::vector<ProgramBox> boxes = Boxes();
  if (boxes.empty()) return true;
  for (const ProgramBox& box : boxes) ADD_FAILURE() << "unexpected box " << during << ": " << Describe(box);
  DismissBoxes();
  return false;
}

HWND ProgramUnderTest::WaitForBox(unsigned textId, DWORD timeoutMs) {
  const std::u16string text = ProgramText(textId);
  if (text.empty()) {
    ADD_FAILURE() << "the program has no string " << textId;
    return nullptr;
  }
  DWORD start = GetTickCount();
  for (;;) {
    std::vector<ProgramBox> boxes = Boxes();
    for (const ProgramBox& box : boxes) {
      if (box.text.find(text) != std::u16string::npos) return box.window;
      ADD_FAILURE() << "unexpected box while waiting for string " << textId << ": " << Describe(box);
      DismissBoxes();
      return nullptr;
    }
    if (!IsRunning()) {
      ADD_FAILURE() << "the program ended before it showed string " << textId;
      return nullptr;
    }
    if (GetTickCount() - start > timeoutMs) {
      ADD_FAILURE() << "no box with string " << textId << " within " << timeoutMs << " ms";
      return nullptr;
    }
    Pause(kPollMs);
  }
}

bool ProgramUnderTest::AnswerBox(const ExpectedBox& expected, DWORD timeoutMs) {
  HWND box = WaitForBox(expected.textId, timeoutMs);
  if (!box) return false;
  if (!PressButton(box, expected.button)) {
    ADD_FAILURE() << "the box of string " << expected.textId << " has no button " << expected.button;
    return false;
  }
  return WaitForBoxToGo(box);
}

bool ProgramUnderTest::WaitForBoxToGo(HWND box) {
  DWORD start = GetTickCount();
  while (IsWindow(box) && IsWindowVisible(box)) {
    if (GetTickCount() - start > kAnswerTimeoutMs) {
      ADD_FAILURE() << "an answered box did not close";
      return false;
    }
    Pause(kPollMs);
  }
  return true;
}

HWND ProgramUnderTest::WaitForDialog(DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    std::vector<ProgramBox> boxes = Boxes();
    if (!boxes.empty()) return boxes.front().window;
    if (!IsRunning() || GetTickCount() - start > timeoutMs) {
      ADD_FAILURE() << "no dialog appeared";
      return nullptr;
    }
    Pause(kPollMs);
  }
}

bool ProgramUnderTest::CloseDialog(DWORD timeoutMs) {
  HWND dialog = WaitForDialog(timeoutMs);
  if (!dialog) return false;
  if (!PressButton(dialog, IDCANCEL) && !PressButton(dialog, IDOK)) {
    ADD_FAILURE() << "the dialog \"" << Narrow(WindowText(dialog)) << "\" has neither Cancel nor OK";
    return false;
  }
  return WaitForBoxToGo(dialog);
}

bool ProgramUnderTest::SetDialogText(HWND dialog, int control, const std::u16string& text) {
  HWND item = GetDlgItem(dialog, control);
  DWORD_PTR result = 0;
  if (!item || !SendMessageTimeoutW(item, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(W(text)), SMTO_ABORTIFHUNG,
                                    kAnswerTimeoutMs, &result)) {
    ADD_FAILURE() << "cannot set the text of control " << control;
    return false;
  }
  return true;
}

bool ProgramUnderTest::ClickDialogCheckBox(HWND dialog, int control, bool* checkedAfter) {
  HWND item = GetDlgItem(dialog, control);
  DWORD_PTR result = 0;
  if (!item || !SendMessageTimeoutW(item, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &result) ||
      !SendMessageTimeoutW(item, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &result)) {
    ADD_FAILURE() << "cannot click the check box " << control;
    return false;
  }
  if (checkedAfter) *checkedAfter = result == BST_CHECKED;
  return true;
}

bool ProgramUnderTest::IsDialogBoxChecked(HWND dialog, int control) const {
  HWND item = GetDlgItem(dialog, control);
  DWORD_PTR result = 0;
  return item && SendMessageTimeoutW(item, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &result) &&
         result == BST_CHECKED;
}

bool ProgramUnderTest::PressDialogButton(HWND dialog, int button) {
  if (!PressButton(dialog, button)) {
    ADD_FAILURE() << "the dialog has no button " << button;
    return false;
  }
  return WaitForBoxToGo(dialog);
}

bool ProgramUnderTest::WaitUntil(const std::function<bool()>& done, const char* what, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    if (!FailOnBoxes(what)) return false;
    if (done()) return true;
    if (!IsRunning()) {
      DWORD code = 0;
      GetExitCodeProcess(process_, &code);
      ADD_FAILURE() << "the program ended (exit code " << code << ") while waiting for " << what;
      return false;
    }
    if (GetTickCount() - start > timeoutMs) {
      ADD_FAILURE() << "waited " << timeoutMs << " ms in vain for " << what;
      return false;
    }
    Pause(kPollMs);
  }
}

bool ProgramUnderTest::StaysQuiet(DWORD milliseconds) {
  DWORD start = GetTickCount();
  while (GetTickCount() - start < milliseconds) {
    if (!FailOnBoxes("while it should stay quiet")) return false;
    if (!IsRunning()) {
      ADD_FAILURE() << "the program ended while it should keep running";
      return false;
    }
    Pause(kPollMs);
  }
  return FrameAnswers();
}

std::vector<std::u16string> ProgramUnderTest::DismissBoxes() {
  std::vector<std::u16string> closed;
  std::vector<HWND> seen;
  for (int round = 0; round < 20; ++round) {
    std::vector<ProgramBox> boxes = Boxes();
    if (boxes.empty()) break;
    for (const ProgramBox& box : boxes) {
      if (std::find(seen.begin(), seen.end(), box.window) == seen.end()) {
        seen.push_back(box.window);
        closed.push_back(box.caption + u": " + box.text);
      }
      bool pressed = false;
      for (int button : {IDCANCEL, IDNO, IDOK, IDCLOSE}) {
        if (PressButton(box.window, button)) {
          pressed = true;
          break;
        }
      }
      if (!pressed) PostMessageW(box.window, WM_CLOSE, 0, 0);
    }
    Pause(200);
  }
  return closed;
}
