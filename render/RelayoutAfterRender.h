// The re-layout the score window may ask for after a paint: every bar that
// holds a chord is put in the x order of its items' rows, its beams and
// stems made to agree and its stave's attached marks moved in front of
// their chords. The painter then paints the page again.
#pragma once

// True when any bar was reordered (the page's data are then saved).
bool RelayoutAfterRender();
