// A page being built for the score-building tests: one page data, its own
// stream set, the lists of one system and a context that points at them.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "building/BuildContext.h"
#include "building/StaveGroupPass.h"

class StaveGroupFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    page = std::make_unique<PageData>();
    page->resolution = 300;
    context.page = page.get();
    context.streams = &streams;
    context.resolution = 300;
    context.scorePage = 1;
    context.ReadingPartCount = 2;
  }
  void TearDown() override { FreeStreamSet(&streams); }

  // One five-line stave per system: top at y, 12 pixels a space.
  void AddStave(int group, int number, int y = 300) {
    StaveRow row;
    row.left = 100;
    row.right = 2000;
    row.top = static_cast<int16_t>(y);
    row.bottom = static_cast<int16_t>(y + 48);
    row.lineCount = 5;
    row.group = static_cast<int16_t>(group);
    row.number = static_cast<int16_t>(number);
    rows.push_back(row);
  }

  SymbolRecord& AddSymbol(int type, int left, int right, int stepTop = 4, int stepBottom = 12, uint32_t count = 0,
                          int stave = 0) {
    SymbolRecord s;
    std::memset(&s, 0, sizeof s);
    s.type = static_cast<int16_t>(type);
    s.count = count;
    s.stepTop = static_cast<int16_t>(stepTop);
    s.stepBottom = static_cast<int16_t>(stepBottom);
    s.left = static_cast<int16_t>(left);
    s.right = static_cast<int16_t>(right);
    s.stave = static_cast<int16_t>(stave);
    symbols.push_back(s);
    return symbols.back();
  }

  NoteRecord& AddNote(int kind, int left, int step, int stave = 0) {
    NoteRecord n;
    std::memset(&n, 0, sizeof n);
    n.kind = static_cast<uint32_t>(kind);
    n.left = static_cast<int16_t>(left);
    n.right = static_cast<int16_t>(left + 14);
    n.step = static_cast<int16_t>(step);
    n.top = static_cast<int16_t>(300 + (20 - step) * 6 - 6);
    n.bottom = static_cast<int16_t>(n.top + 12);
    n.stave = static_cast<int16_t>(stave);
    notes.push_back(n);
    return notes.back();
  }

  CharRecord& AddChar(const char16_t* text, uint16_t kind, int left, int top) {
    CharRecord c;
    std::memset(&c, 0, sizeof c);
    for (int k = 0; text[k] && k < kCharTextUnits - 1; ++k) c.text[k] = text[k];
    c.kind = kind;
    c.left = static_cast<int16_t>(left);
    c.right = static_cast<int16_t>(left + 10);
    c.top = static_cast<int16_t>(top);
    c.bottom = static_cast<int16_t>(top + 14);
    c.baseline = c.bottom;
    chars.push_back(c);
    return chars.back();
  }

  void Bind() {
    symbolCount = static_cast<uint32_t>(symbols.size());
    noteCount = static_cast<uint32_t>(notes.size());
    charCount = static_cast<uint32_t>(chars.size());
    wordCount = 0;
    PageLists& lists = context.lists;
    lists.symbols = symbols.data();
    lists.symbolCount = &symbolCount;
    lists.notes = notes.data();
    lists.noteCount = &noteCount;
    lists.chars = chars.data();
    lists.charCount = &charCount;
    lists.words = nullptr;
    lists.wordCount = &wordCount;
    lists.curves = curves.data();
    lists.curveCount = static_cast<uint32_t>(curves.size());
    lists.lines = lines.data();
    lists.lineCount = static_cast<uint32_t>(lines.size());
    lists.rows = rows.data();
    lists.staveCount = static_cast<int>(rows.size());
  }

  // Runs the pass over the system whose first stave row is firstRow.
  int Run(int firstRow = 0) {
    Bind();
    int end = firstRow;
    while (end < static_cast<int>(rows.size()) && rows[end].group == rows[firstRow].group) ++end;
    return InterpretStaveSymbols(context, firstRow, end);
  }

  std::vector<uint8_t> Slot(int slot) const {
    const uint8_t* bytes = StreamBytes(streams, slot);
    return bytes ? std::vector<uint8_t>(bytes, bytes + StreamUsedLength(streams, slot)) : std::vector<uint8_t>{};
  }

  std::vector<std::vector<int>> Boxes() const {
    std::vector<std::vector<int>> out;
    for (int k = 0; k < page->boxCount; ++k)
      out.push_back({page->boxes[k][0], page->boxes[k][1], page->boxes[k][2], page->boxes[k][3]});
    return out;
  }

  std::unique_ptr<PageData> page;
  StreamSet streams{};
  BuildContext context;
  std::vector<StaveRow> rows;
  std::vector<SymbolRecord> symbols;
  std::vector<NoteRecord> notes;
  std::vector<CharRecord> chars;
  std::vector<CurveItem> curves;
  std::vector<LineItem> lines;
  uint32_t symbolCount = 0, noteCount = 0, charCount = 0, wordCount = 0;
};
