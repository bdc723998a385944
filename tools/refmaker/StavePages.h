// The blank stave pages the reference tool stands its head and symbol glyphs on
// (tools/refmaker/staves): read from their G4 TIFF files through libtiff.
#pragma once

#include <string>
#include <vector>

#include "tools/refmaker/RefMaker.h"

namespace refmaker {

// The layout file FOLDER/staves.txt (ReadStaveLayout) and every page it
// names, read from FOLDER. false with a message naming the layout file and
// line, or the page that cannot be read or whose staves leave it.
bool LoadStavePages(const std::string& folder, std::vector<StavePage>* out, std::string* error);

}  // namespace refmaker
