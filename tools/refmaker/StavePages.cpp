#include "tools/refmaker/StavePages.h"

#include "tests/Code/Quorm/EngravedPage.h"

namespace refmaker {

bool LoadStavePages(const std::string& folder, std::vector<StavePage>* out, std::string* error) {
  const std::string layout = folder + "/staves.txt";
  std::vector<StavePage> pages;
  if (!ReadStaveLayout(std::u16string(layout.begin(), layout.end()), &pages, error)) return false;
  for (StavePage& page : pages) {
    const std::string path = folder + "/" + page.name;
    EngravedPage engraved;
    if (!LoadEngravedPage(path, &engraved)) {
      if (error != nullptr) *error = "stave page " + path + " (named in " + layout + "): cannot be read as a 1-bit TIFF";
      return false;
    }
    page.image = Canvas(engraved.width, engraved.height);
    for (int y = 0; y < engraved.height; ++y)
      for (int x = 0; x < engraved.width; ++x)
        page.image.pixels[static_cast<size_t>(y) * engraved.width + x] = engraved.Black(x, y) ? 1 : 0;
    for (const EngravedStave& stave : page.staves)
      if (stave.rows[4] >= engraved.height || stave.right >= engraved.width) {
        if (error != nullptr) *error = "stave page " + path + ": a stave in " + layout + " lies outside the page";
        return false;
      }
  }
  *out = std::move(pages);
  return true;
}

}  // namespace refmaker
