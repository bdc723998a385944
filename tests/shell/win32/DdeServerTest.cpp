#include <gtest/gtest.h>

#include <windows.h>
#include <ddeml.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/AppWindows.h"
#include "reading/FileOpener.h"
#include "shell/win32/DdeServer.h"
#include "tests/support/BoxRecorder.h"
#include "tests/support/TestText.h"

namespace {

// A frame stand-in that keeps what the server posts to it.
class DdeServerTest : public testing::Test {
 protected:
  void SetUp() override {
    OpenFiles.count = 0;
    frame_ = CreateWindowExW(0, L"STATIC", L"frame", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(frame_, nullptr);
    savedFrame_ = Windows().frame;
    Windows().frame = frame_;
    ASSERT_TRUE(StartDdeServer());
    ASSERT_NE(DdeServer.instance, 0u);
  }
  void TearDown() override {
    for (HSZ name : names_) DdeFreeStringHandle(DdeServer.instance, name);
    names_.clear();
    StopDdeServer();
    Windows().frame = savedFrame_;
    DestroyWindow(frame_);
    OpenFiles.count = 0;
  }

  HSZ Name(const char* text) {
    HSZ name = DdeCreateStringHandleA(DdeServer.instance, text, CP_WINANSI);
    names_.push_back(name);
    return name;
  }

  // The server's answer to an execute with these bytes on the topic.
  UINT_PTR Execute(const char* topic, const std::string& bytes) {
    HDDEDATA data = DdeCreateDataHandle(DdeServer.instance, reinterpret_cast<LPBYTE>(const_cast<char*>(bytes.data())),
                                        static_cast<DWORD>(bytes.size()), 0, nullptr, CF_TEXT, 0);
    EXPECT_NE(data, nullptr);
    HDDEDATA answer = DdeServerCallback(XTYP_EXECUTE, 0, nullptr, Name(topic), nullptr, data, 0, 0);
    DdeFreeDataHandle(data);
    return reinterpret_cast<UINT_PTR>(answer);
  }

  // The requests posted to the frame since the last call.
  std::vector<WPARAM> Posted() {
    std::vector<WPARAM> requests;
    MSG msg;
    while (PeekMessageW(&msg, frame_, kDdeServerMessage, kDdeServerMessage, PM_REMOVE)) requests.push_back(msg.wParam);
    return requests;
  }

  HWND frame_ = nullptr;
  HWND savedFrame_ = nullptr;
  std::vector<HSZ> names_;
};

HDDEDATA CALLBACK IgnoreEverything(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) { return nullptr; }

std::string Command(const std::string& text) { return text + std::string(1, '\0'); }

TEST_F(DdeServerTest, ConnectsOnSystemAndActivateOnly) {
  struct Case {
    const char* topic;
    bool accepted;
  };
  const Case cases[] = {{"System", true}, {"Activate", true}, {"Systems", false}, {"Other", false}};
  for (const Case& c : cases) {
    HDDEDATA answer = DdeServerCallback(XTYP_CONNECT, 0, nullptr, Name(c.topic), Name("Korvalinde"), nullptr, 0, 0);
    EXPECT_EQ(answer != nullptr, c.accepted) << c.topic;
  }
}

TEST_F(DdeServerTest, AnOpenOnSystemQueuesThePathAndPostsToTheFrame) {
  EXPECT_EQ(Execute("System", Command("[open(\"C:\\Scans\\page.tif\")]")), static_cast<UINT_PTR>(DDE_FACK));
  ASSERT_EQ(OpenFiles.count, 1);
  EXPECT_EQ(std::u16string(OpenFiles.paths[0]), u"C:\\Scans\\page.tif");
  EXPECT_EQ(std::u16string(OpenFiles.types[0]), u".tif");
  EXPECT_EQ(Posted(), (std::vector<WPARAM>{kDdeRequestOpen}));
}

TEST_F(DdeServerTest, RefusesWhatItDoesNotKnow) {
  const struct {
    const char* topic;
    std::string bytes;
  } cases[] = {
      {"Activate", Command("[open(\"C:\\a.tif\")]")},
      {"System", Command("Activate")},
      {"System", Command("[open(C:\\a.tif)]")},
      {"System", Command("[open(\"C:\\a.tif\"")},
      {"System", Command("[open(\"" + std::string(300, 'x') + "\")]")},
      {"System", Command("[open(\"" + std::string(600, 'x') + "\")]")},  // beyond the command buffer
      {"System", std::string()},
      {"Other", Command("[open(\"C:\\a.tif\")]")},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Execute(c.topic, c.bytes), static_cast<UINT_PTR>(DDE_FNOTPROCESSED)) << c.topic << " " << c.bytes;
  EXPECT_EQ(OpenFiles.count, 0);
  EXPECT_TRUE(Posted().empty());
}

TEST_F(DdeServerTest, AFullQueueRefusesTheOpen) {
  OpenFiles.count = kOpenFileQueueSlots;
  EXPECT_EQ(Execute("System", Command("[open(\"C:\\a.tif\")]")), static_cast<UINT_PTR>(DDE_FNOTPROCESSED));
  EXPECT_EQ(OpenFiles.count, kOpenFileQueueSlots);
  EXPECT_TRUE(Posted().empty());
}

TEST_F(DdeServerTest, PrintAndActivateAreAcknowledgedAndLeftToTheFrame) {
  EXPECT_EQ(Execute("System", Command("[print(\"C:\\a.opt\")]")), static_cast<UINT_PTR>(DDE_FACK));
  EXPECT_EQ(Execute("Activate", Command("Activate")), static_cast<UINT_PTR>(DDE_FACK));
  EXPECT_EQ(Posted(), (std::vector<WPARAM>{kDdeRequestPrint, kDdeRequestActivate}));
  BoxRecorder boxes;
  OnDdeServerMessage(frame_, kDdeRequestPrint, 0);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, UiText(10172));
}

TEST_F(DdeServerTest, BeforeStartUpEndsTheFrameLeavesTheQueueToStartUp) {
  DdeServer.running = false;
  EXPECT_EQ(Execute("System", Command("[open(\"C:\\missing\\a.tif\")]")), static_cast<UINT_PTR>(DDE_FACK));
  OnDdeServerMessage(frame_, kDdeRequestOpen, 0);
  EXPECT_EQ(OpenFiles.count, 1);
  // While a drain runs, the drain takes the new paths.
  DdeServer.running = true;
  OpenFiles.busy = true;
  OnDdeServerMessage(frame_, kDdeRequestOpen, 0);
  EXPECT_EQ(OpenFiles.count, 1);
  OpenFiles.busy = false;
  DdeServer.running = false;
}

TEST_F(DdeServerTest, AnOpenRestoresAMinimizedFrameAndDrainsTheQueue) {
  HWND frame = CreateWindowExW(0, L"STATIC", L"frame", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                               nullptr, nullptr);
  ASSERT_NE(frame, nullptr);
  ShowWindow(frame, SW_SHOWMINIMIZED);
  ASSERT_TRUE(IsIconic(frame));
  DdeServer.running = true;
  EXPECT_EQ(Execute("System", Command("[open(\"C:\\missing folder\\score.opt\")]")),
            static_cast<UINT_PTR>(DDE_FACK));
  BoxRecorder boxes;  // the missing file is reported
  OnDdeServerMessage(frame, kDdeRequestOpen, 0);
  EXPECT_FALSE(IsIconic(frame));
  EXPECT_EQ(OpenFiles.count, 0);
  DdeServer.running = false;
  DestroyWindow(frame);
}

// A client on a thread of its own talks to the server, whose thread pumps.
TEST_F(DdeServerTest, AClientOfAnotherThreadIsServed) {
  struct Result {
    bool connected = false;
    UINT_PTR openAnswer = 0;
    DWORD openResult = 0;
    bool refused = false;
  } result;
  HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread client([&result, done] {
    DWORD instance = 0;
    if (DdeInitializeA(&instance, IgnoreEverything, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) {
      SetEvent(done);
      return;
    }
    HSZ service = DdeCreateStringHandleA(instance, "Korvalinde", CP_WINANSI);
    HSZ topic = DdeCreateStringHandleA(instance, "System", CP_WINANSI);
    HCONV conversation = DdeConnect(instance, service, topic, nullptr);
    result.connected = conversation != nullptr;
    if (conversation) {
      char open[] = "[open(\"C:\\Scans\\thread.tif\")]";
      HDDEDATA answer = DdeClientTransaction(reinterpret_cast<LPBYTE>(open), sizeof open, conversation, nullptr, 0,
                                             XTYP_EXECUTE, 5000, &result.openResult);
      result.openAnswer = reinterpret_cast<UINT_PTR>(answer);
      char bad[] = "[open(C:\\bad.tif)]";
      DWORD badResult = 0;
      result.refused = DdeClientTransaction(reinterpret_cast<LPBYTE>(bad), sizeof bad, conversation, nullptr, 0,
                                            XTYP_EXECUTE, 5000, &badResult) == nullptr;
      DdeDisconnect(conversation);
    }
    DdeFreeStringHandle(instance, service);
    DdeFreeStringHandle(instance, topic);
    DdeUninitialize(instance);
    SetEvent(done);
  });
  std::vector<WPARAM> posted;
  const DWORD start = GetTickCount();
  while (MsgWaitForMultipleObjects(1, &done, FALSE, 100, QS_ALLINPUT) != WAIT_OBJECT_0 &&
         GetTickCount() - start < 20000) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == kDdeServerMessage) posted.push_back(msg.wParam);
      else DispatchMessageW(&msg);
    }
  }
  client.join();
  CloseHandle(done);
  std::vector<WPARAM> rest = Posted();
  posted.insert(posted.end(), rest.begin(), rest.end());
  ASSERT_TRUE(result.connected);
  EXPECT_NE(result.openAnswer, 0u);
  EXPECT_TRUE(result.refused);
  ASSERT_EQ(OpenFiles.count, 1);
  EXPECT_EQ(std::u16string(OpenFiles.paths[0]), u"C:\\Scans\\thread.tif");
  EXPECT_EQ(posted, (std::vector<WPARAM>{kDdeRequestOpen}));
}

}  // namespace
