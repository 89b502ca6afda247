/* A thin C layer over libjpeg's decompressor. libjpeg reports fatal errors by calling an error
 * handler that must not return; here it longjmps back into the same C function that called
 * libjpeg, so no jump ever crosses a C++ frame. Every function returns 1 on success and 0 on
 * failure, after which zj_message() tells why and only zj_destroy() may follow. */
#ifndef ZORVA_PREVIEW_JPEGCORE_H
#define ZORVA_PREVIEW_JPEGCORE_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct zj_decoder zj_decoder;

/* NULL when out of memory. */
zj_decoder* zj_create(void);
void zj_destroy(zj_decoder* d);

/* Reads the JPEG header from the `size` bytes at `data` (which must outlive the decoder) and
 * gives the picture's size. The decoder uses at most `max_memory` bytes of working memory. */
int zj_read_header(zj_decoder* d, const unsigned char* data, size_t size, long max_memory,
                   int* width, int* height);

/* Starts decompression to 8-bit RGB (three bytes a pixel), whatever the file's colour space. */
int zj_start(zj_decoder* d);

/* Decodes up to `count` rows into the row buffers, each at least width * 3 bytes long; *rows_read
 * tells how many were filled (0 at the end of the picture). */
int zj_read_rows(zj_decoder* d, unsigned char** rows, int count, int* rows_read);

/* Number of warnings (corrupt or missing data that libjpeg worked around). */
int zj_warnings(const zj_decoder* d);
/* Text of the last fatal error, "" when there was none. */
const char* zj_message(const zj_decoder* d);

#ifdef __cplusplus
}
#endif

#endif
