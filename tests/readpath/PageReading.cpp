#include "PageReading.h"

#include <chrono>
#include <filesystem>
#include <mutex>
#include <vector>

#include "Code/Quorm/EngineHost.h"
#include "building/ScoreBuildingStages.h"
#include "export/ExportEntries.h"
#include "pages/PageTable.h"
#include "platform/Folders.h"
#include "platform/Platform.h"
#include "platform/Settings.h"
#include "platform/ShellFlags.h"
#include "reading/FileOpener.h"
#include "reading/ReadPageHandOver.h"
#include "reading/ReadingThread.h"
#include "score/ScoreFile.h"
#include "score/ScoreStream.h"
#include "shapes/ClassifierStartup.h"
#include "stages/RecognitionStages.h"

namespace fs = std::filesystem;

namespace {

// The frame's side: the messages the reading thread posts.
class PathHost : public ReadingHost {
 public:
  void PostToFrame(unsigned message) override {
    std::lock_guard<std::mutex> lock(mutex_);
    posted_.push_back(message);
  }
  void DebugLine(const char16_t*) override {}
  void LockDrawing() override {}
  void UnlockDrawing() override {}
  std::vector<unsigned> Take() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<unsigned> out;
    out.swap(posted_);
    return out;
  }

 private:
  std::mutex mutex_;
  std::vector<unsigned> posted_;
};
PathHost host;
DefaultEngineHost engineHost;

std::u16string Wide(const std::string& text) { return std::u16string(text.begin(), text.end()); }

}  // namespace

bool SetUpReadingPath(const std::string& programFolder) {
  SetResourceFolder(Wide((fs::absolute(programFolder) / "").string()).c_str());
  if (!BuildShapeDatabase()) return false;
  // Rhythm correction on (the Preferences' "Tuplets (includes advanced
  // rhythm detection)", off at every start of the program).
  Unsaved().readTuplets = true;
  InstallRecognitionStages();
  InstallScoreBuildingStages();
  SetReadingHost(&host);
  SetEngineHost(&engineHost);
  return true;
}

ReadPageResult ReadPageFile(const std::string& tiff, const std::string& storeFolder,
                            const std::string& musicXmlPath) {
  ReadPageResult result;
  fs::remove_all(storeFolder);
  fs::create_directories(storeFolder);
  SetDataFolder(Wide(storeFolder).c_str());
  char16_t pages[600];
  MakeMusicPagesPath(pages, 600, u"");
  platform::MakeDirectory(pages);
  pageTable = PageTable{};
  pageTable.currentPage = -1;
  ResetScoreContent();
  ResetPartRecords();
  CurrentScore = ScoreDocument{};
  Flags().abort = 0;
  result.opened = OpenTiffFile(Wide(tiff).c_str(), u".tif") == 1 && pageTable.pageCount >= 1;
  if (!result.opened) return result;
  const int row = static_cast<int>(pageTable.pageCount) - 1;
  pageTable.rows[row].flags |= kPageSelected;
  host.Take();
  result.started = StartReading(row);
  if (!result.started) return result;
  JoinReadingThread();
  for (unsigned message : host.Take()) result.read = result.read || message == kReadPageDoneMessage;
  if (result.read) {
    const auto t0 = std::chrono::steady_clock::now();
    AddReadPageToScore();
    result.mergeSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  }
  ReadingActive() = 0;
  if (ScorePages.count != 0 && ExportMusicXml(Wide(musicXmlPath).c_str())) result.musicXmlPath = musicXmlPath;
  return result;
}
