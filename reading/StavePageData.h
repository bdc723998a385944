// The stave look-ups over a page's data: its image, resolution, line table
// and curve flags.
#pragma once

#include "pages/PageData.h"
#include "reading/StaveGeometry.h"

// handwrittenView: the page is the page view's and its page is marked
// handwritten (tracing then allows more weak columns).
StavePage StavePageFor(PageData& page, bool handwrittenView = false);
