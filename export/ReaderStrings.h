// A reader that only collects the texts of the descriptions it meets, in
// reading order, for the NIFF string table.
#pragma once

#include <string>
#include <vector>

#include "export/KVReader.h"

class CKVReaderStrings : public CKVReader {
 public:
  void OutputDescription(CNiffDescription& description) override;
  std::vector<std::u16string> texts;
};
