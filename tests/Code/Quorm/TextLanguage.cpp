#include "tests/Code/Quorm/TextLanguage.h"

#include <cctype>

namespace {

int SymbolOfChar(char c) {
  if (c == '\'') return 26;
  if (std::isalpha(static_cast<unsigned char>(c))) return std::tolower(static_cast<unsigned char>(c)) - 'a';
  return -1;
}

}  // namespace

std::string TestLangData() {
  const std::string letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  const std::string digits = "0123456789";
  std::string s = "SymbolTypesStart\n";
  s += "knownsymbols " + letters + digits + ".,;:!?'()-\"#/\n";
  s += "wordstart " + letters + "\nwordend " + letters + "\nwordmiddle " + letters + "'-\n";
  s += "mustbeword " + letters + "\nnumberstart " + digits + "\nnumberend " + digits + "\n";
  s += "numbermiddle " + digits + ".,\nmustbenumber " + digits + "\nwordseparator /\nhyphenator -\n";
  s += "styleindicator " + letters + digits + "\nwidthindicator " + letters + digits + "\n";
  s += "couldbegraphic .,-\nuppercase " + letters.substr(0, 26) + "\nlowercase " + letters.substr(26) + "\n";
  s += "okbeforeword (\"'\nokafterword .,;:!?)\"'\nokbeforenumber (\nokafternumber .,;:)\nSymbolTypesEnd\n";
  s += "PuncStringsStart\nbeforeword ( \"\nafterword . , ; : ! ? ). ,\" .\"\nbeforenumber (\nafternumber . , )\n";
  s += "PuncStringsEnd\nDictionaryCostsStart\n";
  s += "tgramtowordfreq_len3 1\ntgramtowordfreq_len4 2\ntgramtowordfreq_per1 1\nnotindictcost 0\n";
  s += "wierdtgramcharcost 40\nucifornonucicost 0\nblockcapscost 0\ntwoletterwordcost 0\nwordtoolongcost 0\n";
  s += "inuserdictcost 3\nwierdcost 30\nwierdperlencost 5\nnodictwordcost 20\nnodictwordperlencost 4\n";
  s += "numbercost 0\nnumberperlencost 0\nnumberperlensqcostx10 0\nwordseparatorcost 0\napostropheesscost 0\n";
  s += "knownpuncper1cost 1\nunknownpuncper1cost 6\nbadpuncper1cost 25\nDictionaryCostsEnd\nLoneCostsStart\n";
  for (char c : letters + digits) s += std::string(1, c) + " " + std::to_string(10 + (c % 7)) + "\n";
  for (char c : std::string(".,;:!?'()-\"#/")) s += std::string(1, c) + " 12\n";
  s += "LoneCostsEnd\nUnsafeStringSegStart\nunsafesegs rn cl li vv\nunsafeingoodword m\nUnsafeStringSegsEnd\n";
  return s;
}

int TestUnigram(char c) { return SymbolOfChar(c) + 1; }
int TestTrigram(char a, char b, char c) { return 10 + (SymbolOfChar(a) + 2 * SymbolOfChar(b) + SymbolOfChar(c)) % 9; }

Bytes TestSylngram() {
  Bytes out;
  PutInt32(out, 27);
  for (int c = 0; c < 256; ++c) out.push_back(0xFF);
  for (int c = 0; c < 256; ++c) {
    const int s = SymbolOfChar(static_cast<char>(c));
    out.push_back(c < 128 && s >= 0 ? static_cast<uint8_t>(s) : 0xFF);
  }
  for (int s = 0; s < 27; ++s) out.push_back(static_cast<uint8_t>(s + 1));
  out.insert(out.end(), 3, 0);
  for (int a = 0; a < 27; ++a)
    for (int b = 0; b < 27; ++b) out.push_back(static_cast<uint8_t>(50 + (a + b) % 7));
  out.push_back(0);
  for (int a = 0; a < 27; ++a)
    for (int b = 0; b < 27; ++b)
      for (int c = 0; c < 27; ++c) out.push_back(static_cast<uint8_t>(10 + (a + 2 * b + c) % 9));
  out.insert(out.end(), 3, 0);
  return out;
}

void WriteTestLanguage(const EngineDataFolder& folder, const std::string& dictionary) {
  folder.Write(u"Langs\\English\\langdata.txt", TestLangData());
  folder.Write(u"Langs\\English\\sylngram.bin", TestSylngram());
  folder.Write(u"User\\dict.txt", dictionary);
}
