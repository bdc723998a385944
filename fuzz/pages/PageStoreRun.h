// A page store of a target's own for the targets that go through the page
// store's operations: the data folder points at a folder below the scratch
// folder, the store's folder exists, the table holds the given rows (none
// current) and the hooks are the defaults. Every input starts so.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

#include "pages/PageFiles.h"

namespace fuzz {

// One row per store id, in that order; each with a page key of its own.
void UsePageStore(const char* name, std::initializer_list<int16_t> scanIds);
// The path of a page file of the store (its folder made).
std::u16string StoreFilePath(PageFile which, int16_t scanId);
// A file of the store's folder ("!Index" ...).
std::u16string StoreFolderFile(const char16_t* name);

}  // namespace fuzz
