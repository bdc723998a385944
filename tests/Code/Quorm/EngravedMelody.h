// The engraved melody (fixtures/melody.tif, four staves) loaded into the
// engine, as the engine tests over a real page start.
#pragma once

// Frees the engine, loads the page and runs the staff stage; a fatal
// failure of the running test when the page cannot be read or loaded, the
// stage fails or it does not find the four staves.
void LoadMelodyStaves();
