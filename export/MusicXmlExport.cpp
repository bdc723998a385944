// The shell's MusicXML export: the document written to a file, failures and
// problem bars reported once each.
#include <new>
#include <string>
#include <vector>

#include "export/ExportEntries.h"
#include "export/MusicXmlDocument.h"
#include "export/NiffWriterError.h"
#include "export/ReaderServices.h"
#include "platform/Messages.h"

namespace {

constexpr unsigned kMusicXmlFailedText = 10291;
constexpr unsigned kMusicXmlProblemBarsText = 10293;
constexpr unsigned kMusicXmlNoPartsText = 10297;

// "part: bar" for each bar that holds a problem, each bar once.
std::u16string ProblemBarList(const std::vector<ReadProblemEntry>& problems) {
  std::vector<std::pair<int, int>> bars;
  for (const ReadProblemEntry& p : problems) {
    const std::pair<int, int> bar(p.staff, p.bar);
    bool known = false;
    for (const auto& b : bars) known = known || b == bar;
    if (!known) bars.push_back(bar);
  }
  std::string list;
  for (const auto& b : bars) {
    if (!list.empty()) list += ", ";
    list += std::to_string(b.first) + ": " + std::to_string(b.second);
  }
  return std::u16string(list.begin(), list.end());
}

// The walk reads texts itself; no description objects take part in it.
class NoExportObjects {
 public:
  NoExportObjects() : previous_(SetExportObjectFactory(nullptr)) {}
  ~NoExportObjects() { SetExportObjectFactory(previous_); }

 private:
  CExportObjectFactory* previous_;
};

}  // namespace

int ExportMusicXml(const char16_t* path) {
  // A score of page texts alone has no part to write; no file is made.
  if (!ScoreHasParts()) {
    MessageById(nullptr, kMusicXmlNoPartsText);
    return 0;
  }
  CXmlOutput out;
  if (!out.Open(path)) return 0;  // the file layer has told the user
  std::vector<ReadProblemEntry> problems;
  bool written = true;
  {
    NoExportObjects noObjects;
    try {
      WriteMusicXmlDocument(out, &problems);
    } catch (const CNiffWriterError&) {
      written = false;
    } catch (const std::bad_alloc&) {
      written = false;
    }
  }
  if (!out.Close()) written = false;
  if (!written) {
    MessageById(nullptr, kMusicXmlFailedText);
    return 0;
  }
  if (!problems.empty()) {
    const std::u16string bars = ProblemBarList(problems);
    MessageById(nullptr, kMusicXmlProblemBarsText, bars.c_str());
  }
  return 1;
}
