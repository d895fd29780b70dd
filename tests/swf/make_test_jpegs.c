/* Writes TestJpegs.h: tiny baseline JPEGs made with libjpeg, as byte arrays for the SWF tests.
   Build and run from this folder:
   cc make_test_jpegs.c -ljpeg -o make_test_jpegs && ./make_test_jpegs > TestJpegs.h && rm make_test_jpegs */
#include <stdio.h>
#include <stdlib.h>

#include <jpeglib.h>

static void Encode(const char *name, int width, int height, int components, int quality)
{
    unsigned char *out = NULL;
    unsigned long size = 0;
    struct jpeg_compress_struct cinfo;
    struct jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = (JDIMENSION)width;
    cinfo.image_height = (JDIMENSION)height;
    cinfo.input_components = components;
    cinfo.in_color_space = components == 3 ? JCS_RGB : JCS_GRAYSCALE;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);

    unsigned char *row = malloc((size_t)width * (size_t)components);
    for (int y = 0; y < height; ++y)
    {
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < components; ++c)
                row[x * components + c] = (unsigned char)((x * 255 / width + y * 64 / height + c * 80) & 0xFF);
        JSAMPROW rows[1] = {row};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    free(row);
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);

    printf("\n// %d x %d, %s, baseline, quality %d: %lu bytes.\n", width, height,
           components == 3 ? "RGB" : "greyscale", quality, size);
    printf("const unsigned char %s[] = {", name);
    for (unsigned long i = 0; i < size; ++i)
        printf("%s0x%02X,", i % 16 ? " " : "\n    ", out[i]);
    printf("\n};\n");
    free(out);
}

int main(void)
{
    printf("// Tiny real baseline JPEG files for the SWF tests, written by make_test_jpegs.c (libjpeg).\n");
    printf("#pragma once\n");
    Encode("kTestJpegGrey8", 8, 8, 1, 75);
    Encode("kTestJpegRgb16x12", 16, 12, 3, 90);
    return 0;
}
