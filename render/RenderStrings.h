// UI strings of the drawing layer (rows of resources/strings.txt).
#pragma once

// "The music font %s ..." (the font file's name): said once per run when the
// music font cannot be found or installed.
constexpr unsigned kTextMusicFontMissing = 11700;
// Start-up ends: the drawing lock cannot be made.
constexpr unsigned kTextReadingMutexFailed = 11701;
