#include "stages/RecognitionStages.h"

#include "reading/ReadingThread.h"

void InstallRecognitionStages() {
  // One line per stage, in the table's order.
}
