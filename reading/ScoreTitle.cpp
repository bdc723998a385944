#include "reading/ScoreTitle.h"

#include <cstddef>

#include "platform/Messages.h"
#include "platform/TextUtils.h"

namespace {

constexpr unsigned kStringScorePrefix = 10459;  // "Score "
constexpr size_t kTitleUnits = 260;
thread_local char16_t t_title[kTitleUnits];

size_t Length(const char16_t* text) {
  size_t n = 0;
  while (text[n]) ++n;
  return n;
}

}  // namespace

const char16_t* ScoreTitleFromPageName(const char16_t* name) {
  if (!name) name = u"";
  char16_t prefix[64] = {};
  LoadUiString(kStringScorePrefix, prefix, 64);
  const size_t prefixLength = Length(prefix);
  const char16_t* title;
  if (prefixLength && CompareNoCaseN(name, prefix, prefixLength) == 0) {
    // "Score " and the run of digits after it.
    size_t n = prefixLength;
    while (name[n] >= u'0' && name[n] <= u'9') ++n;
    if (n >= kTitleUnits) n = kTitleUnits - 1;
    for (size_t i = 0; i < n; ++i) t_title[i] = name[i];
    t_title[n] = 0;
    title = t_title;
  } else {
    title = TitleFromFileName(name);
  }
  return title[0] ? title : name;
}
