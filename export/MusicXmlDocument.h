// The MusicXML 1.0 partwise document of the score in memory.
#pragma once

#include <vector>

#include "export/KVReader.h"
#include "export/XmlOutput.h"

// Writes the whole document to out. What could not be written exactly as
// the score holds it is added to problems (each part, bar and kind once).
// A score that cannot be written at all throws CNiffWriterError.
void WriteMusicXmlDocument(CXmlOutput& out, std::vector<ReadProblemEntry>* problems);
