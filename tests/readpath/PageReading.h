// The whole reading path on one page file, natively: the page is opened from
// its TIFF into a page store of its own, read on the reading thread with the
// program's stage table (rhythm correction on), merged into a new score and
// exported as MusicXML, as the program does it.
#pragma once

#include <string>

struct ReadPageResult {
  bool read = false;          // the reading thread finished the page
  std::string musicXmlPath;   // the export, empty when nothing was exported
};

// Loads the classifier databases of the build's program folder and installs
// the stages; once per test program. False when the databases do not load.
bool SetUpReadingPath();
// Reads `tiff` with a page store in `storeFolder` (emptied first) and exports
// the score to `musicXmlPath`.
ReadPageResult ReadPageFile(const std::string& tiff, const std::string& storeFolder,
                            const std::string& musicXmlPath);
