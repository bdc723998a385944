// Puts the recognition stages into the reading thread's stage table.
#pragma once

void InstallRecognitionStages();

struct StageContext;
// The articulation entry: the articulation step, then the chord's outer
// notes marked.
int ArticulationAndOuterNotesStage(StageContext& context);
