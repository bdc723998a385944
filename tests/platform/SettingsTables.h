// The value names of both settings sections in the orders the program reads
// and writes them, as the tests expect them.
#pragma once

#include <string>
#include <vector>

namespace settingstables {

// Every value of "General settings" in the order it is saved; loading reads
// the same order without the values that are only written.
inline std::vector<std::u16string> GeneralSaveOrder() {
  return {u"Read in one voice only", u"Read slurs, hairpins and ties", u"Auto rotate", u"Move output scan",
          u"Anti aliase image", u"Instrument language", u"Scanning interface", u"Wait for user before scanning",
          u"Faster automatic scan 2", u"Selected scanner", u"Scanner resolution", u"Scanner pixel type",
          u"Output Drag Mode", u"Quick Prefs", u"Auto Read Always", u"Splash screen", u"Use R8 Keypad",
          u"Use Korvalinde Keypad", u"Automatic page margins", u"Auto save period", u"SV MIDI Playback Device"};
}

inline std::vector<std::u16string> GeneralReadOrder() {
  std::vector<std::u16string> names;
  for (const auto& name : GeneralSaveOrder())
    if (name != u"Anti aliase image" && name != u"Wait for user before scanning") names.push_back(name);
  return names;
}

inline std::vector<std::u16string> RecentFiles(int count) {
  std::vector<std::u16string> names;
  for (int k = 0; k < count; ++k) names.push_back(u"Recent file " + std::u16string(1, static_cast<char16_t>(u'0' + k)));
  return names;
}

// "Global settings" in the order it is loaded (values only written left out).
inline std::vector<std::u16string> GlobalReadOrder(int recentFiles) {
  std::vector<std::u16string> names = {
      u"Detail width", u"Detail height", u"Show bad timing", u"Show attachment", u"Show voice numbers",
      u"Shade unhighlighted music", u"Translucent Windows", u"Open Filter", u"Save Filter", u"Open Directory",
      u"Save Directory", u"Print guitar tab rhythm", u"Main window position", u"Show BPPWarning dialog",
      u"Scanning preview area", u"Preview resolution", u"View palette", u"View full detail", u"Detail x-offset",
      u"Detail y-offset", u"Palette x-offset", u"Palette y-offset", u"Detail anchor", u"Palette anchor",
      u"Scan resolution", u"Show BWWarning dialog", u"Show PBWarning dialog",
      u"Show Win2000 256 Colour Warning dialog", u"Optimise MIDI for playback", u"Show BTWarning dialog",
      u"Show AccuracyWarning dialog", u"Show HandwrittenWarning dialog", u"Show DottedStavesWarning dialog",
      u"Show BadStavesWarning dialog", u"Show startup dialog", u"Show Pro Staves Warning dialog",
      u"Show Percussion Staves Warning dialog", u"Bracket tuplets", u"Number of recent files"};
  for (const auto& name : RecentFiles(recentFiles)) names.push_back(name);
  names.push_back(u"View Pages Pane Size X");
  return names;
}

inline std::vector<std::u16string> GlobalSaveOrder(int recentFiles) {
  std::vector<std::u16string> names = {
      u"Detail width", u"Detail height", u"Show bad timing", u"Show voice numbers", u"Show attachment",
      u"Shade unhighlighted music", u"Translucent Windows", u"Open Filter", u"Save Filter", u"Open Directory",
      u"Save Directory", u"Print guitar tab rhythm", u"Main window position", u"Show BPPWarning dialog",
      u"Scanning preview area", u"Preview resolution", u"View palette", u"View full detail", u"Detail x-offset",
      u"Detail y-offset", u"Detail anchor", u"Palette x-offset", u"Palette y-offset", u"Palette anchor",
      u"Scan in grey shades", u"Scan resolution", u"Show startup dialog", u"Show BWWarning dialog",
      u"Show PBWarning dialog", u"Show Scanned Page Warning dialog", u"Show Pro Staves Warning dialog",
      u"Show Percussion Staves Warning dialog", u"Show Win2000 256 Colour Warning dialog",
      u"Optimise MIDI for playback", u"Show BTWarning dialog", u"Show AccuracyWarning dialog",
      u"Show HandwrittenWarning dialog", u"Show DottedStavesWarning dialog", u"Show BadStavesWarning dialog",
      u"Bracket tuplets", u"Number of recent files"};
  for (const auto& name : RecentFiles(recentFiles)) names.push_back(name);
  names.push_back(u"View Pages Pane Size X");
  return names;
}

}  // namespace settingstables
