#include <gtest/gtest.h>

#include "tests/playback/MidiWriterFixture.h"

namespace {

// Writes that fail are a failure, not a file written.
TEST_F(MidiWriterTest, AFullDiscFailsTheWrite) {
  Name(1, u"Piano");
  SetPart(1, JoinItems({Chord({kC4}), Bar()}));
  EXPECT_EQ(WriteMidiFile(u"/dev/full", nullptr, nullptr, nullptr, kMidiWritePlayback), 0);
}

}  // namespace
