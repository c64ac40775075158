#include "jpeg_peer.h"

#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

std::vector<uint8_t> EncodeJpeg(const Picture& picture, int quality, bool optimizeCoding) {
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &out, &size);
  c.image_width = static_cast<JDIMENSION>(picture.width);
  c.image_height = static_cast<JDIMENSION>(picture.height);
  c.input_components = 3;
  c.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, quality, TRUE);
  if (optimizeCoding) c.optimize_coding = TRUE;
  jpeg_start_compress(&c, TRUE);
  while (c.next_scanline < c.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(picture.bgr.data() + picture.stride() * c.next_scanline);
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  std::vector<uint8_t> bytes(out, out + size);
  jpeg_destroy_compress(&c);
  std::free(out);
  return bytes;
}

bool DecodeJpeg(const std::vector<uint8_t>& jpeg, std::vector<uint8_t>* out) {
  jpeg_decompress_struct d;
  jpeg_error_mgr err;
  d.err = jpeg_std_error(&err);
  jpeg_create_decompress(&d);
  jpeg_mem_src(&d, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
  if (jpeg_read_header(&d, TRUE) != JPEG_HEADER_OK) {
    jpeg_destroy_decompress(&d);
    return false;
  }
  d.out_color_space = JCS_EXT_BGR;
  jpeg_start_decompress(&d);
  const size_t stride = static_cast<size_t>(d.output_width) * 3;
  while (d.output_scanline < d.output_height) {
    JSAMPROW row = out->data() + stride * d.output_scanline;
    jpeg_read_scanlines(&d, &row, 1);
  }
  jpeg_finish_decompress(&d);
  jpeg_destroy_decompress(&d);
  return true;
}
