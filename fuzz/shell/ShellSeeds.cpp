// Seeds of the shell's command readers: the commands the server answers and
// a few it refuses, and a drop of page images, a PDF, a score and a name
// without an extension.
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/FuzzTarget.h"

namespace {

void WriteText(const std::string& folder, const std::string& name, char topic, const std::string& text) {
  std::string bytes(1, topic);
  bytes += text;
  fuzz::WriteSeed(folder, name, bytes.data(), bytes.size());
}

void PutName(std::vector<uint8_t>* out, const std::u16string& name) {
  for (char16_t c : name) {
    out->push_back(uint8_t(c));
    out->push_back(uint8_t(c >> 8));
  }
  out->push_back(0);
  out->push_back(0);
}

}  // namespace

KV_FUZZ_SEEDS(dde_commands) {
  WriteText(folder, "open-tif", 0, "[open(\"C:\\Scans\\Sonata 12.tif\")]");
  WriteText(folder, "open-no-extension", 0, "[open(\"C:\\Scans\\page\")]");
  WriteText(folder, "print", 0, "[print(\"C:\\Scans\\a.opt\")]");
  WriteText(folder, "quote-in-path", 0, "[open(\"C:\\a\"b.tif\")]");
  WriteText(folder, "activate", 1, "Activate");
  WriteText(folder, "activate-on-system", 0, "Activate");
}

KV_FUZZ_SEEDS(dropped_files) {
  const char tiff[] = {'I', 'I', 42, 0, 8, 0, 0, 0};
  std::vector<uint8_t> drop{sizeof tiff};
  drop.insert(drop.end(), tiff, tiff + sizeof tiff);
  for (const char16_t* name : {u"page one.tif", u"Page.TIFF", u"scan.bmp", u"book.pdf", u"score.opt", u"notes.txt",
                               u"page", u"..", u"."})
    PutName(&drop, name);
  fuzz::WriteSeed(folder, "drop", drop.data(), drop.size());
  const char pdf[] = "%PDF-1.4";
  std::vector<uint8_t> sniffed{sizeof pdf - 1};
  sniffed.insert(sniffed.end(), pdf, pdf + sizeof pdf - 1);
  PutName(&sniffed, u"unnamed");
  fuzz::WriteSeed(folder, "sniffed-pdf", sniffed.data(), sniffed.size());
}
