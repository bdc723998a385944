// What the stream reader needs from the NIFF writer's symbol states and from
// the export descriptions, as interfaces. The writer side implements them
// and installs its factory (SetExportObjectFactory) before a walk; without
// one the reader makes no descriptions, and the look-aheads that need a
// symbol state refuse with CNiffWriterError.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "export/BeatCounter.h"
#include "export/ReaderEvents.h"
#include "export/ReaderRecords.h"

// An open symbol state of the NIFF writer (beam, tie, slur, hairpin,
// tuplet); the reader only passes it between a handler and a look-ahead.
class CNiffSymbolState;

// One entry of a reader's handler list.
class CNiffEventHandler {
 public:
  virtual ~CNiffEventHandler() = default;
  virtual std::unique_ptr<CNiffEventHandler> Clone() const = 0;
  // Offered every event while the reader is not stopped.
  virtual void OnEvent(const CNiffEvent& event) = 0;
  // The factor by which notes of a voice are scaled (an open tuplet's ratio);
  // false when the handler gives none.
  virtual bool TimeFactor(int voice, CBeatCounter* factor) const { return false; }
  // The list's first and second services: open a tuplet or a slur; the
  // state opened, or null when this handler does not open it.
  virtual CNiffSymbolState* OpenTuplet(const TupletRecord& record) { return nullptr; }
  virtual CNiffSymbolState* OpenSlur(const SlurRecord& record) { return nullptr; }
};

// The handler a tuplet or slur look-ahead embeds: attached to the state that
// the mark opened, it is told that state's events and when it closes.
class CNiffReadAheadHandler {
 public:
  virtual ~CNiffReadAheadHandler() = default;
  virtual void AttachTo(CNiffSymbolState* state) = 0;
  virtual bool IsDone() const = 0;
  // Node counter: the nodes counted. Measure handler: the time it stored.
  virtual int Count() const { return 0; }
  virtual CBeatCounter StoredTime() const { return CBeatCounter(); }
};

// The tie state a tie look-ahead feeds: each answer 0 ends the look-ahead.
class CNiffTieWatcher {
 public:
  virtual ~CNiffTieWatcher() = default;
  virtual int Offer(const CNiffEvent& event) = 0;
};

// A text description (or a hairpin) built from one item.
class CNiffDescription {
 public:
  virtual ~CNiffDescription() = default;
  // Reads the item; option is the reader's DescriptionOption value.
  virtual void Fill(const uint8_t* item, int option) = 0;
  // The text it will name in a string table, or null.
  virtual const std::u16string* Text() const { return nullptr; }
};

enum HairpinType : int { kHairpinDiminuendo = 1, kHairpinCrescendo = 2 };

class CExportObjectFactory {
 public:
  virtual ~CExportObjectFactory() = default;
  // The description of a text item's sub-kind; null for sub-kinds without one.
  virtual std::unique_ptr<CNiffDescription> CreateTextDescription(uint8_t subKind) = 0;
  virtual std::unique_ptr<CNiffDescription> CreateGuitarChord() = 0;
  virtual std::unique_ptr<CNiffDescription> CreateGuitarGrid() = 0;
  virtual std::unique_ptr<CNiffDescription> CreateHairpin(HairpinType type) = 0;
  // The label "N bars" over a multi-bar rest.
  virtual std::unique_ptr<CNiffDescription> CreateMultiBarLabel(uint32_t bars, int option) = 0;
  virtual std::unique_ptr<CNiffReadAheadHandler> CreateNodeCounter() = 0;
  virtual std::unique_ptr<CNiffReadAheadHandler> CreateSymbolMeasure() = 0;
  // askerValue and the note's staff position (or string) as the asker gives them.
  virtual std::unique_ptr<CNiffTieWatcher> CreateTieState(int askerValue, int position) = 0;
};

// The installed factory, or null. Setting returns the one it replaces.
CExportObjectFactory* ExportObjects();
CExportObjectFactory* SetExportObjectFactory(CExportObjectFactory* factory);
