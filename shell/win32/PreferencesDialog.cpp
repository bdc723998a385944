#include "shell/win32/PreferencesDialog.h"

#include <commctrl.h>
#include <shellapi.h>

#include <atomic>
#include <memory>
#include <string>

#include "Code/Unicode/Utils/WinVersion.h"
#include "platform/HookTables.h"
#include "platform/Messages.h"
#include "platform/PreferenceItems.h"
#include "platform/ScannerProbe.h"
#include "platform/Settings.h"
#include "platform/StoredPrefsControls.h"
#include "platform/win32/AppWindows.h"
#include "reading/ReadingThread.h"
#include "resources/ResourceIds.h"
#include "shell/ShellServices.h"
#include "shell/win32/NoticeDialogs.h"

namespace {

constexpr unsigned kTabLabelFirst = 45000;  // " Scanning " ... " Advanced "
constexpr unsigned kLabelRead = 50132, kLabelOk = 10394, kLabelOpen = 10395, kLabelRecord = 10396;
constexpr unsigned kNoPlaybackDevices = 10686;
constexpr int kTextTypeSwitches = 16;

// What the dialog works on while it is open; one dialog at a time.
struct PrefsDialogState {
  int mode = kPrefsModeFull;
  bool onThread = false;
  bool modeCleared = false;
  HANDLE thread = nullptr;
  HWND tabs = nullptr;
  HWND pages[kPrefsPageCount] = {};
  int tabPages[kPrefsPageCount] = {};  // the page of each tab
  int tabCount = 0;
  int shownPage = -1;
  bool textTypesOff[kTextTypeSwitches] = {};  // the working copy of the text switches
  int playbackPort = 0;
};
PrefsDialogState State;
std::atomic<bool> Open{false};

bool (*PortName)(int index, wchar_t* out, int capacity) = nullptr;

// What an OK takes from the dialog, to apply where the settings live.
struct TakenPreferences {
  StoredPrefsControls controls;
  bool textTypesOff[kTextTypeSwitches] = {};
  int playbackPort = 0;
};

HWND PageWindow(int page) { return page >= 0 && page < kPrefsPageCount ? State.pages[page] : nullptr; }

std::u16string WindowText(HWND window) {
  const int length = window ? GetWindowTextLengthW(window) : 0;
  if (length <= 0) return std::u16string();
  std::u16string text(static_cast<size_t>(length) + 1, u'\0');
  const int got = GetWindowTextW(window, reinterpret_cast<LPWSTR>(&text[0]), length + 1);
  text.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return text;
}

// The controls of the page windows.
class DialogControls : public PrefsControls {
 public:
  int CheckState(int page, int id) const override {
    HWND p = PageWindow(page);
    return p ? static_cast<int>(IsDlgButtonChecked(p, id)) : kBoxUnchecked;
  }
  void SetCheckState(int page, int id, int state) override {
    if (HWND p = PageWindow(page)) CheckDlgButton(p, id, static_cast<UINT>(state));
  }
  int ComboSelection(int page, int id) const override { return static_cast<int>(Send(page, id, CB_GETCURSEL, 0, 0)); }
  int ComboCount(int page, int id) const override {
    const LRESULT count = Send(page, id, CB_GETCOUNT, 0, 0);
    return count > 0 ? static_cast<int>(count) : 0;
  }
  std::u16string ComboEntry(int page, int id, int index) const override {
    const LRESULT length = Send(page, id, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length <= 0) return std::u16string();
    std::u16string text(static_cast<size_t>(length) + 1, u'\0');
    const LRESULT got = Send(page, id, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(got > 0 && got <= length ? static_cast<size_t>(got) : 0);
    return text;
  }
  int TrackPosition(int page, int id) const override { return static_cast<int>(Send(page, id, TBM_GETPOS, 0, 0)); }
  void SetTrackPosition(int page, int id, int position) override { Send(page, id, TBM_SETPOS, TRUE, position); }
  std::u16string Text(int page, int id) const override {
    HWND p = PageWindow(page);
    return WindowText(p ? GetDlgItem(p, id) : nullptr);
  }
  void SetText(int page, int id, const std::u16string& text) override {
    if (HWND p = PageWindow(page)) SetDlgItemTextW(p, id, reinterpret_cast<LPCWSTR>(text.c_str()));
  }
  bool IsEnabled(int page, int id) const override {
    HWND p = PageWindow(page);
    HWND control = p ? GetDlgItem(p, id) : nullptr;
    return control && IsWindowEnabled(control);
  }
  void Enable(int page, int id, bool enabled) override {
    HWND p = PageWindow(page);
    if (HWND control = p ? GetDlgItem(p, id) : nullptr) EnableWindow(control, enabled);
  }

 private:
  LRESULT Send(int page, int id, UINT message, WPARAM wParam, LPARAM lParam) const {
    HWND p = PageWindow(page);
    return p ? SendDlgItemMessageW(p, id, message, wParam, lParam) : CB_ERR;
  }
};

bool ReadingPageOnly(int mode) { return mode >= 1 && mode <= 9; }

void SetOkLabel(HWND dialog, int mode) {
  unsigned label = 0;
  if (mode == 1 || mode == 2) label = kLabelRead;
  else if (mode == 5) label = kLabelOpen;
  else if (mode == 6) label = kLabelRecord;
  else if (mode == 3 || mode == 4 || (mode >= 7 && mode <= 9)) label = kLabelOk;
  if (!label) return;
  char16_t text[64];
  LoadUiString(label, text, 64);
  SetDlgItemTextW(dialog, IDC_PREFS_OK, reinterpret_cast<LPCWSTR>(text));
}

void AddTab(int page) {
  char16_t label[32];
  LoadUiString(kTabLabelFirst + static_cast<unsigned>(page), label, 32);
  TCITEMW item = {};
  item.mask = TCIF_TEXT;
  item.pszText = reinterpret_cast<LPWSTR>(label);
  SendMessageW(State.tabs, TCM_INSERTITEMW, static_cast<WPARAM>(State.tabCount), reinterpret_cast<LPARAM>(&item));
  State.tabPages[State.tabCount++] = page;
}

// The page the full dialog opens on: the one of the active document.
int PageForActiveDocument() {
  HWND active = Windows().mdiClient ? reinterpret_cast<HWND>(SendMessageW(Windows().mdiClient, WM_MDIGETACTIVE, 0, 0))
                                    : nullptr;
  if (active && active == Windows().pageWindow) return kPrefsReadingPage;
  if (active && active == Windows().scoreWindow) return kPrefsEditingPage;
  return kPrefsScanningPage;
}

void ShowPage(int page) {
  for (int p = 0; p < kPrefsPageCount; ++p)
    if (State.pages[p] && p != page) ShowWindow(State.pages[p], SW_HIDE);
  HWND window = PageWindow(page);
  if (!window) return;
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  const int side = MulDiv(17, dpi, 96), top = MulDiv(dpi < 120 ? 37 : 35, dpi, 96);
  SetWindowPos(window, HWND_TOP, side, top, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
  State.shownPage = page;
  for (int t = 0; t < State.tabCount; ++t)
    if (State.tabPages[t] == page) SendMessageW(State.tabs, TCM_SETCURSEL, static_cast<WPARAM>(t), 0);
}

bool Checked(int page, int id) { return IsDlgButtonChecked(PageWindow(page), id) == BST_CHECKED; }

// The scanning page's rules: what goes with which interface, and whether the
// scanner list or the TWAIN selection button is offered.
void UpdateScanningControls() {
  HWND page = PageWindow(kPrefsScanningPage);
  if (!page) return;
  const bool automatic = Checked(kPrefsScanningPage, IDC_PREF_AUTOMATIC_SCANNING);
  EnableWindow(GetDlgItem(page, IDC_PREF_PROMPT_BEFORE_SCAN), !automatic);
  EnableWindow(GetDlgItem(page, IDC_PREF_PROMPT_NOTE), !automatic);
  EnableWindow(GetDlgItem(page, IDC_PREF_SCAN_QUICKLY), automatic);
  EnableWindow(GetDlgItem(page, IDC_PREF_QUICK_SCAN_NOTE),
               automatic && Checked(kPrefsScanningPage, IDC_PREF_SCAN_QUICKLY));
  if (State.mode != kPrefsModeFull && State.mode != kPrefsModeScannerSetup) return;
  const bool list = !Checked(kPrefsScanningPage, IDC_PREF_TWAIN_SCANNING) && ListSystemScanners(nullptr);
  ShowWindow(GetDlgItem(page, IDC_PREF_SCANNER), list ? SW_SHOW : SW_HIDE);
  EnableWindow(GetDlgItem(page, IDC_PREF_SCANNER), list);
  ShowWindow(GetDlgItem(page, IDC_PREF_SELECT_TWAIN), list ? SW_HIDE : SW_SHOW);
}

void OpenSystemPlaybackProperties() {
  const wchar_t* arguments = IsWindowsNT() && WindowsVersion() >= 600 ? L"shell32.dll,Control_RunDLL MMSys.cpl,,0"
                                                                      : L"MMSys.cpl,ShowAudioPropertySheet";
  ShellExecuteW(nullptr, L"open", L"RunDLL32.exe", arguments, nullptr, SW_SHOWNORMAL);
}

void DestroyPages() {
  for (HWND& page : State.pages) {
    if (page) DestroyWindow(page);
    page = nullptr;
  }
  State.tabs = nullptr;
  State.tabCount = 0;
  State.shownPage = -1;
}

void OpenDialog(HWND dialog) {
  State.tabs = GetDlgItem(dialog, IDC_PREFS_TABS);
  SetOkLabel(dialog, State.mode);
  if (ReadingPageOnly(State.mode)) {
    AddTab(kPrefsReadingPage);
  } else if (State.mode == kPrefsModeScannerSetup) {
    AddTab(kPrefsScanningPage);
  } else {
    for (int page = 0; page < kPrefsPageCount; ++page) AddTab(page);
  }
  HINSTANCE instance = Windows().instance ? Windows().instance : GetModuleHandleW(nullptr);
  for (int page = 0; page < kPrefsPageCount; ++page) {
    State.pages[page] = CreateDialogParamW(instance, MAKEINTRESOURCEW(kPrefsFirstPageTemplate + page), State.tabs,
                                           PreferencesPageProc, page);
  }
  DialogControls controls;
  FillPreferences(controls);
  for (int k = 0; k < kTextTypeSwitches; ++k) State.textTypesOff[k] = Unsaved().textClassSwitches[k];
  State.playbackPort = static_cast<int>(General().midiPlaybackDevice);
  FillMidiPortCombo(GetDlgItem(State.pages[kPrefsAdvancedPage], IDC_PREF_PLAYBACK_DEVICE));
  UpdateScanningControls();
  const int first = ReadingPageOnly(State.mode)               ? kPrefsReadingPage
                    : State.mode == kPrefsModeScannerSetup   ? kPrefsScanningPage
                    : State.mode == kPrefsModeFull           ? PageForActiveDocument()
                                                              : kPrefsScanningPage;
  ShowPage(first);
  CentreDialog(dialog);
}

void ApplyTaken(const TakenPreferences& taken) {
  for (int k = 0; k < kTextTypeSwitches; ++k) Unsaved().textClassSwitches[k] = taken.textTypesOff[k];
  General().midiPlaybackDevice = static_cast<uint32_t>(taken.playbackPort);
  ApplyPreferences(taken.controls);
  if (CurrentShellServices().placeScoreViews) CurrentShellServices().placeScoreViews(1);
}

// OK: on the interface thread the settings change at once; a dialog on a
// thread of its own hands what it took to the interface thread, which owns
// the settings and the views (a send would wait for a frame that may be
// drawing a page under the reading lock).
void TakeAndApply() {
  auto taken = std::make_unique<TakenPreferences>();
  taken->controls = StoredPrefsControls::Capture(DialogControls());
  for (int k = 0; k < kTextTypeSwitches; ++k) taken->textTypesOff[k] = State.textTypesOff[k];
  taken->playbackPort = State.playbackPort;
  if (State.onThread && Windows().frame) {
    if (PostMessageW(Windows().frame, kApplyPostedPreferences, 0, reinterpret_cast<LPARAM>(taken.get()))) {
      taken.release();
    }
    return;
  }
  ApplyTaken(*taken);
}

void EndPreferences(HWND dialog, bool ok) {
  if (ok) {
    TakeAndApply();
    if (!ReadingPageOnly(State.mode)) State.modeCleared = true;
  } else {
    // The settings belong to the interface thread; the dialog chooses no
    // other language, so a dialog on its own thread leaves them alone.
    if (!State.onThread) ApplyInstrumentLanguage();
    State.modeCleared = true;
  }
  DestroyPages();
  EndDialog(dialog, ok ? IDOK : IDCANCEL);
}

void RunDialog() {
  HINSTANCE instance = Windows().instance ? Windows().instance : GetModuleHandleW(nullptr);
  DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_PREFERENCES), Windows().frame, PreferencesDialogProc, 0);
  SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
}

// The dialog's text switches: a box ticked while its kind of text is read.
void FillTextTypes(HWND dialog) {
  for (int k = 0; k < TEXT_TYPE_COUNT; ++k)
    CheckDlgButton(dialog, IDC_TEXT_TYPE_FIRST + k, State.textTypesOff[k] ? BST_UNCHECKED : BST_CHECKED);
}

void TakeTextTypes(HWND dialog) {
  for (int k = 0; k < TEXT_TYPE_COUNT; ++k)
    State.textTypesOff[k] = IsDlgButtonChecked(dialog, IDC_TEXT_TYPE_FIRST + k) != BST_CHECKED;
}

void RedrawDocuments() {
  for (HWND window : {Windows().scoreWindow, Windows().pageWindow})
    if (HoldsWindow(window) && IsWindow(window)) InvalidateRect(window, nullptr, FALSE);
}

void OpenFromCommand(int mode) {
  // Opened while a page is read, the dialog runs on a thread of its own, so
  // the frame goes on taking the reading's messages.
  OpenPreferences(mode, ReadingActive().load() != 0);
}

}  // namespace

bool PreferencesOpen() { return Open.load(); }

bool OpenPreferences(int mode, bool onThread) {
  if (Open.load()) return false;
  if (mode >= 1 && mode < 10 && !General().quickPrefs) return false;
  Open.store(true);
  State = PrefsDialogState();
  State.mode = mode;
  State.onThread = onThread;
  SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT)));
  if (!onThread) {
    RunDialog();
    const bool cleared = State.modeCleared;
    State.mode = kPrefsModeFull;
    Open.store(false);
    return cleared;
  }
  State.thread = CreateThread(nullptr, 0, PreferencesThread, nullptr, CREATE_SUSPENDED, nullptr);
  if (!State.thread) {
    Open.store(false);
    return false;
  }
  SetThreadPriority(State.thread, THREAD_PRIORITY_ABOVE_NORMAL);
  ResumeThread(State.thread);
  return true;
}

DWORD WINAPI PreferencesThread(LPVOID) {
  RunDialog();
  HANDLE self = State.thread;
  State.thread = nullptr;
  State.mode = kPrefsModeFull;
  if (self) CloseHandle(self);
  Open.store(false);
  return 0;
}

INT_PTR CALLBACK PreferencesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OpenDialog(dialog);
      return TRUE;
    case WM_NOTIFY: {
      const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->idFrom == IDC_PREFS_TABS && header->code == TCN_SELCHANGE && State.mode == kPrefsModeFull) {
        const int tab = static_cast<int>(SendMessageW(State.tabs, TCM_GETCURSEL, 0, 0));
        if (tab >= 0 && tab < State.tabCount) ShowPage(State.tabPages[tab]);
        return TRUE;
      }
      break;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_PREFS_OK:
        case IDOK:
          EndPreferences(dialog, true);
          return TRUE;
        case IDC_PREFS_CANCEL:
        case IDCANCEL:
          EndPreferences(dialog, false);
          return TRUE;
      }
      break;
    case WM_CLOSE:
      EndPreferences(dialog, false);
      return TRUE;
  }
  return FALSE;
}

INT_PTR CALLBACK PreferencesPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrW(page, DWLP_USER, lParam);
      return FALSE;
    case WM_COMMAND: {
      const int which = static_cast<int>(GetWindowLongPtrW(page, DWLP_USER));
      const int id = LOWORD(wParam);
      if (which == kPrefsScanningPage) {
        if (id == IDC_PREF_AUTOMATIC_SCANNING || id == IDC_PREF_OWN_SCANNING || id == IDC_PREF_TWAIN_SCANNING ||
            id == IDC_PREF_SCAN_QUICKLY) {
          UpdateScanningControls();
        }
        return TRUE;
      }
      if (which == kPrefsReadingPage) {
        if (id == IDC_PREF_TEXT || id == IDC_PREF_HANDWRITTEN) {
          DialogControls controls;
          EnableAdvancedFromBoxes(controls);
        }
        if (id == IDC_PREF_ADVANCED) {
          HINSTANCE instance = Windows().instance ? Windows().instance : GetModuleHandleW(nullptr);
          DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_TEXT_RECOGNITION), GetParent(GetParent(page)),
                          TextRecognitionDialogProc, 0);
        }
        return TRUE;
      }
      if (which == kPrefsAdvancedPage) {
        if (id == IDC_PREF_PLAYBACK_PROPERTIES) OpenSystemPlaybackProperties();
        if (id == IDC_PREF_PLAYBACK_DEVICE && HIWORD(wParam) == CBN_SELCHANGE) {
          const LRESULT chosen = SendDlgItemMessageW(page, IDC_PREF_PLAYBACK_DEVICE, CB_GETCURSEL, 0, 0);
          if (chosen != CB_ERR && IsWindowEnabled(GetDlgItem(page, IDC_PREF_PLAYBACK_DEVICE))) {
            State.playbackPort = static_cast<int>(chosen);
          }
        }
        return TRUE;
      }
      return TRUE;
    }
  }
  return FALSE;
}

INT_PTR CALLBACK TextRecognitionDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      CentreDialog(dialog);
      FillTextTypes(dialog);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        TakeTextTypes(dialog);
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      break;
    case WM_CLOSE:
      EndDialog(dialog, IDCANCEL);
      return TRUE;
  }
  return FALSE;
}

void FillMidiPortCombo(HWND combo) {
  if (!combo) return;
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  const int ports = CurrentShellServices().enumerateMidiPorts ? CurrentShellServices().enumerateMidiPorts() : 0;
  for (int port = 0; port < ports; ++port) {
    wchar_t name[256] = {};
    if (!PortName || !PortName(port, name, 256)) wsprintfW(name, L"%d", port + 1);
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
  }
  if (ports > 0) {
    const int chosen = State.playbackPort >= 0 && State.playbackPort < ports ? State.playbackPort : 0;
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
    EnableWindow(combo, TRUE);
    return;
  }
  char16_t none[128];
  LoadUiString(kNoPlaybackDevices, none, 128);
  SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(none));
  SendMessageW(combo, CB_SETCURSEL, 0, 0);
  EnableWindow(combo, FALSE);
}

void SetMidiPortNames(bool (*portName)(int, wchar_t*, int)) { KeepIfSet(PortName, portName); }

LRESULT ApplyPostedPreferences(LPARAM lParam) {
  std::unique_ptr<TakenPreferences> taken(reinterpret_cast<TakenPreferences*>(lParam));
  if (taken) ApplyTaken(*taken);
  return 0;
}

void InstallPreferencesDialog() {
  ShellServices services{};
  services.openPreferences = OpenFromCommand;
  SetShellServices(services);
  PreferenceEffects effects;
  effects.redrawViews = RedrawDocuments;
  effects.showHandwritingNotice = ShowHandwrittenWarning;
  SetPreferenceEffects(effects);
}
