#include "fuzz/FuzzTarget.h"
#include "tests/support/PngImage.h"

KV_FUZZ_SEEDS(png_image) {
  for (int channels : {1, 3}) {
    PngImage image;
    image.width = 12;
    image.height = 5;
    image.channels = channels;
    for (int i = 0; i < 12 * 5 * channels; ++i) image.pixels.push_back(static_cast<uint8_t>(i * 37));
    const std::vector<uint8_t> bytes = EncodePng(image);
    fuzz::WriteSeed(folder, channels == 1 ? "grey" : "rgb", bytes.data(), bytes.size());
  }
}
