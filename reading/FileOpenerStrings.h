// UI string ids of the file opener.
#pragma once

#include "pages/SpriteStrings.h"  // kStrPageMemoryForLoad, kStrFileEmpty ..., shared with the image files
#include "reading/PreparationStrings.h"  // kStrOnlyGreyScans, shared with preparation

enum : unsigned {
  kStrSelectResolution = 10086,
  kStrTiffDidNotOpen = 10460,
  kStrNotOpenedFormat = 11720,  // what, the file, why
  kStrFileDidNotOpen = 11721,
  kStrNotAnOpenedType = 11726,
  kStrPdfNotAvailable = 11727,
  kStrIsAFolder = 11728,
  kStrFilesDidNotOpen = 11729,
  kStrAndMore = 10147,  // " and more..."
};
