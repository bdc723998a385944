// While an ActCtxScope lives, the program's activation context (from its
// manifest) is active on the calling thread, where the system has them.
#pragma once

#include <windows.h>

class ActCtxScope {
 public:
  ActCtxScope();
  ~ActCtxScope();
  ActCtxScope(const ActCtxScope&) = delete;
  ActCtxScope& operator=(const ActCtxScope&) = delete;

  bool Active() const { return active_; }

 private:
  ULONG_PTR cookie_ = 0;
  bool active_ = false;
};
