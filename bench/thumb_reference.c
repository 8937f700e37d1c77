/* The one-core limit of a thumbnail: libjpeg-turbo's reduced decode (the largest of 1/8, 1/4,
 * 1/2 whose result still covers the box, fast integer DCT), fitted into the box, resized by
 * area averaging, encoded at quality 75 into memory and written out. Nothing else.
 *   thumb_reference BOX OUTDIR FILE...   prints the milliseconds per file on one line */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include <jpeglib.h>

static int side_scale(int source, int target)
{
    int scale;
    for (scale = 8; scale > 1; scale /= 2)
        if (source / scale >= target)
            return scale;
    return 1;
}

static int thumbnail(const char* path, int box, const char* outdir)
{
    FILE* in = fopen(path, "rb");
    if (!in)
        return 0;
    struct jpeg_decompress_struct d;
    struct jpeg_error_mgr err;
    d.err = jpeg_std_error(&err);
    jpeg_create_decompress(&d);
    jpeg_stdio_src(&d, in);
    jpeg_read_header(&d, TRUE);
    int sw = side_scale((int)d.image_width, box), sh = side_scale((int)d.image_height, box);
    d.scale_num = 1;
    d.scale_denom = (unsigned)(sw < sh ? sw : sh);
    d.dct_method = JDCT_IFAST;
    d.out_color_space = JCS_RGB;
    jpeg_start_decompress(&d);
    const int w = (int)d.output_width, h = (int)d.output_height;
    unsigned char* pixels = malloc((size_t)w * h * 3);
    while (d.output_scanline < d.output_height) {
        JSAMPROW row = pixels + (size_t)d.output_scanline * w * 3;
        jpeg_read_scanlines(&d, &row, 1);
    }
    jpeg_finish_decompress(&d);
    jpeg_destroy_decompress(&d);
    fclose(in);

    int tw = w, th = h;
    if (!(box > w && box > h)) {
        if ((long long)box * w > (long long)h * box) { /* square box: the wider side limits */
            tw = box;
            th = (int)((long long)h * box / w);
        } else {
            th = box;
            tw = (int)((long long)w * box / h);
        }
        if (tw < 1) tw = 1;
        if (th < 1) th = 1;
    }
    unsigned char* small = malloc((size_t)tw * th * 3);
    for (int y = 0; y < th; ++y) {
        const int y0 = y * h / th, y1 = (y + 1) * h / th > y0 ? (y + 1) * h / th : y0 + 1;
        for (int x = 0; x < tw; ++x) {
            const int x0 = x * w / tw, x1 = (x + 1) * w / tw > x0 ? (x + 1) * w / tw : x0 + 1;
            unsigned sum[3] = {0, 0, 0};
            for (int yy = y0; yy < y1; ++yy)
                for (int xx = x0; xx < x1; ++xx)
                    for (int c = 0; c < 3; ++c)
                        sum[c] += pixels[((size_t)yy * w + xx) * 3 + c];
            const unsigned n = (unsigned)((y1 - y0) * (x1 - x0));
            for (int c = 0; c < 3; ++c)
                small[((size_t)y * tw + x) * 3 + c] = (unsigned char)((sum[c] + n / 2) / n);
        }
    }
    free(pixels);

    struct jpeg_compress_struct e;
    e.err = jpeg_std_error(&err);
    jpeg_create_compress(&e);
    unsigned char* mem = NULL;
    unsigned long size = 0;
    jpeg_mem_dest(&e, &mem, &size);
    e.image_width = (JDIMENSION)tw;
    e.image_height = (JDIMENSION)th;
    e.input_components = 3;
    e.in_color_space = JCS_RGB;
    jpeg_set_defaults(&e);
    jpeg_set_quality(&e, 75, TRUE);
    jpeg_start_compress(&e, TRUE);
    while (e.next_scanline < e.image_height) {
        JSAMPROW row = small + (size_t)e.next_scanline * tw * 3;
        jpeg_write_scanlines(&e, &row, 1);
    }
    jpeg_finish_compress(&e);
    jpeg_destroy_compress(&e);
    free(small);

    const char* name = strrchr(path, '/');
    char out[4096];
    snprintf(out, sizeof out, "%s/%s", outdir, name ? name + 1 : path);
    FILE* o = fopen(out, "wb");
    const int ok = o && fwrite(mem, 1, size, o) == size;
    if (o)
        fclose(o);
    free(mem);
    return ok;
}

int main(int argc, char** argv)
{
    if (argc < 4) {
        fprintf(stderr, "usage: thumb_reference BOX OUTDIR FILE...\n");
        return 2;
    }
    const int box = atoi(argv[1]);
    struct timespec a, b;
    clock_gettime(CLOCK_MONOTONIC, &a);
    int done = 0;
    for (int i = 3; i < argc; ++i)
        done += thumbnail(argv[i], box, argv[2]);
    clock_gettime(CLOCK_MONOTONIC, &b);
    const double ms = (b.tv_sec - a.tv_sec) * 1e3 + (b.tv_nsec - a.tv_nsec) / 1e6;
    printf("%.3f\n", ms / (done ? done : 1));
    return done == argc - 3 ? 0 : 1;
}
