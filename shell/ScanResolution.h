// The rules of the scan-resolution question: which choice it opens with and
// which resolutions it takes for reading music.
#pragma once

// The resolution the question starts from: the page's, or 300 below 150.
int StartingResolution(int pageResolution);
// The preset (400, 300 or 200) within 5 dpi of the resolution; 0 for none.
int NearPresetResolution(int resolution);
// Music is read from 150 to 600 dpi; with low resolutions allowed from 1.
bool ResolutionTaken(int resolution, bool lowResolutionAllowed);
