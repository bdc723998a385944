// Puts the score-building stages into the reading thread's stage table.
#pragma once

void InstallScoreBuildingStages();

struct StageContext;
// The text finder's entry: the page's bare text-finder step, then the
// engine's texts into the page's text records.
int FindCharsAndEngineTextStage(StageContext& context);
// The group's dots-and-words entry: the chord's dot counts agreed, then the
// word pass.
int DotsAndWordsStage(StageContext& context);
