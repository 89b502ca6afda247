/* libjpeg's decompressor behind functions that turn its fatal errors into a result. Each public
 * function that calls into libjpeg sets the jump target first, so error_exit only ever jumps back
 * into the function that is running; this file is C, so no destructor can be skipped. */
#include "JpegCore.h"

#include <setjmp.h>
#include <stdlib.h>

/* jpeglib.h uses FILE without including stdio.h itself. */
/* clang-format off */
#include <stdio.h>
#include <jpeglib.h>
/* clang-format on */

/* A progressive file can hold any number of scans, each one a pass over the whole picture; a
 * picture from the module has a handful, so a file with far more is refused rather than ground
 * through. */
enum { kMaxScans = 100 };

struct zj_decoder {
    struct jpeg_decompress_struct cinfo; /* first, so that a j_common_ptr leads back here */
    struct jpeg_error_mgr err;
    struct jpeg_progress_mgr progress;
    jmp_buf jump;
    int started;
    int cmyk;
    JSAMPARRAY cmyk_row;
    int warnings;
    char message[JMSG_LENGTH_MAX];
};

static zj_decoder* decoder_of(j_common_ptr cinfo)
{
    return (zj_decoder*)(void*)cinfo;
}

static void on_error_exit(j_common_ptr cinfo)
{
    zj_decoder* d = decoder_of(cinfo);
    (*cinfo->err->format_message)(cinfo, d->message);
    longjmp(d->jump, 1);
}

static void on_emit_message(j_common_ptr cinfo, int level)
{
    /* Negative levels are warnings about corrupt data; the others are trace output. */
    if (level < 0) {
        decoder_of(cinfo)->warnings++;
    }
}

static void on_output_message(j_common_ptr cinfo)
{
    (void)cinfo; /* nothing goes to stderr */
}

static void on_progress(j_common_ptr cinfo)
{
    zj_decoder* d = decoder_of(cinfo);
    if (d->cinfo.input_scan_number > kMaxScans) {
        snprintf(d->message, sizeof d->message, "JPEG data has more than %d scans", kMaxScans);
        longjmp(d->jump, 1);
    }
}

static void set_message(zj_decoder* d, const char* text)
{
    snprintf(d->message, sizeof d->message, "%s", text);
}

zj_decoder* zj_create(void)
{
    /* volatile: read again after a jump back from jpeg_create_decompress */
    zj_decoder* volatile d = (zj_decoder*)calloc(1, sizeof(zj_decoder));
    if (d == NULL) {
        return NULL;
    }
    d->cinfo.err = jpeg_std_error(&d->err);
    d->err.error_exit = on_error_exit;
    d->err.emit_message = on_emit_message;
    d->err.output_message = on_output_message;
    if (setjmp(d->jump)) {
        free(d);
        return NULL;
    }
    jpeg_create_decompress(&d->cinfo);
    d->progress.progress_monitor = on_progress;
    d->cinfo.progress = &d->progress;
    return d;
}

void zj_destroy(zj_decoder* d)
{
    if (d == NULL) {
        return;
    }
    jpeg_destroy_decompress(&d->cinfo);
    free(d);
}

int zj_read_header(zj_decoder* d, const unsigned char* data, size_t size, long max_memory,
                   int* width, int* height)
{
    *width = 0;
    *height = 0;
    if (data == NULL || size == 0) {
        set_message(d, "no JPEG data");
        return 0;
    }
    if (setjmp(d->jump)) {
        return 0;
    }
    d->cinfo.mem->max_memory_to_use = max_memory;
    jpeg_mem_src(&d->cinfo, data, (unsigned long)size);
    if (jpeg_read_header(&d->cinfo, TRUE) != JPEG_HEADER_OK) {
        set_message(d, "no picture in the JPEG data");
        return 0;
    }
    *width = (int)d->cinfo.image_width;
    *height = (int)d->cinfo.image_height;
    return 1;
}

int zj_start(zj_decoder* d)
{
    if (setjmp(d->jump)) {
        return 0;
    }
    /* libjpeg converts everything but CMYK to RGB itself; CMYK is converted row by row below. */
    d->cmyk =
        d->cinfo.jpeg_color_space == JCS_CMYK || d->cinfo.jpeg_color_space == JCS_YCCK ? 1 : 0;
    d->cinfo.out_color_space = d->cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_start_decompress(&d->cinfo);
    if (d->cinfo.output_components != (d->cmyk ? 4 : 3)) {
        set_message(d, "unexpected number of colour components");
        return 0;
    }
    if (d->cmyk) {
        d->cmyk_row = (*d->cinfo.mem->alloc_sarray)((j_common_ptr)&d->cinfo, JPOOL_IMAGE,
                                                    d->cinfo.output_width * 4, 1);
    }
    d->started = 1;
    return 1;
}

static void cmyk_to_rgb(const JSAMPLE* in, unsigned char* out, JDIMENSION width, int inverted)
{
    JDIMENSION x;
    for (x = 0; x < width; ++x, in += 4, out += 3) {
        /* Adobe's files store CMYK inverted: 255 means no ink. */
        unsigned c = inverted ? in[0] : 255u - in[0];
        unsigned m = inverted ? in[1] : 255u - in[1];
        unsigned y = inverted ? in[2] : 255u - in[2];
        unsigned k = inverted ? in[3] : 255u - in[3];
        out[0] = (unsigned char)(c * k / 255u);
        out[1] = (unsigned char)(m * k / 255u);
        out[2] = (unsigned char)(y * k / 255u);
    }
}

int zj_read_rows(zj_decoder* d, unsigned char** rows, int count, int* rows_read)
{
    *rows_read = 0;
    if (!d->started) {
        set_message(d, "decompression not started");
        return 0;
    }
    if (setjmp(d->jump)) {
        return 0;
    }
    if (!d->cmyk) {
        *rows_read = (int)jpeg_read_scanlines(&d->cinfo, rows, (JDIMENSION)count);
        return 1;
    }
    while (*rows_read < count && d->cinfo.output_scanline < d->cinfo.output_height) {
        if (jpeg_read_scanlines(&d->cinfo, d->cmyk_row, 1) != 1) {
            break;
        }
        cmyk_to_rgb(d->cmyk_row[0], rows[*rows_read], d->cinfo.output_width,
                    d->cinfo.saw_Adobe_marker);
        ++*rows_read;
    }
    return 1;
}

int zj_warnings(const zj_decoder* d)
{
    return d->warnings;
}

const char* zj_message(const zj_decoder* d)
{
    return d->message;
}
