// Puts the recognition stages into the reading thread's stage table.
#pragma once

void InstallRecognitionStages();
