// UI string ids of the file opener.
#pragma once

enum : unsigned {
  kStrOnlyGreyScans = 10011,
  kStrMemoryToLoadPage = 10036,
  kStrSelectResolution = 10086,
  kStrTooManyScorePages = 10178,
  kStrTiffDidNotOpen = 10460,
};
