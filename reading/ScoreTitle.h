// The title a new score takes from the name of its first read page.
#pragma once

// "Score 12 of mine" gives "Score 12"; any other name gives the title made
// from it as from a file name ("Sonata page 3.tif" gives "Sonata"). The name
// itself when that leaves nothing. The result lives until the calling
// thread's next call.
const char16_t* ScoreTitleFromPageName(const char16_t* name);
