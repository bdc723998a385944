#include "editor/core/KeypadCodes.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "editor/core/EditWrites.h"
#include "editor/core/EditorState.h"
#include "editor/core/ScoreUndoRing.h"
#include "editor/core/StreamWrites.h"
#include "pages/CurrentPageData.h"
#include "pages/PageData.h"
#include "score/ScoreItem.h"
#include "score/ScoreStream.h"

namespace {

struct CodeValue {
  int code;
  uint8_t value;
};

// Note values: duration codes 8 (breve) down to 0 (128th).
constexpr CodeValue kDurations[] = {{kPadBreve, 8}, {kPadWhole, 7}, {kPadHalf, 6},   {kPadQuarter, 5}, {kPadEighth, 4},
                                    {kPad16th, 3},  {kPad32nd, 2},  {kPad64th, 1},  {kPad128th, 0}};
constexpr CodeValue kDots[] = {{kPadDot, 1}, {kPadDoubleDot, 2}, {kPadTripleDot, 3}};
constexpr CodeValue kAccidentals[] = {{kPadNatural, kAccidentalNatural},         {kPadSharp, kAccidentalSharp},
                                      {kPadFlat, kAccidentalFlat},               {kPadDoubleSharp, kAccidentalDoubleSharp},
                                      {kPadDoubleFlat, kAccidentalDoubleFlat},   {kPadNaturalSharp, kAccidentalNaturalSharp},
                                      {kPadNaturalFlat, kAccidentalNaturalFlat}, {kPadClearAccidentals, kAccidentalNone}};
// Chord byte 3 bits 0-6.
constexpr CodeValue kMarkBits[] = {{kPadAccent, kMarkAccent},   {kPadMarcato, kMarkMarcato}, {kPadTenuto, kMarkTenuto},
                                   {kPadUpBow, kMarkUpBow},     {kPadDownBow, kMarkDownBow}, {kPadHarmonic, kMarkHarmonic},
                                   {kPadPlus, kMarkPlus}};
// Chord byte 2 bits 5-7.
constexpr CodeValue kArticulations[] = {{kPadFermata, kArticulationFermata},
                                        {kPadStaccato, kArticulationStaccato},
                                        {kPadStaccatissimo, kArticulationStaccatissimo}};
// Chord byte 4 bits 6-7.
constexpr CodeValue kBeams[] = {{kPadBeamStart, 3}, {kPadBeamMiddle, 1}, {kPadNoBeam, 0}};

template <size_t N>
const CodeValue* Find(const CodeValue (&table)[N], int code) {
  for (const CodeValue& entry : table) {
    if (entry.code == code) return &entry;
  }
  return nullptr;
}

// The entry a press names: the pressed code, or with the keypad state the
// first latched one.
template <size_t N>
const CodeValue* Chosen(const CodeValue (&table)[N], int code, const KeypadLatches& keys) {
  if (code != kPadState) return Find(table, code);
  for (const CodeValue& entry : table) {
    if (keys.Has(entry.code)) return &entry;
  }
  return nullptr;
}

constexpr uint8_t kOneBarRestByte = 29;     // a rest of one whole bar
constexpr uint8_t kWholeRestByte = 117;     // a whole-note rest
constexpr uint8_t kTieMarkByte = kRepeatedChordMarkByte;

void SetEdit(ScoreViewItems& view, const std::vector<uint8_t>& item) {
  EditItem& edit = view.selection.edit;
  edit.SelectKind(KindOf(item.data()));
  edit.Reserve(item.size());
  std::memcpy(edit.Bytes(), item.data(), item.size());
}

int Write(ScoreViewItems& view, const std::vector<uint8_t>& item, bool replace, bool stampVoice) {
  SetEdit(view, item);
  if (!replace) view.selection.edit.SetLength(0);
  return CommitEditItem(view, replace, stampVoice, view.selection.multiCount == 0);
}

bool InTablature(const ScoreViewItems& view) {
  const ItemIndexRow* row = ItemRowAt(view.index, view.selection.selectedRow);
  return row && PartTablatureFlags[row->part].flag != 0;
}

// The tie in front of the selected chord: removed when a tie of its voice
// stands between the previous chord and it, else inserted there.
int ToggleTie(ScoreViewItems& view) {
  SelectionState& selection = view.selection;
  const int row = selection.selectedRow;
  const ItemIndexRow chordRow = view.index.rows[row];
  const uint8_t* stream = StreamBytes(*view.streams, static_cast<int>(chordRow.part));
  uint32_t length = 0;
  const uint8_t* chord = RowItem(*view.streams, chordRow, &length);
  const uint8_t voice = ChordVoice(chord);
  uint32_t from = 0;
  WalkStream(stream, chordRow.offset, ScoreFormatVersion, [&](uint32_t offset, const uint8_t* at, uint32_t n) {
    if (KindOf(at) == kItemChord) from = offset + n;
    return true;
  });
  int tieRow = -1;
  WalkStream(stream + from, chordRow.offset - from, ScoreFormatVersion, [&](uint32_t offset, const uint8_t* at, uint32_t) {
    if (at[0] == kTieMarkByte && MarkVoice(at) == voice) {
      tieRow = FindItemRow(view.index, chordRow.part, from + offset);
      return tieRow < 0;
    }
    return true;
  });
  if (selection.multiCount == 0) PushScoreUndo(view);
  if (tieRow >= 0) return RemoveRowItem(view, tieRow) ? 1 : 0;
  const uint8_t tie[] = {kTieMarkByte, 1, static_cast<uint8_t>(voice << 6), 64,
                         static_cast<uint8_t>(ChordStemDown(chord) ? 138 : 10)};
  const int fresh = InsertRowItem(view, row, true, tie);
  if (fresh >= 0 && selection.multiCount > 0 && selection.multiCount < kMultiSelectionCapacity) {
    selection.multiRows[selection.multiCount++] = static_cast<uint16_t>(fresh);
  }
  if (selection.multiCount == 0) SnapshotTaken() = false;
  return fresh >= 0 ? 1 : 0;
}

// Byte-3 marks, the byte-2 articulation, grace, cue and notehead of a chord.
void ApplyChordMarks(std::vector<uint8_t>& item, int code, bool toggle, const KeypadLatches& keys) {
  uint8_t* chord = item.data();
  if (const CodeValue* bit = Find(kMarkBits, code); bit && toggle) SetChordMarkFlags(chord, ChordMarkFlags(chord) ^ bit->value);
  if (const CodeValue* art = Find(kArticulations, code); art && toggle) {
    SetChordArticulation(chord, ChordArticulation(chord) == art->value ? 0 : art->value);
  }
  if (code == kPadClearArticulation) {
    SetChordArticulation(chord, 0);
    SetChordMarkFlags(chord, 0);
  }
  if (!toggle && code != kPadClearArticulation) {
    uint8_t flags = 0;
    for (const CodeValue& bit : kMarkBits) flags |= keys.Has(bit.code) ? bit.value : 0;
    SetChordMarkFlags(chord, flags);
    const CodeValue* art = Chosen(kArticulations, kPadState, keys);
    SetChordArticulation(chord, art ? art->value : 0);
  }
  const bool grace = ChordIsGrace(chord), small = ChordIsSmall(chord);
  if (code == kPadAppoggiatura) {
    chord[4] ^= 0x04;
    if (!grace) chord[3] |= 0x80;
  } else if (code == kPadCue) {
    chord[4] &= ~0x04;
    if (!grace) chord[3] ^= 0x80;
  } else if (code == kPadCross) {
    SetChordNotehead(chord, ChordNotehead(chord) == 0 ? 1 : 0);
  } else if (code == kPadState) {
    const bool graceKey = keys.Has(kPadAppoggiatura);
    chord[4] = static_cast<uint8_t>((chord[4] & ~0x04) | (graceKey ? 0x04 : 0));
    chord[3] = static_cast<uint8_t>((chord[3] & 0x7F) | ((graceKey || keys.Has(kPadCue)) ? 0x80 : 0));
    SetChordNotehead(chord, keys.Has(kPadCross) ? 1 : 0);
  }
  (void)small;
}

void ApplyChordBeamAndStem(std::vector<uint8_t>& item, int code, bool toggle, const KeypadLatches& keys) {
  uint8_t* chord = item.data();
  const CodeValue* beam = toggle ? Find(kBeams, code) : Chosen(kBeams, kPadState, keys);
  if (const CodeValue* pressed = Find(kBeams, code)) beam = pressed;
  if (beam) chord[4] = static_cast<uint8_t>((chord[4] & 0x3F) | beam->value << 6);
  if (code == kPadClearBeam) chord[4] &= 0x3F;
  if (code == kPadStem || (code == kPadState && keys.Has(kPadStem))) chord[4] ^= 0x20;
}

// A chord turned into a rest of its value (a breve into two whole rests).
int ChordToRest(ScoreViewItems& view, const std::vector<uint8_t>& chord, bool replace, bool stampVoice, int voice) {
  const uint8_t duration = ChordDurationCode(chord.data());
  if (duration >= kDurationBreve) {
    const std::vector<uint8_t> whole = {kWholeRestByte, static_cast<uint8_t>(voice << 6)};
    if (!Write(view, whole, replace, stampVoice)) return 0;
    return Write(view, whole, false, stampVoice);
  }
  const std::vector<uint8_t> rest = {static_cast<uint8_t>(kItemRest | duration << 4),
                                     static_cast<uint8_t>(voice << 6 | (ChordDots(chord.data()) & 3))};
  return Write(view, rest, replace, stampVoice);
}

// A single rest turned into a one-note chord of its value.
std::vector<uint8_t> RestToChord(const uint8_t* rest, int voice, bool tablature) {
  std::vector<uint8_t> chord = {12, 0, 0, 0, 0, static_cast<uint8_t>(tablature ? 0 : 16)};
  chord[1] = static_cast<uint8_t>(std::min<int>(RestDurationCode(rest), kDurationBreve) << 2 | RestDots(rest) << 6 |
                                   ((rest[0] & 0x80) ? 1 : 0));
  chord[2] = static_cast<uint8_t>(((rest[1] >> 2) & 7) << 5);
  chord[4] = static_cast<uint8_t>(voice << 3 | 0x20);
  return chord;
}

int ApplyToChord(ScoreViewItems& view, std::vector<uint8_t> item, bool replace, bool stampVoice, int code, bool toggle,
                 const KeypadLatches& keys) {
  uint8_t* chord = item.data();
  if (code == kPadBarRest) return Write(view, {kOneBarRestByte, static_cast<uint8_t>(keys.voice << 6)}, replace, stampVoice);
  if ((code == kPadRest || code == kPadState) && keys.Has(kPadRest)) {
    return ChordToRest(view, item, replace, stampVoice, keys.voice);
  }
  if (const CodeValue* value = Chosen(kDurations, code, keys)) SetChordDuration(chord, value->value, ChordDots(chord));
  if (const CodeValue* dots = Find(kDots, code)) {
    SetChordDuration(chord, ChordDurationCode(chord), ChordDots(chord) == dots->value ? 0 : dots->value);
  } else if (code == kPadState) {
    const CodeValue* latched = Chosen(kDots, kPadState, keys);
    SetChordDuration(chord, ChordDurationCode(chord), latched ? latched->value : 0);
  }
  if (const CodeValue* accidental = Chosen(kAccidentals, code, keys); accidental && !InTablature(view)) {
    const unsigned notes = ChordNoteCount(chord);
    unsigned first = 0, last = notes - 1;
    const EditorState& state = TheEditorState();
    if (!SelectedNoteRange(state, notes, &first, &last) || AllChordNotesSelected(state, notes)) first = 0, last = notes - 1;
    for (unsigned n = first; n <= last; ++n) SetNote(chord, n, NotePosition(chord, n), accidental->value);
  }
  ApplyChordMarks(item, code, toggle, keys);
  ApplyChordBeamAndStem(item, code, toggle, keys);
  if (!Write(view, item, replace, stampVoice)) return 0;
  if (code == kPadState && keys.Has(kPadTie)) ToggleTie(view);
  return 1;
}

int ApplyToRest(ScoreViewItems& view, std::vector<uint8_t> item, bool replace, bool stampVoice, int code, bool toggle,
                const KeypadLatches& keys) {
  uint8_t* rest = item.data();
  if (IsMultiBarRest(rest)) return Write(view, item, replace, stampVoice);
  if (code == kPadRest || (code == kPadState && !keys.Has(kPadRest) && Chosen(kDurations, kPadState, keys))) {
    return Write(view, RestToChord(rest, keys.voice, InTablature(view)), replace, stampVoice);
  }
  if (code == kPadBarRest) return Write(view, {kOneBarRestByte, static_cast<uint8_t>(keys.voice << 6)}, replace, stampVoice);
  if (const CodeValue* value = Chosen(kDurations, code, keys)) {
    if (value->value >= kDurationBreve) {
      return Write(view, {kOneBarRestByte, static_cast<uint8_t>(rest[1] & 0xC0)}, replace, stampVoice);
    }
    rest[0] = static_cast<uint8_t>((rest[0] & 0x8F) | value->value << 4);
  }
  if (const CodeValue* dots = Find(kDots, code)) {
    rest[1] = static_cast<uint8_t>((rest[1] & ~3) | (RestDots(rest) == dots->value ? 0 : dots->value));
  } else if (code == kPadState) {
    const CodeValue* latched = Chosen(kDots, kPadState, keys);
    rest[1] = static_cast<uint8_t>((rest[1] & ~3) | (latched ? latched->value : 0));
  }
  const uint8_t fermataField = (rest[1] >> 2) & 7;
  if (code == kPadFermata && toggle) {
    rest[1] = static_cast<uint8_t>((rest[1] & ~0x1C) | (fermataField == 1 ? 0 : 1 << 2));
  } else if (code == kPadClearArticulation) {
    rest[1] &= ~0x1C;
  } else if (!toggle) {
    rest[1] = static_cast<uint8_t>((rest[1] & ~0x1C) | (keys.Has(kPadFermata) ? 1 << 2 : 0));
  }
  return Write(view, item, replace, stampVoice);
}

}  // namespace

int& PendingKeypadCode() {
  static int code = kNoPendingCode;
  return code;
}

int DurationOfKeypadCode(int code) {
  const CodeValue* value = Find(kDurations, code);
  return value ? value->value : -1;
}

int ApplyKeypadCode(ScoreViewItems& view, bool replace, bool stampVoice, int code, bool toggle,
                    const KeypadLatches& keys) {
  SelectionState& selection = view.selection;
  if (!ItemRowAt(view.index, selection.selectedRow)) return 0;
  const EditItem& edit = selection.edit;
  const uint8_t* bytes = edit.Bytes();
  std::vector<uint8_t> item(bytes, bytes + ItemLength(bytes));
  TheEditorState().currentVoice = keys.voice;
  switch (edit.Kind()) {
    case kItemChord:
      if (code == kPadTie) return ToggleTie(view);
      return ApplyToChord(view, item, replace, stampVoice, code, toggle, keys);
    case kItemRest:
      return ApplyToRest(view, item, replace, stampVoice, code, toggle, keys);
    case kItemMark: {
      const uint8_t sub = MarkSubKind(item.data());
      return Write(view, item, replace, stampVoice && sub != kMarkTuplet && sub != kMarkTie);
    }
    default:
      return 0;
  }
}

int ApplyKeypadCodeToSelection(ScoreViewItems& view, int button, int code, const KeypadLatches& keys) {
  if (button < 5 || button == 10) return 0;
  const bool voiceTab = button <= 9;
  if (voiceTab) code = kPadVoice;
  SelectionState& selection = view.selection;
  if (selection.multiCount > 0) {
    PushScoreUndo(view);
    int written = 0;
    for (int i = 0; i < selection.multiCount && i < kMultiSelectionCapacity; ++i) {
      const uint16_t row = selection.multiRows[i];
      if (row == kRemovedSelectionEntry) continue;
      selection.hoverRow = row;
      if (!TakeItemIntoSelection(view)) continue;
      SelectAllChordNotes(TheEditorState(), kMaxChordNotes);
      written += ApplyKeypadCode(view, true, voiceTab, code, true, keys);
    }
    selection.selectedRow = -1;
    selection.hoverRow = -1;
    int live = 0, only = -1;
    for (int i = 0; i < selection.multiCount; ++i) {
      if (selection.multiRows[i] != kRemovedSelectionEntry) ++live, only = selection.multiRows[i];
    }
    if (live == 1) {
      selection.multiCount = 0;
      selection.hoverRow = only;
      TakeItemIntoSelection(view);
    }
    if (EditedPageBoxes() == &viewPage && viewPage.boxCount > 0) SavePageData(false, true);
    SnapshotTaken() = false;
    PendingKeypadCode() = kNoPendingCode;
    return written > 0;
  }
  if (selection.selectedRow < 0) {
    PendingKeypadCode() = code;
    return 0;
  }
  PendingKeypadCode() = kNoPendingCode;
  // Without the keypad's latches a press can only flip what it names.
  return ApplyKeypadCode(view, true, voiceTab, code, keys.latched == nullptr, keys);
}
