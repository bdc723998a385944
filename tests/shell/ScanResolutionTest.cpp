#include "shell/ScanResolution.h"

#include <gtest/gtest.h>

TEST(ScanResolution, TheQuestionOpensOnThePresetNearThePagesResolution) {
  struct Case {
    int page, start, preset;
  } cases[] = {{302, 302, 300}, {295, 295, 300}, {294, 294, 0}, {405, 405, 400}, {196, 196, 200},
               {0, 300, 300},   {149, 300, 300}, {150, 150, 0},   {600, 600, 0},   {72, 300, 300}};
  for (const Case& c : cases) {
    EXPECT_EQ(StartingResolution(c.page), c.start) << c.page;
    EXPECT_EQ(NearPresetResolution(StartingResolution(c.page)), c.preset) << c.page;
  }
}

TEST(ScanResolution, OnlyResolutionsMusicCanBeReadAtAreTaken) {
  struct Case {
    int resolution;
    bool taken, takenWithLowAllowed;
  } cases[] = {{0, false, false},   {-300, false, false}, {1, false, true},        {149, false, true},
               {150, true, true},   {300, true, true},    {600, true, true},       {601, false, false},
               {10000, false, false}};
  for (const Case& c : cases) {
    EXPECT_EQ(ResolutionTaken(c.resolution, false), c.taken) << c.resolution;
    EXPECT_EQ(ResolutionTaken(c.resolution, true), c.takenWithLowAllowed) << c.resolution;
  }
}
