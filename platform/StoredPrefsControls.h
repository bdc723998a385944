// The Preferences controls held as values: a snapshot of the dialog's
// controls taken on the dialog's own thread and applied on the interface
// thread, and the stand-in dialog of the tests.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/PreferenceItems.h"

class StoredPrefsControls : public PrefsControls {
 public:
  struct Control {
    int check = kBoxUnchecked;
    int selection = -1;
    std::vector<std::u16string> entries;
    int position = 0;
    std::u16string text;
    bool enabled = true;
  };

  // Every control of the item table as it stands in from (of a combo box
  // only its selected entry is kept, at its index).
  static StoredPrefsControls Capture(const PrefsControls& from);

  Control& At(int page, int id) { return controls_[{page, id}]; }

  int CheckState(int page, int id) const override { return Find(page, id).check; }
  void SetCheckState(int page, int id, int state) override { At(page, id).check = state; }
  int ComboSelection(int page, int id) const override { return Find(page, id).selection; }
  int ComboCount(int page, int id) const override { return static_cast<int>(Find(page, id).entries.size()); }
  std::u16string ComboEntry(int page, int id, int index) const override;
  int TrackPosition(int page, int id) const override { return Find(page, id).position; }
  void SetTrackPosition(int page, int id, int position) override { At(page, id).position = position; }
  std::u16string Text(int page, int id) const override { return Find(page, id).text; }
  void SetText(int page, int id, const std::u16string& text) override { At(page, id).text = text; }
  bool IsEnabled(int page, int id) const override { return Find(page, id).enabled; }
  void Enable(int page, int id, bool enabled) override { At(page, id).enabled = enabled; }

 private:
  const Control& Find(int page, int id) const;
  std::map<std::pair<int, int>, Control> controls_;
};
