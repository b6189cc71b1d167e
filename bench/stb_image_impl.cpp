// The one translation unit that compiles stb_image, the reference loader the benchmarks
// compare against.
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>
