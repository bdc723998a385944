// Natively there are no system scanners.
#include "platform/ScannerProbe.h"

bool ListSystemScanners(void* comboBox) { return false; }
