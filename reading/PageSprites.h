// Page images in sprite areas as the preparation steps see them: a view of
// an area's rows, a copy out of it, and a new area made from an image.
#pragma once

#include "platform/Messages.h"
#include "reading/PageImage.h"

// A view of the one sprite of an area (1, 4 or 8 bits); empty (no rows) when
// the area holds no sprite of a supported mode.
PageImage SpriteImageView(uint8_t* area);
// A copy of the sprite's rows; empty when there is none or memory is short.
OwnedPageImage CopySpriteImage(uint8_t* area);
// A new area holding image as the sprite name; null when memory is short
// (message 10012 shown).
Handle MakePageSpriteArea(const PageImage& image, const char* name);
