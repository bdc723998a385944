#include "export/ReaderStrings.h"

void CKVReaderStrings::OutputDescription(CNiffDescription& description) {
  if (const std::u16string* text = description.Text()) texts.push_back(*text);
}
