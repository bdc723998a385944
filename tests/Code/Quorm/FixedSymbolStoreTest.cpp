// The fixed-size symbol store: typed accessors, family predicates and the
// type decoders.
#include <gtest/gtest.h>

#include <vector>

#include "Code/Quorm/Engerror.h"
#include "Code/Quorm/Fxdszsym.h"
#include "Code/Quorm/Heapmem.h"

namespace {

class FixedSymbols : public ::testing::Test {
 protected:
  void SetUp() override { FreeFixedSymbols(); }
  void TearDown() override { FreeFixedSymbols(); }
};

TEST_F(FixedSymbols, AccessorsNeedALiveSymbol) {
  const int32_t i = AddFixedSymbol(1, 2, 3, 4, 150, 77, 9);
  EXPECT_EQ(GetFixedSymbolBox(i).x1, 3);
  EXPECT_EQ(GetFixedSymbolBox(i).y1, 4);
  EXPECT_EQ(GetFixedSymbolType(i), 150);
  EXPECT_EQ(GetFixedSymbolCost(i), 77);
  EXPECT_EQ(GetFixedSymbolRefY(i), 9);
  DeleteFixedSymbol(i);
  EXPECT_EQ(IsFixedSymbolDeleted(i), 1);
  EXPECT_THROW(GetFixedSymbolBox(i), EngineFailure);
  EXPECT_THROW(GetFixedSymbolType(i), EngineFailure);
  EXPECT_THROW(GetFixedSymbolCost(i), EngineFailure);
  EXPECT_THROW(GetFixedSymbolRefY(i), EngineFailure);
  EXPECT_THROW(DeleteFixedSymbol(1), EngineFailure);
  EXPECT_THROW(GetFixedSymbolType(-1), EngineFailure);
  EXPECT_THROW(AddFixedSymbol(0, 0, 1, 1, 31, 0, 0), EngineFailure);
  EXPECT_THROW(AddFixedSymbol(0, 0, 1, 1, 2000, 0, 0), EngineFailure);
}

TEST_F(FixedSymbols, RestDots) {
  struct Case {
    int32_t type, dotted, count;
  };
  const std::vector<Case> cases = {{40, 700, 0}, {46, 706, 0}, {703, 713, 1}, {712, 712, 2}};
  for (const Case& c : cases) {
    const int32_t i = AddFixedSymbol(0, 0, 5, 5, c.type, 0, 0);
    EXPECT_EQ(GetRestDotCount(i), c.count) << c.type;
    AddDotToRest(i);
    EXPECT_EQ(GetFixedSymbolType(i), c.dotted) << c.type;
  }
  const int32_t three = AddFixedSymbol(0, 0, 5, 5, 724, 0, 0);
  EXPECT_EQ(GetRestDotCount(three), 3);
  EXPECT_THROW(AddDotToRest(three), EngineFailure);
  const int32_t clef = AddFixedSymbol(0, 0, 5, 5, 80, 0, 0);
  EXPECT_THROW(AddDotToRest(clef), EngineFailure);
  EXPECT_THROW(GetRestDotCount(clef), EngineFailure);
  // A deleted symbol has no dots, whatever it was.
  DeleteFixedSymbol(clef);
  EXPECT_EQ(GetRestDotCount(clef), 0);
}

TEST_F(FixedSymbols, TypeDecoders) {
  EXPECT_EQ(KeySignatureOfType(500), 0);
  EXPECT_EQ(KeySignatureOfType(510), 0);
  EXPECT_EQ(KeySignatureOfType(507), 7);
  EXPECT_EQ(KeySignatureOfType(513), -3);
  EXPECT_THROW(KeySignatureOfType(508), EngineFailure);
  EXPECT_THROW(KeySignatureOfType(518), EngineFailure);
  struct Time {
    int32_t type, numerator, denominator, symbol;
  };
  for (const Time& t : std::vector<Time>{{490, 4, 4, 1}, {491, 2, 2, 1}, {1083, 8, 8, 0}, {1032, 3, 4, 0}, {1001, 0, 2, 0}}) {
    int32_t n = 0, d = 0, s = 0;
    TimeSignatureOfType(t.type, &n, &d, &s);
    EXPECT_EQ(n, t.numerator) << t.type;
    EXPECT_EQ(d, t.denominator) << t.type;
    EXPECT_EQ(s, t.symbol) << t.type;
  }
  int32_t n, d, s;
  EXPECT_THROW(TimeSignatureOfType(1000, &n, &d, &s), EngineFailure);
  EXPECT_THROW(TimeSignatureOfType(489, &n, &d, &s), EngineFailure);
  const int32_t three = AddFixedSymbol(0, 0, 5, 5, 353, 0, 0);
  EXPECT_EQ(NumeralOfType(three), 3);
  DeleteFixedSymbol(three);
  EXPECT_EQ(NumeralOfType(three), -1);
  EXPECT_THROW(NumeralOfType(AddFixedSymbol(0, 0, 5, 5, 357, 0, 0)), EngineFailure);
}

TEST_F(FixedSymbols, PredicatesAndListsSkipDeletedSymbols) {
  const std::vector<int32_t> types = {40, 41, 43, 710, 50, 63, 64, 74, 80, 82, 90, 96, 97, 100, 121, 130, 140,
                                      150, 160, 174, 300, 316, 352, 356, 505, 511, 1032, 490};
  for (int32_t t : types) AddFixedSymbol(0, 0, 5, 5, t, 0, 0);
  auto listed = [](FixedSymbolTest test) {
    int32_t* out = nullptr;
    const int32_t n = ListFixedSymbols(test, &out);
    std::vector<int32_t> found;
    for (int32_t k = 0; k < n; ++k) found.push_back(GetFixedSymbolType(out[k]));
    EngineFree(out);
    return found;
  };
  using V = std::vector<int32_t>;
  EXPECT_EQ(listed(IsRestSymbolAt), (V{40, 41, 43, 710}));
  EXPECT_EQ(listed(IsPlainRest40to42At), (V{40, 41}));
  EXPECT_EQ(listed(IsShortFlagSymbolAt), (V{63}));
  EXPECT_EQ(listed(IsClefSymbolAt), (V{80, 82}));
  EXPECT_EQ(listed(IsAccidentalSymbolAt), (V{90, 96}));
  EXPECT_EQ(listed(IsGroup100SymbolAt), (V{100, 121}));
  EXPECT_EQ(listed(IsCodaSegnoEndingAt), (V{130}));
  EXPECT_EQ(listed(IsBarDotSymbolAt), (V{140}));
  EXPECT_EQ(listed(IsDotSymbolAt), (V{150}));
  EXPECT_EQ(listed(IsPedalOrOrnamentAt), (V{160, 174}));
  EXPECT_EQ(listed(IsDynamicSymbolAt), (V{300, 316}));
  EXPECT_EQ(listed(IsNumeralSymbolAt), (V{352, 356}));
  EXPECT_EQ(listed(IsKeySignatureSymbolAt), (V{505, 511}));
  EXPECT_EQ(listed(IsTimeKeyOrClefAt), (V{80, 82, 505, 511, 1032, 490}));
  EXPECT_EQ(listed(IsTextBlockingSymbolAt), (V{40, 41, 43, 710, 50, 90, 96, 100, 121, 300, 316, 352, 356}));
  for (int32_t i = 0; i < GetFixedSymbolCount(); ++i)
    if (GetFixedSymbolType(i) == 90 || GetFixedSymbolType(i) == 41) DeleteFixedSymbol(i);
  EXPECT_EQ(listed(IsAccidentalSymbolAt), (V{96}));
  EXPECT_EQ(listed(IsRestSymbolAt), (V{40, 43, 710}));
  EXPECT_EQ(IsLiveAccidental(10), 0);
  EXPECT_EQ(IsLiveAccidental(11), 1);
  int32_t* out = nullptr;
  EXPECT_THROW(ListFixedSymbols(nullptr, &out), EngineFailure);
}

TEST_F(FixedSymbols, GrowsPastAThousand) {
  for (int32_t i = 0; i < 2500; ++i) EXPECT_EQ(AddFixedSymbol(i, 0, i + 1, 1, 150, i, 0), i);
  EXPECT_EQ(GetFixedSymbolCost(2499), 2499);
  FreeFixedSymbols();
  EXPECT_EQ(GetFixedSymbolCount(), 0);
}

}  // namespace
