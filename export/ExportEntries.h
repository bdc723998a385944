// The exports the shell calls from Save and Save As. Each writes the score in
// memory to the path, reports its own failures and problems to the user, and
// returns 1 when the file was written in full, 0 otherwise. An export never
// marks the score saved: the program cannot read these files back.
#pragma once

// A MusicXML 1.0 partwise document.
int ExportMusicXml(const char16_t* path);

class CExportItemPositions;

// A NIFF file (a RIFX form "NIFF"). positions, when the caller laid the page
// out, let each hairpin end at the chord under its drawn end.
int ExportNiff(const char16_t* path, const CExportItemPositions* positions = nullptr);
