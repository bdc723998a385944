// Questions that the later stages ask of the object graph and of the
// fixed-size symbols: which stem belongs to a head, what hangs on a stem,
// where an object's centre lies, on which staff step a symbol sits, and to
// which family a symbol type code belongs.
#pragma once

#include <cstdint>

#include "Code/Quorm/Findstav.h"
#include "Code/Quorm/Geometry.h"
#include "Code/Quorm/mocgraph.h"

// ---- Symbol-type tests on FixedSymbolType codes ----
int32_t IsSharpKeyType(int32_t type);
int32_t IsKeySignatureType(int32_t type);
int32_t IsAccidentalType(int32_t type);
int32_t IsUpFlagType(int32_t type);
int32_t IsFlagType(int32_t type);
int32_t IsTimeSignatureType(int32_t type);
int32_t IsClefType(int32_t type);
int32_t IsTypeInGroup100(int32_t type);
int32_t IsRestType(int32_t type);
int32_t IsBarDotType(int32_t type);
int32_t IsHeadOrRestKind(int32_t kind);
// 1 when the head's model (0, 1 or 4) takes no stem joints above it.
int32_t HeadSkipsStemJoints(int32_t head);
// Hooks of a flag type (61..64 up, 71..74 down); any other type is a failed check.
int32_t FlagCountOfType(int32_t type);

// ---- Graph queries (links with a cost of 0 or below are ignored; best is
// the cheapest, the earlier link on equal cost) ----
constexpr int32_t kMaxBeamsOfStem = 10;
constexpr int32_t kMaxStemsOfBeam = 40;
constexpr int32_t kMaxHeadsOfStem = 10;
// The best stem joined to head h at its right side (label 6) or its left
// side (label 4); -1 when none.
int32_t GetStemOfHead(int32_t head, int32_t rightSide);
// Up to kMaxBeamsOfStem / kMaxStemsOfBeam / kMaxHeadsOfStem references in
// link order; out must hold that many. Return how many.
int32_t ListBeamsOfStem(int32_t stem, int32_t* out);
int32_t ListStemsOfBeam(int32_t beam, int32_t* out);
int32_t ListHeadsOfStem(int32_t stem, int32_t* out);
// The best linked notehead (kind 2) or node of kind 40..47.
GraphObject FindBestLinkedHeadOrRest(int32_t kind, int32_t reference);
// Hooks carried by the stem's flags, 0..4: the flags of the direction of its
// best flag, each type counted up to 5 times, the sum capped at 4.
int32_t CountFlagsOfStem(int32_t stem);

// ---- Positions ----
// (y, x) centre of an object of any graph kind (text items and fixed-size
// symbols at the centre of their box); halves truncated towards zero. An
// unknown kind is a failed check.
EnginePoint GetObjectCentre(int32_t kind, int32_t reference);
// ((a0 + a1) / 2, (b0 + b1) / 2), truncated.
EnginePoint BoxCentre(int32_t a0, int32_t b0, int32_t a1, int32_t b1);
// {staff, step, remainder} of the symbol's reference height at its centre
// column on the nearest staff; {-1, 10, 0} on a page without staves.
StaffStep GetSymbolStaffStep(int32_t symbol);
// Staff and step of a clef: G clef step 2, F clef step -2, C clef the step
// at its centre moved to the nearest line (remainder 0). Another type is a
// failed check; on a page without staves {-1, 10, 0}.
StaffStep GetClefPosition(int32_t symbol);
