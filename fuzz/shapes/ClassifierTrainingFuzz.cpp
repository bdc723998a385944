// The classifier's training texts and its notation template groups: any
// bytes are refused with a message or trained from, never read past their
// end, and a trained database always saves. The first byte chooses the
// reader; the sample bitmaps of every name are small fixed symbols.
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/FuzzTarget.h"
#include "shapes/ShapeRuns.h"
#include "shapes/ShapeTraining.h"

namespace {

class FixedInputs : public TrainingInputs {
 public:
  std::string lists8 = "01 A\n10 Flat\n80 Natural\n<\n";
  std::string lists16 = "02 Clef\n20 Digit\n<\n";
  std::string contexts = ">\n....<\n>\n....02 03 04 <\n>\n";
  std::string samples;
  bool ReadText(const char16_t* name, std::string* text) override {
    const std::u16string n = name;
    if (n == u"8x8Types.txt") *text = lists8;
    else if (n == u"8x16Types.txt") *text = lists16;
    else if (n == u"LRSymLists.txt") *text = contexts;
    else *text = samples;
    return true;
  }
  bool LoadSample(const char16_t*, const std::string& name, SampleBitmap* out) override {
    // Width and height from the name's length: a few shapes, never large.
    out->width = 4 + static_cast<int>(name.size() % 13);
    out->height = 6 + static_cast<int>(name.size() % 17);
    out->stride = 0;
    out->bits.assign(4 * static_cast<size_t>(out->height), 0);
    for (int y = 0; y < out->height; ++y)
      out->bits[4 * y] = static_cast<uint8_t>(y % 3 ? 0x3C : 0xFF) >> (name.size() % 3);
    return true;
  }
};

}  // namespace

KV_FUZZ_TARGET(classifier_training) {
  if (size == 0) return 0;
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  std::string bad;
  switch (data[0] % 5) {
    case 0: {
      TypeList list;
      if (ParseTypeList(text, &list, &bad) && list.entries.size() > static_cast<size_t>(kTypeListMax)) std::abort();
      break;
    }
    case 1: {
      std::vector<ContextRow> left, right;
      if (ParseContextLists(text, &left, &right, &bad) &&
          (left.size() > static_cast<size_t>(kContextMaxRows) || right.size() > static_cast<size_t>(kContextMaxRows)))
        std::abort();
      break;
    }
    case 2: {
      FixedInputs inputs;
      inputs.samples = text;
      ShapeDatabase db;
      std::vector<uint8_t> saved;
      if (TrainShapeDatabase(inputs, &db) && !SerializeShapeDatabase(db, &saved) &&
          db.RecordCount(ZoneGrid::k8x8) < 0xFFFF && db.RecordCount(ZoneGrid::k8x16) < 0xFFFF)
        std::abort();
      break;
    }
    case 3: {
      FixedInputs inputs;
      inputs.samples = text;
      NotationDatabase db;
      std::vector<uint8_t> saved;
      if (TrainNotationDatabase(inputs, &db) && !SerializeNotationDatabase(db, &saved)) std::abort();
      break;
    }
    default: {
      // A "Notation" file the loader takes: every group walks cleanly, and
      // every description can be graded against every group.
      NotationDatabase db;
      if (!ParseNotationDatabase(data + 1, size - 1, &db)) break;
      std::vector<NotationGroup> groups;
      for (size_t at = 0; at < db.groups.size();) {
        NotationGroup g;
        if (!ReadNotationGroup(db.groups.data() + at, db.groups.size() - at, &g)) std::abort();
        if (!FindMusicBlock(db.groups.data() + at, db.groups.size() - at)) std::abort();
        at += g.length;
        groups.push_back(std::move(g));
      }
      for (const NotationGroup& g : groups) {
        for (uint32_t i = 0; i < g.count && i < 4; ++i) {
          const uint8_t* shape = TemplateDescription(g, i, db.descriptions.data(), db.descriptions.size());
          if (!shape) std::abort();
          int grade = 0;
          for (const NotationGroup& other : groups)
            MatchShapeTemplates(other, db.descriptions.data(), db.descriptions.size(), shape, &grade);
        }
      }
      break;
    }
  }
  return 0;
}
