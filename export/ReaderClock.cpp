#include "export/ReaderClock.h"

#include "export/NiffWriterError.h"

namespace {

const CBeatCounter kZero;

bool ValidVoice(int v) { return v >= 0 && v < kReaderVoices; }

}  // namespace

void ReaderTimeState::Reset() {
  timeCursor = CBeatCounter(-1, 1);
  barStart = CBeatCounter();
  for (VoiceClock& voice : voices) voice = VoiceClock();
  barNumber = 1;
  currentVoice = -1;
}

void ReaderTimeState::LoadSchedule(const SignatureList& list) {
  signatureQueue = list;
  TakeSignature();
}

void ReaderTimeState::TakeSignature() {
  if (signatureQueue.empty()) return;
  FileExporting::CTimeSig front = signatureQueue.front();
  signatureQueue.pop_front();
  // A signature with no beats or no beat unit cannot time a bar; keep the old.
  if (!IsNoSignatureChange(front) && front.numerator > 0) timeSignature = front;
}

void ReaderTimeState::NextBar() {
  barStart = Add(barStart, timeSignature);
  ++barNumber;
  TakeSignature();
  for (VoiceClock& voice : voices) voice = VoiceClock();
  timeCursor = CBeatCounter();
}

void ReaderTimeState::StartVoice(int v) {
  // Before anything is reported in a bar the cursor stands at -1/1; a voice
  // started then begins at the bar start.
  const CBeatCounter start = Less(timeCursor, CBeatCounter()) ? CBeatCounter() : timeCursor;
  for (int u = 0; u < kReaderVoices; ++u) {
    if (v != -1 && u != v) continue;
    voices[u].pending = CBeatCounter();
    voices[u].position = start;
  }
}

void ReaderTimeState::AddPending(int voice, const CBeatCounter& d) {
  if (!ValidVoice(voice)) return;
  if (Greater(d, voices[voice].pending)) voices[voice].pending = d;
}

void ReaderTimeState::RaisePosition(int voice, const CBeatCounter& t) {
  if (!ValidVoice(voice)) return;
  if (Less(voices[voice].position, t)) voices[voice].position = t;
}

CBeatCounter ReaderTimeState::EndOf(int voice) const {
  if (!ValidVoice(voice)) return CBeatCounter();
  return Add(voices[voice].position, voices[voice].pending);
}

void ReaderTimeState::Advance(int voice) {
  if (!ValidVoice(voice)) return;
  voices[voice].position = EndOf(voice);
  voices[voice].pending = CBeatCounter();
}

void ReaderTimeState::Align() {
  CBeatCounter latest = voices[0].position;
  for (const VoiceClock& voice : voices)
    if (Greater(voice.position, latest)) latest = voice.position;
  for (VoiceClock& voice : voices) voice.position = latest;
}

bool ReaderTimeState::BarHasContent(bool itemsSeen) const {
  if (Same(timeCursor, CBeatCounter(-1, 1)) == 0) return false;
  if (!itemsSeen) return false;
  return Greater(EndOf(0), kZero) || Greater(EndOf(1), kZero);
}

void ReaderTimeState::MoveTime(int v, bool flag) {
  int set = v;  // -1: every voice
  if (flag && ValidVoice(v)) {
    CBeatCounter other;
    bool anyOther = false;
    for (int u = 0; u < kReaderVoices; ++u) {
      if (u == v || !voices[u].pending.IsNonZero()) continue;
      if (!anyOther || Greater(voices[u].position, other)) other = voices[u].position;
      anyOther = true;
    }
    if (voices[v].pending.IsNonZero() && Greater(EndOf(v), other)) {
      set = v;
    } else {
      set = -1;
      for (int u = 0; u < kReaderVoices; ++u) {
        if (u == v || !voices[u].pending.IsNonZero()) continue;
        if (Greater(voices[v].position, EndOf(u))) {
          set = v;
          break;
        }
      }
    }
  } else if (!ValidVoice(v)) {
    set = -1;
  }
  for (int u = 0; u < kReaderVoices; ++u)
    if (set == -1 || u == set) Advance(u);
  if (set == -1) Align();
}

bool ReaderTimeState::WouldOverflow(const CBeatCounter& d) const {
  return Greater(Add(timeCursor, d), timeSignature);
}
