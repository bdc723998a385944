#include "tests/e2e/ProgramCase.h"

#include <dlgs.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ResourceIds.h"
#include "platform/Folders.h"
#include "pages/PageTable.h"
#include "score/ScoreFile.h"
#include "score/ScoreItem.h"
#include "score/ScoreStream.h"
#include "tests/support/TestPaths.h"

namespace {

constexpr char16_t kInputFolder[] = u"C:\\e2e-files";
constexpr char kPageTiffFixture[] = "tests/Code/Quorm/fixtures/melody.tif";
constexpr uint8_t kEndOfStream = 0x90;

char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

bool BeginsWith(const char16_t* name, const std::u16string& stem) {
  for (size_t i = 0; i < stem.size(); ++i) {
    if (!name[i] || Lower(name[i]) != Lower(stem[i])) return false;
  }
  return true;
}

constexpr int kMusicXmlType = 4;

bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result = nullptr) {
  DWORD_PTR answer = 0;
  bool sent = SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &answer) != 0;
  if (result) *result = answer;
  return sent;
}

}  // namespace

int FileNameBox(HWND dialog) { return GetDlgItem(dialog, cmb13) ? cmb13 : edt1; }

// The number of types the file dialog offers.
int TypeCount(HWND dialog) {
  DWORD_PTR count = 0;
  HWND types = GetDlgItem(dialog, cmb1);
  if (!types || !Send(types, CB_GETCOUNT, 0, 0, &count)) return -1;
  return int(count);
}

// Chooses a type (from 1) in the file dialog as the user would: the list's
// selection changes and the choice ends.
bool ChooseType(HWND dialog, int type) {
  HWND types = GetDlgItem(dialog, cmb1);
  LPARAM from = reinterpret_cast<LPARAM>(types);
  return types && Send(types, CB_SETCURSEL, WPARAM(type - 1), 0) &&
         Send(dialog, WM_COMMAND, MAKEWPARAM(cmb1, CBN_SELCHANGE), from) &&
         Send(dialog, WM_COMMAND, MAKEWPARAM(cmb1, CBN_SELENDOK), from);
}

bool FileBegins(const std::u16string& path, const std::string& start) {
  HANDLE file = CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  std::vector<char> bytes(start.size());
  DWORD read = 0;
  bool ok = ReadFile(file, bytes.data(), DWORD(bytes.size()), &read, nullptr) && read == bytes.size();
  CloseHandle(file);
  return ok && std::string(bytes.begin(), bytes.end()) == start;
}

bool ProgramCase::SaveAsMusicXml(const std::u16string& path, DWORD timeoutMs) {
  return SaveAsMusicXml(path, path, timeoutMs);
}

bool ProgramCase::SaveAsMusicXml(const std::u16string& typed, const std::u16string& written, DWORD timeoutMs) {
  if (!program.PostCommand(IDM_FILE_SAVE_AS)) return false;
  HWND dialog = program.WaitForDialog();
  if (!dialog) return false;
  EXPECT_EQ(TypeCount(dialog), 5) << "Save As offers the score file and both exports";
  return ChooseType(dialog, kMusicXmlType) && program.SetDialogText(dialog, FileNameBox(dialog), typed) &&
         program.PressDialogButton(dialog, IDOK) &&
         program.WaitUntil([&] { return FileBegins(written, "<?xml"); }, "the exported MusicXML file", timeoutMs);
}

bool ProgramCase::StartQuietly() { return program.Start() && program.WaitForFrame(); }

bool ProgramCase::StartRestoringBackup() {
  return program.Start() && program.AnswerBox({kBackupQuestion, IDYES}) && program.WaitForFrame();
}

bool ProgramCase::StartWithModifiedScore() { return SeedBackup(kBackupFileName) && StartRestoringBackup(); }

bool ProgramCase::StartWithFluteScore(const std::vector<uint8_t>& part) {
  return SeedFluteBackup(part) && StartRestoringBackup();
}

bool& ProgramCase::PagesCopied() {
  static bool copied = false;
  return copied;
}

bool ProgramCase::ExitCleanly() {
  const bool discardReadScore = PagesCopied();
  // Opened pages are read at once and the program refuses to exit while it
  // reads (string 11540): that refusal is answered and the exit asked again,
  // as a user would, until the reading has ended.
  const unsigned kExitWhileReading = 11540;
  const std::u16string refused = ProgramText(kExitWhileReading).substr(0, 30);
  const std::u16string saveFirst = ProgramText(kSaveQuestion).substr(0, 30);
  auto shows = [](const std::vector<ProgramBox>& boxes, const std::u16string& text) {
    return boxes.size() == 1 && boxes[0].text.find(text) != std::u16string::npos;
  };
  for (int attempt = 0; attempt < 240; ++attempt) {
    if (!program.PostCommand(IDM_FILE_EXIT)) return false;
    // A page being prepared or merged can hold the frame for a while: the
    // boxes of Exit come once it is back at its messages.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(program.FrameWindow(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kPageOpenTimeoutMs, &ignored);
    bool askAgain = false, asked = false;
    for (int wait = 0; wait < 10 && program.IsRunning() && !askAgain && !asked; ++wait) {
      Sleep(100);
      const std::vector<ProgramBox> boxes = program.Boxes();
      if (shows(boxes, refused)) {
        program.DismissBoxes();
        askAgain = true;
      } else if (discardReadScore && shows(boxes, saveFirst)) {
        if (!program.AnswerBox({kSaveQuestion, IDNO})) return false;
        asked = true;
      }
    }
    if (!askAgain) break;
  }
  return EndsWithExitCodeZero(program);
}

bool ProgramCase::CloseDiscardingChanges() {
  return program.PostToFrame(WM_CLOSE) && program.AnswerBox({kSaveQuestion, IDNO}) && EndsWithExitCodeZero(program);
}

bool ProgramCase::ExitDiscardingChanges() {
  return program.PostCommand(IDM_FILE_EXIT) && program.AnswerBox({kSaveQuestion, IDNO}) &&
         EndsWithExitCodeZero(program);
}

bool ProgramCase::ReadPageByDde(const std::u16string& name) {
  const std::u16string tiff = CopyPageTiff(name + u".tif");
  DdeClient dde;
  if (!ConnectDde(&dde)) return false;
  if (dde.Execute(OpenCommand(tiff)) != ExecuteResult::kAccepted) {
    ADD_FAILURE() << "the DDE open was not accepted";
    return false;
  }
  PageRecord record{};
  const bool merged = program.WaitUntil([&] { return PageNamed(name, &record) && record.state == kPageRead; },
                                        "the read page merged into the score", kPageOpenTimeoutMs);
  EXPECT_TRUE(merged) << "state " << int(record.state) << ", flags " << record.flags;
  return merged;
}

bool ProgramCase::StartAndOpenTwoPages(DdeClient* dde, const std::u16string& first, const std::u16string& second) {
  const std::u16string firstTiff = CopyPageTiff(first + u".tif");
  const std::u16string secondTiff = CopyPageTiff(second + u".tif");
  if (!StartQuietly() || !ConnectDde(dde)) return false;
  if (dde->Execute(OpenCommand(firstTiff)) != ExecuteResult::kAccepted) {
    ADD_FAILURE() << "the first DDE open was not accepted";
    return false;
  }
  if (!program.WaitUntil([&] { return PagesNamed(first) == 1; }, "the first page stored", 60000)) return false;
  if (dde->Execute(OpenCommand(secondTiff)) != ExecuteResult::kAccepted) {
    ADD_FAILURE() << "the second DDE open was not accepted";
    return false;
  }
  return program.WaitUntil([&] { return PagesNamed(first) == 1 && PagesNamed(second) == 1; },
                           "both pages in the index", kPageOpenTimeoutMs);
}

bool EndsWithExitCodeZero(ProgramUnderTest& program) {
  DWORD code = 1;
  if (!program.WaitForExit(&code)) return false;
  EXPECT_EQ(code, 0u) << "exit code";
  return code == 0;
}

INPUT KeyStroke(WORD key, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return input;
}

bool ProgramCase::FrameInFront() {
  constexpr DWORD kForegroundTimeoutMs = 5000;
  HWND frame = program.FrameWindow();
  SetForegroundWindow(frame);
  return program.WaitUntil([frame] { return GetForegroundWindow() == frame; }, "the frame in front",
                           kForegroundTimeoutMs);
}

bool ProgramCase::ConnectDde(DdeClient* client, DWORD timeoutMs) {
  bool connected = client->Connect("Korvalinde", "System", timeoutMs);
  EXPECT_TRUE(connected) << "no DDE conversation with Korvalinde/System";
  return connected;
}

std::u16string ProgramCase::InputPath(const std::u16string& name) {
  CreateDirectoryW(W(kInputFolder), nullptr);
  return std::u16string(kInputFolder) + u"\\" + name;
}

std::u16string ProgramCase::CopyPageTiff(const std::u16string& name) {
  PagesCopied() = true;
  std::u16string target = InputPath(name);
  if (!CopyFileW(W(SourcePath(kPageTiffFixture)), W(target), FALSE)) {
    ADD_FAILURE() << "cannot copy the page fixture to " << Narrow(target);
  }
  return target;
}

namespace {

// One empty part on one page: a modified score once it is restored.
bool MakeSmallScore() {
  SetDataFolder(ProgramUnderTest::DataFolder().c_str());
  ResetScoreStreams();
  ResetPartRecords();
  ScoreFormatVersion = kCurrentScoreFormatVersion;
  PartCount = 1;
  if (GrowScoreStream(0, 1) != 1) return false;
  StreamBytes(ScoreStream, 0)[0] = kEndOfStream;
  ScoreStream.used[0] = 1;
  std::memcpy(PartNameTable[0], u"Piano", sizeof u"Piano");
  ScorePages = ScorePageList{};
  return true;
}

// One flute part holding the stream part; slot 0, the work stream, empty.
bool MakeFluteScore(const std::vector<uint8_t>& part) {
  SetDataFolder(ProgramUnderTest::DataFolder().c_str());
  ResetScoreStreams();
  ResetPartRecords();
  ScoreFormatVersion = kCurrentScoreFormatVersion;
  const std::vector<uint8_t> streams[2] = {{kEndOfScore}, part};
  PartCount = 2;
  for (int slot = 0; slot < 2; ++slot) {
    if (GrowScoreStream(slot, uint32_t(streams[slot].size())) != 1) return false;
    std::copy(streams[slot].begin(), streams[slot].end(), StreamBytes(ScoreStream, slot));
    ScoreStream.used[slot] = uint32_t(streams[slot].size());
  }
  std::memcpy(PartNameTable[1], u"Flute", sizeof u"Flute");
  ScorePages = ScorePageList{};
  return true;
}

// Writes the score made as the backup of the given name.
bool WriteBackup(const char16_t* name) {
  const std::u16string path = ProgramUnderTest::PagesPath(name);
  bool written = WriteScoreFile(path.c_str(), 1, kTargetScore, 1, 0, 0) == 1;
  EXPECT_TRUE(written) << "cannot write the backup " << Narrow(path);
  return written;
}

}  // namespace

bool ProgramCase::SeedBackup(const char16_t* name) {
  return ProgramUnderTest::SeedPagesFolder() && MakeSmallScore() && WriteBackup(name);
}

bool ProgramCase::SeedFluteBackup(const std::vector<uint8_t>& part) {
  return ProgramUnderTest::SeedPagesFolder() && MakeFluteScore(part) && WriteBackup(kBackupFileName);
}

bool ProgramCase::WriteSmallScore(const std::u16string& path) {
  if (!ProgramUnderTest::SeedPagesFolder() || !MakeSmallScore()) return false;
  bool written = WriteScoreFile(path.c_str(), 1, kTargetScore, 0, 0, 0) == 1;
  EXPECT_TRUE(written) << "cannot write the score " << Narrow(path);
  return written;
}

bool MakePagedScore(int pageMarks, const std::vector<uint16_t>& dataIds, uint32_t keyBase) {
  if (!ProgramUnderTest::SeedPagesFolder()) return false;
  SetDataFolder(ProgramUnderTest::DataFolder().c_str());
  ResetScoreStreams();
  ResetPartRecords();
  ScoreFormatVersion = kCurrentScoreFormatVersion;
  PartCount = 1;
  std::vector<uint8_t> stream;
  for (int mark = 0; mark < pageMarks; ++mark) stream.insert(stream.end(), {kBarBoundary, kPageMark});
  stream.insert(stream.end(), {kBarBoundary, kEndOfScore});
  if (GrowScoreStream(0, static_cast<uint32_t>(stream.size())) != 1) return false;
  std::memcpy(StreamBytes(ScoreStream, 0), stream.data(), stream.size());
  ScoreStream.used[0] = static_cast<uint32_t>(stream.size());
  std::memcpy(PartNameTable[0], u"Piano", sizeof u"Piano");
  ScorePages = ScorePageList{};
  ScorePages.count = std::min(pageMarks + 1, kMaxScorePages);
  for (int page = 0; page < ScorePages.count; ++page) {
    const uint16_t id = size_t(page) < dataIds.size() ? dataIds[page] : kNoPageDataId;
    ScorePages.rows[page] = ScorePageRow{id, 300, keyBase + static_cast<uint32_t>(page)};
    ScorePages.second[page] = keyBase + static_cast<uint32_t>(page);
  }
  return true;
}

bool ProgramCase::PagesFileExists(const char16_t* name) {
  return Exists(ProgramUnderTest::PagesPath(name));
}

std::string SharedFileBytes(const std::u16string& path) {
  HANDLE in = CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, 0, nullptr);
  if (in == INVALID_HANDLE_VALUE) return {};
  std::string bytes;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(in, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(in);
  return bytes;
}

namespace {

// A copy of a file the program may replace at any moment: opened with every
// sharing right, so the harness never holds up the program's replacing of
// it (a rename over a file open without delete sharing fails).
bool CopySharedFile(const std::u16string& from, const std::u16string& to) {
  HANDLE in = CreateFileW(W(from), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, 0, nullptr);
  if (in == INVALID_HANDLE_VALUE) return false;
  CloseHandle(in);
  const std::string bytes = SharedFileBytes(from);
  HANDLE out = CreateFileW(W(to), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (out == INVALID_HANDLE_VALUE) return false;
  DWORD put = 0;
  const bool written = WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) &&
                       put == bytes.size();
  CloseHandle(out);
  return written;
}

}  // namespace

int ProgramCase::PagesNamed(const std::u16string& stem) {
  auto table = std::make_unique<PageTable>();
  const std::u16string index = InputPath(u"index-seen-by-the-harness");
  if (!CopySharedFile(ProgramUnderTest::PagesPath(kPageIndexName), index)) return -1;
  if (ReadPageIndexFile(index.c_str(), table.get()) != IndexRead::kRead) return -1;
  int found = 0;
  for (uint32_t row = 0; row < table->pageCount && row < kMaxPages; ++row) {
    if (BeginsWith(table->rows[row].name, stem)) ++found;
  }
  return found;
}

int ProgramCase::RowOfPage(const std::u16string& stem) {
  auto table = std::make_unique<PageTable>();
  const std::u16string index = InputPath(u"index-seen-by-the-harness");
  if (!CopySharedFile(ProgramUnderTest::PagesPath(kPageIndexName), index)) return -1;
  if (ReadPageIndexFile(index.c_str(), table.get()) != IndexRead::kRead) return -1;
  for (uint32_t row = 0; row < table->pageCount && row < kMaxPages; ++row)
    if (BeginsWith(table->rows[row].name, stem)) return static_cast<int>(row);
  return -1;
}

HWND PagesPaneOf(HWND frame) { return FindWindowExW(frame, nullptr, L"ViewPages", nullptr); }

int ReadSectionTop(HWND pane) {
  int top = 0;
  for (HWND bar = FindWindowExW(pane, nullptr, L"ScrollBar", nullptr); bar;
       bar = FindWindowExW(pane, bar, L"ScrollBar", nullptr)) {
    RECT r{};
    GetWindowRect(bar, &r);
    MapWindowPoints(nullptr, pane, reinterpret_cast<POINT*>(&r), 2);
    top = std::max<int>(top, r.top);
  }
  return top;
}

bool ProgramCase::PageNamed(const std::u16string& stem, PageRecord* record) {
  auto table = std::make_unique<PageTable>();
  const std::u16string index = InputPath(u"index-seen-by-the-harness");
  if (!CopySharedFile(ProgramUnderTest::PagesPath(kPageIndexName), index)) return false;
  if (ReadPageIndexFile(index.c_str(), table.get()) != IndexRead::kRead) return false;
  for (uint32_t row = 0; row < table->pageCount && row < kMaxPages; ++row)
    if (BeginsWith(table->rows[row].name, stem)) {
      *record = table->rows[row];
      return true;
    }
  return false;
}
