// Note-level scoring of a page reading against the notes a score holds: per
// staff, the read notes and the true ones are each in time order; they are
// aligned at the least cost (a pair costs 1 for a wrong step and 1 for a
// wrong duration; a missed or an extra note costs 2), and the aligned pairs
// are counted.
#pragma once

#include <cstdint>
#include <vector>

namespace refmaker {

// One note: its staff on the page, its staff step (0 the middle line, one per
// line or space, larger downwards, as the notehead finder counts) and its
// duration in 1/192 of a whole note; a duration of -1 is one the reading did
// not give (it counts as wrong).
struct ScoredNote {
  int32_t staff = 0;
  int32_t step = 0;
  int32_t duration = 0;
};

struct NoteScore {
  int32_t truth = 0;          // notes of the score
  int32_t read = 0;           // notes of the reading
  int32_t right = 0;          // aligned with the right step and duration
  int32_t wrongPitch = 0;     // aligned, step wrong (duration right or not)
  int32_t wrongDuration = 0;  // aligned, step right, duration wrong
  int32_t missed = 0;         // true notes with no read note
  int32_t extra = 0;          // read notes with no true note
  void Add(const NoteScore& other);
  double Accuracy() const { return truth > 0 ? static_cast<double>(right) / truth : 0.0; }
};

// Both lists staff by staff in time order (chords from top to bottom);
// staves are matched by number.
NoteScore ScoreNotes(const std::vector<ScoredNote>& truth, const std::vector<ScoredNote>& read);

// Precision and recall of a finder: found objects that match a true one, of
// all found, and true objects that a found one matches, of all true (-1:
// the same count as matched, for one-to-one matches).
struct FinderScore {
  int32_t truth = 0;
  int32_t found = 0;
  int32_t matched = 0;
  int32_t recalled = -1;
  double Precision() const { return found > 0 ? static_cast<double>(matched) / found : 1.0; }
  double Recall() const {
    return truth > 0 ? static_cast<double>(recalled >= 0 ? recalled : matched) / truth : 1.0;
  }
};

}  // namespace refmaker
