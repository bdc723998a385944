// Menu-text wrappers: an item's value is its text, unless the flags make it a
// bitmap handle or owner-drawn item data, which pass unchanged.
#include "Code/Unicode/Utils/win32/Uni.h"
#include "Code/Unicode/Utils/win32/UniText.h"

namespace {

// The item value for the ANSI call: the holder's copy of a text item, the
// value itself for other kinds.
const char* AnsiItem(UINT flags, const char16_t* item, CTempAnsi* holder) {
  if (flags & kMenuItemIsValue) return reinterpret_cast<const char*>(item);
  holder->Assign(item);
  return Ansi(*holder);
}

}  // namespace

BOOL UniModifyMenu(HMENU menu, UINT position, UINT flags, UINT_PTR id, const char16_t* item) {
  if (IsWindowsNT()) return ModifyMenuW(menu, position, flags, id, Wide(item));
  CTempAnsi holder;
  return ModifyMenuA(menu, position, flags, id, AnsiItem(flags, item, &holder));
}

BOOL UniAppendMenu(HMENU menu, UINT flags, UINT_PTR id, const char16_t* item) {
  if (IsWindowsNT()) return AppendMenuW(menu, flags, id, Wide(item));
  CTempAnsi holder;
  return AppendMenuA(menu, flags, id, AnsiItem(flags, item, &holder));
}

BOOL UniInsertMenu(HMENU menu, UINT position, UINT flags, UINT_PTR id, const char16_t* item) {
  if (IsWindowsNT()) return InsertMenuW(menu, position, flags, id, Wide(item));
  CTempAnsi holder;
  return InsertMenuA(menu, position, flags, id, AnsiItem(flags, item, &holder));
}
