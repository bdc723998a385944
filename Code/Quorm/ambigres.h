// Ambiguity resolution on the object graph: every candidate object gets a
// probability from its own cost and the links that support it; objects that
// lose all support are deleted, and where two readings exclude each other the
// less probable object is deleted or the weaker of two links cut. The five
// stages run inside RecognisePage; the second is a trial run on a copy of the
// graph that erases the trusted objects' ink and turns doubtful stems and
// heads into symbol atoms.
#pragma once

#include <cstdint>

#include "Code/Quorm/Geometry.h"

// ---- Probabilities (computed afresh on every call) ----
// One-link support of an object of probability p by an object of probability
// q over a link of cost l (Q10 / 1024).
double OneLinkSupport(double p, double q, double l);
// Two-link support; a missing link has q = 0 and l = 1.
double TwoLinkSupport(double p, double q1, double l1, double q2, double l2);
// The object's probability from its cost alone (a kind without a cost is a
// failed check).
double GetBaseProbability(int32_t kind, int32_t reference);
// The probability of a symbol that is not in the graph yet (a candidate of
// symbol recognition): its base probability from its cost and box, with the
// clef rule, clamped; no link supports it.
double UnlinkedSymbolProbability(int32_t type, int32_t cost, const EngineBox& box);
// The supported probability, clamped to 0.0001..0.9999.
double GetObjectProbability(int32_t kind, int32_t reference);

// ---- Stem states ----
// Two of the stem's heads on its two sides at the same or the next staff
// step, none of them at one of its ends.
int32_t StemHasChordPair(int32_t stem);
// The stem goes on at least a staff space beyond its highest or its lowest
// head.
int32_t StemReachesPastHeads(int32_t stem);
// No chord pair, thinner than 16 per cent of a staff space, and not joined at
// both of its ends.
int32_t IsWeakStem(int32_t stem);
// 1 when the stem's main end (the end that carries its note) is its bottom,
// as seen from the given head.
int32_t StemMainEndIsBottom(int32_t stem, int32_t head);

// ---- Stages ----
// The deletion rules, pass after pass until one deletes nothing; erase 1
// also releases the deleted objects from their finders.
void ResolveAmbiguitiesStage1(int32_t erase);
// The trial run: resolves on a copy, erases the ink of the trusted objects,
// makes atoms of the doubtful ones and puts the graph back as it was.
void ResolveAmbiguitiesStage2();
// Resolution by score with the given erase setting.
void ResolveAmbiguitiesStage3(int32_t erase);
// Deletes every object whose probability is below one half.
void ResolveAmbiguitiesStage4();
// Splits chord stems, shares heads between up- and down-stems and resolves
// once more with the stage's own candidate rules.
void ResolveAmbiguitiesStage5();
// Conflict candidates applied cycle by cycle, best scores first.
void ResolveCandidatesByScore(int32_t erase);

// ---- Work records (for the tests) ----
struct AmbiguityCandidate {
  int32_t action;  // 0 delete a node, 1 cut a link
  int32_t first;   // node to delete, or the first end of the link
  int32_t second;  // the link's other end
  double score;
};
static_assert(sizeof(AmbiguityCandidate) == 24, "24-byte records");
constexpr int32_t kDeleteNodeAction = 0;
constexpr int32_t kCutLinkAction = 1;
// Empties the candidate array and fills it from the live graph; returns the
// count.
int32_t CollectAmbiguityCandidates();
AmbiguityCandidate GetAmbiguityCandidate(int32_t i);  // checked
int32_t GetAmbiguityPairCount();                      // stem-and-head pairs of the last trial run
int32_t IsStageFiveOn();

// The module's free function: candidates, pairs and the stage-5 flag.
void FreeAmbiguityWork();
