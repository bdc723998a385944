#include "platform/ShellFlags.h"

ShellFlags& Flags() {
  static ShellFlags flags;
  return flags;
}
