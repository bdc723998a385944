#include "pages/SpriteDrawHooks.h"

#include "platform/HookTables.h"

namespace {

void* NoDeviceContext() { return nullptr; }
ClipRect* NoClipRect() { return nullptr; }
const uint8_t* IdentityColourTable() {
  static const auto table = [] {
    struct Table {
      uint8_t v[256];
    } t{};
    for (int i = 0; i < 256; ++i) t.v[i] = static_cast<uint8_t>(i);
    return t;
  }();
  return table.v;
}
void NoHighlightPalette(uint8_t*) {}
bool NoPreview(const uint8_t*, HighlightRegion*) { return false; }

constexpr SpriteDrawHooks kDefaults{NoDeviceContext, NoClipRect, IdentityColourTable, NoHighlightPalette, NoPreview};
SpriteDrawHooks current = kDefaults;

}  // namespace

const SpriteDrawHooks& CurrentSpriteDrawHooks() { return current; }

SpriteDrawHooks SetSpriteDrawHooks(const SpriteDrawHooks& hooks) {
  SpriteDrawHooks old = current;
  KeepIfSet(current.deviceContext, hooks.deviceContext);
  KeepIfSet(current.clipRect, hooks.clipRect);
  KeepIfSet(current.colourTable, hooks.colourTable);
  KeepIfSet(current.fillHighlightPalette, hooks.fillHighlightPalette);
  KeepIfSet(current.previewHighlight, hooks.previewHighlight);
  return old;
}

void ResetSpriteDrawHooks() { current = kDefaults; }
