// Joints between found objects: whether two objects belong together (a head
// and a stem, a beam and a stem, a dot and a head ...), answered as a label at
// each object and a Q10 confidence, lower is better. The graph builder links
// two objects whenever the first label is not 0; the stem finder and the stem
// splitting of the ambiguity stages call the head, beam and flag joints
// directly.
//
// Lines (stems and other vertical lines) are given by their two ends, so that
// a line still being built can be joined; symbols by a JointSymbol that the
// caller fills from the symbol store. Every length is in pixels; tolerances
// are per cent of a staff space, scaled as the finders scale them. A staff
// (or page) whose staff space is under kMinLedgerStaffSpace takes no part: its
// tolerances would round to nothing, so no joint is made there.
#pragma once

#include <cstdint>

#include "Code/Quorm/Geometry.h"

struct JointResult {
  int32_t first;       // label at the first object; 0 no joint; -1 exclusion
  int32_t second;      // label at the second object
  int32_t confidence;  // Q10, lower is better; 1024 no evidence; -1 exclusion
};

constexpr int32_t kJointNoEvidence = 1024;
constexpr int32_t kJointConfidenceNone = 1025;  // the confidence function's "no joint"
constexpr int32_t kJointBestConfidence = 10;

// Labels.
constexpr int32_t kJointBeamAtTop = 1;        // at a stem: beam or flag at its top
constexpr int32_t kJointBeamAtBottom = 3;     // at a stem: at its bottom; a mark's label
constexpr int32_t kJointLeftSide = 4;         // head: stem at its left; beam: stem at its left end
constexpr int32_t kJointRightSide = 6;        // head: stem at its right; beam: at its right end
constexpr int32_t kJointLedgerInner = 7;      // the ledger line nearer the staff
constexpr int32_t kJointLedgerOuter = 8;      // the one farther out
constexpr int32_t kJointHeadAtTop = 9;        // at a stem: head at its top end
constexpr int32_t kJointHeadAtBottom = 10;    // at a stem: head at its bottom end
constexpr int32_t kJointInside = 11;          // neither end / any other pair
constexpr int32_t kJointExclusion = -1;

constexpr JointResult kNoJoint{0, 0, kJointNoEvidence};
constexpr JointResult kExclusion{kJointExclusion, kJointExclusion, -1};

// A fixed-size symbol as the joints read it.
struct JointSymbol {
  EngineBox box;     // x0, y0, x1, y1 in pixels
  int32_t type;      // the symbol type
  int32_t refY;      // the reference row (extra word): accidentals, keys, clefs
};

// A line from its top to its bottom end.
struct JointLine {
  EnginePoint top;
  EnginePoint bottom;
};

// ---- Building blocks ----
// The confidence of two offsets within their tolerances (both > 0, else a
// failed check): 1025 when either offset reaches its tolerance or the two
// margins multiply below 0.01; else 125 sqrt(s1 s2) / S over the product of
// the margins, clamped to 10..1024 (S the page staff space in pixels).
int32_t JointConfidence(int32_t d1, int32_t s1, int32_t d2, int32_t s2);
// The cost of a point p against a point q on a line, with the horizontal
// offset weighted by w: 2.0 beyond two staff spaces, 0 at no distance, else
// v sqrt(v) with v from the distance and the white steps between the points.
double JointDistanceCost(EnginePoint p, EnginePoint q, int32_t weight);
// round(924 D) + 100.
int32_t JointCostFromDistance(double distance);
// The point of the line at a row: interpolated inside the line; beyond an end
// the end itself, moved along the line onto the first ink within 40 per cent
// of a staff space when the end pixel is white.
EnginePoint JointLinePointAtRow(const JointLine& line, int32_t row);
// The line's column at a row, interpolated (and extended) through its ends.
int32_t JointLineColumnAtRow(const JointLine& line, int32_t row);

// ---- Joints ----
// Notehead (first) and stem (second): labels 4 / 9 or 11 when the stem
// touches the head's left side, 6 / 10 or 11 at its right side.
JointResult JoinNoteheadToLine(int32_t head, const JointLine& line);
// Beam (first) and stem: 4, 6 or 11 at the beam; 1, 3 or 11 at the stem.
JointResult JoinBeamToLine(int32_t beam, const JointLine& line);
// Flag (types 61..64, 71..74) and stem: 11 at the flag; 1, 3 or 11 at the stem.
JointResult JoinFlagToLine(const JointSymbol& flag, const JointLine& line);
// Dot (type 150) and notehead, dot and rest: (11, 11).
JointResult JoinDotToNotehead(const JointSymbol& dot, int32_t head);
JointResult JoinDotToRest(const JointSymbol& dot, const JointSymbol& rest);
// Accidental (types 90..96) and notehead: (11, 11).
JointResult JoinAccidentalToNotehead(const JointSymbol& accidental, int32_t head);
// Note-attached mark (types 100..110, 120..122; any other type is a failed
// check) and notehead: (11, 11); and stem: (3, 1).
JointResult JoinMarkToNotehead(const JointSymbol& mark, int32_t head);
JointResult JoinMarkToLine(const JointSymbol& mark, const JointLine& line);
// Two bar-line dots (type 140), and a bar-line dot and a bar line: (11, 11).
JointResult JoinBarDots(const JointSymbol& a, const JointSymbol& b);
JointResult JoinBarDotToBarLine(const JointSymbol& dot, int32_t bar);
// Key signature (types 500..507, 510..517) and clef (80, 81, 82): (11, 11).
JointResult JoinKeySignatureToClef(const JointSymbol& key, const JointSymbol& clef);
// Two ledger lines: 7 at the one nearer the staff, 8 at the other.
JointResult JoinLedgerLines(int32_t a, int32_t b);
// Ledger line (first) and notehead: (11, 11).
JointResult JoinLedgerToNotehead(int32_t ledger, int32_t head);
// Exclusions: the line (or bar line i, taken between its staff's top and
// bottom lines) spans the row and crosses it between columns x0 and x1
// (both included): (-1, -1, -1); else no joint.
JointResult ExcludeByLine(const JointLine& line, int32_t row, int32_t x0, int32_t x1);
JointResult ExcludeByBarLine(int32_t bar, int32_t row, int32_t x0, int32_t x1);

// Whether a staff space (x1024) is large enough for the joints and the note
// finders to take part.
bool StaffSpaceTakesPart(int32_t staffSpace);
