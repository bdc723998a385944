// Puts the score-building stages into the reading thread's stage table.
#pragma once

void InstallScoreBuildingStages();
