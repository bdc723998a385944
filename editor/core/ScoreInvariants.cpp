#include "editor/core/ScoreInvariants.h"

#include <cstring>
#include <vector>

#include "export/ExportEntries.h"
#include "platform/FileLayer.h"
#include "platform/Platform.h"
#include "score/PageMarks.h"
#include "score/ScoreFile.h"
#include "score/ScoreItem.h"
#include "score/ScoreStream.h"

namespace {

const char* RuleName(ScoreRule rule) {
  switch (rule) {
    case ScoreRule::kPartCount: return "part count";
    case ScoreRule::kStreamTiles: return "stream tiles";
    case ScoreRule::kStreamEnd: return "stream end";
    case ScoreRule::kPageMarks: return "page marks";
    case ScoreRule::kSystemMarks: return "system marks";
    case ScoreRule::kPageStarts: return "page starts";
    case ScoreRule::kIndexRows: return "index rows";
    case ScoreRule::kObjectBoxes: return "object boxes";
    case ScoreRule::kSelection: return "selection";
    case ScoreRule::kChordNotes: return "chord notes";
    case ScoreRule::kMarkSpans: return "mark spans";
    case ScoreRule::kFileRoundTrip: return "file round trip";
    case ScoreRule::kExport: return "export";
  }
  return "?";
}

struct Checker {
  const ScoreViewItems& view;
  const StreamSet& set;
  uint8_t version;
  int parts;
  std::vector<ScoreFault> faults;
  // Per part slot: which offsets start an item (only for well-formed streams).
  std::vector<std::vector<bool>> starts = std::vector<std::vector<bool>>(kPartSlots);
  bool tiled[kPartSlots] = {};

  void Fault(ScoreRule rule, const std::string& detail) { faults.push_back({rule, detail}); }
  static std::string Slot(int slot) { return "part slot " + std::to_string(slot); }

  void Streams() {
    if (parts < 1 || parts > kPartSlots) {
      Fault(ScoreRule::kPartCount, std::to_string(parts) + " parts");
      parts = parts < 1 ? 0 : kPartSlots;
    }
    for (int slot = 0; slot < parts; ++slot) {
      const uint8_t* stream = StreamBytes(set, slot);
      const uint32_t used = set.used[slot];
      if (!stream || used == 0) {
        Fault(ScoreRule::kStreamTiles, Slot(slot) + " has no stream");
        continue;
      }
      if (used > StreamCapacity(set, slot)) {
        Fault(ScoreRule::kStreamTiles, Slot(slot) + " uses more than its block");
        continue;
      }
      uint32_t bad = 0;
      if (!IsStreamWellFormed(stream, used, version, &bad)) {
        Fault(ScoreRule::kStreamTiles, Slot(slot) + " breaks at offset " + std::to_string(bad));
        continue;
      }
      tiled[slot] = true;
      starts[slot].assign(used + 1, false);
      int ends = 0;
      uint32_t last = 0;
      WalkStream(stream, used, version, [&](uint32_t offset, const uint8_t* item, uint32_t) {
        starts[slot][offset] = true;
        if (IsEndOfScore(item)) ++ends;
        last = offset;
        return true;
      });
      if (ends != 1 || !IsEndOfScore(stream + last)) {
        Fault(ScoreRule::kStreamEnd, Slot(slot) + " holds " + std::to_string(ends) + " end marks" +
                                         (IsEndOfScore(stream + last) ? "" : ", not last"));
      }
    }
  }

  // Page marks and the system marks of each page.
  void Marks() {
    const int pages = ScorePages.count;
    std::vector<int> reference;
    int referenceSlot = -1;
    for (int slot = 0; slot < parts; ++slot) {
      if (!tiled[slot]) continue;
      std::vector<int> systems(1, 0);
      WalkStream(StreamBytes(set, slot), set.used[slot], version, [&](uint32_t, const uint8_t* item, uint32_t) {
        if (item[0] == kBarBoundary) ++systems.back();
        if (IsPageMark(item)) systems.push_back(0);
        return true;
      });
      const int marks = static_cast<int>(systems.size()) - 1;
      if (marks != pages) {
        Fault(ScoreRule::kPageMarks, Slot(slot) + " holds " + std::to_string(marks) + " page marks for " +
                                         std::to_string(pages) + " pages");
      }
      systems.pop_back();  // after the last page mark only the end mark stands
      if (referenceSlot < 0) {
        reference = systems;
        referenceSlot = slot;
      } else if (systems != reference) {
        Fault(ScoreRule::kSystemMarks, Slot(slot) + " differs from " + Slot(referenceSlot) + " in system marks");
      }
    }
  }

  void PageTable() {
    static uint32_t recount[kMaxScorePages][kPageStartSlots];
    const int pages = CountPageStarts(set, version, recount, nullptr);
    if (pages != ScorePages.count) {
      Fault(ScoreRule::kPageStarts, "page count " + std::to_string(ScorePages.count) + ", recount " +
                                        std::to_string(pages));
    }
    for (int page = 0; page < pages && page < kMaxScorePages; ++page) {
      for (int slot = 0; slot < parts; ++slot) {
        if (PageStarts[page][slot] != recount[page][slot]) {
          Fault(ScoreRule::kPageStarts, "page " + std::to_string(page + 1) + " of " + Slot(slot) + " starts at " +
                                            std::to_string(PageStarts[page][slot]) + ", recount " +
                                            std::to_string(recount[page][slot]));
        }
      }
    }
  }

  // The current page's extent in a part's stream.
  void PageExtent(int slot, uint32_t* begin, uint32_t* end) const {
    const int page = ScorePages.current - 1;
    *begin = (page >= 0 && page < kMaxScorePages) ? PageStarts[page][slot] : 0;
    *end = (page + 1 >= 1 && page + 1 < ScorePages.count && page + 1 < kMaxScorePages) ? PageStarts[page + 1][slot]
                                                                                           : set.used[slot];
  }

  void Index(const ScoreCheckOptions& options) {
    const ItemIndex& index = view.index;
    if (index.count < 0 || index.count > kItemIndexCapacity) {
      Fault(ScoreRule::kIndexRows, "row count " + std::to_string(index.count));
      return;
    }
    for (int r = 0; r < index.count; ++r) {
      const ItemIndexRow& row = index.rows[r];
      const std::string name = "row " + std::to_string(r);
      if (row.part >= static_cast<uint32_t>(parts) || !tiled[row.part]) {
        Fault(ScoreRule::kIndexRows, name + " names " + Slot(static_cast<int>(row.part)));
        continue;
      }
      if (row.offset >= set.used[row.part] || !starts[row.part][row.offset]) {
        Fault(ScoreRule::kIndexRows, name + " points into an item at " + std::to_string(row.offset));
        continue;
      }
      uint32_t begin = 0, end = 0;
      PageExtent(static_cast<int>(row.part), &begin, &end);
      if (row.offset < begin || row.offset >= end) {
        Fault(ScoreRule::kIndexRows, name + " lies outside the current page");
      }
    }
    const PageData* page = options.page;
    if (page && page->boxCount > 0 && page->boxCount != index.count) {
      Fault(ScoreRule::kObjectBoxes,
            std::to_string(page->boxCount) + " boxes for " + std::to_string(index.count) + " rows");
    }
  }

  void Selection() {
    const SelectionState& s = view.selection;
    const int count = view.index.count;
    if (s.selectedRow < -1 || s.selectedRow >= count) {
      Fault(ScoreRule::kSelection, "selected row " + std::to_string(s.selectedRow));
    }
    if (s.hoverRow < -1 || s.hoverRow >= count) Fault(ScoreRule::kSelection, "hover row " + std::to_string(s.hoverRow));
    if (s.multiCount < 0 || s.multiCount > kMultiSelectionCapacity) {
      Fault(ScoreRule::kSelection, "list count " + std::to_string(s.multiCount));
      return;
    }
    std::vector<bool> seen(kItemIndexCapacity, false);
    for (int i = 0; i < s.multiCount; ++i) {
      const uint16_t row = s.multiRows[i];
      if (row == kRemovedSelectionEntry) continue;
      if (row >= count) {
        Fault(ScoreRule::kSelection, "list entry " + std::to_string(i) + " names row " + std::to_string(row));
      } else if (seen[row]) {
        Fault(ScoreRule::kSelection, "row " + std::to_string(row) + " listed twice");
      } else {
        seen[row] = true;
      }
    }
  }

  void Items() {
    for (int slot = 0; slot < parts; ++slot) {
      if (!tiled[slot]) continue;
      const bool tablature = PartTablatureFlags[slot].flag != 0;
      WalkStream(StreamBytes(set, slot), set.used[slot], version, [&](uint32_t offset, const uint8_t* item, uint32_t) {
        const std::string where = Slot(slot) + " offset " + std::to_string(offset);
        if (KindOf(item) == kItemChord) {
          const unsigned notes = ChordNoteCount(item);
          if (notes < 1 || notes > kMaxChordNotes) Fault(ScoreRule::kChordNotes, where + ": " + std::to_string(notes) + " notes");
          uint32_t used = 0;
          for (unsigned n = 0; n < notes; ++n) {
            const unsigned key = tablature ? NoteString(item, n) : NotePosition(item, n);
            if (used & (1u << key)) {
              Fault(ScoreRule::kChordNotes, where + (tablature ? ": two notes on string " : ": two notes at ") +
                                                std::to_string(key));
            }
            used |= 1u << key;
          }
        } else if (KindOf(item) == kItemMark && MarkSubKind(item) <= kMarkTie) {
          const uint32_t span = MarkSpan(item);
          if (span < 1 || span > kMarkSpanMask) Fault(ScoreRule::kMarkSpans, where + ": span " + std::to_string(span));
          if (MarkSubKind(item) == kMarkTuplet && (item[3] & 127) < 2) {
            Fault(ScoreRule::kMarkSpans, where + ": a tuplet of " + std::to_string(item[3] & 127));
          }
        }
        return true;
      });
    }
  }

  // Writes the score (without page data, as an undo snapshot does), reads it
  // back as a snapshot and writes it again: both files and the streams must
  // agree.
  void RoundTrip(const std::u16string& folder) {
    const std::u16string first = folder + u"/check-a.opt";
    const std::u16string second = folder + u"/check-b.opt";
    std::vector<std::vector<uint8_t>> before(kPartSlots);
    for (int slot = 0; slot < kPartSlots; ++slot) {
      const uint8_t* bytes = StreamBytes(set, slot);
      if (bytes) before[slot].assign(bytes, bytes + StreamUsedLength(set, slot));
    }
    if (!WriteScoreFile(first.c_str(), 1, kTargetScore, 0, 1, 0)) {
      Fault(ScoreRule::kFileRoundTrip, "the score could not be written");
      return;
    }
    if (!ReadScoreFile(first.c_str(), 1, 0)) {
      Fault(ScoreRule::kFileRoundTrip, "the written score could not be read");
      return;
    }
    // The slots past the parts hold what the file gives them (the marks).
    for (int slot = 0; slot < parts; ++slot) {
      const uint8_t* bytes = StreamBytes(set, slot);
      std::vector<uint8_t> after;
      if (bytes) after.assign(bytes, bytes + StreamUsedLength(set, slot));
      if (after != before[slot]) Fault(ScoreRule::kFileRoundTrip, Slot(slot) + " reads back otherwise");
    }
    // A read takes display settings from the file (a tablature part switches
    // the tablature rhythm off), which the next write records: the file of
    // a read score must write back as it was read.
    if (!WriteScoreFile(second.c_str(), 1, kTargetScore, 0, 1, 0) || !ReadScoreFile(second.c_str(), 1, 0) ||
        !WriteScoreFile(first.c_str(), 1, kTargetScore, 0, 1, 0)) {
      Fault(ScoreRule::kFileRoundTrip, "the read score could not be written and read again");
      return;
    }
    if (FileContents(first) != FileContents(second)) Fault(ScoreRule::kFileRoundTrip, "the two files differ");
  }

  static std::vector<uint8_t> FileContents(const std::u16string& path) {
    std::vector<uint8_t> bytes;
    std::FILE* f = platform::OpenStream(path.c_str(), "rb");
    if (!f) return bytes;
    uint8_t buffer[4096];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(f);
    return bytes;
  }

  void Exports(const std::u16string& folder) {
    if (!ExportMusicXml((folder + u"/check.xml").c_str())) Fault(ScoreRule::kExport, "MusicXML refused the score");
    if (!ExportNiff((folder + u"/check.nif").c_str())) Fault(ScoreRule::kExport, "NIFF refused the score");
  }
};

}  // namespace

std::vector<ScoreFault> CheckScore(const ScoreViewItems& view, const ScoreCheckOptions& options) {
  const StreamSet& set = view.streams ? *view.streams : ScoreStream;
  Checker checker{view, set, ScoreFormatVersion, PartCount, {}};
  checker.Streams();
  checker.Marks();
  checker.PageTable();
  checker.Index(options);
  checker.Selection();
  checker.Items();
  // The file and the exporters work on the score's own streams.
  if (!options.scratchFolder.empty() && checker.faults.empty() && &set == &ScoreStream) {
    checker.RoundTrip(options.scratchFolder);
    checker.Exports(options.scratchFolder);
  }
  return checker.faults;
}

bool HasFault(const std::vector<ScoreFault>& faults, ScoreRule rule) {
  for (const ScoreFault& f : faults) {
    if (f.rule == rule) return true;
  }
  return false;
}

std::string DescribeFaults(const std::vector<ScoreFault>& faults) {
  std::string out;
  for (const ScoreFault& f : faults) out += std::string(RuleName(f.rule)) + ": " + f.detail + "\n";
  return out;
}
