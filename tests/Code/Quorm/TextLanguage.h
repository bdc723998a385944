// A small language for the line reader's tests: "langdata.txt",
// "sylngram.bin" and "dict.txt" written into a scratch engine folder, with
// costs chosen so that results can be worked out by hand.
#pragma once

#include <string>

#include "tests/Code/Quorm/EngineDataFolder.h"

// The costs of the test language (as written to its "langdata.txt").
struct TestLanguageCosts {
  static constexpr int kWierdTgram = 40;
  static constexpr int kInUserDict = 3;
  static constexpr int kWierd = 30;
  static constexpr int kWierdPerLen = 5;
  static constexpr int kNoDictWord = 20;
  static constexpr int kNoDictWordPerLen = 4;
  static constexpr int kKnownPunc = 1;
  static constexpr int kUnknownPunc = 6;
  static constexpr int kBadPunc = 25;
};

std::string TestLangData();
// unigram[s] = s + 1, bigram 50 + (a + b) mod 7, trigram 10 + (a + 2b + c) mod 9,
// letters a..z (both cases) as 0..25 and the apostrophe as 26.
Bytes TestSylngram();
int TestUnigram(char c);
int TestTrigram(char a, char b, char c);

// Writes the three language files into the folder.
void WriteTestLanguage(const EngineDataFolder& folder, const std::string& dictionary);
