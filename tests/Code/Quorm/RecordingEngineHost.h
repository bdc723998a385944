// An engine host for tests: records every post and box and counts the
// clearing of the reading flags. Installed while it lives.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "Code/Quorm/EngineHost.h"

struct RecordedPost {
  unsigned message;
  uintptr_t wParam;
  intptr_t lParam;
};

struct RecordedEngineBox {
  std::string text;
  std::string caption;
  unsigned flags;
};

class RecordingEngineHost : public EngineHost {
 public:
  RecordingEngineHost() { SetEngineHost(this); }
  ~RecordingEngineHost() override { SetEngineHost(nullptr); }
  RecordingEngineHost(const RecordingEngineHost&) = delete;
  RecordingEngineHost& operator=(const RecordingEngineHost&) = delete;

  void PostToFrame(unsigned message, uintptr_t wParam, intptr_t lParam) override {
    std::lock_guard<std::mutex> lock(mutex_);
    framePosts_.push_back({message, wParam, lParam});
  }
  void PostErrorNumber(uintptr_t wParam, intptr_t lParam) override {
    std::lock_guard<std::mutex> lock(mutex_);
    errorPosts_.push_back({0, wParam, lParam});
  }
  void ShowMessageBox(const char* text, const char* caption, unsigned flags) override {
    std::lock_guard<std::mutex> lock(mutex_);
    boxes_.push_back({text, caption, flags});
  }
  void ClearReadingFlags() override {
    std::lock_guard<std::mutex> lock(mutex_);
    ++flagClears_;
    ReadingFlags().readingInProgress = 0;
    ReadingFlags().pageReadingRun = 0;
  }

  std::vector<RecordedPost> FramePosts() const { return Copy(framePosts_); }
  std::vector<RecordedPost> ErrorPosts() const { return Copy(errorPosts_); }
  std::vector<RecordedEngineBox> Boxes() const { return Copy(boxes_); }
  int FlagClears() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return flagClears_;
  }
  // How many WM_APP+13 posts arrived.
  size_t FailurePosts() const {
    size_t n = 0;
    for (const RecordedPost& post : FramePosts()) n += post.message == kEngineFailedMessage;
    return n;
  }

 private:
  template <class T>
  std::vector<T> Copy(const std::vector<T>& v) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return v;
  }
  mutable std::mutex mutex_;
  std::vector<RecordedPost> framePosts_;
  std::vector<RecordedPost> errorPosts_;
  std::vector<RecordedEngineBox> boxes_;
  int flagClears_ = 0;
};
