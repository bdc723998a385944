// Whether a system (WIA) scanner is attached. The settings loader asks it to
// choose the default scanning interface.
#pragma once

// True when at least one WIA device exists. A combo box to fill with the
// scanners is not supported yet: pass null.
bool ListSystemScanners(void* comboBox);
