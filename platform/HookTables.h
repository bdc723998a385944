// Tables of hooks that a later subsystem fills in: a setter takes the hooks
// that are given and keeps the present ones for the rest.
#pragma once

template <typename F>
void KeepIfSet(F& into, F from) {
  if (from) into = from;
}
