// The real program, started and watched from outside: its settings and page
// store set before a start, its process, its frame, its message boxes and
// dialogs, and waits with time-outs. Every wait fails the running test on a
// box that no one expected, on a frame that stops answering and on a program
// that ends when it should not.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// A dialog window (class "#32770") of the program: a message box or any
// other dialog, but not the progress window, which asks nothing.
struct ProgramBox {
  HWND window = nullptr;
  std::u16string caption;
  std::u16string text;  // the texts of its static controls, one per line
};

// What a case expects of one box: its text is the UI string of textId;
// pressing button (IDYES, IDNO, IDCANCEL, IDOK) answers it.
struct ExpectedBox {
  unsigned textId;
  int button;
};

// A text as the wide Win32 calls take it.
inline const wchar_t* W(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }
// Whether a file or folder is at path.
inline bool Exists(const std::u16string& path) { return GetFileAttributesW(W(path)) != INVALID_FILE_ATTRIBUTES; }

constexpr DWORD kStartTimeoutMs = 30000;
constexpr DWORD kAnswerTimeoutMs = 10000;
constexpr DWORD kExitTimeoutMs = 20000;
// Opening a page prepares it (threshold, angle, levelling): generous, for a
// loaded machine; a passing run never waits this long.
constexpr DWORD kPageOpenTimeoutMs = 180000;

class ProgramUnderTest {
 public:
  ProgramUnderTest() = default;
  ~ProgramUnderTest();  // ends a program that is still running (a failure)
  ProgramUnderTest(const ProgramUnderTest&) = delete;
  ProgramUnderTest& operator=(const ProgramUnderTest&) = delete;

  // ---- Before a start ----

  // Forgets every setting and the whole data folder, then writes quiet
  // settings: no splash window and no start-up notices. Web pages and
  // documents that the program opens go to a browser that does nothing.
  static bool ResetState();
  // The program's data folder and its page folder (which the program makes
  // at start-up; SeedPagesFolder makes it before).
  static std::u16string DataFolder();
  static std::u16string PagesFolder();
  static std::u16string PagesPath(const std::u16string& name);
  static bool SeedPagesFolder();

  // ---- The process ----

  // Starts Korvalinde.exe in its own folder.
  bool Start();
  DWORD ProcessId() const { return processId_; }
  bool IsRunning() const;
  // Waits for the frame "DEV_ODI" to be shown and to answer.
  bool WaitForFrame(DWORD timeoutMs = kStartTimeoutMs);
  HWND FrameWindow() const { return frame_; }
  // The frame handles a sent message within the time-out.
  bool FrameAnswers(DWORD timeoutMs = kAnswerTimeoutMs);
  bool PostCommand(WORD id, LPARAM lParam = 0);
  bool PostToFrame(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  // Ends the program at once, as a crash or a power cut would: nothing of
  // its shut-down runs. The next Start() starts it afresh.
  void Kill();
  // Waits for the program to end and gives its exit code; fails the test
  // when it does not end in time.
  bool WaitForExit(DWORD* exitCode, DWORD timeoutMs = kExitTimeoutMs);

  // ---- Windows ----

  std::vector<ProgramBox> Boxes() const;
  // The text of a field of the frame's status bar (empty without one).
  std::u16string StatusText(int field) const;
  // The program's visible top-level or MDI windows of a class.
  std::vector<HWND> WindowsOfClass(const char16_t* className) const;

  // Waits for a box with the UI string textId and gives it (null on
  // failure). Any other box meanwhile fails the test.
  HWND WaitForBox(unsigned textId, DWORD timeoutMs = kStartTimeoutMs);
  // The same, then presses the expected button and waits for the box to go.
  bool AnswerBox(const ExpectedBox& expected, DWORD timeoutMs = kStartTimeoutMs);
  // Waits for a dialog that a command opens, whatever it is (null when none
  // comes), and closes it with its Cancel or OK button.
  HWND WaitForDialog(DWORD timeoutMs = kStartTimeoutMs);
  bool CloseDialog(DWORD timeoutMs = kStartTimeoutMs);
  // Sets the text of a dialog's control, or presses its button and waits
  // for the dialog to go.
  bool SetDialogText(HWND dialog, int control, const std::u16string& text);
  bool PressDialogButton(HWND dialog, int button);
  // Clicks a check box of a dialog as the user would (the dialog hears of
  // it); its state afterwards into *checkedAfter.
  bool ClickDialogCheckBox(HWND dialog, int control, bool* checkedAfter = nullptr);
  bool IsDialogBoxChecked(HWND dialog, int control) const;
  // Waits until done() holds; fails the test (naming what) on time-out, an
  // unexpected box or an ended program.
  bool WaitUntil(const std::function<bool()>& done, const char* what, DWORD timeoutMs = kStartTimeoutMs);
  // Lets the program run for a while and checks that it shows no box, is
  // still running and answers.
  bool StaysQuiet(DWORD milliseconds);
  // Closes any dialog the program shows, by its Cancel, No, OK or Close; the
  // texts of those it closed.
  std::vector<std::u16string> DismissBoxes();

 private:
  bool FailOnBoxes(const char* during);
  bool WaitForBoxToGo(HWND box);
  HANDLE process_ = nullptr;
  DWORD processId_ = 0;
  HWND frame_ = nullptr;
};

// The UI string of an id, from the program's string table.
std::u16string ProgramText(unsigned id);
// A Unix path below the source or build tree in the form Windows programs
// under Wine take (drive Z:).
std::u16string WindowsPath(const std::string& unixPath);
std::string Narrow(const std::u16string& text);  // UTF-8, for messages
