// Sprite areas: every page image held in memory is one contiguous block made
// of a 16-byte area header, one 44-byte sprite header and the image rows (top
// row first, each padded to 4 bytes). All header words are little-endian u32
// and are read and written field by field, so a block can go to disc whole.
#pragma once

#include <cstddef>
#include <cstdint>

// ---- Layout ----
enum : uint32_t {
  kAreaSizeOffset = 0,
  kAreaCountOffset = 4,
  kAreaFirstSpriteOffset = 8,
  kAreaFreeOffset = 12,
  kSpriteHeaderOffset = 16,  // the one sprite's header within the area
  kSpriteImageOffset = 60,   // its rows within the area
};
// Offsets within the sprite header.
enum : uint32_t {
  kSpriteNextOffset = 0,
  kSpriteName = 4,
  kSpriteWidthWords = 16,
  kSpriteHeightRows = 20,
  kSpriteFirstBit = 24,
  kSpriteUnusedBits = 28,
  kSpriteImageField = 32,
  kSpriteMaskField = 36,
  kSpriteMode = 40,
  kSpriteHeaderBytes = 44,
};
constexpr size_t kSpriteNameBytes = 12;
constexpr char kPageSpriteName[] = "scanned";

// Pixel formats. Creating and loading write only the first three.
enum : uint32_t {
  kSpriteMode1Bit = 18,
  kSpriteMode4Bit = 20,
  kSpriteMode8Bit = 21,
  kSpriteMode1BitAlt = 25,
  kSpriteMode4BitAlt = 27,
  kSpriteMode8BitAlt = 28,
};

// The largest image the program takes: bigger sizes are refused before
// anything is allocated.
constexpr uint32_t kMaxSpriteSide = 65535;
constexpr uint64_t kMaxSpriteImageBytes = 0x40000000;  // 1 GiB
// The largest side of a page that preparation and reading take (their
// coordinates are 16-bit). Image files with a longer side are refused when
// their header is read, before anything is allocated for their pixels.
constexpr uint32_t kMaxPageSide = 0x7FFF;

// ---- The shared error record ----
struct SpriteError {
  uint32_t errorCode;       // always 0
  char16_t errorText[250];  // the message of the last failure
};
// Clears the record (each routine does on entry).
void ClearSpriteError();
// Loads UI string id into the record and returns it.
SpriteError* FailSprite(unsigned id);
SpriteError* LastSpriteError();

// ---- Header fields ----
uint32_t AreaWord(const uint8_t* area, uint32_t offset);
void SetAreaWord(uint8_t* area, uint32_t offset, uint32_t value);
inline uint32_t SpriteWord(const uint8_t* area, uint32_t field) { return AreaWord(area, kSpriteHeaderOffset + field); }
inline void SetSpriteWord(uint8_t* area, uint32_t field, uint32_t value) {
  SetAreaWord(area, kSpriteHeaderOffset + field, value);
}
inline uint8_t* SpriteRows(uint8_t* area) { return area + kSpriteImageOffset; }
inline const uint8_t* SpriteRows(const uint8_t* area) { return area + kSpriteImageOffset; }

// An empty area over a block of capacity bytes (no sprite yet).
void InitSpriteArea(uint8_t* area, uint32_t capacity);

// ---- Sizes ----
// 1, 4 or 8 for a supported mode (18/25, 20/27, 21/28); 0 for any other.
int SpriteBitsPerPixel(uint32_t mode);
// 18, 20 or 21 for 1, 4 or 8 bits; 0 otherwise.
uint32_t SpriteModeForDepth(int bitsPerPixel);
// Row bytes before padding: 1 bpp (w + 7) / 8, 4 bpp ((w + 7) / 8) x 4, 8 bpp w,
// 24 bpp w x 3; then padded to a multiple of 4.
uint64_t PaddedRowBytes(uint64_t width, int bitsPerPixel);
// The unused bits at the end of each row, as the header keeps them.
uint32_t SpriteUnusedBits(uint32_t width, int bitsPerPixel);
// Width in pixels from the header fields; 0 for an unsupported mode.
uint32_t SpriteWidthFromHeader(uint32_t widthWords, uint32_t unusedBits, int bitsPerPixel);

// The one rule for an area's size word: an area holding one sprite with
// imageBytes bytes of rows needs image bytes + 60 (the area header, the
// sprite header and the rows). Creating and loading refuse an area whose size
// word is smaller, a loaded page's area says exactly this much, and readers
// take rows only from an area whose size word covers them.
constexpr uint64_t SpriteAreaBytes(uint64_t imageBytes) { return imageBytes + kSpriteImageOffset; }
// Whether the area's size word covers one sprite of imageBytes of rows.
bool AreaHoldsImage(const uint8_t* area, uint64_t imageBytes);

// Writes the header of a loaded page image: area size image bytes + 60, free
// offset image bytes + 16, one sprite named "scanned", fields by depth.
void WriteLoadedSpriteHeader(uint8_t* area, uint32_t width, uint32_t height, int bitsPerPixel);

// ---- Operations ----
struct SpriteInfo {
  uint32_t width;
  uint32_t height;
  uint32_t reserved;  // 0
  uint32_t mode;
};
struct SpriteScale {
  int32_t xmul, ymul, xdiv, ydiv;
};

SpriteError* CreateSprite(uint8_t* area, const char* name, uint32_t width, uint32_t height, uint32_t mode);
// Exact, case-sensitive comparison with the first sprite's name.
SpriteError* FindSprite(uint8_t* area, const char* name, uint8_t** header);
SpriteError* GetSpriteInfo(const uint8_t* area, const char* name, SpriteInfo* info);
// Copies sprite 1's name into out (at least 13 bytes) and returns its length;
// any other number writes "" and returns 0; a null area writes nothing.
int GetSpriteName(const uint8_t* area, char* out, int number);
// Scale (1, 1, 1, 1) and an identity colour map of 2, 16 or 256 entries
// (colourMap holds 256).
SpriteError* GetSpriteScaling(const uint8_t* area, SpriteScale* scale, uint8_t* colourMap);
