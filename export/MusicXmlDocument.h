// The MusicXML 1.0 partwise document of the score in memory.
#pragma once

#include <vector>

#include "export/KVReader.h"
#include "export/XmlOutput.h"

// The score holds a part besides slot 0 (its page texts): a document has
// at least one part.
bool ScoreHasParts();

// Writes the whole document to out. What could not be written exactly as
// the score holds it is added to problems (each part, bar and kind once).
// A score that cannot be written at all throws CNiffWriterError.
void WriteMusicXmlDocument(CXmlOutput& out, std::vector<ReadProblemEntry>* problems);
