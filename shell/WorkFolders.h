// The page store's working folders and temporary files.
#pragma once

// Deletes everything matching "TDir*" in the page folder, then "ScanData" and
// "Transfer" when they exist, then empties the score undo ring.
void CleanWorkFolders();
// Deletes the temporary PDF page images ("PDF\*" in the page folder).
void DeleteTemporaryPdfPages();
