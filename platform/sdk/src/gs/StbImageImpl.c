/* The stb_image decoder compiled in, for builds without the system's libstb
   (the Windows cross build). Decoding only; no file access by stb itself. */
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#define STBI_FAILURE_USERMSG
#include <stb_image.h>
