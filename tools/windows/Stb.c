// stb_image and stb_image_write compiled once from Debian's headers, as
// Debian's libstb does for Linux.
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
