// The export's objects for text items and hairpins ("descriptions"): one
// class per kind of text, filled from the item, knowing its text, its place
// and how it is written as NIFF chunks. The MusicXML writer reads the same
// objects through their accessors. CNiffExportObjects is the object factory
// that the stream reader asks for them while an export walks the score.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "export/NiffStringList.h"
#include "export/ReaderServices.h"

// ---- Dynamic words ---------------------------------------------------------

constexpr int kDynamicWordCount = 18;
// The code of a dynamic word, compared whole and with case: the position of
// the word among the first 18 dynamics words of the MusicXML tables (1
// "pppp" ... 10 "ffff", 11 "sp" ... 15 "fp", 16 "cresc", 17 "crescendo",
// 18 "dim"); 0 for any other text.
int DynamicWordCode(const std::u16string& text);

// ---- Descriptions -------------------------------------------------------------

// The base of the text descriptions.
class CNiffDescriptionText : public CNiffDescription {
 public:
  void Fill(const uint8_t* item, int option) override;
  const std::u16string* Text() const override { return &text_; }
  virtual std::unique_ptr<CNiffDescriptionText> Clone() const = 0;
  // Placed on the page (anchored to the page header) rather than against
  // the music (anchored to the time slice).
  virtual bool IsAbsolute() const { return false; }
  virtual bool IsLyric() const { return false; }
  // The whole description: its chunk, the anchor (the page header or the
  // time slice) and the place.
  void WriteNiff(const NiffStringList& strings) const { WriteNiffAnchored(strings, IsAbsolute()); }
  virtual void WriteNiffAnchored(const NiffStringList& strings, bool onPage) const;
  // Its chunk alone: a "text" chunk naming the string.
  virtual void WriteNiffChunk(const NiffStringList& strings) const;
  // Whether there is anything to write.
  virtual bool HasContent() const { return !text_.empty(); }
  int X() const { return x_; }
  int Y() const { return y_; }

 protected:
  std::u16string text_;
  int x_ = 0;
  int y_ = 0;
};

// Texts placed on the page.
class CNiffDescriptionTextAbsolute : public CNiffDescriptionText {
 public:
  void Fill(const uint8_t* item, int option) override;
  bool IsAbsolute() const override { return true; }
};

// Texts placed against the music.
class CNiffDescriptionTextRelative : public CNiffDescriptionText {
 public:
  void Fill(const uint8_t* item, int option) override;
};

template <class Derived, class Base>
class CNiffCloning : public Base {
 public:
  std::unique_ptr<CNiffDescriptionText> Clone() const override {
    return std::make_unique<Derived>(static_cast<const Derived&>(*this));
  }
};

class CNiffDescriptionTextGeneral : public CNiffCloning<CNiffDescriptionTextGeneral, CNiffDescriptionTextAbsolute> {};
class CNiffDescriptionTextTitle : public CNiffCloning<CNiffDescriptionTextTitle, CNiffDescriptionTextAbsolute> {};
class CNiffDescriptionTextComposer : public CNiffCloning<CNiffDescriptionTextComposer, CNiffDescriptionTextAbsolute> {};
class CNiffDescriptionTextLyricist : public CNiffCloning<CNiffDescriptionTextLyricist, CNiffDescriptionTextAbsolute> {};
class CNiffDescriptionTextPageNumber
    : public CNiffCloning<CNiffDescriptionTextPageNumber, CNiffDescriptionTextAbsolute> {};
class CNiffDescriptionTextSubtitle : public CNiffCloning<CNiffDescriptionTextSubtitle, CNiffDescriptionTextAbsolute> {};

class CNiffDescriptionTextMisc : public CNiffCloning<CNiffDescriptionTextMisc, CNiffDescriptionTextRelative> {};
class CNiffDescriptionTextRehearsal : public CNiffCloning<CNiffDescriptionTextRehearsal, CNiffDescriptionTextRelative> {};
class CNiffDescriptionTextCopyright : public CNiffCloning<CNiffDescriptionTextCopyright, CNiffDescriptionTextRelative> {};
class CNiffDescriptionTextTechnique : public CNiffCloning<CNiffDescriptionTextTechnique, CNiffDescriptionTextRelative> {};
class CNiffDescriptionTextTempo : public CNiffCloning<CNiffDescriptionTextTempo, CNiffDescriptionTextRelative> {};

class CNiffDescriptionTextDynamic : public CNiffCloning<CNiffDescriptionTextDynamic, CNiffDescriptionTextRelative> {
 public:
  void Fill(const uint8_t* item, int option) override;
  void WriteNiffChunk(const NiffStringList& strings) const override;
  int Code() const { return code_; }

 private:
  int code_ = 0;
};

class CNiffDescriptionTextGuitarChord
    : public CNiffCloning<CNiffDescriptionTextGuitarChord, CNiffDescriptionTextRelative> {
 public:
  void Fill(const uint8_t* item, int option) override;
  void WriteNiffChunk(const NiffStringList& strings) const override;
  // False when part of the symbol could not be named.
  bool Understood() const { return understood_; }

 private:
  bool understood_ = false;
};

class CNiffDescriptionTextGuitarGrid
    : public CNiffCloning<CNiffDescriptionTextGuitarGrid, CNiffDescriptionTextRelative> {
 public:
  void Fill(const uint8_t* item, int option) override;
  void WriteNiffChunk(const NiffStringList& strings) const override;
};

class CNiffDescriptionTextLyric : public CNiffCloning<CNiffDescriptionTextLyric, CNiffDescriptionTextRelative> {
 public:
  bool IsLyric() const override { return true; }
  void WriteNiffChunk(const NiffStringList& strings) const override;
  void SetVerse(int verse) { verse_ = verse; }
  int Verse() const { return verse_; }

 private:
  int verse_ = 0;
};

// The count over a rest of several bars.
class CNiffDescriptionTextLabel : public CNiffCloning<CNiffDescriptionTextLabel, CNiffDescriptionTextRelative> {
 public:
  explicit CNiffDescriptionTextLabel(uint32_t bars);
  void Fill(const uint8_t*, int) override {}
};

class CNiffDescriptionHairpin : public CNiffDescription {
 public:
  explicit CNiffDescriptionHairpin(HairpinType type) : type_(type) {}
  void Fill(const uint8_t* item, int option) override;
  HairpinType Type() const { return type_; }
  int StartX() const { return startX_; }     // horizontal offset of its start
  int Length() const { return length_; }     // its width
  int Opening() const { return opening_; }   // the height of its open end

 private:
  HairpinType type_;
  int startX_ = 0;
  int length_ = 0;
  int opening_ = 0;
};

// The description class of a text sub-kind; null for sub-kinds without one.
std::unique_ptr<CNiffDescriptionText> CreateTextDescriptionFor(uint8_t subKind);

class CNiffExportObjects : public CExportObjectFactory {
 public:
  std::unique_ptr<CNiffDescription> CreateTextDescription(uint8_t subKind) override;
  std::unique_ptr<CNiffDescription> CreateGuitarChord() override;
  std::unique_ptr<CNiffDescription> CreateGuitarGrid() override;
  std::unique_ptr<CNiffDescription> CreateHairpin(HairpinType type) override;
  std::unique_ptr<CNiffDescription> CreateMultiBarLabel(uint32_t bars, int option) override;
  std::unique_ptr<CNiffReadAheadHandler> CreateNodeCounter() override;
  std::unique_ptr<CNiffReadAheadHandler> CreateSymbolMeasure() override;
  std::unique_ptr<CNiffTieWatcher> CreateTieState(int askerValue, int position) override;
};

// Installs a factory for the life of the object and puts back the one it
// replaced.
class ScopedExportObjects {
 public:
  explicit ScopedExportObjects(CExportObjectFactory* factory) : previous_(SetExportObjectFactory(factory)) {}
  ~ScopedExportObjects() { SetExportObjectFactory(previous_); }
  ScopedExportObjects(const ScopedExportObjects&) = delete;
  ScopedExportObjects& operator=(const ScopedExportObjects&) = delete;

 private:
  CExportObjectFactory* previous_;
};
