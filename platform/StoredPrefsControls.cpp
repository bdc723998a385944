#include "platform/StoredPrefsControls.h"

StoredPrefsControls StoredPrefsControls::Capture(const PrefsControls& from) {
  StoredPrefsControls copy;
  for (int item = kPrefsFirstItem; item <= kPrefsLastItem; ++item) {
    int page = -1, kind = -1;
    const int id = PrefsControlInfo(item, &page, &kind);
    if (id < 0) continue;
    Control& c = copy.At(page, id);
    c.enabled = from.IsEnabled(page, id);
    switch (kind) {
      case kPrefsCheck: c.check = from.CheckState(page, id); break;
      case kPrefsTrackBar: c.position = from.TrackPosition(page, id); break;
      case kPrefsText: c.text = from.Text(page, id); break;
      case kPrefsCombo: {
        const int count = from.ComboCount(page, id), selection = from.ComboSelection(page, id);
        c.entries.assign(count > 0 ? static_cast<size_t>(count) : 0, std::u16string());
        c.selection = selection;
        if (selection >= 0 && selection < count) c.entries[static_cast<size_t>(selection)] = from.ComboEntry(page, id, selection);
        break;
      }
    }
  }
  return copy;
}

std::u16string StoredPrefsControls::ComboEntry(int page, int id, int index) const {
  const Control& c = Find(page, id);
  if (index < 0 || static_cast<size_t>(index) >= c.entries.size()) return std::u16string();
  return c.entries[static_cast<size_t>(index)];
}

const StoredPrefsControls::Control& StoredPrefsControls::Find(int page, int id) const {
  static const Control kAbsent;
  auto it = controls_.find({page, id});
  return it == controls_.end() ? kAbsent : it->second;
}
