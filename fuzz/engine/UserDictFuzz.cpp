// The user dictionary ("User\dict.txt") as StartEngine reads it, loaded into
// a started engine. Whatever the file holds, a loaded dictionary is sorted without duplicates, no word is
// longer than a word may be, and every word of the file (in pieces of at most
// 31 bytes, trimmed to its letters and digits) is found again.
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

#include "Code/Quorm/Quorm.h"
#include "Code/Quorm/Spell.h"
#include "Code/Quorm/Userdict.h"
#include "fuzz/FuzzTarget.h"
#include "fuzz/engine/EngineRun.h"

namespace {

bool LetterOrDigit(char c) {
  const unsigned char u = static_cast<unsigned char>(c);
  return IsLetterChar(u) || IsDigitChar(u);
}

void ExpectWord(std::string piece) {
  piece = piece.substr(0, piece.find('\0'));
  size_t begin = 0, end = piece.size();
  while (begin < end && !LetterOrDigit(piece[begin])) ++begin;
  while (end > begin && !LetterOrDigit(piece[end - 1])) --end;
  if (begin == end) return;
  const std::string word = piece.substr(begin, end - begin);
  if (FindUserWord(word.c_str(), 0) < 0 || InUserDictionary(word.c_str(), 0) != 1) std::abort();
}

}  // namespace

KV_FUZZ_TARGET(engine_user_dict) {
  fuzz::KeepEngineStarted();
  fuzz::WriteEngineFile(fuzz::kUserDictFile, data, size);
  if (!fuzz::LoadEngineData(fuzz::EngineData::kUserDictionary, fuzz::kUserDictFile, {"Xudicfile", "Xmemudic"}))
    return 0;
  EngineRunLock run;
  const int32_t count = GetUserWordCount();
  for (int32_t i = 0; i < count; ++i) {
    const char* word = GetUserWord(i);
    const size_t length = std::strlen(word);
    if (length == 0 || length > static_cast<size_t>(kMaxUserWordLength)) std::abort();
    if (i > 0 && std::strcmp(GetUserWord(i - 1), word) == 0) std::abort();
    if (FindUserWord(word, 0) < 0 || FindUserWord(word, 1) < 0 || InUserDictionary(word, 2) != 1) std::abort();
  }
  // The file's words, split as the loader splits them: at white space, and
  // into pieces of at most 31 bytes.
  std::string piece;
  for (size_t i = 0; i <= size; ++i) {
    const bool space = i == size || std::isspace(data[i]);
    if (!space) piece += static_cast<char>(data[i]);
    if (space || piece.size() == static_cast<size_t>(kMaxUserWordLength)) {
      if (!piece.empty()) ExpectWord(piece);
      piece.clear();
    }
  }
  fuzz::RestoreEngineFile(fuzz::kUserDictFile);
  return 0;
}
