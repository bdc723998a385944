// The whole reading path on one page file, natively: the page is opened from
// its TIFF into a page store of its own, read on the reading thread with the
// program's stage table (rhythm correction on), merged into a new score and
// exported as MusicXML, as the program does it.
#pragma once

#include <string>

struct ReadPageResult {
  bool opened = false;        // the page was stored in the page store
  bool started = false;       // the reading thread started on it
  bool read = false;          // the reading thread finished the page
  double mergeSeconds = 0;    // merging the read page into the score
  std::string musicXmlPath;   // the export, empty when nothing was exported
};

// Loads the classifier databases of programFolder (which holds Resources/)
// and installs the stages and the hosts; once per program. False when the
// databases do not load. A caller may wrap the stages or set an engine host
// of its own afterwards.
bool SetUpReadingPath(const std::string& programFolder);
// Reads `tiff` with a page store in `storeFolder` (emptied first) and exports
// the score to `musicXmlPath`.
ReadPageResult ReadPageFile(const std::string& tiff, const std::string& storeFolder,
                            const std::string& musicXmlPath);
