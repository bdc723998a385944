// The musical clock of a stream reader: where the current bar began, the
// signature in force, the last time reported, and per voice the event now
// sounding and where it began.
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "export/BeatCounter.h"

constexpr int kReaderVoices = 4;

struct VoiceClock {
  CBeatCounter pending;   // length of the event now sounding
  CBeatCounter position;  // where it began, counted from the bar start
};

// One entry per bar; 0/1 means the signature does not change in that bar.
using SignatureList = std::deque<FileExporting::CTimeSig>;

// The entry that stands for "no change".
inline FileExporting::CTimeSig NoSignatureChange() { return FileExporting::CTimeSig(0, 1); }
inline bool IsNoSignatureChange(const FileExporting::CTimeSig& s) {
  return Same(s, CBeatCounter(0, 1)) == 0;
}

struct ReaderTimeState {
  CBeatCounter barStart;
  FileExporting::CTimeSig timeSignature;
  CBeatCounter timeCursor{-1, 1};  // -1/1: nothing reported in this bar yet
  VoiceClock voices[kReaderVoices];
  int32_t currentVoice = -1;
  int32_t barNumber = 1;
  SignatureList signatureQueue;

  void Reset();
  void LoadSchedule(const SignatureList& list);
  void TakeSignature();
  void NextBar();
  // v -1: every voice.
  void StartVoice(int v);
  void AddPending(int voice, const CBeatCounter& d);
  void RaisePosition(int voice, const CBeatCounter& t);
  CBeatCounter EndOf(int voice) const;
  void Advance(int voice);
  void Align();
  bool BarHasContent(bool itemsSeen) const;
  void MoveTime(int v, bool flag);
  bool WouldOverflow(const CBeatCounter& d) const;
};
