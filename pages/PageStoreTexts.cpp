#include "pages/PageStoreTexts.h"

#include "platform/Messages.h"
#include "platform/Platform.h"
#include "platform/TextUtils.h"

namespace {
constexpr unsigned kTextMessageCaption = 10110;
constexpr int kTextUnits = 1024;
}  // namespace

void ShowPageStoreError(unsigned id, const char16_t* path, const char16_t* second) {
  char16_t format[kTextUnits];
  char16_t text[kTextUnits];
  LoadUiString(id, format, kTextUnits);
  FormatWide(text, kTextUnits, format, path ? path : u"", second ? second : u"");
  ErrorBox(nullptr, text);
}

bool AskPageStoreQuestion(unsigned id) {
  char16_t text[kTextUnits];
  char16_t caption[kTextUnits];
  LoadUiString(id, text, kTextUnits);
  LoadUiString(kTextMessageCaption, caption, kTextUnits);
  return platform::ShowMessageBox(text, caption, platform::kBoxYesNo | platform::kBoxIconQuestion) ==
         platform::kAnswerYes;
}
