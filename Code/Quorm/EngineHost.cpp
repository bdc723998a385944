#include "Code/Quorm/EngineHost.h"

namespace {
DefaultEngineHost defaultHost;
std::atomic<EngineHost*> currentHost{nullptr};
}  // namespace

ReadingRunFlags& ReadingFlags() {
  static ReadingRunFlags flags;
  return flags;
}

void DefaultEngineHost::ClearReadingFlags() {
  ReadingFlags().readingInProgress = 0;
  ReadingFlags().pageReadingRun = 0;
}

EngineHost& CurrentEngineHost() {
  EngineHost* host = currentHost.load();
  return host ? *host : defaultHost;
}

void SetEngineHost(EngineHost* host) { currentHost.store(host); }
