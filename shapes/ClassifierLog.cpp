#include "shapes/ClassifierLog.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>

namespace {
std::atomic<ClassifierLogSink> Sink{nullptr};
}

ClassifierLogSink SetClassifierLogSink(ClassifierLogSink sink) { return Sink.exchange(sink); }

void ClassifierLog(const char* format, ...) {
  const ClassifierLogSink sink = Sink.load();
  if (!sink) return;
  char line[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  sink(line);
}
