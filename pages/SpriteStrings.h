// UI string ids of the sprite and image-file routines.
#pragma once

enum : unsigned {
  kStrPageMemoryForLoad = 10036,  // "Insufficient memory available to load page"
  kStrFileCannotBeOpened = 10262,
  kStrCannotLoad24Bit = 10263,
  kStrBadBitmapFile = 10266,
  kStrBitmapMemoryTooSmall = 10267,
  kStrBitmapReadProblem = 10268,
  kStrScreenModeNotSupported = 10269,
  kStrFileCannotBeCreated = 10270,
  kStrBitmapTooWide = 10273,
  kStrBitmapSaveProblem = 10274,
  kStrSpriteNameNotFound = 10275,
  kStrCompressedBmp = 10288,
  kStrTiffMemory = 10457,
  kStrTiffReadProblem = 10458,
  // Why a file did not open as a TIFF.
  kStrFileMissing = 11722,
  kStrFileEmpty = 11723,
  kStrNotATiff = 11724,
  kStrTiffCutShort = 11725,
};
