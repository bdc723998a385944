// UI string ids of page preparation (texts in resources/strings.txt).
#pragma once

enum PreparationStringId : unsigned {
  kStrOnlyGreyScans = 10011,
  kStrMemoryToProcessPage = 10012,
  kStrMemoryToReadPage = 10024,
  kStrCalculatingThreshold = 10097,
  kStrInvertingColour = 10098,
  kStrTurningUpsideDown = 10099,
  kStrConvertingToBlackAndWhite = 10100,
  kStrDeterminingOnSide = 10102,
  kStrCalculatingPageAngle = 10103,
  kStrMakingLevel = 10104,
  kStrTurningOnSide = 10105,
  kStrResampling = 10106,
  kStrFindingBoundary = 10107,
  kStrPaletteTooLarge = 10185,
  kStrCleaningUp = 10289,
  kStrCropping = 10451,
  kStrDeterminingPaperType = 10696,
};
