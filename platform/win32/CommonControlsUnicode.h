// The 9x half of the common controls' wide-text switch (Win32 only). Kept
// free of <windows.h> so that the portable text utilities can call it.
#pragma once

// When the loaded COMCTL32.DLL is version 5.80 or later, asks the main frame
// to switch the common controls' wide-text format on or off and stores the
// format they then report in *answer. False (nothing asked) for older
// versions or when the version cannot be read.
bool SetCommonControlsUnicodeFormat(bool on, bool* answer);
