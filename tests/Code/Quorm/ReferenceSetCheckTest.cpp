// The reference tool's refusal of sets the engine could not use: a searched
// head class without a variant-0 reference, or a symbol type the classifier
// never reports.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Code/Quorm/Muslref.h"
#include "tools/refmaker/RefMaker.h"

namespace {

NoteheadReference Head(int32_t headClass, int32_t variant) {
  NoteheadReference r{};
  r.headClass = headClass;
  r.variant = variant;
  return r;
}

MusicReference Symbol(int32_t type) {
  MusicReference r{};
  r.type = type;
  return r;
}

TEST(ReferenceSetCheck, RefusesWhatTheEngineCannotUse) {
  const std::vector<NoteheadReference> heads = {Head(0, 0), Head(1, 0), Head(2, 0), Head(4, 0)};
  struct Case {
    const char* name;
    std::vector<NoteheadReference> heads;
    std::vector<MusicReference> symbols;
    const char* error;  // nullptr: accepted
  };
  const std::vector<Case> cases = {
      {"complete", heads, {Symbol(43), Symbol(800), Symbol(122), Symbol(50), Symbol(416), Symbol(491)}, nullptr},
      {"no small heads", {Head(0, 0), Head(1, 0), Head(2, 0)}, {}, "head class 4"},
      {"whole heads of variant 1 only", {Head(0, 0), Head(1, 0), Head(2, 1), Head(4, 0)}, {}, "head class 2"},
      {"a key signature", heads, {Symbol(43), Symbol(503)}, "symbol type 503"},
      {"a paired time signature", heads, {Symbol(1042)}, "symbol type 1042"},
      {"a dotted rest", heads, {Symbol(703)}, "symbol type 703"},
      {"a time number no signature uses", heads, {Symbol(410)}, "symbol type 410"},
  };
  for (const Case& c : cases) {
    std::string error;
    const bool accepted = refmaker::CheckReferenceSets(c.heads, c.symbols, &error);
    if (c.error == nullptr) {
      EXPECT_TRUE(accepted) << c.name << ": " << error;
    } else {
      EXPECT_FALSE(accepted) << c.name;
      EXPECT_NE(error.find(c.error), std::string::npos) << c.name << ": " << error;
    }
  }
}

}  // namespace
